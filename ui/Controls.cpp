#include "ui/Controls.h"

#include "ui/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

namespace ui {

void place(QWidget* control, int left, int top, int width, int height)
{
    control->setGeometry(pixels(left), pixels(top), pixels(width), pixels(height));
}

void place(QWidget* control, const TwipsRect& rect)
{
    place(control, rect.left, rect.top, rect.width, rect.height);
}

TwipsRect twipsGeometry(const QWidget* control)
{
    const QRect g = control->geometry();
    return {twips(g.x()), twips(g.y()), twips(g.width()), twips(g.height())};
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    return named(new QPushButton(caption, parent), name);
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption)
{
    return named(new QCheckBox(caption, parent), name);
}

QRadioButton* optionButton(QWidget* parent, const char* name, const QString& caption)
{
    return named(new QRadioButton(caption, parent), name);
}

QLineEdit* textBox(QWidget* parent, const char* name)
{
    return named(new QLineEdit(parent), name);
}

QLineEdit* passwordBox(QWidget* parent, const char* name)
{
    QLineEdit* box = textBox(parent, name);
    box->setEchoMode(QLineEdit::Password);
    // Typed characters show as "*", whatever the style's own choice.
    box->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    return box;
}

QComboBox* dropDownCombo(QWidget* parent, const char* name)
{
    auto* combo = named(new QComboBox(parent), name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    return combo;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, QWidget* buddy)
{
    auto* l = named(new QLabel(caption, parent), name);
    if (buddy)
        l->setBuddy(buddy);
    return l;
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption)
{
    auto* box = named(new QGroupBox(caption, parent), name);
    box->setAutoFillBackground(true);
    return box;
}

QFont designedFont(qreal points)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

} // namespace ui
