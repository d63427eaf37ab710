#pragma once

#include <QString>

class Form1;

// The embedded SQLite demo that `quorvane --demo` opens: a small shop database created on
// first use in the per-user data folder, with a settings store of its own so that the
// demo never touches the user's settings.
namespace demo {

struct Paths
{
    QString database;
    QString settings;
};

// Where the demo keeps its database and settings store.
Paths paths();

// Creates the demo database at `path` unless it is already there. Built in a temporary
// file and renamed into place, so an interrupted first start leaves nothing half-made.
// Throws std::runtime_error with SQLite's message on failure.
void ensureDatabase(const QString& path);

// A query that shows the demo's tables working together.
QString sampleQuery();

// Sets the main window's type box, location and query box for the demo database at
// `database`, so that pressing Run shows rows at once.
void showOn(Form1& form, const QString& database);

} // namespace demo
