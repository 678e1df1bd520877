// Helpers of the multiplayer tests: a port that no parallel test uses, and small game project
// folders of one room and one object whose create event runs the given code.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace qv::testing {

// A UDP port for one test: QV_MPLAY_TEST_PORT (a base that a CI run reserves) plus `offset`, else
// a port the system has just handed out as free.
inline uint16_t TestPort(int offset) {
  if (const char* base = std::getenv("QV_MPLAY_TEST_PORT"); base && *base) return static_cast<uint16_t>(std::atoi(base) + offset);
  const int s = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = 0;
  socklen_t len = sizeof a;
  uint16_t port = 0;
  if (s >= 0 && bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
    port = ntohs(a.sin_port);
  if (s >= 0) close(s);
  return port;
}

// Writes a project folder `dir`: game `guid` (32 hexadecimal digits), one room of `width` x
// `height` with one instance of an object whose create event runs `create` (and its step and
// draw events `step` and `draw`, when given).
inline void WriteGameFolder(const std::filesystem::path& dir, const std::string& guid, const std::string& create,
                            const std::string& step = "", const std::string& draw = "", int width = 64,
                            int height = 48) {
  namespace fs = std::filesystem;
  fs::create_directories(dir / "objects" / "obj_player");
  fs::create_directories(dir / "rooms");
  std::ofstream(dir / "game.json") << "{\"format\": \"quorvane-project\", \"format_version\": 1, \"game_id\": 2700, "
                                      "\"guid\": \"" << guid << "\", \"room_order\": [\"rm_play\"]}\n";
  std::string events = "{\"event\": \"create\", \"actions\": [{\"kind\": \"code\", \"file\": \"objects/obj_player/create.txt\"}]}";
  std::ofstream(dir / "objects" / "obj_player" / "create.txt") << create;
  if (!step.empty()) {
    events += ", {\"event\": \"step\", \"actions\": [{\"kind\": \"code\", \"file\": \"objects/obj_player/step.txt\"}]}";
    std::ofstream(dir / "objects" / "obj_player" / "step.txt") << step;
  }
  if (!draw.empty()) {
    events += ", {\"event\": \"draw\", \"actions\": [{\"kind\": \"code\", \"file\": \"objects/obj_player/draw.txt\"}]}";
    std::ofstream(dir / "objects" / "obj_player" / "draw.txt") << draw;
  }
  std::ofstream(dir / "objects" / "obj_player.json") << "{\"events\": [" << events << "]}\n";
  std::ofstream(dir / "rooms" / "rm_play.json") << "{\"width\": " << width << ", \"height\": " << height
                                                << ", \"instances\": [{\"x\": 0, \"y\": 0, \"object\": \"obj_player\", \"id\": 100001}]}\n";
}

}  // namespace qv::testing
