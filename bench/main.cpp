// quorvane_bench: times the raw reading loops of the engines and Quorvane's own paths on the
// same data, in one run, and prints the median of each with its ratio to its baseline.
// --check runs each path once on the data and verifies what it read instead of timing it.

#include "bench/AppPaths.h"
#include "bench/DataSet.h"
#include "bench/Measure.h"
#include "bench/Odbc.h"
#include "bench/Peers.h"
#include "bench/QuorvanePaths.h"
#include "bench/RawLoops.h"
#include "bench/Sinks.h"
#include "bench/ToolsPaths.h"
#include "query/db/Connection.h"
#include "query/db/Error.h"
#include "tests/support/TdsServer.h"
#include "ui/Events.h"
#include "ui/MSFlexGrid.h"

#include <QApplication>
#include <QJsonObject>
#include <QProcess>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <malloc.h>
#include <map>
#include <memory>
#include <numeric>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace bench {
namespace {

const char usage[] = R"(usage: quorvane_bench [options]
  --rows N        records in the data set (default 1000000)
  --reps N        repetitions of each path; the table shows their median (default 5)
  --paths LIST    comma-separated path names, or "sqlite" or "mariadb" for all of one engine
                  (default: every path); the baselines of the chosen paths always run
  --data DIR      folder for the SQLite file and the output files (default /tmp/quorvane-bench)
  --pump-slice MS the event pump's slice for every path (default: the program's own, ~10 ms)
  --check         run each path once and verify row counts and digests; no timing
  --list          list the paths and exit
MariaDB paths need QUORVANE_MARIADB_PORT, _USER and _PASSWORD (the test services' server),
QUORVANE_MARIADB_DATABASE (default quorvane) and ODBCSYSINI naming the "MariaDB Unicode" driver.
SQL Server paths start a private SQL Server test server (tests/support/tds, /usr/bin/python3)
serving the SQLite file as two databases, read through the "FreeTDS" driver ODBCSYSINI names.
)";

struct Options
{
    std::int64_t rows = 1000000;
    int reps = 5;
    std::string data = "/tmp/quorvane-bench";
    std::vector<std::string> paths;
    bool check = false;
    int pumpSliceMs = 0; // 0: the program's own
    bool list = false;
    std::string fileMemoryProbe;  // internal: "sqlite" or "mariadb", the file-memory path's child
    bool memoryProbe = false;     // internal: the child process that measures the grid's memory
    bool textMemoryProbe = false; // internal: the same for the plain-text box
    bool startupProbe = false;    // internal: the child process of the start-up path
};

std::vector<std::string> splitList(const std::string& text)
{
    std::vector<std::string> items;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');)
        if (!item.empty())
            items.push_back(item);
    return items;
}

Options parseOptions(const QStringList& arguments)
{
    Options o;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const std::string arg = arguments[i].toStdString();
        auto value = [&]() {
            if (++i >= arguments.size())
                throw std::invalid_argument(arg + " needs a value");
            return arguments[i].toStdString();
        };
        if (arg == "--rows")
            o.rows = std::stoll(value());
        else if (arg == "--reps")
            o.reps = std::stoi(value());
        else if (arg == "--paths")
            o.paths = splitList(value());
        else if (arg == "--data")
            o.data = value();
        else if (arg == "--pump-slice")
            o.pumpSliceMs = std::stoi(value());
        else if (arg == "--check")
            o.check = true;
        else if (arg == "--list")
            o.list = true;
        else if (arg == "--file-memory-probe")
            o.fileMemoryProbe = value();
        else if (arg == "--memory-probe")
            o.memoryProbe = true;
        else if (arg == "--text-memory-probe")
            o.textMemoryProbe = true;
        else if (arg == "--startup-probe")
            o.startupProbe = true;
        else if (arg == "--help" || arg == "-h")
            throw std::invalid_argument("");
        else
            throw std::invalid_argument("unknown option " + arg);
    }
    if (o.rows < 1 || o.reps < 1)
        throw std::invalid_argument("--rows and --reps must be at least 1");
    return o;
}

// --- the databases ---

struct MariaDb
{
    std::string port, user, password, database;

    std::string rawConnectionString() const
    {
        const char* driver = std::getenv("QUORVANE_BENCH_ODBC_DRIVER");
        return std::string("Driver={") + (driver ? driver : "MariaDB Unicode") +
               "};Server=127.0.0.1;Port=" + port + ";Database=" + database + ";UID=" + user +
               ";PWD=" + password + ";CHARSET=utf8mb4";
    }
    // The main window's MySql fields for this server.
    Target target() const
    {
        Target t;
        t.type = QStringLiteral("MySql");
        t.location = QStringLiteral("127.0.0.1,") + QString::fromStdString(port);
        t.databaseName = QString::fromStdString(database);
        t.user = QString::fromStdString(user);
        t.password = QString::fromStdString(password);
        return t;
    }
};

std::optional<MariaDb> mariaDbFromEnvironment()
{
    const char* port = std::getenv("QUORVANE_MARIADB_PORT");
    if (!port || !*port)
        return std::nullopt;
    auto env = [](const char* name, const char* fallback) {
        const char* v = std::getenv(name);
        return std::string(v && *v ? v : fallback);
    };
    return MariaDb{port, env("QUORVANE_MARIADB_USER", "root"), env("QUORVANE_MARIADB_PASSWORD", ""),
                   env("QUORVANE_MARIADB_DATABASE", "quorvane")};
}

// --- paths ---

enum class Source { Sqlite, MariaDb, SqlServer };

struct Path
{
    std::string name;
    std::string label;
    Source source;
    std::string baseline; // the path this one is compared with; empty for none
    double target = 0;    // the highest ratio allowed, or with no baseline the highest value; 0: none
    std::string unit = "s";
    std::function<Outcome()> run;
    std::int64_t expected = 0; // check mode: the count every pass must give; -1: not checked
    std::string peer;          // a second comparison: the engine's own client on the same output
    double peerTarget = 0;     // the highest ratio allowed against the peer; 0: none
};

class Bench
{
public:
    Bench(const Options& options, std::optional<MariaDb> mariaDb) : o_(options), mariaDb_(std::move(mariaDb))
    {
        sqlitePath_ = o_.data + "/bench-" + std::to_string(o_.rows) + ".sqlite";
    }

    const std::string& sqlitePath() const { return sqlitePath_; }

    std::vector<Path> paths()
    {
        std::vector<Path> p;
        for (const Source s : {Source::Sqlite, Source::MariaDb}) {
            const bool lite = s == Source::Sqlite;
            const std::string engine = lite ? "sqlite" : "mariadb";
            const std::string raw = engine + "-raw", rawFile = engine + "-raw-file";
            auto add = [&](const std::string& suffix, const std::string& label, const std::string& baseline,
                           double target, std::function<Outcome()> run, const std::string& unit = "s") {
                p.push_back({engine + "-" + suffix,
                             label + (lite ? ", SQLite" : ", MariaDB"),
                             s,
                             baseline,
                             target,
                             unit,
                             std::move(run),
                             o_.rows,
                             {},
                             0});
            };
            if (lite) {
                add("raw", "sqlite3 C API loop, step + column_text, no output", "", 0,
                    [this] { return sqliteRaw(false); });
                add("raw-file", "sqlite3 C API loop writing pipe-separated lines to a file", raw, 0,
                    [this] { return sqliteRaw(true); });
                if (onPath("sqlite3"))
                    add("peer", "sqlite3 shell " + sqlite3Version() + ", -separator '|', to a file", rawFile,
                        0, [this] { return sqlitePeer(); });
            } else {
                add("raw", "ODBC loop, bound as text, 1000-row arrays, no output", "", 0,
                    [this] { return mariaDbRaw(false); });
                add("raw-file", "the same ODBC loop writing pipe-separated lines to a file", raw, 0,
                    [this] { return mariaDbRaw(true); });
                add("native-raw", "Connector/C loop, use_result + fetch_row, no output", "", 0,
                    [this] { return mariaDbNativeRaw(false); });
                add("native-raw-file", "the same Connector/C loop writing pipe-separated lines to a file",
                    "mariadb-native-raw", 0, [this] { return mariaDbNativeRaw(true); });
                if (onPath("mariadb"))
                    add("peer", "mariadb client " + mariaDbVersion() + " --batch --quick to a file",
                        "mariadb-native-raw-file", 0, [this] { return mariaDbPeer(); });
            }
            // MariaDB's layer paths read through the native backend; the baseline is its raw loop.
            const std::string rawOf = lite ? raw : "mariadb-native-raw";
            const std::string rawFileOf = lite ? rawFile : "mariadb-native-raw-file";
            add("layer", "layer forward read (Recordset + cellUtf8)", rawOf, lite ? 1.15 : 1.10,
                [this, s] { return layer(s); });
            add("grid", "grid store fill from the layer", rawOf, 1.5, [this, s] { return grid(s); });
            if (lite) {
                add(
                    "grid-memory", "grid memory per cell beyond the text (RSS growth)", "", 24,
                    [this] { return gridMemory(); }, "B/cell");
                p.back().expected = (o_.rows + 1) * (columnCount + ui::MSFlexGrid::firstFieldCol);
            }
            add("run-grid", "whole run into the grid (Command1_Click, offscreen)", rawOf, lite ? 1.5 : 1.2,
                [this, s] { return runIntoGrid(target(s), selectQuery(), o_.check); });
            add("run-grid-nopump", "the same run with an event-pump slice of an hour", engine + "-run-grid",
                0, [this, s] {
                    return withoutPump([&] { return runIntoGrid(target(s), selectQuery(), o_.check); });
                });
            add(
                "cancel", "Cancel 300 ms into the records: click to end of run", "", 100,
                [this, s] { return cancelDuringRun(target(s), selectQuery(), 300, CancelPoint::GridRows); },
                "ms");
            p.back().expected = -1; // a small run ends before the click
            add(
                "cancel-execute", "Cancel 300 ms into an endless execute: click to end of run", "", 100,
                [this, s] { return cancelDuringRun(target(s), endlessQuery(s), 300, CancelPoint::Execute); },
                "ms");
            p.back().expected = 0;
            add(
                "cancel-text", "Cancel 300 ms into the plain-text fill: click to end of run", "", 100,
                [this, s] { return cancelDuringRun(target(s), selectQuery(), 300, CancelPoint::TextLines); },
                "ms");
            p.back().expected = -1;
            add("text-build", "building the plain text (query::fillPlainText)", rawOf, 1.5,
                [this, s] { return buildPlainText(target(s), selectQuery(), o_.check); });
            add("run-text", "whole run into the plain-text box, Run to the box showing it", rawOf, 1.5,
                [this, s] { return runIntoText(target(s), selectQuery(), o_.check); });
            if (lite) {
                add(
                    "text-memory", "peak memory of a run into the plain-text box per byte of its text", "",
                    1.5, [this] { return textMemory(); }, "x");
                p.back().expected = -1;
            }
            add("run-file", "whole run in Data Output to File mode", rawFileOf, lite ? 0 : 1.1,
                [this, s, engine] {
                    return runIntoFile(target(s), selectQuery(), outputFile(engine + "-run-file"), o_.check);
                });
            // The same output as the engine's own client writes it: MariaDB's is to be matched.
            if (std::any_of(p.begin(), p.end(), [&](const Path& q) { return q.name == engine + "-peer"; })) {
                p.back().peer = engine + "-peer";
                p.back().peerTarget = lite ? 0 : 1.0;
            }
            add(
                "cancel-file", "Cancel 300 ms into Data Output to File: click to end of run", "", 100,
                [this, s, engine] {
                    return cancelDuringRun(target(s), selectQuery(), 300, CancelPoint::FileBytes,
                                           outputFile(engine + "-cancel-file"));
                },
                "ms");
            p.back().expected = -1;
            add(
                "file-memory", "peak memory of a run in Data Output to File mode beyond the idle size", "",
                50, [this, s] { return fileMemory(s); }, "MB");
            p.back().expected = -1;
            add("export-data", "ExportData from the filled grid", rawFileOf, lite ? 0 : 1.1,
                [this, s, engine] {
                    return exportData(target(s), selectQuery(), outputFile(engine + "-export-data"),
                                      o_.check);
                });
            if (lite)
                add("clipboard", "whole-grid clipboard text (Export Data to Clipboard)", raw, 0,
                    [this, s] { return clipboardText(target(s), selectQuery(), o_.check); });
        }
        // The SQL Server tools on the data set in two databases of one server, through FreeTDS;
        // the baseline reads both databases with the raw ODBC loop.
        p.push_back({"sqlserver-raw",
                     "ODBC loop through FreeTDS, both databases one after the other, no output",
                     Source::SqlServer,
                     "",
                     0,
                     "s",
                     [this] { return sqlServerRaw(); },
                     2 * o_.rows,
                     {},
                     0});
        p.push_back({"sqlserver-compare",
                     "tools window Compare of the table in both databases",
                     Source::SqlServer,
                     "sqlserver-raw",
                     2.0,
                     "s",
                     [this] { return compareTables(sides()); },
                     -1,
                     {},
                     0});
        p.push_back({"sqlserver-find",
                     "tools window Find All of a text no row holds, in one database",
                     Source::SqlServer,
                     "sqlserver-raw",
                     2.0,
                     "s",
                     [this] { return findNothing(sides()); },
                     -1,
                     {},
                     0});
        // Typing into a 1 MB query box, kept with the profile as typed and not kept.
        p.push_back({"typing",
                     "typing 100 keys into a 1 MB query box, not kept",
                     Source::Sqlite,
                     "",
                     0,
                     "s",
                     [] { return typeIntoQueryBox(false, 100, 1 << 20); },
                     100,
                     {},
                     0});
        p.push_back({"typing-kept",
                     "the same typing kept with the profile (Check1), handed to the keeper's thread",
                     Source::Sqlite,
                     "typing",
                     2.0,
                     "s",
                     [] { return typeIntoQueryBox(true, 100, 1 << 20); },
                     100,
                     {},
                     0});
        p.push_back({"startup",
                     "program start to main window shown (offscreen)",
                     Source::Sqlite,
                     "",
                     0,
                     "ms",
                     [this] { return startup(QCoreApplication::applicationFilePath(), o_.data); },
                     1,
                     {},
                     0});
        return p;
    }

    // A statement that keeps the engine busy before its first row until it is cancelled.
    static std::string endlessQuery(Source source)
    {
        return source == Source::Sqlite
                   ? "with recursive c(i) as (select 1 union all select i + 1 from c) select count(*) from c"
                   : "select sleep(3600)";
    }

    // Starts the SQL Server test server with the SQLite file as the databases "bench1" and
    // "bench2"; returns why it did not start, or nothing.
    std::string startSqlServer()
    {
        const QJsonObject file{{"bench1", QString::fromStdString(sqlitePath_)},
                               {"bench2", QString::fromStdString(sqlitePath_)}};
        sqlServer_ = std::make_unique<qvtest::TdsServer>(QJsonObject{{"databases", file}});
        return sqlServer_->started() ? std::string() : sqlServer_->error().toStdString();
    }

    // The child process of the plain-text memory path.
    void textMemoryProbe() { bench::textMemoryProbe(target(Source::Sqlite), selectQuery()); }

    void prepare(bool sqlite, bool mariaDb)
    {
        std::filesystem::create_directories(o_.data);
        if (sqlite) {
            const auto start = Clock::now();
            if (ensureSqlite(sqlitePath_, o_.rows))
                std::printf("generated %s in %.1f s\n", sqlitePath_.c_str(), secondsSince(start));
        }
        if (mariaDb) {
            const auto start = Clock::now();
            OdbcConnection connection(mariaDb_->rawConnectionString());
            if (ensureMariaDb(connection, o_.rows))
                std::printf("loaded %lld rows into MariaDB in %.1f s\n", static_cast<long long>(o_.rows),
                            secondsSince(start));
        }
        std::fflush(stdout);
    }

    // The child process of the memory path: one fill of a fresh grid, nothing else before it.
    void memoryProbe()
    {
        ui::MSFlexGrid grid;
        grid.resize(1000, 700);
        grid.show();
        QApplication::processEvents();
        auto connection = openLayer(Source::Sqlite);
        malloc_trim(0);
        const std::size_t before = residentBytes();
        {
            db::Recordset result = connection->Execute(QString::fromStdString(selectQuery()));
            gridFill(result, grid);
        }
        connection->Close();
        QApplication::processEvents();
        malloc_trim(0);
        const std::size_t after = residentBytes();
        const ui::GridCellStore& store = grid.cellStore();
        std::printf("growth %zu text %zu cells %lld store-overhead %zu\n", after - before, store.textBytes(),
                    static_cast<long long>(store.rows()) * store.cols(), store.overheadBytes());
    }

    // The child process of the file-memory path: one run in Data Output to File mode; prints the
    // peak resident memory beyond the size before the run.
    void fileMemoryProbe(Source source)
    {
        prepareWindows(o_.data + "/windows-probe");
        const std::size_t before = residentBytes();
        std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts again from here
        runIntoFile(target(source), selectQuery(), outputFile("file-memory"), false);
        std::printf("growth %zu\n", peakResidentBytes() - before);
    }

    Outcome fileMemory(Source source)
    {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--file-memory-probe"),
                     QString::fromLatin1(source == Source::Sqlite ? "sqlite" : "mariadb"),
                     QStringLiteral("--rows"), QString::number(o_.rows), QStringLiteral("--data"),
                     QString::fromStdString(o_.data)});
        if (!child.waitForFinished(-1) || child.exitCode() != 0)
            throw std::runtime_error("the file memory probe failed");
        std::istringstream in(child.readAllStandardOutput().toStdString());
        std::string word;
        double growth = 0;
        in >> word >> growth;
        Outcome out;
        out.value = growth / (1024 * 1024);
        return out;
    }

private:
    std::string outputFile(const std::string& name) const { return o_.data + "/" + name + ".txt"; }

    // Times loop(sink) with a NullSink, or with a LineDigest in check mode.
    template <class Loop> Outcome readIntoNothing(Loop loop) const
    {
        Outcome out;
        if (o_.check) {
            LineDigest digest;
            out.count = loop(digest);
            out.digest = digest.value();
            return out;
        }
        NullSink sink;
        const Stopwatch watch;
        out.count = loop(sink);
        watch.stop(out.value, out.cpu);
        if (sink.bytes == 0)
            std::fprintf(stderr, "warning: no text read\n");
        return out;
    }

    // Times loop(writer) into a file; the file's digest in check mode.
    template <class Loop> Outcome readIntoFile(const std::string& file, Loop loop) const
    {
        Outcome out;
        const Stopwatch watch;
        LineWriter writer(file);
        out.count = loop(writer);
        writer.close();
        watch.stop(out.value, out.cpu);
        if (o_.check)
            out.digest = fileDigest(file);
        return out;
    }

    Outcome sqliteRaw(bool toFile)
    {
        sqlite3* raw = nullptr;
        if (sqlite3_open_v2(sqlitePath_.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            sqlite3_close_v2(raw);
            throw std::runtime_error("cannot open " + sqlitePath_);
        }
        std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close_v2);
        auto loop = [&](auto& sink) { return sqliteRawLoop(raw, selectQuery(), sink); };
        return toFile ? readIntoFile(outputFile("sqlite-raw"), loop) : readIntoNothing(loop);
    }

    Outcome mariaDbNativeRaw(bool toFile)
    {
        std::unique_ptr<MYSQL, void (*)(MYSQL*)> my(mysql_init(nullptr), mysql_close);
        mysql_options(my.get(), MYSQL_SET_CHARSET_NAME, "utf8mb4");
        if (!mysql_real_connect(my.get(), "127.0.0.1", mariaDb_->user.c_str(), mariaDb_->password.c_str(),
                                mariaDb_->database.c_str(), unsigned(std::stoul(mariaDb_->port)), nullptr, 0))
            throw std::runtime_error(std::string("MariaDB: ") + mysql_error(my.get()));
        auto loop = [&](auto& sink) { return mysqlRawLoop(my.get(), selectQuery(), sink); };
        return toFile ? readIntoFile(outputFile("mariadb-native-raw"), loop) : readIntoNothing(loop);
    }

    ToolsSides sides() const
    {
        const qvtest::TdsEndpoint& e = sqlServer_->endpoint();
        return {e.location(), e.user, e.password, QStringLiteral("bench1"), QStringLiteral("bench2")};
    }

    // Both databases read with the statement the compare sends, each on a connection of its own.
    Outcome sqlServerRaw()
    {
        const qvtest::TdsEndpoint& e = sqlServer_->endpoint();
        return readIntoNothing([&](auto& sink) {
            std::int64_t rows = 0;
            for (const char* database : {"bench1", "bench2"}) {
                OdbcConnection connection("Driver={FreeTDS};Server=127.0.0.1;Port=" + std::to_string(e.port) +
                                          ";Database=" + database + ";UID=" + e.user.toStdString() + ";PWD=" +
                                          e.password.toStdString() + ";TDS_Version=7.4;ClientCharset=UTF-8");
                rows += odbcRawLoop(connection, std::string("select * from ") + toolsTable, sink);
            }
            return rows;
        });
    }

    Outcome mariaDbRaw(bool toFile)
    {
        OdbcConnection connection(mariaDb_->rawConnectionString());
        auto loop = [&](auto& sink) { return odbcRawLoop(connection, selectQuery(), sink); };
        return toFile ? readIntoFile(outputFile("mariadb-raw"), loop) : readIntoNothing(loop);
    }

    // The engines' own clients, as a user runs them for a file of the result.
    static std::string sqlite3Version()
    {
        const std::string line = versionLine({"sqlite3", "-version"});
        return line.substr(0, line.find(' '));
    }
    static std::string mariaDbVersion()
    {
        const std::string line = versionLine({"mariadb", "--version"});
        const std::size_t at = line.find("Distrib ");
        return at == std::string::npos ? line : line.substr(at + 8, line.find(',', at) - at - 8);
    }

    Outcome sqlitePeer()
    {
        const std::string file = outputFile("sqlite-peer");
        Outcome out = runPeer({"sqlite3", "-separator", "|", sqlitePath_, selectQuery()}, file);
        if (o_.check) {
            out.count = lineCount(file);
            out.digest = fileDigest(file);
        }
        return out;
    }

    Outcome mariaDbPeer()
    {
        const std::string file = outputFile("mariadb-peer");
        Outcome out = runPeer({"mariadb", "--no-defaults", "--batch", "--quick", "-h", "127.0.0.1", "-P",
                               mariaDb_->port, "-u", mariaDb_->user, mariaDb_->database, "-e", selectQuery()},
                              file, {"MYSQL_PWD=" + mariaDb_->password});
        // Tab-separated with a line of names, NULL spelt out: only its records are counted.
        if (o_.check)
            out.count = lineCount(file) - 1;
        return out;
    }

    // The main window's fields for the data set in one engine.
    Target target(Source source) const
    {
        if (source == Source::MariaDb)
            return mariaDb_->target();
        Target t;
        t.type = QStringLiteral("SQLite");
        t.location = QString::fromStdString(sqlitePath_);
        return t;
    }

    // A connection opened as a run opens it.
    std::unique_ptr<db::Connection> openLayer(Source source) const
    {
        auto connection = std::make_unique<db::Connection>();
        query::connectionSettings(target(source)).applyTo(*connection);
        connection->Open();
        return connection;
    }

    // Runs `path` with window events let through only once an hour.
    template <class Run> static Outcome withoutPump(Run path)
    {
        const auto slice = ui::EventPump::defaultSlice();
        ui::EventPump::setDefaultSlice(std::chrono::hours(1));
        try {
            Outcome out = path();
            ui::EventPump::setDefaultSlice(slice);
            return out;
        } catch (...) {
            ui::EventPump::setDefaultSlice(slice);
            throw;
        }
    }

    Outcome layer(Source source)
    {
        auto connection = openLayer(source);
        return readIntoNothing([&](auto& sink) {
            db::Recordset result = connection->Execute(QString::fromStdString(selectQuery()));
            return layerRead(result, sink);
        });
    }

    Outcome grid(Source source)
    {
        auto connection = openLayer(source);
        auto view = std::make_unique<ui::MSFlexGrid>();
        view->resize(1000, 700);
        view->show();
        QApplication::processEvents();
        Outcome out;
        const Stopwatch watch;
        {
            db::Recordset result = connection->Execute(QString::fromStdString(selectQuery()));
            out.count = gridFill(result, *view);
        }
        watch.stop(out.value, out.cpu);
        if (o_.check) {
            LineDigest digest;
            digestGrid(*view, digest);
            out.digest = digest.value();
        }
        return out;
    }

    Outcome gridMemory()
    {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--memory-probe"), QStringLiteral("--rows"), QString::number(o_.rows),
                     QStringLiteral("--data"), QString::fromStdString(o_.data)});
        if (!child.waitForFinished(-1) || child.exitCode() != 0)
            throw std::runtime_error("the memory probe failed");
        std::istringstream in(child.readAllStandardOutput().toStdString());
        std::string word;
        std::map<std::string, double> figures;
        while (in >> word) {
            double v = 0;
            in >> v;
            figures[word] = v;
        }
        Outcome out;
        out.count = std::int64_t(figures["cells"]);
        if (out.count > 0)
            out.value = (figures["growth"] - figures["text"]) / figures["cells"];
        storeOverheadPerCell_ = out.count > 0 ? figures["store-overhead"] / figures["cells"] : 0;
        return out;
    }

    // The peak resident memory a run into the plain-text box adds, per byte of the text shown,
    // measured in a fresh child process.
    Outcome textMemory()
    {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--text-memory-probe"), QStringLiteral("--rows"),
                     QString::number(o_.rows), QStringLiteral("--data"), QString::fromStdString(o_.data)});
        if (!child.waitForFinished(-1) || child.exitCode() != 0)
            throw std::runtime_error("the plain-text memory probe failed");
        std::istringstream in(child.readAllStandardOutput().toStdString());
        std::map<std::string, double> figures;
        for (std::string word; in >> word;)
            in >> figures[word];
        Outcome out;
        out.count = o_.rows;
        if (figures["text"] > 0)
            out.value = figures["peak"] / figures["text"];
        return out;
    }

public:
    double storeOverheadPerCell() const { return storeOverheadPerCell_; }

private:
    const Options& o_;
    std::optional<MariaDb> mariaDb_;
    std::string sqlitePath_;
    std::unique_ptr<qvtest::TdsServer> sqlServer_;
    double storeOverheadPerCell_ = 0;
};

// --- choosing, running, reporting ---

bool chosen(const Path& path, const std::vector<std::string>& wanted)
{
    if (wanted.empty())
        return true;
    for (const std::string& w : wanted)
        if (path.name == w || (w.find('-') == std::string::npos && path.name.rfind(w + "-", 0) == 0))
            return true;
    return false;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string figure(double value, const std::string& unit)
{
    char text[64];
    std::snprintf(text, sizeof(text), unit == "s" ? "%.3f %s" : "%.1f %s", value, unit.c_str());
    return text;
}

constexpr int kJudgedReps = 5;
constexpr double kJudgedSpread = 0.25;

// The repetitions of one path. A repetition without a figure (NaN: a Cancel that came after
// the run had ended) is left out of the median and the spread.
struct Measured
{
    const Path* path;
    std::vector<Outcome> outcomes;

    std::vector<double> values(double Outcome::*field) const
    {
        std::vector<double> v;
        for (const Outcome& o : outcomes)
            if (!std::isnan(o.value))
                v.push_back(o.*field);
        return v;
    }
    int counted() const { return int(values(&Outcome::value).size()); }
    double medianOf(double Outcome::*field) const
    {
        const std::vector<double> v = values(field);
        return v.empty() ? std::nan("") : median(v);
    }

    // (max - min) / median of the wall figures: how far apart the repetitions lie.
    double spread() const
    {
        const std::vector<double> v = values(&Outcome::value);
        if (v.empty())
            return 0;
        const auto [low, high] = std::minmax_element(v.begin(), v.end());
        const double mid = median(v);
        return mid > 0 ? (*high - *low) / mid : 0;
    }

    std::string range() const
    {
        const std::vector<double> v = values(&Outcome::value);
        if (v.empty())
            return "";
        const auto [low, high] = std::minmax_element(v.begin(), v.end());
        return figure(*low, path->unit) + " - " + figure(*high, path->unit);
    }
};

std::string ratioText(double ratio)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.2f", ratio);
    return text;
}

// One line per path, and a second for a path compared with a peer: median wall and CPU
// time, and for a path with a baseline both ratios; the verdict goes by the wall-clock ratio
// (by the value itself for a path without a baseline).
void printTable(const Options& o, const std::vector<Measured>& results)
{
    std::map<std::string, const Measured*> byName;
    for (const Measured& m : results)
        byName[m.path->name] = &m;
    std::printf(
        "\n%lld rows x %d columns, median of %d after one warm-up pass, paths in a shuffled order\n\n",
        static_cast<long long>(o.rows), columnCount, o.reps);
    std::printf("| path | what | wall | min - max | cpu | vs | wall ratio | cpu ratio | target | |\n"
                "|---|---|---|---|---|---|---|---|---|---|\n");
    auto row = [&](const Measured& m, const std::string& baseline, double targetRatio) {
        const Path& p = *m.path;
        const double wall = m.medianOf(&Outcome::value);
        const double cpu = m.medianOf(&Outcome::cpu);
        if (std::isnan(wall)) {
            std::printf("| %s | %s | | | | | | | | the run ended before Cancel in every repetition |\n",
                        p.name.c_str(), p.label.c_str());
            return;
        }
        std::string vs, wallRatio, cpuRatio, target, verdict;
        double judged = wall;
        const auto base = byName.find(baseline);
        if (base != byName.end()) {
            vs = baseline;
            judged = wall / base->second->medianOf(&Outcome::value);
            wallRatio = ratioText(judged);
            cpuRatio = ratioText(cpu / base->second->medianOf(&Outcome::cpu));
        }
        if (targetRatio > 0 && (baseline.empty() || !vs.empty())) {
            target = "<= " + ratioText(targetRatio) + (baseline.empty() ? " " + p.unit : "");
            verdict = judged <= targetRatio ? "met" : "MISSED";
            // A target is judged on the median of at least 5 repetitions whose figures, and
            // those of the baseline, lie within a quarter of the median of each other.
            const double spread = std::max(m.spread(), vs.empty() ? 0.0 : base->second->spread());
            if (m.counted() < kJudgedReps)
                verdict += " (too few repetitions to judge: " + std::to_string(m.counted()) + ")";
            else if (spread > kJudgedSpread)
                verdict += " (spread too wide to judge: " + ratioText(100 * spread) + " %)";
        }
        std::printf("| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n", p.name.c_str(), p.label.c_str(),
                    figure(wall, p.unit).c_str(), m.range().c_str(),
                    p.unit == "s" ? figure(cpu, p.unit).c_str() : "", vs.c_str(), wallRatio.c_str(),
                    cpuRatio.c_str(), target.c_str(), verdict.c_str());
    };
    for (const Measured& m : results) {
        row(m, m.path->baseline, m.path->target);
        if (byName.count(m.path->peer))
            row(m, m.path->peer, m.path->peerTarget);
    }

    // Figures that follow from two paths.
    auto median = [&](const std::string& name, double Outcome::*field) {
        const auto it = byName.find(name);
        return it == byName.end() ? -1.0 : it->second->medianOf(field);
    };
    auto wall = [&](const std::string& name) { return median(name, &Outcome::value); };
    for (const std::string engine : {"sqlite", "mariadb"}) {
        const double run = wall(engine + "-run-grid"), unpumped = wall(engine + "-run-grid-nopump");
        // On a busy machine the wall clock says little about a share of a few per cent; the
        // CPU time of this process says more.
        const double runCpu = median(engine + "-run-grid", &Outcome::cpu),
                     unpumpedCpu = median(engine + "-run-grid-nopump", &Outcome::cpu);
        if (run > 0 && unpumped > 0)
            std::printf("\n%s: the event pump takes %.1f %% of a run into the grid, %.1f %% of its CPU time "
                        "(target < 5 %%)",
                        engine.c_str(), 100 * (run - unpumped) / run, 100 * (runCpu - unpumpedCpu) / runCpu);
        const double text = wall(engine + "-run-text"), built = wall(engine + "-text-build");
        if (text > 0 && built > 0)
            std::printf("\n%s: the plain-text box takes the text in about %.3f s (whole run %.3f s, building "
                        "%.3f s)",
                        engine.c_str(), text - built, text, built);
    }
    std::printf("\n");
}

// Check mode: every path read every record, and every path of one source read the same text.
bool verify(const std::vector<Measured>& results)
{
    bool ok = true;
    std::map<Source, std::pair<std::string, std::uint64_t>> reference;
    for (const Measured& m : results) {
        const Path& p = *m.path;
        const Outcome& out = m.outcomes.front();
        const std::int64_t expected = p.expected;
        std::string problem;
        if (expected >= 0 && out.count != expected)
            problem = "read " + std::to_string(out.count) + ", expected " + std::to_string(expected);
        if (out.digest) {
            auto [it, first] = reference.try_emplace(p.source, p.name, *out.digest);
            if (!first && it->second.second != *out.digest)
                problem +=
                    (problem.empty() ? "" : "; ") + std::string("its text differs from ") + it->second.first;
        }
        char digest[32] = "";
        if (out.digest)
            std::snprintf(digest, sizeof(digest), "%016llx", static_cast<unsigned long long>(*out.digest));
        std::printf("%-6s %-24s %10lld %s %s\n", problem.empty() ? "ok" : "FAILED", p.name.c_str(),
                    static_cast<long long>(out.count), digest, problem.c_str());
        ok = ok && problem.empty();
    }
    return ok;
}

int run(const Options& o)
{
    const bool ci = std::getenv("CI") && std::string(std::getenv("CI")) == "true";
    std::optional<MariaDb> mariaDb = mariaDbFromEnvironment();
    Bench bench(o, mariaDb);
    const std::vector<Path> all = bench.paths();
    if (o.list) {
        for (const Path& p : all)
            std::printf("%-20s %s\n", p.name.c_str(), p.label.c_str());
        return 0;
    }

    // The chosen paths and their baselines, in table order.
    std::vector<const Path*> paths;
    for (const Path& p : all) {
        bool wanted = chosen(p, o.paths);
        for (const Path& q : all)
            wanted = wanted || ((q.baseline == p.name || q.peer == p.name) && chosen(q, o.paths));
        if (wanted)
            paths.push_back(&p);
    }
    const bool wantsMariaDb =
        std::any_of(paths.begin(), paths.end(), [](const Path* p) { return p->source == Source::MariaDb; });
    if (wantsMariaDb && !mariaDb) {
        std::printf(
            "MariaDB paths skipped: QUORVANE_MARIADB_PORT is not set (bench/run.sh starts a server)\n");
        if (o.check && ci) {
            std::printf("FAILED: CI=true and no MariaDB server\n");
            return 1;
        }
        std::erase_if(paths, [](const Path* p) { return p->source == Source::MariaDb; });
    }
    const auto reads = [&](Source source) {
        return std::any_of(paths.begin(), paths.end(), [&](const Path* p) { return p->source == source; });
    };
    if (reads(Source::SqlServer)) {
        const std::string why = bench.startSqlServer();
        if (!why.empty()) {
            std::printf("SQL Server paths skipped: %s\n", why.c_str());
            if (o.check && ci) {
                std::printf("FAILED: CI=true and no SQL Server test server\n");
                return 1;
            }
            std::erase_if(paths, [](const Path* p) { return p->source == Source::SqlServer; });
        }
    }
    if (paths.empty()) {
        std::fprintf(stderr, "no path chosen (see --list)\n");
        return 2;
    }
    bench.prepare(reads(Source::Sqlite) || reads(Source::SqlServer), reads(Source::MariaDb));
    prepareWindows(o.data + "/windows");
    if (o.pumpSliceMs > 0)
        ui::EventPump::setDefaultSlice(std::chrono::milliseconds(o.pumpSliceMs));

    std::vector<Measured> results;
    for (const Path* p : paths)
        results.push_back({p, {}});
    const int reps = o.check ? 1 : o.reps;
    // One pass of every path first, not counted: otherwise the first path of a repetition pays
    // for cold caches, a cold server and the first allocations, and its baseline looks slow.
    if (!o.check)
        for (Measured& m : results)
            m.path->run();
    // Each repetition runs the paths in a new order, so that no path always follows another.
    std::vector<Measured*> order;
    for (Measured& m : results)
        order.push_back(&m);
    std::mt19937 shuffler(std::random_device{}());
    for (int rep = 0; rep < reps; ++rep) {
        if (!o.check)
            std::shuffle(order.begin(), order.end(), shuffler);
        for (Measured* m : order) {
            const Outcome out = m->path->run();
            m->outcomes.push_back(out);
            if (!o.check)
                std::fprintf(stderr, "rep %d %-20s %s (cpu %s)\n", rep + 1, m->path->name.c_str(),
                             figure(out.value, m->path->unit).c_str(), figure(out.cpu, "s").c_str());
        }
    }
    if (o.check) {
        const bool ok = verify(results);
        std::printf(ok ? "check passed\n" : "check FAILED\n");
        return ok ? 0 : 1;
    }
    printTable(o, results);
    if (bench.storeOverheadPerCell() > 0)
        std::printf("\ngrid store's own count: %.1f B/cell beyond the text\n", bench.storeOverheadPerCell());
    return 0;
}

} // namespace
} // namespace bench

namespace {

QtMessageHandler qtMessages = nullptr;

// The offscreen platform's notes on what it cannot do are no news in a benchmark.
void quietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("propagateSizeHints")) ||
        message.contains(QLatin1String("XDG_RUNTIME_DIR")))
        return;
    if (qtMessages)
        qtMessages(type, context, message);
}

} // namespace

int main(int argc, char** argv)
{
    qtMessages = qInstallMessageHandler(quietMessages);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Where the SQL Server test server's script is found.
    setenv("QUORVANE_SOURCE_DIR", QUORVANE_BENCH_SOURCE_DIR, 0);
    QApplication app(argc, argv);
    try {
        const bench::Options options = bench::parseOptions(QApplication::arguments());
        if (options.startupProbe)
            return bench::startupProbe();
        if (!options.fileMemoryProbe.empty()) {
            bench::Bench(options, bench::mariaDbFromEnvironment())
                .fileMemoryProbe(options.fileMemoryProbe == "sqlite" ? bench::Source::Sqlite
                                                                     : bench::Source::MariaDb);
            return 0;
        }
        if (options.memoryProbe) {
            bench::Bench(options, std::nullopt).memoryProbe();
            return 0;
        }
        if (options.textMemoryProbe) {
            bench::prepareWindows(options.data + "/windows-probe");
            bench::Bench(options, std::nullopt).textMemoryProbe();
            return 0;
        }
        return bench::run(options);
    } catch (const std::invalid_argument& e) {
        if (*e.what())
            std::fprintf(stderr, "%s\n", e.what());
        std::fprintf(stderr, "%s", bench::usage);
        return 2;
    } catch (const db::Error& e) {
        std::fprintf(stderr, "quorvane_bench: %d %s\n", e.number, qPrintable(e.description));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvane_bench: %s\n", e.what());
    }
    return 1;
}
