#include "app/About.h"

#include "app/Maker.h"

#include <QStringList>

namespace app {

QString aboutText()
{
    const QStringList lines{
        maker::product,
        QString(),
        maker::rightsLine,
        maker::authorLine,
        QLatin1String("Support: ") + maker::supportMail,
        QLatin1String("Suggestions: ") + maker::suggestionMail,
        QLatin1String("Web: ") + maker::webSite,
    };
    return lines.join(QLatin1String("\r\n"));
}

} // namespace app
