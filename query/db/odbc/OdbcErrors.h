// How ODBC diagnostics become db::Error: the classic error numbers callers test, and a
// description that carries every record the driver gave.
#pragma once

#include "query/db/Error.h"

#include <QList>
#include <QString>

namespace db::odbc {

// One diagnostic record as SQLGetDiagRec reports it.
struct DiagRecord
{
    QString sqlState;
    int native = 0;
    QString message;
};

// The kind of driver behind a handle: native error codes mean different things per kind.
enum class DriverFamily { Other, SqlServer, MySql, Access, Oracle, PostgreSql, Sqlite };

struct Classification
{
    qint32 number = ErrorNumber::Unreachable;
    int deciding = -1; // index of the record that decided the number, -1 when none did
};

// The error number for a failed call's records. Native codes are tried before SQLSTATE
// classes, so that MariaDB's unknown database (42000 / 1049) counts as unreachable.
Classification classify(const QList<DiagRecord>& records, DriverFamily family);

// "message (SQLSTATE s, native n)" for each record, one per line.
QString describe(const QList<DiagRecord>& records);

// The error for a failed ODBC call: number by classify(), the description of every record
// (or, with none, a sentence naming the call), SQLSTATE and native code of the deciding
// (else the first) record.
db::Error makeError(const QList<DiagRecord>& records, DriverFamily family, const char* call);

// An error of the layer's own (no driver record): number and text as given.
db::Error layerError(qint32 number, const QString& description, const QString& sqlState = {});

} // namespace db::odbc
