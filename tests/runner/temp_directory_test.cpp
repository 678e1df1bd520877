// The temporary directory: where its base comes from, how it is made, names inside it, and a
// removal that never reaches outside it.
#include "data/temp_directory.h"
#include "system/host_path.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;
using namespace qv;

namespace {

// A scratch directory for one test, removed afterwards.
struct Scratch {
  fs::path dir;
  Scratch() {
    // Unique per process: other checkouts may run the same tests at the same time.
    dir = fs::temp_directory_path() / ("qv_test_" + std::to_string(getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~Scratch() { fs::remove_all(dir); }
};

void writeFile(const fs::path& p, const std::string& text) {
  fs::create_directories(p.parent_path());
  std::ofstream(p) << text;
}

data::EnvironmentLookup envOf(std::map<std::string, std::string> vars) {
  return [vars](const char* name) -> std::optional<std::string> {
    auto it = vars.find(name);
    if (it == vars.end()) return std::nullopt;
    return it->second;
  };
}

}  // namespace

TEST(TempDirectory, BaseComesFromTempdirTxtThenTheEnvironment) {
  Scratch s;
  struct Case {
    const char* what;
    const char* tempdirTxt;  // nullptr: no file
    std::map<std::string, std::string> env;
    std::string expected;
  } cases[] = {
      {"tempdir.txt first line", "/data/base\r\nsecond line\n", {{"temp", "/t"}}, "/data/base"},
      {"empty tempdir.txt", "", {{"temp", "/t"}}, "/t"},
      {"temp", nullptr, {{"temp", "/t"}, {"tmp", "/u"}}, "/t"},
      {"empty temp, then tmp", nullptr, {{"temp", ""}, {"tmp", "/u"}}, "/u"},
      {"upper-case names", nullptr, {{"TMP", "/v"}}, "/v"},
      {"TMPDIR last", nullptr, {{"TMPDIR", "/w"}}, "/w"},
      {"nothing", nullptr, {}, "C:\\temp"},
  };
  for (const Case& c : cases) {
    fs::remove(s.dir / "tempdir.txt");
    if (c.tempdirTxt) writeFile(s.dir / "tempdir.txt", c.tempdirTxt);
    EXPECT_EQ(data::ChooseTempBase(s.dir.string(), envOf(c.env)), c.expected) << c.what;
  }
}

TEST(TempDirectory, MadeUnderItsBaseWithMissingParentsAndNeverShared) {
  Scratch s;
  std::mt19937 rng(1);
  fs::path base = s.dir / "not" / "yet";
  auto a = data::MakeTempDirectoryUnder(base.string(), rng);
  auto b = data::MakeTempDirectoryUnder(base.string(), rng);
  ASSERT_TRUE(a && b);
  EXPECT_NE(*a, *b);
  for (const std::string& dir : {*a, *b}) {
    EXPECT_TRUE(fs::is_directory(dir));
    EXPECT_EQ(fs::path(dir).parent_path(), base);
    std::string name = fs::path(dir).filename().string();
    ASSERT_EQ(name.rfind("qv_ttt_", 0), 0u) << name;
    EXPECT_LT(std::stoi(name.substr(7)), 100000);
  }
  // A base that cannot hold directories gives nothing.
  writeFile(s.dir / "plainfile", "x");
  EXPECT_FALSE(data::MakeTempDirectoryUnder((s.dir / "plainfile").string(), rng).has_value());
}

TEST(TempDirectory, CreateRecordsTheDirectoryAndTempFileNamesLieInIt) {
  Scratch s;
  writeFile(s.dir / "exe" / "tempdir.txt", (s.dir / "base").string() + "\n");
  ASSERT_TRUE(data::CreateTempDirectory((s.dir / "exe").string(), envOf({}), system::HostPath));
  EXPECT_EQ(data::TempBase(), (s.dir / "base").string());
  EXPECT_EQ(fs::path(data::TempDirectory()).parent_path(), s.dir / "base");
  std::string name = data::TempFileName(".png");
  EXPECT_EQ(fs::path(name).parent_path(), fs::path(data::TempDirectory()));
  std::string file = fs::path(name).filename().string();
  EXPECT_EQ(file[0], 'a');
  EXPECT_EQ(file.substr(file.size() - 4), ".png");
  EXPECT_LT(std::stoi(file.substr(1)), 100000);
  EXPECT_FALSE(fs::exists(name));
  std::string dir = data::TempDirectory();
  data::RemoveTempDirectory();
  EXPECT_FALSE(fs::exists(dir));
  EXPECT_EQ(data::TempDirectory(), "");
  EXPECT_EQ(data::TempFileName(".png"), "");  // nothing may land in the file system root
}

TEST(TempDirectory, RemovalNeverFollowsLinksOrLeavesTheDirectory) {
  Scratch s;
  fs::path outside = s.dir / "outside";
  writeFile(outside / "keep.txt", "precious");
  fs::path root = s.dir / "qv_ttt_1";
  writeFile(root / "a.txt", "x");
  writeFile(root / "sub" / "deeper" / "b.txt", "y");
  fs::create_directory_symlink(outside, root / "link_to_dir");
  fs::create_directory_symlink(outside, root / "sub" / "nested_link");
  fs::create_symlink(outside / "keep.txt", root / "link_to_file");
  // A sibling whose name starts with the same characters is not inside.
  fs::path sibling = s.dir / "qv_ttt_12";
  writeFile(sibling / "c.txt", "z");

  data::RemoveDirectoryInside(sibling.string(), root.string());
  EXPECT_TRUE(fs::exists(sibling / "c.txt"));
  data::RemoveDirectoryInside(outside.string(), root.string());
  EXPECT_TRUE(fs::exists(outside / "keep.txt"));

  data::RemoveDirectoryInside(root.string(), root.string());
  EXPECT_FALSE(fs::exists(root));
  EXPECT_TRUE(fs::exists(outside / "keep.txt"));
  EXPECT_TRUE(fs::exists(sibling / "c.txt"));
  // The root itself being a link is never entered.
  fs::create_directory_symlink(outside, s.dir / "qv_ttt_2");
  data::RemoveDirectoryInside((s.dir / "qv_ttt_2").string(), (s.dir / "qv_ttt_2").string());
  EXPECT_TRUE(fs::exists(outside / "keep.txt"));
}
