#include "tools/ObjectName.h"

namespace tools {

QString bracketPart(const QString& text)
{
    return QLatin1Char('[') + QString(text).replace(QLatin1Char(']'), QLatin1String("]]")) + QLatin1Char(']');
}

QString ObjectName::bracketed() const
{
    return bracketPart(owner) + QLatin1Char('.') + bracketPart(name);
}

bool isBracketedName(const QString& text)
{
    int parts = 0;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        if (text[i] != QLatin1Char('['))
            return false;
        ++i;
        // Inside the brackets: anything, "]]" standing for "]"; a single "]" closes.
        for (;;) {
            if (i >= n)
                return false;
            if (text[i] == QLatin1Char(']')) {
                if (i + 1 < n && text[i + 1] == QLatin1Char(']')) {
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            ++i;
        }
        ++parts;
        if (i == n)
            break;
        if (text[i] != QLatin1Char('.') || i + 1 == n)
            return false;
        ++i;
    }
    return parts >= 1 && parts <= 4;
}

QString tableReference(const QString& objectText)
{
    return isBracketedName(objectText) ? objectText : bracketPart(objectText);
}

QString selectAllFrom(const QString& objectText)
{
    return QStringLiteral("select * from ") + tableReference(objectText);
}

QString helpTextOf(const QString& objectText)
{
    return QStringLiteral("sp_helptext '") +
           QString(objectText).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}

} // namespace tools
