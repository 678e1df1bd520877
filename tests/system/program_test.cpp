// Starting programs through a stub on PATH that logs its arguments; the command line and the
// environment.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "actions/action_families.h"
#include "game/included_file_builtins.h"
#include "game/included_files.h"
#include "support/builtin_call.h"
#include "support/whole_file.h"
#include "system/file_builtins.h"
#include "system/program_arguments.h"
#include "system/secure_mode.h"

namespace fs = std::filesystem;
using qv::code::RValue;
using qv::testing::ClearErrors;
using qv::testing::LastError;

namespace {

RValue Call(const char* name, std::vector<RValue> args = {}) {
  return qv::testing::CallBuiltin(qv::system::ProgramFunctions(), name, std::move(args));
}

class Programs : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("qv_programs_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "bin");
    fs::current_path(dir_);
    // The stub writes each argument on a line of its own into log.txt, then "done" after a pause.
    makeScript(dir_ / "bin" / "logargs",
               "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> \"" + (dir_ / "log.txt").string() +
                   "\"; done\nsleep 0.3\necho done >> \"" + (dir_ / "log.txt").string() + "\"\n");
    makeScript(dir_ / "bin" / "xdg-open", "#!/bin/sh\nprintf 'open %s\\n' \"$1\" >> \"" + (dir_ / "log.txt").string() + "\"\n");
    oldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", ((dir_ / "bin").string() + ":" + oldPath_).c_str(), 1);
    qv::system::SetSecureMode(false);
    ClearErrors();
  }
  void TearDown() override {
    ::setenv("PATH", oldPath_.c_str(), 1);
    qv::system::SetSecureMode(false);
    fs::current_path(home_);
    fs::remove_all(dir_);
  }
  static void makeScript(const fs::path& p, const std::string& text) {
    std::ofstream(p) << text;
    fs::permissions(p, fs::perms::owner_all);
  }
  std::string log() { return qv::testing::ReadWholeFile(dir_ / "log.txt"); }
  fs::path home_, dir_;
  std::string oldPath_;
};

TEST(ProgramArguments, SplitByTheWindowsRules) {
  using V = std::vector<std::string>;
  struct Case {
    const char* line;
    V args;
  } cases[] = {
      {"a b\tc", {"a", "b", "c"}},
      {"\"two words\" x", {"two words", "x"}},
      {"a\\\\\"b c\"", {"a\\b c"}},
      {"a\\\"b", {"a\"b"}},
      {"C:\\dir\\file", {"C:\\dir\\file"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"  ", {}},
      {"\"\"", {""}},
      {"x;rm -rf $(y)|z", {"x;rm", "-rf", "$(y)|z"}},
  };
  for (const Case& c : cases) EXPECT_EQ(qv::system::SplitWindowsArguments(c.line), c.args) << c.line;
}

TEST_F(Programs, ExecuteProgramPassesArgumentsVerbatimAndWaits) {
  Call("execute_program", {"logargs", "one \"two three\" a;b $(touch hacked) |x", 1.0});
  EXPECT_EQ(LastError(), "");
  // Waiting returns only after the program ended, so its last line is there.
  EXPECT_EQ(log(), "one\ntwo three\na;b\n$(touch\nhacked)\n|x\ndone\n");
  EXPECT_FALSE(fs::exists("hacked"));
}

TEST_F(Programs, ExecuteProgramWithoutWaitingReturnsAtOnce) {
  Call("execute_program", {"logargs", "quick", 0.0});
  EXPECT_EQ(LastError(), "");
  EXPECT_EQ(log().find("done"), std::string::npos);  // still sleeping
  for (int i = 0; i < 100 && log().find("done") == std::string::npos; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(log(), "quick\ndone\n");
}

TEST_F(Programs, ProgramsThatCannotStartAreReported) {
  const char* names[] = {"no-such-program", "missing\\tool.exe", "C:\\nothing.exe"};
  for (const char* name : names) {
    ClearErrors();
    Call("execute_program", {name, "", 0.0});
    EXPECT_NE(LastError().find(std::string("Cannot execute ") + name), std::string::npos) << LastError();
  }
  // A local file that is neither executable nor a game.
  std::ofstream("notes.exe") << "text";
  ClearErrors();
  Call("execute_program", {"NOTES.EXE", "", 0.0});
  EXPECT_NE(LastError().find("Cannot execute NOTES.EXE"), std::string::npos);
  // A name ending in ".exe" that PATH has without it.
  ClearErrors();
  Call("execute_program", {"logargs.exe", "x", 1.0});
  EXPECT_EQ(LastError(), "");
  EXPECT_EQ(log(), "x\ndone\n");
}

TEST_F(Programs, ShellOpensAddressesAndDocumentsWithTheDesktop) {
  std::ofstream("Readme.txt") << "hello";
  Call("execute_shell", {"http://example.com/a;b", ""});
  Call("execute_shell", {"readme.txt", "ignored"});
  Call("execute_shell", {"logargs", "p q"});
  for (int i = 0; i < 100 && log().find("done") == std::string::npos; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const std::string l = log();
  EXPECT_NE(l.find("open http://example.com/a;b\n"), std::string::npos) << l;
  EXPECT_NE(l.find("open Readme.txt\n"), std::string::npos) << l;
  EXPECT_NE(l.find("p\nq\n"), std::string::npos) << l;
  ClearErrors();
  Call("execute_shell", {"missing.doc", ""});
  EXPECT_NE(LastError().find("Cannot execute missing.doc"), std::string::npos);
}

TEST_F(Programs, SecureModeStartsNothing) {
  qv::system::SetSecureMode(true);
  Call("execute_program", {"logargs", "x", 1.0});
  EXPECT_NE(LastError().find("In Secure mode you cannot execute program logargs"), std::string::npos);
  ClearErrors();
  Call("execute_shell", {"http://example.com", ""});
  EXPECT_NE(LastError().find("In Secure mode you cannot execute program http://example.com"), std::string::npos);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(fs::exists(dir_ / "log.txt"));
}

TEST_F(Programs, WebPagesGoToTheDesktopHandler) {
  auto webpage = [](const char* address) { qv::testing::CallBuiltin(qv::actions::GameActions(), "action_webpage", {address}); };
  webpage("https://example.com/?q=a;b&c=$(x)");
  for (int i = 0; i < 100 && log().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(log(), "open https://example.com/?q=a;b&c=$(x)\n");
  EXPECT_EQ(LastError(), "");
  qv::system::SetSecureMode(true);
  webpage("https://example.com/");
  EXPECT_NE(LastError().find("In secure mode you cannot open webpages."), std::string::npos);
  // Without a handler on PATH the start fails and says so.
  qv::system::SetSecureMode(false);
  ClearErrors();
  fs::remove(dir_ / "bin" / "xdg-open");
  ::setenv("PATH", (dir_ / "bin").c_str(), 1);
  webpage("https://example.com/");
  EXPECT_NE(LastError().find("Failed to open the webpage."), std::string::npos);
}

TEST_F(Programs, IncludedFilesAreExportedAndDiscardedByName) {
  auto call = [](const char* name, std::vector<RValue> args) {
    qv::testing::CallBuiltin(qv::game::IncludedFileFunctions(), name, std::move(args));
  };
  auto& files = qv::game::includedFiles();
  files.clear();
  qv::game::CDataFile f;
  f.fileName = "level.dat";
  f.hasData = true;
  f.data.WriteBytes("LEVEL", 5);
  f.exportKind = 0;  // not written at start: only on request
  f.removeAtEnd = false;
  files.push_back(std::move(f));
  call("export_include_file", {"level.dat"});
  EXPECT_EQ(qv::testing::ReadWholeFile("level.dat"), "LEVEL");
  fs::create_directories("Out");
  call("export_include_file_location", {"level.dat", "out\\copy.dat"});
  EXPECT_EQ(qv::testing::ReadWholeFile("Out/copy.dat"), "LEVEL");
  EXPECT_EQ(LastError(), "");
  call("export_include_file", {"LEVEL.DAT"});  // names are exact
  EXPECT_NE(LastError().find("Trying to export non-existing file."), std::string::npos);
  ClearErrors();
  call("discard_include_file", {"nothing"});
  EXPECT_NE(LastError().find("Trying to discard non-existing file."), std::string::npos);
  call("discard_include_file", {"level.dat"});
  EXPECT_FALSE(files[0].hasData);
  qv::system::SetSecureMode(true);
  ClearErrors();
  call("export_include_file_location", {"level.dat", "x.dat"});
  EXPECT_NE(LastError().find("In secure mode you cannot export a file to a location."), std::string::npos);
  files.clear();
}

TEST_F(Programs, ParametersAndEnvironment) {
  qv::system::SetProgramParameters({"/games/g.exe", "-level", "3"});
  EXPECT_EQ(Call("parameter_count").real, 2);
  EXPECT_EQ(Call("parameter_string", {0.0}).str, "/games/g.exe");
  EXPECT_EQ(Call("parameter_string", {2.0}).str, "3");
  EXPECT_EQ(Call("parameter_string", {3.0}).str, "");
  EXPECT_EQ(Call("parameter_string", {-1.0}).str, "");
  ::setenv("QV_TEST_VARIABLE", "caf\xC3\xA9", 1);
  EXPECT_EQ(Call("environment_get_variable", {"QV_TEST_VARIABLE"}).str, "caf\xE9");
  EXPECT_EQ(Call("environment_get_variable", {"QV_TEST_UNSET_VARIABLE"}).str, "");
  EXPECT_EQ(Call("environment_get_variable", {""}).str, "");
}

}  // namespace
