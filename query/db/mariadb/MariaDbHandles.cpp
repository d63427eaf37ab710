#include "query/db/mariadb/MariaDbHandles.h"

#include "query/db/ConnectionString.h"
#include "query/db/odbc/OdbcErrors.h"

#include <vector>

namespace db::mariadb {

namespace {

unsigned secondsFrom(const QString& text, unsigned fallback)
{
    bool ok = false;
    const int seconds = text.trimmed().toInt(&ok);
    return ok && seconds >= 0 ? static_cast<unsigned>(seconds) : fallback;
}

db::Error errorOf(unsigned number, const char* state, const char* message, const char* call)
{
    QList<odbc::DiagRecord> records;
    if (number != 0)
        records.append({QString::fromLatin1(state), static_cast<int>(number), QString::fromUtf8(message)});
    db::Error e = odbc::makeError(records, odbc::DriverFamily::MySql, call);
    if (records.isEmpty())
        e.description = QStringLiteral("The MariaDB call %1 failed without an error from the server.")
                            .arg(QLatin1String(call));
    return e;
}

} // namespace

ServerLogin loginFrom(const ProviderChoice& choice)
{
    const ConnectionStringParts parts = parseConnectionString(choice.connectionString);
    ServerLogin login;
    login.host = parts.value(QStringLiteral("Server")).toUtf8();
    login.port = secondsFrom(parts.value(QStringLiteral("Port")), 0);
    login.user = parts.value(QStringLiteral("UID")).toUtf8();
    login.password = parts.value(QStringLiteral("PWD")).toUtf8();
    login.database = parts.value(QStringLiteral("Database")).toUtf8();
    login.connectTimeout = secondsFrom(parts.value(QStringLiteral("CONN_TIMEOUT")),
                                       static_cast<unsigned>(std::max(choice.loginTimeout, 0)));
    login.readTimeout = secondsFrom(parts.value(QStringLiteral("READ_TIMEOUT")), 0);
    return login;
}

MysqlHandle connectTo(const ServerLogin& login)
{
    MysqlHandle my(mysql_init(nullptr));
    if (!my)
        throw db::Error(QStringLiteral("Out of memory: the MariaDB connection could not be made."));
    mysql_options(my.get(), MYSQL_SET_CHARSET_NAME, "utf8mb4");
    const unsigned noLocalFiles = 0;
    mysql_options(my.get(), MYSQL_OPT_LOCAL_INFILE, &noLocalFiles);
    if (login.connectTimeout > 0)
        mysql_options(my.get(), MYSQL_OPT_CONNECT_TIMEOUT, &login.connectTimeout);
    if (login.readTimeout > 0)
        mysql_options(my.get(), MYSQL_OPT_READ_TIMEOUT, &login.readTimeout);
    auto text = [](const QByteArray& value) { return value.isEmpty() ? nullptr : value.constData(); };
    if (!mysql_real_connect(my.get(), text(login.host), login.user.constData(), login.password.constData(),
                            text(login.database), login.port, nullptr,
                            CLIENT_MULTI_STATEMENTS | CLIENT_MULTI_RESULTS))
        throw serverError(my.get(), "mysql_real_connect");
    return my;
}

db::Error serverError(MYSQL* my, const char* call)
{
    return errorOf(mysql_errno(my), mysql_sqlstate(my), mysql_error(my), call);
}

db::Error markerCountError(qsizetype markers, qsizetype values)
{
    return db::Error(ErrorNumber::CommandRejected,
                     QStringLiteral("The statement has %1 parameter markers but %2 values were given.")
                         .arg(markers)
                         .arg(values));
}

PreparedStatement::PreparedStatement(MYSQL* my) : m_stmt(mysql_stmt_init(my))
{
    if (!m_stmt)
        throw serverError(my, "mysql_stmt_init");
}

PreparedStatement::~PreparedStatement()
{
    mysql_stmt_close(m_stmt);
}

db::Error PreparedStatement::error(const char* call) const
{
    return errorOf(mysql_stmt_errno(m_stmt), mysql_stmt_sqlstate(m_stmt), mysql_stmt_error(m_stmt), call);
}

void PreparedStatement::prepare(const QByteArray& sql)
{
    if (mysql_stmt_prepare(m_stmt, sql.constData(), static_cast<unsigned long>(sql.size())) != 0)
        throw error("mysql_stmt_prepare");
}

void PreparedStatement::bind(const QList<Param>& params)
{
    if (mysql_stmt_param_count(m_stmt) != static_cast<unsigned long>(params.size()))
        throw markerCountError(static_cast<qsizetype>(mysql_stmt_param_count(m_stmt)), params.size());
    std::vector<MYSQL_BIND> binds(static_cast<size_t>(params.size()));
    m_values.clear();
    for (qsizetype i = 0; i < params.size(); ++i) {
        const Param& p = params[i];
        MYSQL_BIND& b = binds[static_cast<size_t>(i)];
        b = MYSQL_BIND{};
        if (!p) {
            b.buffer_type = MYSQL_TYPE_NULL;
            m_values.append(QByteArray());
            continue;
        }
        const bool blob = p.kind == ValueKind::Blob;
        m_values.append(blob ? p.bytes : p->toUtf8());
        b.buffer_type = blob ? MYSQL_TYPE_BLOB : MYSQL_TYPE_STRING;
        b.buffer = const_cast<char*>(m_values.back().constData());
        b.buffer_length = static_cast<unsigned long>(m_values.back().size());
    }
    if (mysql_stmt_bind_param(m_stmt, binds.data()) != 0)
        throw error("mysql_stmt_bind_param");
}

void PreparedStatement::execute()
{
    if (mysql_stmt_execute(m_stmt) != 0)
        throw error("mysql_stmt_execute");
}

qint64 PreparedStatement::affectedRows() const
{
    return static_cast<qint64>(mysql_stmt_affected_rows(m_stmt));
}

} // namespace db::mariadb
