#pragma once

#include <QString>

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

// The name of the demo's connection profile.
inline constexpr char ProfileName[] = "Demo";

// Keeps the profile "Demo" in the settings store in use: type SQLite, the database at
// `database`, and the sample query the first time; "Load Last Profile on Startup" names it, so
// the normal start-up opens it and pressing Run shows rows at once. A query the user has kept
// with the profile since stays. Throws settings::StoreError when the store refuses a write.
void prepareProfile(const QString& database);

} // namespace demo
