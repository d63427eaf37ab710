// A statement with "?" markers and its values, as one text the server runs: each marker
// outside quotes and comments becomes its value as a literal (text escaped by the server's
// own rules, bytes as X'..', null as NULL). Used to read rows back with parameters, so that
// the rows come in the same text form as every other result.
#pragma once

#include "query/db/Backend.h"

#include <QByteArray>
#include <QList>
#include <mysql.h>

namespace db::mariadb {

// Throws db::Error when the markers and the values differ in number.
QByteArray withValues(MYSQL* my, const QByteArray& sql, const QList<Param>& params);

} // namespace db::mariadb
