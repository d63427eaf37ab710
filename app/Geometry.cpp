#include "app/Geometry.h"

#include "ui/Twips.h"

#include <QWidget>

namespace app {

void place(QWidget* control, int left, int top, int width, int height)
{
    control->setGeometry(ui::pixels(left), ui::pixels(top), ui::pixels(width), ui::pixels(height));
}

void place(QWidget* control, const TwipsRect& rect)
{
    place(control, rect.left, rect.top, rect.width, rect.height);
}

TwipsRect twipsGeometry(const QWidget* control)
{
    const QRect g = control->geometry();
    return {ui::twips(g.x()), ui::twips(g.y()), ui::twips(g.width()), ui::twips(g.height())};
}

} // namespace app
