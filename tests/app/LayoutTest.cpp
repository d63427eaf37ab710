#include "app/Layout.h"

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
