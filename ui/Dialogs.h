#pragma once

#include <QString>
#include <chrono>

class QWidget;

namespace ui {

enum class Icon { None, Information, Exclamation, Critical, Question };
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

// Every modal interaction of the program goes through this seam, so that tests can script
// the answers and nothing ever blocks on a real modal loop.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // An OK-only message box.
    virtual void message(const QString& text, const QString& title, Icon icon) = 0;
    // A Yes/No question; the program's confirmations carry an empty title.
    virtual Answer question(const QString& text, const QString& title) = 0;
    // The same for a step that cannot be undone: No is the default button, so Enter answers
    // No.
    virtual Answer questionDefaultNo(const QString& text, const QString& title)
    {
        return question(text, title);
    }
    // Shows a window modally and returns when it has been hidden again.
    virtual void showModal(QWidget* window) = 0;
};

// The dialogs in use: the real Qt ones unless a test has installed others.
Dialogs& dialogs();
// Installs `replacement` (not owned); nullptr restores the real dialogs.
void setDialogs(Dialogs* replacement);

// The program's own title for OK-only messages.
inline QString programTitle()
{
    return QStringLiteral("Quorvane");
}

// Shorthands for the common cases.
void msgBox(const QString& text, Icon icon = Icon::None);
bool askYesNo(const QString& text);
// Asks with No as the default button; true only for Yes.
bool askYesNoDefaultNo(const QString& text);

// The time message boxes and questions (the shorthands above) have stood open since the program
// started, on the program's clock (ui::clock()): a run's "Seconds" leaves it out.
std::chrono::milliseconds timeInDialogs();

} // namespace ui
