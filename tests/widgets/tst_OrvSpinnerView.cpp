#include "MediaClock.h"
#include "OrvSpinnerView.h"

#include <QTest>
#include <QTimer>

using namespace corvale;

namespace {
class ManualClock : public MediaClock
{
public:
    double now() const override { return m_now; }
    void advance(double seconds) { m_now += seconds; }

private:
    double m_now = 1000; // far from zero, so that begin times that ignore the layer show up
};

double cubeScale(const OrvSpinnerView &view, int index = 0)
{
    const SpinnerLayer &layer = view.spinnerLayer();
    return layer.shapes().at(index).scaleAt(layer.currentTime());
}

bool frameTimerRuns(const OrvSpinnerView &view)
{
    return view.findChild<QTimer *>(QStringLiteral("frameTimer"))->isActive();
}
} // namespace

class tst_OrvSpinnerView : public QObject
{
    Q_OBJECT

private slots:
    void cubeScalesFollowTheKeyframes_data()
    {
        QTest::addColumn<double>("elapsed");
        QTest::addColumn<int>("cube");
        QTest::addColumn<double>("scale");
        QTest::newRow("start") << 0.0 << 0 << 0.0;
        // Ease-in-ease-out (control points 0.42 and 0.58): a quarter of the way in time is 12.9 %
        // of the way in scale.
        QTest::newRow("early grow is eased") << 0.15 << 0 << 0.12916;
        QTest::newRow("same diagonal, same lag") << 0.4 << 2 << 0.5;
        QTest::newRow("diagonal 4 mid-grow") << 0.7 << 8 << 0.5;
    }

    void cubeScalesFollowTheKeyframes()
    {
        QFETCH(double, elapsed);
        QFETCH(int, cube);
        QFETCH(double, scale);
        ManualClock clock;
        OrvSpinnerView view(10, Qt::black, 37.0);
        view.setClock(&clock);
        clock.advance(elapsed);
        QVERIFY2(
            qAbs(cubeScale(view, cube) - scale) < 1e-3, qPrintable(QString::number(cubeScale(view, cube))));
    }

    // Stopped or hidden, the spinner runs no frame timer; started again, it goes on where it stopped.
    void stopAndHideIdleTheTimerAndKeepThePhase()
    {
        ManualClock clock;
        QWidget container;
        auto *view = new OrvSpinnerView(10, Qt::black, 37.0, &container);
        view->setClock(&clock);
        QVERIFY(!frameTimerRuns(*view)); // not yet on screen
        container.show();
        QVERIFY(frameTimerRuns(*view));
        clock.advance(1.0);
        const double atStop = cubeScale(*view);
        view->stopAnimating();
        QVERIFY(view->isHidden() && !frameTimerRuns(*view));
        clock.advance(100);
        view->stopAnimating(); // a second stop changes nothing
        QCOMPARE(cubeScale(*view), atStop);
        view->startAnimating();
        QVERIFY(view->isVisible() && frameTimerRuns(*view));
        QCOMPARE(cubeScale(*view), atStop);
        clock.advance(0.2);
        view->startAnimating(); // nor does a second start
        QVERIFY(qAbs(cubeScale(*view) - 0.5) < 1e-3); // 1.2 s into the cycle, not 0.2 s
        container.hide();
        QVERIFY(!frameTimerRuns(*view));
        container.show();
        QVERIFY(frameTimerRuns(*view));
        view->hide();
        QVERIFY(!frameTimerRuns(*view));
        // Left visible when stopped, it still runs none.
        view->show();
        view->setHidesWhenStopped(false);
        view->stopAnimating();
        QVERIFY(view->isVisible() && !frameTimerRuns(*view));
    }
};

QTEST_MAIN(tst_OrvSpinnerView)
#include "tst_OrvSpinnerView.moc"
