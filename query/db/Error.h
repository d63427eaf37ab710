#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace db {

// Error numbers callers test, as the classic data-objects library reports them.
namespace ErrorNumber {
// Server or database cannot be reached or opened, and anything not listed below.
inline constexpr qint32 Unreachable = -2147467259; // 0x80004005
// The login was refused.
inline constexpr qint32 LoginRefused = -2147217843; // 0x80040E4D
// The command was rejected (SQLSTATE 42xxx or 37000).
inline constexpr qint32 CommandRejected = -2147217900; // 0x80040E14
} // namespace ErrorNumber

// Thrown by every failing operation of the access layer. The description is the engine's or
// driver's full message (for ODBC every diagnostic record, joined), shown to the user as is.
struct Error : std::exception
{
    qint32 number = ErrorNumber::Unreachable;
    QString description;
    QString sqlState;
    int native = 0;

    explicit Error(QString description) : Error(ErrorNumber::Unreachable, std::move(description)) {}
    Error(qint32 number, QString description, QString sqlState = {}, int native = 0)
        : number(number), description(std::move(description)), sqlState(std::move(sqlState)), native(native),
          what_(this->description.toUtf8())
    {
    }

    const char* what() const noexcept override { return what_.constData(); }

private:
    QByteArray what_;
};

// The classic library's words for using an object in the wrong state.
inline Error objectOpenError()
{
    return Error(QStringLiteral("Operation is not allowed when the object is open."));
}
inline Error objectClosedError()
{
    return Error(QStringLiteral("Operation is not allowed when the object is closed."));
}

} // namespace db
