#pragma once

#include <QString>

// `quorvane --profile NAME --query-file F --output FILE`: a run without a window. The profile's
// type and connection fields (its password is never stored, so only connections that need
// none), the whole query file as the statement, and the result appended to FILE in the Data
// Output to File format with the chooser's start delimiter "|" and the field names first.
namespace app {

struct HeadlessExport
{
    QString profile;
    QString queryFile;
    QString output;
};

// Runs it; the exit code is 0 when the file was written. Prints "Rows: n" on success, and on
// failure the error (number and description, or what is missing) to `failure`.
int runHeadlessExport(const HeadlessExport& job, QString& report, QString& failure);

} // namespace app
