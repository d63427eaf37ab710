#pragma once

#include <QString>
#include <QStringList>

// A connection profile as the settings store keeps it: one section named after the
// profile, the name in the profile list ("Profiles" / "Names"). Passwords are never part
// of it (see PasswordTable).
namespace profiles {

// The stored fields of a profile, as the window's controls hold them.
struct ProfileFields
{
    QString type;                     // Combo1: database type as shown
    QString user;                     // Text4
    QString location;                 // Text8: server, or the database file
    QString databaseName;             // Text9
    QString queryText;                // Text1: the query box
    bool saveCurrentStatement = true; // Check1
    bool saveAllStatements = true;    // Check4

    friend bool operator==(const ProfileFields&, const ProfileFields&) = default;
};

// What became of a save or a delete. Anything but Saved/Deleted comes with message().
enum class Outcome {
    Saved,                // fields stored (and the name listed when it was new)
    Deleted,              // section removed, name taken out of the list
    NoName,               // the profile box is empty: nothing stored or deleted
    ReservedName,         // save: the name is one of the program's own sections; nothing stored
    ReservedNameDelisted, // delete: such a name is only taken out of the list
    NotStored,            // delete: there was no stored profile of that name; the list is tidied
    BlankName,            // save: the name is blanks only, which the list never shows
    CommaInName,          // save: the list keeps names between commas and cannot hold this one
};

// Names that differ only in letter case name one profile (the store compares sections so):
// the list holds such a name once, in the spelling it was first saved in.
struct SaveResult
{
    Outcome outcome = Outcome::Saved;
    bool nameAdded = false; // the name was new to the list: the profile box lists it now
    QString listedName;     // the spelling the list shows for the saved profile
};

// The message that goes with an outcome ("" for Saved and Deleted).
QString message(Outcome outcome, const QString& name);

// Reads the profile's fields; anything missing or unreadable reads as its default (empty
// texts, both check boxes ticked). An empty name reads the defaults.
ProfileFields loadProfile(const QString& name);

// Remembers `name` as the profile chosen last ("Profiles" / "ProfileName").
void rememberLastProfile(const QString& name);

// Stores the fields under `name` (query text, user, location, database name, type, then
// the two check boxes) and adds the name to the stored list when it is not listed.
// Throws settings::StoreError when the store refuses a write.
SaveResult saveProfile(const QString& name, const ProfileFields& fields);

// Removes the profile's section and its name from the stored list, rewriting the list in
// its canonical form, in one transaction. The list is tidied even when there was nothing to
// delete. Throws settings::StoreError when the store refuses the delete or the list's
// write; nothing has changed then.
Outcome deleteProfile(const QString& name);

// The query box text kept with the profile at each run, under "text1" (the "Text1" that
// QueryTextKeeper keeps as the box changes). Nothing happens for an empty profile name; a
// failing write is ignored.
void keepQueryTextOnRun(const QString& profile, const QString& text);
// The two automatic-save check boxes as they are clicked ("CheckBox1", "CheckBox4");
// a failing write is ignored.
void keepSaveCurrentStatement(const QString& profile, bool ticked);
void keepSaveAllStatements(const QString& profile, bool ticked);

// The names the profile list shows, from the store: each listed name that has stored
// fields, once, never one of the program's own sections.
QStringList storedProfileNames();

// True when `name` addresses one of the program's own sections (profile sections share
// the store with them, compared without regard to case).
bool isReservedName(const QString& name);

} // namespace profiles
