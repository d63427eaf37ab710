#include "app/HelpPage.h"

#include "app/Maker.h"
#include "ui/Dialogs.h"
#include "ui/Program.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace app {

QString shippedReadme(const QString& programFolder)
{
    const QDir folder(programFolder);
    for (const QString& candidate : {folder.filePath(QStringLiteral("README.md")),
                                     folder.filePath(QStringLiteral("../share/doc/quorvane/README.md"))}) {
        if (QFileInfo(candidate).isFile())
            return QDir::cleanPath(candidate);
    }
    return {};
}

QString builtInHelp()
{
    return QStringLiteral(
        "Choose a database type and fill in the connection fields (or choose a saved profile), type SQL "
        "into the query box and press Run (F5 or Ctrl+Enter); Esc or Cancel stops a run.\r\n"
        "Options chooses where results go: the grid, plain text, a file, or the data grid for "
        "Direct Edit, which changes the database itself.\r\n"
        "The File menu opens and saves query files and exports the result (as CSV too); the grid's "
        "right-button menu copies and trims it; Ctrl+C copies the selected cells.\r\n"
        "Command line: quorvane [--demo] [FILE.sql]; quorvane --help lists the options.");
}

void openHelp(const QString& programFolder)
{
    const QString address = maker::helpAddress();
    if (ui::openUrl(QUrl(address)))
        return;
    const QString readme = shippedReadme(programFolder);
    if (!readme.isEmpty() && ui::openUrl(QUrl::fromLocalFile(readme))) {
        ui::msgBox(QStringLiteral("The help page %1 could not be opened, so the README shipped with "
                                  "Quorvane was opened instead:\r\n%2")
                       .arg(address, QDir::toNativeSeparators(readme)));
        return;
    }
    ui::msgBox(QStringLiteral("The help page %1 could not be opened%2, so here is a short help.\r\n\r\n%3")
                   .arg(address,
                        readme.isEmpty()
                            ? QStringLiteral(" and no README was found beside the program")
                            : QStringLiteral(", nor the README ") + QDir::toNativeSeparators(readme),
                        builtInHelp()));
}

} // namespace app
