#pragma once

#include <QByteArray>
#include <QMenu>
#include <QPointer>
#include <QTableView>

namespace corvale {

class RightClickTable;

// Told of every left click on a row of a RightClickTable, before the table handles it.
class ExtendedTableViewDelegate
{
public:
    virtual ~ExtendedTableViewDelegate() = default;
    virtual void tableViewDidClickedRow(RightClickTable *table, int row) = 0;
};

// The file list's table over a FileListModel: rows are never shown selected; a left click on a
// row (its checkbox included) is reported once as rowClicked(), which the owner answers by
// toggling the row's mark; a context menu on a row first records the row's path in
// pathToOpen(). Sorting follows the header; with no column chosen yet the model's order is
// kept. The extended delegate and the menu are not owned. GUI thread only.
class RightClickTable : public QTableView
{
    Q_OBJECT
public:
    explicit RightClickTable(QWidget *parent = nullptr);

    // The path of the row whose context menu was opened last; null before any. Never cleared.
    QByteArray pathToOpen() const { return m_pathToOpen; }
    void setPathToOpen(const QByteArray &path) { m_pathToOpen = path; }

    // Non-owning; the delegate must outlive the table or be reset to nullptr first.
    ExtendedTableViewDelegate *extendedDelegate() const { return m_extendedDelegate; }
    void setExtendedDelegate(ExtendedTableViewDelegate *delegate) { m_extendedDelegate = delegate; }

    QMenu *fileTableMenu() const { return m_fileTableMenu; }
    void setFileTableMenu(QMenu *menu) { m_fileTableMenu = menu; }

    // The order the user chose through the header, to carry over to the next folder.
    bool hasSortDescriptors() const;
    int sortColumn() const;
    Qt::SortOrder sortOrder() const;
    // Sorts the model by that order, if there is one (after a refill).
    void sortBySortDescriptors();

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
    ExtendedTableViewDelegate *m_extendedDelegate = nullptr;
    QPointer<QMenu> m_fileTableMenu;
};

} // namespace corvale
