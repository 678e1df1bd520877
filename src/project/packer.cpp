#include "project/packer.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <random>

#include "platform/code_page.h"
#include "platform/locked_file.h"
#include "platform/process.h"
#include "project/new_project.h"

namespace qv::project {

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;

namespace {

constexpr const char* kUsage =
    "usage: qvpack build DIR -o GAME [--runner RUNNER | --data-only]\n"
    "       qvpack check DIR\n"
    "       qvpack new DIR\n"
    "       qvpack unpack GAME -o DIR\n"
    "       qvpack info GAME [--json]\n";

constexpr const char* kHelp =
    "\n"
    "  build    makes a game from the project folder DIR: the runner (RUNNER, else the quorvane\n"
    "           beside qvpack) with the game appended, written to GAME; with --data-only\n"
    "           the game data alone, which `quorvane GAME` plays\n"
    "  check    every check of build (resources, code, names), without writing anything\n"
    "  new      makes DIR a new project folder with the smallest game that plays\n"
    "  unpack   writes any game file out as a project folder DIR\n"
    "  info     shows a game's settings and resource counts (as JSON with --json)\n"
    "\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "\n"
    "Exit status: 0 done; 1 the command failed (the reasons are on stderr); 2 bad usage.\n"
    "The project folder format: docs/project-format.md.\n";

int usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

bool loadGame(const std::string& path, GamePackage& out) {
  // Only a regular file can hold a game: a folder would read as a file of absurd length, and a
  // pipe or device may never end.
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  const char* notAGame = fs::is_directory(status) ? "a folder, not a game file"
                         : fs::exists(status) && !fs::is_regular_file(status) ? "not a regular file, so not a game file"
                                                                             : nullptr;
  if (notAGame) {
    std::fprintf(stderr, "qvpack: %s: %s\n", path.c_str(), notAGame);
    return false;
  }
  data::CStream file;
  if (!file.LoadFromFile(path)) {
    std::fprintf(stderr, "qvpack: %s: cannot read the file\n", path.c_str());
    return false;
  }
  ReadFailure failure;
  if (!ReadGamePackage(file, out, failure)) {
    std::fprintf(stderr, "qvpack: %s: %s\n", path.c_str(), failure.message.c_str());
    return false;
  }
  return true;
}

// Partial games of builds are ".GAME.building-N" beside GAME. A build holds the lock of its own
// until it has renamed it to GAME, so one whose lock can be taken was left by a build that was
// killed, and goes.
std::string partialPrefix(const fs::path& game) { return "." + game.filename().string() + ".building-"; }

void removeLeftPartials(const fs::path& parent, const fs::path& game) {
  const std::string prefix = partialPrefix(game);
  std::error_code ec;
  for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().filename().string().compare(0, prefix.size(), prefix) != 0) continue;
    if (auto held = platform::LockedFile::TryExisting(it->path().string())) {
      std::error_code removeError;
      fs::remove(it->path(), removeError);
    }
  }
}

// The runner beside this program, as the packer is installed with it.
fs::path defaultRunner() {
  const std::string self = platform::executablePath();
  return (self.empty() ? fs::path(".") : fs::path(self).parent_path()) / "quorvane";
}

struct KindCount {
  const char* name;
  data::ChunkId id;
};
constexpr KindCount kSlotKinds[] = {
    {"triggers", data::ChunkId::Triggers}, {"sounds", data::ChunkId::Sounds},   {"sprites", data::ChunkId::Sprites},
    {"backgrounds", data::ChunkId::Backgrounds}, {"paths", data::ChunkId::Paths}, {"scripts", data::ChunkId::Scripts},
    {"fonts", data::ChunkId::Fonts},         {"time lines", data::ChunkId::TimeLines}, {"objects", data::ChunkId::Objects},
    {"rooms", data::ChunkId::Rooms},
};

int32_t existing(const GamePackage& p, data::ChunkId id) {
  int32_t n = 0;
  for (int32_t i = 0; i < SlotCount(p, id); ++i) n += SlotExists(p, id, i) ? 1 : 0;
  return n;
}

json summary(const GamePackage& p) {
  json j;
  j["game_id"] = p.game_id;
  j["debug_mode"] = p.debug_mode;
  const data::GameSettings& s = p.settings;
  j["settings"] = {
      {"start_fullscreen", s.start_fullscreen}, {"scaling", s.scaling},
      {"hide_border", s.hide_border},           {"allow_resize", s.allow_resize},
      {"set_resolution", s.set_resolution},     {"use_vsync", s.use_vsync},
      {"display_errors", s.display_errors},     {"write_errors", s.write_errors},
      {"abort_on_errors", s.abort_on_errors},   {"uninitialized_zero", s.uninitialized_zero},
      {"priority", s.priority},                 {"loading_picture", s.loading_picture.has_value()},
  };
  json resources;
  for (const KindCount& k : kSlotKinds)
    resources[k.name] = {{"count", existing(p, k.id)}, {"slots", SlotCount(p, k.id)}};
  resources["constants"] = {{"count", p.constants.size()}};
  resources["extension packages"] = {{"count", p.extension_packages.size()}};
  resources["included files"] = {{"count", p.included_files.size()}};
  resources["library init code"] = {{"count", p.library_init_code.size()}};
  j["resources"] = resources;
  json order = json::array();
  for (int32_t room : p.room_order) {
    std::string name = SlotName(p, data::ChunkId::Rooms, room);
    if (name.empty()) order.push_back(room);
    else order.push_back(platform::Cp1252ToUtf8(name));
  }
  j["room_order"] = order;
  return j;
}

}  // namespace

std::string SummaryJson(const GamePackage& p) { return summary(p).dump(2) + "\n"; }

std::string SummaryText(const GamePackage& p) {
  const json j = summary(p);
  std::string out = "game id: " + std::to_string(p.game_id) + (p.debug_mode ? " (debug mode)" : "") + "\n";
  out += "settings:\n";
  for (const auto& [key, value] : j["settings"].items()) out += "  " + key + ": " + value.dump() + "\n";
  out += "resources:\n";
  for (const auto& [key, value] : j["resources"].items()) {
    out += "  " + key + ": " + value["count"].dump();
    if (value.contains("slots") && value["slots"] != value["count"]) out += " (" + value["slots"].dump() + " slots)";
    out += "\n";
  }
  out += "room order:";
  for (const auto& room : j["room_order"]) out += " " + (room.is_string() ? room.get<std::string>() : room.dump());
  return out + "\n";
}

bool BuildGame(const fs::path& dir, const fs::path& runner, const fs::path& game, std::vector<ProjectError>& errors,
               std::vector<ProjectWarning>* warnings) {
  GamePackage package;
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) {
    errors.push_back({dir.string(), "", "not a project folder"});
    return false;
  }
  if (!game.has_filename() || fs::is_directory(game, ec)) {
    errors.push_back({game.string(), "", "a folder: give the name of the game file to write"});
    return false;
  }
  if (!LoadProject(dir, package, errors, warnings)) return false;
  data::CStream runnerImage;
  const bool dataOnly = runner.empty();
  if (!dataOnly && (!fs::is_regular_file(runner, ec) || !runnerImage.LoadFromFile(runner.string()))) {
    errors.push_back({runner.string(), "", "cannot read the runner (give it with --runner)"});
    return false;
  }
  static constexpr uint8_t kExecutableMagic[4] = {0x7F, 'E', 'L', 'F'};
  if (!dataOnly &&
      (runnerImage.size() < 4 || !std::equal(kExecutableMagic, kExecutableMagic + 4, runnerImage.bytes().begin()))) {
    errors.push_back({runner.string(), "", "not an executable program, so not a runner"});
    return false;
  }
  if (data::FindGameData(runnerImage)) {
    errors.push_back({runner.string(), "", "the runner already carries a game"});
    return false;
  }
  std::vector<uint8_t> bytes = WriteGamePackage(package, runnerImage.bytes());
  // The marker must be found where it was put, not earlier inside the runner's own image.
  auto start = data::FindGameData(data::CStream(bytes));
  if (!start || *start < runnerImage.size()) {
    errors.push_back({runner.string(), "", "the runner's image holds the game marker at a marker offset"});
    return false;
  }
  const fs::path parent = game.parent_path().empty() ? fs::path(".") : game.parent_path();
  removeLeftPartials(parent, game);
  std::optional<platform::LockedFile> out;
  fs::path temp;
  std::random_device random;
  for (int attempt = 0; attempt < 8 && !out; ++attempt) {
    temp = parent / (partialPrefix(game) + std::to_string(random()));
    out = platform::LockedFile::CreateNew(temp.string());
  }
  if (!out) {
    errors.push_back({game.string(), "", "cannot write the game: " + std::error_code(errno, std::generic_category()).message()});
    return false;
  }
  if (!out->Write(bytes.data(), bytes.size())) {
    const std::error_code writeError(errno, std::generic_category());
    fs::remove(temp, ec);
    errors.push_back({game.string(), "", "cannot write the game: " + writeError.message()});
    return false;
  }
  if (!dataOnly)
    fs::permissions(temp, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec, ec);
  // Renamed while still locked, so that no other build takes it for a partial game of a dead one.
  fs::rename(temp, game, ec);
  if (ec) {
    std::error_code removeError;
    fs::remove(temp, removeError);
    errors.push_back({game.string(), "", "cannot write the game: " + ec.message()});
    return false;
  }
  return true;
}

namespace {

int packMain(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (args.empty()) return usage();
  if (args[0] == "--help") {
    std::fputs(kUsage, stdout);
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (args[0] == "--version") {
    std::printf("qvpack %s\n", QV_VERSION);
    return 0;
  }
  const std::string command = args[0];
  std::string input, output, runner;
  bool asJson = false, dataOnly = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) output = args[++i];
    else if (args[i] == "--data-only") dataOnly = true;
    else if (args[i] == "--runner" && i + 1 < args.size()) runner = args[++i];
    else if (args[i] == "--json") asJson = true;
    else if (input.empty() && !args[i].empty() && args[i][0] != '-') input = args[i];
    else return usage();
  }
  if (input.empty()) return usage();

  if (command == "new") {
    std::string failure;
    if (!NewProject(input, failure)) {
      std::fprintf(stderr, "qvpack: %s\n", failure.c_str());
      return 1;
    }
    std::printf("made %s: build it with qvpack build %s -o GAME\n", input.c_str(), input.c_str());
    return 0;
  }
  if (command == "check") {
    GamePackage package;
    std::vector<ProjectError> errors;
    std::vector<ProjectWarning> warnings;
    std::error_code ec;
    const bool loaded = fs::is_directory(input, ec) && LoadProject(input, package, errors, &warnings);
    if (!fs::is_directory(input, ec)) errors.push_back({input, "", "not a project folder"});
    for (ProjectWarning w : warnings) {
      w.file = (fs::path(input) / w.file).generic_string();
      std::fprintf(stderr, "%s\n", w.text().c_str());
    }
    for (const ProjectError& e : errors) std::fprintf(stderr, "%s\n", ReportText(e, input, "qvpack").c_str());
    return loaded ? 0 : 1;
  }
  if (command == "build") {
    if (output.empty() || (dataOnly && !runner.empty())) return usage();
    std::vector<ProjectError> errors;
    std::vector<ProjectWarning> warnings;
    const fs::path withRunner = dataOnly ? fs::path() : runner.empty() ? defaultRunner() : fs::path(runner);
    const bool built = BuildGame(input, withRunner, output, errors, &warnings);
    // Warnings name places as FILE:LINE:COLUMN with the file's path as given on the command line,
    // for editors to follow.
    for (ProjectWarning w : warnings) {
      w.file = (fs::path(input) / w.file).generic_string();
      std::fprintf(stderr, "%s\n", w.text().c_str());
    }
    if (!built) {
      for (const ProjectError& e : errors) std::fprintf(stderr, "%s\n", ReportText(e, input, "qvpack").c_str());
      std::fprintf(stderr, "qvpack: build failed; nothing was written\n");
      return 1;
    }
    return 0;
  }
  if (command == "unpack") {
    if (output.empty()) return usage();
    GamePackage package;
    if (!loadGame(input, package)) return 1;
    std::string failure;
    if (!UnpackProject(package, output, failure)) {
      std::fprintf(stderr, "qvpack: %s\n", failure.c_str());
      return 1;
    }
    return 0;
  }
  if (command == "info") {
    GamePackage package;
    if (!loadGame(input, package)) return 1;
    std::cout << (asJson ? SummaryJson(package) : SummaryText(package));
    return 0;
  }
  return usage();
}

}  // namespace

int PackMain(int argc, char** argv) {
  // The last resort: whatever the arguments, a message and status 1, never an abort.
  try {
    return packMain(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("qvpack: not enough memory\n", stderr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qvpack: %s\n", e.what());
  }
  return 1;
}

}  // namespace qv::project
