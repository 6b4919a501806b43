// Times a drill-down from the click on a sector of row 0 to the file list ready: the new row built
// and shown, the folder listed (off the GUI thread), the file list refilled and painted, and the
// GUI thread's longest stall meanwhile. Two folders: one of 200,000
// loose files and one of 10,000 sub-folders. The peer, in the same run, is the straightforward
// way of showing the same folder: QDir::entryInfoList, a QStandardItemModel with an icon from
// QFileIconProvider and a size text per entry, painted in a QTableView of the same size.
//
// Usage: QT_QPA_PLATFORM=offscreen bench_drilldown [fixture folder] [runs]
// The fixture is made in the given folder if it is not there yet (kept for the next run), or in
// a temporary folder that is removed at the end.

#include "BackgroundLink.h"
#include "ByteCount.h"
#include "DynamicStackedView.h"
#include "DynamicStackedViewBox.h"
#include "LooseFileListing.h"
#include "StallMeter.h"
#include "StorageWindowController.h"
#include "VisualDataCell.h"
#include "WorkspaceIcons.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileIconProvider>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace corvale;

namespace {

constexpr int LooseFiles = 200'000;
constexpr int SubFolders = 10'000;

struct Sample
{
    double wall = 0;
    double cpu = 0;
    double stall = 0; // the GUI thread's longest time without handling events
    double busy = 0; // the longest of it spent working (its own CPU time)
};

double threadCpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

class Stopwatch
{
public:
    Stopwatch()
        : m_cpu(threadCpuMs())
    {
        m_wall.start();
    }
    Sample elapsed() const { return {double(m_wall.nsecsElapsed()) / 1e6, threadCpuMs() - m_cpu}; }

private:
    QElapsedTimer m_wall;
    double m_cpu;
};

// Sparse files of random sizes, so the fixture costs inodes, not disk.
bool makeFile(const QByteArray &path, off_t size)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool sized = ::ftruncate(fd, size) == 0;
    ::close(fd);
    return sized;
}

bool makeFixture(const QString &root)
{
    const QByteArray files = QFile::encodeName(root + QStringLiteral("/files"));
    const QByteArray folders = QFile::encodeName(root + QStringLiteral("/folders"));
    if (QFileInfo::exists(root + QStringLiteral("/.complete")))
        return true;
    std::printf("making the fixture in %s ...\n", qPrintable(root));
    std::fflush(stdout);
    QDir().mkpath(QFile::decodeName(files));
    QDir().mkpath(QFile::decodeName(folders));
    static const char *extensions[] = {".txt", ".jpg", ".png", ".pdf", ".mp4", ".tar.gz", ".cpp", ""};
    std::mt19937_64 random(42);
    for (int i = 0; i < LooseFiles; ++i) {
        const QByteArray path = files + "/file-" + QByteArray::number(i) + extensions[random() % 8];
        if (!makeFile(path, off_t(random() % 2'000'000)))
            return false;
    }
    for (int i = 0; i < SubFolders; ++i) {
        const QByteArray folder = folders + "/folder-" + QByteArray::number(i);
        if (::mkdir(folder.constData(), 0755) != 0
            || !makeFile(folder + "/data.bin", off_t(random() % 40'000'000)))
            return false;
    }
    return makeFile(QFile::encodeName(root + QStringLiteral("/.complete")), 0);
}

Sample median(std::vector<Sample> samples)
{
    auto pick = [&](double Sample::*field) {
        std::vector<double> values;
        for (const Sample &s : samples)
            values.push_back(s.*field);
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    return {pick(&Sample::wall), pick(&Sample::cpu), pick(&Sample::stall), pick(&Sample::busy)};
}

// What the user waits for after the click: layouts and the first paint of the file list.
void settle(QWidget *fileList)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    fileList->grab();
}

class Corvale
{
public:
    explicit Corvale(const QString &root)
    {
        m_window.resize(1280, 800);
        m_window.show();
        m_window.openFolder(QFile::encodeName(root));
        while (m_window.session()->rows().empty() || m_window.session()->isListing()) {
            backgroundPool()->waitForDone();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        }
        QCoreApplication::processEvents();
    }

    Sample drillInto(const QString &name)
    {
        QWidget *fileList = m_window.findChild<QWidget *>(QStringLiteral("fileTableView"));
        DynamicStackedViewBox *box = boxInRowZero(name);
        StallMeter stall;
        stall.start();
        const Stopwatch watch;
        // The click is delivered from the event loop, so that the stall it causes is measured.
        QTimer::singleShot(
            0, box, [box] { QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center()); });
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        while (m_window.session()->isListing())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        settle(fileList);
        Sample sample = watch.elapsed();
        const StallMeter::Stall longest = stall.stop();
        sample.stall = longest.wall;
        sample.busy = longest.cpu;
        if (m_window.session()->rows().size() != 2)
            qFatal("the click did not drill down");
        m_listed = m_window.session()->directoryItems().size();
        // Clear the selection: the next click on a sector of row 0 starts from one row.
        box = boxInRowZero(name);
        QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
        settle(fileList);
        return sample;
    }

    std::size_t listed() const { return m_listed; }

private:
    DynamicStackedViewBox *boxInRowZero(const QString &name)
    {
        auto *rows = m_window.findChild<QTableWidget *>(QStringLiteral("tableView"));
        auto *cell = qobject_cast<VisualDataCell *>(rows->cellWidget(0, 0));
        for (const auto &sector : m_window.session()->rows().front().sectors) {
            if (sector->title() == name) {
                DynamicStackedViewBox *box = cell->dynamicView()->boxForSector(sector);
                if (box && box->isVisible())
                    return box;
            }
        }
        qFatal("no box for %s", qPrintable(name));
    }

    StorageWindowController m_window;
    std::size_t m_listed = 0;
};

Sample peerShow(const QString &folder, QTableView &table)
{
    // Never freed: Qt 6.4's QStandardItemModel takes long to tear down a large model, which
    // would dwarf the run.
    auto *model = new QStandardItemModel;
    QFileIconProvider icons;
    const Stopwatch watch;
    const QFileInfoList infos = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::DirsFirst);
    model->setColumnCount(2);
    model->setRowCount(int(infos.size()));
    for (int row = 0; row < int(infos.size()); ++row) {
        const QFileInfo &info = infos[row];
        auto *name = new QStandardItem(icons.icon(info), info.fileName());
        name->setCheckable(true);
        model->setItem(row, 0, name);
        model->setItem(row, 1, new QStandardItem(byteCountText(quint64(info.size()))));
    }
    table.setModel(model);
    settle(&table);
    return watch.elapsed();
}

void print(const char *what, const Sample &ours, const Sample &peer, std::size_t listed)
{
    std::printf(
        "%-24s %7zu entries  Corvale %7.1f ms (CPU %7.1f, longest stall %6.1f, busy %6.1f)  peer %7.1f "
        "ms (CPU %7.1f)  peer/Corvale %5.1fx\n",
        what, listed, ours.wall, ours.cpu, ours.stall, ours.busy, peer.wall, peer.cpu, peer.wall / ours.wall);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    std::unique_ptr<QTemporaryDir> temporary;
    QString root;
    if (argc > 1) {
        root = QFile::decodeName(argv[1]);
        QDir().mkpath(root);
    } else {
        temporary = std::make_unique<QTemporaryDir>();
        root = temporary->path();
    }
    if (!makeFixture(root)) {
        std::fprintf(stderr, "cannot make the fixture in %s\n", qPrintable(root));
        return 1;
    }

    Corvale corvale(root);
    QTableView peerTable;
    peerTable.resize(500, 700);
    peerTable.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    peerTable.show();

    struct Case
    {
        const char *what;
        QString name;
        std::vector<Sample> ours, peer;
        std::size_t listed = 0;
    };
    Case cases[] = {{"200,000 loose files", QStringLiteral("files"), {}, {}},
        {"10,000 sub-folders", QStringLiteral("folders"), {}, {}}};
    for (int run = 0; run < runs; ++run) {
        for (Case &each : cases) {
            each.ours.push_back(corvale.drillInto(each.name));
            each.listed = corvale.listed();
            each.peer.push_back(peerShow(root + QLatin1Char('/') + each.name, peerTable));
        }
    }
    {
        std::vector<Sample> listing;
        for (int run = 0; run < runs; ++run) {
            AnalysisSession::Entries entries;
            const Stopwatch watch;
            appendLooseFiles(QFile::encodeName(root + QStringLiteral("/files")), entries);
            listing.push_back(watch.elapsed());
        }
        std::printf("listing the 200,000 loose files alone: %.1f ms\n", median(listing).wall);
        std::vector<Sample> texts;
        for (int run = 0; run < runs; ++run) {
            const Stopwatch watch;
            for (quint64 i = 0; i < 200'000; ++i)
                byteCountText(i * 9);
            texts.push_back(watch.elapsed());
        }
        std::printf("200,000 size texts alone: %.1f ms\n", median(texts).wall);
    }
    std::printf(
        "click to file list ready, median of %d runs (wall time; CPU time of the GUI thread)\n", runs);
    for (const Case &each : cases)
        print(each.what, median(each.ours), median(each.peer), each.listed);
    return 0;
}
