// Priority, application title, clipboard and window handle, on the real platform (headless video).
#include "system/system_builtins.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include "platform/clipboard.h"
#include "platform/code_page.h"
#include "platform/game_window.h"
#include "support/builtin_call.h"

#if defined(QV_SANITIZED)
#include <sanitizer/lsan_interface.h>
#endif

using qv::code::RValue;
using qv::system::SystemFunctions;
using qv::testing::CallBuiltin;

namespace {
RValue Call(const char* name, std::vector<RValue> args = {}) { return CallBuiltin(SystemFunctions(), name, std::move(args)); }
}  // namespace

TEST(SystemFunctions, ClipboardRoundTripInCodePage1252) {
  const std::string text = "caf\xE9 \x80 \x93quoted\x94";  // é, euro sign, curly quotes
  Call("clipboard_set_text", {RValue(text)});
  EXPECT_EQ(Call("clipboard_has_text").real, 1);
  EXPECT_EQ(Call("clipboard_get_text").str, text);
  EXPECT_EQ(qv::platform::Cp1252ToUtf8(text), "caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cquoted\xE2\x80\x9D");
  EXPECT_EQ(qv::platform::Utf8ToCp1252("\xE4\xB8\xAD" "a\xC3\xA9\xC3"), "?a\xE9?");  // outside 1252; cut short
}

TEST(SystemFunctions, ApplicationTitleTakesStringsOnly) {
  Call("set_application_title", {RValue("My Game")});
  Call("set_application_title", {5.0});
  EXPECT_EQ(qv::system::ApplicationTitle(), "My Game");
}

TEST(SystemFunctions, ProgramPriorityMapsToNiceValues) {
  // Raising the nice value needs no privilege; lowering it may, so a process started with a
  // higher nice value may stay there, and the last step may not come back to 0.
  int start = getpriority(PRIO_PROCESS, 0);
  Call("set_program_priority", {-1.0});
  int now = getpriority(PRIO_PROCESS, 0);
  EXPECT_TRUE(now == 1 || (start > 1 && now == start)) << now;
  Call("set_program_priority", {-2.0});
  now = getpriority(PRIO_PROCESS, 0);
  EXPECT_TRUE(now == 2 || (start > 2 && now == start)) << now;
  Call("set_program_priority", {-3.0});
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), 19);
  Call("set_program_priority", {7.0});  // not a level: counts as 0
  now = getpriority(PRIO_PROCESS, 0);
  EXPECT_TRUE(now == 0 || now == 19) << now;  // 0 when allowed to lower it again
}

TEST(SystemFunctions, WindowHandleWithoutAWindowIsZero) { EXPECT_EQ(Call("window_handle").real, 0); }


TEST(SystemFunctions, WindowHandleNamesTheGameWindow) {
#if defined(QV_SANITIZED)
  __lsan::ScopedDisabler driverAllocations;  // the GL driver keeps some for the life of the process
#endif
  auto window = qv::platform::GameWindow::Open(64, 48);
  ASSERT_TRUE(window);
  double handle = Call("window_handle").real;
  EXPECT_GT(handle, 0);
  EXPECT_EQ(Call("window_handle").real, handle);  // stable
}
