#include "app/FontSize.h"

#include "settings/SettingsStore.h"

#include <QLocale>

#include <cmath>

namespace app {
namespace {

std::optional<float> stored(const settings::Setting& setting)
{
    try {
        return parseFontSize(settings::store().get(setting));
    } catch (const settings::StoreError&) {
        return std::nullopt;
    }
}

} // namespace

std::optional<float> parseFontSize(const QString& typed)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    double value = QLocale::system().toDouble(text, &ok);
    if (!ok)
        value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    if (!(value >= minimumFontSize && value <= maximumFontSize))
        return std::nullopt;
    return static_cast<float>(value);
}

QString formatFontSize(float size)
{
    return QString::number(static_cast<double>(size), 'g', 7);
}

std::optional<FontSizes> parseFontSizes(const QString& queryBox, const QString& resultGrid)
{
    const auto query = parseFontSize(queryBox);
    const auto grid = parseFontSize(resultGrid);
    if (!query || !grid)
        return std::nullopt;
    return FontSizes{*query, *grid};
}

void keepFontSizes(const QString& queryBox, const QString& resultGrid)
{
    settings::store().save(settings::FontSizeText1, queryBox);
    settings::store().save(settings::FontSizeMSFlexGrid1, resultGrid);
}

std::optional<float> storedQueryBoxFontSize() { return stored(settings::FontSizeText1); }
std::optional<float> storedResultGridFontSize() { return stored(settings::FontSizeMSFlexGrid1); }

} // namespace app
