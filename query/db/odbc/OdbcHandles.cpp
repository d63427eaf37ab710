#include "query/db/odbc/OdbcHandles.h"

#include "text/DataText.h"

#include <vector>

namespace db::odbc {

QString fromWide(const SQLWCHAR* text, qsizetype chars)
{
    if (!text)
        return {};
    if (chars == SQL_NTS) {
        chars = 0;
        while (text[chars] != 0)
            ++chars;
    }
    return text::fromUtf16Data(reinterpret_cast<const char16_t*>(text), chars);
}

QString nameText(const SQLWCHAR* text, qsizetype chars)
{
    qsizetype length = 0;
    while (length < chars && text[length] != 0)
        ++length;
    return fromWide(text, length);
}

QList<DiagRecord> diagnostics(SQLSMALLINT handleType, SQLHANDLE handle, bool firstOnly)
{
    QList<DiagRecord> records;
    if (handle == SQL_NULL_HANDLE)
        return records;
    std::vector<SQLWCHAR> message(1024);
    for (SQLSMALLINT i = 1;; ++i) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRecW(handleType, handle, i, state, &native, message.data(),
                                      static_cast<SQLSMALLINT>(message.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size())) {
            // The message was cut: read it again with room for all of it.
            message.resize(static_cast<size_t>(length) + 1);
            rc = SQLGetDiagRecW(handleType, handle, i, state, &native, message.data(),
                                static_cast<SQLSMALLINT>(message.size()), &length);
        }
        if (!SQL_SUCCEEDED(rc))
            break;
        DiagRecord record;
        record.sqlState = fromWide(state, 5).section(QChar(0), 0, 0);
        record.native = static_cast<int>(native);
        const qsizetype chars = std::min<qsizetype>(length, static_cast<qsizetype>(message.size()) - 1);
        record.message = fromWide(message.data(), std::max<qsizetype>(chars, 0));
        records.append(record);
        if (firstOnly || i == SHRT_MAX)
            break;
    }
    return records;
}

QList<DiagRecord> Handle::records() const
{
    return diagnostics(m_type, m_handle, m_family == DriverFamily::Access);
}

SQLRETURN Handle::check(SQLRETURN rc, const char* call) const
{
    if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NO_DATA)
        return rc;
    fail(rc, call);
}

void Handle::fail(SQLRETURN rc, const char* call) const
{
    QList<DiagRecord> list = (rc == SQL_INVALID_HANDLE) ? QList<DiagRecord>{} : records();
    throw makeError(list, m_family, call);
}

void Handle::reset()
{
    if (m_handle != SQL_NULL_HANDLE) {
        SQLFreeHandle(m_type, m_handle);
        m_handle = SQL_NULL_HANDLE;
    }
}

EnvironmentHandle EnvironmentHandle::allocate()
{
    SQLHANDLE h = SQL_NULL_HANDLE;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h)))
        throw layerError(ErrorNumber::Unreachable,
                         QStringLiteral("The ODBC driver manager could not allocate an environment."));
    EnvironmentHandle env(SQL_HANDLE_ENV, h, DriverFamily::Other);
    env.check(SQLSetEnvAttr(h, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
              "SQLSetEnvAttr(SQL_ATTR_ODBC_VERSION)");
    return env;
}

ConnectionHandle ConnectionHandle::allocate(const EnvironmentHandle& env, DriverFamily family)
{
    SQLHANDLE h = SQL_NULL_HANDLE;
    env.check(SQLAllocHandle(SQL_HANDLE_DBC, env.get(), &h), "SQLAllocHandle(SQL_HANDLE_DBC)");
    return ConnectionHandle(SQL_HANDLE_DBC, h, family);
}

StatementHandle StatementHandle::allocate(const ConnectionHandle& dbc)
{
    SQLHANDLE h = SQL_NULL_HANDLE;
    dbc.check(SQLAllocHandle(SQL_HANDLE_STMT, dbc.get(), &h), "SQLAllocHandle(SQL_HANDLE_STMT)");
    return StatementHandle(SQL_HANDLE_STMT, h, dbc.family());
}

} // namespace db::odbc
