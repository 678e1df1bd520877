#include "project/new_project.h"

#include <fstream>
#include <random>
#include <system_error>

namespace qv::project {
namespace fs = std::filesystem;

namespace {

bool write(const fs::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary);
  out << text;
  return bool(out.flush());
}

}  // namespace

bool NewProject(const fs::path& dir, std::string& failure) {
  std::error_code ec;
  if (fs::exists(dir, ec)) {
    failure = dir.string() + ": already exists; give the name of a new folder";
    return false;
  }
  if (!fs::create_directories(dir / "objects", ec) || !fs::create_directories(dir / "rooms", ec)) {
    failure = dir.string() + ": cannot create the folder: " + ec.message();
    return false;
  }
  // Every new game gets an id of its own, so that its saved options and highscores are its own.
  std::random_device random;
  const unsigned id = 100000 + random() % 900000;
  const bool written =
      write(dir / "game.json",
            "{\n"
            "  \"format\": \"quorvane-project\",\n"
            "  \"format_version\": 1,\n"
            "  \"game_id\": " + std::to_string(id) + ",\n"
            "  \"room_order\": [\"rm_start\"]\n"
            "}\n") &&
      write(dir / "rooms" / "rm_start.json",
            "{\n"
            "  \"caption\": \"" + dir.filename().string() + "\",\n"
            "  \"width\": 640, \"height\": 480, \"speed\": 30,\n"
            "  \"instances\": [{\"x\": 0, \"y\": 0, \"object\": \"obj_hello\", \"id\": 100001}]\n"
            "}\n") &&
      write(dir / "objects" / "obj_hello.json",
            "{\n"
            "  \"events\": [\n"
            "    {\"event\": \"create\", \"actions\": [{\"kind\": \"code\", \"code\": \"show_debug_message('hello')\"}]},\n"
            "    {\"event\": \"draw\", \"actions\": [{\"kind\": \"code\", \"code\": "
            "\"draw_set_color(c_white); draw_text(32, 32, 'Hello! Edit objects/obj_hello.json, then build again. Esc ends.')\"}]}\n"
            "  ]\n"
            "}\n");
  if (!written) {
    failure = dir.string() + ": cannot write the project's files";
    return false;
  }
  return true;
}

}  // namespace qv::project
