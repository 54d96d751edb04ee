#include <gtest/gtest.h>

#include <sstream>

#include "U_textform.h"

using namespace textform;

namespace {
std::optional<CTextBody> Body(const std::string& bytes) {
    std::istringstream in(bytes);
    return CTextBody::Read(in);
}
}  // namespace

TEST(TextBody, RequiresTheEmptyFirstLine) {
    EXPECT_FALSE(Body(""));
    EXPECT_FALSE(Body("\n"));
    EXPECT_FALSE(Body("Tone=1\r\n"));
    EXPECT_FALSE(Body("\n\rTone=1"));
    EXPECT_TRUE(Body("\r\n"));
}

TEST(TextBody, LooksUpKeysCaseInsensitivelyFirstMatchWins) {
    const auto body = Body("\r\nsquelch=5\r\nSquelch=7\r\nno equals sign\r\nTone=1450");
    ASSERT_TRUE(body);
    EXPECT_EQ(body->Find("Squelch"), "5");
    EXPECT_EQ(body->Find("TONE"), "1450");
    EXPECT_FALSE(body->Find("no equals sign"));
    EXPECT_FALSE(body->Find("Power"));
}

TEST(TextBody, SplitsAtCrLfCrOrLfAndKeepsValuesUntrimmed) {
    const auto body = Body("\r\nA=1\rB=2\nC= 3 \r\n\r\nD=x=y\r\n");
    ASSERT_TRUE(body);
    EXPECT_EQ(body->Find("A"), "1");
    EXPECT_EQ(body->Find("B"), "2");
    EXPECT_EQ(body->Find("C"), " 3 ");
    EXPECT_EQ(body->Find("D"), "x=y");
}

TEST(TextBody, ValuesAreReadFromWindows1251AndKeysFoldCyrillic) {
    const auto body = Body("\r\n0CSS_PRM=(\xCD\xC5\xD2)\r\n");  // "(НЕТ)"
    ASSERT_TRUE(body);
    EXPECT_EQ(body->Find("0css_prm"), "(НЕТ)");
    EXPECT_TRUE(SameText(*body->Find("0CSS_PRM"), "(нет)"));
}

TEST(TextWriter, FramesLinesWithCrLfAndWritesWindows1251) {
    CTextWriter writer;
    writer.PutInt("FR1", 145000000);
    writer.PutInt("PriorCanal", -1);
    writer.PutFlag("Light", true);
    writer.Put("0CSS_PRM", "(нет)");
    writer.PutReal("CTCSS_PRM", 101.0);
    writer.Put("DTMF_Number", "");
    std::ostringstream out;
    ASSERT_TRUE(writer.WriteTo(out));
    EXPECT_EQ(out.str(),
              "\r\nFR1=145000000\r\nPriorCanal=-1\r\nLight=1\r\n0CSS_PRM=(\xED\xE5\xF2)\r\n"
              "CTCSS_PRM=101\r\nDTMF_Number=\r\n");
}

TEST(TextWriter, ReportsAStreamThatFails) {
    CTextWriter writer;
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    EXPECT_FALSE(writer.WriteTo(out));
}

TEST(ValueFormats, Integers) {
    EXPECT_EQ(ParseInt("145012500"), 145012500);
    EXPECT_EQ(ParseInt("-1"), -1);
    EXPECT_EQ(ParseInt("+5"), 5);
    for (const char* bad : {"", "-", "14500x", " 1", "1 ", "1.5", "2147483648", "abc"})
        EXPECT_FALSE(ParseInt(bad)) << bad;
    EXPECT_EQ(ParseFlag("0"), false);
    EXPECT_EQ(ParseFlag("7"), true);
    EXPECT_FALSE(ParseFlag("yes"));
}

TEST(ValueFormats, RealsUseADecimalComma) {
    EXPECT_DOUBLE_EQ(*ParseReal("88,5"), 88.5);
    EXPECT_DOUBLE_EQ(*ParseReal("50"), 50.0);
    EXPECT_DOUBLE_EQ(*ParseReal("-0,25"), -0.25);
    for (const char* bad : {"", "88.5", "1,2,3", "inf", "nan", "1,5x", ","})
        EXPECT_FALSE(ParseReal(bad)) << bad;
    EXPECT_EQ(FormatReal(101.0), "101");
    EXPECT_EQ(FormatReal(67.5), "67,5");
    EXPECT_EQ(FormatReal(254.9), "254,9");
    EXPECT_EQ(FormatReal(0.1 + 0.2), "0,3");  // at most 15 significant digits
}

TEST(ValueFormats, ChannelKeysCarryTheIndexWithoutLeadingZeros) {
    EXPECT_EQ(ChannelKey(0, "Enabled"), "0Enabled");
    EXPECT_EQ(ChannelKey(17, "FRQ_PRM"), "17FRQ_PRM");
}

TEST(ValueLists, NamesAreFoundCaseInsensitively) {
    const std::string_view list[] = {"(нет)", "67,0", "(ОПР)"};
    EXPECT_EQ(IndexOfText(list, "(опр)"), 2);
    EXPECT_EQ(IndexOfText(list, "67,0"), 1);
    EXPECT_EQ(IndexOfText(list, "67.0"), -1);
}
