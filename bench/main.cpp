// quorvane_bench: times the raw reading loops of the engines and Quorvane's own paths on the
// same data, in one run, and prints the median of each with its ratio to its baseline.
// --check runs each path once on the data and verifies what it read instead of timing it.

#include "bench/DataSet.h"
#include "bench/Odbc.h"
#include "bench/QuorvanePaths.h"
#include "bench/RawLoops.h"
#include "bench/Sinks.h"
#include "query/db/Connection.h"
#include "query/db/Error.h"
#include "ui/MSFlexGrid.h"

#include <QApplication>
#include <QProcess>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <malloc.h>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// CPU seconds of this process so far: on a busy machine a steadier figure than the wall clock
// (it leaves out the server's share of a MariaDB read).
double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Wall and CPU seconds from construction to stop().
class Stopwatch
{
public:
    void stop(double& wall, double& cpu) const
    {
        wall = secondsSince(wall_);
        cpu = cpuSeconds() - cpu_;
    }

private:
    Clock::time_point wall_ = Clock::now();
    double cpu_ = cpuSeconds();
};

const char usage[] = R"(usage: quorvane_bench [options]
  --rows N        records in the data set (default 1000000)
  --reps N        repetitions of each path; the table shows their median (default 5)
  --paths LIST    comma-separated path names, or a prefix such as "sqlite" or "mariadb"
                  (default: every path); the baselines of the chosen paths always run
  --data DIR      folder for the SQLite file and the output files (default /tmp/quorvane-bench)
  --check         run each path once and verify row counts and digests; no timing
  --list          list the paths and exit
MariaDB paths need QUORVANE_MARIADB_PORT, _USER and _PASSWORD (the test services' server),
QUORVANE_MARIADB_DATABASE (default quorvane) and ODBCSYSINI naming the "MariaDB Unicode" driver.
)";

struct Options
{
    std::int64_t rows = 1000000;
    int reps = 5;
    std::string data = "/tmp/quorvane-bench";
    std::vector<std::string> paths;
    bool check = false;
    bool list = false;
    bool memoryProbe = false; // internal: the child process that measures the grid's memory
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
        else if (arg == "--check")
            o.check = true;
        else if (arg == "--list")
            o.list = true;
        else if (arg == "--memory-probe")
            o.memoryProbe = true;
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
    // As the program builds it for the MySql type; the provider map picks the driver.
    QString layerConnectionString() const
    {
        return QString::fromStdString("Driver={MySql};Server=127.0.0.1;Port=" + port +
                                      ";Database=" + database + ";UID=" + user + ";PWD=" + password);
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

enum class Source { Sqlite, MariaDb };

struct Outcome
{
    double value = 0;                    // wall seconds, or bytes per cell
    double cpu = 0;                      // CPU seconds of this process
    std::int64_t count = 0;              // records read (cells for the memory path)
    std::optional<std::uint64_t> digest; // check mode: the digest of what the path read
};

struct Path
{
    std::string name;
    std::string label;
    Source source;
    std::string baseline; // the path this one is compared with; empty for none
    double target = 0;    // the highest ratio (or value, for bytes per cell) allowed; 0: none
    std::string unit = "s";
    std::function<Outcome()> run;
};

std::size_t residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * std::size_t(sysconf(_SC_PAGESIZE));
}

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
        p.push_back({"sqlite-raw", "sqlite3 C API loop, step + column_text, no output", Source::Sqlite, "", 0,
                     "s", [this] { return sqliteRaw(false); }});
        p.push_back({"sqlite-raw-file", "sqlite3 C API loop writing pipe-separated lines to a file",
                     Source::Sqlite, "sqlite-raw", 0, "s", [this] { return sqliteRaw(true); }});
        p.push_back({"sqlite-layer", "Quorvane layer forward read (Recordset + cellUtf8), SQLite",
                     Source::Sqlite, "sqlite-raw", 1.15, "s", [this] { return layer(Source::Sqlite); }});
        p.push_back({"sqlite-grid", "Quorvane grid store fill from the layer, SQLite", Source::Sqlite,
                     "sqlite-raw", 1.5, "s", [this] { return grid(Source::Sqlite); }});
        p.push_back({"sqlite-grid-memory", "grid memory per cell beyond the text (RSS growth)",
                     Source::Sqlite, "", 24, "B/cell", [this] { return gridMemory(); }});
        p.push_back({"mariadb-raw", "ODBC to MariaDB, bound as text, 1000-row arrays, no output",
                     Source::MariaDb, "", 0, "s", [this] { return mariaDbRaw(false); }});
        p.push_back({"mariadb-raw-file", "same ODBC loop writing pipe-separated lines to a file",
                     Source::MariaDb, "mariadb-raw", 0, "s", [this] { return mariaDbRaw(true); }});
        p.push_back({"mariadb-layer", "Quorvane layer forward read (Recordset + cellUtf8), MariaDB",
                     Source::MariaDb, "mariadb-raw", 1.10, "s", [this] { return layer(Source::MariaDb); }});
        p.push_back({"mariadb-grid", "Quorvane grid store fill from the layer, MariaDB", Source::MariaDb,
                     "mariadb-raw", 1.5, "s", [this] { return grid(Source::MariaDb); }});
        return p;
    }

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

    Outcome mariaDbRaw(bool toFile)
    {
        OdbcConnection connection(mariaDb_->rawConnectionString());
        auto loop = [&](auto& sink) { return odbcRawLoop(connection, selectQuery(), sink); };
        return toFile ? readIntoFile(outputFile("mariadb-raw"), loop) : readIntoNothing(loop);
    }

    std::unique_ptr<db::Connection> openLayer(Source source) const
    {
        auto connection = std::make_unique<db::Connection>();
        connection->Open(source == Source::Sqlite ? QStringLiteral("Provider=SQLite;Data Source=") +
                                                        QString::fromStdString(sqlitePath_)
                                                  : mariaDb_->layerConnectionString());
        return connection;
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

public:
    double storeOverheadPerCell() const { return storeOverheadPerCell_; }

private:
    const Options& o_;
    std::optional<MariaDb> mariaDb_;
    std::string sqlitePath_;
    double storeOverheadPerCell_ = 0;
};

// --- choosing, running, reporting ---

bool chosen(const Path& path, const std::vector<std::string>& wanted)
{
    if (wanted.empty())
        return true;
    for (const std::string& w : wanted)
        if (path.name == w || (path.name.rfind(w + "-", 0) == 0))
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

struct Measured
{
    const Path* path;
    std::vector<Outcome> outcomes;

    double medianOf(double Outcome::*field) const
    {
        std::vector<double> values;
        for (const Outcome& o : outcomes)
            values.push_back(o.*field);
        return median(values);
    }
};

std::string ratioText(double ratio)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.2f", ratio);
    return text;
}

// One line per path: median wall and CPU time, and for a path with a baseline both ratios;
// the verdict goes by the wall-clock ratio (by the value itself for bytes per cell).
void printTable(const Options& o, const std::vector<Measured>& results)
{
    std::map<std::string, const Measured*> byName;
    for (const Measured& m : results)
        byName[m.path->name] = &m;
    std::printf("\n%lld rows x %d columns, median of %d\n\n", static_cast<long long>(o.rows), columnCount,
                o.reps);
    std::printf("| path | what | wall | cpu | vs | wall ratio | cpu ratio | target | |\n"
                "|---|---|---|---|---|---|---|---|---|\n");
    for (const Measured& m : results) {
        const Path& p = *m.path;
        const double wall = m.medianOf(&Outcome::value);
        const double cpu = m.medianOf(&Outcome::cpu);
        std::string vs, wallRatio, cpuRatio, target, verdict;
        double judged = wall;
        const auto base = byName.find(p.baseline);
        if (base != byName.end()) {
            vs = p.baseline;
            judged = wall / base->second->medianOf(&Outcome::value);
            wallRatio = ratioText(judged);
            cpuRatio = ratioText(cpu / base->second->medianOf(&Outcome::cpu));
        }
        if (p.target > 0 && (p.baseline.empty() || !vs.empty())) {
            target = "<= " + ratioText(p.target) + (p.baseline.empty() ? " " + p.unit : "");
            verdict = judged <= p.target ? "met" : "MISSED";
        }
        std::printf("| %s | %s | %s | %s | %s | %s | %s | %s | %s |\n", p.name.c_str(), p.label.c_str(),
                    figure(wall, p.unit).c_str(), p.unit == "s" ? figure(cpu, p.unit).c_str() : "",
                    vs.c_str(), wallRatio.c_str(), cpuRatio.c_str(), target.c_str(), verdict.c_str());
    }
}

// Check mode: every path read every record, and every path of one source read the same text.
bool verify(const Options& o, const std::vector<Measured>& results)
{
    bool ok = true;
    std::map<Source, std::pair<std::string, std::uint64_t>> reference;
    for (const Measured& m : results) {
        const Path& p = *m.path;
        const Outcome& out = m.outcomes.front();
        const std::int64_t expected =
            p.unit == "s" ? o.rows : (o.rows + 1) * (columnCount + ui::MSFlexGrid::firstFieldCol);
        std::string problem;
        if (out.count != expected)
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
        std::printf("%-6s %-20s %10lld %s %s\n", problem.empty() ? "ok" : "FAILED", p.name.c_str(),
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
            wanted = wanted || (q.baseline == p.name && chosen(q, o.paths));
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
    if (paths.empty()) {
        std::fprintf(stderr, "no path chosen (see --list)\n");
        return 2;
    }
    bench.prepare(
        std::any_of(paths.begin(), paths.end(), [](const Path* p) { return p->source == Source::Sqlite; }),
        wantsMariaDb && mariaDb);

    std::vector<Measured> results;
    for (const Path* p : paths)
        results.push_back({p, {}});
    const int reps = o.check ? 1 : o.reps;
    for (int rep = 0; rep < reps; ++rep) {
        for (Measured& m : results) {
            const Outcome out = m.path->run();
            m.outcomes.push_back(out);
            if (!o.check)
                std::fprintf(stderr, "rep %d %-20s %s (cpu %s)\n", rep + 1, m.path->name.c_str(),
                             figure(out.value, m.path->unit).c_str(), figure(out.cpu, "s").c_str());
        }
    }
    if (o.check) {
        const bool ok = verify(o, results);
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

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    try {
        const bench::Options options = bench::parseOptions(QApplication::arguments());
        if (options.memoryProbe) {
            bench::Bench(options, std::nullopt).memoryProbe();
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
