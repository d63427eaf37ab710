// Servers that stop answering or go away at the worst moments, seen through the main window:
// a MariaDB server frozen or killed before the login and in the middle of a 1,000,000-row
// read (into the grid and into a file), and the SQL Server test server dropping the
// connection in the login and in a result.
// The fault sits in a relay in front of the real server; after it, the server "restarts" (the
// relay heals) and the next run must succeed.
#include "query/db/Connection.h"
#include "query/db/odbc/OdbcConnectionString.h"
#include "results/FormFile.h"
#include "tests/support/FaultProxy.h"
#include "tests/support/FormFixture.h"
#include "tests/support/ParamName.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TdsServer.h"
#include "ui/TextFile.h"

namespace {

using Fault = qvtest::FaultProxy::Fault;

enum class Engine { MariaDb, SqlServer };

struct ServerFault
{
    const char* name;
    Engine engine;
    Fault fault;
    std::int64_t afterServerBytes; // 0: before the login
    bool toFile = false;           // Data Output to File instead of the grid
    int native = 0;                // the server's error code the report names; 0: not checked
};

// MariaDB goes through the native backend, which streams the rows as they come.
const ServerFault kFaults[] = {
    {"MariaDbFrozenBeforeLogin", Engine::MariaDb, Fault::Freeze, 0},
    {"MariaDbKilledBeforeLogin", Engine::MariaDb, Fault::Kill, 0},
    {"MariaDbFrozenMidRead", Engine::MariaDb, Fault::Freeze, 2'000'000},
    {"MariaDbKilledMidRead", Engine::MariaDb, Fault::Kill, 2'000'000, false, 2013},
    {"MariaDbKilledMidFileOutput", Engine::MariaDb, Fault::Kill, 2'000'000, true, 2013},
    {"SqlServerDroppedMidLogin", Engine::SqlServer, Fault::Kill, 1},
    {"SqlServerDroppedMidResult", Engine::SqlServer, Fault::Kill, 400'000},
};

class ServerFaults : public FormFixture, public testing::WithParamInterface<ServerFault>
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        // The waits a frozen server meets, shortened: the login and each read.
        db::odbc::setDefaultLoginTimeout(2);
        db::Connection::setDefaultCommandTimeout(2);
    }
    void TearDown() override
    {
        db::odbc::setDefaultLoginTimeout(15);
        db::Connection::setDefaultCommandTimeout(30);
        FormFixture::TearDown();
    }

    // Points the connection fields at the relay in front of the engine's server; false (the
    // test skipped, or failed under CI) without one.
    bool useRelay(Engine engine)
    {
        std::uint16_t serverPort = 0;
        if (engine == Engine::MariaDb) {
            if (!useMariaDb())
                return false;
            serverPort = std::uint16_t(qEnvironmentVariableIntValue("QUORVANE_MARIADB_PORT"));
        } else {
            const std::optional<qvtest::TdsEndpoint> e = qvtest::sharedTdsServer();
            if (!e)
                return missing("the SQL Server test server");
            form->Combo1->setEditText(QStringLiteral("SQL"));
            form->Text4->setText(e->user);
            form->Text5->setText(e->password);
            form->Text9->setText(e->database);
            serverPort = std::uint16_t(e->port);
        }
        relay = std::make_unique<qvtest::FaultProxy>(serverPort);
        EXPECT_NE(relay->port(), 0);
        form->Text8->setText(QStringLiteral("127.0.0.1,%1").arg(relay->port()));
        return relay->port() != 0;
    }

    std::unique_ptr<qvtest::FaultProxy> relay;
};

TEST_P(ServerFaults, EndInTheErrorReportAndTheNextRunSucceeds)
{
    const ServerFault& f = GetParam();
    if (!useRelay(f.engine))
        return;
    relay->arm(f.fault, f.afterServerBytes);
    const bool midRead = f.afterServerBytes > 1;
    const QString out = dir.filePath(QStringLiteral("out.txt"));
    if (f.toFile) {
        ui::appendBytes(out, "before\r\n");
        results::setExportTarget(out);
        form->DataOutputtoFile->setChecked(true);
    }
    // Far more bytes than are let through before the fault.
    const QString big =
        f.engine == Engine::MariaDb
            ? QStringLiteral("SELECT seq, CONCAT('row number ', seq) AS label FROM seq_1_to_1000000")
            : QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                             "WHERE i < 100000) SELECT i, 'row number ' || i AS label FROM n");
    run(midRead ? big : QStringLiteral("SELECT 1 AS one"));
    form->DataOutputtoFile->setChecked(false);

    const QStringList told = dialogs.takeMessages();
    ASSERT_EQ(told.size(), 1) << told.join("\n").toStdString();
    EXPECT_TRUE(told[0].startsWith(QStringLiteral("-2147467259\r\n"))) << told[0].toStdString();
    EXPECT_GT(told[0].size(), 15) << "the driver's reason is given";
    EXPECT_TRUE(f.native == 0 || told[0].contains(QStringLiteral("native %1)").arg(f.native)))
        << told[0].toStdString();
    EXPECT_TRUE(form->Command1->isEnabled()) << "Run is enabled again";
    if (f.toFile) {
        EXPECT_EQ(fileBytes(out), "before\r\n") << "the lines written before the fault are taken back";
    } else if (midRead) {
        // What was read before the fault stays in the grid (a driver that reads the whole
        // result at execute has read nothing yet).
        const int rows = form->MSFlexGrid1->Rows();
        EXPECT_LT(rows, 1'000'001);
        EXPECT_TRUE(f.native == 0 || rows > 1) << "a streamed read keeps the rows read before the fault";
        for (int r = 1; r < rows && r <= 3 && form->MSFlexGrid1->Cols() > 2; ++r)
            EXPECT_EQ(form->MSFlexGrid1->TextMatrix(r, 2), QString::number(r));
    }

    relay->heal();
    run(QStringLiteral("SELECT 1 AS one"));
    EXPECT_EQ(dialogs.takeMessages(), QStringList());
    EXPECT_EQ(gridRows(), (QStringList{"one", "1"}));
}

INSTANTIATE_TEST_SUITE_P(Servers, ServerFaults, testing::ValuesIn(kFaults), qvtest::ParamName());

} // namespace
