#pragma once

#include <QString>

#include <optional>

// The font sizes of the query box and the result grid, typed by the user and kept as
// typed ("Options" / "FontSizeText1", "FontSizeMSFlexGrid1").
namespace app {

inline constexpr float minimumFontSize = 1.0f;
inline constexpr float maximumFontSize = 400.0f;

// The one message for a size that cannot be used (trailing blank included).
inline QString fontSizeMessage() { return QStringLiteral("The font size must be a numeric value "); }

// The size a typed text stands for: a number (blanks around it allowed, the system's or
// the C locale's decimal separator) from 1 to 400 points. Anything else — letters, an
// empty box, 0, a negative or absurd size — gives nothing.
std::optional<float> parseFontSize(const QString& typed);

// The decimal text of a size as the font panel shows it (10 → "10", 9.75 → "9.75").
QString formatFontSize(float size);

struct FontSizes
{
    float queryBox = 10.0f;
    float resultGrid = 10.0f;
};

// The font panel's OK: both sizes when both texts pass, else nothing (show the message).
std::optional<FontSizes> parseFontSizes(const QString& queryBox, const QString& resultGrid);

// Keeps both texts as typed, query box first. Throws settings::StoreError when refused.
void keepFontSizes(const QString& queryBox, const QString& resultGrid);

// The stored sizes for start-up; a stored text that does not pass gives nothing, and the
// control keeps its size.
std::optional<float> storedQueryBoxFontSize();
std::optional<float> storedResultGridFontSize();

} // namespace app
