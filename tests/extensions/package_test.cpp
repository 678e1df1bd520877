// Extension packages as a game carries them: the records and the encoded files block, extracted
// into the temporary directory, prepared (constants, script sections compiled, library functions
// bound) and called by name from game code; initialization and finalization; hostile packages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "code/errors.h"
#include "code/instance_base.h"
#include "code/interpreter.h"
#include "code/registry.h"
#include "data/stream.h"
#include "data/temp_directory.h"
#include "extensions/extension_package.h"
#include "extensions/extension_packages.h"
#include "extensions/external_functions.h"
#include "extensions/script_file.h"
#include "system/host_path.h"
#include "system/secure_mode.h"

namespace qv::extensions {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return Bytes(ss.str());
}

ExtensionFunction Fn(const std::string& name, const std::string& external, int32_t id, int32_t count,
                     std::vector<int32_t> types = {}, int32_t result = 2) {
  ExtensionFunction f;
  f.name = name;
  f.externalName = external;
  f.callType = 12;
  f.id = id;
  f.argumentCount = count;
  f.argumentTypes.fill(2);
  for (size_t k = 0; k < types.size(); ++k) f.argumentTypes[k] = types[k];
  f.resultType = result;
  return f;
}

// One package: a script file (text before its first section, two sections, a function without a
// section), the test library under a Windows name with an initialization and a finalization
// function, and a plain file; the files block made from their contents.
ExtensionPackage TestPackage() {
  ExtensionPackage p;
  p.name = "Tools";
  p.folder = "tools";
  ExtensionFile script;
  script.fileName = "tools.txt";
  script.kind = 2;
  script.functions = {Fn(" twice ", "", 0, 1), Fn("greeting", "hello", 1, 1, {1}, 1), Fn("orphan", "missing", 2, 0)};
  script.constants = {{"TOOLS_LEVEL", "3 * 4"}, {"TOOLS_BROKEN", "1 +"}};
  ExtensionFile library;
  library.fileName = "qvtest.dll";
  library.kind = 1;
  library.initFunction = "lib_start";
  library.finalFunction = "lib_stop";
  library.functions = {Fn("lib_add", "qv_add", 3, 2), Fn("lib_start", "qv_start", 4, 0), Fn("lib_stop", "qv_stop", 5, 0),
                       Fn("lib_bump", "qv_bump", 6, 1), Fn("lib_greet", "qv_greet", 7, 1, {1}, 1)};
  ExtensionFile readme;
  readme.fileName = "readme.txt";
  readme.kind = 4;
  ExtensionFile nothing;
  nothing.fileName = "nothing";
  nothing.kind = 3;
  p.files = {script, library, readme, nothing};
  const std::string scriptText =
      "this line belongs to no function\r\n#define twice\r\nreturn argument0 * 2\r\n"
      "#define hello \r\nvar who;\nwho = argument0;\r\nreturn 'Hi ' + who + '!'";
  p.filesBlock = PackFilesBlock({Bytes(scriptText), FileBytes(QV_TEST_LIBRARY), Bytes("read me")}, 4242);
  return p;
}

data::CStream Chunk(const std::vector<ExtensionPackage>& packages) {
  data::CStream s;
  s.WriteInteger(700);
  s.WriteInteger(int32_t(packages.size()));
  for (const ExtensionPackage& p : packages) WriteExtensionPackage(s, p);
  s.seek(0);
  return s;
}

code::RValue RunCode(const std::string& program) {
  code::CCode code(program, false);
  EXPECT_TRUE(code.Compile()) << code::errorState().current;
  code::CInstanceBase self;
  code::RValue result;
  code::ExecuteValue(code, &self, &self, result);
  return result;
}

class Packages : public ::testing::Test {
 protected:
  void SetUp() override {
    code::EnsureBuiltinsRegistered();
    data::ResetTempDirectoryForTests();
    const fs::path base = fs::temp_directory_path() / "packages";
    fs::create_directories(base);
    ASSERT_TRUE(data::CreateTempDirectory(base.string(), [](const char*) { return std::optional<std::string>(base_); },
                                          system::HostPath));
    code::errorState() = code::ErrorState{};
  }
  void TearDown() override {
    ForgetExternals();
    ForgetExtensionPackages();
    code::ResetGameConstants();
    data::RemoveTempDirectory();
    system::SetSecureMode(false);
  }
  static inline std::string base_ = (fs::temp_directory_path() / "packages").string();
};

TEST(ScriptFiles, SectionsSplitAtDefineLines) {
  // Lines end at CR; a line feed alone ends nothing (it is dropped).
  const auto sections = SplitScriptFile("ignored\r\n#define a\r\nx = 1\r\ny = 2\r#define  b \nz\r\n#definec\r\n");
  ASSERT_EQ(sections.size(), 3u);
  EXPECT_EQ(sections[0], (std::pair<std::string, std::string>{"a", "x = 1\r\ny = 2"}));
  EXPECT_EQ(sections[1], (std::pair<std::string, std::string>{"b z", ""}));
  EXPECT_EQ(sections[2], (std::pair<std::string, std::string>{"c", ""}));
  EXPECT_TRUE(SplitScriptFile("no sections at all").empty());
}

TEST_F(Packages, ExtractedPreparedAndCalledByName) {
  data::CStream chunk = Chunk({TestPackage()});
  ASSERT_TRUE(LoadExtensionPackages(chunk));
  EXPECT_TRUE(chunk.atEnd());
  const fs::path folder = fs::path(data::TempDirectory()) / "tools";
  EXPECT_EQ(FileBytes((folder / "readme.txt").string()), Bytes("read me"));
  EXPECT_TRUE(fs::exists(folder / "qvtest.dll"));
  EXPECT_FALSE(fs::exists(folder / "tools.txt"));  // script files are not written out

  std::vector<std::string> shown;
  std::string failure;
  ASSERT_TRUE(PrepareExtensionPackages([&](const std::string& m) { shown.push_back(m); }, failure)) << failure;
  EXPECT_EQ(shown, std::vector<std::string>{"Value for constant TOOLS_BROKEN  is not valid."});

  EXPECT_EQ(FindExtensionFunction("twice"), 0);  // the name is trimmed
  EXPECT_EQ(code::FindFunction("greeting"), code::kExtensionIndexBase + 1);
  EXPECT_EQ(ExtensionArgumentCount(3), 2);
  EXPECT_EQ(ExtensionArgumentCount(99), -100);
  EXPECT_EQ(ExtensionFunctionName(7), "lib_greet");

  EXPECT_EQ(RunCode("return twice(21) + TOOLS_LEVEL").real, 54);
  EXPECT_EQ(RunCode("return greeting('Ada')").str, "Hi Ada!");
  EXPECT_EQ(RunCode("return lib_add(2, 3)").real, 5);
  EXPECT_EQ(RunCode("return lib_greet('Bob')").str, "Hello, Bob");

  // Initialization and finalization run the library's functions.
  ASSERT_TRUE(InitializeExtensions());
  EXPECT_EQ(RunCode("return lib_bump(5)").real, 105);
  ASSERT_TRUE(FinalizeExtensions());
  EXPECT_EQ(RunCode("return lib_bump(1)").real, 0);

  // A function without its section fails without a message of its own.
  code::errorState() = code::ErrorState{};
  code::CCode orphan("x = orphan()", false);
  ASSERT_TRUE(orphan.Compile());
  code::CInstanceBase self;
  code::RValue result;
  EXPECT_FALSE(code::ExecuteValue(orphan, &self, &self, result));
}

TEST_F(Packages, SecureModeRefusesCallsAndInitialization) {
  data::CStream chunk = Chunk({TestPackage()});
  ASSERT_TRUE(LoadExtensionPackages(chunk));
  std::string failure;
  ASSERT_TRUE(PrepareExtensionPackages([](const std::string&) {}, failure));
  system::SetSecureMode(true);
  EXPECT_FALSE(InitializeExtensions());
  EXPECT_NE(code::errorState().last.find("In secure mode you cannot use extension packages."), std::string::npos);
  code::CCode call("x = twice(2)", false);
  ASSERT_TRUE(call.Compile());
  code::CInstanceBase self;
  code::RValue result;
  EXPECT_FALSE(code::ExecuteValue(call, &self, &self, result));
}

TEST_F(Packages, CompileErrorsAndMissingInitializationAreFatal) {
  ExtensionPackage broken = TestPackage();
  broken.files[0].functions[0].externalName = "bad";
  broken.files[0].functions.push_back(Fn("bad_one", "bad", 8, 0));
  broken.filesBlock = PackFilesBlock({Bytes("#define bad\r\nx = = 1"), FileBytes(QV_TEST_LIBRARY), Bytes("")}, 77);
  data::CStream chunk = Chunk({broken});
  ASSERT_TRUE(LoadExtensionPackages(chunk));
  std::string failure;
  EXPECT_FALSE(PrepareExtensionPackages([](const std::string&) {}, failure));
  EXPECT_EQ(failure.rfind("COMPILATION ERROR in extension package Tools\r", 0), 0u) << failure;

  ForgetExtensionPackages();
  ExtensionPackage noInit = TestPackage();
  noInit.files[1].initFunction = "lib_nowhere";
  data::CStream second = Chunk({noInit});
  ASSERT_TRUE(LoadExtensionPackages(second));
  ASSERT_TRUE(PrepareExtensionPackages([](const std::string&) {}, failure));
  EXPECT_FALSE(InitializeExtensions());
  EXPECT_NE(code::errorState().last.find("Could not locate initialization function lib_nowhere"), std::string::npos);
}

// Packages come from anywhere: names that would leave the temporary directory, records of another
// version, a cut block and a count of 100,000 functions with no data behind it fail to load.
TEST_F(Packages, HostilePackagesFailToLoad) {
  auto withFileName = [](const std::string& name) {
    ExtensionPackage p = TestPackage();
    p.files[2].fileName = name;
    return p;
  };
  auto withFolder = [](const std::string& folder) {
    ExtensionPackage p = TestPackage();
    p.folder = folder;
    return p;
  };
  auto cut = [] {
    ExtensionPackage p = TestPackage();
    p.filesBlock.resize(p.filesBlock.size() / 2);
    return p;
  };
  for (const ExtensionPackage& p : {withFileName("../escape.txt"), withFileName("a/b.txt"), withFileName("/etc/x"),
                                    withFileName(".."), withFolder("../up"), withFolder("/abs"), cut()}) {
    data::CStream chunk = Chunk({p});
    EXPECT_FALSE(LoadExtensionPackages(chunk)) << p.folder << " " << p.files[2].fileName;
  }
  EXPECT_FALSE(fs::exists(fs::path(data::TempDirectory()).parent_path() / "escape.txt"));

  data::CStream wrongVersion = Chunk({TestPackage()});
  wrongVersion.seek(8);
  wrongVersion.WriteInteger(701);
  wrongVersion.seek(0);
  EXPECT_FALSE(LoadExtensionPackages(wrongVersion));

  data::CStream many;
  many.WriteInteger(700);
  many.WriteInteger(1);
  many.WriteInteger(700);
  many.WriteString("big");
  many.WriteString("big");
  many.WriteInteger(1);
  many.WriteInteger(700);
  many.WriteString("f");
  many.WriteInteger(2);
  many.WriteString("");
  many.WriteString("");
  many.WriteInteger(100000);  // functions claimed, none there
  many.seek(0);
  EXPECT_FALSE(LoadExtensionPackages(many));

  // Data that ends before the chunk's first number is refused, not thrown.
  data::CStream empty;
  EXPECT_FALSE(LoadExtensionPackages(empty));

  // Another chunk version means no packages, and the next chunk follows.
  data::CStream none;
  none.WriteInteger(600);
  none.WriteInteger(123);
  none.seek(0);
  EXPECT_TRUE(LoadExtensionPackages(none));
  EXPECT_EQ(none.ReadInteger(), 123);
}

}  // namespace
}  // namespace qv::extensions
