#pragma once

#include <QString>
#include <QStringList>

// Named query texts kept for reuse, one set for the whole program (section "QuickQuery":
// key = the name as typed, value = the query text, whole).
namespace profiles {

// The stored names in the store's order; empty when there are none or the store fails.
QStringList quickQueryNames();

// The text stored under `name`; "" when there is none or the store fails.
QString quickQueryText(const QString& name);

struct AddQuickQueryResult
{
    QString message;        // set when nothing was stored: show it (OK only)
    bool addToList = false; // the name was not listed yet: add it to the end of the list
};

// Add Query: checks, in this order, the query text, the name and the profile name, then
// stores the text under the name (replacing a text stored before). `listed` is what the
// list shows now; the name is compared with it without regard to letter case, as the store
// compares keys. Throws settings::StoreError when
// the store refuses the write.
AddQuickQueryResult addQuickQuery(const QString& queryText, const QString& name, const QString& profileName,
                                  const QStringList& listed);

// Remove Query: deletes the stored name; a name that is not stored (or any store
// failure) is ignored.
void removeQuickQuery(const QString& name);

// Whether the quick-query panel is shown ("check5" / "showhide"), and keeping it.
bool quickQueryPanelShown();
void keepQuickQueryPanelShown(bool shown);

// The three messages of Add Query.
inline QString noQueryMessage()
{
    return QStringLiteral("You must have a query in the query box to use this feature");
}
inline QString noNameMessage()
{
    return QStringLiteral("You must select a name first to use this feature");
}
inline QString noProfileMessage()
{
    return QStringLiteral("You must have a profile for this feature");
}

} // namespace profiles
