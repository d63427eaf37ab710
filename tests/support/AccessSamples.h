#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>

namespace qvtest {

// The Access sample files: the copy kept with the tests, else the team's shared test data
// beside the project folder. Empty when neither is there.
inline QString accessSampleFolder()
{
    const QString source = qEnvironmentVariable("QUORVANE_SOURCE_DIR");
    for (const QString& candidate : {source + QStringLiteral("/tests/data/access"),
                                     source + QStringLiteral("/../shared/testdata/access")}) {
        if (QFileInfo(candidate).isDir())
            return QDir::cleanPath(candidate);
    }
    return QString();
}

} // namespace qvtest
