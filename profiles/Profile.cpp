#include "profiles/Profile.h"

#include "profiles/NameList.h"
#include "settings/SettingsStore.h"

#include <initializer_list>

namespace profiles {
namespace {

using settings::StoreError;

// One read of a profile key; a store that fails reads as the default.
QString read(const QString& name, const settings::ProfileSetting& s)
{
    try {
        return settings::store().get(name, s);
    } catch (const StoreError&) {
        return QString::fromUtf8(s.defaultValue);
    }
}

// A check box value as stored: "0" unticked, any other whole number ticked; text that is
// no number reads as the default (ticked).
bool readTicked(const QString& name, const settings::ProfileSetting& s)
{
    bool ok = false;
    const int value = read(name, s).trimmed().toInt(&ok);
    return ok ? value != 0 : true;
}

QString tickText(bool ticked)
{
    return ticked ? QStringLiteral("1") : QStringLiteral("0");
}

void keep(const QString& profile, const settings::ProfileSetting& s, const QString& value)
{
    // A name of one of the program's own sections is no profile: nothing goes there.
    if (profile.isEmpty() || isReservedName(profile))
        return;
    try {
        settings::store().save(profile, s, value);
    } catch (const StoreError&) {
        // Kept on the next change or the next Save Profile.
    }
}

QString storedList()
{
    return settings::store().get(settings::ProfileNames);
}

} // namespace

QString message(Outcome outcome, const QString& name)
{
    switch (outcome) {
    case Outcome::Saved:
    case Outcome::Deleted:
        return {};
    case Outcome::NoName:
        return QStringLiteral("You must enter a profile name in the Profile Name box first");
    case Outcome::ReservedName:
        return QStringLiteral(
                   "The name \"%1\" is used by Quorvane itself; please choose another profile name")
            .arg(name);
    case Outcome::ReservedNameDelisted:
        return QStringLiteral("\"%1\" is the name of Quorvane's own settings, which stay as they are; "
                              "the name has been taken out of the profile list")
            .arg(name);
    case Outcome::NotStored:
        return QStringLiteral("There is no saved profile named \"%1\"").arg(name);
    case Outcome::BlankName:
        return QStringLiteral("A profile name cannot be made of blanks only; please enter a profile name in "
                              "the Profile Name box first");
    case Outcome::CommaInName:
        return QStringLiteral("The profile name \"%1\" holds a comma, which a profile name cannot hold; "
                              "please choose another profile name")
            .arg(name);
    }
    return {};
}

bool isReservedName(const QString& name)
{
    const QString folded = name.toCaseFolded();
    for (const char* section :
         {settings::ProfileNames.section, settings::OptionBox.section, settings::QuickQueryShown.section,
          settings::QuickQuerySection, settings::FilePath.section, settings::MailServerName.section,
          settings::CompareServerName1.section, settings::FindServerName.section,
          settings::WatchServerName.section}) {
        if (QString::fromUtf8(section).toCaseFolded() == folded)
            return true;
    }
    return false;
}

ProfileFields loadProfile(const QString& name)
{
    ProfileFields f;
    if (name.isEmpty())
        return f;
    namespace p = settings::profile;
    f.queryText = read(name, p::Text1);
    f.user = read(name, p::Text4);
    f.location = read(name, p::Text8);
    f.databaseName = read(name, p::Text9);
    f.type = read(name, p::Combo1);
    f.saveCurrentStatement = readTicked(name, p::CheckBox1Read);
    f.saveAllStatements = readTicked(name, p::CheckBox4Read);
    return f;
}

void rememberLastProfile(const QString& name)
{
    try {
        settings::store().save(settings::LastProfileName, name);
    } catch (const StoreError&) {
        // Start-up then opens the profile remembered before.
    }
}

SaveResult saveProfile(const QString& name, const ProfileFields& f)
{
    if (name.isEmpty())
        return {Outcome::NoName, false, {}};
    if (name.trimmed().isEmpty())
        return {Outcome::BlankName, false, {}};
    if (name.contains(QLatin1Char(',')))
        return {Outcome::CommaInName, false, {}};
    if (isReservedName(name))
        return {Outcome::ReservedName, false, {}};

    namespace p = settings::profile;
    auto& store = settings::store();
    store.save(name, p::Text1, f.queryText);
    store.save(name, p::Text4, f.user);
    store.save(name, p::Text8, f.location);
    store.save(name, p::Text9, f.databaseName);
    store.save(name, p::Combo1, f.type);
    store.save(name, p::CheckBox1, tickText(f.saveCurrentStatement));
    store.save(name, p::CheckBox4, tickText(f.saveAllStatements));

    const QString list = storedList();
    const QString listed = listedSpelling(list, name);
    if (!listed.isEmpty())
        return {Outcome::Saved, false, listed};
    store.save(settings::ProfileNames, nameListWith(list, name));
    return {Outcome::Saved, true, name};
}

Outcome deleteProfile(const QString& name)
{
    auto& store = settings::store();
    Outcome outcome = Outcome::NoName;
    store.transaction([&] {
        if (isReservedName(name)) {
            outcome = Outcome::ReservedNameDelisted;
        } else if (!name.isEmpty()) {
            try {
                store.deleteSection(name);
                outcome = Outcome::Deleted;
            } catch (const StoreError& e) {
                if (!e.missing)
                    throw;
                outcome = Outcome::NotStored;
            }
        }
        const QString list = storedList();
        const QString tidied = nameListWithout(list, name);
        if (tidied != list)
            store.save(settings::ProfileNames, tidied);
    });
    return outcome;
}

void keepQueryTextOnRun(const QString& profile, const QString& text)
{
    keep(profile, settings::profile::Text1OnRun, text);
}

void keepSaveCurrentStatement(const QString& profile, bool ticked)
{
    keep(profile, settings::profile::CheckBox1, tickText(ticked));
}

void keepSaveAllStatements(const QString& profile, bool ticked)
{
    keep(profile, settings::profile::CheckBox4, tickText(ticked));
}

QStringList storedProfileNames()
{
    QStringList names;
    try {
        for (const QString& name : parseNameList(storedList())) {
            // A name without stored fields would load nothing (a piece of an earlier version's
            // name with a comma, a delete that was cut short).
            if (!isReservedName(name) && settings::store().getAll(name))
                names.append(name);
        }
    } catch (const StoreError&) {
    }
    return names;
}

} // namespace profiles
