#pragma once

#include "FolderAttributes.h"
#include "Measure.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace corvale {

// A list of entries, in display order: the file list (the entries of the folder in view) or the
// Largest Files list. The check mark of each entry is kept here (not in the view), so that a
// checked row scrolled out of sight stays checked and a re-sort keeps every mark. Columns: the
// name with icon and checkbox, the size, the entry's share of the folder in view, the change since
// an earlier scan (while the list is compared with one; entries gone since are listed greyed,
// with their earlier size), and the folder an entry lies in; each view hides the ones it does not
// need. Icons are looked up only for rows the view asks about. Entries are shared with the
// session (identity = pointer). GUI thread only.
class FileListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using Entry = std::shared_ptr<FolderAttributes>;

    enum Column { NameColumn = 0, SizeColumn, ShareColumn, ChangeColumn, FolderColumn, ColumnCount };
    enum Role {
        // Name: decoded name (QString); size and share: size (quint64) in the measure; change: the
        // change (qint64); folder: the folder's text (QString).
        RawValueRole = Qt::UserRole + 1,
        PathRole, // QByteArray, the kernel's bytes; null for what is not a file of its own
        SystemEntryRole, // bool: shown with a disabled checkbox, never checked (also in a trash)
        ShareRole, // share column: the share of the folder in view, 0 to 1 (double); none unknown
    };

    explicit FileListModel(QObject *parent = nullptr);

    // Replaces the list; an entry is marked only when `checked` says so (never a system entry).
    // Quiet: emits no checkMarksChanged().
    void setItems(std::vector<Entry> items, const std::function<bool(const Entry &)> &checked = {});
    std::vector<Entry> items() const;
    Entry entry(int row) const;
    int rowOf(const Entry &entry) const; // -1 when not listed
    // Takes entries out (moved ones), or listed entries of the same paths; those not listed are
    // ignored. Quiet as setItems.
    void removeEntries(const std::vector<Entry> &entries);
    // Unmarks every row. Quiet as setItems.
    void clearChecks();

    bool isChecked(int row) const;
    // Change a mark; refuse system entries and rows out of range. Emit checkMarksChanged()
    // once when a mark really changed; return whether it did.
    bool setChecked(int row, bool checked);
    bool toggle(int row);
    // The checked entries in row order.
    std::vector<Entry> checkedEntries() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // By name or folder (digits by value, case-insensitive), or by size (the number; the share
    // too); stable, marks kept. Sizes, shares and changes are sorted largest first at first.
    // A column out of range leaves the order as it is. The order is remembered for the next list.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    // The order asked for last; column -1 before any.
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    // The same order for a list not yet shown; any thread.
    static void sortEntries(std::vector<Entry> &entries, int column, Qt::SortOrder order,
        Measure measure = Measure::ApparentSize);

    // What the size column shows and sorts by; a list sorted by size is sorted again.
    Measure measure() const { return m_measure; }
    void setMeasure(Measure measure);

    // The folder whose share each entry shows, in the measure; none shows no share. Read anew
    // for every row drawn, so that it follows moves to the trash.
    void setShareOf(std::shared_ptr<const FolderVisualData> folder);
    // The folder column shows where an entry lies relative to `folder`.
    void setFolderBase(const QByteArray &folder) { m_folderBase = folder; }

    // Every entry of the lists set from now on refuses a mark (a scan of a folder elsewhere).
    void setLocked(bool locked) { m_locked = locked; }
    // What an entry grew by since the earlier scan, in `measure`; 0 where that is not known.
    static qint64 change(const FolderAttributes &entry, Measure measure);

Q_SIGNALS:
    // One mark changed by the user (a click, a key, setData).
    void checkMarksChanged();

private:
    struct Row
    {
        Entry entry;
        bool checked = false;
        bool system = false; // or in a trash: never checked
        bool inTrash = false;
        mutable QIcon icon; // looked up on first request
    };

    bool isListed(const QModelIndex &index) const;
    std::optional<double> share(const FolderAttributes &entry) const;
    QString folderText(const FolderAttributes &entry) const;

    std::vector<Row> m_rows;
    Measure m_measure = Measure::ApparentSize;
    std::shared_ptr<const FolderVisualData> m_shareOf;
    QByteArray m_folderBase;
    bool m_locked = false;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

} // namespace corvale
