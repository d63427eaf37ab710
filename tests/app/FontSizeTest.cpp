#include "app/FontSize.h"

#include "tests/support/FreshStore.h"

using namespace app;

TEST(FontSizeTyping, NumbersWithinRangeAreTakenAsSinglePrecision)
{
    EXPECT_EQ(parseFontSize("10"), 10.0f);
    EXPECT_EQ(parseFontSize(" 9.75 "), 9.75f);
    EXPECT_EQ(parseFontSize("1"), 1.0f);
    EXPECT_EQ(parseFontSize("400"), 400.0f);
    EXPECT_EQ(parseFontSize("12.3"), 12.3f);
}

TEST(FontSizeTyping, LettersEmptyAndAbsurdSizesAreRefused)
{
    for (const char* typed :
         {"abc", "1O", "", "  ", "0", "-3", "0.5", "400.5", "5000", "1e9", "nan", "inf", "10pt"})
        EXPECT_FALSE(parseFontSize(typed).has_value()) << typed;
}

TEST(FontSizeTyping, TheCurrentSizeIsShownAsItsShortestDecimalText)
{
    EXPECT_EQ(formatFontSize(10.0f), "10");
    EXPECT_EQ(formatFontSize(9.75f), "9.75");
    EXPECT_EQ(formatFontSize(12.3f), "12.3");
}

using FontSizeKeeping = FreshStore;

TEST_F(FontSizeKeeping, AStoredSizeThatDoesNotPassIsNotApplied)
{
    store().save(settings::FontSizeText1, "huge");
    store().save(settings::FontSizeMSFlexGrid1, "0");
    EXPECT_FALSE(storedQueryBoxFontSize().has_value());
    EXPECT_FALSE(storedResultGridFontSize().has_value());
}
