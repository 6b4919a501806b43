#include "FloatingWindowController.h"
#include "FolderChooser.h"
#include "StorageWindowController.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

using namespace corvale;

namespace {

class FixedChooser : public FolderChooser
{
public:
    explicit FixedChooser(QByteArray folder)
        : m_folder(std::move(folder))
    { }
    std::optional<QByteArray> chooseFolder(QWidget *) override { return m_folder; }

private:
    QByteArray m_folder;
};

} // namespace

class TestFloatingWindowController : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void holdsTheAnalysisView()
    {
        FloatingWindowController window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Corvale"));
        QCOMPARE(window.centralWidget(), window.storageController());
        QCOMPARE(window.minimumSize(), QSize(900, 600));
        QVERIFY(window.width() >= 1000 && window.height() >= 700);
    }

    // Every state must fit the smallest window: the result view holds the most.
    void theResultFitsTheSmallestWindow()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        FloatingWindowController window;
        window.storageController()->setFolderChooser(
            std::make_unique<FixedChooser>(QFile::encodeName(dir.path())));
        window.resize(window.minimumSize());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.minimumSizeHint().width() <= 900);
        QVERIFY(window.minimumSizeHint().height() <= 600);

        window.storageController()->selectFolder();
        QThreadPool::globalInstance()->waitForDone();
        QTRY_VERIFY(
            !window.storageController()->findChild<QWidget *>(QStringLiteral("tableView"))->isHidden());
        QVERIFY(window.minimumSizeHint().width() <= 900);
        QVERIFY(window.minimumSizeHint().height() <= 600);
        QCOMPARE(window.size(), QSize(900, 600));
    }

    // Closing the window while a walk runs: the walk stops and nothing reaches the dead window.
    void closingDuringAWalkIsSafe()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 200; ++i)
            QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("d%1/e/f").arg(i)));
        auto window = std::make_unique<FloatingWindowController>();
        window->storageController()->openFolder(QFile::encodeName(dir.path()));
        window.reset();
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }
};

QTEST_MAIN(TestFloatingWindowController)
#include "tst_floatingwindowcontroller.moc"
