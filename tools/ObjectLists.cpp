#include "tools/ObjectLists.h"

#include "query/db/Recordset.h"
#include "ui/Events.h"

namespace tools {

void walkObjectList(db::Recordset& listing, const QString& type,
                    const std::function<void(const ObjectName&)>& onObject)
{
    while (!listing.Eof()) {
        const db::Fields fields = listing.Fields();
        if (fields.Item(QStringLiteral("OBJECT_TYPE")).text().toUpper() == type)
            onObject(
                {fields.Item(QStringLiteral("Owner")).text(), fields.Item(QStringLiteral("Name")).text()});
        listing.MoveNext();
        ui::doEvents();
    }
}

} // namespace tools
