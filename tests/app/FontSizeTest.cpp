#include "app/FontSize.h"

#include "tests/support/FreshStore.h"

using namespace app;

using FontSizeTyping = FreshStore;

// A size is taken as single precision and shown back as its shortest decimal text, the text
// typed; a stored size that does not pass is not applied.

TEST_F(FontSizeTyping, NumbersWithinRangeAreTakenAsSinglePrecisionAndTheRestRefusedEvenStored)
{
    const std::pair<const char*, float> taken[] = {
        {"10", 10.0f}, {" 9.75 ", 9.75f}, {"1", 1.0f}, {"400", 400.0f}, {"12.3", 12.3f}};
    for (const auto& [typed, size] : taken) {
        EXPECT_EQ(parseFontSize(typed), size) << typed;
        EXPECT_EQ(formatFontSize(size), QString::fromLatin1(typed).trimmed());
    }
    for (const char* typed :
         {"abc", "1O", "", "  ", "0", "-3", "0.5", "400.5", "5000", "1e9", "nan", "inf", "10pt"})
        EXPECT_FALSE(parseFontSize(typed).has_value()) << typed;

    store().save(settings::FontSizeText1, "huge");
    store().save(settings::FontSizeMSFlexGrid1, "0");
    EXPECT_FALSE(storedQueryBoxFontSize().has_value());
    EXPECT_FALSE(storedResultGridFontSize().has_value());
}
