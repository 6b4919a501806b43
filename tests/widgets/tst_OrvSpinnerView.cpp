#include "MediaClock.h"
#include "OrvSpinnerAnimating.h"
#include "OrvSpinnerView.h"

#include <QImage>
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

// Ease-in-ease-out solved by bisection, independent of QEasingCurve.
double easeInEaseOut(double progress)
{
    auto bezier = [](double t, double p1, double p2) {
        const double u = 1 - t;
        return 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t;
    };
    double low = 0, high = 1;
    for (int i = 0; i < 60; ++i) {
        const double mid = (low + high) / 2;
        (bezier(mid, 0.42, 0.58) < progress ? low : high) = mid;
    }
    return bezier((low + high) / 2, 0, 1);
}

double cubeScale(const OrvSpinnerView &view, int index)
{
    const SpinnerLayer &layer = view.spinnerLayer();
    return layer.shapes().at(index).scaleAt(layer.currentTime());
}

bool frameTimerRuns(const OrvSpinnerView &view)
{
    return view.findChild<QTimer *>(QStringLiteral("frameTimer"))->isActive();
}

QImage rendered(OrvSpinnerView &view)
{
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

struct RecordingAnimator : OrvSpinnerAnimating
{
    void setupSpinnerAnimation(SpinnerLayer &layer, const QSizeF &size, const QColor &color) override
    {
        sizes.append(size);
        colors.append(color);
        SpinnerShape shape;
        shape.frame = QRectF(QPointF(), size);
        shape.color = color;
        layer.addShape(shape);
    }
    QList<QSizeF> sizes;
    QList<QColor> colors;
};
} // namespace

class tst_OrvSpinnerView : public QObject
{
    Q_OBJECT

private slots:
    void nineCubeGridFillsTheSpinnerSquare()
    {
        OrvSpinnerView view(10);
        QCOMPARE(view.spinnerSize(), 37.0);

        // Diagonal by diagonal from the origin, columns increasing within a diagonal.
        const QList<QPoint> order = {{0, 0}, {0, 1}, {1, 0}, {0, 2}, {1, 1}, {2, 0}, {1, 2}, {2, 1}, {2, 2}};
        const auto &shapes = view.spinnerLayer().shapes();
        QCOMPARE(int(shapes.size()), 9);
        const double edge = 37.0 / 3;
        for (int k = 0; k < 9; ++k) {
            QCOMPARE(shapes[k].frame, QRectF(edge * order[k].x(), edge * order[k].y(), edge, edge));
            QCOMPARE(shapes[k].color, view.color());
            QCOMPARE(shapes[k].modelScale, 0.0);
        }
    }

    void stylesWithoutAnimationAreEmpty_data()
    {
        QTest::addColumn<int>("style");
        QTest::newRow("zero") << 0;
        QTest::newRow("past the table") << 16;
        QTest::newRow("negative") << -1;
        QTest::newRow("a style not provided") << 1;
    }

    void stylesWithoutAnimationAreEmpty()
    {
        QFETCH(int, style);
        OrvSpinnerView view(style, Qt::black, 30.0);
        view.show();
        QVERIFY(view.spinnerLayer().shapes().empty());
        QVERIFY(!frameTimerRuns(view));
        QCOMPARE(view.sizeHint(), QSize(30, 30));
    }

    void cubeScalesFollowTheKeyframes_data()
    {
        QTest::addColumn<double>("elapsed");
        QTest::addColumn<int>("cube");
        QTest::addColumn<double>("scale");
        QTest::newRow("start") << 0.0 << 0 << 0.0;
        QTest::newRow("early grow is eased") << 0.15 << 0 << easeInEaseOut(0.25);
        QTest::newRow("mid-grow") << 0.3 << 0 << 0.5;
        QTest::newRow("full at 0.6 s") << 0.6 << 0 << 1.0;
        QTest::newRow("hold") << 0.75 << 0 << 1.0;
        QTest::newRow("early shrink is eased") << 1.0 << 0 << 1 - easeInEaseOut(1.0 / 6);
        QTest::newRow("mid-shrink") << 1.2 << 0 << 0.5;
        QTest::newRow("gone at the cycle's end") << 1.5 << 0 << 0.0;
        QTest::newRow("second cycle") << 1.8 << 0 << 0.5;
        QTest::newRow("diagonal 1 lags 0.1 s") << 0.4 << 1 << 0.5;
        QTest::newRow("same diagonal, same scale") << 0.4 << 2 << 0.5;
        QTest::newRow("diagonal 2 at its middle cube") << 0.5 << 4 << 0.5;
        QTest::newRow("diagonal 4 before its start") << 0.35 << 8 << 0.0;
        QTest::newRow("diagonal 4 mid-grow") << 0.7 << 8 << 0.5;
        QTest::newRow("diagonal 4 wraps later") << 1.9 << 8 << 0.0;
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
        QVERIFY2(qAbs(cubeScale(view, cube) - scale) < 1e-3,
            qPrintable(QStringLiteral("scale %1, expected %2").arg(cubeScale(view, cube)).arg(scale)));
    }

    void gridSitsAtTheBottomLeftOfALargerFrame()
    {
        ManualClock clock;
        OrvSpinnerView view(10, Qt::red, 37.0);
        view.setClock(&clock);
        view.setHidesWhenStopped(false);
        view.resize(40, 40);
        clock.advance(0.4); // the first diagonal is well grown, the last not yet begun
        view.stopAnimating();

        const QImage image = rendered(view);
        const double edge = 37.0 / 3;
        const QPoint firstCube(int(edge / 2), int(40 - edge / 2));
        const QPoint lastCube(int(2.5 * edge), int(40 - 2.5 * edge));
        QCOMPARE(image.pixelColor(firstCube), QColor(Qt::red));
        QCOMPARE(image.pixelColor(lastCube).alpha(), 0);
        for (int x = 0; x < 40; x += 3)
            QCOMPARE(image.pixelColor(x, 1).alpha(), 0); // the 3 spare points are above the grid
    }

    void secondStopAndSecondStartDoNothing()
    {
        ManualClock clock;
        QWidget container;
        auto *view = new OrvSpinnerView(10, Qt::black, 37.0, &container);
        view->setClock(&clock);
        container.show();

        clock.advance(0.3);
        view->stopAnimating();
        QVERIFY(view->isStopped());
        QVERIFY(view->isHidden());
        clock.advance(1.0);
        view->stopAnimating();
        QCOMPARE(cubeScale(*view, 0), 0.5);

        view->startAnimating();
        QVERIFY(view->isVisible());
        QVERIFY(view->isAnimating());
        clock.advance(0.45);
        view->startAnimating();
        QVERIFY(qAbs(cubeScale(*view, 0) - 1.0) < 1e-9); // 0.75 s into the cycle: holding
    }

    void stopWaitStartContinuesFromTheFrozenPhase()
    {
        ManualClock clock;
        OrvSpinnerView view(10, Qt::black, 37.0);
        view.setClock(&clock);
        clock.advance(1.0);
        const double atStop = cubeScale(view, 0);
        view.stopAnimating();
        clock.advance(100);
        QCOMPARE(cubeScale(view, 0), atStop);
        view.startAnimating();
        QCOMPARE(cubeScale(view, 0), atStop);
        clock.advance(0.2);
        QVERIFY(qAbs(cubeScale(view, 0) - 0.5) < 1e-3); // 1.2 s into the cycle, not 0.2 s
    }

    void gridAppliedAfterAPauseStartsAtOnce()
    {
        ManualClock clock;
        OrvSpinnerView view(10, Qt::black, 37.0);
        view.setClock(&clock);
        clock.advance(0.7);
        view.stopAnimating();
        clock.advance(50);
        view.startAnimating();
        view.setSpinnerSize(30); // makes a new grid on a layer 50 s behind the clock
        QCOMPARE(view.spinnerLayer().shapes().front().frame.width(), 10.0);
        clock.advance(0.3);
        QVERIFY(qAbs(cubeScale(view, 0) - 0.5) < 1e-3);

        view.stopAnimating();
        view.setStyle(10); // made while stopped: frozen at its start until started
        clock.advance(5);
        QCOMPARE(cubeScale(view, 0), 0.0);
        view.startAnimating();
        clock.advance(0.3);
        QVERIFY(qAbs(cubeScale(view, 0) - 0.5) < 1e-3);
    }

    void noFrameTimerWhileStoppedOrHidden()
    {
        QWidget container;
        auto *view = new OrvSpinnerView(10, Qt::black, 37.0, &container);
        QVERIFY(!frameTimerRuns(*view)); // not yet on screen
        container.show();
        QVERIFY(frameTimerRuns(*view));
        view->stopAnimating();
        QVERIFY(!frameTimerRuns(*view));

        view->setHidesWhenStopped(false);
        view->startAnimating();
        QVERIFY(frameTimerRuns(*view));
        view->stopAnimating();
        QVERIFY(view->isVisible());
        QVERIFY(!frameTimerRuns(*view));

        view->startAnimating();
        container.hide();
        QVERIFY(!frameTimerRuns(*view));
        container.show();
        QVERIFY(frameTimerRuns(*view));
        view->hide();
        QVERIFY(!frameTimerRuns(*view));
    }

    void recolouringWhileStoppedIsImmediate()
    {
        ManualClock clock;
        OrvSpinnerView view(10, QColor(255, 255, 255, 191), 40.0);
        view.setClock(&clock);
        view.setHidesWhenStopped(false);
        view.show();
        clock.advance(0.7);
        view.stopAnimating();

        const QColor dimBlack(0, 0, 0, 77);
        view.setColor(dimBlack);
        QCOMPARE(view.color(), dimBlack);
        for (const SpinnerShape &shape : view.spinnerLayer().shapes())
            QCOMPARE(shape.color, dimBlack);
        const QColor painted = rendered(view).pixelColor(6, 40 - 6);
        QCOMPARE(painted.alpha(), 77);
        QCOMPARE(painted.red(), 0);

        // Asked to animate, the colour is the new one at once and is painted after a fade.
        view.setColor(Qt::white, true);
        QCOMPARE(view.color(), QColor(Qt::white));
        QVERIFY(rendered(view).pixelColor(6, 34) != QColor(Qt::white)); // still on its way
        QTRY_COMPARE(rendered(view).pixelColor(6, 34), QColor(Qt::white));
    }

    void animatorReplacesTheStyle()
    {
        auto animator = std::make_shared<RecordingAnimator>();
        OrvSpinnerView view(animator, Qt::blue, 20.0);
        QCOMPARE(view.style(), 0);
        QCOMPARE(animator->sizes, QList<QSizeF> {QSizeF(20, 20)});
        QCOMPARE(animator->colors, QList<QColor> {QColor(Qt::blue)});
        QCOMPARE(view.spinnerLayer().shapes().size(), std::size_t(1));

        view.setSpinnerSize(30);
        QCOMPARE(animator->sizes.last(), QSizeF(30, 30));
        QCOMPARE(view.sizeHint(), QSize(30, 30));
        QCOMPARE(view.spinnerLayer().shapes().size(), std::size_t(1)); // replaced, not added
    }
};

QTEST_MAIN(tst_OrvSpinnerView)
#include "tst_OrvSpinnerView.moc"
