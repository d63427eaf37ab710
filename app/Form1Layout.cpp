// The main window's moving parts: the resize rules and the border between the query box
// and the output area, with the mouse pointer that shows it.
#include "app/Form1.h"
#include "app/Layout.h"
#include "ui/Controls.h"
#include "ui/MSFlexGrid.h"
#include "ui/Twips.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

namespace {

using app::Control;
using app::Property;

// The window's controls as the resize rules see them, in twips.
class Form1Surface final : public app::LayoutSurface
{
public:
    explicit Form1Surface(Form1& form) : form_(form) {}

    int get(Control c, Property p) const override
    {
        const ui::TwipsRect r = ui::twipsGeometry(widget(c));
        switch (p) {
        case Property::Left:
            return r.left;
        case Property::Top:
            return r.top;
        case Property::Width:
            return r.width;
        case Property::Height:
            return r.height;
        }
        return 0;
    }

    bool set(Control c, Property p, int twips) override
    {
        QWidget* w = widget(c);
        ui::TwipsRect r = ui::twipsGeometry(w);
        switch (p) {
        case Property::Left:
            r.left = twips;
            break;
        case Property::Top:
            r.top = twips;
            break;
        case Property::Width:
            r.width = twips;
            break;
        case Property::Height:
            r.height = twips;
            break;
        }
        ui::place(w, r);
        return true;
    }

private:
    QWidget* widget(Control c) const
    {
        switch (c) {
        case Control::Frame1:
            return form_.Frame1;
        case Control::Frame2:
            return form_.Frame2;
        case Control::Frame4:
            return form_.Frame4;
        case Control::Text1:
            return form_.Text1;
        case Control::Text2:
            return form_.Text2;
        case Control::MSFlexGrid1:
            return form_.MSFlexGrid1;
        case Control::DataGrid1:
            return form_.DataGrid1;
        case Control::Combo4:
            return form_.Combo4;
        case Control::Text12:
            return form_.Text12;
        case Control::Command10:
            return form_.Command10;
        case Control::Command12:
            return form_.Command12;
        }
        return nullptr;
    }

    Form1& form_;
};

void setTop(QWidget* w, int top)
{
    ui::TwipsRect r = ui::twipsGeometry(w);
    r.top = top;
    ui::place(w, r);
}

void setHeight(QWidget* w, int height)
{
    ui::TwipsRect r = ui::twipsGeometry(w);
    r.height = height;
    ui::place(w, r);
}

} // namespace

void Form1::connectLayout()
{
    // Pointer moves over the window's own surface arrive without a button held too.
    QWidget* surface = centralWidget();
    surface->setMouseTracking(true);
    surface->installEventFilter(this);
    // The pointer shape set on the surface is inherited by every control on it: whichever
    // control the pointer enters, the shape goes back to the resting one.
    for (QWidget* w : surface->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        w->installEventFilter(this);
}

bool Form1::layoutEvent(QObject* watched, QEvent* event)
{
    QWidget* surface = centralWidget();
    if (watched == surface) {
        switch (event->type()) {
        case QEvent::Resize:
            // The surface ends at the status bar's top: a new window size or a new status
            // bar height.
            Form_Resize();
            break;
        case QEvent::MouseButtonPress: {
            const auto* m = static_cast<QMouseEvent*>(event);
            if (m->button() == Qt::LeftButton &&
                splitter_.press(ui::twips(m->position().toPoint().y()), ui::twipsGeometry(Text1).top,
                                ui::twipsGeometry(Text2).top))
                surface->setCursor(Qt::SizeVerCursor);
            break;
        }
        case QEvent::MouseMove: {
            const auto* m = static_cast<QMouseEvent*>(event);
            const QPoint at = m->position().toPoint();
            Form_MouseMove(m->buttons(), ui::twips(at.x()), ui::twips(at.y()));
            break;
        }
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                splitter_.release();
                windowPlaceChanged();
            }
            break;
        case QEvent::Leave:
            if (!splitter_.dragging())
                surface->setCursor(restingPointer());
            break;
        default:
            break;
        }
        return false;
    }
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        if (auto* w = qobject_cast<QWidget*>(watched);
            w && w->parentWidget() == surface && !splitter_.dragging())
            surface->setCursor(restingPointer());
    }
    return false;
}

void Form1::resizeEvent(QResizeEvent* event)
{
    // The controls follow the surface's own resize.
    QMainWindow::resizeEvent(event);
    windowPlaceChanged();
}

void Form1::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    windowPlaceChanged();
}

void Form1::Form_Resize()
{
    // Measured from the client area, never from the window manager's frame.
    const QWidget* client = centralWidget();
    Form1Surface surface(*this);
    app::resizeLayout(ui::twips(client->width()), app::outerHeightFor(ui::twips(client->height())), surface);
}

void Form1::Form_MouseMove(Qt::MouseButtons buttons, int /*x*/, int y)
{
    QWidget* surface = centralWidget();
    const int text1Top = ui::twipsGeometry(Text1).top;
    const int text2Top = ui::twipsGeometry(Text2).top;
    // The border never leaves the surface.
    const int lowest = ui::twips(surface->height()) - app::Splitter::gap;
    const app::SplitterMove move =
        splitter_.mouseMove(y, buttons.testFlag(Qt::LeftButton), text1Top, text2Top, lowest);
    surface->setCursor(move.pointer == app::Pointer::SizeNS ? Qt::SizeVerCursor : restingPointer());
    if (!move.resize)
        return;
    setHeight(Text1, move.text1Height);
    setTop(Text2, move.text2Top);
    setTop(MSFlexGrid1, move.text2Top);
    setTop(Frame4, move.text2Top);
}
