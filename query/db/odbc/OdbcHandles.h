// RAII owners of ODBC handles (environment, connection, statement), the diagnostic records
// a failing call leaves, and the conversions between QString and SQLWCHAR (UTF-16 here).
#pragma once

#include "query/db/odbc/OdbcErrors.h"

#include <QList>
#include <QString>
#include <climits>
#include <sql.h>
#include <sqlext.h>
#include <utility>

namespace db::odbc {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "SQLWCHAR must be UTF-16");

// A NUL-terminated UTF-16 copy of text that lives as long as this object.
class WideText
{
public:
    explicit WideText(const QString& text) : m_text(text) {}
    SQLWCHAR* get() { return const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(m_text.utf16())); }
    // The length where an API counts in 16 bits; a longer text is passed NUL-terminated
    // rather than with a count that wraps.
    SQLSMALLINT smallLength() const
    {
        return m_text.size() > SHRT_MAX ? SQLSMALLINT(SQL_NTS) : static_cast<SQLSMALLINT>(m_text.size());
    }
    SQLINTEGER length() const { return static_cast<SQLINTEGER>(m_text.size()); }

private:
    QString m_text;
};

// `chars` UTF-16 code units (or up to the first NUL when chars is SQL_NTS).
QString fromWide(const SQLWCHAR* text, qsizetype chars = SQL_NTS);

// A name the driver returned: at most `chars` units, ending at the first NUL. Drivers that
// count a name's bytes instead of its characters (the SQLite driver with non-ASCII names)
// report a length that runs past it.
QString nameText(const SQLWCHAR* text, qsizetype chars);

// Every diagnostic record of a handle, in order. With firstOnly, only the first: a second
// SQLGetDiagRec call crashes some drivers (mdbtools).
QList<DiagRecord> diagnostics(SQLSMALLINT handleType, SQLHANDLE handle, bool firstOnly);

// Owns one ODBC handle of a fixed type and frees it when destroyed.
class Handle
{
public:
    Handle() = default;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept
        : m_type(other.m_type), m_handle(std::exchange(other.m_handle, SQLHANDLE{})), m_family(other.m_family)
    {
    }
    Handle& operator=(Handle&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_type = other.m_type;
            m_handle = std::exchange(other.m_handle, SQLHANDLE{});
            m_family = other.m_family;
        }
        return *this;
    }
    ~Handle() { reset(); }

    SQLHANDLE get() const { return m_handle; }
    SQLSMALLINT type() const { return m_type; }
    explicit operator bool() const { return m_handle != SQL_NULL_HANDLE; }

    // The driver whose records this handle reports: decides how errors are numbered and
    // whether more than one diagnostic record may be read.
    DriverFamily family() const { return m_family; }
    void setFamily(DriverFamily family) { m_family = family; }

    // Throws db::Error built from this handle's diagnostics unless rc is a success.
    // SQL_NO_DATA counts as a success here; callers that care test it themselves.
    SQLRETURN check(SQLRETURN rc, const char* call) const;
    [[noreturn]] void fail(SQLRETURN rc, const char* call) const;
    QList<DiagRecord> records() const;

    void reset();

protected:
    Handle(SQLSMALLINT type, SQLHANDLE handle, DriverFamily family)
        : m_type(type), m_handle(handle), m_family(family)
    {
    }

private:
    SQLSMALLINT m_type = SQL_HANDLE_ENV;
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
    DriverFamily m_family = DriverFamily::Other;
};

// An ODBC 3 environment.
class EnvironmentHandle : public Handle
{
public:
    static EnvironmentHandle allocate();

private:
    using Handle::Handle;
};

class ConnectionHandle : public Handle
{
public:
    static ConnectionHandle allocate(const EnvironmentHandle& env, DriverFamily family);

private:
    using Handle::Handle;
};

class StatementHandle : public Handle
{
public:
    static StatementHandle allocate(const ConnectionHandle& dbc);

private:
    using Handle::Handle;
};

} // namespace db::odbc
