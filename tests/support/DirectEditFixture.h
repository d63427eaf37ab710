// The direct-edit tests: every engine (tests/support/EngineDatabase.h) with the library tables in
// place, opened the way a Direct Edit run opens it, and the dialogs scripted.
#pragma once

#include "results/RecordsetModel.h"
#include "tests/support/EngineDatabase.h"
#include "tests/support/ScriptedDialogs.h"

namespace detest {

// The model of a Direct Edit run of sql: a client-side, optimistic set on a fresh connection,
// which the model keeps open.
inline std::unique_ptr<results::RecordsetModel> openModel(const Database& database, const QString& sql)
{
    auto connection = database.connect();
    db::Recordset set;
    set.CursorLocation = db::adUseClient;
    set.Open(sql, *connection, db::adOpenDynamic, db::adLockOptimistic);
    set.MoveFirst();
    return std::make_unique<results::RecordsetModel>(std::move(set));
}

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

class DirectEditTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        if (!IsSkipped() && !HasFailure())
            database().run(libraryTables());
    }

    // The model of a run, with both edit permissions granted as "Read/Write" grants them.
    std::unique_ptr<results::RecordsetModel> openWritable(const QString& sql)
    {
        auto model = openModel(database(), sql);
        model->setAllowUpdate(true);
        model->setAllowDelete(true);
        return model;
    }

    qvtest::ScriptedDialogs dialogs_;
};

} // namespace detest
