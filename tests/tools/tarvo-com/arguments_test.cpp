#include <gtest/gtest.h>

#include "platform/com/bstr.h"
#include "tools/tarvo-com/arguments.h"
#include "tools/tarvo-com/output.h"

using namespace com;
using namespace tarvo_com;

namespace {

TEST(Arguments, KindsFollowTheSpelling) {
    EXPECT_EQ(parse_argument("42").value->vt, VT_I4);
    EXPECT_EQ(parse_argument("-7").value->lVal, -7);
    EXPECT_EQ(parse_argument("null").value->vt, VT_NULL);
    EXPECT_EQ(parse_argument("empty").value->vt, VT_EMPTY);
    for (const char* text : {"Sales", "4.5", "1e3", "NULL", "-", "12ab"}) {
        Argument a = parse_argument(text);
        EXPECT_EQ(a.value->vt, VT_BSTR) << text;
        EXPECT_EQ(bstr_utf8(a.value->bstrVal), text);
    }
    Argument quoted = parse_argument("\"5\"");
    EXPECT_EQ(quoted.value->vt, VT_BSTR);
    EXPECT_EQ(bstr_utf8(quoted.value->bstrVal), "5");
    EXPECT_EQ(bstr_utf8(parse_argument("\"\"").value->bstrVal), "");
    EXPECT_EQ(bstr_utf8(parse_argument(R"("say \"hi\" \\ ok")").value->bstrVal),
              R"(say "hi" \ ok)");
    EXPECT_THROW(parse_argument("4294967296"), UsageError);
}

TEST(Arguments, NamesComeBeforeColonEquals) {
    Argument a = parse_argument("DeptName:=\"a b\"");
    ASSERT_TRUE(a.name);
    EXPECT_EQ(to_utf8(*a.name), "DeptName");
    EXPECT_EQ(bstr_utf8(a.value->bstrVal), "a b");
    EXPECT_EQ(parse_argument("ID:=3").value->lVal, 3);
    EXPECT_FALSE(parse_argument("\"ID:=3\"").name);  // quoted: just text
    EXPECT_FALSE(parse_argument("3x:=1").name);
}

TEST(Arguments, LinesSplitAtBlanksOutsideQuotes) {
    EXPECT_EQ(split_line("  Tarvo.Person  GetData\t5 "),
              (std::vector<std::string>{"Tarvo.Person", "GetData", "5"}));
    EXPECT_EQ(split_line(R"(P M "a b" N:="c \" d" "")"),
              (std::vector<std::string>{"P", "M", "\"a b\"", R"(N:="c \" d")", "\"\""}));
    EXPECT_THROW(split_line("P M \"open"), UsageError);
}

TEST(Output, JsonShapes) {
    Outcome fail;
    fail.hresult = hr(0x800A0BB9);
    fail.description = "bad \"page\"\n";
    EXPECT_EQ(to_json(fail),
              R"({"ok":false,"hresult":"0x800A0BB9","description":"bad \"page\"\n"})");
    Outcome ok;
    ok.ok = true;
    *ok.value.out() = var_bool(true);
    EXPECT_EQ(to_json(ok), R"({"ok":true,"result":true})");
    ok.value = Variant::adopt(var_text("张三"));
    EXPECT_EQ(to_json(ok), R"({"ok":true,"result":"张三"})");
    VARIANT none = var_empty();
    none.vt = VT_ARRAY | VT_VARIANT;
    none.parray = nullptr;
    ok.value = Variant::adopt(none);
    EXPECT_EQ(to_json(ok), R"({"ok":true,"result":{"rows":0,"cols":0,"cells":[]}})");
}

}  // namespace
