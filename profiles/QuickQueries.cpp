#include "profiles/QuickQueries.h"

#include "settings/SettingsStore.h"

namespace profiles {
namespace {

QString section()
{
    return QString::fromUtf8(settings::QuickQuerySection);
}

} // namespace

QStringList quickQueryNames()
{
    QStringList names;
    try {
        if (const auto all = settings::store().getAll(section())) {
            for (const auto& pair : *all)
                names.append(pair.first);
        }
    } catch (const settings::StoreError&) {
    }
    return names;
}

QString quickQueryText(const QString& name)
{
    try {
        return settings::store().get(section(), name, QString());
    } catch (const settings::StoreError&) {
        return {};
    }
}

AddQuickQueryResult addQuickQuery(const QString& queryText, const QString& name, const QString& profileName,
                                  const QStringList& listed)
{
    if (queryText.isEmpty())
        return {noQueryMessage(), false};
    if (name.isEmpty())
        return {noNameMessage(), false};
    if (profileName.isEmpty())
        return {noProfileMessage(), false};
    // The store keeps names that differ only in letter case as one, under the first spelling.
    settings::store().save(section(), name, queryText);
    return {QString(), !listed.contains(name, Qt::CaseInsensitive)};
}

void removeQuickQuery(const QString& name)
{
    try {
        settings::store().deleteKey(section(), name);
    } catch (const settings::StoreError&) {
        // Not stored: nothing to remove.
    }
}

bool quickQueryPanelShown()
{
    try {
        return settings::store().get(settings::QuickQueryShown).trimmed().toInt() != 0;
    } catch (const settings::StoreError&) {
        return false;
    }
}

void keepQuickQueryPanelShown(bool shown)
{
    try {
        settings::store().save(settings::QuickQueryShown, shown ? QStringLiteral("1") : QStringLiteral("0"));
    } catch (const settings::StoreError&) {
    }
}

} // namespace profiles
