// The QUORVANE_DEBUGGER list: what each item becomes, and the items that are refused.
#include "runner/debugger_automation.h"

#include <gtest/gtest.h>

namespace qv::runner {
namespace {

TEST(DebuggerActions, EachItemBecomesItsAction) {
  std::string error;
  const auto actions =
      ParseDebuggerActions(" pause@12 ;step;run;show;watch:a + b;watch@100003:x;set:lvl=2;set@100004:s=\"a=b\";;", &error);
  ASSERT_TRUE(actions) << error;
  ASSERT_EQ(actions->size(), 8u);
  const auto& a = *actions;
  EXPECT_EQ(a[0].kind, DebuggerAction::PauseAt);
  EXPECT_EQ(a[0].step, 12);
  EXPECT_EQ(a[1].kind, DebuggerAction::Step);
  EXPECT_EQ(a[2].kind, DebuggerAction::Run);
  EXPECT_EQ(a[3].kind, DebuggerAction::Show);
  EXPECT_EQ(a[4].kind, DebuggerAction::Watch);
  EXPECT_EQ(a[4].expression, "a + b");
  EXPECT_EQ(a[4].context, -5);
  EXPECT_EQ(a[5].context, 100003);
  EXPECT_EQ(a[6].kind, DebuggerAction::Set);
  EXPECT_EQ(a[6].name, "lvl");
  EXPECT_EQ(a[6].expression, "2");
  // The first = splits name and expression; the expression may hold more.
  EXPECT_EQ(a[7].context, 100004);
  EXPECT_EQ(a[7].name, "s");
  EXPECT_EQ(a[7].expression, "\"a=b\"");
}

TEST(DebuggerActions, WrongItemsAreRefusedByName) {
  const char* wrong[] = {"pause@0",      "pause@",         "pause@x",  "pause@-3",    "jump",   "watch:",
                         "watch@:x",     "watch@abc:x",    "set:x",    "set:=3",      "set:x=", "watch@-1:x",
                         "watch@99999999999:x", "step 2", "Step"};
  for (const char* item : wrong) {
    std::string error;
    EXPECT_FALSE(ParseDebuggerActions(std::string("step;") + item, &error)) << item;
    EXPECT_EQ(error, std::string("not a debugger action: \"") + item + "\"");
  }
}

}  // namespace
}  // namespace qv::runner
