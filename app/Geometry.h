#pragma once

class QWidget;

namespace app {

// A control's place in twips, relative to its container (the window's surface or a frame).
struct TwipsRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

// Places `control` at a rectangle given in twips.
void place(QWidget* control, int left, int top, int width, int height);
void place(QWidget* control, const TwipsRect& rect);

// Reads `control`'s place back in twips.
TwipsRect twipsGeometry(const QWidget* control);

} // namespace app
