// The registry's tables: built-in variables, constants, functions and scripts.
#include <gtest/gtest.h>

#include <string>

#include "code/builtin_variables.h"
#include "code/ccode.h"
#include "code/errors.h"
#include "code/interpreter.h"
#include "code/registry.h"
#include "code/variables.h"
#include "data/stream.h"
#include "world/instance.h"

namespace qv::code {
namespace {

TEST(BuiltinVariables, CatalogueHasEveryNameWithItsFlag) {
  EXPECT_EQ(kBuiltinVariableCount, 155);
  struct Case {
    const char* name;
    int32_t id;
    bool writable;
  };
  const Case cases[] = {{"argument_relative", 0, false}, {"argument", 1, true},
                        {"argument15", 17, true},        {"room", 18, true},
                        {"quorvane_version", 103, false}, {"x", 104, true},
                        {"object_index", 117, false},    {"id", 118, false},
                        {"timeline_loop", 154, true}};
  for (const Case& c : cases) {
    EXPECT_EQ(FindBuiltinVariable(c.name), c.id) << c.name;
    EXPECT_EQ(BuiltinVariableEntry(c.id)->writable, c.writable) << c.name;
  }
  EXPECT_EQ(FindBuiltinVariable("X"), -1);  // names are case-sensitive
  EXPECT_EQ(variableNames().nameOf(9999), "<unknown built-in variable>");
  EXPECT_EQ(variableNames().nameOf(kUserVariableBase + 9999999), "<unknown variable>");
}

TEST(BuiltinVariables, ReadOnlyWritesFailBeforeTheSetterAndBindingTakesEffect) {
  static int calls = 0;
  auto setter = [](CInstanceBase*, int32_t, const RValue&) {
    ++calls;
    return true;
  };
  auto getter = [](CInstanceBase* i, int32_t, RValue& out) {
    out.setReal(i->id);
    return true;
  };
  ASSERT_TRUE(BindBuiltinVariable("id", getter, setter));
  CInstanceBase inst;
  inst.id = 100042;
  RValue v;
  ASSERT_TRUE(ReadBuiltinVariable(bv_id, &inst, 0, v));
  EXPECT_EQ(v.real, 100042.0);
  EXPECT_FALSE(WriteBuiltinVariable(bv_id, &inst, 0, RValue(1.0)));
  EXPECT_EQ(calls, 0);
  BindBuiltinVariable(bv_id, nullptr, nullptr);
}

TEST(Constants, AllBuiltInConstantsWithTheirValues) {
  ResetGameConstants();
  EXPECT_EQ(ConstantCount(), 289);
  struct Case {
    const char* name;
    double value;
  };
  const Case cases[] = {{"self", -1},       {"local", -7},         {"pi", 3.141592653589793},
                        {"c_orange", 4235519}, {"bm_zero", 1},     {"cr_arrrow", -2},
                        {"vk_lshift", 160}, {"vk_f12", 123},       {"ev_user15", 25},
                        {"ef_snow", 11},    {"fa_directory", 16},  {"ev_close_button", 30}};
  for (const Case& c : cases) {
    RValue v;
    ASSERT_TRUE(FindConstant(c.name, v)) << c.name;
    EXPECT_EQ(v.real, c.value) << c.name;
  }
}

TEST(Constants, ResourceNamesComeFirstAndLaterConstantsHideEarlierOnes) {
  ResetGameConstants();
  std::string failure;
  ASSERT_TRUE(PrepareConstants({{"  c_red ", "5"}, {"whiteish", "c_white - 1"}, {"word", "'w' + 'x'"}},
                               failure))
      << failure;
  RValue v;
  ASSERT_TRUE(FindConstant("c_red", v));
  EXPECT_EQ(v.real, 5.0);
  ASSERT_TRUE(FindConstant("whiteish", v));
  EXPECT_EQ(v.real, 16777214.0);
  ASSERT_TRUE(FindConstant("word", v));
  EXPECT_EQ(v.str, "wx");
  SetResourceNameLookup(ResourceKind::Object, [](std::string_view n) { return n == "c_red" ? 3 : -1; });
  ASSERT_TRUE(FindConstant("c_red", v));
  EXPECT_EQ(v.real, 3.0);
  SetResourceNameLookup(ResourceKind::Object, nullptr);

  for (const auto& [name, text, message] :
       {std::tuple<const char*, const char*, const char*>{"1abc", "1", "Constant name 1abc  is not valid."},
        {" \t", "1", "Constant name   is not valid."},
        {"bad", "1 +", "Value for constant bad  is not valid."}}) {
    EXPECT_FALSE(PrepareConstants({{name, text}}, failure));
    EXPECT_EQ(failure, message);
  }
  ResetGameConstants();
}

void returnSeven(BuiltinCall& c) { c.result.setReal(7); }

TEST(Functions, ScriptsHideBuiltInsAndCountsAreChecked) {
  EnsureBuiltinsRegistered();
  const int32_t index = RegisterFunction("test_seven", returnSeven, 0);
  EXPECT_EQ(FindFunction("test_seven"), index);
  EXPECT_EQ(FunctionArgumentCount(index), 0);
  EXPECT_EQ(FunctionArgumentCount(-1), -100);
  EXPECT_EQ(FunctionArgumentCount(kScriptIndexBase + 5), -1);
  ClearScripts();
  AddScript("test_seven", "return 8");
  ASSERT_TRUE(CompileScripts());
  EXPECT_EQ(FindFunction("test_seven"), kScriptIndexBase);
  CCode code("return test_seven()", false);
  ASSERT_TRUE(code.Compile());
  CInstanceBase self;
  RValue r;
  ASSERT_TRUE(Execute(code, &self, &self, r));
  EXPECT_EQ(r.real, 8.0);
  ClearScripts();
}

TEST(Scripts, ChunkRoundTripKeepsEmptySlots) {
  ClearScripts();
  SetScript(0, "first", "return 1");
  SetScript(2, "third", "a = 3");
  data::CStream stream;
  WriteScriptsChunk(stream);
  ClearScripts();
  stream.seek(0);
  ASSERT_TRUE(ReadScriptsChunk(stream));
  EXPECT_EQ(ScriptCount(), 3);
  EXPECT_FALSE(ScriptExists(1));
  EXPECT_EQ(ScriptName(1), "<undefined>");
  EXPECT_EQ(ScriptName(2), "third");
  EXPECT_EQ(Script(0)->text, "return 1");
  EXPECT_EQ(FindScript("third"), 2);
  ClearScripts();
}

TEST(Scripts, CompileFailureIsFatalWithTheScriptsName) {
  ClearScripts();
  ResetErrorState();
  errorSettings().display = false;
  AddScript("broken", "a = ");
  EXPECT_FALSE(CompileScripts());
  EXPECT_EQ(errorState().last.rfind("COMPILATION ERROR in Script: broken\rError in code at line 1:", 0), 0u)
      << errorState().last;
  EXPECT_TRUE(errorState().aborting);
  ResetErrorState();
  errorSettings() = ErrorSettings{};
  ClearScripts();
}

TEST(Variables, SavedFormRoundTripsAndRejectsCorruptCounts) {
  CVariableList list;
  list.set(100001, 0, RValue(2.5));
  list.set(100002, 32000 * 2 + 3, RValue("s"));
  data::CStream stream;
  list.save(stream);
  stream.seek(0);
  CVariableList loaded;
  ASSERT_TRUE(loaded.load(stream));
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_EQ(loaded.get(100001, 0)->real, 2.5);
  EXPECT_EQ(loaded.get(100002, 32000 * 2 + 3)->str, "s");
  EXPECT_NE(loaded.get(100002, 32000 * 2 + 1), nullptr);  // inside the row: the zero value
  EXPECT_EQ(loaded.get(100002, 32000 * 1 + 0), nullptr);  // row 1 is empty

  data::CStream corrupt;
  corrupt.WriteInteger(440);
  corrupt.WriteInteger(0x7FFFFFFF);
  corrupt.seek(0);
  EXPECT_FALSE(loaded.load(corrupt));
  data::CStream wrongVersion;
  wrongVersion.WriteInteger(441);
  wrongVersion.seek(0);
  EXPECT_FALSE(loaded.load(wrongVersion));
  EXPECT_EQ(loaded.size(), 0u);
}

TEST(Variables, GlobalBlockKeepsTheDeclaredFlags) {
  GlobalStore& g = globalStore();
  g.reset();
  g.markGlobal(kUserVariableBase + 20000);  // beyond the first 10000 flags: the table grows
  g.list().set(kUserVariableBase + 1, 0, RValue(4.0));
  data::CStream stream;
  g.save(stream);
  g.reset();
  EXPECT_FALSE(g.isGlobal(kUserVariableBase + 20000));
  stream.seek(0);
  ASSERT_TRUE(g.load(stream));
  EXPECT_TRUE(g.isGlobal(kUserVariableBase + 20000));
  EXPECT_EQ(g.list().get(kUserVariableBase + 1, 0)->real, 4.0);
  g.reset();
}

}  // namespace
}  // namespace qv::code
