#pragma once

#include "ui/Dialogs.h"
#include "ui/TextFile.h"

#include <QString>

#include <exception>
#include <new>

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

// Runs a command of the result tools and shows any failure as a message: none leaves it.
template <typename F> void guarded(F&& command)
{
    try {
        command();
    } catch (const ui::FileError& e) {
        ui::msgBox(errorReport(e));
    } catch (const std::bad_alloc&) {
        ui::msgBox(errorReport(7, QStringLiteral("Out of memory")));
    } catch (const std::exception& e) {
        ui::msgBox(QString::fromUtf8(e.what()));
    }
}

} // namespace results
