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

// Names that differ only in letter case are one profile (the store keeps them in one
// section): the list shows such a name once, in the spelling listed first.
//
// The names the profile list shows, in stored order, untrimmed.
QStringList parseNameList(const QString& stored);

// The spelling under which the list holds `name` (compared without regard to letter case),
// or "" when it does not hold it.
QString listedSpelling(const QString& stored, const QString& name);

// The list after saving `name`: the list itself when it already holds the name, else the
// list followed by ",name,". An earlier version's ," ending is dropped first, so that its
// lone double quote never turns into a listed name.
QString nameListWith(const QString& stored, const QString& name);

// The list after deleting `name`: every other listed name, each enclosed in its own commas.
QString nameListWithout(const QString& stored, const QString& name);

// The canonical text of `names`: ",a,,b,".
QString formatNameList(const QStringList& names);

} // namespace profiles
