#include "query/db/odbc/OdbcConnectionString.h"

#include "query/db/odbc/OdbcHandles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <initializer_list>

namespace db::odbc {

namespace {

int g_loginTimeout = 15;

// The MySQL drivers' "allow multiple statements" option bit.
constexpr qulonglong kMultiStatements = 67108864;

bool is(const QString& key, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        if (key.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

std::optional<QString> find(const QList<ConnectionStringPart>& keys, std::initializer_list<const char*> names)
{
    for (const ConnectionStringPart& kv : keys)
        if (is(kv.key, names))
            return kv.value;
    return std::nullopt;
}

QString quoted(const QStringList& names)
{
    QStringList q;
    for (const QString& n : names)
        q << QLatin1Char('"') + n + QLatin1Char('"');
    return q.join(QStringLiteral(", "));
}

// Which driver serves a kind of database, and where it comes from when none is installed.
struct DriverRule
{
    const char* what;       // "SQL Server"
    QStringList exactNames; // tried in order, compared without regard to case
    QStringList prefixes;   // then names beginning with one of these (in installed order)
    QString package;        // how to get one
    QStringList after;      // exact names tried last
};

std::optional<InstalledDriver> choose(const DriverRule& rule, const QList<InstalledDriver>& installed)
{
    auto exact = [&](const QStringList& names) -> std::optional<InstalledDriver> {
        for (const QString& name : names)
            for (const InstalledDriver& d : installed)
                if (d.name.compare(name, Qt::CaseInsensitive) == 0)
                    return d;
        return std::nullopt;
    };
    if (auto d = exact(rule.exactNames))
        return d;
    // Among drivers found by prefix, a Unicode one before its ANSI sibling.
    for (const QString& prefix : rule.prefixes) {
        std::optional<InstalledDriver> found;
        for (const InstalledDriver& d : installed) {
            if (!d.name.startsWith(prefix, Qt::CaseInsensitive))
                continue;
            if (d.name.contains(QLatin1String("Unicode"), Qt::CaseInsensitive))
                return d;
            if (!found)
                found = d;
        }
        if (found)
            return found;
    }
    return exact(rule.after);
}

[[noreturn]] void noDriver(const DriverRule& rule)
{
    QStringList tried = rule.exactNames;
    for (const QString& p : rule.prefixes)
        tried << p + QStringLiteral("...");
    tried << rule.after;
    throw layerError(ErrorNumber::Unreachable,
                     QStringLiteral("No ODBC driver for %1 is installed (looked for %2). %3")
                         .arg(QLatin1String(rule.what), quoted(tried), rule.package));
}

InstalledDriver pick(const DriverRule& rule, const QList<InstalledDriver>& installed)
{
    if (auto d = choose(rule, installed))
        return *d;
    noDriver(rule);
}

// Builds a connection string key by key.
class Builder
{
public:
    // A value with ";", "{", "}" or surrounding blanks goes in braces, "}" doubled: the
    // drivers read it back exactly.
    void add(const QString& key, const QString& value)
    {
        m_parts << key + QLatin1Char('=') + connectionStringValue(value);
    }
    void add(const char* key, const QString& value) { add(QLatin1String(key), value); }
    void driver(const QString& name)
    {
        m_parts << QStringLiteral("Driver=") + bracedConnectionStringValue(name);
    }
    QString text() const { return m_parts.join(QLatin1Char(';')); }

private:
    QStringList m_parts;
};

int timeoutFrom(const QList<ConnectionStringPart>& keys)
{
    if (auto t = find(keys, {"Connect Timeout", "Connection Timeout", "Timeout", "LoginTimeout"})) {
        bool ok = false;
        const int seconds = t->trimmed().toInt(&ok);
        if (ok && seconds >= 0)
            return seconds;
    }
    return g_loginTimeout;
}

bool isTimeoutKey(const QString& key)
{
    return is(key, {"Connect Timeout", "Connection Timeout", "Timeout", "LoginTimeout"});
}

// --- SQL Server ---------------------------------------------------------------------------

const DriverRule& sqlServerRule()
{
    static const DriverRule rule{
        "SQL Server",
        {QStringLiteral("SQL Server"), QStringLiteral("ODBC Driver 18 for SQL Server"),
         QStringLiteral("ODBC Driver 17 for SQL Server"), QStringLiteral("FreeTDS")},
        {},
        QStringLiteral("On Debian install the package tdsodbc (the FreeTDS driver)."),
        {}};
    return rule;
}

bool isFreeTds(const InstalledDriver& d)
{
    return d.name.contains(QLatin1String("FreeTDS"), Qt::CaseInsensitive) ||
           d.library.contains(QLatin1String("tdsodbc"), Qt::CaseInsensitive);
}

OdbcTarget translateSqlServer(const QList<ConnectionStringPart>& keys,
                              const QList<InstalledDriver>& installed)
{
    const InstalledDriver d = pick(sqlServerRule(), installed);
    const bool freeTds = isFreeTds(d);

    QString server = find(keys, {"Data Source", "Server", "Address", "Addr", "Network Address"})
                         .value_or(QString())
                         .trimmed();
    if (server.isEmpty() || server == QLatin1String(".") ||
        server.compare(QLatin1String("(local)"), Qt::CaseInsensitive) == 0)
        server = QStringLiteral("localhost");
    ServerAddress address = splitServer(server);
    if (auto port = find(keys, {"Port"}); port && address.port.isEmpty())
        address.port = port->trimmed();

    Builder b;
    b.driver(d.name);
    if (freeTds) {
        b.add("Server", address.host);
        // FreeTDS tries no TCP at all without a port; a named instance is looked up instead.
        if (!address.port.isEmpty())
            b.add("Port", address.port);
        else if (!address.host.contains(QLatin1Char('\\')))
            b.add("Port", QStringLiteral("1433"));
    } else {
        b.add("Server",
              address.port.isEmpty() ? address.host : address.host + QLatin1Char(',') + address.port);
    }
    if (auto db = find(keys, {"Initial Catalog", "Database"}))
        b.add("Database", db->trimmed());
    if (auto uid = find(keys, {"User ID", "UID", "User", "User Name"}))
        b.add("UID", uid->trimmed());
    if (auto pwd = find(keys, {"pwd", "Password"}))
        b.add("PWD", *pwd);
    if (auto wsid = find(keys, {"WSID", "Workstation ID"}))
        b.add("WSID", wsid->trimmed());
    if (auto app = find(keys, {"APP", "Application Name"}))
        b.add("APP", app->trimmed());
    if (auto language = find(keys, {"Language", "Current Language"});
        language && !language->trimmed().isEmpty())
        b.add("Language", language->trimmed());

    bool hasVersion = false, hasCharset = false;
    for (const ConnectionStringPart& kv : keys) {
        if (is(kv.key, {"Data Source",
                        "Server",
                        "Address",
                        "Addr",
                        "Network Address",
                        "Port",
                        "Initial Catalog",
                        "Database",
                        "User ID",
                        "UID",
                        "User",
                        "User Name",
                        "pwd",
                        "Password",
                        "WSID",
                        "Workstation ID",
                        "APP",
                        "Application Name",
                        "Language",
                        "Current Language",
                        "Provider",
                        "Driver",
                        "Persist Security Info"}) ||
            isTimeoutKey(kv.key))
            continue;
        // An empty DSN breaks FreeTDS ("Only one between SERVER, SERVERNAME and DSN").
        if (is(kv.key, {"DSN"}) && (freeTds || kv.value.trimmed().isEmpty()))
            continue;
        if (is(kv.key, {"Integrated Security"})) {
            if (kv.value.trimmed().compare(QLatin1String("SSPI"), Qt::CaseInsensitive) == 0 ||
                kv.value.trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
                b.add("Trusted_Connection", QStringLiteral("Yes"));
            continue;
        }
        hasVersion = hasVersion || is(kv.key, {"TDS_Version"});
        hasCharset = hasCharset || is(kv.key, {"ClientCharset"});
        b.add(kv.key, kv.value);
    }
    if (freeTds) {
        // Without it FreeTDS falls back to an old protocol that can hang despite the time-out.
        if (!hasVersion)
            b.add("TDS_Version", QStringLiteral("7.4"));
        // Without it non-ASCII text read as narrow characters turns into "?".
        if (!hasCharset)
            b.add("ClientCharset", QStringLiteral("UTF-8"));
    } else if (d.name.contains(QLatin1String("ODBC Driver 18"), Qt::CaseInsensitive) &&
               !find(keys, {"TrustServerCertificate", "Encrypt"})) {
        // Driver 18 encrypts by default and refuses the self-signed certificates that
        // servers without a configured one present.
        b.add("TrustServerCertificate", QStringLiteral("yes"));
    }

    OdbcTarget t;
    t.connectionString = b.text();
    t.driver = d.name;
    t.family = DriverFamily::SqlServer;
    t.loginTimeout = timeoutFrom(keys);
    return t;
}

// --- MySQL / MariaDB ----------------------------------------------------------------------

const DriverRule& mySqlRule()
{
    static const DriverRule rule{
        "MySQL",
        {QStringLiteral("MySql")},
        {QStringLiteral("MySQL ODBC 9"), QStringLiteral("MySQL ODBC 8")},
        QStringLiteral("On Debian install the package odbc-mariadb (the MariaDB Connector/ODBC driver)."),
        {QStringLiteral("MariaDB Unicode"), QStringLiteral("MariaDB"),
         QStringLiteral("MariaDB ODBC 3.1 Driver")}};
    return rule;
}

OdbcTarget translateMySql(const OdbcRequest& request, const QList<InstalledDriver>& installed)
{
    const QList<ConnectionStringPart>& keys = request.keys;
    const InstalledDriver d = pick(mySqlRule(), installed);
    Builder b;
    b.driver(d.name);
    if (auto server = find(keys, {"Server", "Data Source", "Host"})) {
        // The MySQL drivers understand neither "host,port" nor "host:port": use Port=.
        ServerAddress a = splitServer(*server);
        if (auto port = find(keys, {"Port"}); port && a.port.isEmpty())
            a.port = port->trimmed();
        b.add("Server", a.host);
        if (!a.port.isEmpty())
            b.add("Port", a.port);
    } else if (auto port = find(keys, {"Port"})) {
        b.add("Port", port->trimmed());
    }
    if (auto uid = find(keys, {"UID", "User", "User ID"}))
        b.add("UID", uid->trimmed());
    if (auto pwd = find(keys, {"PWD", "Password"}))
        b.add("PWD", *pwd);
    if (auto db = find(keys, {"Database", "DB", "Initial Catalog"}))
        b.add("Database", db->trimmed());

    // The MariaDB driver leaks about 1 KiB per connection that allows batches: only a
    // command that may be one asks for them.
    qulonglong option = request.multipleStatements ? kMultiStatements : 0;
    bool hasCharset = false, hasConnectTimeout = false, hasReadTimeout = false;
    for (const ConnectionStringPart& kv : keys) {
        if (is(kv.key, {"Server", "Data Source", "Host", "Port", "UID", "User", "User ID", "PWD", "Password",
                        "Database", "DB", "Initial Catalog", "Driver", "Provider", "WSID", "Language"}) ||
            isTimeoutKey(kv.key))
            continue;
        if (is(kv.key, {"DSN"}) && kv.value.trimmed().isEmpty())
            continue;
        if (is(kv.key, {"OPTION", "OPTIONS"})) {
            bool ok = false;
            const qulonglong given = kv.value.trimmed().toULongLong(&ok);
            if (ok)
                option |= given;
            continue;
        }
        hasCharset = hasCharset || is(kv.key, {"CHARSET"});
        hasConnectTimeout = hasConnectTimeout || is(kv.key, {"CONN_TIMEOUT"});
        hasReadTimeout = hasReadTimeout || is(kv.key, {"READ_TIMEOUT"});
        b.add(kv.key, kv.value);
    }
    // Batches ("insert ...; select ...") need the multi-statement option.
    if (option != 0)
        b.add("OPTION", QString::number(option));
    // Text read as narrow characters arrives as UTF-8, all of Unicode included.
    if (!hasCharset)
        b.add("CHARSET", QStringLiteral("utf8mb4"));
    // The driver ignores the login and query time-outs of the ODBC API: without these a
    // server that stops answering holds the connect or a read for good.
    const int loginTimeout = timeoutFrom(keys);
    if (loginTimeout > 0 && !hasConnectTimeout)
        b.add("CONN_TIMEOUT", QString::number(loginTimeout));
    if (request.commandTimeout > 0 && !hasReadTimeout)
        b.add("READ_TIMEOUT", QString::number(request.commandTimeout));

    OdbcTarget t;
    t.connectionString = b.text();
    t.driver = d.name;
    t.family = DriverFamily::MySql;
    t.loginTimeout = loginTimeout;
    return t;
}

// --- Access -------------------------------------------------------------------------------

const DriverRule& accessRule()
{
    static const DriverRule rule{
        "Microsoft Access",
        {QStringLiteral("Microsoft Access Driver (*.mdb, *.accdb)"),
         QStringLiteral("Microsoft Access Driver (*.mdb)"), QStringLiteral("MDBTools")},
        {},
        QStringLiteral("On Debian install the package odbc-mdbtools (the MDBTools driver)."),
        {}};
    return rule;
}

bool isMdbTools(const InstalledDriver& d)
{
    return d.name.contains(QLatin1String("MDBTools"), Qt::CaseInsensitive) ||
           d.library.contains(QLatin1String("mdbodbc"), Qt::CaseInsensitive);
}

OdbcTarget translateAccess(const OdbcRequest& request, const QList<InstalledDriver>& installed)
{
    const QString file = find(request.keys, {"Data Source", "DBQ"}).value_or(QString()).trimmed();
    if (file.isEmpty())
        throw layerError(
            ErrorNumber::Unreachable,
            QStringLiteral("The connection string names no Access database file (Data Source is empty)."));
    const QString path = QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
    const InstalledDriver d = pick(accessRule(), installed);
    const bool mdbTools = isMdbTools(d);

    Builder b;
    b.driver(d.name);
    b.add("DBQ", path);
    std::optional<QString> password = request.databasePassword;
    if (!password)
        password = find(request.keys, {"Jet OLEDB:Database Password"});
    // mdbtools reads no encrypted files and knows no password; the Microsoft driver does.
    if (password && !mdbTools)
        b.add("PWD", *password);

    OdbcTarget t;
    t.connectionString = b.text();
    t.driver = d.name;
    t.family = DriverFamily::Access;
    t.accessFile = path;
    t.stripTrailingSemicolon = mdbTools;
    return t;
}

// --- Oracle -------------------------------------------------------------------------------

const DriverRule& oracleRule()
{
    static const DriverRule rule{
        "Oracle",
        {},
        {QStringLiteral("Oracle")},
        QStringLiteral("Debian packages no Oracle ODBC driver: install Oracle's Instant Client ODBC "
                       "package and register its driver (a name beginning with \"Oracle\") in odbcinst.ini."),
        {}};
    return rule;
}

OdbcTarget translateOracle(const QList<ConnectionStringPart>& keys, const QList<InstalledDriver>& installed)
{
    const InstalledDriver d = pick(oracleRule(), installed);
    Builder b;
    b.driver(d.name);
    if (auto dbq = find(keys, {"Data Source", "DBQ"}))
        b.add("DBQ", dbq->trimmed());
    if (auto uid = find(keys, {"User ID", "UID"}))
        b.add("UID", uid->trimmed());
    if (auto pwd = find(keys, {"Password", "PWD"}))
        b.add("PWD", *pwd);
    OdbcTarget t;
    t.connectionString = b.text();
    t.driver = d.name;
    t.family = DriverFamily::Oracle;
    t.loginTimeout = timeoutFrom(keys);
    return t;
}

// --- PostgreSQL ---------------------------------------------------------------------------

const DriverRule& postgreSqlRule()
{
    static const DriverRule rule{
        "PostgreSQL",
        {QStringLiteral("PostgreSQL Unicode"), QStringLiteral("PostgreSQL ANSI")},
        {QStringLiteral("PostgreSQL")},
        QStringLiteral("On Debian install the package odbc-postgresql (the psqlODBC driver)."),
        {}};
    return rule;
}

OdbcTarget translatePostgreSql(const QList<ConnectionStringPart>& keys,
                               const QList<InstalledDriver>& installed)
{
    const InstalledDriver d = pick(postgreSqlRule(), installed);
    Builder b;
    b.driver(d.name);
    ServerAddress a = splitServer(find(keys, {"Server", "Servername", "Host"}).value_or(QString()));
    if (auto port = find(keys, {"Port"}); port && a.port.isEmpty())
        a.port = port->trimmed();
    b.add("Server", a.host.isEmpty() ? QStringLiteral("localhost") : a.host);
    b.add("Port", a.port.isEmpty() ? QStringLiteral("5432") : a.port);
    bool boolsNamed = false;
    for (const ConnectionStringPart& kv : keys) {
        if (is(kv.key, {"Driver", "Server", "Servername", "Host", "Port"}) || isTimeoutKey(kv.key))
            continue;
        boolsNamed = boolsNamed || is(kv.key, {"BoolsAsChar"});
        b.add(kv.key, kv.value);
    }
    // Booleans as SQL_BIT ("1" / "0" as before), not as text: the data grid then writes NULL,
    // never '', into an emptied boolean cell, and compares it as the value it is.
    if (!boolsNamed)
        b.add("BoolsAsChar", QStringLiteral("0"));
    OdbcTarget t;
    t.connectionString = b.text();
    t.driver = d.name;
    t.family = DriverFamily::PostgreSql;
    t.loginTimeout = timeoutFrom(keys);
    return t;
}

// --- any other ODBC string ----------------------------------------------------------------

OdbcTarget passThrough(const QList<ConnectionStringPart>& keys, const QList<InstalledDriver>& installed)
{
    OdbcTarget t;
    Builder b;
    for (const ConnectionStringPart& kv : keys) {
        if (is(kv.key, {"Driver"}))
            b.driver(kv.value.trimmed());
        else
            b.add(kv.key, kv.value);
    }
    t.connectionString = b.text();
    if (auto driver = find(keys, {"Driver"})) {
        t.driver = driver->trimmed();
        QString library;
        for (const InstalledDriver& d : installed)
            if (d.name.compare(t.driver, Qt::CaseInsensitive) == 0)
                library = d.library;
        t.family = familyOf(t.driver, library);
    }
    t.stripTrailingSemicolon = t.family == DriverFamily::Access;
    if (t.family == DriverFamily::SqlServer || t.family == DriverFamily::MySql ||
        t.family == DriverFamily::PostgreSql)
        t.loginTimeout = timeoutFrom(keys);
    return t;
}

bool startsWith(const QString& text, const char* prefix)
{
    return text.trimmed().startsWith(QLatin1String(prefix), Qt::CaseInsensitive);
}

} // namespace

int defaultLoginTimeout()
{
    return g_loginTimeout;
}

void setDefaultLoginTimeout(int seconds)
{
    g_loginTimeout = seconds;
}

DriverFamily familyOf(const QString& driverName, const QString& library)
{
    const QString both = driverName + QLatin1Char('\n') + library;
    auto has = [&](const char* s) { return both.contains(QLatin1String(s), Qt::CaseInsensitive); };
    if (has("tdsodbc") || has("FreeTDS") || has("SQL Server") || has("msodbcsql") || has("sqlncli"))
        return DriverFamily::SqlServer;
    if (has("maodbc") || has("myodbc") || has("MySQL") || has("MariaDB"))
        return DriverFamily::MySql;
    if (has("mdbodbc") || has("MDBTools") || has("Access"))
        return DriverFamily::Access;
    if (has("Oracle") || has("sqora"))
        return DriverFamily::Oracle;
    if (has("psqlodbc") || has("PostgreSQL"))
        return DriverFamily::PostgreSql;
    if (has("sqlite3odbc") || has("SQLite"))
        return DriverFamily::Sqlite;
    return DriverFamily::Other;
}

OdbcTarget translate(const OdbcRequest& request, const QList<InstalledDriver>& installed)
{
    // The string's own Provider= wins over the property, as in the classic library.
    const QString provider = find(request.keys, {"Provider"}).value_or(request.provider).trimmed();
    const QString driver = find(request.keys, {"Driver"}).value_or(QString()).trimmed();

    if (!provider.isEmpty()) {
        if (startsWith(provider, "SQLOLEDB") || startsWith(provider, "SQLNCLI") ||
            startsWith(provider, "MSOLEDBSQL"))
            return translateSqlServer(request.keys, installed);
        if (startsWith(provider, "Microsoft.Jet.OLEDB") || startsWith(provider, "Microsoft.ACE.OLEDB")) {
            OdbcTarget t = translateAccess(request, installed);
            checkAccessFile(t.accessFile);
            return t;
        }
        if (startsWith(provider, "MSDAORA") || startsWith(provider, "OraOLEDB"))
            return translateOracle(request.keys, installed);
        if (!startsWith(provider, "MSDASQL"))
            throw layerError(
                ErrorNumber::Unreachable,
                QStringLiteral("Provider cannot be found: \"%1\" is not a provider this program knows.")
                    .arg(provider));
    }
    if (driver.compare(QLatin1String("SQL Server"), Qt::CaseInsensitive) == 0)
        return translateSqlServer(request.keys, installed);
    if (driver.compare(QLatin1String("MySql"), Qt::CaseInsensitive) == 0)
        return translateMySql(request, installed);
    if (driver.compare(QLatin1String("PostgreSQL Unicode"), Qt::CaseInsensitive) == 0)
        return translatePostgreSql(request.keys, installed);
    if (!driver.isEmpty() || find(request.keys, {"DSN", "FILEDSN"}).value_or(QString()).trimmed().size() > 0)
        return passThrough(request.keys, installed);
    bool empty = true;
    for (const ConnectionStringPart& kv : request.keys)
        empty = empty && kv.key.trimmed().isEmpty() && kv.value.trimmed().isEmpty();
    throw layerError(
        ErrorNumber::Unreachable,
        empty ? QStringLiteral("The connection string is empty.")
              : QStringLiteral("The connection string names no provider, driver or data source (DSN)."));
}

void checkAccessFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw layerError(ErrorNumber::Unreachable, QStringLiteral("Could not find file '%1'.").arg(path));
    if (!info.isFile())
        throw layerError(
            ErrorNumber::Unreachable,
            QStringLiteral("'%1' is not a file: an Access database is a .mdb or .accdb file.").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw layerError(
            ErrorNumber::Unreachable,
            QStringLiteral("Cannot open the Access database file '%1': %2.").arg(path, file.errorString()));
}

QList<InstalledDriver> installedDrivers()
{
    QList<InstalledDriver> drivers;
    EnvironmentHandle env = EnvironmentHandle::allocate();
    SQLWCHAR name[512];
    SQLWCHAR attributes[4096];
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLSMALLINT nameLength = 0, attributesLength = 0;
        const SQLRETURN rc =
            SQLDriversW(env.get(), direction, name, 512, &nameLength, attributes, 4096, &attributesLength);
        direction = SQL_FETCH_NEXT;
        if (rc == SQL_NO_DATA || !SQL_SUCCEEDED(rc))
            break;
        InstalledDriver d;
        d.name = fromWide(name, std::min<qsizetype>(nameLength, 511));
        // Attributes: "key=value" pairs, each NUL-terminated, the list ended by an empty one.
        qsizetype at = 0;
        const qsizetype end = std::min<qsizetype>(attributesLength, 4095);
        while (at < end && attributes[at] != 0) {
            qsizetype stop = at;
            while (stop < end && attributes[stop] != 0)
                ++stop;
            const QString pair = fromWide(attributes + at, stop - at);
            if (pair.startsWith(QLatin1String("Driver="), Qt::CaseInsensitive))
                d.library = pair.mid(7);
            at = stop + 1;
        }
        drivers.append(d);
    }
    return drivers;
}

QString dataSourceDriver(const QString& dsn)
{
    EnvironmentHandle env = EnvironmentHandle::allocate();
    SQLWCHAR name[512];
    SQLWCHAR driver[512];
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLSMALLINT nameLength = 0, driverLength = 0;
        const SQLRETURN rc =
            SQLDataSourcesW(env.get(), direction, name, 512, &nameLength, driver, 512, &driverLength);
        direction = SQL_FETCH_NEXT;
        if (rc == SQL_NO_DATA || !SQL_SUCCEEDED(rc))
            return {};
        if (nameText(name, std::min<qsizetype>(nameLength, 511)).compare(dsn, Qt::CaseInsensitive) == 0)
            return nameText(driver, std::min<qsizetype>(driverLength, 511));
    }
}

} // namespace db::odbc
