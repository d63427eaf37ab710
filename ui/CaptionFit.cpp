#include "ui/CaptionFit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

namespace ui {
namespace {

// The width a push button needs: its caption's width plus the bevel the style draws around it.
// (The button's own size hint adds the style's minimum width, which is not the caption's.)
int pushButtonWidth(const QPushButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QRect contents = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    const int text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width();
    return button->width() - contents.width() + text;
}

// The width `control`'s caption needs, or 0 for a control without one.
int captionWidth(const QWidget* control)
{
    if (const auto* button = qobject_cast<const QPushButton*>(control))
        return button->text().isEmpty() ? 0 : pushButtonWidth(button);
    if (qobject_cast<const QCheckBox*>(control) || qobject_cast<const QRadioButton*>(control))
        return static_cast<const QAbstractButton*>(control)->text().isEmpty() ? 0
                                                                              : control->sizeHint().width();
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return label->text().isEmpty() || label->wordWrap() ? 0 : label->sizeHint().width();
    return 0;
}

bool inLayout(const QWidget* control)
{
    const QWidget* parent = control->parentWidget();
    return parent && parent->layout() && parent->layout()->indexOf(control) >= 0;
}

} // namespace

void fitCaptions(QWidget* root)
{
    for (QWidget* control : root->findChildren<QWidget*>()) {
        if (inLayout(control))
            continue;
        const int needed = captionWidth(control);
        if (needed > control->width())
            control->resize(needed, control->height());
    }
}

} // namespace ui
