// Reading results into the grid and into plain text, on real SQLite files, without a window.
#include "query/ResultPresentation.h"
#include "query/db/Connection.h"
#include "query/db/Recordset.h"
#include "tests/query/db/SqliteFixture.h"
#include "ui/Events.h"
#include "ui/GridModel.h"
#include "ui/MSFlexGrid.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace {

constexpr const char* kPeople = R"sql(
CREATE TABLE people (id INTEGER PRIMARY KEY, name TEXT, city TEXT);
INSERT INTO people VALUES (1, 'Zoë', 'Zürich');
INSERT INTO people VALUES (2, 'Ольга', NULL);
CREATE TABLE empty (a TEXT, b TEXT);
)sql";

class Presentation : public testing::Test
{
protected:
    void SetUp() override
    {
        path = files.create("people.sqlite", kPeople);
        connection.Open(SqliteFiles::connectionString(path));
    }

    db::Recordset run(const char* sql) { return connection.Execute(QString::fromUtf8(sql)); }

    static bool always() { return true; }

    SqliteFiles files;
    QString path;
    db::Connection connection;
    ui::MSFlexGrid grid;
};

// --- grid ---------------------------------------------------------------------------------

TEST_F(Presentation, GridHoldsNamesInRowZeroAndRecordsBelowFromColumnTwo)
{
    db::Recordset rs = run("select id, name, city from people order by id");
    EXPECT_EQ(query::fillGrid(rs, grid, false, always), 2);
    EXPECT_EQ(grid.Cols(), 5);
    EXPECT_EQ(grid.Rows(), 3);
    const QStringList names = {grid.TextMatrix(0, 2), grid.TextMatrix(0, 3), grid.TextMatrix(0, 4)};
    EXPECT_EQ(names, QStringList({"id", "name", "city"}));
    EXPECT_EQ(grid.TextMatrix(1, 2), "1");
    EXPECT_EQ(grid.TextMatrix(1, 3), "Zoë");
    EXPECT_EQ(grid.TextMatrix(1, 4), "Zürich");
    EXPECT_EQ(grid.TextMatrix(2, 3), "Ольга");
    EXPECT_EQ(grid.TextMatrix(2, 4), "") << "a null is an empty cell";
    for (int r = 0; r < grid.Rows(); ++r)
        for (int c : {0, 1})
            EXPECT_EQ(grid.TextMatrix(r, c), "") << r << "," << c;
    EXPECT_EQ(grid.ColWidth(0), 195) << "200 twips, as whole pixels";
    EXPECT_EQ(grid.gridModel()->rowCount(), 2) << "the view knows every row once the read is done";
}

TEST_F(Presentation, AffectedRowsColumnIsWidenedOnlyWhenTheCountWasAppended)
{
    grid.setCols(3);
    grid.setColWidth(2, 600);
    db::Recordset rs = run("select 1 as \"Affected Rows\"");
    query::fillGrid(rs, grid, false, always);
    EXPECT_EQ(grid.ColWidth(2), 600);

    rs = run("select 1 as \"Affected Rows\"");
    query::fillGrid(rs, grid, true, always);
    EXPECT_EQ(grid.ColWidth(2), 1500);
    EXPECT_EQ(grid.TextMatrix(0, 2), "Affected Rows");
    EXPECT_EQ(grid.TextMatrix(1, 2), "1");
}

TEST_F(Presentation, AnEmptyOrClosedResultLeavesTheGridAsItWas)
{
    db::Recordset rs = run("select id, name, city from people");
    query::fillGrid(rs, grid, false, always);
    grid.clearCells(); // as the run does before presenting

    rs = run("select a, b from empty");
    EXPECT_EQ(query::fillGrid(rs, grid, false, always), 0);
    EXPECT_EQ(grid.Cols(), 5);
    EXPECT_EQ(grid.Rows(), 3);
    EXPECT_EQ(grid.TextMatrix(0, 2), "") << "no field names either";

    rs = run("update people set city = 'Bern' where id = 2");
    ASSERT_EQ(rs.State(), db::adStateClosed);
    EXPECT_EQ(query::fillGrid(rs, grid, false, always), 0);
    EXPECT_EQ(grid.Rows(), 3);
    EXPECT_EQ(SqliteFiles::scalar(path, "select city from people where id = 2"), "Bern");
}

TEST_F(Presentation, GridStopsWhenAskedAndKeepsWhatWasRead)
{
    connection.Execute("create table n (i integer); with recursive c(i) as (select 1 union all select i + 1 "
                       "from c where i < 500) insert into n select i from c");
    db::Recordset rs = run("select i from n order by i");
    int asked = 0;
    const qint64 read = query::fillGrid(rs, grid, false, [&] { return ++asked <= 120; });
    EXPECT_EQ(read, 120);
    EXPECT_EQ(grid.Rows(), 121);
    EXPECT_EQ(grid.TextMatrix(120, 2), "120");
    EXPECT_EQ(asked, 121) << "asked before every record";
}

TEST_F(Presentation, RowsReachTheViewAtEventTicksNotPerRecord)
{
    connection.Execute("create table n (i integer); with recursive c(i) as (select 1 union all select i + 1 "
                       "from c where i < 20000) insert into n select i from c");
    int inserts = 0, announced = 0;
    QObject::connect(grid.gridModel(), &QAbstractItemModel::rowsInserted, &grid,
                     [&](const QModelIndex&, int first, int last) {
                         ++inserts;
                         announced += last - first + 1;
                     });

    // No tick during the read: the view hears of every row at once, at the end.
    ui::EventPump::setDefaultSlice(std::chrono::hours(1));
    db::Recordset rs = run("select i from n");
    EXPECT_EQ(query::fillGrid(rs, grid, false, always), 20000);
    EXPECT_EQ(inserts, 1);
    EXPECT_EQ(announced, 20000);

    // A tick at every record: the view already shows the rows read before it.
    ui::EventPump::setDefaultSlice(std::chrono::milliseconds(0));
    rs = run("select i from n");
    qint64 seen = 0;
    int shownWhileReading = -1;
    query::fillGrid(rs, grid, false, [&] {
        if (++seen == 101)
            shownWhileReading = grid.gridModel()->rowCount();
        return true;
    });
    ui::EventPump::setDefaultSlice(std::chrono::milliseconds(10));
    EXPECT_EQ(shownWhileReading, 100);
}

// --- plain text ---------------------------------------------------------------------------

TEST_F(Presentation, PlainTextHasTabsAfterEveryValueAndCrLfAfterEveryLine)
{
    db::Recordset rs = run("select id, name, city from people order by id");
    const query::PlainTextResult out = query::plainText(rs, always);
    EXPECT_EQ(out.records, 2);
    EXPECT_EQ(out.text, QStringLiteral("id\tname\tcity\t\r\n1\tZoë\tZürich\t\r\n2\tОльга\t\t\r\n"));
}

TEST_F(Presentation, PlainTextOfAnEmptyOrClosedResultIsEmpty)
{
    db::Recordset rs = run("select a, b from empty");
    EXPECT_EQ(query::plainText(rs, always).text, "");

    rs = run("insert into empty values ('x', 'y')");
    const query::PlainTextResult out = query::plainText(rs, always);
    EXPECT_EQ(out.text, "");
    EXPECT_EQ(out.records, 0);
    EXPECT_EQ(SqliteFiles::scalar(path, "select count(*) from empty"), "1") << "inserted once";
}

TEST_F(Presentation, PlainTextStopsWhenAskedAndKeepsWhatWasRead)
{
    db::Recordset rs = run("select id, name from people order by id");
    int asked = 0;
    const query::PlainTextResult out = query::plainText(rs, [&] { return ++asked <= 1; });
    EXPECT_EQ(out.records, 1);
    EXPECT_EQ(out.text, QStringLiteral("id\tname\t\r\n1\tZoë\t\r\n"));
}

} // namespace
