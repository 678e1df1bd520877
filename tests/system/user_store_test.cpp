// The per-user store on disk: a store that cannot be parsed is kept aside and turns secure mode
// on; writers in several processes at once lose none of each other's values.
#include "system/user_store.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "support/whole_file.h"
#include "system/secure_mode.h"

namespace {

namespace fs = std::filesystem;
using qv::system::StoreRead;
using qv::system::StoreValue;
using qv::system::StoreWrite;
using qv::testing::ReadWholeFile;

constexpr const char* kUser = "HKEY_CURRENT_USER";

class UserStore : public ::testing::Test {
 protected:
  fs::path home = fs::temp_directory_path() /
                  ("qv_store_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  std::optional<std::string> saved;

  void SetUp() override {
    fs::remove_all(home);
    if (const char* before = std::getenv("XDG_DATA_HOME")) saved = before;
    setenv("XDG_DATA_HOME", home.c_str(), 1);
  }
  void TearDown() override {
    if (saved) setenv("XDG_DATA_HOME", saved->c_str(), 1);
    else unsetenv("XDG_DATA_HOME");
    qv::system::SetSecureMode(false);
    fs::remove_all(home);
  }
  fs::path store() const { return home / "quorvane" / "registry.json"; }
  static void put(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes; }
};

TEST_F(UserStore, AStoreThatCannotBeParsedIsKeptAsideAndTurnsSecureModeOn) {
  struct Case {
    const char* what;
    std::function<std::string(const std::string&)> damage;
  } cases[] = {
      {"cut by three bytes", [](const std::string& s) { return s.substr(0, s.size() - 3); }},
      {"emptied", [](const std::string&) { return std::string(); }},
      {"not an object", [](const std::string&) { return std::string("[1, 2]"); }},
      {"not text", [](const std::string&) { return std::string("\0\xff{\"", 4); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(home);
    // The player chose secure mode off and a game stored a score.
    ASSERT_TRUE(StoreWrite(qv::system::kPreferencesRoot, qv::system::kPreferencesKey, "Warning", 0.0));
    ASSERT_TRUE(StoreWrite(kUser, "\\Software\\Game", "score", 12.0));
    qv::system::ReadSecureMode();
    ASSERT_FALSE(qv::system::SecureMode());
    const std::string damaged = c.damage(ReadWholeFile(store()));
    put(store(), damaged);
    put(store().string() + ".damaged-1", "kept earlier");

    ::testing::internal::CaptureStderr();
    qv::system::ReadSecureMode();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(qv::system::SecureMode());
    EXPECT_NE(err.find(store().string() + " cannot be read"), std::string::npos) << err;
    EXPECT_NE(err.find("kept as " + store().string() + ".damaged-2"), std::string::npos) << err;
    // Renamed, not overwritten, and no earlier kept store is overwritten either.
    EXPECT_EQ(ReadWholeFile(store().string() + ".damaged-2"), damaged);
    EXPECT_EQ(ReadWholeFile(store().string() + ".damaged-1"), "kept earlier");

    // The new store carries the safe decision to the next start and takes writes again.
    qv::system::SetSecureMode(false);
    qv::system::ReadSecureMode();
    EXPECT_TRUE(qv::system::SecureMode());
    EXPECT_FALSE(StoreRead(kUser, "\\Software\\Game", "score").has_value());
    EXPECT_TRUE(StoreWrite(kUser, "\\Software\\Game", "score", 13.0));
    EXPECT_EQ(StoreRead(kUser, "\\Software\\Game", "score"), StoreValue(13.0));

    // A write that is the first to find the damage keeps the store aside just the same.
    put(store(), damaged);
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(StoreWrite(kUser, "\\Software\\Game", "level", 2.0));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("kept as " + store().string() + ".damaged-3"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(store().string() + ".damaged-3"), damaged);
    EXPECT_EQ(StoreRead(kUser, "\\Software\\Game", "level"), StoreValue(2.0));
    qv::system::ReadSecureMode();
    EXPECT_TRUE(qv::system::SecureMode());
  }
}

TEST_F(UserStore, TwoWriterProcessesAtOnceLoseNoValue) {
  constexpr int kValues = 100;
  // What a writer killed before its rename leaves behind: the next writer removes it.
  fs::create_directories(store().parent_path());
  put(store().string() + ".tmp-1234", "{\"half\": ");

  int gate[2];
  ASSERT_EQ(pipe(gate), 0);
  pid_t writers[2];
  for (int w = 0; w < 2; ++w) {
    writers[w] = fork();
    ASSERT_GE(writers[w], 0);
    if (writers[w] == 0) {
      // Both writers wait at the gate, so that their writes overlap.
      close(gate[1]);
      char c;
      (void)!read(gate[0], &c, 1);
      bool ok = true;
      for (int i = 0; i < kValues; ++i)
        ok = StoreWrite(kUser, "\\Software\\Race", "w" + std::to_string(w) + "_" + std::to_string(i), double(i)) && ok;
      _exit(ok ? 0 : 1);
    }
  }
  close(gate[0]);
  close(gate[1]);  // opens the gate
  for (pid_t pid : writers) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  int missing = 0;
  for (int w = 0; w < 2; ++w)
    for (int i = 0; i < kValues; ++i)
      if (StoreRead(kUser, "\\Software\\Race", "w" + std::to_string(w) + "_" + std::to_string(i)) != StoreValue(double(i)))
        ++missing;
  EXPECT_EQ(missing, 0);
  std::set<std::string> files;
  for (const auto& e : fs::directory_iterator(store().parent_path())) files.insert(e.path().filename().string());
  EXPECT_EQ(files, (std::set<std::string>{"registry.json", "registry.json.lock"}));
}

}  // namespace
