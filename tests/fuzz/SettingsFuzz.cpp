// The settings store: any section, key and value is kept exactly and found again in any letter
// case; deleting it leaves the default.
#include "settings/SettingsStore.h"
#include "tests/support/FuzzInput.h"

#include <QDir>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A file in memory-backed /dev/shm where there is one: every save is synchronised.
    static QTemporaryDir folder(QDir("/dev/shm").exists()
                                    ? QStringLiteral("/dev/shm/quorvane-fuzz-XXXXXX")
                                    : QDir::tempPath() + QStringLiteral("/quorvane-fuzz-XXXXXX"));
    static settings::SettingsStore store(folder.filePath(QStringLiteral("settings.sqlite")));
    fuzz::Input in(data, size);
    // Whole characters only: a lone surrogate half is no text a box can hold.
    const QString section = QStringLiteral("S") + in.typedText(8);
    const QString key = in.typedText(8);
    const QString value = in.typedText(40);
    store.save(section, key, value);
    FUZZ_CHECK(store.get(section, key, QStringLiteral("<none>")) == value);
    const QString otherSection = section.toUpper(), otherKey = key.toLower();
    if (otherSection.toCaseFolded() == section.toCaseFolded() &&
        otherKey.toCaseFolded() == key.toCaseFolded())
        FUZZ_CHECK(store.get(otherSection, otherKey, QStringLiteral("<none>")) == value);
    const std::optional<settings::KeyValueList> all = store.getAll(section);
    FUZZ_CHECK(all && !all->isEmpty());
    store.deleteKey(section, key);
    FUZZ_CHECK(store.get(section, key, QStringLiteral("<none>")) == QStringLiteral("<none>"));
    return 0;
}
