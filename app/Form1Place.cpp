// The window's size, place and the border between the query box and the output area, kept
// between runs of the program: written shortly after they change (and when the window
// closes), restored at start-up inside the visible screen. The designed place is the first
// run's.
#include "app/Form1.h"
#include "settings/Keys.h"
#include "settings/SettingsStore.h"
#include "ui/Controls.h"
#include "ui/MSFlexGrid.h"
#include "ui/Twips.h"

#include <QGroupBox>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTimer>
#include <algorithm>
#include <exception>

namespace {

// How long the place must stay still before it is written: a drag writes once, not per step.
constexpr int placeSettleMs = 500;

} // namespace

void Form1::connectPlace()
{
    placeTimer_ = new QTimer(this);
    placeTimer_->setSingleShot(true);
    placeTimer_->setInterval(placeSettleMs);
    connect(placeTimer_, &QTimer::timeout, this, &Form1::SaveWindowPlace);
}

void Form1::windowPlaceChanged()
{
    // Start-up's own placing is not the user's.
    if (placeRestored_)
        placeTimer_->start();
}

void Form1::restoreWindowPlace()
{
    try {
        const QByteArray geometry =
            QByteArray::fromBase64(settings::store().get(settings::WindowGeometry).toLatin1());
        if (!geometry.isEmpty())
            restoreGeometry(geometry);
        bool ok = false;
        const int stored = settings::store().get(settings::QueryBoxHeight).toInt(&ok);
        if (ok && stored >= 0) {
            // The border stays on the surface, with room for the output area below it.
            const ui::TwipsRect box = ui::twipsGeometry(Text1);
            // The surface is laid out only when the window is shown: its height is the window's
            // less the menu bar's.
            const int menuHeight = menuBar()->isNativeMenuBar() ? 0 : menuBar()->sizeHint().height();
            const int room = ui::twips(height() - menuHeight) - box.top - 2 * app::Splitter::gap;
            const int height = std::clamp(stored, 0, std::max(room, 0));
            ui::place(Text1, box.left, box.top, box.width, height);
            const int outputTop = box.top + height + app::Splitter::gap;
            for (QWidget* w : {static_cast<QWidget*>(Text2), static_cast<QWidget*>(MSFlexGrid1),
                               static_cast<QWidget*>(Frame4)}) {
                ui::TwipsRect r = ui::twipsGeometry(w);
                r.top = outputTop;
                ui::place(w, r);
            }
            Form_Resize();
        }
    } catch (const std::exception&) {
        // A place that cannot be read leaves the designed one.
    }
    placeRestored_ = true;
}

void Form1::SaveWindowPlace()
{
    placeTimer_->stop();
    try {
        settings::store().save(settings::WindowGeometry, QString::fromLatin1(saveGeometry().toBase64()));
        settings::store().save(settings::QueryBoxHeight, QString::number(ui::twipsGeometry(Text1).height));
    } catch (const std::exception&) {
        // Like every setting of the layout, a place that cannot be kept is skipped.
    }
}
