// Reading results into the grid and into plain text, on real SQLite files, without a window.
#include "query/ResultPresentation.h"
#include "query/db/Connection.h"
#include "query/db/Recordset.h"
#include "tests/support/SqliteFiles.h"
#include "ui/Events.h"
#include "ui/GridModel.h"
#include "ui/MSFlexGrid.h"
#include "ui/PlainTextView.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace {

constexpr const char* kPeople = R"sql(
CREATE TABLE people (id INTEGER PRIMARY KEY, name TEXT, city TEXT);
INSERT INTO people VALUES (1, 'Zoë', 'Zürich');
INSERT INTO people VALUES (2, 'Ольга', NULL);
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

// Widened to show "Affected Rows" when the count was appended:
// Run.SqlServerShowsTheAffectedRowsAndCancelSendsAnAttention; a column of that name the query
// chose itself keeps its width.
TEST_F(Presentation, AffectedRowsKeepTheirWidthRowsReachTheViewAtEventTicksPlainTextHasTabs)
{
    grid.setCols(3);
    grid.setColWidth(2, 600);
    db::Recordset rs = run("select 1 as \"Affected Rows\"");
    query::fillGrid(rs, grid, false, always);
    EXPECT_EQ(grid.TextMatrix(0, 2), "Affected Rows");
    EXPECT_EQ(grid.ColWidth(2), 600);

    // Rows reach the view at event ticks, not per record.
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
    rs = run("select i from n");
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

    // Plain text: tabs after every value, CR LF after every line; a stopped read keeps what it read.
    rs = run("select id, name, city from people order by id");
    ui::PlainTextView view;
    EXPECT_EQ(query::fillPlainText(rs, view, always), 2);
    EXPECT_EQ(view.lines().utf8(),
              QStringLiteral("id\tname\tcity\t\r\n1\tZoë\tZürich\t\r\n2\tОльга\t\t\r\n").toUtf8());

    rs = run("select id, name from people order by id");
    int asked = 0;
    ui::PlainTextView stopped;
    EXPECT_EQ(query::fillPlainText(rs, stopped, [&] { return ++asked <= 1; }), 1);
    EXPECT_EQ(stopped.toPlainText(), "id\tname\t\n1\tZoë\t\n");
}

} // namespace
