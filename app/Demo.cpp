#include "app/Demo.h"

#include "profiles/Profile.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <memory>
#include <sqlite3.h>
#include <stdexcept>

namespace demo {
namespace {

struct CloseDatabase
{
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;

void exec(sqlite3* db, const QString& sql)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        throw std::runtime_error(text);
    }
}

QString quoted(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace("'", "''") + QLatin1Char('\'');
}

// Names from many scripts, so the grid and the text output show more than ASCII.
const QStringList firstNames = {"Anna",  "Björn", "Zoë",   "José",  "Łukasz", "Ольга", "Γιώργος", "美咲",
                                "Ahmed", "Søren", "Chloé", "Mikko", "Ngozi",  "Priya", "Tomás"};
const QStringList lastNames = {"Müller",       "Nguyễn", "O'Brien", "Dubois", "Kowalski", "Иванова",
                               "Παπαδόπουλος", "山田",   "Hansen",  "García", "Smith",    "Öztürk"};
const QStringList cities = {"Zürich",    "São Paulo", "Kraków", "Москва", "東京",
                            "Reykjavík", "Montréal",  "Lagos",  "Mumbai", "Dublin"};
const QStringList categories = {"Books", "Garden", "Kitchen", "Toys", "Tools"};
const QStringList statuses = {"new", "paid", "shipped", "delivered", "returned"};

void fill(sqlite3* db)
{
    exec(db, "CREATE TABLE customers (id INTEGER PRIMARY KEY, name TEXT NOT NULL, city TEXT, "
             "email TEXT, joined TEXT NOT NULL)");
    exec(db, "CREATE TABLE products (id INTEGER PRIMARY KEY, name TEXT NOT NULL, category TEXT NOT NULL, "
             "price NUMERIC(10,2) NOT NULL, note TEXT)");
    exec(
        db,
        "CREATE TABLE orders (id INTEGER PRIMARY KEY, customer_id INTEGER NOT NULL REFERENCES customers(id), "
        "ordered_at TEXT NOT NULL, status TEXT NOT NULL)");
    exec(db, "CREATE TABLE order_items (order_id INTEGER NOT NULL REFERENCES orders(id), "
             "product_id INTEGER NOT NULL REFERENCES products(id), quantity INTEGER NOT NULL, "
             "unit_price NUMERIC(10,2) NOT NULL, PRIMARY KEY (order_id, product_id))");

    // A fixed linear congruential sequence: the demo is the same on every machine.
    quint32 state = 20261206;
    auto next = [&state](int bound) {
        state = state * 1664525u + 1013904223u;
        return int((state >> 8) % quint32(bound));
    };

    for (int id = 1; id <= 60; ++id) {
        const QString first = firstNames[next(firstNames.size())];
        const QString last = lastNames[next(lastNames.size())];
        const QString email =
            next(4) == 0 ? QStringLiteral("NULL") : quoted(QStringLiteral("customer%1@example.org").arg(id));
        const QString city = next(6) == 0 ? QStringLiteral("NULL") : quoted(cities[next(cities.size())]);
        exec(db, QStringLiteral("INSERT INTO customers VALUES (%1, %2, %3, %4, '2024-%5-%6')")
                     .arg(id)
                     .arg(quoted(first + QLatin1Char(' ') + last), city, email)
                     .arg(1 + next(12), 2, 10, QLatin1Char('0'))
                     .arg(1 + next(28), 2, 10, QLatin1Char('0')));
    }
    for (int id = 1; id <= 40; ++id) {
        const QString category = categories[next(categories.size())];
        const QString note =
            next(3) == 0 ? QStringLiteral("NULL") : quoted(QStringLiteral("Batch №%1 — ✓").arg(id));
        exec(db, QStringLiteral("INSERT INTO products VALUES (%1, %2, %3, %4.%5, %6)")
                     .arg(id)
                     .arg(quoted(QStringLiteral("%1 item %2").arg(category).arg(id)), quoted(category))
                     .arg(1 + next(200))
                     .arg(next(100), 2, 10, QLatin1Char('0'))
                     .arg(note));
    }
    for (int id = 1; id <= 250; ++id) {
        exec(db, QStringLiteral("INSERT INTO orders VALUES (%1, %2, '2025-%3-%4 %5:%6:00', %7)")
                     .arg(id)
                     .arg(1 + next(60))
                     .arg(1 + next(12), 2, 10, QLatin1Char('0'))
                     .arg(1 + next(28), 2, 10, QLatin1Char('0'))
                     .arg(8 + next(12), 2, 10, QLatin1Char('0'))
                     .arg(next(60), 2, 10, QLatin1Char('0'))
                     .arg(quoted(statuses[next(statuses.size())])));
        const int items = 1 + next(4);
        for (int i = 0; i < items; ++i)
            exec(db,
                 QStringLiteral("INSERT OR IGNORE INTO order_items SELECT %1, id, %2, price FROM products "
                                "WHERE id = %3")
                     .arg(id)
                     .arg(1 + next(5))
                     .arg(1 + next(40)));
    }
}

} // namespace

Paths paths()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/Quorvane/demo");
    return {folder + QStringLiteral("/demo.sqlite"), folder + QStringLiteral("/demo-settings.sqlite")};
}

void ensureDatabase(const QString& path)
{
    if (QFileInfo::exists(path))
        return;
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString building = path + QStringLiteral(".building");
    QFile::remove(building);
    {
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open(QFile::encodeName(building).constData(), &raw);
        Database db(raw);
        if (rc != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(raw));
        exec(db.get(), "BEGIN");
        fill(db.get());
        exec(db.get(), "COMMIT");
    }
    if (!QFile::rename(building, path)) {
        QFile::remove(building);
        if (!QFileInfo::exists(path)) // another copy of the program may have won the race
            throw std::runtime_error("cannot move the demo database into place");
    }
}

QString sampleQuery()
{
    return QStringLiteral(
        "select c.name, c.city, count(o.id) as orders, sum(i.quantity * i.unit_price) as spent\n"
        "from customers c\n"
        "left join orders o on o.customer_id = c.id\n"
        "left join order_items i on i.order_id = o.id\n"
        "group by c.id\n"
        "order by spent desc");
}

void prepareProfile(const QString& database)
{
    const QString name = QString::fromLatin1(ProfileName);
    const bool known = profiles::storedProfileNames().contains(name);
    profiles::ProfileFields fields = known ? profiles::loadProfile(name) : profiles::ProfileFields{};
    if (!known) {
        fields.queryText = sampleQuery();
        fields.saveAllStatements = false; // the demo writes no statement log unless asked to
    }
    fields.type = QStringLiteral("SQLite");
    fields.location = QDir::toNativeSeparators(database);
    profiles::saveProfile(name, fields);
    if (!known) {
        profiles::rememberLastProfile(name);
        settings::store().save(settings::LoadProfile, QStringLiteral("1"));
    }
}

} // namespace demo
