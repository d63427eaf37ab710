#pragma once

#include <QString>
#include <QStringList>

// The program's command line, read before any window exists, so that --help, --version and a
// refused option work without a display.
class Form1;

namespace app {

struct CommandLine
{
    enum class Action { Window, Help, Version, Refuse, Export };
    Action action = Action::Window;
    bool demo = false;
    QString queryFile; // a query file to open in the query box
    QString refusal;   // why the command line was refused
    // Export: --profile NAME --query-file F --output FILE, a run without a window.
    QString profile, exportQuery, output;
};

// `arguments` as the program got them, its own name first. The options of the Qt toolkit
// (-platform NAME, -style NAME, -reverse, ...) are let through for the toolkit.
CommandLine parseCommandLine(const QStringList& arguments);

// What the command line asks of the started main window: the query file opened in the query box
// and made the current query file, as File Open does (a file that cannot be read is reported).
void applyToWindow(const CommandLine& line, Form1& window);

// The usage text (ends with a line break) and the version line.
QString usageText();
QString versionText();

} // namespace app
