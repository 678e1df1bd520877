#include "runner/debugger_automation.h"

#include <charconv>
#include <cstdio>

#include "world/debugger.h"

namespace qv::runner {

namespace {

bool parseNumber(std::string_view text, int64_t& out) {
  const auto done = std::from_chars(text.data(), text.data() + text.size(), out);
  return done.ec == std::errc() && done.ptr == text.data() + text.size() && !text.empty();
}

// "watch" or "watch@ID" before the colon: the context.
bool parseContext(std::string_view head, std::string_view word, int32_t& context) {
  if (head == word) {
    context = world::kGlobalContext;
    return true;
  }
  if (head.substr(0, word.size()) != word || head.size() <= word.size() + 1 || head[word.size()] != '@') return false;
  int64_t id = 0;
  if (!parseNumber(head.substr(word.size() + 1), id) || id < 0 || id > INT32_MAX) return false;
  context = static_cast<int32_t>(id);
  return true;
}

std::string contextText(int32_t context) {
  return context == world::kGlobalContext ? "" : " (in " + std::to_string(context) + ")";
}

void say(const std::string& line) {
  std::fprintf(stderr, "quorvane: debugger: %s\n", line.c_str());
  std::fflush(stderr);
}

void showWatches() {
  for (const world::DebugWatch& w : world::debugger().watches())
    say("step " + std::to_string(world::debugger().step()) + ": " + w.expression + contextText(w.context) +
        (w.failed ? " failed: " : " = ") + w.value);
}

}  // namespace

std::optional<std::vector<DebuggerAction>> ParseDebuggerActions(std::string_view text, std::string* error) {
  std::vector<DebuggerAction> out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view item = text.substr(start, end - start);
    while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
    while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
    start = end + 1;
    if (item.empty()) continue;
    DebuggerAction a;
    const size_t colon = item.find(':');
    const std::string_view head = item.substr(0, colon);
    const std::string_view rest = colon == std::string_view::npos ? std::string_view() : item.substr(colon + 1);
    bool ok = true;
    if (item.substr(0, 6) == "pause@") {
      a.kind = DebuggerAction::PauseAt;
      ok = parseNumber(item.substr(6), a.step) && a.step >= 1;
    } else if (item == "step") {
      a.kind = DebuggerAction::Step;
    } else if (item == "run") {
      a.kind = DebuggerAction::Run;
    } else if (item == "show") {
      a.kind = DebuggerAction::Show;
    } else if (colon != std::string_view::npos && parseContext(head, "watch", a.context)) {
      a.kind = DebuggerAction::Watch;
      a.expression = rest;
      ok = !rest.empty();
    } else if (colon != std::string_view::npos && parseContext(head, "set", a.context)) {
      a.kind = DebuggerAction::Set;
      const size_t eq = rest.find('=');
      ok = eq != std::string_view::npos && eq > 0 && eq + 1 < rest.size();
      if (ok) {
        a.name = rest.substr(0, eq);
        a.expression = rest.substr(eq + 1);
      }
    } else {
      ok = false;
    }
    if (!ok) {
      if (error) *error = "not a debugger action: \"" + std::string(item) + "\"";
      return std::nullopt;
    }
    out.push_back(std::move(a));
    if (end == text.size()) break;
  }
  return out;
}

DebuggerAutomation::DebuggerAutomation(std::vector<DebuggerAction> actions) {
  for (DebuggerAction& a : actions) (a.kind == DebuggerAction::PauseAt ? pauses_ : queue_).push_back(std::move(a));
}

void DebuggerAutomation::afterStep(int64_t step) {
  world::Debugger& d = world::debugger();
  if (showAfterStep_) {
    showAfterStep_ = false;
    showWatches();
  }
  for (const DebuggerAction& p : pauses_) {
    if (p.step != step || d.paused()) continue;
    d.pause();
    say("paused after step " + std::to_string(step) + " in room " + d.roomName());
  }
}

void DebuggerAutomation::whilePaused() {
  world::Debugger& d = world::debugger();
  if (!d.paused() || d.stepPending()) return;
  if (next_ >= queue_.size()) {
    say("no more actions: the game runs on");
    d.run();
    return;
  }
  const DebuggerAction& a = queue_[next_++];
  switch (a.kind) {
    case DebuggerAction::Step:
      d.stepOnce();
      showAfterStep_ = true;
      break;
    case DebuggerAction::Run:
      say("run");
      d.run();
      break;
    case DebuggerAction::Show:
      showWatches();
      break;
    case DebuggerAction::Watch: {
      const world::DebugWatch& w = d.watches()[d.addWatch(a.expression, a.context)];
      say("watch " + w.expression + contextText(w.context) + (w.failed ? " failed: " : " = ") + w.value);
      break;
    }
    case DebuggerAction::Set: {
      const std::string error = d.setVariable(a.context, a.name, a.expression);
      say("set " + a.name + contextText(a.context) + (error.empty() ? " = " + a.expression : " failed: " + error));
      break;
    }
    case DebuggerAction::PauseAt:
      break;
  }
}

}  // namespace qv::runner
