// Shared by the ODBC tests that use real drivers: connecting through the provider map, the
// MariaDB server of the test services, and the rule that a missing service fails under CI.
// errorOf serves the SQLite data-object tests too.
#pragma once

#include "query/db/Backend.h"
#include "query/db/ProviderMap.h"
#include "query/db/mariadb/MariaDbBackend.h"
#include "query/db/odbc/OdbcBackend.h"
#include "tests/query/db/QtPrinters.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace odbctest {

inline bool underCi()
{
    return qgetenv("CI") == "true";
}

inline std::unique_ptr<db::BackendConnection> connect(const QString& connectionString,
                                                      const QString& provider = {},
                                                      const QMap<QString, QString>& properties = {})
{
    const db::ProviderChoice choice = db::chooseProvider(connectionString, provider, properties);
    return choice.kind == db::BackendKind::MariaDb ? db::mariadb::open(choice) : db::odbc::open(choice);
}

// The error a call throws; a test failure when it throws none.
inline db::Error errorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const db::Error& e) {
        return e;
    }
    ADD_FAILURE() << "no db::Error was thrown";
    return db::Error(QString());
}

// Every row of the current result as text, cells joined by "|", null as "<null>".
inline QStringList rows(db::BackendResult& result)
{
    QStringList out;
    while (result.fetch()) {
        QStringList cells;
        for (int c = 0; c < result.columnCount(); ++c)
            cells << (result.isNull(c) ? QStringLiteral("<null>") : result.text(c));
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

inline QStringList query(db::BackendConnection& connection, const QString& sql)
{
    auto result = connection.execute(sql);
    return rows(*result);
}

// The MariaDB server that scripts/test.sh starts (tests/support/services.sh).
struct MariaDb
{
    QString port, user, password, socket;
    bool available = false;

    static MariaDb fromEnvironment()
    {
        MariaDb m;
        m.port = qEnvironmentVariable("QUORVANE_MARIADB_PORT");
        m.user = qEnvironmentVariable("QUORVANE_MARIADB_USER");
        m.password = qEnvironmentVariable("QUORVANE_MARIADB_PASSWORD");
        m.socket = qEnvironmentVariable("QUORVANE_MARIADB_SOCKET");
        m.available = !m.port.isEmpty() && !m.user.isEmpty();
        return m;
    }

    // The MySQL connection string exactly as the program builds it from the connection
    // fields (location, user, password, database name); values holding ";", "{", "}" or
    // surrounding blanks are braced.
    QString connectionString(const QString& location, const QString& database, const QString& userName,
                             const QString& pwd) const
    {
        return QStringLiteral("Driver={MySql};Server=") + db::connectionStringValue(location) +
               QStringLiteral(";UID=") + db::connectionStringValue(userName) + QStringLiteral(";PWD=") +
               db::connectionStringValue(pwd) +
               QStringLiteral(";WSID=QUORVANE;Language=us_english;Database=") +
               db::connectionStringValue(database) + QStringLiteral(";DSN=;");
    }
    QString connectionString(const QString& database = QStringLiteral("quorvane")) const
    {
        return connectionString(QStringLiteral("127.0.0.1,") + port, database, user, password);
    }
};

} // namespace odbctest

// Skips (or, under CI, fails) a test whose MariaDB server is not running.
#define REQUIRE_MARIADB(m)                                                                                   \
    do {                                                                                                     \
        if (!(m).available) {                                                                                \
            if (odbctest::underCi())                                                                         \
                FAIL() << "QUORVANE_MARIADB_PORT is not set: the MariaDB server of the test services did "   \
                          "not start";                                                                       \
            GTEST_SKIP() << "no MariaDB server (run the tests with scripts/test.sh, which starts one)";      \
        }                                                                                                    \
    } while (0)
