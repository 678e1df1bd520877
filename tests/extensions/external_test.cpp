// Library functions bound and called from game code: the checks and messages of external_define,
// calls with reals, strings and both, results of both kinds, freeing, secure mode, and where a
// Windows library name is looked for.
#include <gtest/gtest.h>

#include <filesystem>

#include "extensions/external_builtins.h"
#include "extensions/external_functions.h"
#include "support/builtin_call.h"
#include "system/secure_mode.h"

namespace qv::extensions {
namespace {

using code::RValue;
using testing::LastError;

// The library by a Windows name in its own folder, as a game beside it would name it.
const std::string kLibrary = (std::filesystem::path(QV_TEST_LIBRARY).parent_path() / "qvtest.dll").string();

RValue Call(std::string_view name, std::vector<RValue> args) {
  return testing::CallBuiltin(ExternalFunctions(), name, std::move(args));
}

class External : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetExternals();
    testing::ClearErrors();
  }
  void TearDown() override {
    ForgetExternals();
    system::SetSecureMode(false);
  }
};

TEST_F(External, RealsStringsAndBothKindsOfResult) {
  const double add = Call("external_define", {kLibrary, "qv_add", 0.0, 0.0, 2.0, 0.0, 0.0}).real;
  ASSERT_GE(add, 0) << LastError();
  EXPECT_EQ(Call("external_call", {add, 2.5, 4.0}).real, 6.5);
  EXPECT_EQ(Call("external_call", {add, 2.5}).real, 0);           // one argument where two were defined
  EXPECT_EQ(Call("external_call", {add, "7", 1.0}).real, 1);      // a string for a real parameter passes 0
  EXPECT_EQ(Call("external_call", {99.0, 1.0, 2.0}).real, 0);     // no such entry

  const double greet = Call("external_define1", {kLibrary, "qv_greet", 1.0, 1.0}).real;
  const RValue hello = Call("external_call1", {greet, "Ada"});
  ASSERT_TRUE(hello.isString());
  EXPECT_EQ(hello.str, "Hello, Ada");
  EXPECT_EQ(Call("external_call1", {greet, 3.0}).str, "Hello, ");  // a real for a string parameter: ""

  const double mixed = Call("external_define3", {kLibrary, "qv_mixed", 0.0, 1.0, 0.0, 0.0}).real;
  EXPECT_EQ(Call("external_call3", {mixed, 1.0, "four", 10.0}).real, 41);
  const double sum8 = Call("external_define8", {kLibrary, "qv_sum8", 0.0}).real;
  EXPECT_EQ(Call("external_call8", {sum8, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0}).real, 36);

  // A string result is copied at once: the library reuses its buffer.
  const double reused = Call("external_define0", {kLibrary, "qv_reused", 1.0}).real;
  const RValue first = Call("external_call0", {reused});
  const RValue second = Call("external_call0", {reused});
  EXPECT_EQ(first.str, "call 1");
  EXPECT_EQ(second.str, "call 2");
  const double null = Call("external_define0", {kLibrary, "qv_null", 1.0}).real;
  const RValue none = Call("external_call0", {null});
  EXPECT_TRUE(none.isString());
  EXPECT_EQ(none.str, "");
}

TEST_F(External, DefinitionChecksAndTheirMessages) {
  struct Case {
    std::vector<RValue> args;
    const char* message;
    double result;
  };
  const std::vector<Case> table = {
      {{kLibrary, "qv_add", 0.0, 0.0}, "Wrong number of arguments to external_define()", 0},
      {{kLibrary, "qv_add", 0.0, 0.0, 2.0, 0.0}, "Wrong number of arguments to external_define()", 0},
      {{kLibrary, "qv_sum8", 0.0, 0.0, 5.0, 0.0, 0.0, 1.0, 0.0, 0.0},
       "DLL functions with more than 4 arguments cannot have string arguments", 0},
      {{kLibrary, "qv_add", 0.0, 0.0, 17.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0},
       "DLL functions can have at most 16 arguments", 0},
      {{kLibrary, "no_such_export", 0.0, 0.0, 0.0}, "Error defining an external function.", -1},
      {{"missing_library.dll", "qv_add", 0.0, 0.0, 0.0}, "Error defining an external function.", -1},
      {{"", "qv_add", 0.0, 0.0, 0.0}, "Error defining an external function.", -1},
  };
  for (const Case& c : table) {
    testing::ClearErrors();
    EXPECT_EQ(Call("external_define", c.args).real, c.result) << c.message;
    EXPECT_NE(LastError().find(c.message), std::string::npos) << LastError();
  }
  // Five real arguments are fine.
  testing::ClearErrors();
  EXPECT_GE(Call("external_define", {kLibrary, "qv_sum8", 0.0, 0.0, 5.0, 0.0, 0.0, 0.0, 0.0, 0.0}).real, 0);
  EXPECT_EQ(LastError(), "");
}

TEST_F(External, FreedByAnotherLetterCaseAndSecureMode) {
  const std::string upper = (std::filesystem::path(kLibrary).parent_path() / "QVTEST.DLL").string();
  const double add = Call("external_define2", {kLibrary, "qv_add", 0.0, 0.0, 0.0}).real;
  const double bump = Call("external_define1", {kLibrary, "qv_bump", 0.0, 0.0}).real;
  Call("external_call1", {bump, 5.0});
  EXPECT_EQ(Call("external_call1", {bump, 1.0}).real, 6);  // one module: its state is shared
  Call("external_free", {upper});
  EXPECT_EQ(Call("external_call2", {add, 1.0, 2.0}).real, 0);
  EXPECT_EQ(Call("external_call1", {bump, 1.0}).real, 0);

  system::SetSecureMode(true);
  testing::ClearErrors();
  EXPECT_EQ(Call("external_define2", {kLibrary, "qv_add", 0.0, 0.0, 0.0}).real, 0);
  EXPECT_NE(LastError().find("In secure mode you cannot use DLLs"), std::string::npos);
}

TEST(NativeLibraries, WindowsNamesLookForSharedLibrariesOfTheSameBaseName) {
  const std::string here = std::filesystem::current_path().string();
  const auto found = NativeLibraryCandidates("Sound.DLL", "");
  ASSERT_GE(found.size(), 4u);
  EXPECT_EQ(found[0], here + "/Sound.so");
  EXPECT_EQ(found[1], here + "/libSound.so");
  EXPECT_EQ(found[found.size() - 2], "Sound.so");  // then the system's library path
  EXPECT_EQ(found.back(), "libSound.so");
  const auto inPackage = NativeLibraryCandidates("/tmp/pkg/net.dll", "/tmp/pkg");
  EXPECT_EQ(inPackage[0], "/tmp/pkg/net.so");
  EXPECT_TRUE(NativeLibraryCandidates("", "").empty());
  EXPECT_TRUE(NativeLibraryCandidates(".dll", "").empty());
}

}  // namespace
}  // namespace qv::extensions
