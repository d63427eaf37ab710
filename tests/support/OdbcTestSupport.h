// Shared by the tests that use real drivers: connecting through the provider map, the error a
// call throws, and rows as text.
#pragma once

#include "query/db/Backend.h"
#include "query/db/ProviderMap.h"
#include "query/db/mariadb/MariaDbBackend.h"
#include "query/db/odbc/OdbcBackend.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/Thrown.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace odbctest {

inline bool underCi()
{
    return qgetenv("CI") == "true";
}

inline std::unique_ptr<db::BackendConnection> connect(const QString& connectionString,
                                                      const QString& provider = {},
                                                      const QMap<QString, QString>& properties = {})
{
    const db::ProviderChoice choice = db::chooseProvider(connectionString, provider, properties);
    return choice.kind == db::BackendKind::MariaDb ? db::mariadb::open(choice) : db::odbc::open(choice);
}

// The error a call throws; a test failure when it throws none.
inline db::Error errorOf(const std::function<void()>& call)
{
    return qvtest::thrown<db::Error>(call).value_or(db::Error(QString()));
}

// Every row of the current result as text, cells joined by "|", null as "<null>".
inline QStringList rows(db::BackendResult& result)
{
    QStringList out;
    while (result.fetch()) {
        QStringList cells;
        for (int c = 0; c < result.columnCount(); ++c)
            cells << (result.isNull(c) ? QStringLiteral("<null>") : result.text(c));
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

inline QStringList query(db::BackendConnection& connection, const QString& sql)
{
    auto result = connection.execute(sql);
    return rows(*result);
}

} // namespace odbctest
