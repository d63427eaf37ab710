#pragma once

class QWidget;

namespace ui {

// The captions were measured for the designed font; the font the machine has may set them
// wider. Every check box, option button, button and one-line label placed under `root` whose
// caption does not fit its designed width is widened, from the font's metrics, until it does;
// its place and height stay as designed. Controls that a layout manages are left to it.
void fitCaptions(QWidget* root);

} // namespace ui
