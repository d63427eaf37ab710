#pragma once

#include "settings/Keys.h"

#include <QList>
#include <QPair>
#include <QString>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

struct sqlite3;

namespace settings {

// A store operation that could not be done (a missing entry to delete, an empty section
// name, a file that refuses the write).
struct StoreError : std::exception
{
    QString message;
    int code = 0;         // SQLite's extended result code, 0 when the store itself refused
    bool missing = false; // a delete found nothing to delete; the file refused nothing

    explicit StoreError(QString message, int code = 0, bool missing = false)
        : message(std::move(message)), code(code), missing(missing)
    {
    }
    const char* what() const noexcept override { return "settings store error"; }
};

using KeyValueList = QList<QPair<QString, QString>>;

// The per-user keyed store: string values addressed by section and key, both compared
// without regard to letter case (the first spelling written is kept). One SQLite file;
// every save is its own committed, fully synchronised transaction, so it is durable when
// the call returns, and two running programs can share the file (the last writer wins).
// Nothing is cached: every get reads the file.
class SettingsStore
{
public:
    // Opens the store at `path`, creating it when missing. A file that is not a store or is
    // corrupt is moved aside with its journal and a fresh store is started. A file that is
    // read-only, locked by another program past the busy time-out or otherwise refused is
    // left untouched: the store then lives in memory for this run, starting from the file's
    // settings where they can be read. Either way recoveryNotice() says so.
    explicit SettingsStore(const QString& path);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // The stored value, or the default when the section or key does not exist. A stored
    // empty text comes back empty.
    QString get(const QString& section, const QString& key, const QString& defaultValue) const;
    QString get(const QString& section, const QString& key, int defaultValue) const;
    QString get(const Setting& setting) const;
    QString get(const QString& profile, const ProfileSetting& setting) const;

    void save(const QString& section, const QString& key, const QString& value);
    void save(const Setting& setting, const QString& value);
    void save(const QString& profile, const ProfileSetting& setting, const QString& value);

    // Every key of a section with its value, in the order the keys were first written;
    // nothing when the section does not exist or holds no keys.
    std::optional<KeyValueList> getAll(const QString& section) const;

    // Both fail with StoreError (missing set) when the section or key does not exist.
    void deleteSection(const QString& section);
    void deleteKey(const QString& section, const QString& key);

    // Runs `writes`, saves and deletes of this store, as one transaction: when one of them
    // fails, or the file refuses the commit, none is kept and the StoreError is passed on.
    void transaction(const std::function<void()>& writes);

    QString path() const { return path_; }
    // Set when the file at path() was unreadable and has been replaced: the text to tell
    // the user once.
    QString recoveryNotice() const { return recoveryNotice_; }

    // How long a read or save waits for another program's lock (10 s); tests shorten it.
    static void setBusyTimeout(int milliseconds);

    // QUORVANE_SETTINGS when set, else Quorvane/settings.sqlite in the per-user
    // configuration folder.
    static QString defaultPath();

private:
    struct Statement;
    void open();
    StoreError openFile(const QByteArray& file);
    void openInMemory(const QByteArray& copyFrom);
    void prepareSchema();
    void moveAside(const QString& reason);
    void exec(const char* sql) const;
    void write(const QString& section, const QString& key, const QString& value);
    [[noreturn]] void fail(const QString& what) const;
    [[noreturn]] void refusedWrite(const StoreError& e);

    QString path_;
    QString recoveryNotice_;
    sqlite3* db_ = nullptr;
    bool inTransaction_ = false;
};

// The program's store, opened at first use from SettingsStore::defaultPath().
SettingsStore& store();
// Closes the program's store so that the next store() opens defaultPath() again (after the
// demo or a test has pointed QUORVANE_SETTINGS elsewhere).
void reopenStore();

} // namespace settings
