// SQLite database files for tests, created with the sqlite3 API itself so that
// the layer under test is never used to build its own fixtures.
#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

class SqliteFiles
{
public:
    // Creates name in a private folder and runs sql on it; returns the file's path.
    QString create(const QString& name, const char* sql)
    {
        const QString path = dir_.filePath(name);
        exec(path, sql);
        return path;
    }

    // Runs sql on the file (made when missing) with the sqlite3 API; a failure fails the test.
    static void exec(const QString& path, const char* sql)
    {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                  SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
                  SQLITE_OK);
        char* message = nullptr;
        const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
        EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "");
        sqlite3_free(message);
        sqlite3_close(db);
    }

    // Runs a query on the file with the sqlite3 API and returns the first column of the first row.
    static QString scalar(const QString& path, const char* sql)
    {
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* stmt = nullptr;
        QString value;
        if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
            value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        return value;
    }

    QString path(const QString& name) const { return dir_.filePath(name); }

    static QString connectionString(const QString& path)
    {
        return QStringLiteral("Provider=SQLite;Data Source=") + path;
    }

private:
    QTemporaryDir dir_;
};

// A small library: books with a key, a table without one, a composite key.
inline constexpr const char* kLibrarySql = R"sql(
CREATE TABLE books (id INTEGER PRIMARY KEY, title TEXT NOT NULL, author TEXT, price REAL);
INSERT INTO books VALUES (1, 'Dune', 'Herbert', 9.5);
INSERT INTO books VALUES (2, 'Emma', NULL, 4.25);
INSERT INTO books VALUES (3, '', 'Nobody', NULL);
CREATE TABLE notes (body TEXT, stamp TEXT);
INSERT INTO notes VALUES ('first', '2024-01-02 03:04:05');
CREATE TABLE loans (reader TEXT, book INTEGER, since TEXT, PRIMARY KEY (book, reader));
INSERT INTO loans VALUES ('ann', 1, '2024-05-01');
)sql";
