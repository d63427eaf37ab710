// A second program using the same settings file, driven line by line over stdin:
//   save <section> <key> <value>   -> "ok" once the save has returned
//   get <section> <key>            -> the value (or "<default>")
// Used to check durability across a kill and sharing between two running programs.
#include "settings/SettingsStore.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    settings::SettingsStore store(QString::fromLocal8Bit(argv[1]));
    QTextStream in(stdin);
    QTextStream out(stdout);
    out << "ready" << Qt::endl;
    QString line;
    while (in.readLineInto(&line)) {
        const QStringList parts = line.split(QLatin1Char(' '));
        if (parts.size() == 4 && parts[0] == QLatin1String("save")) {
            store.save(parts[1], parts[2], parts[3]);
            out << "ok" << Qt::endl;
        } else if (parts.size() == 3 && parts[0] == QLatin1String("get")) {
            out << store.get(parts[1], parts[2], QStringLiteral("<default>")) << Qt::endl;
        } else {
            out << "?" << Qt::endl;
        }
    }
    return 0;
}
