// Moves COUNT of the TOTAL files of a folder to a scratch trash with the mover, and the same
// number with `gio trash` (Debian libglib2.0-bin), side by side: each round makes two fresh
// folders and two fresh trashes (XDG_DATA_HOME below WORK), runs both in alternating order, and
// checks that every file arrived with its info file. Wall times, median of the rounds.
// Usage: bench_trash [COUNT] [TOTAL] [ROUNDS] [TASKS] [WORK]
//   TASKS: pool tasks sharing the mover's batch (default 2); WORK: default /var/tmp/corvale-bench-trash

#include "TrashMover.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace corvale;

namespace {

QByteArray work;

// TOTAL small files; returns the COUNT to move, spread over the folder.
QList<QByteArray> makeFolder(const QByteArray &folder, int total, int count)
{
    std::filesystem::create_directories(folder.constData());
    QList<QByteArray> chosen;
    const int step = std::max(1, total / count);
    for (int i = 0; i < total; ++i) {
        const QByteArray path = folder + "/file-" + QByteArray::number(i) + ".txt";
        std::ofstream(path.constData()) << "some content " << i << '\n';
        if (i % step == 0 && chosen.size() < count)
            chosen << path;
    }
    return chosen;
}

int countIn(const QByteArray &folder)
{
    std::error_code error;
    int n = 0;
    for (auto it = std::filesystem::directory_iterator(folder.constData(), error);
         it != std::filesystem::directory_iterator(); ++it)
        ++n;
    return n;
}

double moveWithMover(const QList<QByteArray> &paths, int tasks, const QByteArray &dataHome)
{
    qputenv("XDG_DATA_HOME", dataHome);
    std::atomic<int> failed {0};
    QElapsedTimer timer;
    timer.start();
    const qsizetype share = (paths.size() + tasks - 1) / tasks;
    for (int t = 0; t < tasks; ++t) {
        const QList<QByteArray> part = paths.mid(t * share, share);
        QThreadPool::globalInstance()->start([part, &failed] {
            TrashMover::moveToTrash(part, [&failed](qsizetype, const TrashMover::Result &result) {
                if (!result.trashed)
                    ++failed;
            });
        });
    }
    QThreadPool::globalInstance()->waitForDone();
    const double ms = timer.nsecsElapsed() / 1e6;
    if (failed)
        std::fprintf(stderr, "mover: %d failed\n", int(failed));
    return ms;
}

double moveWithGio(const QList<QByteArray> &paths, const QByteArray &dataHome)
{
    QProcess gio;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), QFile::decodeName(dataHome));
    gio.setProcessEnvironment(environment);
    QStringList arguments {QStringLiteral("trash")};
    for (const QByteArray &path : paths)
        arguments << QFile::decodeName(path);
    QElapsedTimer timer;
    timer.start();
    gio.start(QStringLiteral("gio"), arguments);
    if (!gio.waitForFinished(-1) || gio.exitCode() != 0)
        std::fprintf(stderr, "gio: %s\n", gio.readAllStandardError().constData());
    return timer.nsecsElapsed() / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int count = args.value(1, QStringLiteral("5000")).toInt();
    const int total = args.value(2, QStringLiteral("20000")).toInt();
    const int rounds = args.value(3, QStringLiteral("5")).toInt();
    const int tasks = args.value(4, QStringLiteral("2")).toInt();
    work = QFile::encodeName(args.value(5, QStringLiteral("/var/tmp/corvale-bench-trash")));

    std::vector<double> mover, gio, ratios;
    for (int round = 0; round < rounds; ++round) {
        std::filesystem::remove_all(work.constData());
        const QByteArray ours = work + "/ours", theirs = work + "/gio";
        const QList<QByteArray> oursPaths = makeFolder(ours + "/folder", total, count);
        const QList<QByteArray> gioPaths = makeFolder(theirs + "/folder", total, count);
        // Both start from clean page caches of the same state.
        ::sync();
        double a = 0, b = 0;
        if (round % 2 == 0) {
            a = moveWithMover(oursPaths, tasks, ours + "/data");
            b = moveWithGio(gioPaths, theirs + "/data");
        } else {
            b = moveWithGio(gioPaths, theirs + "/data");
            a = moveWithMover(oursPaths, tasks, ours + "/data");
        }
        for (const QByteArray &base : {ours, theirs}) {
            const int files = countIn(base + "/data/Trash/files"), infos = countIn(base + "/data/Trash/info");
            if (files != count || infos != count || countIn(base + "/folder") != total - count)
                std::fprintf(stderr, "%s: %d in files, %d info files\n", base.constData(), files, infos);
        }
        mover.push_back(a);
        gio.push_back(b);
        ratios.push_back(a / b);
        std::printf("round %d: mover %.0f ms, gio trash %.0f ms, ratio %.2f\n", round + 1, a, b, a / b);
    }
    std::filesystem::remove_all(work.constData());
    std::printf(
        "%d of %d files, %d tasks: mover %.0f ms, gio trash %.0f ms, mover / gio %.2f (median of %d)\n",
        count, total, tasks, median(mover), median(gio), median(ratios), rounds);
    return 0;
}
