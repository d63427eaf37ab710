#include "settings/SettingsStore.h"

#include "text/DataText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <sqlite3.h>

namespace settings {
namespace {

int busyTimeoutMs = 10000;

QString folded(const QString& name)
{
    return name.toCaseFolded();
}

// SQLite's verdict that the file holds no store at all, as opposed to one it cannot use now.
bool isNotAStore(int code)
{
    return (code & 0xff) == SQLITE_NOTADB || (code & 0xff) == SQLITE_CORRUPT;
}

void requireSection(const QString& section)
{
    if (section.isEmpty())
        throw StoreError(QStringLiteral("A setting needs a section name; the section name is empty."));
}

QString fromUtf8(const unsigned char* text, int bytes)
{
    return text::fromUtf8Data(reinterpret_cast<const char*>(text), bytes);
}

} // namespace

// A prepared statement that is finalised however the scope is left.
struct SettingsStore::Statement
{
    const SettingsStore& owner;
    sqlite3_stmt* stmt = nullptr;

    Statement(const SettingsStore& store, const char* sql) : owner(store)
    {
        if (sqlite3_prepare_v2(store.db_, sql, -1, &stmt, nullptr) != SQLITE_OK)
            store.fail(QStringLiteral("prepare"));
    }
    ~Statement() { sqlite3_finalize(stmt); }

    Statement& bind(int index, const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        if (sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT) != SQLITE_OK)
            owner.fail(QStringLiteral("bind"));
        return *this;
    }
    // True while a row is available.
    bool step()
    {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            owner.fail(QStringLiteral("step"));
        return false;
    }
    QString text(int column) const
    {
        return fromUtf8(sqlite3_column_text(stmt, column), sqlite3_column_bytes(stmt, column));
    }
    qint64 integer(int column) const { return sqlite3_column_int64(stmt, column); }
};

SettingsStore::SettingsStore(const QString& path) : path_(path)
{
    open();
}

SettingsStore::~SettingsStore()
{
    sqlite3_close(db_);
}

QString SettingsStore::defaultPath()
{
    const QString fromEnvironment = qEnvironmentVariable("QUORVANE_SETTINGS");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quorvane/settings.sqlite");
}

// The file holds user names, servers and query texts: a folder made for it and the file
// itself are the user's alone (SQLite gives its journal the file's mode). An existing
// folder keeps its mode.
static void makePrivateFile(const QString& path)
{
    QStringList missing;
    for (QString folder = QFileInfo(path).absolutePath(); !QFileInfo::exists(folder);) {
        missing.prepend(folder);
        const QString parent = QFileInfo(folder).absolutePath();
        if (parent == folder)
            break;
        folder = parent;
    }
    for (const QString& folder : missing)
        QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile file(path);
    if (!file.exists())
        file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner);
}

void SettingsStore::setBusyTimeout(int milliseconds)
{
    busyTimeoutMs = milliseconds;
}

void SettingsStore::open()
{
    makePrivateFile(path_);
    const QByteArray file = QFile::encodeName(path_);
    const QString shown = QDir::toNativeSeparators(path_);
    QByteArray copyFrom = file;
    const StoreError opened = openFile(file);
    if (opened.code == SQLITE_OK) {
        if (!sqlite3_db_readonly(db_, "main"))
            return;
        recoveryNotice_ =
            QStringLiteral("The settings file %1 is read-only; it is left as it is.").arg(shown);
    } else if (isNotAStore(opened.code)) {
        // Only a file SQLite calls no database or corrupt is moved aside: anything else
        // (a lock, a read-only file or folder, a full disk) passes, and the file is the user's.
        moveAside(opened.message);
        makePrivateFile(path_);
        if (openFile(file).code == SQLITE_OK && !sqlite3_db_readonly(db_, "main"))
            return;
        copyFrom.clear();
    } else {
        recoveryNotice_ = QStringLiteral("The settings file %1 cannot be used now (%2); it is left as it is.")
                              .arg(shown, opened.message);
    }
    openInMemory(copyFrom);
    recoveryNotice_ +=
        QStringLiteral("\r\nSettings cannot be written to %1; changes last until Quorvane ends.").arg(shown);
}

// Opens the file and prepares its tables; the error carries SQLite's code, SQLITE_OK on success.
StoreError SettingsStore::openFile(const QByteArray& file)
{
    sqlite3_close(db_);
    db_ = nullptr;
    if (sqlite3_open_v2(file.constData(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK)
        return StoreError(QString::fromUtf8(sqlite3_errmsg(db_)), sqlite3_extended_errcode(db_));
    try {
        prepareSchema();
    } catch (const StoreError& e) {
        return e;
    }
    return StoreError(QString(), SQLITE_OK);
}

// A store for this run only, holding what the file at copyFrom holds when it can be read now
// (a lock or a crashed transaction's journal that cannot be rolled back leaves it empty).
void SettingsStore::openInMemory(const QByteArray& copyFrom)
{
    sqlite3_close(db_);
    sqlite3_open(":memory:", &db_);
    if (!copyFrom.isEmpty()) {
        sqlite3* source = nullptr;
        if (sqlite3_open_v2(copyFrom.constData(), &source, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            if (sqlite3_backup* backup = sqlite3_backup_init(db_, "main", source, "main")) {
                sqlite3_backup_step(backup, -1);
                sqlite3_backup_finish(backup);
            }
        }
        sqlite3_close(source);
    }
    try {
        prepareSchema();
    } catch (const StoreError&) {
        // What was copied is not a usable store: start this run's store empty.
        sqlite3_close(db_);
        sqlite3_open(":memory:", &db_);
        prepareSchema();
    }
}

void SettingsStore::prepareSchema()
{
    sqlite3_busy_timeout(db_, busyTimeoutMs);
    exec("PRAGMA synchronous = FULL");
    exec("PRAGMA foreign_keys = ON");
    exec("CREATE TABLE IF NOT EXISTS sections ("
         " id INTEGER PRIMARY KEY,"
         " name TEXT NOT NULL,"
         " folded TEXT NOT NULL UNIQUE)");
    exec("CREATE TABLE IF NOT EXISTS entries ("
         " seq INTEGER PRIMARY KEY AUTOINCREMENT,"
         " section_id INTEGER NOT NULL REFERENCES sections(id) ON DELETE CASCADE,"
         " key TEXT NOT NULL,"
         " folded TEXT NOT NULL,"
         " value TEXT NOT NULL,"
         " UNIQUE (section_id, folded))");
    Statement check(*this, "PRAGMA quick_check");
    if (check.step() && check.text(0) != QLatin1String("ok"))
        throw StoreError(check.text(0), SQLITE_CORRUPT);
}

// Moves the file aside together with its journal, so that SQLite can still roll back a
// transaction it holds when the kept copy is opened, and the fresh store sees no stranger's
// journal.
void SettingsStore::moveAside(const QString& reason)
{
    sqlite3_close(db_);
    db_ = nullptr;
    const QString aside =
        path_ + QStringLiteral(".unreadable-") + QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss");
    const bool moved = !QFile::exists(path_) || QFile::rename(path_, aside);
    if (moved) {
        for (const char* companion : {"-journal", "-wal", "-shm"})
            if (QFile::exists(path_ + QLatin1String(companion)))
                QFile::rename(path_ + QLatin1String(companion), aside + QLatin1String(companion));
    }
    recoveryNotice_ = QStringLiteral("The settings file %1 could not be read (%2).")
                          .arg(QDir::toNativeSeparators(path_), reason);
    if (moved && QFile::exists(aside))
        recoveryNotice_ += QStringLiteral(" It has been kept as %1 and Quorvane starts with fresh settings.")
                               .arg(QDir::toNativeSeparators(aside));
}

void SettingsStore::exec(const char* sql) const
{
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const QString text = QString::fromUtf8(message ? message : sqlite3_errmsg(db_));
        sqlite3_free(message);
        throw StoreError(text, sqlite3_extended_errcode(db_));
    }
}

void SettingsStore::fail(const QString& what) const
{
    throw StoreError(QStringLiteral("The settings file %1 refused the %2: %3")
                         .arg(QDir::toNativeSeparators(path_), what, QString::fromUtf8(sqlite3_errmsg(db_))),
                     sqlite3_extended_errcode(db_));
}

QString SettingsStore::get(const QString& section, const QString& key, const QString& defaultValue) const
{
    requireSection(section);
    Statement read(*this, "SELECT e.value FROM entries e JOIN sections s ON s.id = e.section_id"
                          " WHERE s.folded = ?1 AND e.folded = ?2");
    read.bind(1, folded(section)).bind(2, folded(key));
    return read.step() ? read.text(0) : defaultValue;
}

QString SettingsStore::get(const QString& section, const QString& key, int defaultValue) const
{
    return get(section, key, QString::number(defaultValue));
}

QString SettingsStore::get(const Setting& s) const
{
    return get(QString::fromUtf8(s.section), QString::fromUtf8(s.key), QString::fromUtf8(s.defaultValue));
}

QString SettingsStore::get(const QString& profile, const ProfileSetting& s) const
{
    return get(profile, QString::fromUtf8(s.key), QString::fromUtf8(s.defaultValue));
}

void SettingsStore::refusedWrite(const StoreError& e)
{
    if (!inTransaction_)
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    if (e.missing || e.message.contains(QDir::toNativeSeparators(path_)))
        throw e;
    throw StoreError(QStringLiteral("The settings file %1 refused the write: %2")
                         .arg(QDir::toNativeSeparators(path_), e.message),
                     e.code);
}

void SettingsStore::transaction(const std::function<void()>& writes)
{
    if (inTransaction_) {
        writes();
        return;
    }
    try {
        exec("BEGIN IMMEDIATE");
        inTransaction_ = true;
        writes();
        inTransaction_ = false;
        exec("COMMIT");
    } catch (const StoreError& e) {
        inTransaction_ = false;
        refusedWrite(e);
    }
}

void SettingsStore::save(const QString& section, const QString& key, const QString& value)
{
    requireSection(section);
    if (inTransaction_) {
        try {
            write(section, key, value);
        } catch (const StoreError& e) {
            refusedWrite(e);
        }
        return;
    }
    try {
        exec("BEGIN IMMEDIATE");
        write(section, key, value);
        exec("COMMIT");
    } catch (const StoreError& e) {
        refusedWrite(e);
    }
}

void SettingsStore::write(const QString& section, const QString& key, const QString& value)
{
    Statement addSection(*this, "INSERT INTO sections (name, folded) VALUES (?1, ?2)"
                                " ON CONFLICT (folded) DO NOTHING");
    addSection.bind(1, section).bind(2, folded(section)).step();
    // An existing key keeps its first spelling and its place in the order.
    Statement write(*this, "INSERT INTO entries (section_id, key, folded, value)"
                           " SELECT id, ?2, ?3, ?4 FROM sections WHERE folded = ?1"
                           " ON CONFLICT (section_id, folded) DO UPDATE SET value = excluded.value");
    write.bind(1, folded(section)).bind(2, key).bind(3, folded(key)).bind(4, value).step();
}

void SettingsStore::save(const Setting& s, const QString& value)
{
    save(QString::fromUtf8(s.section), QString::fromUtf8(s.key), value);
}

void SettingsStore::save(const QString& profile, const ProfileSetting& s, const QString& value)
{
    save(profile, QString::fromUtf8(s.key), value);
}

std::optional<KeyValueList> SettingsStore::getAll(const QString& section) const
{
    Statement read(*this, "SELECT e.key, e.value FROM entries e JOIN sections s ON s.id = e.section_id"
                          " WHERE s.folded = ?1 ORDER BY e.seq");
    read.bind(1, folded(section));
    KeyValueList pairs;
    while (read.step())
        pairs.append({read.text(0), read.text(1)});
    if (pairs.isEmpty())
        return std::nullopt;
    return pairs;
}

void SettingsStore::deleteSection(const QString& section)
{
    Statement remove(*this, "DELETE FROM sections WHERE folded = ?1");
    remove.bind(1, folded(section)).step();
    if (sqlite3_changes(db_) == 0)
        throw StoreError(QStringLiteral("There is no settings section \"%1\" to delete.").arg(section), 0, true);
}

void SettingsStore::deleteKey(const QString& section, const QString& key)
{
    Statement remove(*this, "DELETE FROM entries WHERE folded = ?2"
                            " AND section_id = (SELECT id FROM sections WHERE folded = ?1)");
    remove.bind(1, folded(section)).bind(2, folded(key)).step();
    if (sqlite3_changes(db_) == 0)
        throw StoreError(
            QStringLiteral("There is no setting \"%1\" in section \"%2\" to delete.").arg(key, section),
            0, true);
}

namespace {
std::unique_ptr<SettingsStore>& programStore()
{
    static std::unique_ptr<SettingsStore> instance;
    return instance;
}
} // namespace

SettingsStore& store()
{
    auto& instance = programStore();
    if (!instance)
        instance = std::make_unique<SettingsStore>(SettingsStore::defaultPath());
    return *instance;
}

void reopenStore()
{
    programStore().reset();
}

} // namespace settings
