#include "app/CommandLine.h"

#include "app/Form1.h"
#include "app/Maker.h"
#include "results/QueryFiles.h"

#include <QPlainTextEdit>

namespace app {
namespace {

// The toolkit's own options: those that take a value, then those that stand alone.
const QStringList toolkitOptionsWithValue = {
    QStringLiteral("-platform"),        QStringLiteral("-platformpluginpath"),
    QStringLiteral("-platformtheme"),   QStringLiteral("-plugin"),
    QStringLiteral("-qwindowgeometry"), QStringLiteral("-qwindowicon"),
    QStringLiteral("-qwindowtitle"),    QStringLiteral("-style"),
    QStringLiteral("-stylesheet"),      QStringLiteral("-session"),
    QStringLiteral("-display"),         QStringLiteral("-geometry")};
const QStringList toolkitOptions = {QStringLiteral("-reverse"), QStringLiteral("-widgetcount"),
                                    QStringLiteral("-nograb"), QStringLiteral("-dograb"),
                                    QStringLiteral("-sync")};

bool isToolkitOption(const QString& arg, const QStringList& options)
{
    // The toolkit accepts its options with one dash or two.
    const QString oneDash = arg.startsWith(QLatin1String("--")) ? arg.mid(1) : arg;
    return options.contains(oneDash);
}

CommandLine refuse(const QString& why)
{
    CommandLine line;
    line.action = CommandLine::Action::Refuse;
    line.refusal = why;
    return line;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine line;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            line.action = CommandLine::Action::Help;
            return line;
        }
        if (arg == QLatin1String("--version")) {
            line.action = CommandLine::Action::Version;
            return line;
        }
        QString* exportValue = arg == QLatin1String("--profile")      ? &line.profile
                               : arg == QLatin1String("--query-file") ? &line.exportQuery
                               : arg == QLatin1String("--output")     ? &line.output
                                                                      : nullptr;
        if (exportValue) {
            if (++i == arguments.size())
                return refuse(QStringLiteral("The option %1 needs a value.").arg(arg));
            *exportValue = arguments[i];
        } else if (arg == QLatin1String("--demo")) {
            line.demo = true;
        } else if (isToolkitOption(arg, toolkitOptionsWithValue)) {
            if (++i == arguments.size())
                return refuse(QStringLiteral("The option %1 needs a value.").arg(arg));
        } else if (isToolkitOption(arg, toolkitOptions)) {
        } else if (arg.startsWith(QLatin1Char('-'))) {
            return refuse(QStringLiteral("Unknown option: %1").arg(arg));
        } else if (!line.queryFile.isEmpty()) {
            return refuse(
                QStringLiteral("Only one query file can be opened: %1 and %2.").arg(line.queryFile, arg));
        } else {
            line.queryFile = arg;
        }
    }
    const int exportParts =
        int(!line.profile.isEmpty()) + int(!line.exportQuery.isEmpty()) + int(!line.output.isEmpty());
    if (exportParts > 0) {
        if (exportParts < 3 || !line.queryFile.isEmpty())
            return refuse(QStringLiteral(
                "A run without a window takes --profile, --query-file and --output, and nothing "
                "else."));
        line.action = CommandLine::Action::Export;
    }
    return line;
}

QString usageText()
{
    return QStringLiteral("Usage: quorvane [--demo] [FILE.sql]\n"
                          "       quorvane --profile NAME --query-file F --output FILE\n"
                          "       quorvane --help | --version\n"
                          "\n"
                          "  FILE.sql   open that query file in the query box (as File Open does)\n"
                          "  --demo     open the SQLite demo database, on the demo's own settings\n"
                          "  --profile NAME --query-file F --output FILE\n"
                          "             run F on the saved profile NAME without a window and append\n"
                          "             the result to FILE as Data Output to File does (\"|\" between\n"
                          "             values); the profile's password is not stored, so only\n"
                          "             connections that need none\n"
                          "  --help     print this text and exit\n"
                          "  --version  print the version and exit\n");
}

void applyToWindow(const CommandLine& line, Form1& window)
{
    if (!line.queryFile.isEmpty())
        results::openQueryFile(line.queryFile,
                               [&](const QString& text) { window.Text1->setPlainText(text); });
}

QString versionText()
{
    return QString(maker::product);
}

} // namespace app
