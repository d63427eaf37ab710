#include "app/Layout.h"

#include "tests/support/FormFixture.h"
#include "ui/Twips.h"

#include <QStyle>
#include <QStyleOptionButton>

using namespace app;

// The splitter's limits; where the pointer shows and where a press starts a drag: the window
// cases below.
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

// A resize grows the boxes and moves the panels with the surface's corner, and every control
// ends above the status bar whatever its height. A surface too short for the output area keeps
// that area's height (a negative one is refused) while the rules after it still place the panels.
TEST_F(LayoutWindow, AResizeFollowsTheCornerAboveTheStatusBarSkippingARefusedHeight)
{
    const auto at = [this] {
        return QList<QRect>{form->Text1->geometry(), form->Text2->geometry(), form->Frame1->geometry(),
                            form->Frame2->geometry()};
    };
    const QList<QRect> designed = at();
    const QSize size = form->size(), surfaceSize = surface()->size();
    struct Case
    {
        int statusBarHeight; // 0: the bar's own
        QSize grow;
    };
    const Case cases[] = {{0, {0, 0}},    {0, {1000, 500}}, {48, {0, 0}},
                          {48, {0, -60}}, {80, {133, 40}},  {0, {500, -designed[1].height() - 40}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.statusBarHeight << " px status bar, grown " << c.grow.width()
                                        << "x" << c.grow.height());
        const int text2Height = form->Text2->height();
        form->StatusBar1->setMinimumHeight(c.statusBarHeight);
        form->resize(size + c.grow);
        QApplication::processEvents();
        ASSERT_EQ(form->size(), size + c.grow);
        const QSize d = surface()->size() - surfaceSize;
        const bool refused = designed[1].height() + d.height() < 0;
        const QList<QRect> expected{
            designed[0].adjusted(0, 0, d.width(), 0),
            designed[1].adjusted(0, 0, d.width(), refused ? text2Height - designed[1].height() : d.height()),
            designed[2].translated(d.width(), d.height()), designed[3].translated(d.width(), 0)};
        EXPECT_EQ(at(), expected);
        EXPECT_EQ(form->MSFlexGrid1->geometry(), form->Text2->geometry());
        EXPECT_EQ(form->Frame4->geometry(), form->Text2->geometry());
        EXPECT_EQ(form->DataGrid1->width(), form->Frame4->width());
        if (refused)
            continue;
        const int statusTop = form->StatusBar1->y();
        QList<QWidget*> controls = {form->Text2, form->MSFlexGrid1, form->Frame4, form->DataGrid1};
        for (QWidget* w : surface()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (w->isVisible())
                controls << w;
        for (const QWidget* w : controls)
            EXPECT_LE(bottom(w), statusTop) << w->objectName().toStdString();
        EXPECT_GE(bottom(form->Text2), statusTop - ui::pixels(app::statusBarMargin))
            << "the output area takes the room down to the status bar";
    }
}

// The quick-query panel's box is remembered across starts.
TEST_F(LayoutWindow, HidingThePanelsMovesNothingElse)
{
    form->Check5->setChecked(true);
    EXPECT_TRUE(form->Frame2->isVisible());
    start();
    form->show();
    QApplication::processEvents();
    EXPECT_TRUE(form->Check5->isChecked());
    EXPECT_TRUE(form->Frame2->isVisible());
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
    EXPECT_EQ(store().get(settings::QuickQueryShown), "0");
    for (int i = 0; i < others.size(); ++i)
        EXPECT_EQ(others[i]->geometry(), before[i]) << others[i]->objectName().toStdString();
    form->Check2->setChecked(true);
    EXPECT_TRUE(form->Frame1->isVisible());
}

TEST_F(LayoutWindow, APressInTheGapStartsTheDragAndThePointerShowsOverTheGapAlone)
{
    for (const int by : {40, -15, 90}) {
        SCOPED_TRACE(by);
        const QRect text1 = form->Text1->geometry();
        const int pressY = gapY();
        mouse(QEvent::MouseButtonPress, pressY, Qt::LeftButton, Qt::LeftButton);
        mouse(QEvent::MouseMove, pressY + by, Qt::NoButton, Qt::LeftButton); // far outside the gap
        EXPECT_EQ(form->Text1->geometry().bottom() + 1, pressY + by);
        EXPECT_EQ(form->Text2->y(), form->Text1->geometry().bottom() + 1 + ui::pixels(app::Splitter::gap));
        EXPECT_EQ(form->MSFlexGrid1->y(), form->Text2->y());
        EXPECT_EQ(form->Frame4->y(), form->Text2->y());
        mouse(QEvent::MouseButtonRelease, pressY + by, Qt::LeftButton, Qt::NoButton);
        EXPECT_EQ(form->Text1->geometry().topLeft(), text1.topLeft());
    }
    // A press outside the gap starts nothing.
    const QRect text1 = form->Text1->geometry();
    mouse(QEvent::MouseButtonPress, form->Text2->y() + 20, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, form->Text2->y() + 60, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(form->Text1->geometry(), text1);
    mouse(QEvent::MouseButtonRelease, form->Text2->y() + 60, Qt::LeftButton, Qt::NoButton);

    // The resize pointer shows over the gap alone and never lingers; what the pointer enters from
    // the gap, outermost first.
    form->Frame4->show();
    form->Frame5->show();
    form->Frame8->show();
    const QList<QList<QWidget*>> paths = {{form->Frame4, form->DataGrid1},
                                          {form->MSFlexGrid1},
                                          {form->Frame5, form->Text14},
                                          {form->Frame8},
                                          {form->Command1},
                                          {form->Check2},
                                          {form->Text1},
                                          {form->Frame1, form->Check1}};
    for (const QList<QWidget*>& path : paths) {
        mouse(QEvent::MouseMove, gapY(), Qt::NoButton, Qt::NoButton);
        ASSERT_EQ(surface()->cursor().shape(), Qt::SizeVerCursor);
        for (QWidget* w : path) {
            QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), w->mapToGlobal(QPointF(1, 1)));
            QApplication::sendEvent(w, &enter);
        }
        for (QWidget* w : path)
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
