#include "app/Layout.h"

#include "tests/support/FormFixture.h"
#include "ui/Controls.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableView>
#include <gtest/gtest.h>
#include <map>

using namespace app;
using C = Control;
using P = Property;

namespace {

// Controls as plain numbers, starting from the window's first layout.
class FakeSurface : public LayoutSurface
{
public:
    FakeSurface()
    {
        put(C::Text1, 120, 360, 9735, 1095);
        put(C::Text2, 120, 1560, 9735, 1095);
        put(C::MSFlexGrid1, 120, 1560, 9735, 1095);
        put(C::Frame4, 120, 1560, 9735, 1095);
        put(C::DataGrid1, 0, 0, 9735, 0);
        put(C::Frame2, 5880, 360, 3735, 975);
        put(C::Frame1, 5880, 1920, 3975, 3975);
        put(C::Combo4, 120, 240, 2175, 315);
        put(C::Text12, 120, 600, 2175, 285);
        put(C::Command10, 2400, 240, 1215, 255);
        put(C::Command12, 2400, 600, 1215, 255);
    }

    void put(C c, int left, int top, int width, int height)
    {
        v[{c, P::Left}] = left;
        v[{c, P::Top}] = top;
        v[{c, P::Width}] = width;
        v[{c, P::Height}] = height;
    }

    int get(C c, P p) const override { return v.at({c, p}); }
    bool set(C c, P p, int value) override
    {
        if (refuseAll)
            return false;
        v[{c, p}] = value;
        return true;
    }

    std::map<std::pair<C, P>, int> v;
    bool refuseAll = false;
};

} // namespace

TEST(ResizeLayout, ARefusedAssignmentIsSkippedAndTheRestStillMade)
{
    FakeSurface s;
    // A window too small for the output area: its height would be negative.
    const QList<Assignment> done = resizeLayout(10500, 2000, s);
    ASSERT_EQ(done.size(), 20);
    EXPECT_EQ(done[4], (Assignment{C::Text2, P::Height, 2000 - 1560 - 1000, false}));
    EXPECT_EQ(s.get(C::Text2, P::Height), 1095) << "kept";
    EXPECT_EQ(s.get(C::MSFlexGrid1, P::Height), 1095) << "follows what the box kept";
    EXPECT_EQ(s.get(C::DataGrid1, P::Height), 0) << "1095 - 1200 refused too";
    EXPECT_EQ(s.get(C::Frame2, P::Left), 10500 - 3975 - 510 - 50) << "later rules still run";
    EXPECT_EQ(s.get(C::Frame1, P::Top), 2000 - 3975 - 1310) << "a position may be negative";
}

TEST(ResizeLayout, TheWindowsOwnRefusalsAreReportedAsSkipped)
{
    FakeSurface s;
    s.refuseAll = true;
    const QList<Assignment> done = resizeLayout(10500, 7500, s);
    for (const Assignment& a : done)
        EXPECT_FALSE(a.made);
    EXPECT_EQ(done.back(), (Assignment{C::Frame2, P::Left, 5880 - 50, false}))
        << "computed from the profile panel as it stayed";
}

TEST(Splitter, TheResizePointerShowsOnlyStrictlyInsideTheGap)
{
    Splitter sp;
    EXPECT_EQ(sp.mouseMove(1500, false, 360, 1560).pointer, Pointer::SizeNS);
    EXPECT_EQ(sp.mouseMove(1456, false, 360, 1560).pointer, Pointer::SizeNS);
    EXPECT_EQ(sp.mouseMove(1560, false, 360, 1560).pointer, Pointer::Arrow);
    EXPECT_EQ(sp.mouseMove(1700, false, 360, 1560).pointer, Pointer::Arrow);
    EXPECT_EQ(sp.mouseMove(200, false, 360, 1560).pointer, Pointer::Arrow);
    EXPECT_EQ(sp.mouseMove(360, false, 360, 1560).pointer, Pointer::Arrow);
    EXPECT_FALSE(sp.mouseMove(1500, false, 360, 1560).resize) << "no button, no drag";
}

TEST(Splitter, TheDragEndsWhenTheButtonIsReleased)
{
    Splitter sp;
    sp.mouseMove(1500, true, 360, 1560);
    sp.release();
    EXPECT_FALSE(sp.dragging());
    const SplitterMove after = sp.mouseMove(1800, true, 360, 1600);
    EXPECT_FALSE(after.resize) << "a press outside the gap starts nothing";
    EXPECT_EQ(after.pointer, Pointer::Arrow);

    sp.mouseMove(1550, true, 360, 1600);
    EXPECT_TRUE(sp.dragging());
    EXPECT_FALSE(sp.mouseMove(1700, false, 360, 1650).resize) << "a move without the button ends it";
    EXPECT_FALSE(sp.dragging());
}

TEST(Splitter, ADragStaysWithinTheQueryBoxTopAndTheGivenLimit)
{
    Splitter sp;
    sp.mouseMove(1500, true, 360, 1560);
    const SplitterMove up = sp.mouseMove(-400, true, 360, 1600);
    EXPECT_EQ(up.text1Height, 0);
    EXPECT_EQ(up.text2Top, 460);
    const SplitterMove down = sp.mouseMove(90000, true, 360, 460, 5000);
    EXPECT_EQ(down.text1Height, 5000 - 360);
    EXPECT_EQ(down.text2Top, 5100);
}

// --- through the window -------------------------------------------------------------------

namespace {

class LayoutWindow : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        if (HasFatalFailure())
            return;
        form->show();
        QApplication::processEvents();
    }

    QWidget* surface() const { return form->centralWidget(); }

    // The pixel row just below `w`, in the window's coordinates.
    int bottom(const QWidget* w) const { return w->mapTo(form.get(), QPoint(0, w->height())).y(); }

    void mouse(QEvent::Type type, int y, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        const QPointF at(30, y);
        QMouseEvent event(type, at, surface()->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(surface(), &event);
    }

    int gapY() const { return form->Text2->y() - 3; }
};

TEST_F(LayoutWindow, EveryControlEndsAboveTheStatusBarWhateverItsHeight)
{
    const QSize designed = form->size();
    struct Case
    {
        int statusBarHeight; // pixels; 0: the bar's own
        QSize grow;          // twips
    };
    const Case cases[] = {{0, {0, 0}}, {0, {1000, 1500}}, {48, {0, 0}}, {48, {0, -900}}, {80, {2000, 600}}};
    for (const Case& c : cases) {
        form->StatusBar1->setMinimumHeight(c.statusBarHeight);
        form->resize(designed + QSize(ui::pixels(c.grow.width()), ui::pixels(c.grow.height())));
        QApplication::processEvents();
        const int statusTop = form->StatusBar1->y();
        const std::string at = std::to_string(c.statusBarHeight) + " px status bar, " +
                               std::to_string(form->width()) + "x" + std::to_string(form->height());

        QList<QWidget*> controls = {form->Text2, form->MSFlexGrid1, form->Frame4, form->DataGrid1};
        for (QWidget* w : surface()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (w->isVisible())
                controls << w;
        for (const QWidget* w : controls)
            EXPECT_LE(bottom(w), statusTop) << w->objectName().toStdString() << ", " << at;
        EXPECT_GE(bottom(form->Text2), statusTop - ui::pixels(app::statusBarMargin))
            << "the output area takes the room down to the status bar, " << at;
    }
}

TEST_F(LayoutWindow, AWiderAndTallerWindowGrowsTheBoxesAndMovesThePanels)
{
    // Where the output area ends: EveryControlEndsAboveTheStatusBarWhateverItsHeight.
    const auto px = [](const QWidget* w) { return w->geometry(); };
    const QRect t1 = px(form->Text1), t2 = px(form->Text2), f1 = px(form->Frame1), f2 = px(form->Frame2);
    const int wider = ui::pixels(1000), taller = ui::pixels(500);
    form->resize(form->width() + wider, form->height() + taller);
    QApplication::processEvents();

    EXPECT_EQ(px(form->Text1), QRect(t1.topLeft(), QSize(t1.width() + wider, t1.height())));
    EXPECT_EQ(px(form->Text2), QRect(t2.topLeft(), QSize(t2.width() + wider, t2.height() + taller)));
    EXPECT_EQ(px(form->Frame1), f1.translated(wider, taller));
    EXPECT_EQ(px(form->Frame2), f2.translated(wider, 0));
    EXPECT_EQ(px(form->MSFlexGrid1), px(form->Text2));
    EXPECT_EQ(px(form->Frame4), px(form->Text2));
    EXPECT_EQ(px(form->DataGrid1).width(), px(form->Frame4).width());
    EXPECT_EQ(ui::twipsGeometry(form->DataGrid1).height,
              ui::twips(ui::pixels(ui::twipsGeometry(form->Frame4).height - 1200)));
}

TEST_F(LayoutWindow, HidingThePanelsMovesNothingElse)
{
    form->Check5->setChecked(true);
    QList<QRect> before;
    const QList<QWidget*> others = {form->Text1,  form->Text2,    form->MSFlexGrid1, form->Frame4,
                                    form->Frame2, form->Command1, form->Check2};
    for (QWidget* w : others)
        before << w->geometry();
    form->Check2->setChecked(false);
    form->Check5->setChecked(false);
    QApplication::processEvents();
    EXPECT_FALSE(form->Frame1->isVisible());
    EXPECT_FALSE(form->Frame2->isVisible());
    for (int i = 0; i < others.size(); ++i)
        EXPECT_EQ(others[i]->geometry(), before[i]) << others[i]->objectName().toStdString();
    form->Check2->setChecked(true);
    EXPECT_TRUE(form->Frame1->isVisible());
}

TEST_F(LayoutWindow, APressInTheGapStartsTheDragWhereverTheFirstMoveLands)
{
    for (const int by : {40, -15, 90}) {
        const QRect text1 = form->Text1->geometry();
        const int pressY = gapY();
        mouse(QEvent::MouseButtonPress, pressY, Qt::LeftButton, Qt::LeftButton);
        mouse(QEvent::MouseMove, pressY + by, Qt::NoButton, Qt::LeftButton); // far outside the gap
        EXPECT_EQ(form->Text1->geometry().bottom() + 1, pressY + by) << by;
        EXPECT_EQ(form->Text2->y(), form->Text1->geometry().bottom() + 1 + ui::pixels(app::Splitter::gap))
            << by;
        EXPECT_EQ(form->MSFlexGrid1->y(), form->Text2->y()) << by;
        EXPECT_EQ(form->Frame4->y(), form->Text2->y()) << by;
        mouse(QEvent::MouseButtonRelease, pressY + by, Qt::LeftButton, Qt::NoButton);
        EXPECT_EQ(form->Text1->geometry().topLeft(), text1.topLeft());
    }
    // A press outside the gap starts nothing.
    const QRect text1 = form->Text1->geometry();
    mouse(QEvent::MouseButtonPress, form->Text2->y() + 20, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, form->Text2->y() + 60, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(form->Text1->geometry(), text1);
}

TEST_F(LayoutWindow, TheResizePointerShowsOverTheGapAloneAndNeverLingers)
{
    form->Frame4->show();
    form->Frame5->show();
    form->Frame8->show();
    struct Entered
    {
        QList<QWidget*> path; // what the pointer enters, outermost first
    };
    const Entered cases[] = {
        {{form->Frame4, form->DataGrid1}},
        {{form->MSFlexGrid1}},
        {{form->Frame5, form->Text14}},
        {{form->Frame8}},
        {{form->Command1}},
        {{form->Check2}},
        {{form->Text1}},
        {{form->Frame1, form->Check1}},
    };
    for (const Entered& c : cases) {
        mouse(QEvent::MouseMove, gapY(), Qt::NoButton, Qt::NoButton);
        ASSERT_EQ(surface()->cursor().shape(), Qt::SizeVerCursor);
        for (QWidget* w : c.path) {
            QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), w->mapToGlobal(QPointF(1, 1)));
            QApplication::sendEvent(w, &enter);
        }
        for (QWidget* w : c.path)
            EXPECT_NE(w->cursor().shape(), Qt::SizeVerCursor) << w->objectName().toStdString();
    }
    mouse(QEvent::MouseMove, gapY(), Qt::NoButton, Qt::NoButton);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(surface(), &leave);
    EXPECT_EQ(surface()->cursor().shape(), Qt::ArrowCursor) << "the pointer left the window from the gap";
}

// Each caption, measured in the font the machine has, fits inside its control, and the
// control inside its container.
TEST_F(LayoutWindow, EveryCaptionFitsItsControl)
{
    int captions = 0;
    for (QWidget* w : surface()->findChildren<QWidget*>()) {
        int room = w->width(), needed = 0;
        if (auto* b = qobject_cast<QPushButton*>(w)) {
            QStyleOptionButton option;
            option.initFrom(b);
            room = b->style()->subElementRect(QStyle::SE_PushButtonContents, &option, b).width();
            needed = b->fontMetrics().size(Qt::TextShowMnemonic, b->text()).width();
        } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w) ||
                   (qobject_cast<QLabel*>(w) && !static_cast<QLabel*>(w)->wordWrap())) {
            needed = w->sizeHint().width();
        } else {
            continue;
        }
        ++captions;
        const std::string name = w->objectName().toStdString();
        EXPECT_LE(needed, room) << name;
        EXPECT_LE(w->geometry().right(), w->parentWidget()->contentsRect().right()) << name;
    }
    EXPECT_GT(captions, 25);
}

} // namespace
