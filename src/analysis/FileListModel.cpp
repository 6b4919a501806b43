#include "FileListModel.h"

#include "SystemEntry.h"
#include "WorkspaceIcons.h"

#include <QFile>

#include <algorithm>
#include <numeric>

namespace corvale {

namespace {

QByteArray bytes(const std::string &text)
{
    return QByteArray(text.data(), qsizetype(text.size()));
}

QString shownName(const FolderAttributes &entry)
{
    return QFile::decodeName(bytes(entry.name));
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Orders case-folded names as people read them: runs of digits by their value, so "file2"
// comes before "file10". The collator cannot be relied on for this: without ICU it has no
// numeric mode and compares bytes.
int naturalCompare(const QString &a, const QString &b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            while (i < a.size() && a[i] == u'0')
                ++i;
            while (j < b.size() && b[j] == u'0')
                ++j;
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && isDigit(a[ei]))
                ++ei;
            while (ej < b.size() && isDigit(b[ej]))
                ++ej;
            if (ei - i != ej - j)
                return ei - i < ej - j ? -1 : 1;
            const int c = QStringView(a).mid(i, ei - i).compare(QStringView(b).mid(j, ej - j));
            if (c != 0)
                return c;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j] ? -1 : 1;
        ++i;
        ++j;
    }
    return (a.size() - i > 0) - (b.size() - j > 0);
}

} // namespace

bool FileListModel::isListed(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this && index.row() < rowCount()
        && index.column() < ColumnCount;
}

FileListModel::FileListModel(QObject *parent)
    : QAbstractTableModel(parent)
{ }

void FileListModel::setItems(std::vector<Entry> items)
{
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(items.size());
    for (Entry &entry : items) {
        const bool system = isSystemEntry(bytes(entry->path));
        m_rows.push_back(Row {std::move(entry), false, system, {}});
    }
    endResetModel();
}

std::vector<FileListModel::Entry> FileListModel::items() const
{
    std::vector<Entry> result;
    result.reserve(m_rows.size());
    for (const Row &row : m_rows)
        result.push_back(row.entry);
    return result;
}

FileListModel::Entry FileListModel::entry(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return m_rows[size_t(row)].entry;
}

int FileListModel::rowOf(const Entry &entry) const
{
    const auto found
        = std::find_if(m_rows.begin(), m_rows.end(), [&](const Row &row) { return row.entry == entry; });
    return found == m_rows.end() ? -1 : int(found - m_rows.begin());
}

bool FileListModel::removeEntry(const Entry &entry)
{
    const int row = rowOf(entry);
    if (row < 0)
        return false;
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    return true;
}

bool FileListModel::isChecked(int row) const
{
    return row >= 0 && row < rowCount() && m_rows[size_t(row)].checked;
}

bool FileListModel::setChecked(int row, bool checked)
{
    if (row < 0 || row >= rowCount())
        return false;
    Row &r = m_rows[size_t(row)];
    if (r.system || r.checked == checked)
        return false;
    r.checked = checked;
    const QModelIndex changed = index(row, NameColumn);
    Q_EMIT dataChanged(changed, changed, {Qt::CheckStateRole});
    Q_EMIT checkMarksChanged();
    return true;
}

bool FileListModel::toggle(int row)
{
    return setChecked(row, !isChecked(row));
}

std::vector<FileListModel::Entry> FileListModel::checkedEntries() const
{
    std::vector<Entry> result;
    for (const Row &row : m_rows) {
        if (row.checked)
            result.push_back(row.entry);
    }
    return result;
}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int FileListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!isListed(index))
        return {};
    const Row &row = m_rows[size_t(index.row())];
    const bool name = index.column() == NameColumn;
    switch (role) {
    case Qt::DisplayRole:
        return name ? shownName(*row.entry) : QString::fromStdString(row.entry->sizeText);
    case Qt::DecorationRole:
        if (!name)
            return {};
        if (row.icon.isNull())
            row.icon = iconForEntry(bytes(row.entry->path), row.entry->isDir);
        return row.icon;
    case Qt::CheckStateRole:
        return name ? QVariant(row.checked ? Qt::Checked : Qt::Unchecked) : QVariant();
    case Qt::ToolTipRole:
        return name && row.system ? QVariant(tr("System file")) : QVariant();
    case Qt::TextAlignmentRole:
        return name ? QVariant() : QVariant(int(Qt::AlignRight | Qt::AlignVCenter));
    case RawValueRole:
        return name ? QVariant(shownName(*row.entry)) : QVariant::fromValue<quint64>(row.entry->size);
    case PathRole:
        return bytes(row.entry->path);
    case SystemEntryRole:
        return row.system;
    default:
        return {};
    }
}

bool FileListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || index.column() != NameColumn || !isListed(index))
        return false;
    if (m_rows[size_t(index.row())].system)
        return false;
    setChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags FileListModel::flags(const QModelIndex &index) const
{
    if (!isListed(index))
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (index.column() == NameColumn && !m_rows[size_t(index.row())].system)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case NameColumn:
        return tr("Name");
    case SizeColumn:
        return tr("Size");
    default:
        return {};
    }
}

void FileListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount || m_rows.size() < 2)
        return;
    const bool ascending = order == Qt::AscendingOrder;
    std::vector<int> sorted(m_rows.size());
    std::iota(sorted.begin(), sorted.end(), 0);
    if (column == SizeColumn) {
        std::stable_sort(sorted.begin(), sorted.end(), [&](int a, int b) {
            const quint64 sa = m_rows[size_t(a)].entry->size;
            const quint64 sb = m_rows[size_t(b)].entry->size;
            return ascending ? sa < sb : sb < sa;
        });
    } else {
        // Decoded and folded once per entry, not once per comparison.
        std::vector<QString> keys;
        keys.reserve(m_rows.size());
        for (const Row &row : m_rows)
            keys.push_back(shownName(*row.entry).toCaseFolded());
        std::stable_sort(sorted.begin(), sorted.end(), [&](int a, int b) {
            const int c = naturalCompare(keys[size_t(a)], keys[size_t(b)]);
            return ascending ? c < 0 : c > 0;
        });
    }

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList from = persistentIndexList();
    if (!from.isEmpty()) {
        std::vector<int> newRow(m_rows.size());
        for (size_t i = 0; i < sorted.size(); ++i)
            newRow[size_t(sorted[i])] = int(i);
        QModelIndexList to;
        to.reserve(from.size());
        for (const QModelIndex &old : from)
            to.append(index(newRow[size_t(old.row())], old.column()));
        changePersistentIndexList(from, to);
    }
    std::vector<Row> rows;
    rows.reserve(m_rows.size());
    for (int i : sorted)
        rows.push_back(std::move(m_rows[size_t(i)]));
    m_rows = std::move(rows);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace corvale
