// The model before any edit permission is granted: it shows the set as fetched and changes
// nothing.
#include "results/RecordsetModel.h"
#include "tests/query/db/SqliteFixture.h"

#include "query/db/Connection.h"

#include <gtest/gtest.h>

namespace {

TEST(DirectEditReadOnly, ShowsTheFetchedSetAndRefusesEdits)
{
    SqliteFiles files;
    const QString path = files.create(QStringLiteral("lib.sqlite"), kLibrarySql);
    db::Connection connection;
    connection.Open(SqliteFiles::connectionString(path));
    db::Recordset set;
    set.CursorLocation = db::adUseClient;
    set.Open(QStringLiteral("SELECT id, title, author FROM books ORDER BY id"), connection, db::adOpenDynamic,
             db::adLockOptimistic);
    results::RecordsetModel model(std::move(set));

    ASSERT_EQ(model.rowCount(), 3);
    ASSERT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("title"));
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("Dune"));
    EXPECT_TRUE(model.data(model.index(1, 2)).isNull());
    EXPECT_FALSE(model.flags(model.index(0, 1)).testFlag(Qt::ItemIsEditable));
    EXPECT_FALSE(model.setData(model.index(0, 1), QStringLiteral("Changed")));
    EXPECT_FALSE(model.removeRows(0, 1));
    EXPECT_EQ(SqliteFiles::scalar(path, "SELECT title FROM books WHERE id = 1"), QStringLiteral("Dune"));
    EXPECT_EQ(SqliteFiles::scalar(path, "SELECT count(*) FROM books"), QStringLiteral("3"));
}

} // namespace
