#include "app/Layout.h"

#include <algorithm>

namespace app {
namespace {

// What the rules leave between the output area and the window's outer bottom edge.
constexpr int belowOutputArea = 1000;

bool inGap(int y, int text1Top, int text2Top)
{
    return y > text1Top && y < text2Top;
}

class Resizer
{
public:
    explicit Resizer(LayoutSurface& surface) : surface_(surface) {}

    int get(Control c, Property p) const { return surface_.get(c, p); }

    void set(Control c, Property p, int value)
    {
        const bool made = acceptsValue(p, value) && surface_.set(c, p, value);
        done_.append({c, p, value, made});
    }

    QList<Assignment> done() const { return done_; }

private:
    LayoutSurface& surface_;
    QList<Assignment> done_;
};

} // namespace

bool acceptsValue(Property property, int twips)
{
    return !((property == Property::Width || property == Property::Height) && twips < 0);
}

QList<Assignment> resizeLayout(int width, int height, LayoutSurface& surface)
{
    using C = Control;
    using P = Property;
    Resizer r(surface);

    // The profile panel keeps its distance from the window's bottom-right corner.
    r.set(C::Frame1, P::Left, width - r.get(C::Frame1, P::Width) - 510);
    r.set(C::Frame1, P::Top, height - r.get(C::Frame1, P::Height) - 1310);
    r.set(C::Text1, P::Width, width - 299);
    r.set(C::Text2, P::Width, width - 299);
    r.set(C::Text2, P::Height, height - r.get(C::Text2, P::Top) - belowOutputArea);

    // The result grid and the data-grid frame cover the plain-text box.
    r.set(C::MSFlexGrid1, P::Top, r.get(C::Text2, P::Top));
    r.set(C::MSFlexGrid1, P::Left, r.get(C::Text2, P::Left));
    r.set(C::MSFlexGrid1, P::Height, r.get(C::Text2, P::Height));
    r.set(C::MSFlexGrid1, P::Width, r.get(C::Text2, P::Width));

    r.set(C::Combo4, P::Width, r.get(C::Frame2, P::Width) - 1700);
    r.set(C::Text12, P::Width, r.get(C::Frame2, P::Width) - 1700);
    r.set(C::Command10, P::Left, r.get(C::Frame2, P::Width) - 1400);
    r.set(C::Command12, P::Left, r.get(C::Frame2, P::Width) - 1400);

    r.set(C::Frame4, P::Left, r.get(C::Text2, P::Left));
    r.set(C::Frame4, P::Top, r.get(C::Text2, P::Top));
    r.set(C::Frame4, P::Width, r.get(C::Text2, P::Width));
    r.set(C::Frame4, P::Height, r.get(C::Text2, P::Height));
    r.set(C::DataGrid1, P::Height, r.get(C::Frame4, P::Height) - 1200);
    r.set(C::DataGrid1, P::Width, r.get(C::Frame4, P::Width));

    r.set(C::Frame2, P::Left, r.get(C::Frame1, P::Left) - 50);
    return r.done();
}

int outerHeightFor(int surfaceHeight)
{
    return surfaceHeight + belowOutputArea - statusBarMargin;
}

bool Splitter::press(int y, int text1Top, int text2Top)
{
    dragging_ = inGap(y, text1Top, text2Top);
    return dragging_;
}

SplitterMove Splitter::mouseMove(int y, bool leftButtonDown, int text1Top, int text2Top, int maxY)
{
    if (!leftButtonDown)
        dragging_ = false;

    SplitterMove move;
    move.pointer = (inGap(y, text1Top, text2Top) || dragging_) ? Pointer::SizeNS : Pointer::Arrow;
    if (leftButtonDown && move.pointer == Pointer::SizeNS) {
        dragging_ = true;
        const int border = std::max(text1Top, std::min(y, maxY));
        move.resize = true;
        move.text1Height = border - text1Top;
        move.text2Top = border + gap;
    }
    return move;
}

} // namespace app
