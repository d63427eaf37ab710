// Where a secret (a password) turns up: any file under the given folders, in UTF-8 or UTF-16,
// and any of the given texts (messages, logs, mails). A test expects the list to be empty.
#pragma once

#include "tests/support/ScriptedDialogs.h"

#include <QDirIterator>
#include <QFile>
#include <QStringList>

namespace qvtest {

inline QStringList placesHolding(const QString& secret, const QStringList& folders, const QStringList& texts)
{
    const QByteArray utf8 = secret.toUtf8();
    const QByteArray utf16(reinterpret_cast<const char*>(secret.utf16()), secret.size() * 2);
    QStringList places;
    for (const QString& folder : folders) {
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            if (!f.open(QIODevice::ReadOnly)) {
                places << f.fileName() + QStringLiteral(" (unreadable)");
                continue;
            }
            const QByteArray bytes = f.readAll();
            if (bytes.contains(utf8) || bytes.contains(utf16))
                places << f.fileName();
        }
    }
    for (const QString& text : texts)
        if (text.contains(secret))
            places << text;
    return places;
}

// The text and title of each dialog shown, to be searched.
inline QStringList dialogTexts(const QList<ShownDialog>& shown)
{
    QStringList texts;
    for (const ShownDialog& d : shown)
        texts << d.text + u'\n' + d.title;
    return texts;
}

} // namespace qvtest
