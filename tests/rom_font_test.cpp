// Checks the built-in 8x8 font: every printable character drawn, the
// characters told apart, and capitals and digits standing on one baseline.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

namespace host {
extern const unsigned char rom_font[96][8];
}

namespace {

const unsigned char *glyph(int ch)
{
    return host::rom_font[ch - 32];
}

bool row_set(int ch, int row)
{
    return glyph(ch)[row] != 0;
}

TEST(RomFont, SpaceIsBlankAndEveryOtherPrintableHasInk)
{
    for (int row = 0; row < 8; ++row)
        EXPECT_EQ(glyph(' ')[row], 0) << "row " << row;
    for (int ch = 33; ch <= 126; ++ch) {
        bool ink = false;
        for (int row = 0; row < 8; ++row)
            ink |= row_set(ch, row);
        EXPECT_TRUE(ink) << "character '" << char(ch) << "' is blank";
    }
}

TEST(RomFont, PrintableGlyphsArePairwiseDistinct)
{
    for (int a = 32; a <= 126; ++a)
        for (int b = a + 1; b <= 126; ++b)
            EXPECT_NE(std::memcmp(glyph(a), glyph(b), 8), 0)
                << "'" << char(a) << "' and '" << char(b) << "' look the same";
}

TEST(RomFont, LettersAndDigitsShareBaselineAndSpacing)
{
    for (int ch = 33; ch <= 126; ++ch) {
        if (!std::isalnum(ch))
            continue;
        // The rightmost column keeps neighbouring letters apart.
        for (int row = 0; row < 8; ++row)
            EXPECT_EQ(glyph(ch)[row] & 0x01, 0) << "'" << char(ch) << "' row " << row;
        EXPECT_TRUE(row_set(ch, 6)) << "'" << char(ch) << "' does not reach the baseline";
        bool descender = std::strchr("gjpqy", ch) != nullptr;
        EXPECT_EQ(row_set(ch, 7), descender) << "'" << char(ch) << "' row 7";
        if (std::isupper(ch) || std::isdigit(ch)) {
            EXPECT_TRUE(row_set(ch, 0)) << "'" << char(ch) << "' is not full height";
        }
    }
}

} // namespace
