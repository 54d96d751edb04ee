#include <gtest/gtest.h>

#include "U_codepage.h"

TEST(CodePage, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

TEST(CodePage, CyrillicAndSignsMapToTheirBytes) {
    EXPECT_EQ(Utf8ToCp1251("(нет)"), "(\xED\xE5\xF2)");
    EXPECT_EQ(Utf8ToCp1251("ОПР"), "\xCE\xCF\xD0");
    EXPECT_EQ(Utf8ToCp1251("Ёё№"), "\xA8\xB8\xB9");
    EXPECT_EQ(Cp1251ToUtf8("\xC0\xFF"), "Ая");
}

TEST(CodePage, TextWithoutAByteBecomesQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1251("a€b"),
              "a\x88"
              "b");                               // the euro sign has a byte
    EXPECT_EQ(Utf8ToCp1251("a中b"), "a?b");       // a CJK character has none
    EXPECT_EQ(Utf8ToCp1251("a\xC3"), "a?");       // truncated sequence
    EXPECT_EQ(Utf8ToCp1251("\xFF\xFEz"), "??z");  // malformed bytes
}
