#include "app/HeadlessExport.h"

#include "query/ConnectionHints.h"
#include "query/ConnectionSettings.h"
#include "query/QueryRunner.h"
#include "query/db/Connection.h"
#include "query/db/Error.h"
#include "query/db/Recordset.h"
#include "results/Export.h"
#include "results/GridText.h"
#include "settings/Keys.h"
#include "settings/SettingsStore.h"
#include "ui/TextFile.h"

#include <exception>

namespace app {
namespace {

// The delimiter box's start value: the file output of a program that was just started.
const QString startDelimiter = QStringLiteral("|");

} // namespace

int runHeadlessExport(const HeadlessExport& job, QString& report, QString& failure)
{
    try {
        settings::SettingsStore& store = settings::store();
        query::RunRequest request;
        request.profileName = job.profile;
        request.connection.type = store.get(job.profile, settings::profile::Combo1);
        request.connection.user = store.get(job.profile, settings::profile::Text4);
        request.connection.location = store.get(job.profile, settings::profile::Text8);
        request.connection.databaseName = store.get(job.profile, settings::profile::Text9);
        if (request.connection.type.isEmpty()) {
            failure = QStringLiteral("There is no profile named %1 with a database type.").arg(job.profile);
            return 1;
        }
        request.queryBox = ui::readTextFile(job.queryFile);

        db::Connection connection;
        query::connectionSettings(request.connection).applyTo(connection);
        query::checkDatabaseFile(request.connection.type, request.connection.location);
        connection.Open();
        const query::CommandText command = query::commandText(request);
        db::Recordset result = connection.Execute(command.text);
        if (command.rowCountAppended)
            result = result.NextRecordset();
        const results::FileOutput output = results::fileOutput(result, startDelimiter, true);
        result.Close();
        connection.Close();
        results::appendToFile(job.output, results::trimSpaces(output.text) + results::crlf);
        report = QStringLiteral("Rows: %1").arg(output.records);
        return 0;
    } catch (const db::Error& e) {
        failure = QString::number(e.number) + QStringLiteral("\r\n") + e.description;
    } catch (const ui::FileError& e) {
        failure = QString::number(e.number) + QStringLiteral("\r\n") + e.description;
    } catch (const settings::StoreError& e) {
        failure = e.message;
    } catch (const std::exception& e) {
        failure = QString::fromUtf8(e.what());
    }
    return 1;
}

} // namespace app
