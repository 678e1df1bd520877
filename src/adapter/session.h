// The debug adapter: a Debug Adapter Protocol server on 127.0.0.1 that lets an editor set
// breakpoints on lines of a project's code files, stop and step the game's code across script
// calls, look at the stack of calls with their arguments and locals, the instance's variables and
// the globals, evaluate expressions and read the debug messages.
//
// Everything runs on the game thread. Between steps the runner calls Service(), which answers
// what the editor sent. When the code stops (a breakpoint, a step, a pause), the interpreter's
// hook (code/debug_hook) holds the game inside the statement and answers the editor until it
// resumes: no step runs and the game window is not repainted meanwhile.
//
// One editor at a time: a second connection is closed at once. The editor's messages are
// untrusted: framing faults and requests that cannot be read are reported to it and skipped.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "adapter/message_reader.h"
#include "adapter/source_map.h"
#include "code/debug_hook.h"
#include "data/code_sources.h"
#include "platform/loopback_socket.h"

namespace qv::adapter {

class Session : public code::StatementObserver {
 public:
  // Listens on 127.0.0.1:`port` (0: any free port); false when it cannot.
  bool Listen(uint16_t port, data::CodeSources sources);
  uint16_t port() const { return listener_ ? listener_->port() : 0; }
  bool connected() const { return stream_ != nullptr; }
  // Waits for an editor to connect and finish its configuration (configurationDone), so that its
  // breakpoints are set before the game's first code runs. Returns early when the editor goes or
  // `interrupted()` holds (checked every 100 ms).
  void WaitForEditor(bool (*interrupted)());
  // Answers what the editor sent, without waiting; accepts (or refuses) connections.
  void Service();
  // Service after a step; a pause the editor asked for that no code answered holds the game here.
  void AfterStep();
  // A debug message, sent to the editor as output.
  void Output(const std::string& line);
  // The game ended: the editor is told, then the connection closes.
  void Terminate();

  void Enter(code::Frame& f, const code::RValue* arguments, int argumentCount) override;
  void Statement(const code::Node& n, code::Frame& f) override;
  void Leave(code::Frame& f) override;

 private:
  struct StackEntry {
    code::Frame* frame;
    const code::RValue* arguments;
    int argumentCount;
    int32_t file;  // kNoSource or an index of the source map
    int32_t line = 0;
    const code::Node* node = nullptr;  // the statement last seen
  };
  enum class Mode { Run, Pause, StepIn, StepOver, StepOut };

  void accept(int waitMs);
  // Ends the connection; the game runs on without the hook.
  void drop(bool gameEnded = false);
  // Reads and answers; `waitMs` for the first bytes. False when the connection is gone.
  bool pump(int waitMs);
  void handle(const std::string& body);
  void respond(const nlohmann::json& request, bool success, nlohmann::json body = nullptr, const std::string& message = "");
  void event(const std::string& name, nlohmann::json body = nullptr);
  void send(const nlohmann::json& message);
  void stop(const char* reason);
  nlohmann::json stackTrace() const;
  nlohmann::json variables(int64_t reference) const;
  std::string frameName(const StackEntry& e) const;

  std::unique_ptr<platform::LoopbackListener> listener_;
  std::unique_ptr<platform::LoopbackStream> stream_;
  MessageReader reader_;
  SourceMap sources_;
  int64_t sequence_ = 1;
  bool configured_ = false;
  std::vector<std::set<int32_t>> breakpoints_;  // per file of the source map: lines
  std::vector<StackEntry> stack_;
  int quiet_ = 0;         // inside a request or a stop: code that runs is not stopped in
  int ignoredDepth_ = 0;  // executions entered while stopped (an evaluation calling a script)
  Mode mode_ = Mode::Run;
  size_t stepDepth_ = 0;
  bool stopped_ = false;
  bool resume_ = false;
};

// The process's one adapter.
Session& session();

}  // namespace qv::adapter
