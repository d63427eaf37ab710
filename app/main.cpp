#include "app/CommandLine.h"
#include "app/Demo.h"
#include "app/Form1.h"
#include "app/HeadlessExport.h"
#include "settings/SettingsStore.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <cstdio>
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

void print(std::FILE* to, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), to);
}

} // namespace

int main(int argc, char** argv)
{
    // Read before the toolkit starts, so that these answers need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const app::CommandLine line = app::parseCommandLine(arguments);
    switch (line.action) {
    case app::CommandLine::Action::Help:
        print(stdout, app::usageText());
        return 0;
    case app::CommandLine::Action::Version:
        print(stdout, app::versionText() + QLatin1Char('\n'));
        return 0;
    case app::CommandLine::Action::Refuse:
        print(stderr, QStringLiteral("quorvane: ") + line.refusal + QLatin1Char('\n') + app::usageText());
        return 2;
    case app::CommandLine::Action::Export: {
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Quorvane"));
        QString report, failure;
        const int code =
            app::runHeadlessExport({line.profile, line.exportQuery, line.output}, report, failure);
        if (code == 0)
            print(stdout, report + QLatin1Char('\n'));
        else
            print(stderr, QStringLiteral("quorvane: ") + failure + QLatin1Char('\n'));
        return code;
    }
    case app::CommandLine::Action::Window:
        break;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    if (line.demo)
        prepareDemo();

    Form1 form;
    form.Form_Load();
    form.show();
    app::applyToWindow(line, form);

    const QString notice = settings::store().recoveryNotice();
    if (!notice.isEmpty())
        ui::msgBox(notice);
    return QApplication::exec();
}
