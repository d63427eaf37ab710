// An Access file through mdbtools, which cannot write at all (the edit permissions: WriteTest's
// Steps).
#include "tests/support/AccessSamples.h"
#include "tests/support/DirectEditFixture.h"
#include "tests/support/FileBytes.h"

#include <QFile>

namespace detest {
namespace {

TEST(DirectEditAccess, AnEditOrDeleteThroughMdbtoolsIsRefusedWithAMessage)
{
    const QString folder = qvtest::accessSampleFolder();
    if (folder.isEmpty())
        GTEST_SKIP() << "no Access sample files (tests/data/access)";
    if (qEnvironmentVariable("ODBCSYSINI").isEmpty() && qEnvironmentVariable("CI") != QLatin1String("true"))
        GTEST_SKIP() << "no ODBC drivers registered (run the tests with scripts/test.sh)";
    QTemporaryDir dir;
    const QString path = dir.filePath("sample.mdb");
    ASSERT_TRUE(QFile::copy(folder + "/testIndexPropertiesV2000.mdb", path));
    const QByteArray before = qvtest::fileBytes(path);

    db::Connection connection;
    query::connectionSettings({"Access", {}, {}, path, {}, {}}).applyTo(connection);
    connection.Open();
    db::Recordset set;
    set.CursorLocation = db::adUseClient;
    set.Open("SELECT row, data FROM TableIgnoreNulls1", connection, db::adOpenDynamic, db::adLockOptimistic);
    qvtest::ScriptedDialogs dialogs;
    results::RecordsetModel model(std::move(set));
    model.setAllowUpdate(true);
    model.setAllowDelete(true);
    ASSERT_EQ(model.rowCount(), 10);
    const QString first = model.data(model.index(0, 0)).toString();

    EXPECT_FALSE(model.setData(model.index(0, 0), "changed"));
    EXPECT_FALSE(model.removeRows(0, 1));

    const QString message =
        "The driver for this database can only read it, so changes made in the data grid cannot be saved.";
    EXPECT_EQ(dialogs.takeMessages(), (QStringList{message, message}));
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), first);
    EXPECT_EQ(model.rowCount(), 10);
    EXPECT_TRUE(qvtest::fileBytes(path) == before) << "the file was changed";
}

} // namespace
} // namespace detest
