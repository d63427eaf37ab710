#pragma once

#include <QList>
#include <QString>

namespace db {

// One "key=value" pair of a connection string, the value with its braces removed.
struct ConnectionStringPart
{
    QString key;
    QString value;
};

// The pairs of a connection string, in the order written.
//
// Rules (the ODBC ones, which the OLE DB strings the program builds also follow):
// - pairs are separated by ";"; empty pairs and blanks around keys are ignored;
// - a value that begins with "{" runs to the matching "}", where "}}" stands for one "}"
//   (so "{p;w=1}" is the value p;w=1 and "{a}}b}" is a}b); blanks around the braces are ignored;
// - any other value runs to the next ";" with blanks at both ends removed;
// - a pair without "=" is a key with an empty value.
class ConnectionStringParts
{
public:
    QList<ConnectionStringPart> parts;

    // The value of the last pair whose key matches without regard to case (Unicode folding),
    // or a null QString when there is none.
    QString value(const QString& key) const;
    bool contains(const QString& key) const;
    // Same as value(), trying each key in turn: value({"Data Source", "Server"}).
    QString firstOf(std::initializer_list<QString> keys) const;
};

ConnectionStringParts parseConnectionString(const QString& connectionString);

// A value as it goes into a connection string: unchanged, unless it holds ";", "{", "}" or
// blanks at either end; then it is wrapped in braces with "}" doubled, which
// parseConnectionString reads back as the original value.
QString connectionStringValue(const QString& value);
// The same value always in braces (how a Driver= name is written).
QString bracedConnectionStringValue(const QString& value);

// A server written "host", "host,port", "host:port", "tcp:host,port" or "[v6]:port"; port is
// empty when none was written.
struct ServerAddress
{
    QString host;
    QString port;
};
ServerAddress splitServer(QString server);

} // namespace db
