// The editors' conversion rules and the screen layout decision, apart from any widget.
#include "F_editorrows.h"
#include "F_viewflags.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace views;

namespace {

TEST(ViewRules, KeyByteFromText) {
    struct SCase {
        const char* text;
        int byte;
    };
    const SCase cases[] = {{"A1", 0xA1}, {"a1", 0xA1}, {"ff", 0xFF}, {"00", 0x00},
                           {" c", 0x0C}, {"c ", 0x0C}, {"7", 0x07},  {"", 0x00},
                           {"G1", 0x01}, {"1Z", 0x10}, {"  ", 0x00}};
    for (const SCase& c : cases)
        EXPECT_EQ(KeyByteFromText(QString::fromLatin1(c.text)), c.byte) << c.text;
    EXPECT_EQ(KeyByteText(0xA1), "A1");
    EXPECT_EQ(KeyByteText(0x0C), "0C");
}

TEST(ViewRules, DecimalTextAndParse) {
    EXPECT_EQ(DecimalText(101.0, 1), "101,0");
    EXPECT_EQ(DecimalText(93.66, 2), "93,66");
    EXPECT_EQ(DecimalText(1561.0, 2), "1561,00");
    EXPECT_DOUBLE_EQ(ParseDecimal("101,05"), 101.05);
    EXPECT_DOUBLE_EQ(ParseDecimal("31.22"), 31.22);
    EXPECT_TRUE(std::isnan(ParseDecimal("")));
    EXPECT_TRUE(std::isnan(ParseDecimal("1,2,3")));
    EXPECT_TRUE(std::isnan(ParseDecimal("abc")));
}

TEST(ViewRules, TypedCharacters) {
    EXPECT_EQ(DecimalChar('.', "12"), QChar(','));
    EXPECT_TRUE(DecimalChar(',', "12,5").isNull());
    EXPECT_TRUE(DecimalChar('-', "").isNull());
    EXPECT_EQ(DecimalChar('\b', "1,5"), QChar('\b'));
    EXPECT_EQ(DtmfChar('b'), QChar('B'));
    EXPECT_EQ(DtmfChar('#'), QChar('#'));
    EXPECT_TRUE(DtmfChar('g').isNull());
    EXPECT_TRUE(DtmfChar(' ').isNull());
    EXPECT_EQ(DtmfText("12ab*#gh\t9"), "12AB*#9");
    EXPECT_TRUE(IsNumberLineChar('7'));
    EXPECT_TRUE(IsNumberLineChar('\b'));
    EXPECT_FALSE(IsNumberLineChar('-'));
    EXPECT_EQ(PasswordText(7), "0007");
    EXPECT_EQ(PasswordText(1234), "1234");
}

TEST(ViewRules, CompactLayoutUpTo800By600) {
    EXPECT_EQ(LayoutForScreen({800, 600}), TLayout::Compact);
    EXPECT_EQ(LayoutForScreen({800, 768}), TLayout::Compact);
    EXPECT_EQ(LayoutForScreen({1024, 600}), TLayout::Compact);
    EXPECT_EQ(LayoutForScreen({801, 601}), TLayout::Normal);
    EXPECT_EQ(LayoutForScreen({1280, 1024}), TLayout::Normal);
}

}  // namespace
