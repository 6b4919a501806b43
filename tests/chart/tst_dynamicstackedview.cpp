#include "DynamicStackedView.h"
#include "DynamicStackedViewBox.h"
#include "DynamicStackedViewDelegate.h"
#include "DynamicStackedViewPopup.h"
#include "HexColor.h"

#include <QCursor>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace corvale;

namespace {

using SectorPtr = std::shared_ptr<DynamicStackedViewSector>;

SectorPtr makeSector(float share, const QString &title, const QString &subtitle = QString())
{
    auto sector = std::make_shared<DynamicStackedViewSector>();
    sector->setSectorPercentage(share);
    sector->setTitle(title);
    sector->setSubtitle(subtitle);
    sector->setColor(colorWithHexColorString(u"0085FF"_qs));
    sector->setHighlightColor(colorWithHexColorString(u"00D93F"_qs));
    return sector;
}

// Records what the bar tells its delegate, as "select:<title>", "remove" and "menu:<title>".
class RecordingDelegate : public DynamicStackedViewDelegate
{
public:
    void didSelectSector(const SectorPtr &sector, DynamicStackedView *) override
    {
        calls << u"select:"_qs + sector->title();
        if (onSelect)
            onSelect();
    }
    void didRemoveSelectionInView(DynamicStackedView *) override { calls << u"remove"_qs; }
    void willOpenMenuForSector(const SectorPtr &sector, DynamicStackedView *) override
    {
        calls << u"menu:"_qs + sector->title();
    }

    QStringList calls;
    std::function<void()> onSelect;
};

} // namespace

class TestDynamicStackedView : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QWidget> m_window;
    RecordingDelegate m_delegate;

    // A bar of the rules' W × 70 (the widget is 4 higher) in a shown window, pointer away from it.
    DynamicStackedView *showBar(int width, Sectors sectors, double spacing = 1.0)
    {
        m_window = std::make_unique<QWidget>();
        m_window->setGeometry(100, 100, width + 40, 200);
        auto *bar = new DynamicStackedView(m_window.get());
        bar->setGeometry(0, 50, width, 70 + DynamicStackedView::kTopMargin);
        bar->setDelegate(&m_delegate);
        bar->setCornerRadius(5);
        bar->setSectorSpacing(spacing);
        bar->setData(std::move(sectors));
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window.get()))
            qFatal("window not exposed");
        return bar;
    }
    void movePointerAway()
    {
        QCursor::setPos(QPoint(2, 2));
        QCoreApplication::processEvents();
    }

private slots:
    void init()
    {
        m_delegate = RecordingDelegate();
        movePointerAway();
    }
    void cleanup() { m_window.reset(); }

    void boxesCoverTheirFramesWithRoundedEdges()
    {
        const Sectors sectors {
            makeSector(0.5f, u"a"_qs), makeSector(0.3f, u"b"_qs), makeSector(0.2f, u"c"_qs)};
        auto *bar = showBar(301, sectors);
        const int top = DynamicStackedView::kTopMargin + 14;
        // Frames 0–149.5, 150.5–240.2, 241.2–301: whole-pixel edges never overlap a neighbour.
        QCOMPARE(bar->boxForSector(sectors[0])->geometry(), QRect(0, top, 150, 50));
        QCOMPARE(bar->boxForSector(sectors[1])->geometry(), QRect(151, top, 89, 50));
        QCOMPARE(bar->boxForSector(sectors[2])->geometry(), QRect(241, top, 60, 50));
        QCOMPARE(bar->boxForSector(sectors[1])->frame().x(), 150.5);
    }

    void slivers_getNoWidget()
    {
        Sectors sectors {makeSector(0.5f, u"big"_qs)};
        for (int i = 0; i < 10000; ++i)
            sectors.push_back(makeSector(0.5f / 10000, u"sliver"_qs));
        auto *bar = showBar(400, sectors);
        QCOMPARE(bar->findChildren<DynamicStackedViewBox *>().size(), 1);
        QVERIFY(bar->boxForSector(sectors[0])->isVisible());
        // The one visible box takes every hidden share: it fills the bar.
        QCOMPARE(bar->boxForSector(sectors[0])->geometry().width(), 400);
        QCOMPARE(bar->boxForSector(sectors[1]), nullptr);

        // Wide enough later, a sector gets its box then.
        sectors[1]->setSectorPercentage(0.25f);
        bar->updateLayout();
        QVERIFY(bar->boxForSector(sectors[1]));
        QVERIFY(bar->boxForSector(sectors[1])->isVisible());
    }

    void clickSelectsMovesAndRemoves()
    {
        const Sectors sectors {
            makeSector(0.5f, u"a"_qs), makeSector(0.3f, u"b"_qs), makeSector(0.2f, u"c"_qs)};
        auto *bar = showBar(301, sectors);
        auto box = [&](int i) { return bar->boxForSector(sectors[i]); };

        QTest::mouseClick(box(1), Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(m_delegate.calls, QStringList {u"select:b"_qs});
        QVERIFY(box(1)->isSelected() && sectors[1]->isSelected());
        QCOMPARE(box(1)->opacity(), 1.0);
        QCOMPARE(box(1)->borderWidth(), 3.0);
        QCOMPARE(box(1)->backgroundColor(), sectors[1]->highlightColor());
        for (int i : {0, 2}) {
            QCOMPARE(box(i)->opacity(), 0.5);
            QCOMPARE(box(i)->borderWidth(), 0.0);
            QVERIFY(!sectors[i]->isSelected());
        }
        // Drawing order: the selected box over its neighbours, the popup over everything.
        const auto children = bar->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        QCOMPARE(children.back(), bar->popup());
        QCOMPARE(children[children.size() - 2], box(1));

        QTest::mouseClick(box(2), Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(m_delegate.calls, (QStringList {u"select:b"_qs, u"select:c"_qs}));
        QCOMPARE(box(1)->opacity(), 0.5);
        QCOMPARE(box(1)->borderWidth(), 0.0);
        QVERIFY(!box(1)->shadowColor().isValid());
        QVERIFY(!box(1)->isSelected() && !sectors[1]->isSelected());
        QVERIFY(box(2)->isSelected() && sectors[2]->isSelected());

        QTest::mouseClick(box(2), Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(m_delegate.calls, (QStringList {u"select:b"_qs, u"select:c"_qs, u"remove"_qs}));
        for (int i : {0, 1, 2}) {
            QCOMPARE(box(i)->opacity(), 1.0);
            QCOMPARE(box(i)->borderWidth(), 0.0);
            QVERIFY(!box(i)->isSelected() && !sectors[i]->isSelected());
        }
    }

    void setDataRestoresTheSelectionSilently()
    {
        const Sectors sectors {
            makeSector(0.5f, u"a"_qs), makeSector(0.3f, u"b"_qs), makeSector(0.2f, u"c"_qs)};
        sectors[0]->setSelected(true);
        sectors[1]->setSelected(true);
        auto *bar = showBar(301, sectors);
        QVERIFY(m_delegate.calls.isEmpty());
        // The later mark wins; the earlier one is cleared.
        QVERIFY(!sectors[0]->isSelected());
        QVERIFY(sectors[1]->isSelected());
        QVERIFY(bar->boxForSector(sectors[1])->isSelected());
        QCOMPARE(bar->boxForSector(sectors[1])->borderWidth(), 3.0);
        QCOMPARE(bar->boxForSector(sectors[0])->opacity(), 0.5);
        QCOMPARE(bar->boxForSector(sectors[2])->opacity(), 0.5);

        // The same records again, as a table re-creating the row does: same looks, still silent.
        bar->setData(sectors);
        QVERIFY(m_delegate.calls.isEmpty());
        QCOMPARE(bar->boxForSector(sectors[1])->borderWidth(), 3.0);
        QCOMPARE(bar->boxForSector(sectors[2])->opacity(), 0.5);
        // And a click on it now removes the selection and says so.
        QTest::mouseClick(bar->boxForSector(sectors[1]), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(m_delegate.calls, QStringList {u"remove"_qs});
    }

    void selectionRestoredOnAHiddenSliverStillDimsTheOthers()
    {
        const Sectors sectors {makeSector(0.999f, u"big"_qs), makeSector(0.001f, u"sliver"_qs)};
        sectors[1]->setSelected(true);
        auto *bar = showBar(400, sectors);
        auto *sliver = bar->boxForSector(sectors[1]);
        QVERIFY(sliver && sliver->isSelected() && sliver->isHidden());
        QCOMPARE(bar->boxForSector(sectors[0])->opacity(), 0.5);

        // Shown once the bar is wide enough, a box made late is dimmed like the others.
        const Sectors more {
            makeSector(0.9f, u"x"_qs), makeSector(0.0005f, u"y"_qs), makeSector(0.0995f, u"z"_qs)};
        more[0]->setSelected(true);
        bar->setData(more);
        QVERIFY(!bar->boxForSector(more[1]));
        more[1]->setSectorPercentage(0.05f);
        bar->updateLayout();
        QCOMPARE(bar->boxForSector(more[1])->opacity(), 0.5);
    }

    void disabledSectorIgnoresClicks()
    {
        const Sectors sectors {makeSector(0.7f, u"folder"_qs), makeSector(0.3f, u"Files"_qs)};
        sectors[1]->setDisabled(true);
        auto *bar = showBar(300, sectors);
        auto *files = bar->boxForSector(sectors[1]);
        QTest::mouseClick(files, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(m_delegate.calls.isEmpty());
        QVERIFY(!sectors[1]->isSelected());
        QCOMPARE(files->borderWidth(), 0.0);
        QCOMPARE(bar->boxForSector(sectors[0])->opacity(), 1.0);
        // The box's own flag was flipped all the same.
        QVERIFY(files->isSelected());
    }

    void delegateMayRebuildTheBarWhileClicked()
    {
        const Sectors sectors {makeSector(0.5f, u"a"_qs), makeSector(0.5f, u"b"_qs)};
        auto *bar = showBar(300, sectors);
        // As the controller does: the rows are rebuilt from the records inside the delegate call.
        m_delegate.onSelect = [&] { bar->setData(sectors); };
        QPointer<DynamicStackedViewBox> clicked = bar->boxForSector(sectors[0]);
        QTest::mouseClick(clicked, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(m_delegate.calls, QStringList {u"select:a"_qs});
        QVERIFY(bar->boxForSector(sectors[0]) != clicked);
        QCOMPARE(bar->boxForSector(sectors[0])->borderWidth(), 3.0);
        QTRY_VERIFY(!clicked); // the old box goes once its event is over
    }

    void hoverShowsAndHidesThePopup()
    {
        const Sectors sectors {makeSector(0.25f, u"left"_qs, u"1 GB"_qs),
            makeSector(0.25f, QString(), QString()), makeSector(0.4f, u"middle"_qs),
            makeSector(0.1f, u"right"_qs)};
        auto *bar = showBar(400, sectors, 0.0);
        auto *left = bar->boxForSector(sectors[0]);
        QVERIFY(bar->popup()->isHidden());

        QTest::mouseMove(left, QPoint(20, 20));
        QTRY_COMPARE(bar->highlightedBox(), left);
        QVERIFY(!bar->popup()->isHidden());
        QCOMPARE(bar->popup()->title(), u"left"_qs);
        QCOMPARE(bar->popup()->subtitle(), u"1 GB"_qs);
        QCOMPARE(left->backgroundColor(), sectors[0]->highlightColor());
        // Box 0–100.25: centred at 50.125 − 60 < 0, so clamped to the bar's left edge.
        QCOMPARE(bar->popup()->geometry(), QRect(0, 0, 120, 36));

        // No title, no subtitle: both lines empty. Box 100.25–200.5: 150.375 − 60 = 90.375 → 90.
        auto *untitled = bar->boxForSector(sectors[1]);
        QTest::mouseMove(untitled, QPoint(20, 20));
        QTRY_COMPARE(bar->highlightedBox(), untitled);
        QCOMPARE(bar->popup()->title(), QString());
        QCOMPARE(bar->popup()->subtitle(), QString());
        QCOMPARE(bar->popup()->x(), 90);
        QCOMPARE(left->backgroundColor(), sectors[0]->color());

        // Right box 360.9–401: clamped so that the popup ends at the bar's right edge.
        QTest::mouseMove(bar->boxForSector(sectors[3]), QPoint(20, 20));
        QTRY_COMPARE(bar->popup()->x(), 400 - 120);

        movePointerAway();
        QTRY_VERIFY(bar->popup()->isHidden());
        QCOMPARE(bar->highlightedBox(), nullptr);
        QCOMPARE(bar->boxForSector(sectors[3])->backgroundColor(), sectors[3]->color());
    }

    void leavingTheSelectedBoxKeepsItsHighlight()
    {
        const Sectors sectors {makeSector(0.5f, u"a"_qs), makeSector(0.5f, u"b"_qs)};
        auto *bar = showBar(300, sectors);
        auto *a = bar->boxForSector(sectors[0]);
        QTest::mouseMove(a, QPoint(10, 10));
        QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(a->backgroundColor(), sectors[0]->highlightColor());

        movePointerAway();
        QTRY_VERIFY(bar->popup()->isHidden());
        QCOMPARE(a->backgroundColor(), sectors[0]->highlightColor());

        // And back in: the popup names it again.
        QTest::mouseMove(a, QPoint(10, 10));
        QTRY_VERIFY(!bar->popup()->isHidden());
        QCOMPARE(bar->popup()->title(), u"a"_qs);

        // Rows rebuilt without that record: no popup is left naming it over an empty bar.
        bar->setData({});
        QVERIFY(bar->popup()->isHidden());
    }

    void noHintLeavesThePopupOfAnother()
    {
        const Sectors sectors {makeSector(0.5f, u"hinted"_qs), makeSector(0.5f, u"quiet"_qs)};
        sectors[1]->setNoHint(true);
        auto *bar = showBar(300, sectors);
        auto *hinted = bar->boxForSector(sectors[0]);
        auto *quiet = bar->boxForSector(sectors[1]);
        // Straight from one box to the other: the first one's exit hides the popup...
        QTest::mouseMove(hinted, QPoint(10, 10));
        QTRY_COMPARE(bar->highlightedBox(), hinted);
        bar->changeHighlight(quiet);
        // ...but a noHint box never shows or moves it.
        QCOMPARE(bar->highlightedBox(), hinted);
        QCOMPARE(bar->popup()->title(), u"hinted"_qs);
        QVERIFY(!bar->popup()->isHidden());
    }

    void layoutReanchorsPopupAtTheBoxLeftEdge()
    {
        // On 300 with spacing 1 the second of two halves starts at 149.5 + 1 = 150.5.
        const Sectors sectors {makeSector(0.5f, u"a"_qs), makeSector(0.5f, u"b"_qs)};
        auto *bar = showBar(300, sectors);
        auto *b = bar->boxForSector(sectors[1]);
        QCOMPARE(b->frame().x(), 150.5);
        QTest::mouseMove(b, QPoint(30, 20));
        QTRY_COMPARE(bar->highlightedBox(), b);
        QCOMPARE(bar->popup()->x(), 165); // centred: 150.5 + 74.75 − 60 = 165.25

        bar->updateLayout();
        QCOMPARE(bar->highlightedBox(), b);
        QCOMPARE(bar->popup()->x(), 151); // left-aligned, 150.5 rounded away from zero
    }

    void contextMenuTellsTheDelegateFirst()
    {
        QMenu menu;
        menu.addAction(u"Reveal"_qs);
        const Sectors sectors {makeSector(0.6f, u"a"_qs), makeSector(0.4f, u"b"_qs)};
        for (const auto &sector : sectors)
            sector->setSubmenu(&menu);
        auto *bar = showBar(300, sectors);

        QStringList callsWhenShown;
        connect(&menu, &QMenu::aboutToShow, this, [&] {
            callsWhenShown = m_delegate.calls;
            QTimer::singleShot(0, &menu, &QMenu::close);
        });
        // Through the window, so that the platform turns the right press into a context-menu event.
        auto *b = bar->boxForSector(sectors[1]);
        const QPoint inWindow = b->mapTo(m_window.get(), QPoint(10, 10));
        QTest::mouseClick(m_window->windowHandle(), Qt::RightButton, {}, inWindow);
        QTRY_COMPARE(callsWhenShown, QStringList {u"menu:b"_qs});
        QCOMPARE(m_delegate.calls, QStringList {u"menu:b"_qs});

        // A box without a menu opens nothing and tells nobody.
        sectors[0]->setSubmenu(nullptr);
        bar->setData(sectors);
        auto *a = bar->boxForSector(sectors[0]);
        QTest::mouseClick(
            m_window->windowHandle(), Qt::RightButton, {}, a->mapTo(m_window.get(), QPoint(10, 10)));
        QCoreApplication::processEvents();
        QCOMPARE(m_delegate.calls, QStringList {u"menu:b"_qs});
    }

    void emptyBarShowsTrackByAppearance()
    {
        auto *bar = showBar(300, {});
        QPalette light;
        light.setColor(QPalette::Window, Qt::white);
        bar->setPalette(light);
        QCOMPARE(bar->trackColor(), QColor(0, 0, 0, 13));
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(30, 30, 30));
        bar->setPalette(dark);
        QCOMPARE(bar->trackColor(), QColor(255, 255, 255, 13));

        bar->setData({makeSector(1.0f, u"a"_qs)});
        QVERIFY(!bar->trackColor().isValid());
        // With sectors, an appearance change leaves the strip clear.
        bar->setPalette(light);
        QVERIFY(!bar->trackColor().isValid());
    }
};

QTEST_MAIN(TestDynamicStackedView)
#include "tst_dynamicstackedview.moc"
