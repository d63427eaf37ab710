#include "tools/ToolsErrorReport.h"

#include "query/db/Error.h"
#include "ui/Dialogs.h"

namespace tools {

qint32 failureNumber(const ui::Failure& failure)
{
    return failure.number.value_or(ui::FailureNumber::Unspecified);
}

QString toolsErrorMessage(Tool tool, qint32 number)
{
    if (tool != Tool::Compare) {
        if (number == db::ErrorNumber::Unreachable)
            return QStringLiteral("Could not find Database: Check database and server names.");
        if (number == db::ErrorNumber::LoginRefused)
            return QStringLiteral("Problem with Login: Check username and password.");
    }
    switch (tool) {
    case Tool::Connect:
        return QStringLiteral("Error 1422-") + QString::number(number);
    case Tool::Compare:
    case Tool::Find:
        return QStringLiteral("Error ") + QString::number(number);
    case Tool::LockWatch:
        break;
    }
    return {};
}

qint32 showToolsError(Tool tool, const ui::Failure& failure)
{
    const qint32 number = failureNumber(failure);
    const QString text = toolsErrorMessage(tool, number);
    if (!text.isEmpty())
        ui::msgBox(text);
    return number;
}

} // namespace tools
