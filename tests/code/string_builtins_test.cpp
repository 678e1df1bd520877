// The strings family: conversions both ways, 1-based positions, search and replace.
#include "code/string_builtins.h"

#include <gtest/gtest.h>

#include "code/string_to_real.h"
#include "support/builtin_call.h"

using qv::code::RValue;
using qv::code::StringFunctions;
using qv::testing::CallBuiltin;
using qv::testing::ClearErrors;
using qv::testing::LastError;

namespace {
RValue Call(const char* name, std::vector<RValue> args) { return CallBuiltin(StringFunctions(), name, std::move(args)); }
std::string Str(const char* name, std::vector<RValue> args) {
  RValue r = Call(name, std::move(args));
  EXPECT_TRUE(r.isString()) << name;
  return r.str;
}
}  // namespace

TEST(StringToReal, Grammar) {
  struct Case { const char* text; bool ok; double value; };
  const Case cases[] = {
      {" 12.5 ", true, 12.5}, {"", true, 0},        {"\t-3\r\n", true, -3}, {"+4", true, 4},
      {"1e5", true, 1e5},     {"2.5E-1", true, 0.25}, {".5", true, 0.5},    {"5.", true, 5},
      {"1e-400", true, 0},    {"12,5", false, 0},    {"abc", false, 0},     {"1e", false, 0},
      {"0x10", false, 0},     {"inf", false, 0},     {"nan", false, 0},     {"1 2", false, 0},
      {"-", false, 0},        {".", false, 0},       {"1e400", false, 0},   {"1e99999999999999999999", false, 0},
  };
  for (const Case& c : cases) {
    double v = -1;
    EXPECT_EQ(qv::code::StringToReal(c.text, v), c.ok) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
}

TEST(StringFunctions, Conversions) {
  EXPECT_EQ(Call("real", {RValue(" 12.5 ")}).real, 12.5);
  EXPECT_EQ(Call("real", {7.0}).real, 7);
  ClearErrors();
  EXPECT_EQ(Call("real", {RValue("12,5")}).real, 0);
  EXPECT_EQ(LastError(), "Error in function real().");

  EXPECT_EQ(Str("string", {3.0}), "3");
  EXPECT_EQ(Str("string", {2.5}), "2.50");
  EXPECT_EQ(Str("string", {1.0 / 3}), "0.33");
  EXPECT_EQ(Str("string", {RValue("x")}), "x");

  struct Format { double x; double tot, dec; const char* out; };
  const Format formats[] = {
      {3.14159, 8, 2, "    3.14"}, {2.675, 0, 2, "2.67"},  // 18 digits keep 2.67499..., unlike string()
         {-1.5, 6, 0, "    -2"},
      {0.5, 0, 0, "1"},           {1e20, 0, 1, "100000000000000000000.0"},
      {-0.001, 0, 2, "0.00"},     {1.0 / 3, 0, 25, "0.333333333333333315"},  // 18 digits at most
      {99.95, 0, 1, "100.0"},     {7, 3, -4, "  7"},
  };
  for (const Format& f : formats) EXPECT_EQ(Str("string_format", {f.x, f.tot, f.dec}), f.out) << f.x;
  EXPECT_EQ(Str("string_format", {RValue("x"), 8.0, 2.0}), "x");
  EXPECT_EQ(Str("string_format", {1.0, 1e12, 0.0}), "ERROR");  // padding beyond any sane length

  EXPECT_EQ(Str("chr", {65.0}), "A");
  EXPECT_EQ(Str("chr", {321.0}), "A");  // low 8 bits
  EXPECT_EQ(Str("chr", {0.0}), std::string(1, '\0'));
  EXPECT_EQ(Call("ord", {RValue("\xE9")}).real, 233);
  EXPECT_EQ(Call("ord", {RValue("")}).real, 0);
}

TEST(StringFunctions, Pieces) {
  struct Case { const char* name; std::vector<RValue> args; const char* out; };
  const Case cases[] = {
      {"string_copy", {RValue("abcdef"), 0.0, 3.0}, "abc"},
      {"string_copy", {RValue("abcdef"), 5.0, 10.0}, "ef"},
      {"string_copy", {RValue("abcdef"), 7.0, 1.0}, ""},
      {"string_copy", {RValue("abcdef"), 2.0, 0.0}, ""},
      {"string_copy", {RValue("abcdef"), 2.0, 2147483647.0}, "bcdef"},
      {"string_char_at", {RValue("abc"), 3.0}, "c"},
      {"string_char_at", {RValue("abc"), 4.0}, ""},
      {"string_delete", {RValue("abc"), 5.0, 1.0}, "abc"},
      {"string_delete", {RValue("abcdef"), 2.0, 3.0}, "aef"},
      {"string_delete", {RValue("abcdef"), 0.0, 3.0}, "abcdef"},
      {"string_delete", {RValue("abcdef"), 4.0, 2147483647.0}, "abc"},
      {"string_insert", {RValue("XY"), RValue("abc"), 2.0}, "aXYbc"},
      {"string_insert", {RValue("XY"), RValue("abc"), -5.0}, "XYabc"},
      {"string_insert", {RValue("XY"), RValue("abc"), 99.0}, "abcXY"},
      {"string_lower", {RValue("AbC\xC9")}, "abc\xC9"},  // only A-Z change
      {"string_upper", {RValue("aBc\xE9")}, "ABC\xE9"},
      {"string_repeat", {RValue("ab"), 3.0}, "ababab"},
      {"string_repeat", {RValue("ab"), 0.0}, ""},
      {"string_letters", {RValue("a1-B2\xE9")}, "aB"},
      {"string_digits", {RValue("a1-B2")}, "12"},
      {"string_lettersdigits", {RValue("a1-B2 ")}, "a1B2"},
      {"string_replace", {RValue("aXbXc"), RValue("X"), RValue("--")}, "a--bXc"},
      {"string_replace_all", {RValue("aXbXc"), RValue("X"), RValue("--")}, "a--b--c"},
      {"string_replace_all", {RValue("aaa"), RValue("a"), RValue("aa")}, "aaaaaa"},  // inserted text not re-read
      {"string_replace_all", {RValue("abc"), RValue(""), RValue("x")}, "abc"},      // empty search: unchanged
      {"string_replace", {RValue("abc"), RValue("B"), RValue("x")}, "abc"},         // case-sensitive
  };
  for (const Case& c : cases) EXPECT_EQ(Str(c.name, c.args), c.out) << c.name;

  EXPECT_EQ(Call("string_length", {RValue(std::string("a\0b", 3))}).real, 3);
  EXPECT_EQ(Call("string_pos", {RValue("cd"), RValue("abcdcd")}).real, 3);
  EXPECT_EQ(Call("string_pos", {RValue("x"), RValue("abc")}).real, 0);
  EXPECT_EQ(Call("string_pos", {RValue(""), RValue("abc")}).real, 0);
  EXPECT_EQ(Call("string_count", {RValue("aa"), RValue("aaaa")}).real, 2);
  EXPECT_EQ(Call("string_count", {RValue("aa"), RValue("aaa")}).real, 1);
  EXPECT_EQ(Call("string_count", {RValue(""), RValue("aaa")}).real, 0);

  ClearErrors();
  EXPECT_EQ(Str("string_repeat", {RValue("abcdefgh"), 2e9}), "");  // 16 GB: refused
  EXPECT_EQ(LastError(), "Error in function string_repeat().");
}
