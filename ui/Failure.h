#pragma once

#include <QString>
#include <optional>
#include <type_traits>
#include <utility>

// The one way a handler keeps its failures to itself: it runs its work through guarded(),
// which turns whatever the work throws into a Failure and hands it to a report.
namespace ui {

// A failure as the user is told of it.
struct Failure
{
    // The error's number; none when the description is a complete message of its own.
    std::optional<qint32> number;
    QString description;
};

namespace FailureNumber {
inline constexpr qint32 OutOfMemory = 7;
// The unspecified failure (0x80004005).
inline constexpr qint32 Unspecified = -2147467259;
} // namespace FailureNumber

// The error report: the number in decimal, CR LF and the description; a failure without a
// number is its description alone.
QString errorReport(const Failure& failure);
// Shows the error report in an OK-only message box.
void showErrorReport(const Failure& failure);

// Called inside a catch block: the failure being handled. The errors of other folders are
// named in `Numbered`, tried in order: each has a number and a description (members `number`
// and `description`) or is a complete message (member `message`). The file errors of ui/ are
// known anyway; running out of memory is failure 7; any other exception is a message of its
// own (its what() text).
template <typename... Numbered> Failure currentFailure();

// Runs `command`; a failure goes to `report` (by default the error report) and leaves no
// further. Returns whether the command ran through.
template <typename... Numbered, typename Command, typename Report>
bool guarded(Command&& command, Report&& report)
{
    try {
        command();
        return true;
    } catch (...) {
        report(currentFailure<Numbered...>());
        return false;
    }
}

template <typename... Numbered, typename Command> bool guarded(Command&& command)
{
    return guarded<Numbered...>(std::forward<Command>(command), showErrorReport);
}

// --- implementation ---

Failure currentBasicFailure();

template <typename... Numbered> Failure currentFailure()
{
    if constexpr (sizeof...(Numbered) == 0) {
        return currentBasicFailure();
    } else {
        return [&]<typename First, typename... Rest>(std::type_identity<First>, std::type_identity<Rest>...) {
            try {
                throw;
            } catch (const First& e) {
                if constexpr (requires { e.message; })
                    return Failure{std::nullopt, e.message};
                else
                    return Failure{e.number, e.description};
            } catch (...) {
                return currentFailure<Rest...>();
            }
        }(std::type_identity<Numbered>()...);
    }
}

} // namespace ui
