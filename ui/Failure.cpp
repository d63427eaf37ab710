#include "ui/Failure.h"

#include "ui/Dialogs.h"
#include "ui/TextFile.h"

#include <exception>
#include <new>

namespace ui {

QString errorReport(const Failure& failure)
{
    if (!failure.number)
        return failure.description;
    return QString::number(*failure.number) + QStringLiteral("\r\n") + failure.description;
}

void showErrorReport(const Failure& failure)
{
    msgBox(errorReport(failure));
}

Failure currentBasicFailure()
{
    try {
        throw;
    } catch (const FileError& e) {
        return {e.number, e.description};
    } catch (const std::bad_alloc&) {
        return {FailureNumber::OutOfMemory, QStringLiteral("Out of memory")};
    } catch (const std::exception& e) {
        return {std::nullopt, QString::fromUtf8(e.what())};
    } catch (...) {
        return {FailureNumber::Unspecified, QStringLiteral("Unspecified error")};
    }
}

} // namespace ui
