// Times the window's Move to Trash at scale: COUNT checked entries of a folder of TOTAL files,
// from the press to the last result shown, with the longest stall of the GUI thread and the growth
// of the peak memory while it runs. The peer, in the same run, is `gio trash` moving the same
// number of files of an identical folder into the same trash.
//
// Usage: QT_QPA_PLATFORM=offscreen bench_trashwindow SCRATCH [COUNT] [TOTAL] [ROUNDS]
// SCRATCH is emptied and used for the folders and for the trash ($XDG_DATA_HOME points into it).

#include "AnalysisSession.h"
#include "StallMeter.h"
#include "StorageWindowController.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QThreadPool>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace corvale;

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Resident and peak resident memory of this process in MiB.
double status(const char *field)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return 0;
}

QStringList makeFolder(const QString &folder, int total)
{
    QDir().mkpath(folder);
    QStringList paths;
    for (int i = 0; i < total; ++i) {
        const QString path = folder + QStringLiteral("/file-%1.dat").arg(i, 6, 10, QLatin1Char('0'));
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::ftruncate(fd, 4096 + i) != 0)
            qFatal("cannot make %s", qPrintable(path));
        ::close(fd);
        paths << path;
    }
    return paths;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_trashwindow SCRATCH [COUNT] [TOTAL] [ROUNDS]\n");
        return 2;
    }
    const QString scratch = QDir(QFile::decodeName(argv[1])).absolutePath();
    const int count = argc > 2 ? std::atoi(argv[2]) : 5000;
    const int total = argc > 3 ? std::atoi(argv[3]) : 20000;
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 3;
    QDir(scratch).removeRecursively();
    QDir().mkpath(scratch + QStringLiteral("/data"));
    // Read once by the trash code: set before anything runs.
    qputenv("XDG_DATA_HOME", QFile::encodeName(scratch + QStringLiteral("/data")));
    QApplication app(argc, argv);

    std::vector<double> ours, peer, stalls, busy, growth;
    for (int round = 0; round < rounds; ++round) {
        const QString mine = scratch + QStringLiteral("/ours-%1").arg(round);
        const QStringList peerFiles = makeFolder(scratch + QStringLiteral("/peer-%1").arg(round), total);
        makeFolder(mine, total);

        StorageWindowController window;
        window.resize(1280, 800);
        window.show();
        AnalysisSession &session = *window.session();
        window.openFolder(QFile::encodeName(mine));
        while (session.state() != AnalysisSession::State::Result || session.isListing())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::processEvents();
        auto listed = session.directoryItems();
        listed.resize(size_t(count));
        session.setFilesToDelete(listed);
        QCoreApplication::processEvents();

        const double before = status("VmRSS:");
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5"); // the peak starts again from here
        clear.close();
        StallMeter stall;
        QEventLoop loop;
        QObject::connect(&session, &AnalysisSession::trashActionFinished, &loop, &QEventLoop::quit);
        QElapsedTimer watch;
        stall.start();
        watch.start();
        window.trashSelectedItems();
        std::printf("press took %.0f ms\n", double(watch.nsecsElapsed()) / 1e6);
        loop.exec();
        ours.push_back(double(watch.nsecsElapsed()) / 1e6);
        const StallMeter::Stall longest = stall.stop();
        stalls.push_back(longest.wall);
        busy.push_back(longest.cpu);
        growth.push_back(status("VmHWM:") - before);
        if (session.directoryItems().size() != size_t(total - count))
            qFatal("the move left %zu entries", session.directoryItems().size());

        QProcess gio;
        watch.restart();
        gio.start(QStringLiteral("gio"), QStringList {QStringLiteral("trash")} + peerFiles.mid(0, count));
        if (!gio.waitForFinished(600000) || gio.exitCode() != 0)
            qFatal("gio trash failed: %s", gio.readAllStandardError().constData());
        peer.push_back(double(watch.nsecsElapsed()) / 1e6);
        std::printf("round %d: Corvale %.0f ms (longest stall %.1f ms, of it busy %.1f ms; peak +%.1f MiB), "
                    "gio trash %.0f ms\n",
            round + 1, ours.back(), stalls.back(), busy.back(), growth.back(), peer.back());
        std::fflush(stdout);
        QDir(scratch + QStringLiteral("/data/Trash")).removeRecursively();
    }
    std::printf("%d of %d entries, median of %d rounds: Corvale %.0f ms, gio trash %.0f ms, ratio %.2f; "
                "longest stall %.1f ms (busy %.1f ms); peak memory +%.1f MiB\n",
        count, total, rounds, median(ours), median(peer), median(ours) / median(peer), median(stalls),
        median(busy), median(growth));
    QDir(scratch).removeRecursively();
    return 0;
}
