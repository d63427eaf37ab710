// The stored profile-name list: any stored text is read without harm, and names that can be
// listed (no comma, not blank, unique without regard to letter case) survive being written, added and
// deleted.
#include "profiles/NameList.h"
#include "tests/support/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input in(data, size);
    QStringList names;
    for (unsigned i = in.pick(5); i > 0; --i) {
        QString name = in.text(10);
        name.remove(u',');
        if (!name.trimmed().isEmpty() && !names.contains(name, Qt::CaseInsensitive))
            names << name;
    }
    const QString stored = profiles::formatNameList(names);
    FUZZ_CHECK(profiles::parseNameList(stored) == names);
    for (const QString& name : names) {
        FUZZ_CHECK(profiles::listedSpelling(stored, name) == name);
        FUZZ_CHECK(profiles::nameListWith(stored, name) == stored);
        QStringList others = names;
        others.removeAll(name);
        FUZZ_CHECK(profiles::parseNameList(profiles::nameListWithout(stored, name)) == others);
    }

    // Whatever an earlier version or another program left in the store.
    const QString anything = in.rest();
    const QStringList read = profiles::parseNameList(anything);
    for (const QString& name : read)
        FUZZ_CHECK(!name.trimmed().isEmpty());
    if (!names.isEmpty()) {
        const QString added = profiles::nameListWith(anything, names.first());
        FUZZ_CHECK(!profiles::listedSpelling(added, names.first()).isEmpty());
        FUZZ_CHECK(profiles::listedSpelling(profiles::nameListWithout(added, names.first()), names.first())
                       .isEmpty());
    }
    return 0;
}
