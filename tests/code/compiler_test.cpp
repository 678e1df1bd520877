// Compile errors with their positions, the message format, and what the check pass decides.
#include <gtest/gtest.h>

#include <string>

#include "code/ccode.h"
#include "code/errors.h"
#include "code/interpreter.h"
#include "code/registry.h"
#include "world/instance.h"

namespace qv::code {
namespace {

struct CompileCase {
  const char* text;
  const char* message;  // expected ending of the formatted message
};

// Every case is one line, so "at position N" is the 1-based character of the error's token.
const CompileCase kCompileErrors[] = {
    {"a = #", "at position 5: Unexpected symbol."},
    {"a = 1; nosuchfunction(2)", "at position 8: Unknown function or script: nosuchfunction"},
    {"x = (1 + 2", "at position 10: Symbol ) expected."},
    {"for i = 0", "at position 5: Symbol ( expected."},
    {"show_debug_message(1 2)", "at position 22: Symbol , or ) expected."},
    {"show_debug_message(1, 2)", "at position 24: Wrong number of arguments to function or script."},
    {"a[1 2] = 3", "at position 5: Symbol , or ] expected."},
    {"a[1,2,3] = 4", "at position 7: Only 1- and 2-dimensional arrays are supported."},
    {"a = b.1", "at position 7: Variable name expected."},
    {"100001.x = 1", "at position 8: Variable name expected."},
    {"a = 1 +", "at position 7: Unexpected symbol in expression."},
    {"a 1", "at position 3: Assignment operator expected."},
    {"var k, argument0", "at position 8: Cannot redeclare a builtin variable."},
    {"switch (1) { case 1 a = 1 }", "at position 21: Symbol : expected."},
    {"switch 1 case", "at position 10: Symbol { expected."},
    {"{ a = 1", "at position 7: Symbol } expected."},
    {"do a = 1", "at position 8: Keyword until expected."},
    {"if (1)", "at position 6: Unexpected end of code reached."},
    {"{ a = 1 } b = 2", "at position 11: Program ends before end of the code."},
    {"\"s\".x = 1", "at position 1: Left hand side must be a real value."},
    {"x = 1 / 0", "at position 9: Division by 0."},
    {"x = 5 mod 0", "at position 11: Modulo by 0."},
    {"x = -\"a\"", "at position 6: Wrong type of arguments to unary operator."},
};

class CompileErrors : public testing::TestWithParam<CompileCase> {};

TEST_P(CompileErrors, ReportsMessageAtPosition) {
  const CompileCase& c = GetParam();
  CCode code(c.text, false);
  ASSERT_FALSE(code.Compile());
  const std::string& message = errorState().current;
  const std::string expected = c.message;
  ASSERT_GE(message.size(), expected.size()) << message;
  EXPECT_EQ(message.substr(message.size() - expected.size()), expected) << message;
  EXPECT_EQ(message.rfind("Error in code at line 1:\r   ", 0), 0u) << message;
  ClearRecordedError();
}

INSTANTIATE_TEST_SUITE_P(Table, CompileErrors, testing::ValuesIn(kCompileErrors));

TEST(Compiler, AcceptsTheLanguagesLooseForms) {
  for (const char* text : {"for (i = 0 i < 3 i += 1) s += i", "a = 1; { b = 2 }", "if (x) ;",
                           "x = 1/y", "f = show_debug_message(1,)", "a[] = 1", "Begin = 1; IF = 2",
                           "var a; a = 1;", "/* open comment", "// only a comment", ""}) {
    CCode code(text, false);
    EXPECT_TRUE(code.Compile()) << text << "\n" << errorState().current;
    ClearRecordedError();
  }
}

TEST(Compiler, ExpressionsFoldToConstants) {
  struct Case {
    const char* text;
    RValue value;
  };
  const Case cases[] = {{"3 4", 3.0},          {"", 0.0},        {"\"abc", "abc   "},
                        {"'q' + \"r\"", "qr"}, {"2 * 3 + 1", 7.0}, {"c_white - 1", 16777214.0},
                        {"-(2)", -2.0}};
  for (const Case& c : cases) {
    CCode code(c.text, true);
    ASSERT_TRUE(code.Compile()) << c.text;
    EXPECT_EQ(code.kind(), kConstantExpression) << c.text;
    RValue result;
    world::CInstance self;
    ASSERT_TRUE(Execute(code, &self, &self, result));
    EXPECT_EQ(result.kind, c.value.kind) << c.text;
    if (c.value.isReal()) EXPECT_EQ(result.real, c.value.real) << c.text;
    else EXPECT_EQ(result.str, c.value.str) << c.text;
  }
}

TEST(Compiler, TextIsHeldScrambledAndGivenBack) {
  const std::string text = "a = \"secret\"\r\nb = 2";
  CCode code(text, false);
  EXPECT_EQ(code.Text(), text);
  ASSERT_TRUE(code.Compile());
  EXPECT_FALSE(code.Compile());
  EXPECT_NE(errorState().current.find("Internal Error: Recompiling compiled code."), std::string::npos);
  ClearRecordedError();
}

TEST(Compiler, DeepNestingIsACompileErrorNotACrash) {
  for (const std::string& text :
       {"x = " + std::string(100000, '(') + "1" + std::string(100000, ')'),
        "x = " + std::string(100000, '-') + "1", std::string(100000, '{'),
        [] {
          std::string s = "x = 1";
          for (int i = 0; i < 100000; ++i) s += " + 1";
          return s;
        }(),
        [] {
          std::string s;
          for (int i = 0; i < 50000; ++i) s += "if (1) ";
          return s + "x = 1";
        }()}) {
    CCode code(text, false);
    EXPECT_FALSE(code.Compile());
    EXPECT_NE(errorState().current.find(kNestingMessage), std::string::npos);
    ClearRecordedError();
  }
}

TEST(ErrorFormat, LinesColumnsAndLineText) {
  // CR LF: the LF counts as a character of the new line.
  EXPECT_EQ(FormatCodeError("a = 1;\r\nb = c;", kProgram, 13, "M"),
            "Error in code at line 2:\r   \nb = c;\r       ^\rat position 6: M");
  EXPECT_EQ(FormatCodeError("abc", kExpression, 2, "M"), "Error in expression:abc\r position 2: M");
  // Positions are clamped to the text; an empty text gives column 0.
  EXPECT_EQ(FormatCodeError("ab", kProgram, 99, "M"), "Error in code at line 1:\r   ab\r   ^\rat position 2: M");
  EXPECT_EQ(FormatCodeError("", kProgram, 0, "M"), "Error in code at line 1:\r   \r ^\rat position 0: M");
}

}  // namespace
}  // namespace qv::code
