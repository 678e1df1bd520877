// Binary, text and legacy files, files and directories, file names and searches, on real files in
// a scratch directory that each test starts in.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/builtin_call.h"
#include "support/whole_file.h"
#include "system/file_builtins.h"
#include "system/secure_mode.h"

namespace fs = std::filesystem;
using qv::code::RValue;
using qv::testing::ClearErrors;
using qv::testing::LastError;

namespace {

RValue Call(const char* name, std::vector<RValue> args = {}) {
  return qv::testing::CallBuiltinIn({qv::system::FileFunctions(), qv::system::FileSearchFunctions(), qv::system::FilenameFunctions()}, name, std::move(args));
}

std::string Read(const fs::path& p) { return qv::testing::ReadWholeFile(p); }
void Write(const fs::path& p, const std::string& s) { std::ofstream(p, std::ios::binary) << s; }

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("qv_files_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
    qv::system::SetSecureMode(false);
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

TEST_F(Files, ThirtyTwoSlotsEachAndTheLowestFreeOneIsTaken) {
  for (const char* open : {"file_bin_open", "file_text_open_write"}) {
    SCOPED_TRACE(open);
    for (int i = 1; i <= 32; ++i) {
      RValue n = std::string(open) == "file_bin_open" ? Call(open, {"f" + std::to_string(i), 2.0})
                                                       : Call(open, {"t" + std::to_string(i)});
      ASSERT_EQ(n.real, i);
    }
    RValue extra = std::string(open) == "file_bin_open" ? Call(open, {"x", 2.0}) : Call(open, {"x"});
    EXPECT_EQ(extra.real, -1);
    EXPECT_EQ(LastError().find("Cannot open another file (maximum exceeded)."), 0u) << LastError();
    ClearErrors();
    const char* close = std::string(open) == "file_bin_open" ? "file_bin_close" : "file_text_close";
    Call(close, {7.0});
    Call(close, {3.0});
    RValue again = std::string(open) == "file_bin_open" ? Call(open, {"y", 2.0}) : Call(open, {"y"});
    EXPECT_EQ(again.real, 3);
  }
  // The legacy file is one more, beside both full tables.
  Call("file_open_write", {"legacy.txt"});
  Call("file_write_string", {"ok"});
  Call("file_close");
  EXPECT_EQ(Read("legacy.txt"), "ok");
  EXPECT_EQ(LastError(), "");
}

TEST_F(Files, ClosingAnUnopenedNumberDiffersBetweenTextAndBinary) {
  struct Case {
    const char* function;
    double number;
    const char* message;  // "" for silence
  } cases[] = {
      {"file_text_close", 5, ""},
      {"file_text_close", 0, "Trying to close unexisting text file."},
      {"file_text_close", 33, "Trying to close unexisting text file."},
      {"file_bin_close", 5, "Trying to close unopened file."},
      {"file_bin_rewrite", 40, "Trying to rewrite unopened file."},
      {"file_bin_size", 1, "File is not opened."},
      {"file_text_read_string", 1, "File is not opened for reading."},
      {"file_text_writeln", 1, "File not opened for writing."},
  };
  for (const Case& c : cases) {
    ClearErrors();
    Call(c.function, {c.number});
    EXPECT_NE(LastError().find(c.message), std::string::npos) << c.function << " " << c.number << ": " << LastError();
    if (*c.message == 0) {
      EXPECT_EQ(LastError(), "") << c.function;
    }
  }
  EXPECT_TRUE(Call("file_text_read_string", {2.0}).isString());  // a failed string read gives ""
  ClearErrors();
  Call("file_eof");
  EXPECT_NE(LastError().find("File is not opened for reading."), std::string::npos);
  ClearErrors();
  Call("file_read_string");
  EXPECT_NE(LastError().find("File not opened for reading."), std::string::npos);
}

TEST_F(Files, BinaryFilesReadWriteSeekAndCreateMissingFiles) {
  EXPECT_EQ(Call("file_bin_open", {"new.bin", 0.0}).real, 1);  // mode 0 creates an empty file
  EXPECT_TRUE(fs::exists("new.bin"));
  EXPECT_EQ(Call("file_bin_size", {1.0}).real, 0);
  Call("file_bin_close", {1.0});
  Write("data.bin", "abc");
  ASSERT_EQ(Call("file_bin_open", {"DATA.BIN", 2.0}).real, 1);  // case-insensitive, not truncated
  EXPECT_EQ(Call("file_bin_read_byte", {1.0}).real, 'a');
  Call("file_bin_seek", {1.0, 2.0});
  Call("file_bin_write_byte", {1.0, 256.0 + 'Z'});  // the low 8 bits
  EXPECT_EQ(Call("file_bin_position", {1.0}).real, 3);
  EXPECT_EQ(Call("file_bin_size", {1.0}).real, 3);
  ClearErrors();
  EXPECT_EQ(Call("file_bin_read_byte", {1.0}).real, 0);
  EXPECT_NE(LastError().find("Error reading byte."), std::string::npos);
  Call("file_bin_close", {1.0});
  EXPECT_EQ(Read("data.bin"), "abZ");
  ASSERT_EQ(Call("file_bin_open", {"data.bin", 1.0}).real, 1);
  Call("file_bin_rewrite", {1.0});
  Call("file_bin_close", {1.0});
  EXPECT_EQ(Read("data.bin"), "");
}

TEST_F(Files, TextFilesWriteCrLfAndTheRealFormat) {
  ASSERT_EQ(Call("file_text_open_write", {"out.txt"}).real, 1);
  Call("file_text_write_string", {1.0, "name"});
  for (double x : {0.1, 7.0, -1.5, 2.5, 3.0000001, 0.0})
    Call("file_text_write_real", {1.0, x});
  Call("file_text_writeln", {1.0});
  Call("file_text_write_string", {1.0, "end"});
  Call("file_text_close", {1.0});
  EXPECT_EQ(Read("out.txt"), "name 0.100000 7 -1.500000 2.500000 3 0\r\nend");
  ASSERT_EQ(Call("file_text_open_append", {"out.txt"}).real, 1);
  Call("file_text_writeln", {1.0});
  Call("file_text_write_string", {1.0, "more"});
  Call("file_text_close", {1.0});
  EXPECT_EQ(Read("out.txt"), "name 0.100000 7 -1.500000 2.500000 3 0\r\nend\r\nmore");
  EXPECT_EQ(LastError(), "");
}

TEST_F(Files, AFileBeingWrittenKeepsItsOldContentUntilClosed) {
  Write("save.txt", "old");
  ASSERT_EQ(Call("file_text_open_write", {"Save.txt"}).real, 1);  // reuses the file of another case
  Call("file_text_write_string", {1.0, "new"});
  EXPECT_EQ(Read("save.txt"), "old");
  Call("file_text_close", {1.0});
  EXPECT_EQ(Read("save.txt"), "new");
  size_t entries = 0;
  for (auto& e : fs::directory_iterator(".")) entries += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(entries, 1u);  // no second file of another case, no temporary file left
}

TEST_F(Files, TextFilesReadRealsStringsAndAnyLineEnd) {
  Write("in.txt", "  -12,5xyz\r\n3 4\n\rlast\r1.2.3");
  ASSERT_EQ(Call("file_text_open_read", {"in.txt"}).real, 1);
  EXPECT_EQ(Call("file_text_read_real", {1.0}).real, -12.5);
  EXPECT_EQ(Call("file_text_read_string", {1.0}).str, "yz");  // the x ended the number
  EXPECT_EQ(Call("file_text_eoln", {1.0}).real, 1);
  Call("file_text_readln", {1.0});
  EXPECT_EQ(Call("file_text_read_real", {1.0}).real, 3);
  EXPECT_EQ(Call("file_text_read_string", {1.0}).str, "4");  // the blank was consumed
  Call("file_text_readln", {1.0});
  EXPECT_EQ(Call("file_text_read_real", {1.0}).real, 0);  // an empty line (the lone CR)
  EXPECT_EQ(Call("file_text_read_string", {1.0}).str, "");
  Call("file_text_readln", {1.0});
  EXPECT_EQ(Call("file_text_read_string", {1.0}).str, "last");
  Call("file_text_readln", {1.0});
  EXPECT_DOUBLE_EQ(Call("file_text_read_real", {1.0}).real, 1.203);  // each separator shifts further
  EXPECT_EQ(Call("file_text_eof", {1.0}).real, 1);
  Call("file_text_close", {1.0});
  ClearErrors();
  EXPECT_EQ(Call("file_text_open_read", {"missing.txt"}).real, -1);
  EXPECT_EQ(LastError(), "");  // a missing file is no error
}

TEST_F(Files, BadNamesAndEndlessDevicesAreBounded) {
  ClearErrors();
  const std::string nul("a\0b", 3);
  EXPECT_EQ(Call("file_text_open_read", {nul}).real, -1);
  EXPECT_EQ(Call("file_exists", {nul}).real, 0);
  Write("a", "x");
  EXPECT_EQ(Call("file_exists", {nul}).real, 0);  // not "a", where the host would cut the name
  EXPECT_EQ(Call("file_text_open_write", {nul}).real, -1);
  EXPECT_NE(LastError().find("Error opening file for writing."), std::string::npos);
  ClearErrors();
  EXPECT_EQ(Call("file_bin_open", {std::string(10000, 'n'), 2.0}).real, -1);
  EXPECT_NE(LastError().find("Error opening binary file."), std::string::npos);
  // Neither a directory nor a read-only file is replaced.
  fs::create_directories("dir");
  Write("locked.txt", "keep");
  fs::permissions("locked.txt", fs::perms::owner_read);
  for (const char* name : {"dir", "locked.txt"}) {
    ClearErrors();
    EXPECT_EQ(Call("file_text_open_write", {name}).real, -1) << name;
    EXPECT_NE(LastError().find("Error opening file for writing."), std::string::npos) << name;
  }
  EXPECT_EQ(Read("locked.txt"), "keep");
  // A device that never ends is read in bounded pieces.
  ASSERT_EQ(Call("file_text_open_read", {"/dev/zero"}).real, 1);
  EXPECT_EQ(Call("file_text_read_string", {1.0}).str.size(), 16u << 20);
  EXPECT_EQ(Call("file_text_eof", {1.0}).real, 0);
  Call("file_text_close", {1.0});
  // A pipe is not opened at all (it would hold the game until someone writes).
  ASSERT_EQ(::mkfifo("pipe", 0600), 0);
  ClearErrors();
  EXPECT_EQ(Call("file_text_open_read", {"pipe"}).real, -1);
  EXPECT_NE(LastError().find("Error opening file for reading."), std::string::npos);
}

TEST_F(Files, SecureModeRefusesWritesThatLeaveTheDirectory) {
  fs::create_directories("sub");
  fs::create_symlink("/tmp", "link");
  Write("keep.txt", "k");
  qv::system::SetSecureMode(true);
  struct Case {
    std::vector<RValue> call;
    const char* message;
  };
  const Case cases[] = {
      {{"file_text_open_write", "C:\\x.txt"}, "In secure mode you cannot write file C:\\x.txt"},
      {{"file_text_open_append", "sub/x.txt"}, "In secure mode you cannot append to file sub/x.txt"},
      {{"file_text_open_write", "C:x.txt"}, "In secure mode you cannot write file C:x.txt"},
      {{"file_text_open_write", "link"}, "In secure mode you cannot write file link"},
      {{"file_open_write", ".."}, "In secure mode you cannot write file .."},
      {{"file_delete", "sub\\keep.txt"}, "In Secure mode you cannot delete file sub\\keep.txt"},
      {{"file_rename", "keep.txt", "sub/k.txt"}, "In Secure mode you cannot rename file keep.txt into sub/k.txt"},
      {{"file_copy", "keep.txt", "..\\k.txt"}, "In Secure mode you cannot copy file keep.txt to ..\\k.txt"},
      {{"directory_create", "a/b"}, "In Secure mode you cannot create directory a/b"},
  };
  for (const Case& c : cases) {
    ClearErrors();
    std::vector<RValue> args(c.call.begin() + 1, c.call.end());
    Call(c.call[0].str.c_str(), args);
    EXPECT_NE(LastError().find(c.message), std::string::npos) << c.message << " / " << LastError();
  }
  EXPECT_FALSE(fs::exists("sub/k.txt"));
  EXPECT_FALSE(fs::exists("a"));
  EXPECT_EQ(Read("keep.txt"), "k");
  // A bare name is fine; reading a missing file through a path must not create it.
  ClearErrors();
  EXPECT_EQ(Call("file_text_open_write", {"ok.txt"}).real, 1);
  EXPECT_EQ(Call("file_bin_open", {"sub/new.bin", 0.0}).real, -1);
  EXPECT_FALSE(fs::exists("sub/new.bin"));
  EXPECT_NE(LastError().find("Error opening binary file."), std::string::npos);
  ClearErrors();
  Call("file_bin_open", {"sub\\w.bin", 1.0});
  EXPECT_NE(LastError().find("In secure mode you cannot write file sub\\w.bin"), std::string::npos);
}

TEST_F(Files, FilesAndDirectories) {
  Call("directory_create", {"Saves\\Slot1\\deep"});
  EXPECT_TRUE(fs::is_directory("Saves/Slot1/deep"));
  EXPECT_EQ(Call("directory_exists", {"saves\\slot1"}).real, 1);
  EXPECT_EQ(Call("file_exists", {"saves\\slot1"}).real, 0);  // a directory is no file
  Write("Saves/Slot1/a.sav", "A");
  Call("file_copy", {"saves\\slot1\\A.SAV", "b.sav"});
  EXPECT_EQ(Read("b.sav"), "A");
  Write("c.sav", "C");
  Call("file_copy", {"c.sav", "b.sav"});  // replaces the target
  EXPECT_EQ(Read("b.sav"), "C");
  Call("file_rename", {"b.sav", "c.sav"});  // never over an existing file
  EXPECT_EQ(Read("c.sav"), "C");
  EXPECT_TRUE(fs::exists("b.sav"));
  Call("file_rename", {"B.sav", "d.sav"});
  EXPECT_TRUE(fs::exists("d.sav"));
  Call("file_delete", {"D.SAV"});
  EXPECT_EQ(Call("file_exists", {"d.sav"}).real, 0);
  Call("file_delete", {"saves"});  // a directory is not deleted, and nothing is reported
  EXPECT_TRUE(fs::exists("Saves"));
  EXPECT_EQ(LastError(), "");
  EXPECT_GT(Call("disk_size").real, 0);
  EXPECT_GE(Call("disk_free", {""}).real, 0);
  EXPECT_GT(Call("disk_size", {"c"}).real, 0);
  EXPECT_EQ(Call("disk_free", {"Q"}).real, -1);
}

TEST_F(Files, FileNameFunctionsSplitAtBackslashAndColon) {
  struct Case {
    const char* function;
    const char* name;
    const char* expected;
  } cases[] = {
      {"filename_name", "C:\\games\\save.dat", "save.dat"},
      {"filename_name", "dir/file.txt", "dir/file.txt"},
      {"filename_name", "C:file", "file"},
      {"filename_path", "C:\\games\\save.dat", "C:\\games\\"},
      {"filename_path", "save.dat", ""},
      {"filename_dir", "C:\\games\\save.dat", "C:\\games"},
      {"filename_dir", "C:\\save.dat", "C:\\"},
      {"filename_dir", "\\\\srv\\share\\x", "\\\\srv\\share"},
      {"filename_drive", "c:\\x", "c:"},
      {"filename_drive", "\\\\srv\\share\\dir\\x", "\\\\srv\\share"},
      {"filename_drive", "dir\\x", ""},
      {"filename_ext", "a.b\\name.tar.gz", ".gz"},
      {"filename_ext", "a.b\\name", ""},
      {"filename_ext", "name.", "."},
  };
  for (const Case& c : cases) EXPECT_EQ(Call(c.function, {c.name}).str, c.expected) << c.function << "(" << c.name << ")";
  EXPECT_EQ(Call("filename_change_ext", {"a.b\\save.dat", ".bak"}).str, "a.b\\save.bak");
  EXPECT_EQ(Call("filename_change_ext", {"a.b\\save", ".bak"}).str, "a.b\\save.bak");
  EXPECT_EQ(Call("filename_change_ext", {"save.dat", ""}).str, "save");
}

TEST_F(Files, SearchesMatchMasksAndAttributes) {
  for (const char* f : {"Alpha.TXT", "beta.txt", "README", ".hidden.txt", "gamma.txt.bak"}) Write(f, "x");
  fs::create_directories("Levels.txt");
  fs::create_directories("sub");
  Write("sub/Inner.dat", "x");
  auto all = [](const char* mask, double attr) {
    std::vector<std::string> names;
    for (std::string n = Call("file_find_first", {mask, attr}).str; !n.empty(); n = Call("file_find_next").str)
      names.push_back(n);
    return names;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(all("*.txt", 0), (V{"Alpha.TXT", "beta.txt"}));
  EXPECT_EQ(all("*.TXT", 2), (V{".hidden.txt", "Alpha.TXT", "beta.txt"}));
  EXPECT_EQ(all("*.txt", 16), (V{"Alpha.TXT", "Levels.txt", "beta.txt"}));
  EXPECT_EQ(all("*.*", 0), (V{"Alpha.TXT", "README", "beta.txt", "gamma.txt.bak"}));
  EXPECT_EQ(all("*.", 0), (V{"README"}));
  EXPECT_EQ(all("?eta.*", 0), (V{"beta.txt"}));
  EXPECT_EQ(all("SUB\\*.dat", 0), (V{"Inner.dat"}));
  EXPECT_EQ(all("*.none", 0), V{});
  EXPECT_EQ(Call("file_find_next").str, "");  // exhausted stays exhausted
  EXPECT_EQ(Call("file_find_first", {"*.txt", 0.0}).str, "Alpha.TXT");
  Call("file_find_close");
  EXPECT_EQ(Call("file_find_next").str, "");
  EXPECT_EQ(Call("file_attributes", {"levels.txt", 16.0}).real, 1);
  EXPECT_EQ(Call("file_attributes", {"readme", 16.0 + 2}).real, 0);
  EXPECT_EQ(Call("file_attributes", {"readme", 32.0}).real, 1);
  EXPECT_EQ(Call("file_attributes", {"nothing", 32.0}).real, -1);
  fs::permissions("beta.txt", fs::perms::owner_read | fs::perms::group_read);
  EXPECT_EQ(Call("file_attributes", {"beta.txt", 1.0}).real, 1);
  EXPECT_EQ(Call("file_attributes", {"alpha.txt", 1.0}).real, 0);
}

}  // namespace
