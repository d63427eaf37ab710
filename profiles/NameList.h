#pragma once

#include <QString>
#include <QStringList>

// The stored list of profile names ("Profiles" / "Names"). Every name is kept enclosed in
// its own commas, one after another: a and b are ",a,,b,". Names are kept as typed.
//
// Lists written by earlier versions may hold neighbouring names that share one comma
// (",a,c,") and may end in the two characters ,"  — both are read as before: the text is
// cut at every comma, the last piece is never read, and blank pieces are skipped.
namespace profiles {

// The names the profile list shows, in stored order, untrimmed.
QStringList parseNameList(const QString& stored);

// True when the list holds `name` enclosed in commas (exact, case-sensitive).
bool nameListContains(const QString& stored, const QString& name);

// The list after saving `name`: the list itself when it already holds the name, else the
// list followed by ",name,". An earlier version's ," ending is dropped first, so that its
// lone double quote never turns into a listed name.
QString nameListWith(const QString& stored, const QString& name);

// The list after deleting `name`: every other listed name, each enclosed in its own commas.
QString nameListWithout(const QString& stored, const QString& name);

// The canonical text of `names`: ",a,,b,".
QString formatNameList(const QStringList& names);

} // namespace profiles
