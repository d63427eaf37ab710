// One empty database of each engine the program reads and writes: a SQLite file, a private
// database on the MariaDB and PostgreSQL servers of the test services (MariaDB through both
// backends of the MySql type, native and ODBC), and a private SQL Server test server reached
// through FreeTDS. Each is opened as the program opens its type (its connection settings), and
// each connection is independent of the others: "someone else".
#pragma once

#include "query/ConnectionSettings.h"
#include "query/db/Connection.h"
#include "query/db/ProviderMap.h"
#include "query/db/Recordset.h"
#include "tests/support/TdsServer.h"

#include <QFile>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>

namespace detest {

enum class Kind { SQLite, MariaDb, MariaDbOdbc, SqlServer, PostgreSql };

inline bool isMariaDb(Kind kind)
{
    return kind == Kind::MariaDb || kind == Kind::MariaDbOdbc;
}

inline const char* nameOf(Kind kind)
{
    static const char* const names[] = {"SQLite", "MariaDB", "MariaDBOdbc", "SqlServer", "PostgreSql"};
    return names[static_cast<int>(kind)];
}

inline std::string kindName(const ::testing::TestParamInfo<Kind>& info)
{
    return nameOf(info.param);
}

inline const auto kEveryEngine =
    ::testing::Values(Kind::SQLite, Kind::MariaDb, Kind::MariaDbOdbc, Kind::SqlServer, Kind::PostgreSql);

// One database of the given kind, empty at first. unavailable() says why it could not be had.
class Database
{
public:
    explicit Database(Kind kind) : kind_(kind)
    {
        if (kind == Kind::SQLite) {
            const QString path = dir_.filePath(QStringLiteral("direct.sqlite"));
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly)) // SQLite takes an empty file as an empty database
                unavailable_ = QStringLiteral("cannot create ") + path;
            fields_ = {QStringLiteral("SQLite"), {}, {}, path, {}, {}};
        } else if (kind == Kind::SqlServer) {
            tds_ = std::make_unique<qvtest::TdsServer>();
            if (!tds_->started()) {
                unavailable_ = tds_->error();
                return;
            }
            const qvtest::TdsEndpoint e = tds_->endpoint();
            fields_ = {QStringLiteral("SQL"), e.user, e.password, e.location(), e.database, {}};
        } else {
            db::setNativeMySql(kind == Kind::MariaDb);
            const bool pg = kind == Kind::PostgreSql;
            const QString env =
                pg ? QStringLiteral("QUORVANE_POSTGRES_") : QStringLiteral("QUORVANE_MARIADB_");
            const QString port = qEnvironmentVariable(qPrintable(env + QStringLiteral("PORT")));
            if (port.isEmpty()) {
                unavailable_ =
                    QStringLiteral("no %1 server (run the tests with scripts/test.sh, which starts one)")
                        .arg(pg ? QStringLiteral("PostgreSQL") : QStringLiteral("MariaDB"));
                return;
            }
            fields_ = {pg ? QStringLiteral("PostgreSQL") : QStringLiteral("MySql"),
                       qEnvironmentVariable(qPrintable(env + QStringLiteral("USER"))),
                       qEnvironmentVariable(qPrintable(env + QStringLiteral("PASSWORD"))),
                       QStringLiteral("127.0.0.1") + (pg ? QLatin1Char(':') : QLatin1Char(',')) + port,
                       QStringLiteral("quorvane"),
                       {}};
            // A database of its own, so that tests running side by side never meet.
            privateDatabase_ = QStringLiteral("direct_edit_%1").arg(QRandomGenerator::global()->generate());
            run({QStringLiteral("CREATE DATABASE ") + privateDatabase_});
            fields_.databaseName = privateDatabase_;
        }
    }

    ~Database()
    {
        if (!privateDatabase_.isEmpty()) {
            fields_.databaseName = QStringLiteral("quorvane");
            try {
                run({QStringLiteral("DROP DATABASE ") + privateDatabase_ +
                     (kind_ == Kind::PostgreSql ? QStringLiteral(" WITH (FORCE)") : QString())});
            } catch (const db::Error&) {
            }
        }
        db::setNativeMySql(true);
    }

    Kind kind() const { return kind_; }
    const QString& unavailable() const { return unavailable_; }
    QString serverLog() const { return tds_ ? tds_->log() : QString(); }
    // The connection fields of a profile for this database.
    const query::ConnectionFields& fields() const { return fields_; }

    // Creates a table, "name (column TYPE, ...)", whose text columns compare without regard to
    // case as each engine's usual collation does (MariaDB and SQL Server ignore trailing blanks
    // too): NOCASE on SQLite, a _ci collation on MariaDB, a nondeterministic ICU collation on
    // PostgreSQL, the test server's switch for SQL Server.
    void createFoldingTable(const QString& definition)
    {
        QString sql = QStringLiteral("CREATE TABLE ") + definition;
        const QRegularExpression varchar(QStringLiteral("(VARCHAR\\(\\d+\\))"));
        if (kind_ == Kind::SQLite)
            sql.replace(varchar, QStringLiteral("\\1 COLLATE NOCASE"));
        else if (isMariaDb(kind_))
            sql += QStringLiteral(" DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci");
        else if (kind_ == Kind::PostgreSql) {
            run({QStringLiteral("CREATE COLLATION IF NOT EXISTS folding (provider = icu, "
                                "locale = 'und-u-ks-level2', deterministic = false)")});
            sql.replace(varchar, QStringLiteral("\\1 COLLATE folding"));
        } else {
            QJsonObject config = tds_->config();
            config[QStringLiteral("case_insensitive")] = true;
            tds_->writeConfig(config);
        }
        run({sql});
    }

    // An open connection as the program opens one for these fields (by default this database's).
    std::unique_ptr<db::Connection> connect(const query::ConnectionFields* fields = nullptr) const
    {
        auto connection = std::make_unique<db::Connection>();
        query::connectionSettings(fields ? *fields : fields_).applyTo(*connection);
        connection->Open();
        return connection;
    }

    // Runs each statement on a connection of its own.
    void run(const QStringList& statements) const
    {
        auto connection = connect();
        for (const QString& sql : statements)
            connection->Execute(sql);
    }

    // Every row of the query, cells joined by "|", null as "<null>", read on a connection of
    // its own.
    QStringList rows(const QString& sql) const
    {
        auto connection = connect();
        db::Recordset set = connection->Execute(sql);
        return rowsOf(set);
    }

    static QStringList rowsOf(db::Recordset& set)
    {
        QStringList out;
        while (!set.Eof()) {
            QStringList cells;
            for (int c = 0; c < set.Fields().Count(); ++c) {
                const QVariant v = set.Fields().Item(c).Value();
                cells << (v.isNull() ? QStringLiteral("<null>") : v.toString());
            }
            out << cells.join(QLatin1Char('|'));
            set.MoveNext();
        }
        return out;
    }

private:
    Kind kind_;
    QTemporaryDir dir_;
    query::ConnectionFields fields_;
    QString privateDatabase_;
    std::unique_ptr<qvtest::TdsServer> tds_;
    QString unavailable_;
};

// A test over every kind of database. A database that is not there skips the test, or fails
// it under CI; a failure prints the SQL Server test server's log.
class EngineTest : public ::testing::TestWithParam<Kind>
{
protected:
    void SetUp() override
    {
        database_ = std::make_unique<Database>(GetParam());
        if (!database_->unavailable().isEmpty()) {
            if (qEnvironmentVariable("CI") == QLatin1String("true"))
                FAIL() << nameOf(GetParam()) << ": " << database_->unavailable().toStdString();
            GTEST_SKIP() << nameOf(GetParam()) << ": " << database_->unavailable().toStdString();
        }
    }

    void TearDown() override
    {
        if (HasFailure() && database_)
            std::cerr << database_->serverLog().toStdString();
    }

    Database& database() { return *database_; }

private:
    std::unique_ptr<Database> database_;
};

} // namespace detest
