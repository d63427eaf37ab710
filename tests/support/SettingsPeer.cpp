// A second program using the same settings file, driven line by line over stdin:
//   save <section> <key> <value>   -> "ok" once the save has returned
//   get <section> <key>            -> the value (or "<default>")
//   hold <value>                   -> "held" once an exclusive transaction of its own has
//                                     changed every value to <value> (not committed yet)
//   commit                         -> "ok", or the error SQLite gave
//   saves <section> <n>            -> "ok <i>" after each of n saves of key K<i>
// Used to check durability across a kill, sharing between two running programs and a store
// opened while another program holds the file.
#include "settings/SettingsStore.h"

#include <QCoreApplication>
#include <QTextStream>
#include <sqlite3.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    settings::SettingsStore store(QString::fromLocal8Bit(argv[1]));
    QTextStream in(stdin);
    QTextStream out(stdout);
    sqlite3* held = nullptr;
    out << "ready" << Qt::endl;
    QString line;
    while (in.readLineInto(&line)) {
        const QStringList parts = line.split(QLatin1Char(' '));
        if (parts.size() == 4 && parts[0] == QLatin1String("save")) {
            store.save(parts[1], parts[2], parts[3]);
            out << "ok" << Qt::endl;
        } else if (parts.size() == 3 && parts[0] == QLatin1String("get")) {
            out << store.get(parts[1], parts[2], QStringLiteral("<default>")) << Qt::endl;
        } else if (parts.size() == 2 && parts[0] == QLatin1String("hold")) {
            sqlite3_open(argv[1], &held);
            const QByteArray sql = "BEGIN EXCLUSIVE; UPDATE entries SET value = '" + parts[1].toUtf8() + "'";
            out << (sqlite3_exec(held, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK ? "held"
                                                                                                : "?")
                << Qt::endl;
        } else if (parts.size() == 1 && parts[0] == QLatin1String("commit")) {
            const bool ok = sqlite3_exec(held, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
            out << (ok ? QStringLiteral("ok") : QString::fromUtf8(sqlite3_errmsg(held))) << Qt::endl;
        } else if (parts.size() == 3 && parts[0] == QLatin1String("saves")) {
            for (int i = 0; i < parts[2].toInt(); ++i) {
                store.save(parts[1], QStringLiteral("K%1").arg(i), QString::number(i));
                out << "ok " << i << Qt::endl;
            }
        } else {
            out << "?" << Qt::endl;
        }
    }
    return 0;
}
