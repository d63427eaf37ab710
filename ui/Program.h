#pragma once

#include <functional>

class QUrl;

namespace ui {

// Ends the whole program: every window closes and the event loop returns. Tests replace
// the action so that a test of Exit does not end the test runner.
void endProgram();
void setEndProgramAction(std::function<void()> action);

// Opens an address with the desktop's URL handler (the browser for web pages); false when no
// handler could be started.
bool openUrl(const QUrl& url);
void setOpenUrlAction(std::function<bool(const QUrl&)> action);

} // namespace ui
