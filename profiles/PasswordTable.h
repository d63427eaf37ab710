#pragma once

#include <QString>
#include <array>
#include <optional>

namespace profiles {

// The passwords of the profiles used in this run (the main window holds the table for the
// program's life), kept in memory only and never written anywhere. 101 entries, of which the first 100 are
// used: an entry is claimed for a profile name the first time the name is chosen or saved, always the lowest
// empty one, so the claimed entries form an unbroken run from entry 0; nothing is released until the program
// ends. Names compare without regard to letter case, as the store compares the sections they name. An empty
// name never claims or matches an entry.
class PasswordTable
{
public:
    static constexpr int Size = 101;
    static constexpr int Usable = 100;

    struct Entry
    {
        QString name;
        QString password;         // Text5
        QString databasePassword; // Text10
    };

    struct Passwords
    {
        QString password;
        QString databasePassword;
    };

    // A profile chosen: its remembered passwords (both empty on the first choice in this
    // run, which claims an entry for the name), or nothing when the table is full of
    // other names.
    std::optional<Passwords> choose(const QString& name);

    // A profile saved: remembers both passwords under the name, claiming an entry when
    // the name has none. False when the table is full of other names (nothing kept).
    bool save(const QString& name, const QString& password, const QString& databasePassword);

    // The database password box changed: remembers it for the name at once, without a
    // save, when the name holds an entry (it was chosen or saved in this run); an unknown
    // name changes nothing. (The password box Text5 has no such path: only a save keeps
    // it.) The window calls this for the user's edits only: emptying the box while a
    // profile is being chosen would otherwise wipe the chosen profile's database password.
    void setDatabasePassword(const QString& name, const QString& databasePassword);

    const Entry& entry(int index) const { return entries_.at(static_cast<std::size_t>(index)); }
    int claimedCount() const;

private:
    // The entry holding `name`, else the lowest empty usable entry claimed for it, else -1.
    int findOrClaim(const QString& name);
    int find(const QString& name) const;

    std::array<Entry, Size> entries_;
};

} // namespace profiles
