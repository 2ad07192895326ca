#include "platform/text/utf8.h"

#include <gtest/gtest.h>

namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

TEST(Utf8, FindsTheFirstMalformedByte) {
    EXPECT_EQ(text::invalid_utf8_at("员工 ok"), std::string::npos);
    EXPECT_EQ(text::invalid_utf8_at(""), std::string::npos);
    EXPECT_EQ(text::invalid_utf8_at("ab\xE5\x91"), 2u);     // cut short at the end
    EXPECT_EQ(text::invalid_utf8_at("员\xC0\xAF"), 3u);     // overlong "/"
    EXPECT_EQ(text::invalid_utf8_at("x\xED\xA0\x80"), 1u);  // a surrogate
    EXPECT_EQ(text::invalid_utf8_at(std::string("a\0b", 3)), std::string::npos);
}

TEST(Utf8, RepairReplacesEachMalformedByteAndKeepsTheRest) {
    EXPECT_EQ(text::repaired_utf8("员工"), "员工");
    EXPECT_EQ(text::repaired_utf8("a\xFF"
                                  "b"),
              "a" + kReplacement + "b");
    // A cut sequence loses only its own bytes; the character after it survives.
    EXPECT_EQ(text::repaired_utf8("\xE5\x91工"), kReplacement + kReplacement + "工");
    for (unsigned b = 0x80; b <= 0xFF; ++b) {
        std::string s = "x" + std::string(1, static_cast<char>(b)) + "y";
        EXPECT_TRUE(text::is_valid_utf8(text::repaired_utf8(s))) << b;
    }
}

TEST(JsonQuote, EscapesWhatJsonRequiresAndIsAlwaysValidUtf8) {
    EXPECT_EQ(text::json_quote("a\"b\\c"), R"("a\"b\\c")");
    EXPECT_EQ(text::json_quote("\n\r\t"), R"("\n\r\t")");
    EXPECT_EQ(text::json_quote(std::string("\0\x1f\x7f", 3)), R"("\u0000\u001f\u007f")");
    EXPECT_EQ(text::json_quote("员工"), "\"员工\"");
    const std::string quoted = text::json_quote("\xB2\xC6\"");
    EXPECT_EQ(quoted, "\"" + kReplacement + kReplacement + "\\\"\"");
    EXPECT_TRUE(text::is_valid_utf8(quoted));
}

}  // namespace
