#pragma once

#include "query/db/Backend.h"
#include "query/db/Recordset.h"
#include "query/db/Watch.h"

#include <QMap>
#include <QString>
#include <memory>

namespace db {

// A connection to one database, shaped after the classic data objects: set ConnectionString
// (and for some providers Provider, Properties), Open, Execute, Close.
class Connection
{
public:
    // Kept exactly as set; the provider map translates it for the driver at Open.
    QString ConnectionString;
    // The provider when the string names none ("Microsoft.Jet.OLEDB.4.0").
    QString Provider;
    // Seconds a command may run; 0 means no limit. 30 unless a test shortens the default.
    int CommandTimeout = defaultCommandTimeout();
    static int defaultCommandTimeout();
    static void setDefaultCommandTimeout(int seconds);
    // Provider properties, e.g. "Jet OLEDB:Database Password"; set before Open.
    QMap<QString, QString> Properties;
    // Whether a command may be a batch of statements; set before Open. MySQL connections
    // that allow batches cost the MariaDB driver memory it never frees.
    bool MultipleStatements = true;

    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens the connection. A non-empty connectionString replaces ConnectionString; a user or
    // password given here is added to the string. Throws db::Error when the database cannot
    // be reached or the login is refused; the connection then stays closed.
    void Open(const QString& connectionString = QString(), const QString& userId = QString(),
              const QString& password = QString());
    // Runs the text as one command (a batch where the engine allows it). The result is open
    // (State 1) when the first statement gives rows, closed (State 0) otherwise.
    Recordset Execute(const QString& commandText);
    int State() const;
    // Releases the connection. Sets still reading from it keep the engine until they close.
    void Close();

    // The open engine connection, nullptr when closed.
    std::shared_ptr<BackendConnection> backend() const { return backend_; }

    // With a watch, the statements that Execute and Recordset::Open run on this connection
    // execute on a worker thread while the watch is asked whether to go on, and a client-side
    // set loads its rows asking it too (see Watch.h). Without one, everything runs in the call.
    // The watch must outlive those calls.
    void setWatch(Watch* watch) { watch_ = watch; }
    Watch* watch() const { return watch_; }

private:
    std::shared_ptr<BackendConnection> backend_;
    Watch* watch_ = nullptr;
};

} // namespace db
