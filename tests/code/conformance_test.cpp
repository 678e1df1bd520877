// Runs every program in tests/code/scripts through qvscript and compares its output with the
// expectations written inline:
//   // expect: TEXT          the next line of stdout (show_debug_message)
//   // expect stderr: TEXT   a text that stderr contains (in this order)
//   // expect exit: N        the exit status (default 0)
//   // script: PATH          a script file loaded before the program (relative to the folder)
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Expectations {
  std::vector<std::string> stdoutLines;
  std::vector<std::string> stderrTexts;
  std::vector<std::string> scripts;
  int exitStatus = 0;
};

Expectations readExpectations(const fs::path& file) {
  Expectations e;
  std::ifstream in(file);
  std::string line;
  auto after = [](const std::string& l, const std::string& tag, std::string& out) {
    const size_t p = l.find(tag);
    if (p == std::string::npos) return false;
    out = l.substr(p + tag.size());
    return true;
  };
  while (std::getline(in, line)) {
    std::string v;
    if (after(line, "// expect stderr: ", v)) e.stderrTexts.push_back(v);
    else if (after(line, "// expect exit: ", v)) e.exitStatus = std::stoi(v);
    else if (after(line, "// expect: ", v)) e.stdoutLines.push_back(v);
    else if (after(line, "// script: ", v)) e.scripts.push_back((file.parent_path() / v).string());
  }
  return e;
}

std::string readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::vector<fs::path> programs() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(fs::path(QV_SOURCE_DIR) / "tests/code/scripts"))
    if (entry.path().extension() == ".qvs") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

class Conformance : public testing::TestWithParam<fs::path> {};

TEST_P(Conformance, OutputMatchesExpectations) {
  const fs::path file = GetParam();
  const Expectations e = readExpectations(file);
  const fs::path out = fs::temp_directory_path() / ("qvconf_" + file.stem().string() + ".out");
  const fs::path err = fs::temp_directory_path() / ("qvconf_" + file.stem().string() + ".err");
  std::string command = std::string("cd ") + fs::temp_directory_path().string() + " && " +
                        QV_SCRIPT_PATH + " '" + file.string() + "'";
  for (const std::string& s : e.scripts) command += " '" + s + "'";
  command += " >'" + out.string() + "' 2>'" + err.string() + "'";
  const int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), e.exitStatus);

  std::vector<std::string> lines;
  std::stringstream ss(readAll(out));
  for (std::string l; std::getline(ss, l);) lines.push_back(l);
  EXPECT_EQ(lines, e.stdoutLines);

  const std::string errText = readAll(err);
  size_t from = 0;
  for (const std::string& t : e.stderrTexts) {
    const size_t p = errText.find(t, from);
    EXPECT_NE(p, std::string::npos) << "stderr lacks: " << t << "\nstderr was:\n" << errText.substr(0, 2000);
    if (p != std::string::npos) from = p + t.size();
  }
  if (e.stderrTexts.empty()) {
    EXPECT_EQ(errText, "");
  }
}

INSTANTIATE_TEST_SUITE_P(Scripts, Conformance, testing::ValuesIn(programs()),
                         [](const testing::TestParamInfo<fs::path>& info) {
                           return info.param.stem().string();
                         });

}  // namespace
