// The program's command line, run as the user runs it: a wrong argument ends with the same
// error and status 2, whether or not there is a display to show a window on.

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void aWrongArgumentEndsInTextWithOrWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        const QString file = m_dir.filePath(QStringLiteral("notes.txt"));
        QFile(file).open(QIODevice::WriteOnly);
        QTest::newRow("missing") << QStringList {"/nonexistent/corvale"}
                                 << "/nonexistent/corvale: no such folder";
        QTest::newRow("a file") << QStringList {
            file} << QStringLiteral("%1 is a file, not a folder. Its folder is %2").arg(file, m_dir.path());
        QTest::newRow("two folders") << QStringList {"/", "/tmp"} << "Give at most one folder.";
        QTest::newRow("a missing scan")
            << QStringList {"--open=/nonexistent/scan.json"} << "/nonexistent/scan.json: no such file";
        QTest::newRow("a folder to open")
            << QStringList {"--open", m_dir.path()} << m_dir.path() + " is a folder, not a scan file";
        QTest::newRow("a scan and a folder")
            << QStringList {"--open", file, "/"} << "Give a folder or a scan file to open, not both.";
    }
    void aWrongArgumentEndsInTextWithOrWithoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        for (const QString &platform : {QString(), QStringLiteral("offscreen")}) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
                environment.remove(QString::fromLatin1(name));
            if (!platform.isEmpty())
                environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
            environment.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
            environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
            QProcess corvale;
            corvale.setProcessEnvironment(environment);
            corvale.start(QStringLiteral(CORVALE_BINARY), arguments);
            QVERIFY(corvale.waitForFinished(20000));
            QCOMPARE(corvale.exitStatus(), QProcess::NormalExit);
            QCOMPARE(corvale.exitCode(), 2);
            QCOMPARE(QString::fromLocal8Bit(corvale.readAllStandardError()).trimmed(), error);
        }
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
