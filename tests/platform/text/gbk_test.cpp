#include "platform/text/gbk.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

TEST(GbkLength, CountsChineseAsTwoAndAsciiAsOne) {
    EXPECT_EQ(text::gbk_length(""), 0u);
    EXPECT_EQ(text::gbk_length("E000123"), 7u);
    EXPECT_EQ(text::gbk_length("张三"), 4u);
    EXPECT_EQ(text::gbk_length("员工编号：E01"), 13u);   // full-width colon is GBK too
    EXPECT_EQ(text::gbk_length(repeat("王", 25)), 50u);  // a name that just fits ename
    EXPECT_EQ(text::gbk_length(repeat("王", 26)), 52u);
}

TEST(GbkLength, CharacterOutsideGbkCountsItsGb18030Length) {
    EXPECT_EQ(text::gbk_length("\xF0\xA0\x80\x80"), 4u);  // U+20000
    EXPECT_EQ(text::gbk_length("a\xF0\xA0\x80\x80"
                               "b"),
              6u);
    EXPECT_EQ(text::gbk_length("€"), 2u);  // GBK's 0x80 euro sign in GB18030 is 2 bytes
}

TEST(GbkLength, InvalidUtf8IsAnError) {
    EXPECT_THROW(text::gbk_length("\xFF"), text::EncodingError);
    EXPECT_THROW(text::gbk_length("abc\xE5\xBC"), text::EncodingError);   // cut short
    EXPECT_THROW(text::gbk_length("\xC0\xAF"), text::EncodingError);      // overlong '/'
    EXPECT_THROW(text::gbk_length("\xED\xA0\x80"), text::EncodingError);  // surrogate
    EXPECT_THROW(text::to_gbk("ok\x80"), text::EncodingError);
    EXPECT_FALSE(text::is_valid_utf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_TRUE(text::is_valid_utf8("员工"));
}

TEST(GbkConversion, RoundTripsAndUsesGbkBytes) {
    std::string gbk = text::to_gbk("张三");
    EXPECT_EQ(gbk, "\xD5\xC5\xC8\xFD");
    EXPECT_EQ(text::from_gbk(gbk), "张三");
    std::string mixed = "导出成功 c:\\报表.xls\t\"x\"";
    EXPECT_EQ(text::from_gbk(text::to_gbk(mixed)), mixed);
    std::string big = repeat("测试abc", 10000);
    EXPECT_EQ(text::from_gbk(text::to_gbk(big)), big);
}

TEST(GbkConversion, UndecodableBytesAreAnError) {
    EXPECT_THROW(text::from_gbk("\x81"), text::EncodingError);  // lead byte alone
}

TEST(TrimBlanks, RemovesOnlyCharacter32) {
    EXPECT_EQ(text::trim_blanks("  12 "), "12");
    EXPECT_EQ(text::trim_blanks("   "), "");
    EXPECT_EQ(text::trim_blanks(""), "");
    EXPECT_EQ(text::trim_blanks("\t12\t"), "\t12\t");
    EXPECT_EQ(text::trim_blanks(" a b "), "a b");
    EXPECT_EQ(text::trim_blanks("\xE3\x80\x80张\xE3\x80\x80"), "\xE3\x80\x80张\xE3\x80\x80");
}

TEST(TruncateGbk, NeverSplitsACharacter) {
    EXPECT_EQ(text::truncate_gbk(repeat("王", 26), 50), repeat("王", 25));
    EXPECT_EQ(text::truncate_gbk("a王", 2), "a");
    EXPECT_EQ(text::truncate_gbk("abc", 10), "abc");
    EXPECT_EQ(text::truncate_gbk("王", 0), "");
}

}  // namespace
