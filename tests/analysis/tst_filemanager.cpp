// Revealing an item in the desktop's file manager, through a session bus and a set of
// installed applications of the test's own: each case runs the reveal in a child process under
// dbus-run-session, with XDG_DATA_DIRS pointing at the test's applications only.

#include "FileManager.h"
#include "StorageWindowController.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <sys/stat.h>

using namespace corvale;

namespace {

// The file manager's D-Bus face: prints what it was asked to show.
class FakeFileManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public Q_SLOTS:
    void ShowItems(const QStringList &uris, const QString &)
    {
        std::printf("bus %s\n", qPrintable(uris.join(' ')));
        std::fflush(stdout);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
};

// The child: reveals FOLDER/caf\xe9 (a name that is not UTF-8), with a file manager on the bus
// or without.
int reveal(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray folder = argv[3];
    FakeFileManager fake;
    if (qstrcmp(argv[2], "bus") == 0) {
        auto bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake"));
        bus.registerObject(
            QStringLiteral("/org/freedesktop/FileManager1"), &fake, QDBusConnection::ExportAllSlots);
        bus.registerService(QStringLiteral("org.freedesktop.FileManager1"));
    }
    SystemFileManager files([&](const QString &message) {
        std::printf("unavailable %s\n", qPrintable(message));
        app.quit();
    });
    files.showItems({folder + "/caf\xe9"});
    // Done once a launched application has written what it was given beside the folder.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (!QDir(QFile::decodeName(folder) + QStringLiteral("/.."))
                 .entryList({QStringLiteral("*.out")})
                 .isEmpty())
            app.quit();
    });
    poll.start(20);
    QTimer::singleShot(10000, &app, &QCoreApplication::quit);
    return app.exec();
}

} // namespace

class TestFileManager : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // An application for folders that writes what it was given to `out`.
    void install(const QString &share, const QString &id, const QString &out)
    {
        const QString script = m_dir.filePath(id + QStringLiteral(".sh"));
        QFile sh(script);
        QVERIFY(sh.open(QIODevice::WriteOnly));
        sh.write(QStringLiteral("#!/bin/sh\necho \"$@\" > '%1'\n").arg(out).toUtf8());
        sh.close();
        QVERIFY(sh.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QFile desktop(share + QStringLiteral("/applications/") + id + QStringLiteral(".desktop"));
        QVERIFY(desktop.open(QIODevice::WriteOnly));
        desktop.write(QStringLiteral(
            "[Desktop Entry]\nType=Application\nName=%1\nExec=%2 %u\nMimeType=inode/directory;\n")
                          .arg(id, script)
                          .toUtf8());
    }

private Q_SLOTS:
    void bothMenusSayShowInFileManager()
    {
        StorageWindowController controller;
        for (QMenu *menu : {controller.stackedMenu(), controller.fileTableMenu()})
            QCOMPARE(menu->actions().value(0)->text(), QStringLiteral("Show in File Manager"));
    }

    // Where no file manager answers on the bus, the folder goes to the desktop's application for
    // folders, never to this program, even where it is the default; without one, the user is told.
    void theRevealReachesAFileManagerWithTheKernelsBytes_data()
    {
        QTest::addColumn<bool>("onBus");
        QTest::addColumn<QStringList>("installed"); // the first is the default for folders
        QTest::addColumn<QString>("expected");
        QTest::newRow("on the bus") << true << QStringList {} << "bus file://FOLDER/caf%E9";
        QTest::newRow("not on the bus, this program the default")
            << false << QStringList {"app.corvale.Corvale", "files"} << "files FOLDER";
        QTest::newRow("not on the bus, only this program")
            << false << QStringList {"app.corvale.Corvale"}
            << "unavailable “FOLDER” cannot be shown: no file manager is installed";
    }
    void theRevealReachesAFileManagerWithTheKernelsBytes()
    {
        QFETCH(bool, onBus);
        QFETCH(QStringList, installed);
        QFETCH(QString, expected);
        const QString runSession = QStandardPaths::findExecutable(QStringLiteral("dbus-run-session"));
        if (runSession.isEmpty())
            QSKIP("dbus-run-session is missing (Debian package dbus): no session bus of the test's own");
        const QString share = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        const QString folder = m_dir.filePath(QStringLiteral("folder"));
        QDir().mkpath(folder);
        QDir().mkpath(share + QStringLiteral("/applications"));
        for (const QString &id : installed)
            install(share, id, m_dir.filePath(id + QStringLiteral(".out")));
        // The index of applications by type that the desktop keeps (update-desktop-database).
        QFile index(share + QStringLiteral("/applications/mimeinfo.cache"));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write("[MIME Cache]\ninode/directory=" + installed.join(QStringLiteral(".desktop;")).toUtf8()
            + ".desktop;\n");
        index.close();
        QDir().mkpath(share + QStringLiteral("/config"));
        QFile defaults(share + QStringLiteral("/config/mimeapps.list"));
        QVERIFY(defaults.open(QIODevice::WriteOnly));
        defaults.write(
            "[Default Applications]\ninode/directory=" + installed.value(0).toUtf8() + ".desktop\n");
        defaults.close();

        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_DIRS"), share);
        environment.insert(QStringLiteral("XDG_DATA_HOME"), share + QStringLiteral("/home"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), share + QStringLiteral("/config"));
        environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), share + QStringLiteral("/config"));
        environment.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
        child.setProcessEnvironment(environment);
        child.start(runSession,
            {QStringLiteral("--"), QCoreApplication::applicationFilePath(), QStringLiteral("--reveal"),
                onBus ? QStringLiteral("bus") : QStringLiteral("none"), folder});
        QVERIFY(child.waitForFinished(30000));
        QString said = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
        // A launched application writes what it was given.
        for (const QString &id : installed) {
            QFile out(m_dir.filePath(id + QStringLiteral(".out")));
            if (out.exists() && QTest::qWaitFor([&] { return out.size() > 0; }, 2000)
                && out.open(QIODevice::ReadOnly))
                said += id + ' ' + QString::fromUtf8(out.readAll()).trimmed();
        }
        QCOMPARE(said, QString(expected).replace(QStringLiteral("FOLDER"), folder));
    }
};

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--reveal") == 0)
        return reveal(argc, argv);
    QApplication app(argc, argv);
    TestFileManager test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_filemanager.moc"
