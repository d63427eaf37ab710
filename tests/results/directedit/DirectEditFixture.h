// The databases the direct-edit tests write to: a SQLite file, a private database on the MariaDB
// and PostgreSQL servers of the test services, and a private SQL Server test server reached
// through FreeTDS.
// Each is opened the way a Direct Edit run opens it (the connection settings of its type, a
// client-side set), and each offers a second, independent connection: "someone else".
#pragma once

#include "query/ConnectionSettings.h"
#include "query/db/Connection.h"
#include "query/db/ProviderMap.h"
#include "results/RecordsetModel.h"
#include "tests/support/ScriptedDialogs.h"
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
#include <optional>

namespace detest {

// MariaDB is reached through both backends of the MySql type: native and ODBC.
enum class Kind { SQLite, MariaDb, MariaDbOdbc, SqlServer, PostgreSql };

inline bool isMariaDb(Kind kind)
{
    return kind == Kind::MariaDb || kind == Kind::MariaDbOdbc;
}

inline const char* nameOf(Kind kind)
{
    switch (kind) {
    case Kind::SQLite:
        return "SQLite";
    case Kind::MariaDb:
        return "MariaDB";
    case Kind::MariaDbOdbc:
        return "MariaDBOdbc";
    case Kind::SqlServer:
        return "SqlServer";
    case Kind::PostgreSql:
        return "PostgreSql";
    }
    return "?";
}

// One database of the given kind, empty at first. unavailable() says why it could not be had.
class Database
{
public:
    explicit Database(Kind kind) : kind_(kind)
    {
        switch (kind) {
        case Kind::SQLite: {
            const QString path = dir_.filePath(QStringLiteral("direct.sqlite"));
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly)) // SQLite takes an empty file as an empty database
                unavailable_ = QStringLiteral("cannot create ") + path;
            fields_ = {QStringLiteral("SQLite"), {}, {}, path, {}, {}};
            break;
        }
        case Kind::MariaDb:
        case Kind::MariaDbOdbc: {
            db::setNativeMySql(kind == Kind::MariaDb);
            const QString port = qEnvironmentVariable("QUORVANE_MARIADB_PORT");
            if (port.isEmpty()) {
                unavailable_ = QStringLiteral("no MariaDB server (run the tests with scripts/test.sh, which "
                                              "starts one)");
                break;
            }
            fields_ = {QStringLiteral("MySql"),
                       qEnvironmentVariable("QUORVANE_MARIADB_USER"),
                       qEnvironmentVariable("QUORVANE_MARIADB_PASSWORD"),
                       QStringLiteral("127.0.0.1,") + port,
                       QStringLiteral("quorvane"),
                       {}};
            // A database of its own, so that tests running side by side never meet.
            privateDatabase_ = QStringLiteral("direct_edit_%1").arg(QRandomGenerator::global()->generate());
            run({QStringLiteral("CREATE DATABASE ") + privateDatabase_});
            fields_.databaseName = privateDatabase_;
            break;
        }
        case Kind::PostgreSql: {
            const QString port = qEnvironmentVariable("QUORVANE_POSTGRES_PORT");
            if (port.isEmpty()) {
                unavailable_ =
                    QStringLiteral("no PostgreSQL server (run the tests with scripts/test.sh, which "
                                   "starts one)");
                break;
            }
            fields_ = {QStringLiteral("PostgreSQL"),
                       qEnvironmentVariable("QUORVANE_POSTGRES_USER"),
                       qEnvironmentVariable("QUORVANE_POSTGRES_PASSWORD"),
                       QStringLiteral("127.0.0.1:") + port,
                       QStringLiteral("quorvane"),
                       {}};
            privateDatabase_ = QStringLiteral("direct_edit_%1").arg(QRandomGenerator::global()->generate());
            run({QStringLiteral("CREATE DATABASE ") + privateDatabase_});
            fields_.databaseName = privateDatabase_;
            break;
        }
        case Kind::SqlServer:
            tds_ = std::make_unique<qvtest::TdsServer>();
            if (!tds_->started()) {
                unavailable_ = tds_->error();
                break;
            }
            fields_ = {QStringLiteral("SQL"),       tds_->endpoint().user,     tds_->endpoint().password,
                       tds_->endpoint().location(), tds_->endpoint().database, {}};
            break;
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

    // Creates a table, "name (column TYPE, ...)", whose text columns compare without regard to
    // case as each engine's usual collation does (MariaDB and SQL Server ignore trailing blanks
    // too): NOCASE on SQLite, a _ci collation on MariaDB, the test server's switch for SQL Server.
    void createFoldingTable(const QString& definition)
    {
        QString sql = QStringLiteral("CREATE TABLE ") + definition;
        if (kind_ == Kind::SQLite)
            sql.replace(QRegularExpression(QStringLiteral("(VARCHAR\\(\\d+\\))")),
                        QStringLiteral("\\1 COLLATE NOCASE"));
        else if (isMariaDb(kind_))
            sql += QStringLiteral(" DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci");
        if (kind_ == Kind::PostgreSql) {
            // A nondeterministic collation: 'abc' equals 'ABC' under it.
            run({QStringLiteral("CREATE COLLATION IF NOT EXISTS folding (provider = icu, "
                                "locale = 'und-u-ks-level2', deterministic = false)")});
            sql.replace(QRegularExpression(QStringLiteral("(VARCHAR\\(\\d+\\))")),
                        QStringLiteral("\\1 COLLATE folding"));
        }
        if (tds_) {
            QJsonObject config = tds_->config();
            config[QStringLiteral("case_insensitive")] = true;
            tds_->writeConfig(config);
        }
        run({sql});
    }

    // An open connection as the program opens one for this type.
    std::unique_ptr<db::Connection> connect() const
    {
        auto connection = std::make_unique<db::Connection>();
        query::connectionSettings(fields_).applyTo(*connection);
        connection->Open();
        return connection;
    }

    // Runs each statement on a connection of its own ("someone else").
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

    // The model of a Direct Edit run of sql: a client-side, optimistic set on a fresh connection,
    // which the model keeps open.
    std::unique_ptr<results::RecordsetModel> open(const QString& sql) const
    {
        auto connection = connect();
        db::Recordset set;
        set.CursorLocation = db::adUseClient;
        set.Open(sql, *connection, db::adOpenDynamic, db::adLockOptimistic);
        set.MoveFirst();
        return std::make_unique<results::RecordsetModel>(std::move(set));
    }

private:
    Kind kind_;
    QTemporaryDir dir_;
    query::ConnectionFields fields_;
    QString privateDatabase_;
    std::unique_ptr<qvtest::TdsServer> tds_;
    QString unavailable_;
};

// The tables every test starts from: a keyed table with a NOT NULL and a CHECK column, a table
// without a key holding two identical rows, and a second table to join.
inline const QStringList& libraryTables()
{
    static const QStringList sql{
        QStringLiteral(
            "CREATE TABLE books (id INT PRIMARY KEY, title VARCHAR(40) NOT NULL, author VARCHAR(40), "
            "pages INT CHECK (pages >= 0))"),
        QStringLiteral("INSERT INTO books (id, title, author, pages) VALUES (1, 'Dune', 'Herbert', 412)"),
        QStringLiteral("INSERT INTO books (id, title, author, pages) VALUES (2, 'Emma', NULL, 474)"),
        QStringLiteral("INSERT INTO books (id, title, author, pages) VALUES (3, 'Ulysses', 'Joyce', NULL)"),
        QStringLiteral("CREATE TABLE tally (word VARCHAR(20), n INT)"),
        QStringLiteral("INSERT INTO tally (word, n) VALUES ('same', 1)"),
        QStringLiteral("INSERT INTO tally (word, n) VALUES ('same', 1)"),
        QStringLiteral("INSERT INTO tally (word, n) VALUES ('other', 2)"),
        QStringLiteral("CREATE TABLE loans (book INT, reader VARCHAR(20))"),
        QStringLiteral("INSERT INTO loans (book, reader) VALUES (1, 'ann')"),
    };
    return sql;
}

// A test over every kind of database, with the library tables in place and the dialogs
// scripted. A database that is not there skips the test, or fails it under CI.
class DirectEditTest : public ::testing::TestWithParam<Kind>
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
        database_->run(libraryTables());
    }

    void TearDown() override
    {
        if (HasFailure() && database_)
            std::cerr << database_->serverLog().toStdString();
    }

    Database& database() { return *database_; }

    // The model of a run, with both edit permissions granted as "Read/Write" grants them.
    std::unique_ptr<results::RecordsetModel> openWritable(const QString& sql)
    {
        auto model = database_->open(sql);
        model->setAllowUpdate(true);
        model->setAllowDelete(true);
        return model;
    }

    qvtest::ScriptedDialogs dialogs_;

private:
    std::unique_ptr<Database> database_;
};

inline std::string kindName(const ::testing::TestParamInfo<Kind>& info)
{
    return nameOf(info.param);
}

} // namespace detest
