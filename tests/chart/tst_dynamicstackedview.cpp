#include "DynamicStackedView.h"
#include "DynamicStackedViewBox.h"
#include "DynamicStackedViewDelegate.h"
#include "DynamicStackedViewPopup.h"

#include <QAccessible>
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
    sector->setColor(Qt::blue);
    sector->setHighlightColor(Qt::green);
    return sector;
}

// Records what the bar tells its delegate, as "select:<title>", "remove" and "menu:<title>".
struct RecordingDelegate : DynamicStackedViewDelegate
{
    void didSelectSector(const SectorPtr &sector, DynamicStackedView *) override
    {
        calls << u"select:"_qs + sector->title();
        onSelect();
    }
    void didRemoveSelectionInView(DynamicStackedView *) override { calls << u"remove"_qs; }
    void willOpenMenuForSector(const SectorPtr &sector, DynamicStackedView *) override
    {
        calls << u"menu:"_qs + sector->title();
    }
    QStringList calls;
    std::function<void()> onSelect = [] {};
};

} // namespace

class TestDynamicStackedView : public QObject
{
    Q_OBJECT

    std::unique_ptr<QWidget> m_window;
    RecordingDelegate m_delegate;

    DynamicStackedView *showBar(int width, Sectors sectors)
    {
        m_window = std::make_unique<QWidget>();
        m_window->setGeometry(100, 100, width + 40, 200);
        auto *bar = new DynamicStackedView(m_window.get());
        bar->setGeometry(0, 50, width, 70 + DynamicStackedView::kTopMargin);
        bar->setDelegate(&m_delegate);
        bar->setData(std::move(sectors));
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window.get()))
            qFatal("window not exposed");
        return bar;
    }
    void movePointer(QPoint to = {2, 2})
    {
        QCursor::setPos(to);
        QCoreApplication::processEvents();
    }
    void click(QWidget *box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, 5)); }

private slots:
    void init()
    {
        m_delegate = RecordingDelegate();
        movePointer();
    }
    void cleanup() { m_window.reset(); }

    void barWithASizeIsNeverBlank_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("width");
        // The first sector holds half, the others share the rest: at a width just below the count
        // of sectors the gaps left no room to measure against, and nothing was drawn.
        for (const auto &[count, width] :
            {std::pair {400, 399}, {400, 400}, {400, 401}, {801, 800}, {801, 801}})
            QTest::addRow("%d sectors, %d wide", count, width) << count << width;
    }
    void barWithASizeIsNeverBlank()
    {
        QFETCH(int, count);
        QFETCH(int, width);
        Sectors sectors {makeSector(0.5f, u"half"_qs)};
        for (int i = 1; i < count; ++i)
            sectors.push_back(makeSector(0.5f / float(count - 1), u"sliver"_qs));
        auto *bar = showBar(width, sectors);
        bar->setSectorSpacing(1.0); // as in the window: the gaps are what left no room
        auto *half = bar->boxForSector(sectors[0]);
        QVERIFY(half && half->isVisible());
        // Alone, it takes every hidden share; the slivers get no widget at all.
        QCOMPARE(half->geometry(), QRect(QPoint(0, int(bar->stripRect().top())), QSize(width, 50)));
        QCOMPARE(bar->findChildren<DynamicStackedViewBox *>().size(), 1);
    }

    void setDataRestoresTheSelectionSilently()
    {
        const Sectors sectors {
            makeSector(0.5f, u"a"_qs), makeSector(0.3f, u"b"_qs), makeSector(0.2f, u"c"_qs)};
        sectors[0]->setSelected(true);
        sectors[1]->setSelected(true);
        auto *bar = showBar(301, sectors);
        // The later mark wins; the earlier one is cleared.
        QVERIFY(!sectors[0]->isSelected());
        QCOMPARE(bar->boxForSector(sectors[1])->borderWidth(), 3.0);
        QCOMPARE(bar->boxForSector(sectors[0])->opacity(), 0.5);

        // A mark on a sector too narrow to show still dims the others.
        const Sectors more {
            makeSector(0.999f, u"x"_qs), makeSector(0.0005f, u"y"_qs), makeSector(0.0005f, u"z"_qs)};
        more[1]->setSelected(true);
        bar->setData(more);
        auto *y = bar->boxForSector(more[1]);
        QVERIFY(y && y->isSelected() && y->isHidden());
        QCOMPARE(bar->boxForSector(more[0])->opacity(), 0.5);
        // A box made late, once its sector is wide enough, is dimmed like the others.
        QVERIFY(!bar->boxForSector(more[2]));
        more[2]->setSectorPercentage(0.05f);
        bar->updateLayout();
        QCOMPARE(bar->boxForSector(more[2])->opacity(), 0.5);
    }

    void hoverShowsAndHidesThePopup()
    {
        const Sectors sectors {makeSector(0.4f, u"left"_qs, u"1 GB"_qs), makeSector(0.3f, u"quiet"_qs),
            makeSector(0.3f, QString())};
        sectors[1]->setNoHint(true);
        auto *bar = showBar(400, sectors);
        auto *left = bar->boxForSector(sectors[0]);
        const auto label = [&] { return QStringList {bar->popup()->title(), bar->popup()->subtitle()}; };
        QTest::mouseMove(left, QPoint(20, 20));
        QTRY_COMPARE(bar->highlightedBox(), left);
        QCOMPARE(label(), (QStringList {u"left"_qs, u"1 GB · 40 %"_qs}));
        QCOMPARE(left->backgroundColor(), sectors[0]->highlightColor());
        QVERIFY(qAbs(bar->popup()->geometry().center().x() - left->geometry().center().x()) <= 1);

        // No title, no subtitle: an empty first line, the share alone. At the right edge, after
        // the layout passes of a click and of a resize, the label stays whole on the bar.
        auto *last = bar->boxForSector(sectors[2]);
        QTest::mouseMove(last, QPoint(20, 20));
        QTRY_COMPARE(bar->highlightedBox(), last);
        QCOMPARE(label(), (QStringList {QString(), u"30 %"_qs}));
        QCOMPARE(left->backgroundColor(), sectors[0]->color());
        const auto labelOnBar
            = [&] { return bar->popup()->isVisible() && bar->rect().contains(bar->popup()->geometry()); };
        click(last);
        QVERIFY(labelOnBar());
        bar->resize(401, bar->height());
        QVERIFY(labelOnBar());
        // A second line longer than the label widens it, never past the bar.
        sectors[2]->setSubtitle(u"999.99 GB of a longer sort of line"_qs);
        bar->changeHighlight(last);
        QVERIFY(bar->popup()->width() > 120 && labelOnBar());
        bar->resize(100, bar->height());
        bar->changeHighlight(left);
        QVERIFY(labelOnBar());

        // A noHint box never shows or moves the popup.
        bar->changeHighlight(bar->boxForSector(sectors[1]));
        QCOMPARE(bar->highlightedBox(), left);

        // Leaving the selected box keeps its highlight, and hides the label.
        movePointer();
        QTRY_VERIFY(bar->popup()->isHidden());
        QCOMPARE(bar->highlightedBox(), nullptr);
        QCOMPARE(last->backgroundColor(), sectors[2]->highlightColor());
        // Rows rebuilt without the record under the pointer: no popup is left naming it.
        QTest::mouseMove(left, QPoint(10, 10));
        QTRY_VERIFY(!bar->popup()->isHidden());
        bar->setData({});
        QVERIFY(bar->popup()->isHidden());
    }

    // A tenth below ten, none when it is zero, in the locale's way.
    void shareIsWrittenTheLocaleWay()
    {
        const QLocale english(QLocale::English), german(QLocale::German);
        QCOMPARE(DynamicStackedViewPopup::shareText(0.047f, english), u"4.7 %"_qs);
        QCOMPARE(DynamicStackedViewPopup::shareText(0.04f, english), u"4 %"_qs);
        QCOMPARE(DynamicStackedViewPopup::shareText(0.047f, german), u"4,7 %"_qs);
    }

    // A new row starts above its cell, over the row the pointer is on, and slides down (as
    // VisualDataCell does): only a box really under the pointer shows its label.
    void slidingRowShowsOnlyTheLabelUnderThePointer()
    {
        auto *bar = showBar(400, {});
        auto *cell = new QWidget(m_window.get());
        cell->setGeometry(0, 80, 400, 110);
        auto *content = new QWidget(cell);
        bar->setParent(content);
        cell->show();
        for (const int pointerY : {-50, 50}) {
            movePointer(cell->mapToGlobal(QPoint(200, pointerY)));
            content->setGeometry(0, -100, 400, 74);
            bar->move(0, 0);
            bar->show();
            bar->setData({makeSector(1.0f, u"new"_qs)});
            QVERIFY(bar->popup()->isHidden()); // clipped away by the cell, wherever the pointer is
            content->move(0, 10);
            bar->recheckPointer();
            QCOMPARE(bar->popup()->isVisible(), pointerY > 0);
            QCOMPARE(bar->boxForSector(bar->sectors()[0])->backgroundColor(),
                QColor(pointerY > 0 ? Qt::green : Qt::blue));
        }
    }

    // Keys, clicks and a screen reader take the same path to the delegate. As the window does,
    // the rows are rebuilt from the records inside each delegate call.
    void selectionByKeysAndClicksWhileTheBarIsRebuilt()
    {
        const Sectors sectors {makeSector(0.5f, u"a"_qs, u"4.7 GB"_qs), makeSector(0.3f, u"b"_qs),
            makeSector(0.0001f, u"sliver"_qs), makeSector(0.1f, u"c"_qs), makeSector(0.0999f, u"Files"_qs)};
        sectors[4]->setDisabled(true);
        auto *bar = showBar(400, sectors);
        auto box = [&](int i) { return bar->boxForSector(sectors[i]); };
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(bar);
        QVERIFY(list->role() == QAccessible::List && list->child(0)->role() == QAccessible::ListItem);
        QCOMPARE(list->childCount(), 4); // neither the sliver nor the label
        QCOMPARE(list->child(0)->text(QAccessible::Name), u"a"_qs);
        QCOMPARE(list->child(0)->text(QAccessible::Value), u"4.7 GB, 50 %"_qs);
        QVERIFY(list->indexOfChild(list->child(2)) == 2 && list->child(2)->parent()->object() == bar);
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        bar->clearFocus(); // the window gave it focus on showing, not by the keyboard
        bar->setFocus(Qt::TabFocusReason);
        QCOMPARE(std::tuple(bar->focusedBox(), box(0)->hasFocusMark()), std::tuple(box(0), true));

        // Across the visible sectors only: the sliver is skipped, the ends hold.
        const std::pair<Qt::Key, int> moves[] {{Qt::Key_Right, 1}, {Qt::Key_Right, 3}, {Qt::Key_End, 4},
            {Qt::Key_Right, 4}, {Qt::Key_Home, 0}, {Qt::Key_Left, 0}, {Qt::Key_End, 4}, {Qt::Key_Left, 3}};
        for (const auto &[key, focused] : moves) {
            QTest::keyClick(bar, key);
            QCOMPARE(bar->focusedBox(), box(focused));
            // A screen reader is told of the same focus.
            QCOMPARE(list->focusChild()->object(), box(focused));
            QVERIFY(list->focusChild()->state().focused);
        }
        QVERIFY(!box(0)->hasFocusMark() && box(3)->hasFocusMark());
        QCOMPARE(bar->popup()->title(), u"c"_qs); // the label follows the keyboard too

        m_delegate.onSelect = [&] { bar->setData(sectors); };
        QPointer<DynamicStackedViewBox> before = box(3);
        QTest::keyClick(bar, Qt::Key_Space);
        QTRY_VERIFY(!before); // the old box goes once its event is over
        QVERIFY(box(3)->isSelected() && sectors[3]->isSelected());
        QCOMPARE(bar->focusedBox(), box(3)); // the rebuilt box keeps the focus
        QVERIFY(list->child(2)->state().selected && !list->child(0)->state().selected);
        // Drawing order: the selected box over its neighbours, the label over everything.
        const auto children = bar->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        QCOMPARE(children.mid(children.size() - 2), (QList<QWidget *> {box(3), bar->popup()}));

        click(box(1)); // the selection moves, and the focus with it
        QVERIFY(!sectors[3]->isSelected() && box(3)->borderWidth() == 0.0 && box(3)->opacity() == 0.5);
        QVERIFY(box(1)->isSelected() && bar->focusedBox() == box(1));
        QTest::keySequence(bar, QKeySequence(Qt::Key_Return, Qt::Key_Enter)); // a second click removes it
        QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
        QApplication::sendEvent(bar, &backspace);
        QVERIFY(backspace.isAccepted()); // the window would go up a level with it
        for (int i : {0, 1, 3})
            QVERIFY(box(i)->opacity() == 1.0 && !sectors[i]->isSelected() && box(i)->borderWidth() == 0);
        // The last Return falls on the loose files, which ignore it as they ignore a click.
        QTest::keySequence(bar, QKeySequence(u"Return, Alt+Up, End, Return"_qs, QKeySequence::PortableText));
        QCOMPARE(m_delegate.calls,
            (QStringList {u"select:c"_qs, u"select:b"_qs, u"remove"_qs, u"select:b"_qs, u"remove"_qs,
                u"select:b"_qs, u"remove"_qs}));

        // A click through the window focuses the bar there, without the ring; a key shows it.
        QTest::mouseClick(
            m_window->windowHandle(), Qt::LeftButton, {}, box(0)->mapTo(m_window.get(), QPoint(5, 5)));
        QVERIFY(bar->hasFocus() && bar->focusedBox() == box(0) && !box(0)->hasFocusMark());
        QTest::keyClick(bar, Qt::Key_Right);
        QVERIFY(box(1)->hasFocusMark());
        m_window->setFocus();
        QVERIFY(!box(1)->hasFocusMark());

        // New records: the focused record keeps the focus, else the first visible one takes it.
        const Sectors next {makeSector(0.6f, u"x"_qs), makeSector(0.4f, u"y"_qs)};
        bar->setData(next);
        bar->setData({next[1], next[0]});
        QCOMPARE(bar->focusedBox(), bar->boxForSector(next[0]));
        bar->setData({makeSector(1.0f, u"z"_qs)});
        QCOMPARE(bar->focusedBox()->sector()->title(), u"z"_qs);
        // A screen reader's press is a click.
        list->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(m_delegate.calls.back(), u"select:z"_qs);
    }

    void contextMenuTellsTheDelegateFirst()
    {
        QMenu menu;
        menu.addAction(u"Reveal"_qs);
        const Sectors sectors {makeSector(0.6f, u"a"_qs), makeSector(0.4f, u"b"_qs)};
        sectors[1]->setSubmenu(&menu);
        auto *bar = showBar(300, sectors);

        QList<qsizetype> callsWhenShown;
        connect(&menu, &QMenu::aboutToShow, this, [&] {
            callsWhenShown << m_delegate.calls.size();
            QTimer::singleShot(0, &menu, &QMenu::close);
        });
        // Through the window, so that the platform turns the right press into a context-menu event.
        const QPoint at = bar->boxForSector(sectors[1])->mapTo(m_window.get(), QPoint(10, 10));
        QTest::mouseClick(m_window->windowHandle(), Qt::RightButton, {}, at);
        QTRY_COMPARE(callsWhenShown.size(), 1);
        // The keyboard's ways open the focused sector's menu the same way.
        QTest::keySequence(bar, QKeySequence(QKeyCombination(Qt::Key_Menu), Qt::SHIFT | Qt::Key_F10));
        QTRY_COMPARE(callsWhenShown, (QList<qsizetype> {1, 2, 3}));
        QCOMPARE(m_delegate.calls, QStringList(3, u"menu:b"_qs));
    }
};

QTEST_MAIN(TestDynamicStackedView)
#include "tst_dynamicstackedview.moc"
