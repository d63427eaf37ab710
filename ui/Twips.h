#pragma once

namespace ui {

// Lengths on screen are kept in twips as the layout describes them; this is the one place
// that converts them (15 twips to a logical pixel, as at 96 dpi).
inline constexpr int twipsPerPixel = 15;

constexpr int twips(int pixels) { return pixels * twipsPerPixel; }

// Rounds to the nearest pixel, halves away from zero.
constexpr int pixels(int twipCount)
{
    return twipCount >= 0 ? (twipCount + twipsPerPixel / 2) / twipsPerPixel
                          : -((-twipCount + twipsPerPixel / 2) / twipsPerPixel);
}

} // namespace ui
