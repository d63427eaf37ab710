// Edits, deletes and Undos through the grid's model on every engine, one row or nothing: what
// reaches the database, what the cell then shows, and every write refused with its one message
// while the database keeps what it had: results that are not rows of one table (UNION, a
// self-join, a join, a calculated column), rows no key tells apart, a row someone else changed
// or deleted since the fetch, an Undo over someone else's value. Rows equal only under the
// table's collation (case, trailing blanks) are told apart.
#include "tests/support/DirectEditFixture.h"

#include <algorithm>

namespace detest {
namespace {

const QString kNotSaved = "The row was changed by someone else since it was read, so the "
                          "change was not saved. The row now shows what the database holds.";
const QString kGoneNotSaved =
    "The row was changed or deleted by someone else since it was read, so the change was "
    "not saved. Run the query again to see the data as it is now.";
const QString kGoneNotDeleted =
    "The row was changed or deleted by someone else since it was read, so it was not "
    "deleted. Run the query again to see the data as it is now.";
const QString kUndoRefused =
    "The row was changed by someone else since it was read, so Undo did not restore the "
    "value. The row shows what the database holds.";
const QString kCombined =
    "This result combines the rows of several queries (UNION, INTERSECT or EXCEPT), so its rows cannot be "
    "traced to rows of one table, and it cannot be changed in the data grid.";
const QString kStaffTwice =
    "This result reads the table staff more than once, so its rows cannot be traced to rows "
    "of one table, and it cannot be changed in the data grid.";
const QString kTieNotSaved = "2 rows of the table tally hold the values of this row and the "
                             "table has no key to tell them apart, so the change was not saved.";
const QString kTieNotDeleted = "2 rows of the table tally hold the values of this row and the "
                               "table has no key to tell them apart, so it was not deleted.";
const QString kCalculated = "The column next_page is calculated by the query, not taken from "
                            "the table books, so it cannot be changed.";
const QString kJoin = "<join>"; // the engine's words, below
// A value the column cannot take: the program's report with the database's own words, below.
const QString kNullRefused = "<NOT NULL>";
const QString kCheckRefused = "<CHECK>";

// SQLite, MariaDB and PostgreSQL name each column's table; FreeTDS names none, and the query
// text names two.
QString joinMessage(Kind kind)
{
    return kind == Kind::SqlServer
               ? "This result does not come from a single table, so it cannot be changed in "
                 "the data grid."
               : "This result comes from more than one table (books, loans), so it cannot be "
                 "changed in the data grid.";
}

// The database's own words for a refused value, by engine (in Kind's order): NOT NULL, then CHECK.
const QStringList kRefusalWords[] = {
    {"NOT NULL constraint failed: books.title", "CHECK constraint failed"},
    {"Column 'title' cannot be null", "native 4025"},
    {"Column 'title' cannot be null", "native 4025"},
    {"Cannot insert the value NULL into column 'title'", "native 547"},
    {"null value in column \"title\"", "violates check constraint"},
};

// The program's error report (what did not happen, the error number) holding the database's words.
bool isRefusal(const QString& told, const QString& expected, Kind kind)
{
    const qsizetype which = expected == kNullRefused ? 0 : expected == kCheckRefused ? 1 : -1;
    return which >= 0 && told.startsWith("The database did not accept the change:\r\n-21474") &&
           told.contains(kRefusalWords[int(kind)][which]);
}

enum Act { Edit, Delete, Undo, EditAndDelete };

struct Step
{
    const char* select;    // a new Direct Edit run of this query; nullptr: the grid of the step before
    const char* meanwhile; // someone else's statement after the fetch, before the action; or nullptr
    Act act;
    int row, col;
    const char* value;    // what is typed; nullptr sets NULL
    QStringList messages; // what the user is told (none: the write is done)
    const char* shown;    // the cell's text afterwards ("<null>" for NULL); nullptr: not checked
    const char* check;    // what the database then holds, in any order
    QStringList held;
    const char* fetched = nullptr; // the row is the one read with this text in column col
};

const QStringList kPeople{"1|Ada", "1|Live One", "2|Live Two", "2|Old Two", "3|Bob"};
const char* const kPeopleNow = "SELECT id, name FROM customers UNION ALL SELECT id, name FROM archived UNION "
                               "ALL SELECT id, name FROM staff";
const char* const kBooksNow = "SELECT id, title, author, pages FROM books";
const QStringList kBooks{"1|Dune|Herbert|412", "2|Emma|<null>|474", "3|Ulysses|Joyce|<null>"};
const char* const kFolkNow = "SELECT name FROM folk";

// Each step runs on what the steps before it left.
// clang-format off
const Step kSteps[] = {
    // Results whose rows cannot be traced to rows of one table: an edit and a delete refused.
    {"SELECT id, name FROM customers UNION ALL SELECT id, name FROM archived ORDER BY 2", nullptr,
     EditAndDelete, 2, 1, "Changed", {kCombined, kCombined}, "Old Two", kPeopleNow, kPeople},
    {"select id, name from archived union select id, name from customers", nullptr, EditAndDelete, 0, 1,
     "Changed", {kCombined, kCombined}, nullptr, kPeopleNow, kPeople},
    {"SELECT * FROM (SELECT id, name FROM customers UNION SELECT id, name FROM archived) AS u", nullptr,
     EditAndDelete, 0, 1, "Changed", {kCombined, kCombined}, nullptr, kPeopleNow, kPeople},
    {"SELECT id, name FROM archived INTERSECT SELECT id, name FROM archived", nullptr, EditAndDelete, 0, 1,
     "Changed", {kCombined, kCombined}, "Old Two", kPeopleNow, kPeople},
    {"SELECT id, name FROM archived EXCEPT SELECT id, name FROM customers", nullptr, EditAndDelete, 0, 1,
     "Changed", {kCombined, kCombined}, "Old Two", kPeopleNow, kPeople},
    {"SELECT e.id, b.name FROM staff e JOIN staff b ON b.id = e.boss", nullptr, EditAndDelete, 0, 1,
     "Changed", {kStaffTwice, kStaffTwice}, "Ada", kPeopleNow, kPeople},
    {"SELECT id, name FROM staff WHERE boss IN (SELECT id FROM staff)", nullptr, EditAndDelete, 0, 1,
     "Changed", {kStaffTwice, kStaffTwice}, "Bob", kPeopleNow, kPeople},
    {"SELECT books.title, loans.reader FROM books INNER JOIN loans ON loans.book = books.id", nullptr,
     EditAndDelete, 0, 1, "bob", {kJoin, kJoin}, "ann",
     "SELECT reader FROM loans UNION ALL SELECT title FROM books", {"Dune", "Emma", "Ulysses", "ann"}},
    // A calculated column is refused; the table's own columns are written, and Undo goes back.
    {"SELECT id, pages + 1 AS next_page, title FROM books ORDER BY id", nullptr, Edit, 0, 1, "7",
     {kCalculated}, "413", kBooksNow, kBooks},
    {nullptr, nullptr, Edit, 0, 2, "Dune!", {}, "Dune!", "SELECT title, pages FROM books WHERE id = 1",
     {"Dune!|412"}},
    {nullptr, nullptr, Undo, 0, 2, nullptr, {}, "Dune", kBooksNow, kBooks},
    // Two rows show "same" and the result hides what might tell them apart: refused.
    {"SELECT word FROM tally ORDER BY word DESC", nullptr, EditAndDelete, 0, 0, "changed",
     {kTieNotSaved, kTieNotDeleted}, "same", "SELECT word, n FROM tally", {"other|2", "same|1", "same|1"}},
    // Shown whole, one of two identical rows is changed alone, and the other deleted alone.
    {"SELECT word, n FROM tally ORDER BY word DESC", nullptr, Edit, 1, 1, "5", {}, "5",
     "SELECT word, n FROM tally", {"other|2", "same|1", "same|5"}},
    {nullptr, nullptr, Delete, 0, 0, nullptr, {}, "same", "SELECT word, n FROM tally", {"other|2", "same|5"}},
    // An integer column stores "0099" as 99, and the cell shows what was stored; a second edit
    // of the row is named by what the database now holds; Undo writes the fetched value back,
    // whatever came in between, and a fetched NULL as NULL.
    {"SELECT id, title, author, pages FROM books ORDER BY id", nullptr, Edit, 1, 2, "Austen", {}, "Austen",
     kBooksNow, {"1|Dune|Herbert|412", "2|Emma|Austen|474", "3|Ulysses|Joyce|<null>"}},
    {nullptr, nullptr, Edit, 0, 3, "0099", {}, "99", kBooksNow,
     {"1|Dune|Herbert|99", "2|Emma|Austen|474", "3|Ulysses|Joyce|<null>"}},
    {nullptr, nullptr, Edit, 0, 3, "100", {}, "100", "SELECT pages FROM books WHERE id = 1", {"100"}},
    {nullptr, nullptr, Undo, 0, 3, nullptr, {}, "412", "SELECT pages FROM books WHERE id = 1", {"412"}},
    {nullptr, nullptr, Undo, 1, 2, nullptr, {}, "<null>", kBooksNow, kBooks},
    // A value the column cannot take is refused and rolled back: the next edit of the row goes through.
    {"SELECT id, title, pages FROM books ORDER BY id", nullptr, Edit, 0, 1, nullptr, {kNullRefused}, "Dune",
     kBooksNow, kBooks},
    {nullptr, nullptr, Edit, 1, 2, "-3", {kCheckRefused}, "474", kBooksNow, kBooks},
    {nullptr, nullptr, Edit, 0, 1, "Dune II", {}, "Dune II", "SELECT title FROM books WHERE id = 1",
     {"Dune II"}},
    {nullptr, nullptr, Undo, 0, 1, nullptr, {}, "Dune", kBooksNow, kBooks},
    // NULL is matched where a row holds it and written for a null value and for an empty text in
    // a number column.
    {"SELECT id, author, pages FROM books ORDER BY id", nullptr, Edit, 2, 2, "730", {}, "730",
     "SELECT pages FROM books WHERE id = 3", {"730"}},
    {nullptr, nullptr, Edit, 0, 1, nullptr, {}, "<null>", "SELECT author FROM books WHERE id = 1",
     {"<null>"}},
    {nullptr, nullptr, Edit, 1, 2, "", {}, "<null>", kBooksNow,
     {"1|Dune|<null>|412", "2|Emma|<null>|<null>", "3|Ulysses|Joyce|730"}},
    // An edit of the key moves the row, and later edits follow it.
    {"SELECT id, title FROM books ORDER BY id", nullptr, Edit, 0, 0, "10", {}, "10",
     "SELECT id, title FROM books", {"10|Dune", "2|Emma", "3|Ulysses"}},
    {nullptr, nullptr, Edit, 0, 1, "Dune Messiah", {}, "Dune Messiah", "SELECT id, title FROM books",
     {"10|Dune Messiah", "2|Emma", "3|Ulysses"}},
    {nullptr, nullptr, Undo, 0, 0, nullptr, {}, "1", "SELECT id, title FROM books",
     {"1|Dune Messiah", "2|Emma", "3|Ulysses"}},
    // Someone else changed the value: an edit is refused and the cell shows their value; Undo
    // then leaves it too, be it theirs after a refusal or after a write of this program; a
    // change of letter case alone is a change.
    {"SELECT id, author FROM books ORDER BY id", "UPDATE books SET author = 'theirs' WHERE id = 1", Edit, 0,
     1, "mine", {kNotSaved}, "theirs", "SELECT author FROM books WHERE id = 1", {"theirs"}},
    {nullptr, nullptr, Undo, 0, 1, nullptr, {kUndoRefused}, "theirs", "SELECT author FROM books WHERE id = 1",
     {"theirs"}},
    {"SELECT id, author FROM books ORDER BY id", "UPDATE books SET author = 'THEIRS' WHERE id = 1", Edit, 0,
     1, "mine", {kNotSaved}, "THEIRS", "SELECT author FROM books WHERE id = 1", {"THEIRS"}},
    {"SELECT id, author FROM books ORDER BY id", nullptr, Edit, 0, 1, "written", {}, "written",
     "SELECT author FROM books WHERE id = 1", {"written"}},
    {nullptr, "UPDATE books SET author = 'later' WHERE id = 1", Undo, 0, 1, nullptr, {kUndoRefused}, "later",
     "SELECT author FROM books WHERE id = 1", {"later"}},
    // A row changed or deleted since the fetch: without the key in the result the row is named
    // by every value shown, so a delete is refused; an edit refused over their value goes
    // through when tried again from the value now shown; a row gone is not written.
    {"SELECT title, pages FROM books ORDER BY id", "UPDATE books SET pages = 500 WHERE id = 2", Delete, 1, 0,
     nullptr, {kGoneNotDeleted}, "Emma", "SELECT count(*) FROM books", {"3"}},
    {"SELECT id, title, author FROM books ORDER BY id",
     "UPDATE books SET author = 'Frank Herbert' WHERE id = 1", Edit, 0, 2, "F. Herbert", {kNotSaved},
     "Frank Herbert", "SELECT author FROM books WHERE id = 1", {"Frank Herbert"}},
    {nullptr, nullptr, Edit, 0, 2, "F. Herbert", {}, "F. Herbert", "SELECT author FROM books WHERE id = 1",
     {"F. Herbert"}},
    {"SELECT id, title FROM books ORDER BY id", "DELETE FROM books WHERE id = 2", Edit, 1, 1, "Persuasion",
     {kGoneNotSaved}, "Emma", "SELECT id, title FROM books", {"1|Dune Messiah", "3|Ulysses"}},
    // A delete that is done takes the row out of the grid.
    {"SELECT id, title FROM books ORDER BY id", nullptr, Delete, 0, 1, nullptr, {}, "Ulysses",
     "SELECT id, title FROM books", {"3|Ulysses"}},
    // Without a key, under a collation that calls 'abc' and 'ABC' (and, on MariaDB and SQL
    // Server, 'x' and 'x ') equal: each action changes the row shown and only that one.
    {kFolkNow, nullptr, Edit, -1, 0, "abd", {}, "abd", kFolkNow,
     {"ABC", "Smith", "abd", "smith", "x", "x "}, "abc"},
    {nullptr, nullptr, Delete, -1, 0, nullptr, {}, nullptr, kFolkNow, {"ABC", "Smith", "abd", "x", "x "},
     "smith"},
    {nullptr, nullptr, Edit, -1, 0, "y", {}, "y", kFolkNow, {"ABC", "Smith", "abd", "x", "y"}, "x "},
    {nullptr, nullptr, Edit, -1, 0, "abd", {}, "abd", kFolkNow, {"Smith", "abd", "abd", "x", "y"},
     "ABC"},
    // One of two identical rows goes back.
    {nullptr, nullptr, Undo, -1, 0, nullptr, {}, "ABC", kFolkNow, {"ABC", "Smith", "abd", "x", "y"},
     "ABC"},
};
// clang-format on

QString cellText(const results::RecordsetModel& model, int row, int col)
{
    const QVariant v = model.data(model.index(row, col));
    return v.isNull() ? "<null>" : v.toString();
}

// The row whose value in column col was read as text.
int fetchedRow(const results::RecordsetModel& model, int col, const char* text)
{
    for (int r = 0; r < model.rowCount(); ++r)
        if (model.fetchedValue(model.index(r, col)).toString() == QString::fromUtf8(text))
            return r;
    return -1;
}

QStringList sorted(QStringList rows)
{
    std::sort(rows.begin(), rows.end());
    return rows;
}

using Steps = DirectEditTest;

TEST_P(Steps, EachWriteReachesItsRowOnlyOrIsRefusedWithItsMessage)
{
    database().run({"CREATE TABLE customers (id INT PRIMARY KEY, name VARCHAR(20))",
                    "INSERT INTO customers VALUES (1, 'Live One'), (2, 'Live Two')",
                    "CREATE TABLE archived (id INT PRIMARY KEY, name VARCHAR(20))",
                    "INSERT INTO archived VALUES (2, 'Old Two')",
                    "CREATE TABLE staff (id INT PRIMARY KEY, name VARCHAR(20), boss INT)",
                    "INSERT INTO staff VALUES (1, 'Ada', NULL), (3, 'Bob', 1)"});
    database().createFoldingTable("folk (name VARCHAR(20))");
    database().run({"INSERT INTO folk (name) VALUES ('ABC'), ('abc'), ('Smith'), ('smith'), ('x'), ('x ')"});
    // Read-only until granted, each permission opening its own door only, and never a new row.
    std::unique_ptr<results::RecordsetModel> model = openModel(database(), QString::fromUtf8(kBooksNow));
    for (const auto& [update, remove] :
         {std::pair{false, false}, {false, true}, {true, false}, {false, false}}) {
        SCOPED_TRACE(testing::Message() << "update " << update << ", delete " << remove);
        model->setAllowUpdate(update);
        model->setAllowDelete(remove);
        EXPECT_EQ(model->flags(model->index(0, 1)).testFlag(Qt::ItemIsEditable), update);
        // Short-circuited where the door is open: that write would be done.
        EXPECT_TRUE(update || !model->setData(model->index(0, 1), "Changed"));
        EXPECT_TRUE(remove || !model->removeRows(0, 1));
        EXPECT_FALSE(model->insertRows(3, 1));
        EXPECT_FALSE(model->insertRows(0, 1));
        EXPECT_EQ(model->rowCount(), 3);
    }
    EXPECT_TRUE(dialogs_.take().isEmpty());
    EXPECT_EQ(sorted(database().rows(QString::fromUtf8(kBooksNow))), sorted(kBooks));

    for (const Step& s : kSteps) {
        SCOPED_TRACE(testing::Message() << (s.select ? s.select : "(the same grid)") << " / "
                                        << (s.meanwhile ? s.meanwhile : "") << " / action " << s.act << " at "
                                        << s.row << "," << s.col << " " << (s.fetched ? s.fetched : ""));
        if (s.select) {
            model.reset();
            model = openWritable(QString::fromUtf8(s.select));
        }
        ASSERT_TRUE(model);
        const int row = s.fetched ? fetchedRow(*model, s.col, s.fetched) : s.row;
        ASSERT_TRUE(row >= 0 && row < model->rowCount()) << row;
        if (s.meanwhile)
            database().run({QString::fromUtf8(s.meanwhile)});
        const QModelIndex cell = model->index(row, s.col);
        const QVariant value = s.value ? QVariant(QString::fromUtf8(s.value)) : QVariant();
        const int rowsBefore = model->rowCount();
        bool done = false;
        if (s.act == Edit || s.act == EditAndDelete)
            done = model->setData(cell, value);
        if (s.act == Delete || s.act == EditAndDelete)
            done = model->removeRows(row, 1) || done;
        if (s.act == Undo)
            done = model->restoreFetched(cell);

        EXPECT_EQ(done, s.messages.isEmpty());
        QStringList expected = s.messages;
        expected.replaceInStrings(kJoin, joinMessage(GetParam()));
        QStringList told = dialogs_.takeMessages();
        for (qsizetype i = 0; i < told.size() && i < expected.size(); ++i)
            if (isRefusal(told[i], expected[i], GetParam()))
                told[i] = expected[i];
        EXPECT_EQ(told, expected);
        EXPECT_EQ(model->rowCount(), rowsBefore - (done && s.act == Delete ? 1 : 0));
        if (s.shown) {
            EXPECT_EQ(cellText(*model, row, s.col), QString::fromUtf8(s.shown));
        }
        EXPECT_EQ(sorted(database().rows(QString::fromUtf8(s.check))), sorted(s.held));
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, Steps, kEveryEngine, kindName);

// Bytes are shown in hexadecimal: such a cell is not written (typing "FF" would store the text's
// bytes), and a row without a key is found by its bytes. SQL Server has no such comparison here.
using BinaryCells = DirectEditTest;

TEST_P(BinaryCells, AreNotWrittenButFindTheirRow)
{
    const bool pg = GetParam() == Kind::PostgreSql;
    database().run(
        {QStringLiteral("CREATE TABLE bytes (b %1, name VARCHAR(10))").arg(pg ? "bytea" : "VARBINARY(4)"),
         pg ? "INSERT INTO bytes VALUES ('\\x00ff', 'same'), ('\\x00fe', 'same')"
            : "INSERT INTO bytes VALUES (x'00FF', 'same'), (x'00FE', 'same')"});
    const QString hexOrder = "SELECT b, name FROM bytes ORDER BY b";
    auto model = openWritable(hexOrder);

    EXPECT_FALSE(model->setData(model->index(0, 0), "FF"));
    const QStringList told = dialogs_.takeMessages();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains("holds binary data")) << told[0].toStdString();

    EXPECT_TRUE(model->setData(model->index(0, 1), "changed"));
    EXPECT_TRUE(dialogs_.take().isEmpty());
    EXPECT_EQ(database().rows(hexOrder), (QStringList{"00FE|changed", "00FF|same"}));
}

INSTANTIATE_TEST_SUITE_P(Engines, BinaryCells,
                         ::testing::Values(Kind::SQLite, Kind::MariaDb, Kind::MariaDbOdbc, Kind::PostgreSql),
                         kindName);

} // namespace
} // namespace detest
