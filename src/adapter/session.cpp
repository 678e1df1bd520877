// Index:
//   1. connecting and reading
//   2. requests
//   3. the interpreter's hook: frames, breakpoints, steps
//   4. the stack and its variables
#include "adapter/session.h"

#include <cstdio>

#include "code/registry.h"
#include "code/tokens.h"
#include "code/variables.h"
#include "platform/interrupt.h"
#include "world/debugger.h"

namespace qv::adapter {

using nlohmann::json;

namespace {
constexpr int kSendWaitMs = 2000;  // an editor that takes nothing for this long is gone
constexpr int kThread = 1;         // the game's code runs on one thread
// Variable references: frame number (1 = the outermost) times 4 plus the scope.
enum Scope { kArguments, kLocals, kInstance, kGlobals, kScopeCount };

// A whole number of a request (a line, a frame or a reference). Fractions and other kinds are
// refused: a real far outside the range of an integer has no integer to convert to.
int64_t whole(const json& j) {
  if (!j.is_number_integer()) throw json::type_error::create(302, "a whole number is expected", &j);
  return j.get<int64_t>();
}
int32_t lineNumber(const json& j) {
  const int64_t n = whole(j);
  return n < 0 ? 0 : n > INT32_MAX ? INT32_MAX : static_cast<int32_t>(n);
}
}  // namespace

Session& session() {
  static Session s;
  return s;
}

// ---- 1. connecting and reading ----

bool Session::Listen(uint16_t port, data::CodeSources sources) {
  listener_ = platform::LoopbackListener::Open(port);
  if (!listener_) return false;
  sources_.Set(std::move(sources));
  breakpoints_.assign(sources_.sources().files.size(), {});
  return true;
}

void Session::accept(int waitMs) {
  while (listener_) {
    std::unique_ptr<platform::LoopbackStream> s = listener_->Accept(waitMs);
    if (!s) return;
    waitMs = 0;
    if (stream_) {
      std::fprintf(stderr, "quorvane: debug adapter: a second editor was refused (one at a time)\n");
      continue;  // closed as it goes out of scope
    }
    stream_ = std::move(s);
    reader_ = MessageReader();
    code::SetStatementObserver(this);
    std::fprintf(stderr, "quorvane: debug adapter: an editor attached\n");
  }
}

void Session::drop(bool gameEnded) {
  if (!stream_) return;
  stream_.reset();
  code::SetStatementObserver(nullptr);  // frames still running end through Leave
  for (auto& lines : breakpoints_) lines.clear();
  mode_ = Mode::Run;
  resume_ = true;
  if (!gameEnded) std::fprintf(stderr, "quorvane: debug adapter: the editor detached; the game runs on\n");
}

void Session::WaitForEditor(bool (*interrupted)()) {
  std::fprintf(stderr, "quorvane: debug adapter: waiting for an editor on 127.0.0.1:%u\n", unsigned(port()));
  std::fflush(stderr);
  while (!configured_ && !interrupted()) {
    if (!stream_) {
      accept(100);
      continue;
    }
    accept(0);  // refuses a second editor
    if (!pump(100)) return;
  }
}

void Session::Service() {
  accept(0);
  if (stream_) pump(0);
}

bool Session::pump(int waitMs) {
  if (reader_.held() <= kMaxHeaderBytes + kMaxBodyBytes) {
    std::string bytes;
    const auto status = stream_->Receive(bytes, 65536, waitMs);
    if (status == platform::LoopbackStream::Status::Closed) {
      drop();
      return false;
    }
    reader_.Feed(bytes);
  }
  std::string message;
  for (;;) {
    const MessageReader::Result r = reader_.Next(message);
    if (r == MessageReader::Result::None) break;
    if (r == MessageReader::Result::Malformed)
      event("output", {{"category", "console"}, {"output", "quorvane: skipped " + message + "\n"}});
    else
      handle(message);
    if (!stream_) return false;
  }
  return true;
}

void Session::send(const json& message) {
  if (!stream_) return;
  if (!stream_->Send(FrameMessage(message.dump(-1, ' ', false, json::error_handler_t::replace)), kSendWaitMs)) drop();
}

void Session::respond(const json& request, bool success, json body, const std::string& message) {
  json r = {{"seq", sequence_++}, {"type", "response"}, {"request_seq", request.value("seq", 0)},
            {"success", success}, {"command", request.value("command", "")}};
  if (!message.empty()) r["message"] = message;
  if (!body.is_null()) r["body"] = std::move(body);
  send(r);
}

void Session::event(const std::string& name, json body) {
  json e = {{"seq", sequence_++}, {"type", "event"}, {"event", name}};
  if (!body.is_null()) e["body"] = std::move(body);
  send(e);
}

void Session::Output(const std::string& line) {
  if (stream_) event("output", {{"category", "stdout"}, {"output", line + "\n"}});
}

void Session::Terminate() {
  if (!stream_) return;
  event("terminated");
  drop(true);
}

// ---- 2. requests ----

void Session::handle(const std::string& body) {
  const json request = json::parse(body, nullptr, false);
  if (!request.is_object() || request.value("type", json()) != "request" || !request.contains("command") ||
      !request["command"].is_string() || !request.contains("seq") || !request["seq"].is_number_integer()) {
    event("output", {{"category", "console"}, {"output", "quorvane: skipped a message that is not a request\n"}});
    return;
  }
  ++quiet_;  // code that a request runs (evaluate) is not stopped in
  try {
    const std::string command = request["command"];
    const json none = json::object();
    const json& args = request.contains("arguments") && request["arguments"].is_object() ? request["arguments"] : none;
    if (command == "initialize") {
      respond(request, true, {{"supportsConfigurationDoneRequest", true}, {"supportsEvaluateForHovers", true}});
      event("initialized");
    } else if (command == "launch" || command == "attach") {
      respond(request, true);
    } else if (command == "configurationDone") {
      configured_ = true;
      respond(request, true);
    } else if (command == "setBreakpoints") {
      const std::string path = args.at("source").at("path").get<std::string>();
      std::vector<int32_t> lines;
      if (args.contains("breakpoints"))
        for (const json& b : args["breakpoints"]) lines.push_back(lineNumber(b.at("line")));
      else if (args.contains("lines"))
        for (const json& l : args["lines"]) lines.push_back(lineNumber(l));
      const int32_t file = sources_.FileNamed(path);
      json answered = json::array();
      if (file >= 0) breakpoints_[static_cast<size_t>(file)] = std::set<int32_t>(lines.begin(), lines.end());
      for (int32_t line : lines) {
        json b = {{"verified", file >= 0}, {"line", line}};
        if (file < 0) b["message"] = "not a code file of this game (build it in debug mode)";
        answered.push_back(std::move(b));
      }
      respond(request, true, {{"breakpoints", answered}});
    } else if (command == "setExceptionBreakpoints") {
      respond(request, true, {{"breakpoints", json::array()}});
    } else if (command == "threads") {
      respond(request, true, {{"threads", json::array({{{"id", kThread}, {"name", "game"}}})}});
    } else if (command == "pause") {
      mode_ = Mode::Pause;
      respond(request, true);
    } else if (command == "continue" || command == "next" || command == "stepIn" || command == "stepOut") {
      mode_ = command == "continue" ? Mode::Run
              : command == "next"   ? Mode::StepOver
              : command == "stepIn" ? Mode::StepIn
                                    : Mode::StepOut;
      stepDepth_ = stack_.size();
      resume_ = true;
      respond(request, true, command == "continue" ? json{{"allThreadsContinued", true}} : json());
    } else if (command == "stackTrace") {
      json frames = stopped_ ? stackTrace() : json::array();
      const size_t total = frames.size();
      respond(request, true, {{"stackFrames", std::move(frames)}, {"totalFrames", total}});
    } else if (command == "scopes") {
      const int64_t frame = whole(args.at("frameId"));
      json scopes = json::array();
      if (stopped_ && frame >= 1 && static_cast<size_t>(frame) <= stack_.size()) {
        const char* names[kScopeCount] = {"Arguments", "Locals", "Instance", "Globals"};
        for (int s = 0; s < kScopeCount; ++s)
          scopes.push_back({{"name", names[s]}, {"variablesReference", frame * kScopeCount + s}, {"expensive", false}});
      }
      respond(request, true, {{"scopes", std::move(scopes)}});
    } else if (command == "variables") {
      respond(request, true, {{"variables", variables(whole(args.at("variablesReference")))}});
    } else if (command == "evaluate") {
      const std::string expression = args.at("expression").get<std::string>();
      int32_t context = world::kGlobalContext;
      const int64_t frame = args.contains("frameId") ? whole(args["frameId"]) : 0;
      if (stopped_ && frame >= 1 && static_cast<size_t>(frame) <= stack_.size()) {
        const int32_t id = stack_[static_cast<size_t>(frame - 1)].frame->self->id;
        if (id >= 100000) context = id;
      }
      bool failed = false;
      const std::string value = world::debugger().evaluateText(expression, context, failed);
      if (failed) respond(request, false, nullptr, value);
      else respond(request, true, {{"result", value}, {"variablesReference", 0}});
    } else if (command == "disconnect") {
      respond(request, true);
      drop();
    } else {
      respond(request, false, nullptr, "not supported: " + command);
    }
  } catch (const json::exception&) {
    respond(request, false, nullptr, "the request's arguments cannot be read");
  }
  --quiet_;
}

// ---- 3. the interpreter's hook: frames, breakpoints, steps ----

void Session::Enter(code::Frame& f, const code::RValue* arguments, int argumentCount) {
  if (quiet_ > 0) {
    ++ignoredDepth_;
    return;
  }
  stack_.push_back({&f, arguments, argumentCount, sources_.FileOf(*f.code)});
}

void Session::Leave(code::Frame& f) {
  if (ignoredDepth_ > 0) {
    --ignoredDepth_;
    return;
  }
  // Frames end in the reverse order of their start; anything above `f` is gone with it.
  for (size_t i = stack_.size(); i-- > 0;) {
    if (stack_[i].frame != &f) continue;
    stack_.resize(i);
    return;
  }
}

void Session::Statement(const code::Node& n, code::Frame& f) {
  if (quiet_ > 0 || stack_.empty() || stack_.back().frame != &f || n.kind == code::nk_block) return;
  StackEntry& top = stack_.back();
  if (top.file < 0) return;  // code without a project file: nothing to show, so never stopped in
  const int32_t line = sources_.LineOf(top.file, *f.code, n.position);
  // A stop is due where a new line begins, or where a loop comes round to the same statement.
  const bool arrived = line != top.line || &n == top.node;
  top.line = line;
  top.node = &n;
  if (!arrived) return;
  const size_t depth = stack_.size();
  const char* reason = nullptr;
  switch (mode_) {
    case Mode::Pause: reason = "pause"; break;
    case Mode::StepIn: reason = "step"; break;
    case Mode::StepOver: reason = depth <= stepDepth_ ? "step" : nullptr; break;
    case Mode::StepOut: reason = depth < stepDepth_ ? "step" : nullptr; break;
    case Mode::Run: break;
  }
  if (!reason && breakpoints_[static_cast<size_t>(top.file)].count(line)) reason = "breakpoint";
  if (reason) stop(reason);
}

void Session::AfterStep() {
  Service();
  // A pause asked for while no code of a project file ran: the game holds between steps.
  if (stream_ && mode_ == Mode::Pause) stop("pause");
}

void Session::stop(const char* reason) {
  mode_ = Mode::Run;
  stopped_ = true;
  resume_ = false;
  ++quiet_;
  event("stopped", {{"reason", reason}, {"threadId", kThread}, {"allThreadsStopped", true}});
  while (!resume_ && stream_ && platform::InterruptSignal() == 0) {
    accept(0);
    pump(50);
  }
  --quiet_;
  stopped_ = false;
}

// ---- 4. the stack and its variables ----

std::string Session::frameName(const StackEntry& e) const {
  for (int32_t i = 0; i < code::ScriptCount(); ++i) {
    const code::CScript* s = code::Script(i);
    if (s && s->code.get() == e.frame->code) return code::ScriptName(i);
  }
  return e.file >= 0 ? sources_.RelativePath(e.file) : "code";
}

json Session::stackTrace() const {
  json frames = json::array();
  for (size_t i = stack_.size(); i-- > 0;) {
    const StackEntry& e = stack_[i];
    json frame = {{"id", i + 1}, {"name", frameName(e)}, {"line", e.line}, {"column", 1}};
    if (e.file >= 0)
      frame["source"] = {{"name", sources_.RelativePath(e.file)}, {"path", sources_.PathOf(e.file)}};
    frames.push_back(std::move(frame));
  }
  return frames;
}

json Session::variables(int64_t reference) const {
  json out = json::array();
  const int64_t frameNumber = reference / kScopeCount;
  if (!stopped_ || frameNumber < 1 || static_cast<size_t>(frameNumber) > stack_.size()) return out;
  const StackEntry& e = stack_[static_cast<size_t>(frameNumber - 1)];
  auto add = [&out](const std::string& name, const std::string& value) {
    out.push_back({{"name", name}, {"value", value}, {"variablesReference", 0}});
  };
  switch (reference % kScopeCount) {
    case kArguments:
      for (int i = 0; i < e.argumentCount; ++i)
        add("argument" + std::to_string(i), world::DebugValueText(e.arguments[i]));
      break;
    case kLocals: {
      const code::Frame& f = *e.frame;
      if (!f.localsCreated) break;
      const std::vector<int32_t>& ids = f.code->localIds();
      for (size_t s = 0; s < ids.size(); ++s)
        if (f.locals[s].exists) add(code::variableNames().nameOf(ids[s]), world::DebugVariableText(f.locals[s].var));
      if (f.extraLocals)
        for (const code::RVariable& v : f.extraLocals->entries())
          add(code::variableNames().nameOf(v.id), world::DebugVariableText(v));
      break;
    }
    case kInstance:
      for (const world::DebugVariable& v : world::debugger().instanceVariables(e.frame->self->id)) add(v.name, v.value);
      break;
    case kGlobals:
      for (const world::DebugVariable& v : world::debugger().globals()) add(v.name, v.value);
      break;
  }
  return out;
}

}  // namespace qv::adapter
