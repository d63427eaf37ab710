#include "profiles/PasswordTable.h"

namespace profiles {

int PasswordTable::find(const QString& name) const
{
    if (name.isEmpty())
        return -1;
    for (int i = 0; i < Usable; ++i) {
        if (entries_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int PasswordTable::findOrClaim(const QString& name)
{
    if (name.isEmpty())
        return -1;
    const int found = find(name);
    if (found >= 0)
        return found;
    for (int i = 0; i < Usable; ++i) {
        if (entries_[i].name.isEmpty()) {
            entries_[i].name = name;
            return i;
        }
    }
    return -1;
}

std::optional<PasswordTable::Passwords> PasswordTable::choose(const QString& name)
{
    const int i = findOrClaim(name);
    if (i < 0)
        return std::nullopt;
    return Passwords{entries_[i].password, entries_[i].databasePassword};
}

bool PasswordTable::save(const QString& name, const QString& password, const QString& databasePassword)
{
    const int i = findOrClaim(name);
    if (i < 0)
        return false;
    entries_[i].password = password;
    entries_[i].databasePassword = databasePassword;
    return true;
}

void PasswordTable::setDatabasePassword(const QString& name, const QString& databasePassword)
{
    const int i = find(name);
    if (i >= 0)
        entries_[i].databasePassword = databasePassword;
}

int PasswordTable::claimedCount() const
{
    int n = 0;
    for (const Entry& e : entries_)
        n += e.name.isEmpty() ? 0 : 1;
    return n;
}

} // namespace profiles
