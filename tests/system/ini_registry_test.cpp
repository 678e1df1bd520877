// INI files, the registry over the per-user store, and the atomic replacement of both.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/builtin_call.h"
#include "support/whole_file.h"
#include "system/file_builtins.h"
#include "system/secure_mode.h"
#include "system/text_file_codec.h"

namespace fs = std::filesystem;
using qv::code::RValue;
using qv::testing::ClearErrors;
using qv::testing::LastError;

namespace {

RValue Call(const char* name, std::vector<RValue> args = {}) {
  return qv::testing::CallBuiltinIn({qv::system::IniFunctions(), qv::system::RegistryFunctions(), qv::system::FileFunctions()}, name, std::move(args));
}

std::string Read(const fs::path& p) { return qv::testing::ReadWholeFile(p); }
void Write(const fs::path& p, const std::string& s) { std::ofstream(p, std::ios::binary) << s; }

class Stored : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("qv_ini_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "data");
    fs::current_path(dir_);
    ::setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
    qv::system::SetSecureMode(false);
    qv::system::SetRegistryGameId(4242);
    ClearErrors();
  }
  void TearDown() override {
    qv::system::CloseGameFiles();
    qv::system::SetSecureMode(false);
    fs::current_path(home_);
    fs::remove_all(dir_);
  }
  fs::path home_, dir_;
};

TEST_F(Stored, IniNumbersAndTheGeneralTextForm) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {{"1.5e2", 150},  {"2,5", 2.5},    {"1.2.3", 1.2},  {"-3", -3},     {"1e-2", 0.01},
               {"2.5e1e3", 25}, {"abc", 0},      {"", 0},         {"12px", 12},   {"1.5E20", 1.5e20}};
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(qv::system::ParseIniReal(c.text), c.value) << c.text;
  struct Form {
    double x;
    const char* text;
  } forms[] = {{0.1, "0.1"}, {150, "150"}, {-2.5, "-2.5"}, {1.5e20, "1.5E20"}, {1e-5, "1E-5"}, {1.0 / 3, "0.333333333333333"}};
  for (const Form& f : forms) {
    EXPECT_EQ(qv::system::FormatGeneralReal(f.x), f.text);
    EXPECT_NEAR(qv::system::ParseIniReal(qv::system::FormatGeneralReal(f.x)), f.x, std::fabs(f.x) * 1e-14);
  }
}

TEST_F(Stored, IniFilesKeepWhatTheyDoNotKnowAndIgnoreCase) {
  Write("game.ini", "; the player's notes\r\n[Sound]\r\nVolume = 70 \r\nodd line\r\n\r\n[Keys]\r\nleft=37\r\n");
  Call("ini_open", {"GAME.INI"});
  EXPECT_EQ(Call("ini_read_real", {"sound", "VOLUME", 5.0}).real, 70);
  EXPECT_EQ(Call("ini_read_string", {"keys", "right", "none"}).str, "none");
  EXPECT_EQ(Call("ini_read_real", {"keys", "right", 2.5}).real, 2.5);  // the default, through its text
  EXPECT_EQ(Call("ini_key_exists", {"SOUND", "volume"}).real, 1);
  EXPECT_EQ(Call("ini_section_exists", {"video"}).real, 0);
  Call("ini_write_real", {"sound", "volume", 0.5});
  Call("ini_write_string", {"Sound", "music", "on"});
  Call("ini_write_string", {"Video", "mode", "full"});
  // On disk at once, in the file of the other case, comments and unknown lines kept.
  EXPECT_EQ(Read("game.ini"),
            "; the player's notes\r\n[Sound]\r\nvolume=0.5\r\nodd line\r\nmusic=on\r\n\r\n[Keys]\r\nleft=37\r\n"
            "[Video]\r\nmode=full\r\n");
  Call("ini_key_delete", {"SOUND", "Volume"});
  Call("ini_section_delete", {"keys"});
  EXPECT_EQ(Read("game.ini"), "; the player's notes\r\n[Sound]\r\nodd line\r\nmusic=on\r\n\r\n[Video]\r\nmode=full\r\n");
  // A change made on disk by someone else is seen.
  Write("game.ini", "[a]\nb=\"quoted value\"\n");
  EXPECT_EQ(Call("ini_read_string", {"A", "B", ""}).str, "quoted value");
  Call("ini_write_string", {"a", "c", "line\r\nbreak"});
  EXPECT_EQ(Read("game.ini"), "[a]\nb=\"quoted value\"\nc=line  break\n");
  EXPECT_EQ(LastError(), "");
  EXPECT_FALSE(fs::exists("GAME.INI"));
}

TEST_F(Stored, IniMessages) {
  const std::pair<std::vector<RValue>, const char*> cases[] = {
      {{"ini_read_string", "a", "b", "c"}, "Trying to read from undefined INI file"},
      {{"ini_section_exists", "a"}, "Trying to read from undefined INI file"},
      {{"ini_write_real", "a", "b", 1.0}, "Trying to write to undefined INI file"},
      {{"ini_key_delete", "a", "b"}, "Trying to change undefined INI file"},
      {{"ini_open", "sub/x.ini"}, "INI files must be located in the same directory as the program"},
      {{"ini_open", "C:\\x.ini"}, "INI files must be located in the same directory as the program"},
  };
  for (const auto& [call, message] : cases) {
    ClearErrors();
    Call(call[0].str.c_str(), std::vector<RValue>(call.begin() + 1, call.end()));
    EXPECT_NE(LastError().find(message), std::string::npos) << call[0].str << ": " << LastError();
  }
  Call("ini_close");  // harmless without a file
  EXPECT_FALSE(fs::exists("sub") || fs::exists("x.ini") || fs::exists("C:\\x.ini"));
}

TEST_F(Stored, HugeIniFilesAnswerWithBoundedMemory) {
  {  // 100 MB (sparse): not read, defaults answered, never overwritten.
    std::ofstream("big.ini", std::ios::binary) << "[a]\r\nb=1\r\n";
    fs::resize_file("big.ini", 100u << 20);
  }
  Call("ini_open", {"big.ini"});
  EXPECT_EQ(Call("ini_read_real", {"a", "b", 7.0}).real, 7);
  Call("ini_write_real", {"a", "b", 2.0});
  EXPECT_EQ(fs::file_size("big.ini"), 100u << 20);
  // A million sections are searched, not indexed.
  {
    std::ofstream out("many.ini", std::ios::binary);
    for (int i = 0; i < 1000000; ++i) out << "[s" << i << "]\r\n";
    out << "k=42\r\n";
  }
  Call("ini_open", {"many.ini"});
  EXPECT_EQ(Call("ini_read_real", {"S999999", "K", 0.0}).real, 42);
  EXPECT_EQ(Call("ini_section_exists", {"s500000"}).real, 1);
}

// A writer killed at any moment leaves the old or the new content, never a torn file.
TEST_F(Stored, AKilledWriterNeverLeavesATornFile) {
  const std::string a(200000, 'a'), b(200000, 'b');
  Call("ini_open", {"kill.ini"});
  Call("ini_write_string", {"s", "k", a});
  const std::string withA = Read("kill.ini");
  Call("ini_write_string", {"s", "k", b});
  const std::string withB = Read("kill.ini");
  for (int round = 0; round < 20; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 0;; ++i) {
        Call("ini_write_string", {"s", "k", i % 2 ? a : b});
        Call("file_text_open_write", {"text.txt"});
        Call("file_text_write_string", {1.0, i % 2 ? a : b});
        Call("file_text_close", {1.0});
      }
    }
    ::usleep(static_cast<useconds_t>(3000 + round * 1500));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    const std::string ini = Read("kill.ini");
    EXPECT_TRUE(ini == withA || ini == withB) << "round " << round << ": " << ini.size() << " bytes";
    if (fs::exists("text.txt")) {
      const std::string text = Read("text.txt");
      EXPECT_TRUE(text == a || text == b) << "round " << round << ": " << text.size() << " bytes";
    }
  }
}

// What a killed writer left is removed by the next writer of the same file; what a living writer
// holds (locked) stays.
TEST_F(Stored, TemporaryFilesOfDeadWritersAreRemoved) {
  Write("opts.ini.qvtmp-1", "left by a killed game");
  Write("opts.ini.qvtmp-2", "being written");
  Write("other.ini.qvtmp-3", "another file's");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t holder = ::fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    int fd = ::open("opts.ini.qvtmp-2", O_RDWR);
    ::flock(fd, LOCK_EX);
    (void)!::write(ready[1], "x", 1);
    ::pause();
    ::_exit(0);
  }
  char c;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  Call("ini_open", {"opts.ini"});
  Call("ini_write_real", {"a", "b", 1.0});
  EXPECT_FALSE(fs::exists("opts.ini.qvtmp-1"));
  EXPECT_TRUE(fs::exists("opts.ini.qvtmp-2"));
  EXPECT_TRUE(fs::exists("other.ini.qvtmp-3"));
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  Call("file_text_open_write", {"opts.ini"});
  Call("file_text_close", {1.0});
  EXPECT_FALSE(fs::exists("opts.ini.qvtmp-2"));
  EXPECT_EQ(Read("opts.ini"), "");
}

TEST_F(Stored, RegistryKeepsRootsAndTypesApart) {
  Call("registry_write_string", {"Name", "caf\xE9"});
  Call("registry_write_real", {"score", 12.5});
  EXPECT_EQ(Call("registry_read_string", {"name"}).str, "caf\xE9");  // names without regard to case
  EXPECT_EQ(Call("registry_read_real", {"SCORE"}).real, 12.5);
  EXPECT_EQ(Call("registry_read_real", {"name"}).real, 0);       // a string read as a real
  EXPECT_EQ(Call("registry_read_string", {"score"}).str, "");   // and the other way round
  EXPECT_EQ(Call("registry_exists", {"missing"}).real, 0);
  // The game key is the one the _ext functions see under the current user.
  EXPECT_EQ(Call("registry_read_real_ext", {"\\Software\\Quorvane\\4242", "score"}).real, 12.5);
  Call("registry_set_root", {1.0});
  EXPECT_EQ(Call("registry_exists_ext", {"\\Software\\Quorvane\\4242", "score"}).real, 0);
  Call("registry_write_string_ext", {"Software\\Other", "v", "machine"});
  Call("registry_set_root", {7.0});  // not a root: the current user
  EXPECT_EQ(Call("registry_read_real_ext", {"\\Software\\Quorvane\\4242", "score"}).real, 12.5);
  EXPECT_EQ(Call("registry_read_string_ext", {"Software\\Other", "v"}).str, "");
  Call("registry_set_root", {1.0});
  EXPECT_EQ(Call("registry_read_string_ext", {"\\SOFTWARE\\other\\", "V"}).str, "machine");
  // Names are data: nothing outside the store appears.
  Call("registry_write_string", {"../../escape", "x"});
  EXPECT_FALSE(fs::exists(dir_ / "escape"));
  EXPECT_EQ(Call("registry_read_string", {"../../escape"}).str, "x");
  // Secure mode forbids the _ext writes only.
  qv::system::SetSecureMode(true);
  ClearErrors();
  Call("registry_write_real_ext", {"Software\\Other", "w", 1.0});
  EXPECT_NE(LastError().find("In Secure mode you cannot write registry entries in Software\\Other"), std::string::npos);
  EXPECT_EQ(Call("registry_exists_ext", {"Software\\Other", "w"}).real, 0);
  ClearErrors();
  Call("registry_write_real", {"allowed", 1.0});
  EXPECT_EQ(LastError(), "");
  EXPECT_EQ(Call("registry_read_real", {"allowed"}).real, 1);
}

}  // namespace
