// Revealing an item in the desktop's file manager. Each case runs the reveal in a child process
// with a session bus of its own (dbus-run-session) and only the test's applications installed.

#include "FileManager.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

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
    }
};

// The child: reveals FOLDER/caf\xe9 (a name that is not UTF-8), with or without a file manager on
// the bus, or opens it, a file, with its default application; a launched application writes
// beside FOLDER what it was given.
int reveal(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    FakeFileManager fake;
    if (qstrcmp(argv[2], "bus") == 0) {
        auto bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake"));
        bus.registerObject(
            QStringLiteral("/org/freedesktop/FileManager1"), &fake, QDBusConnection::ExportAllSlots);
        bus.registerService(QStringLiteral("org.freedesktop.FileManager1"));
    }
    SystemFileManager files(
        [](const QString &message) { std::printf("unavailable %s\n", qPrintable(message)); });
    const QByteArray item = QByteArray(argv[3]) + "/caf\xe9";
    if (qstrcmp(argv[2], "open") == 0)
        files.openItem(item, ::close(::open(item.constData(), O_CREAT | O_WRONLY, 0600)) != 0);
    else
        files.showItems({item});
    QTimer::singleShot(1000, &app, &QCoreApplication::quit);
    return app.exec();
}

void writeFile(const QString &path, const QString &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.toUtf8().size());
}

} // namespace

class TestFileManager : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    // Where no file manager answers on the bus, the folder goes to the desktop's application for
    // folders, never to this program, even where it is the default; without one, the user is told.
    void theRevealReachesAFileManagerWithTheKernelsBytes_data()
    {
        QTest::addColumn<QString>("mode"); // bus, none (no file manager on the bus), open (a file)
        QTest::addColumn<QStringList>("installed"); // the first is the default for folders and files
        QTest::addColumn<QString>("expected");
        QTest::newRow("on the bus") << "bus" << QStringList {} << "bus file://FOLDER/caf%E9";
        QTest::newRow("not on the bus, this program the default")
            << "none" << QStringList {"app.corvale.Corvale", "files"} << "files FOLDER";
        QTest::newRow("a file, with its default application")
            << "open" << QStringList {"editor"} << QStringLiteral("editor FOLDER/caf\uFFFD");
        QTest::newRow("not on the bus, only this program")
            << "none" << QStringList {"app.corvale.Corvale"}
            << "unavailable “FOLDER” cannot be shown: no file manager is installed";
    }
    void theRevealReachesAFileManagerWithTheKernelsBytes()
    {
        QFETCH(QString, mode);
        QFETCH(QStringList, installed);
        QFETCH(QString, expected);
        const QString runSession = QStandardPaths::findExecutable(QStringLiteral("dbus-run-session"));
        if (runSession.isEmpty())
            QSKIP("dbus-run-session is missing (Debian package dbus): no session bus of the test's own");
        const QString share = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        const QString folder = m_dir.filePath(QStringLiteral("folder"));
        for (const QString &id : installed) {
            const QString script = m_dir.filePath(id + ".sh");
            writeFile(script, QStringLiteral("#!/bin/sh\necho %1 \"$@\" > %2.out\n").arg(id, script));
            QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            writeFile(share + "/applications/" + id + ".desktop",
                "[Desktop Entry]\nType=Application\nName=" + id + "\nExec=" + script
                    + " %u\nMimeType=inode/directory;text/plain;\n");
        }
        // The index of applications by type that the desktop keeps (update-desktop-database).
        writeFile(share + "/applications/mimeinfo.cache",
            "[MIME Cache]\ninode/directory=" + installed.join(".desktop;") + ".desktop;\n");
        writeFile(share + "/config/mimeapps.list",
            "[Default Applications]\ninode/directory=" + installed.value(0)
                + ".desktop\ntext/plain=" + installed.value(0) + ".desktop\n");
        QDir().mkpath(folder);

        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_DIRS"), share);
        environment.insert(QStringLiteral("XDG_DATA_HOME"), share + "/home");
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), share + "/config");
        child.setProcessEnvironment(environment);
        child.start(runSession, {"--", QCoreApplication::applicationFilePath(), "--reveal", mode, folder});
        QVERIFY(child.waitForFinished(30000));
        QString said = QString::fromUtf8(child.readAllStandardOutput());
        for (const QString &id : installed) {
            QFile out(m_dir.filePath(id + ".sh.out"));
            if (out.open(QIODevice::ReadOnly))
                said += QString::fromUtf8(out.readAll());
        }
        QCOMPARE(said.trimmed(), QString(expected).replace(QStringLiteral("FOLDER"), folder));
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
