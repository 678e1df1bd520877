// Runs the programs in tests/code/programs through qvscript: each line of output must match the
// "// expect: " comments of the program, in order, and the program must end normally.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> expectedLines(const std::filesystem::path& program) {
  std::vector<std::string> expected;
  std::ifstream in(program);
  const std::string marker = "// expect: ";
  for (std::string line; std::getline(in, line);) {
    size_t at = line.find(marker);
    if (at != std::string::npos) expected.push_back(line.substr(at + marker.size()));
  }
  return expected;
}

std::vector<std::string> run(const std::filesystem::path& program, int& status) {
  std::string command = std::string(QV_SCRIPT_PATH) + " '" + program.string() + "' 2>/dev/null";
  FILE* out = popen(command.c_str(), "r");
  std::vector<std::string> lines;
  std::string current;
  std::array<char, 4096> buf{};
  size_t n;
  while ((n = std::fread(buf.data(), 1, buf.size(), out)) > 0) current.append(buf.data(), n);
  status = pclose(out);
  size_t start = 0;
  for (size_t nl; (nl = current.find('\n', start)) != std::string::npos; start = nl + 1)
    lines.push_back(current.substr(start, nl - start));
  return lines;
}

}  // namespace

TEST(LibraryPrograms, OutputMatchesExpectations) {
  std::filesystem::path dir = std::filesystem::path(QV_SOURCE_DIR) / "tests/code/programs";
  int programs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() != ".txt") continue;
    ++programs;
    std::vector<std::string> expected = expectedLines(entry.path());
    ASSERT_FALSE(expected.empty()) << entry.path();
    int status = -1;
    std::vector<std::string> actual = run(entry.path(), status);
    EXPECT_EQ(status, 0) << entry.path();
    EXPECT_EQ(actual, expected) << entry.path();
  }
  EXPECT_EQ(programs, 4);
}
