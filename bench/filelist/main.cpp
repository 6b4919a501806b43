// Times what a folder of many entries costs the file list: filling the model, sorting it by
// size and by name, and the first paint of a visible table. The same entries in a
// QStandardItemModel (a checkable item per name, the size as sort data) are the peer.
// Usage: QT_QPA_PLATFORM=offscreen bench_filelist [entries] [runs] [--no-peer]

#include "ByteCount.h"
#include "FileListModel.h"
#include "RightClickTable.h"

#include <QApplication>
#include <QHeaderView>
#include <QRandomGenerator>
#include <QStandardItemModel>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <ctime>

using namespace corvale;

namespace {

struct Times
{
    double fill = 0;
    double sortSize = 0;
    double sortName = 0;
    double paint = 0;
    double model() const { return fill + sortSize + sortName; }
};

std::vector<FileListModel::Entry> makeEntries(int n)
{
    static const char *extensions[] = {".txt", ".jpg", ".png", ".pdf", ".mp4", ".tar.gz", ".cpp", ""};
    QRandomGenerator random(42);
    std::vector<FileListModel::Entry> entries;
    entries.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        auto entry = std::make_shared<FolderAttributes>();
        const QByteArray name = "item-" + QByteArray::number(random.bounded(1'000'000)) + "-"
            + QByteArray::number(i) + extensions[random.bounded(8)];
        entry->name = name.toStdString();
        entry->path = "/home/user/big/" + entry->name;
        entry->isDir = random.bounded(20) == 0;
        entry->size = random.generate64() % 5'000'000'000ull;
        entry->count = 1;
        entries.push_back(std::move(entry));
    }
    return entries;
}

// CPU time of this thread: the machine is shared, and wall time would count the others' work.
class Stopwatch
{
public:
    Stopwatch() { restart(); }
    void restart() { m_start = now(); }
    double lap()
    {
        const double t = now();
        const double elapsed = t - m_start;
        m_start = t;
        return elapsed;
    }

private:
    static double now()
    {
        timespec ts;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
    }
    double m_start = 0;
};

double paintOnce(QTableView &table)
{
    Stopwatch timer;
    table.show();
    table.grab(); // paints every visible row: what the first frame costs
    return timer.lap();
}

Times runCorvale(const std::vector<FileListModel::Entry> &entries)
{
    Times t;
    FileListModel model;
    RightClickTable table;
    table.resize(600, 900);
    Stopwatch timer;
    model.setItems(entries);
    t.fill = timer.lap();
    model.sort(FileListModel::SizeColumn, Qt::DescendingOrder);
    t.sortSize = timer.lap();
    model.sort(FileListModel::NameColumn, Qt::AscendingOrder);
    t.sortName = timer.lap();
    table.setModel(&model);
    t.paint = paintOnce(table);
    return t;
}

Times runPeer(const std::vector<FileListModel::Entry> &entries)
{
    Times t;
    // Never freed: after a sort, Qt 6.4's QStandardItemModel takes time quadratic in its rows to
    // tear down (measured once by hand: about 14 s for 100,000 rows), which would dwarf the run.
    auto &model = *new QStandardItemModel;
    QTableView table;
    table.resize(600, 900);
    table.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Stopwatch timer;
    model.setColumnCount(2);
    model.setRowCount(int(entries.size()));
    for (int row = 0; row < int(entries.size()); ++row) {
        const FolderAttributes &e = *entries[size_t(row)];
        auto *name = new QStandardItem(QString::fromStdString(e.name));
        name->setCheckable(true);
        model.setItem(row, 0, name);
        auto *size = new QStandardItem(byteCountText(e.size));
        size->setData(QVariant::fromValue<quint64>(e.size), Qt::UserRole + 1);
        model.setItem(row, 1, size);
    }
    t.fill = timer.lap();
    model.setSortRole(Qt::UserRole + 1);
    model.sort(1, Qt::DescendingOrder);
    t.sortSize = timer.lap();
    model.setSortRole(Qt::DisplayRole);
    model.sort(0, Qt::AscendingOrder);
    t.sortName = timer.lap();
    table.setModel(&model);
    t.paint = paintOnce(table);
    return t;
}

Times median(std::vector<Times> runs)
{
    auto pick = [&](double Times::*field) {
        std::vector<double> values;
        for (const Times &t : runs)
            values.push_back(t.*field);
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    return {pick(&Times::fill), pick(&Times::sortSize), pick(&Times::sortName), pick(&Times::paint)};
}

void print(const char *name, const Times &t)
{
    std::printf(
        "%-22s fill %8.1f ms  sort by size %8.1f ms  sort by name %8.1f ms  model total %8.1f ms  first "
        "paint %7.1f ms\n",
        name, t.fill, t.sortSize, t.sortName, t.model(), t.paint);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 200'000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    const bool withPeer = !(argc > 3 && QByteArray(argv[3]) == "--no-peer");
    const auto entries = makeEntries(n);
    std::vector<Times> ours;
    std::vector<Times> peer;
    for (int i = 0; i < runs; ++i) {
        ours.push_back(runCorvale(entries));
        if (withPeer)
            peer.push_back(runPeer(entries));
    }
    std::printf("%d entries, median of %d runs, CPU time of the GUI thread\n", n, runs);
    const Times a = median(ours);
    if (!withPeer) {
        print("FileListModel", a);
        return 0;
    }
    const Times b = median(peer);
    print("FileListModel", a);
    print("QStandardItemModel", b);
    std::printf(
        "model total: %.2fx the peer's time; first paint: %.2fx\n", a.model() / b.model(), a.paint / b.paint);
    return 0;
}
