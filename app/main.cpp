#include "app/Demo.h"
#include "app/Form1.h"
#include "settings/SettingsStore.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <exception>

namespace {

// `--demo` runs on the demo's own database and settings store, never on the user's: the
// profile "Demo" there is opened by the normal start-up.
void prepareDemo()
{
    const demo::Paths paths = demo::paths();
    qputenv("QUORVANE_SETTINGS", QFile::encodeName(paths.settings));
    try {
        demo::ensureDatabase(paths.database);
        demo::prepareProfile(paths.database);
    } catch (const settings::StoreError& e) {
        ui::msgBox(QStringLiteral("The demo profile could not be saved: %1").arg(e.message));
    } catch (const std::exception& e) {
        ui::msgBox(QStringLiteral("The demo database %1 could not be created: %2")
                       .arg(QDir::toNativeSeparators(paths.database), QString::fromUtf8(e.what())));
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    const bool demoMode = QApplication::arguments().contains(QStringLiteral("--demo"));
    if (demoMode)
        prepareDemo();

    Form1 form;
    form.Form_Load();
    form.show();

    const QString notice = settings::store().recoveryNotice();
    if (!notice.isEmpty())
        ui::msgBox(notice);
    return QApplication::exec();
}
