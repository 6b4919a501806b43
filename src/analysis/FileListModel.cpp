#include "FileListModel.h"

#include "ByteCount.h"
#include "DynamicStackedViewPopup.h"
#include "FolderVisualData.h"
#include "PathBytes.h"
#include "SystemEntry.h"
#include "TrashMover.h"
#include "WorkspaceIcons.h"

#include <QFile>

#include <algorithm>
#include <unordered_set>

namespace corvale {

namespace {

QString shownName(const FolderAttributes &entry)
{
    return QFile::decodeName(bytes(entry.name));
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A key that orders names as people read them when compared as plain strings: case folded,
// and each run of digits by its value ("file2" before "file10"). A run becomes '0', one
// character holding its length without leading zeros, then its digits; the '0' keeps digits
// against other characters where they were. QCollator cannot be relied on for this: without
// ICU it has no numeric mode and compares bytes, and through it a sort would be many times
// slower.
QString naturalSortKey(QStringView folded)
{
    // A run of n digits becomes at most n + 2 characters, so three times the name is enough.
    QString key(folded.size() * 3, Qt::Uninitialized);
    QChar *out = key.data();
    const QChar *in = folded.data();
    const QChar *const end = in + folded.size();
    while (in < end) {
        if (!isDigit(*in)) {
            *out++ = *in++;
            continue;
        }
        while (in < end && *in == u'0')
            ++in;
        const QChar *run = in;
        while (in < end && isDigit(*in))
            ++in;
        *out++ = u'0';
        *out++ = QChar(char16_t(std::min<qsizetype>(in - run, 0xfffe) + 1));
        out = std::copy(run, in, out);
    }
    key.truncate(out - key.constData());
    return key;
}

QString naturalSortKey(const std::string &name)
{
    // Most names are ASCII: fold them on the way, without decoding into a string first.
    char16_t buffer[256];
    if (name.size() <= std::size(buffer)) {
        size_t n = 0;
        for (; n < name.size(); ++n) {
            const unsigned char c = static_cast<unsigned char>(name[n]);
            if (c >= 0x80)
                break;
            buffer[n] = c >= 'A' && c <= 'Z' ? char16_t(c + ('a' - 'A')) : char16_t(c);
        }
        if (n == name.size())
            return naturalSortKey(QStringView(buffer, qsizetype(n)));
    }
    return naturalSortKey(QFile::decodeName(bytes(name)).toCaseFolded());
}

template<typename Number>
int threeWay(Number a, Number b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

int threeWay(const QString &a, const QString &b)
{
    return a.compare(b);
}

// Rows in the order of their keys; equal keys keep their present order.
template<typename Key>
std::vector<int> orderBy(std::vector<std::pair<Key, int>> keyed, bool ascending)
{
    std::sort(keyed.begin(), keyed.end(), [ascending](const auto &a, const auto &b) {
        const int c = threeWay(a.first, b.first);
        if (c != 0)
            return ascending ? c < 0 : c > 0;
        return a.second < b.second;
    });
    std::vector<int> order;
    order.reserve(keyed.size());
    for (const auto &k : keyed)
        order.push_back(k.second);
    return order;
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

void FileListModel::setItems(std::vector<Entry> items, const std::function<bool(const Entry &)> &checked)
{
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(items.size());
    const QByteArray homeTrash = TrashMover::homeTrashPath();
    for (Entry &entry : items) {
        const QByteArrayView path(entry->path.data(), qsizetype(entry->path.size()));
        const bool inTrash = isInTrash(path, homeTrash);
        const bool system = inTrash || isSystemEntry(path) || m_locked || entry->summarised
            || entry->since == FolderAttributes::Since::Gone;
        const bool mark = !system && checked && checked(entry);
        m_rows.push_back(Row {std::move(entry), mark, system, inTrash, {}});
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

void FileListModel::removeEntries(const std::vector<Entry> &entries)
{
    std::unordered_set<const FolderAttributes *> gone;
    for (const Entry &entry : entries)
        gone.insert(entry.get());
    // An entry moved from another list (Largest Files) is listed here, if at all, by a record of
    // its own: found by its path, which is worth comparing only then.
    const auto listed = std::count_if(
        m_rows.begin(), m_rows.end(), [&](const Row &row) { return gone.count(row.entry.get()) > 0; });
    if (size_t(listed) < gone.size()) {
        std::unordered_set<std::string_view> paths;
        for (const Entry &entry : entries)
            paths.insert(entry->path);
        for (const Row &row : m_rows) {
            if (paths.count(row.entry->path))
                gone.insert(row.entry.get());
        }
    }
    // From the bottom up, a run of neighbouring rows at a time, so the rows above keep their numbers.
    int row = rowCount() - 1;
    while (row >= 0) {
        if (!gone.count(m_rows[size_t(row)].entry.get())) {
            --row;
            continue;
        }
        int first = row;
        while (first > 0 && gone.count(m_rows[size_t(first - 1)].entry.get()))
            --first;
        beginRemoveRows({}, first, row);
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + row + 1);
        endRemoveRows();
        row = first - 1;
    }
    // The folder in view lost what went: every share left is larger.
    if (m_shareOf && rowCount() > 0)
        Q_EMIT dataChanged(index(0, ShareColumn), index(rowCount() - 1, ShareColumn));
}

void FileListModel::clearChecks()
{
    for (size_t row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row].checked) {
            m_rows[row].checked = false;
            const QModelIndex changed = index(int(row), NameColumn);
            Q_EMIT dataChanged(changed, changed, {Qt::CheckStateRole});
        }
    }
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

std::optional<double> FileListModel::share(const FolderAttributes &entry) const
{
    if (!m_shareOf || entry.since == FolderAttributes::Since::Gone)
        return std::nullopt;
    const quint64 total = sizeIn(m_measure, *m_shareOf);
    return total == 0 ? 0.0 : std::min(1.0, double(sizeIn(m_measure, entry)) / double(total));
}

QString FileListModel::folderText(const FolderAttributes &entry) const
{
    const std::string_view folder = parentPath(entry.path);
    const std::string_view base = view(m_folderBase);
    // Directly in the chosen folder: that folder's name says it best.
    if (folder == base)
        return QFile::decodeName(bytes(lastPathComponent(base)));
    if (!base.empty() && isBelow(folder, base))
        return QFile::decodeName(bytes(folder.substr(base == "/" ? 1 : base.size() + 1)));
    return QFile::decodeName(bytes(folder));
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!isListed(index))
        return {};
    const Row &row = m_rows[size_t(index.row())];
    const bool name = index.column() == NameColumn;
    if (index.column() == ShareColumn) {
        const std::optional<double> part = share(*row.entry);
        switch (role) {
        case Qt::DisplayRole:
            return part ? DynamicStackedViewPopup::shareText(float(*part)) : QString();
        case ShareRole:
            return part ? QVariant(*part) : QVariant();
        case RawValueRole:
            return QVariant::fromValue<quint64>(sizeIn(m_measure, *row.entry));
        case Qt::TextAlignmentRole:
            return int(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return {};
        }
    }
    if (index.column() == FolderColumn) {
        if (role == Qt::DisplayRole || role == RawValueRole)
            return folderText(*row.entry);
        if (role == Qt::ToolTipRole)
            return QFile::decodeName(bytes(parentPath(row.entry->path)));
        return {};
    }
    if (index.column() == ChangeColumn && (role == Qt::DisplayRole || role == RawValueRole)) {
        const FolderAttributes &entry = *row.entry;
        if (role == RawValueRole)
            return QVariant::fromValue<qint64>(change(entry, m_measure));
        switch (entry.since) {
        case FolderAttributes::Since::Unknown:
            return QString();
        case FolderAttributes::Since::New:
            return tr("new");
        case FolderAttributes::Since::Gone:
            return tr("gone");
        case FolderAttributes::Since::Existed:
            break;
        }
        return byteChangeText(sizeIn(m_measure, entry),
            m_measure == Measure::DiskUsage ? entry.earlierAllocatedSize : entry.earlierSize);
    }
    switch (role) {
    case Qt::DisplayRole:
        // Formatted for the rows on screen only, in the measure shown.
        return name ? shownName(*row.entry) : byteCountText(sizeIn(m_measure, *row.entry));
    case Qt::DecorationRole:
        if (!name)
            return {};
        if (row.icon.isNull())
            row.icon
                = row.entry->isLink ? iconForLink() : iconForEntry(bytes(row.entry->path), row.entry->isDir);
        return row.icon;
    case Qt::CheckStateRole:
        return name ? QVariant(row.checked ? Qt::Checked : Qt::Unchecked) : QVariant();
    case Qt::ToolTipRole:
        if (!name || !row.system)
            return {};
        if (row.entry->since == FolderAttributes::Since::Gone)
            return tr("Gone since the earlier scan");
        if (row.entry->summarised)
            return tr("Files the scan does not list one by one");
        if (m_locked)
            return tr("The scanned folder is not on this computer");
        return row.inTrash ? tr("Already in the Trash") : tr("System file");
    case Qt::TextAlignmentRole:
        return name ? QVariant() : QVariant(int(Qt::AlignRight | Qt::AlignVCenter));
    case RawValueRole:
        return name ? QVariant(shownName(*row.entry))
                    : QVariant::fromValue<quint64>(sizeIn(m_measure, *row.entry));
    case PathRole:
        return row.entry->summarised || row.entry->since == FolderAttributes::Since::Gone
            ? QByteArray()
            : bytes(row.entry->path);
    case SystemEntryRole:
        return row.system;
    // A screen reader hears why a row cannot be checked, and that one can be: Qt passes on to it
    // that a row is checked, but not that it could be.
    case Qt::AccessibleDescriptionRole:
        if (!name || row.checked)
            return {};
        return row.system ? data(index, Qt::ToolTipRole) : QVariant(tr("Not checked"));
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
    const Row &row = m_rows[size_t(index.row())];
    // A gone entry is drawn greyed.
    Qt::ItemFlags flags = Qt::ItemNeverHasChildren;
    if (row.entry->since != FolderAttributes::Since::Gone)
        flags |= Qt::ItemIsEnabled;
    if (index.column() == NameColumn && !row.system)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    const bool largestFirst = section == SizeColumn || section == ShareColumn || section == ChangeColumn;
    if (orientation == Qt::Horizontal && role == Qt::InitialSortOrderRole)
        return largestFirst ? Qt::DescendingOrder : Qt::AscendingOrder;
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case NameColumn:
        return tr("Name");
    case SizeColumn:
        return tr("Size");
    case ShareColumn:
        return tr("Share");
    case ChangeColumn:
        return tr("Change");
    case FolderColumn:
        return tr("Folder");
    default:
        return {};
    }
}

namespace {

// Row numbers in the given order of `entries`; equal keys keep their present order.
template<typename EntryOf>
std::vector<int> sortedRows(size_t count, EntryOf entryOf, int column, Qt::SortOrder order, Measure measure)
{
    const bool ascending = order == Qt::AscendingOrder;
    // Keys are made once per entry and sorted beside the row numbers, so that comparisons
    // neither decode names nor chase pointers.
    if (column == FileListModel::SizeColumn || column == FileListModel::ShareColumn) {
        std::vector<std::pair<quint64, int>> keyed;
        keyed.reserve(count);
        for (size_t i = 0; i < count; ++i)
            keyed.emplace_back(sizeIn(measure, entryOf(i)), int(i));
        return orderBy(std::move(keyed), ascending);
    }
    if (column == FileListModel::ChangeColumn) {
        std::vector<std::pair<qint64, int>> keyed;
        keyed.reserve(count);
        for (size_t i = 0; i < count; ++i)
            keyed.emplace_back(FileListModel::change(entryOf(i), measure), int(i));
        return orderBy(std::move(keyed), ascending);
    }
    std::vector<std::pair<QString, int>> keyed;
    keyed.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const FolderAttributes &entry = entryOf(i);
        keyed.emplace_back(column == FileListModel::FolderColumn
                ? naturalSortKey(std::string(parentPath(entry.path)))
                : naturalSortKey(entry.name),
            int(i));
    }
    return orderBy(std::move(keyed), ascending);
}

bool sortable(int column, size_t count)
{
    return column >= 0 && column < FileListModel::ColumnCount && count >= 2;
}

} // namespace

void FileListModel::sortEntries(std::vector<Entry> &entries, int column, Qt::SortOrder order, Measure measure)
{
    if (!sortable(column, entries.size()))
        return;
    const std::vector<int> sorted = sortedRows(
        entries.size(), [&](size_t i) -> const FolderAttributes & { return *entries[i]; }, column, order,
        measure);
    std::vector<Entry> result;
    result.reserve(entries.size());
    for (int i : sorted)
        result.push_back(std::move(entries[size_t(i)]));
    entries = std::move(result);
}

qint64 FileListModel::change(const FolderAttributes &entry, Measure measure)
{
    const auto now = qint64(sizeIn(measure, entry));
    const auto then = qint64(measure == Measure::DiskUsage ? entry.earlierAllocatedSize : entry.earlierSize);
    switch (entry.since) {
    case FolderAttributes::Since::Unknown:
        return 0;
    case FolderAttributes::Since::New:
        return now;
    case FolderAttributes::Since::Gone:
        return -then;
    case FolderAttributes::Since::Existed:
        break;
    }
    return now - then;
}

void FileListModel::setShareOf(std::shared_ptr<const FolderVisualData> folder)
{
    m_shareOf = std::move(folder);
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, ShareColumn), index(rowCount() - 1, ShareColumn));
}

void FileListModel::setMeasure(Measure measure)
{
    if (measure == m_measure)
        return;
    m_measure = measure;
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, SizeColumn), index(rowCount() - 1, ChangeColumn));
    if (m_sortColumn == SizeColumn || m_sortColumn == ShareColumn || m_sortColumn == ChangeColumn)
        sort(m_sortColumn, m_sortOrder);
}

void FileListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    m_sortColumn = column;
    m_sortOrder = order;
    if (!sortable(column, m_rows.size()))
        return;
    const std::vector<int> sorted = sortedRows(
        m_rows.size(), [&](size_t i) -> const FolderAttributes & { return *m_rows[i].entry; }, column, order,
        m_measure);

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
