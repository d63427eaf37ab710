#pragma once

#include "ui/Failure.h"

#include <QString>

// How each tool of the tools window reports a failure: by its number, two of which have
// messages of their own for the tools that map them.
namespace tools {

enum class Tool { Connect, Compare, Find, LockWatch };

// The failure's number; a failure without one is the unspecified failure.
qint32 failureNumber(const ui::Failure& failure);

// The message box text of `tool` for `number`; empty where the tool shows none (the lock
// watch for a number it does not map).
QString toolsErrorMessage(Tool tool, qint32 number);

// Shows toolsErrorMessage() in an OK-only message box (when there is one) and returns the
// failure's number for the tool's own aftermath.
qint32 showToolsError(Tool tool, const ui::Failure& failure);

} // namespace tools
