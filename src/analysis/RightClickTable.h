#pragma once

#include <QByteArray>
#include <QMenu>
#include <QPointer>
#include <QTableView>

namespace corvale {

// The file list's table over a FileListModel: rows are never shown selected; a left click on a
// row (its checkbox included) is reported once as rowClicked(), which the owner answers by
// toggling the row's mark; a context menu on a row first records the row's path in
// pathToOpen(). Sorting follows the header; with no column chosen yet the model's order is
// kept. The menu is not owned. GUI thread only.
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
    // A left click on a row, once per click, after the default handling.
    void rowClicked(int row);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    int clickedRow(QMouseEvent *event);

    QByteArray m_pathToOpen;
    QPointer<QMenu> m_fileTableMenu;
};

} // namespace corvale
