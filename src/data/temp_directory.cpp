#include "data/temp_directory.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>


namespace qv::data {
namespace fs = std::filesystem;

namespace {

// Names drawn before a base is given up: ample for a crowded directory, finite when all are taken.
constexpr int kMaxNameDraws = 1000;

struct TempState {
  std::string base;
  std::string dir;
  std::mt19937 rng{static_cast<uint32_t>(std::chrono::system_clock::now().time_since_epoch().count())};
};

TempState& state() {
  static TempState s;
  return s;
}

std::string trimLine(std::string line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  return line;
}

// True when `path` is `root` or lies below it, comparing whole components.
bool isInside(const fs::path& path, const fs::path& root) {
  fs::path p = path.lexically_normal(), r = root.lexically_normal();
  auto pi = p.begin();
  for (auto ri = r.begin(); ri != r.end(); ++ri, ++pi) {
    if (ri->empty()) continue;  // a trailing separator of root
    if (pi == p.end() || *pi != *ri) return false;
  }
  return true;
}

}  // namespace

std::string ChooseTempBase(const std::string& executableDir, const EnvironmentLookup& env) {
  std::ifstream in(fs::path(executableDir) / "tempdir.txt");
  std::string line;
  if (in && std::getline(in, line) && !trimLine(line).empty()) return trimLine(line);
  for (const char* name : {"temp", "TEMP", "tmp", "TMP", "TMPDIR"}) {
    auto v = env ? env(name) : std::nullopt;
    if (v && !v->empty()) return *v;
  }
  return "C:\\temp";
}

std::optional<std::string> MakeTempDirectoryUnder(const std::string& base, std::mt19937& rng) {
  std::error_code ec;
  fs::create_directories(base, ec);
  if (!fs::is_directory(base, ec)) return std::nullopt;
  std::uniform_int_distribution<int> number(0, 99999);
  for (int draw = 0; draw < kMaxNameDraws; ++draw) {
    fs::path dir = fs::path(base) / ("qv_ttt_" + std::to_string(number(rng)));
    // create_directory is one mkdir: true only for the caller that made it.
    if (fs::create_directory(dir, ec)) {
      fs::permissions(dir, fs::perms::owner_all, fs::perm_options::replace, ec);
      return fs::absolute(dir, ec).lexically_normal().string();
    }
    if (ec && ec != std::errc::file_exists) return std::nullopt;
  }
  return std::nullopt;
}

bool CreateTempDirectory(const std::string& executableDir, const EnvironmentLookup& env, const PathMapper& toHost) {
  TempState& s = state();
  const std::string chosen = toHost(ChooseTempBase(executableDir, env));
  std::error_code ec;
  const std::string bases[] = {chosen, toHost("C:\\temp"), fs::current_path(ec).string()};
  for (const std::string& base : bases) {
    if (base.empty()) continue;
    s.base = base;
    if (auto dir = MakeTempDirectoryUnder(base, s.rng)) {
      s.dir = *dir;
      return true;
    }
  }
  s.dir.clear();
  return false;
}

const std::string& TempDirectory() { return state().dir; }
const std::string& TempBase() { return state().base; }

std::string TempFileName(const std::string& suffix) {
  TempState& s = state();
  if (s.dir.empty()) return {};
  std::uniform_int_distribution<int> number(0, 99999);
  std::error_code ec;
  for (int draw = 0; draw < kMaxNameDraws; ++draw) {
    std::string name = s.dir + "/a" + std::to_string(number(s.rng)) + suffix;
    if (!fs::exists(fs::symlink_status(name, ec))) return name;
  }
  return {};
}

void RemoveDirectoryInside(const std::string& dir, const std::string& root) {
  if (root.empty() || dir.empty() || !isInside(dir, root)) return;
  std::error_code ec;
  fs::file_status st = fs::symlink_status(dir, ec);
  if (ec || !fs::is_directory(st)) return;  // gone, or a link: never entered
  std::vector<fs::path> entries;  // listed first: removing while reading a directory is unreliable
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(it->path());
  for (const fs::path& entry : entries) {
    std::error_code ec2;
    if (fs::is_directory(fs::symlink_status(entry, ec2)))
      RemoveDirectoryInside(entry.string(), root);
    else
      fs::remove(entry, ec2);  // files and links (the link itself, not its target)
  }
  fs::remove(dir, ec);
}

void RemoveTempDirectory() {
  TempState& s = state();
  RemoveDirectoryInside(s.dir, s.dir);
  s.dir.clear();
}

void ResetTempDirectoryForTests() {
  state().dir.clear();
  state().base.clear();
}

}  // namespace qv::data
