#pragma once

#include "ui/TextFile.h"

#include <QString>

namespace results {

// The main window's error report: the error's number in decimal, CR LF, its description.
inline QString errorReport(int number, const QString& description)
{
    return QString::number(number) + QStringLiteral("\r\n") + description;
}

inline QString errorReport(const ui::FileError& error)
{
    return errorReport(error.number, error.description);
}

} // namespace results
