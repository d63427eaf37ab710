#include "profiles/NameList.h"

#include <algorithm>

namespace profiles {
namespace {

const QString comma = QStringLiteral(",");

QString enclosed(const QString& name)
{
    return comma + name + comma;
}

bool sameName(const QString& a, const QString& b)
{
    return a.toCaseFolded() == b.toCaseFolded();
}

} // namespace

QStringList parseNameList(const QString& stored)
{
    const QStringList pieces = stored.split(comma);
    QStringList names;
    // The last piece is never read: it is what follows the final comma (empty in a list
    // written whole, a double quote after an earlier version's delete).
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        const QString& piece = pieces[i];
        if (piece.trimmed().isEmpty() ||
            std::any_of(names.cbegin(), names.cend(), [&](const QString& n) { return sameName(n, piece); }))
            continue;
        names.append(piece);
    }
    return names;
}

QString listedSpelling(const QString& stored, const QString& name)
{
    for (const QString& listed : parseNameList(stored)) {
        if (sameName(listed, name))
            return listed;
    }
    return {};
}

QString nameListWith(const QString& stored, const QString& name)
{
    if (!listedSpelling(stored, name).isEmpty())
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
    QStringList names = parseNameList(text);
    names.removeIf([&](const QString& n) { return sameName(n, name); });
    return formatNameList(names);
}

QString formatNameList(const QStringList& names)
{
    QString text;
    for (const QString& name : names)
        text += enclosed(name);
    return text;
}

} // namespace profiles
