#include "app/StatusBar.h"

#include "ui/Twips.h"

#include <QLabel>
#include <algorithm>

namespace app {

PanelStatusBar::PanelStatusBar(QWidget* parent) : QStatusBar(parent)
{
    for (int i = 0; i < panelCount; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        panels_[i] = label;
        addWidget(label);
        setPanelWidth(i + 1, initialPanelWidth);
    }
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("Note"));
    addWidget(note_, 1);
}

QString PanelStatusBar::note() const
{
    return note_->text();
}

void PanelStatusBar::setNote(const QString& text)
{
    note_->setText(text);
}

QLabel* PanelStatusBar::panel(int index) const
{
    return index >= 1 && index <= panelCount ? panels_[index - 1] : nullptr;
}

QString PanelStatusBar::panelText(int index) const
{
    const QLabel* label = panel(index);
    return label ? label->text() : QString();
}

void PanelStatusBar::setPanelText(int index, const QString& text)
{
    if (QLabel* label = panel(index))
        label->setText(text);
}

int PanelStatusBar::panelWidth(int index) const
{
    return panel(index) ? widths_[index - 1] : 0;
}

void PanelStatusBar::setPanelWidth(int index, int twipWidth)
{
    QLabel* label = panel(index);
    if (!label)
        return;
    // The twips are kept as given: a width such as 1400 is not a whole number of pixels.
    widths_[index - 1] = std::max(0, twipWidth);
    label->setFixedWidth(ui::pixels(widths_[index - 1]));
}

} // namespace app
