#pragma once

#include <QByteArray>
#include <QMenu>
#include <QPointer>
#include <QTableView>

namespace corvale {

// A table over a FileListModel (the file list, the Largest Files list): rows are never shown
// selected; a left click on a row (its checkbox included), or Space on the current row, is
// reported once as rowClicked(), which the owner answers by toggling the row's mark; a double
// click is two clicks and then rowDoubleClicked(); a context menu on a row first records the
// row's path in pathToOpen() and tells menuAboutToOpen(). Sorting follows the header; with no
// column chosen yet the model's order is kept.
//
// The keyboard: Up, Down, Page Up, Page Down, Home and End move the current row, which stays in
// the name column and wears a ring in the accent colour while the list has the focus, gained or
// last used by the keyboard; Delete asks the owner to move the checked entries to the trash
// (deleteRequested()); the Menu key or Shift+F10 opens the current row's menu; Tab and Ctrl+Tab
// leave the list. A screen reader reads each name cell's mark from the model and hears it change.
// The menu is not owned. GUI thread only.
class RightClickTable : public QTableView
{
    Q_OBJECT
public:
    explicit RightClickTable(QWidget *parent = nullptr);

    // The path of the row whose context menu was opened last; null before any. Never cleared.
    QByteArray pathToOpen() const { return m_pathToOpen; }
    void setPathToOpen(const QByteArray &path) { m_pathToOpen = path; }

    QMenu *fileTableMenu() const { return m_fileTableMenu; }
    void setFileTableMenu(QMenu *menu) { m_fileTableMenu = menu; }

    void setModel(QAbstractItemModel *model) override;

Q_SIGNALS:
    // A left click on a row, once per click, after the default handling; or Space on the current row.
    void rowClicked(int row);
    // After the second click of a double click on a row.
    void rowDoubleClicked(int row);
    // The row's context menu is about to open.
    void menuAboutToOpen(int row);
    // Delete was pressed.
    void deleteRequested();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void dataChanged(
        const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles = {}) override;

private:
    int clickedRow(QMouseEvent *event);
    // The row across the viewport, in the viewport's coordinates.
    QRect rowRect(int row) const;
    // The current row's ring is drawn.
    bool isFocusShown() const;
    void setFocusShown(bool shown);
    void openMenu(int row, const QPoint &globalPos);

    QByteArray m_pathToOpen;
    QPointer<QMenu> m_fileTableMenu;
    bool m_focusVisible = false;
};

} // namespace corvale
