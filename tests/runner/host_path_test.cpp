// The game-path to host-path mapper.
#include "system/host_path.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/code_page.h"

namespace fs = std::filesystem;
using qv::platform::Cp1252ToUtf8;
using qv::system::HostPath;
using qv::system::HostTempDirectory;

TEST(HostPath, SeparatorsDrivesAndTheTempDirectory) {
  const std::string tmp = HostTempDirectory();
  struct Case {
    std::string game, host;
  } cases[] = {
      {"C:\\temp", tmp},
      {"c:\\TEMP\\save.dat", tmp + "/save.dat"},
      {"C:\\temperature\\x", "/temperature/x"},
      {"D:\\games\\level1\\", "/games/level1/"},
      {"C:name.txt", "name.txt"},
      {"/usr/./lib", "/usr/./lib"},
      {"..\\up", "../up"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(HostPath(c.game), c.host) << c.game;
}

TEST(HostPath, ExistingComponentsMatchIgnoringCase) {
  fs::path root = fs::temp_directory_path() / ("qv_host_path_test_" + std::to_string(getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "Data" / "Levels");
  std::ofstream(root / "Data" / "Levels" / "One.TXT") << "1";
  struct Case {
    std::string game, host;
  } cases[] = {
      {"\\data\\levels\\one.txt", "/Data/Levels/One.TXT"},
      {"\\DATA\\Levels\\new.txt", "/Data/Levels/new.txt"},
      {"\\data\\missing\\ONE.TXT", "/Data/missing/ONE.TXT"},
  };
  for (const Case& c : cases) EXPECT_EQ(HostPath(root.string() + c.game), root.string() + c.host) << c.game;
  fs::remove_all(root);
}

TEST(HostPath, GameBytesAreCodePage1252) {
  EXPECT_EQ(Cp1252ToUtf8("a\x80\xE9\x9F"), "a\u20AC\u00E9\u0178");
  EXPECT_EQ(Cp1252ToUtf8("\x81"), "\u0081");  // undefined in the code page: same code point
  EXPECT_EQ(HostPath("caf\xE9.txt"), "caf\u00E9.txt");
}
