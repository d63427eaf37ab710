#pragma once

#include <QList>
#include <climits>

// The main window's moving parts, in twips: the resize rules and the splitter between the
// query box and the output area. Pure arithmetic over a surface the window provides, so
// that the rules can be checked without a window.
namespace app {

enum class Control {
    Frame1,      // profile panel
    Frame2,      // quick-query panel
    Frame4,      // data-grid frame
    Text1,       // query box
    Text2,       // plain-text output: the master of the output area
    MSFlexGrid1, // result grid
    DataGrid1,   // data grid, inside Frame4
    Combo4,      // inside Frame2
    Text12,      // inside Frame2
    Command10,   // inside Frame2
    Command12,   // inside Frame2
};

enum class Property { Left, Top, Width, Height };

// The window's controls as the rules see them.
class LayoutSurface
{
public:
    virtual ~LayoutSurface() = default;
    virtual int get(Control control, Property property) const = 0;
    // Makes one assignment; false when the control refuses the value and keeps its own.
    virtual bool set(Control control, Property property, int twips) = 0;
};

// A control refuses a negative width or height; positions may be anything.
bool acceptsValue(Property property, int twips);

struct Assignment
{
    Control control;
    Property property;
    int value;
    bool made; // false: refused, skipped

    friend bool operator==(const Assignment&, const Assignment&) = default;
};

// The resize rules for a window of outer size `width` by `height`, made one by one in their
// order; each rule reads the controls as the assignments before it left them, and an
// assignment that is refused is skipped while the rest are still made. Returns every
// assignment tried.
QList<Assignment> resizeLayout(int width, int height, LayoutSurface& surface);

// The rules were written for the outer size of a window whose frame, menu bar and status bar
// fitted into the 1000 twips they leave under the output area; a window manager's title bar or
// a taller status bar does not. So the window gives them a size measured from the client area
// it really has: its surface's width, and the height down to the status bar's top made up to
// the rules' outer height. The output area then ends `statusBarMargin` above the status bar
// (and the profile panel 310 twips above that), whatever the frame.
inline constexpr int statusBarMargin = 120;
int outerHeightFor(int surfaceHeight);

enum class Pointer { Arrow, SizeNS };

// What one mouse move over the window's own surface asks for.
struct SplitterMove
{
    Pointer pointer = Pointer::Arrow;
    bool resize = false; // the border moves: the three values below apply
    int text1Height = 0;
    int text2Top = 0; // also the top of the result grid and the data-grid frame
};

// The border between the query box and the output area. The pointer shows the vertical
// resize shape in the gap between them (strictly below the query box's top, strictly above
// the output area's top). A drag starts when the left button is pressed in the gap, or is
// held while the pointer moves into it, and then follows the pointer until the button is
// released, however fast the pointer moves.
class Splitter
{
public:
    static constexpr int gap = 100; // from the query box's bottom to the output area's top

    // `y` is the pointer's vertical position; the output area's top follows it at `gap`
    // below, and a drag never makes the query box's height negative nor takes the border
    // below `maxY`.
    SplitterMove mouseMove(int y, bool leftButtonDown, int text1Top, int text2Top, int maxY = INT_MAX);
    // The left button was pressed at `y`; true when that starts a drag.
    bool press(int y, int text1Top, int text2Top);
    // The left button was released.
    void release() { dragging_ = false; }
    bool dragging() const { return dragging_; }

private:
    bool dragging_ = false;
};

} // namespace app
