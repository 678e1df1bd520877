// The debug adapter spoken to as an editor speaks to it: a game of tests/games built in debug mode
// by the real qvpack, played headless by the real runner with QUORVANE_DAP_PORT=0, and a client
// that sends Debug Adapter Protocol requests over a real socket on 127.0.0.1.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <thread>

#include "support/run_program.h"
#include "support/whole_file.h"

namespace fs = std::filesystem;
using nlohmann::json;
using qv::testing::FinishProgram;
using qv::testing::ProgramRun;
using qv::testing::ReadWholeFile;
using qv::testing::StartedProgram;
using qv::testing::StartProgram;

namespace {

const fs::path kGame = fs::path(QV_SOURCE_DIR) / "tests" / "games" / "debug_adapter";

fs::path scratch(const std::string& name) {
  fs::path d = fs::temp_directory_path() / ("qv_debug_adapter_" + name + "_" + std::to_string(getpid()));
  fs::remove_all(d);
  fs::create_directories(d);
  return d;
}

// Copies the project into dir/proj (debug flag as given) and builds dir/game with qvpack.
void build(const fs::path& dir, bool debugFlag = true) {
  fs::copy(kGame, dir / "proj", fs::copy_options::recursive);
  if (!debugFlag) {
    std::string game = ReadWholeFile(dir / "proj" / "game.json");
    game.replace(game.find("\"debug_mode\": true"), 18, "\"debug_mode\": false");
    std::ofstream(dir / "proj" / "game.json", std::ios::binary) << game;
  }
  const ProgramRun built = qv::testing::RunProgram({QV_PACK_PATH, "build", "proj", "-o", "game"}, dir);
  ASSERT_EQ(built.status, 0) << built.err;
}

// The port the runner says it listens on (it waits for an editor before the game starts).
int waitForPort(const StartedProgram& game) {
  static const std::regex said(R"(waiting for an editor on 127\.0\.0\.1:(\d+))");
  for (int i = 0; i < 1500; ++i) {
    std::smatch m;
    const std::string err = ReadWholeFile(game.errPath);
    if (std::regex_search(err, m, said)) return std::stoi(m[1].str());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return -1;
}

int connectTo(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// True when the peer closed `fd` within the time (recv reads the end of the stream).
bool closedByPeer(int fd) {
  pollfd p{fd, POLLIN, 0};
  if (poll(&p, 1, 5000) <= 0) return false;
  char c;
  return recv(fd, &c, 1, 0) == 0;
}

// A minimal editor: framed requests out, framed messages in, everything received kept in order.
class Client {
 public:
  explicit Client(int port) : fd_(connectTo(port)) {}
  ~Client() {
    if (fd_ >= 0) close(fd_);
  }
  bool connected() const { return fd_ >= 0; }

  void raw(const std::string& bytes) { ASSERT_EQ(send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size())); }
  int request(const std::string& command, json arguments = json::object()) {
    const int seq = ++seq_;
    const std::string body = json{{"seq", seq}, {"type", "request"}, {"command", command}, {"arguments", arguments}}.dump();
    raw("Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    return seq;
  }
  // The next message that satisfies `wanted` (those before it stay in `seen`); null after 20 s
  // or when the connection ends.
  json until(const std::function<bool(const json&)>& wanted) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      while (auto m = take()) {
        seen.push_back(*m);
        if (wanted(*m)) return *m;
      }
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      char chunk[65536];
      const ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
      if (n <= 0) return nullptr;
      buffer_.append(chunk, size_t(n));
    }
    return nullptr;
  }
  json response(int seq) {
    return until([seq](const json& m) { return m.value("type", "") == "response" && m.value("request_seq", 0) == seq; });
  }
  json call(const std::string& command, json arguments = json::object()) { return response(request(command, arguments)); }
  json eventNamed(const std::string& name) {
    return until([&name](const json& m) { return m.value("type", "") == "event" && m.value("event", "") == name; });
  }
  // The text of every output event seen so far.
  std::string output() const {
    std::string all;
    for (const json& m : seen)
      if (m.value("event", "") == "output") all += m["body"].value("output", "");
    return all;
  }

  std::vector<json> seen;

 private:
  std::optional<json> take() {
    const size_t end = buffer_.find("\r\n\r\n");
    if (end == std::string::npos) return std::nullopt;
    const size_t length = std::stoul(buffer_.substr(buffer_.find(':') + 1, end));
    if (buffer_.size() < end + 4 + length) return std::nullopt;
    json m = json::parse(buffer_.substr(end + 4, length));
    buffer_.erase(0, end + 4 + length);
    return m;
  }
  int fd_;
  int seq_ = 0;
  std::string buffer_;
};

std::vector<std::string> names(const json& variablesResponse) {
  std::vector<std::string> out;
  for (const json& v : variablesResponse["body"]["variables"]) out.push_back(v["name"].get<std::string>() + "=" + v["value"].get<std::string>());
  return out;
}

// The top frame of a stack trace response: "name:line".
std::string top(const json& stack) {
  const json& f = stack["body"]["stackFrames"][0];
  return f["name"].get<std::string>() + ":" + std::to_string(f["line"].get<int>());
}

StartedProgram play(const fs::path& dir, const std::string& steps) {
  return StartProgram({(dir / "game").string()}, dir,
                      {"QUORVANE_HEADLESS=1", "QUORVANE_DAP_PORT=0", "QUORVANE_STEPS=" + steps});
}

}  // namespace

// A breakpoint in a script called from another script, called from an object's creation code:
// the stack shows the three with their lines, the arguments and locals read as they are, a step
// over sees the local written, evaluate runs in the instance and returns its errors as messages,
// a step out lands in the caller after the call, and continue runs the game to its end.
TEST(DebugAdapter, BreakpointStackLocalsStepsAndContinue) {
  const fs::path dir = scratch("breakpoint");
  build(dir);
  StartedProgram game = play(dir, "2");
  const int port = waitForPort(game);
  ASSERT_GT(port, 0) << ReadWholeFile(game.errPath);
  Client editor(port);
  ASSERT_TRUE(editor.connected());

  json init = editor.call("initialize", {{"adapterID", "quorvane"}});
  EXPECT_TRUE(init["success"].get<bool>());
  EXPECT_TRUE(init["body"]["supportsConfigurationDoneRequest"].get<bool>());
  ASSERT_FALSE(editor.eventNamed("initialized").is_null());

  // One editor at a time: a second connection is closed at once, the first goes on.
  const int second = connectTo(port);
  ASSERT_GE(second, 0);
  EXPECT_TRUE(closedByPeer(second));
  close(second);

  const std::string folder = fs::canonical(dir / "proj").string();
  json set = editor.call("setBreakpoints", {{"source", {{"path", folder + "/scripts/scr_add.txt"}}},
                                            {"breakpoints", json::array({{{"line", 3}}})}});
  ASSERT_TRUE(set["success"].get<bool>());
  EXPECT_TRUE(set["body"]["breakpoints"][0]["verified"].get<bool>());
  json elsewhere = editor.call("setBreakpoints", {{"source", {{"path", folder + "/notes.txt"}}},
                                                  {"breakpoints", json::array({{{"line", 1}}})}});
  EXPECT_FALSE(elsewhere["body"]["breakpoints"][0]["verified"].get<bool>());
  EXPECT_TRUE(editor.call("configurationDone")["success"].get<bool>());

  json stopped = editor.eventNamed("stopped");
  ASSERT_FALSE(stopped.is_null());
  EXPECT_EQ(stopped["body"]["reason"], "breakpoint");
  EXPECT_EQ(editor.call("threads")["body"]["threads"].size(), 1u);

  json stack = editor.call("stackTrace", {{"threadId", 1}});
  const json& frames = stack["body"]["stackFrames"];
  ASSERT_EQ(frames.size(), 3u) << stack;
  EXPECT_EQ(top(stack), "scr_add:3");
  EXPECT_EQ(frames[0]["source"]["path"], folder + "/scripts/scr_add.txt");
  EXPECT_EQ(frames[1]["name"], "scr_twice");
  EXPECT_EQ(frames[1]["line"], 2);
  EXPECT_EQ(frames[2]["name"], "objects/obj_player/create.txt");
  EXPECT_EQ(frames[2]["line"], 2);
  EXPECT_EQ(editor.output(), "");  // nothing shown yet: the game holds at the breakpoint

  const int topFrame = frames[0]["id"];
  json scopes = editor.call("scopes", {{"frameId", topFrame}});
  std::map<std::string, int> reference;
  for (const json& s : scopes["body"]["scopes"]) reference[s["name"]] = s["variablesReference"];
  ASSERT_EQ(reference.size(), 4u) << scopes;
  EXPECT_EQ(names(editor.call("variables", {{"variablesReference", reference["Arguments"]}})),
            (std::vector<std::string>{"argument0=21", "argument1=21"}));
  EXPECT_TRUE(names(editor.call("variables", {{"variablesReference", reference["Locals"]}})).empty());
  const auto instance = names(editor.call("variables", {{"variablesReference", reference["Instance"]}}));
  EXPECT_NE(std::find(instance.begin(), instance.end(), "hits=3"), instance.end());
  EXPECT_NE(std::find(instance.begin(), instance.end(), "x=10"), instance.end());

  editor.call("next", {{"threadId", 1}});
  EXPECT_EQ(editor.eventNamed("stopped")["body"]["reason"], "step");
  stack = editor.call("stackTrace", {{"threadId", 1}});
  EXPECT_EQ(top(stack), "scr_add:4");
  EXPECT_EQ(names(editor.call("variables", {{"variablesReference", reference["Locals"]}})),
            (std::vector<std::string>{"total=42"}));

  json value = editor.call("evaluate", {{"expression", "x + hits"}, {"frameId", topFrame}});
  EXPECT_TRUE(value["success"].get<bool>());
  EXPECT_EQ(value["body"]["result"], "13");
  json wrong = editor.call("evaluate", {{"expression", "1 +"}, {"frameId", topFrame}});
  EXPECT_FALSE(wrong["success"].get<bool>());
  EXPECT_NE(wrong.value("message", "").find("Unexpected symbol"), std::string::npos) << wrong;

  editor.call("stepOut", {{"threadId", 1}});
  EXPECT_EQ(editor.eventNamed("stopped")["body"]["reason"], "step");
  stack = editor.call("stackTrace", {{"threadId", 1}});
  EXPECT_EQ(top(stack), "scr_twice:3");
  EXPECT_EQ(editor.output(), "sum 42\n");

  editor.call("continue", {{"threadId", 1}});
  ASSERT_FALSE(editor.eventNamed("terminated").is_null());
  EXPECT_EQ(editor.output(), "sum 42\nresult 42\nstep x 11\nstep x 12\n");
  const ProgramRun played = FinishProgram(game);
  EXPECT_EQ(played.status, 0);
  EXPECT_NE(played.err.find("a second editor was refused"), std::string::npos) << played.err;
}

// Steps into a call and back over script boundaries from a breakpoint in an object's code action.
TEST(DebugAdapter, StepInEntersTheCalledScript) {
  const fs::path dir = scratch("step_in");
  build(dir);
  StartedProgram game = play(dir, "1");
  const int port = waitForPort(game);
  ASSERT_GT(port, 0) << ReadWholeFile(game.errPath);
  Client editor(port);
  editor.call("initialize");
  editor.call("setBreakpoints", {{"source", {{"path", "objects/obj_player/create.txt"}}}, {"lines", {2}}});
  editor.call("configurationDone");
  ASSERT_EQ(editor.eventNamed("stopped")["body"]["reason"], "breakpoint");
  EXPECT_EQ(top(editor.call("stackTrace")), "objects/obj_player/create.txt:2");
  // `var` is a statement of its own line; comments are not.
  for (const char* where : {"scr_twice:1", "scr_twice:2", "scr_add:2", "scr_add:3"}) {
    editor.call("stepIn", {{"threadId", 1}});
    ASSERT_EQ(editor.eventNamed("stopped")["body"]["reason"], "step");
    EXPECT_EQ(top(editor.call("stackTrace")), where);
  }
  editor.call("disconnect");
  const ProgramRun played = FinishProgram(game);
  EXPECT_EQ(played.status, 0);
  EXPECT_NE(played.err.find("sum 42\nresult 42\nstep x 11\n"), std::string::npos) << played.err;
}

// Faults of the editor's messages are reported and skipped; a pause stops the running game in
// its code; a disconnect lets the game run on to its end.
TEST(DebugAdapter, SurvivesBadMessagesPausesAndLetsGo) {
  const fs::path dir = scratch("pause");
  build(dir);
  StartedProgram game = play(dir, "400");
  const int port = waitForPort(game);
  ASSERT_GT(port, 0) << ReadWholeFile(game.errPath);
  Client editor(port);
  editor.raw("Content-Type: text/plain\r\n\r\n");               // no length
  editor.raw("Content-Length: 5\r\n\r\n{oops");                 // not JSON
  editor.raw("Content-Length: 12\r\n\r\n[1, 2, 3, 4]");         // not a request
  json badArguments = editor.call("setBreakpoints", {{"source", 7}});
  EXPECT_FALSE(badArguments["success"].get<bool>());
  EXPECT_EQ(badArguments.value("message", ""), "the request's arguments cannot be read");
  json hugeLine = editor.call("setBreakpoints", {{"source", {{"path", "scripts/scr_add.txt"}}}, {"lines", {1e300}}});
  EXPECT_EQ(hugeLine.value("message", ""), "the request's arguments cannot be read");
  EXPECT_FALSE(editor.call("variables", {{"variablesReference", -7}})["body"]["variables"].size());
  EXPECT_EQ(editor.call("restartFrame").value("message", ""), "not supported: restartFrame");
  int skipped = 0;
  for (const json& m : editor.seen)
    if (m.value("event", "") == "output" && m["body"]["output"].get<std::string>().rfind("quorvane: skipped", 0) == 0) ++skipped;
  EXPECT_EQ(skipped, 3);

  editor.call("initialize");
  editor.call("configurationDone");
  editor.call("pause", {{"threadId", 1}});
  ASSERT_EQ(editor.eventNamed("stopped")["body"]["reason"], "pause");
  json stack = editor.call("stackTrace");
  EXPECT_EQ(stack["body"]["stackFrames"][0]["name"], "objects/obj_player/step.txt") << stack;
  json x = editor.call("evaluate", {{"expression", "x >= 10 && x < 420"}, {"frameId", stack["body"]["stackFrames"][0]["id"]}});
  EXPECT_EQ(x["body"]["result"], "1") << x;
  editor.call("disconnect");
  const ProgramRun played = FinishProgram(game);
  EXPECT_EQ(played.status, 0);
  EXPECT_NE(played.err.find("step x 410\n"), std::string::npos);
  EXPECT_NE(played.err.find("the editor detached; the game runs on"), std::string::npos);
}

// Release builds carry no paths of the author's machine, and the adapter needs debug mode; a
// folder played in memory can be debugged without the flag.
TEST(DebugAdapter, OnlyDebugBuildsNameTheirFiles) {
  const fs::path dir = scratch("release");
  build(dir, false);
  const std::string bytes = ReadWholeFile(dir / "game");
  EXPECT_NE(bytes.substr(bytes.size() - 8), "QVSOURCE");
  EXPECT_EQ(bytes.find("scr_add.txt"), std::string::npos);
  const ProgramRun played = qv::testing::RunProgram(
      {(dir / "game").string()}, dir, {"QUORVANE_HEADLESS=1", "QUORVANE_DAP_PORT=0", "QUORVANE_STEPS=1"});
  EXPECT_EQ(played.status, 0);
  EXPECT_NE(played.err.find("the game is not in debug mode"), std::string::npos) << played.err;
  EXPECT_EQ(played.out, "sum 42\nresult 42\nstep x 11\n");

  // A folder played as it is (built in memory) keeps its files for the adapter even without the
  // flag, when QUORVANE_DEBUG=1 asks for debug mode.
  StartedProgram folder = StartProgram({QV_RUNNER_PATH, (dir / "proj").string()}, dir,
                                       {"QUORVANE_HEADLESS=1", "QUORVANE_DEBUG=1", "QUORVANE_DAP_PORT=0", "QUORVANE_STEPS=1"});
  const int port = waitForPort(folder);
  ASSERT_GT(port, 0) << ReadWholeFile(folder.errPath);
  {
    Client editor(port);
    editor.call("initialize");
    json set = editor.call("setBreakpoints", {{"source", {{"path", (dir / "proj" / "scripts" / "scr_twice.txt").string()}}},
                                              {"lines", {3}}});
    EXPECT_TRUE(set["body"]["breakpoints"][0]["verified"].get<bool>()) << set;
    editor.call("configurationDone");
    ASSERT_EQ(editor.eventNamed("stopped")["body"]["reason"], "breakpoint");
    EXPECT_EQ(top(editor.call("stackTrace")), "scr_twice:3");
    editor.call("disconnect");
  }
  EXPECT_EQ(FinishProgram(folder).status, 0);

  const fs::path debug = scratch("debug_names");
  build(debug, true);
  const std::string debugBytes = ReadWholeFile(debug / "game");
  EXPECT_EQ(debugBytes.substr(debugBytes.size() - 8), "QVSOURCE");
  EXPECT_NE(debugBytes.find("scripts/scr_add.txt"), std::string::npos);
}
