#include "profiles/NameList.h"

namespace profiles {
namespace {

const QString comma = QStringLiteral(",");

QString enclosed(const QString& name) { return comma + name + comma; }

} // namespace

QStringList parseNameList(const QString& stored)
{
    const QStringList pieces = stored.split(comma);
    QStringList names;
    // The last piece is never read: it is what follows the final comma (empty in a list
    // written whole, a double quote after an earlier version's delete).
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        if (!pieces[i].trimmed().isEmpty())
            names.append(pieces[i]);
    }
    return names;
}

bool nameListContains(const QString& stored, const QString& name)
{
    return stored.contains(enclosed(name), Qt::CaseSensitive);
}

QString nameListWith(const QString& stored, const QString& name)
{
    if (nameListContains(stored, name))
        return stored;
    QString base = stored;
    if (base.endsWith(QStringLiteral(",\"")))
        base.chop(1);
    return base + enclosed(name);
}

QString nameListWithout(const QString& stored, const QString& name)
{
    // Each ",name," gives way to a single comma, so its neighbours never run together (a
    // name that holds a comma is found as it was written), then the rest is written anew.
    QString text = stored;
    const QString target = enclosed(name);
    while (text.contains(target, Qt::CaseSensitive))
        text.replace(target, comma, Qt::CaseSensitive);
    return formatNameList(parseNameList(text));
}

QString formatNameList(const QStringList& names)
{
    QString text;
    for (const QString& name : names)
        text += enclosed(name);
    return text;
}

} // namespace profiles
