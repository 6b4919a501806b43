#include "StackedBarLayout.h"

#include <QTest>

using namespace corvale;

using Shares = std::vector<float>;
using Frames = QList<QRectF>; // an empty rect: the box is hidden
Q_DECLARE_METATYPE(Shares)

class TestStackedBarLayout : public QObject
{
    Q_OBJECT

private slots:
    void placesBoxes_data()
    {
        QTest::addColumn<Shares>("shares");
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("spacing");
        QTest::addColumn<Frames>("frames");

        // Bar height 70, so the strip and every box are 50 high.
        QTest::newRow("three sectors with spacing 1 end at the right edge")
            << Shares {0.5f, 0.3f, 0.2f} << 301.0 << 1.0
            << Frames {{0, 0, 299 * 0.5, 50}, {150.5, 0, 299 * double(0.3f), 50},
                   {150.5 + 299 * double(0.3f) + 1, 0, 299 * double(0.2f), 50}};
        // 0.002 of 298 is under a point: that box is hidden and the others share its room.
        const float rest = 1.0f - 0.002f;
        QTest::newRow("a sliver is hidden and the others widen to the right edge")
            << Shares {0.6f, 0.002f, 0.398f} << 300.0 << 1.0
            << Frames {{0, 0, 299 * double(0.6f) / rest, 50}, {},
                   {299 * double(0.6f) / rest + 1, 0, 299 * double(0.398f) / rest, 50}};
        // No sector a point wide: the bar would be blank; the largest (the first of equals) fills it.
        Frames firstAlone {{0, 0, 300, 50}};
        firstAlone.resize(1024);
        QTest::newRow("every sector too small: the largest shows alone")
            << Shares(1024, 1.0f / 1024) << 300.0 << 1.0 << firstAlone;
        // 501 boxes on 300: the gaps alone overdraw the width. Measured against that negative width
        // the big share would be hidden first and nothing placed; the slivers go first instead.
        Shares crowded {0.6f};
        float crowdedRest = 1.0f;
        for (int i = 0; i < 500; ++i) {
            crowded.push_back(0.0008f);
            crowdedRest -= 0.0008f;
        }
        Frames crowdedFrames {{0, 0, 300 * double(0.6f) / crowdedRest, 50}};
        crowdedFrames.resize(501);
        QTest::newRow("more boxes than points: the big share still shows")
            << crowded << 300.0 << 1.0 << crowdedFrames;
    }

    void placesBoxes()
    {
        QFETCH(Shares, shares);
        QFETCH(double, width);
        QFETCH(double, spacing);
        QFETCH(Frames, frames);

        QVERIFY(!StackedBarLayout::compute(shares, 0, 70, spacing).valid); // no area: nothing changes
        const auto layout = StackedBarLayout::compute(shares, width, 70, spacing);
        QVERIFY(layout.valid);
        QCOMPARE(layout.barHeight, 50.0);
        QCOMPARE(layout.boxes.size(), std::size_t(frames.size()));
        for (qsizetype i = 0; i < frames.size(); ++i) {
            const auto &box = layout.boxes[i];
            QCOMPARE(box.hidden, frames[i].isNull());
            QCOMPARE(box.placed, !frames[i].isNull());
            if (box.placed)
                QCOMPARE(box.frame, frames[i]);
        }
    }
};

QTEST_APPLESS_MAIN(TestStackedBarLayout)
#include "tst_stackedbarlayout.moc"
