#pragma once

#include <QString>

class QCheckBox;
class QComboBox;
class QFont;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

// Building a window as it was designed: controls named after their designer names, placed
// at rectangles given in twips, in the designed font. Every window uses these.
namespace ui {

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

// Gives `control` its designer name as its object name.
template <typename T> T* named(T* control, const char* name)
{
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption);
QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption);
QRadioButton* optionButton(QWidget* parent, const char* name, const QString& caption);
QLineEdit* textBox(QWidget* parent, const char* name);
// Typed characters show as "*".
QLineEdit* passwordBox(QWidget* parent, const char* name);
// A drop-down combo: a list plus free typing. Typed text is taken as typed: nothing is
// completed from the list and Enter does not add it to the list.
QComboBox* dropDownCombo(QWidget* parent, const char* name);
QLabel* label(QWidget* parent, const char* name, const QString& caption, QWidget* buddy = nullptr);
// A frame is opaque: it hides what lies under it.
QGroupBox* frame(QWidget* parent, const char* name, const QString& caption);

// The windows' font as designed: "MS Sans Serif", or where that is missing a font of the
// same width (the captions are measured for it), else the system's sans serif font.
QFont designedFont(qreal points);
inline constexpr qreal controlFontSize = 8.25;

} // namespace ui
