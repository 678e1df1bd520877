// The one reporting path for errors of game code.
//
// Built-in functions report bad arguments and failing operations through ReportActionError, which
// adds the header of the running action and hands the message to HandleError. Parts without an
// action context (compilation of scripts and triggers, room creation code, ...) call HandleError.
// The compiler and the interpreter record their errors with RecordCodeError, which formats the
// first error of a compilation or execution with its line and position.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error_answer.h"

namespace qv::code {

class CCode;

void ReportActionError(std::string_view message, bool fatal = false);
void HandleError(std::string_view message, bool fatal);

// The state behind `error_occurred` and `error_last`, and the recorded error of the compiler and
// the interpreter.
struct ErrorState {
  bool occurred = false;
  std::string last;
  bool aborting = false;
  std::string current;     // the formatted message of the recorded error (g_codeErrorRecorded)
  bool logRewrite = true;  // the first logged error of a run rewrites "game_errors.log"
};
ErrorState& errorState();

// The game settings that steer the handler.
struct ErrorSettings {
  bool display = true;
  bool log = false;
  bool abortOnAll = false;
};
ErrorSettings& errorSettings();

// Records a compile or run-time error unless one is already recorded.
void RecordCodeError(const CCode& code, int32_t position, std::string_view message);
// Records an error about a piece of code as a whole (its size): the message without a position.
void RecordWholeCodeError(std::string_view message);
// The formatted message for a code kind (program, or expression), text and position.
std::string FormatCodeError(std::string_view text, int32_t kind, int32_t position,
                            std::string_view message);
// An error of the current compilation or execution is recorded. A plain flag beside the state:
// every execution clears it, so that costs one store.
inline bool g_codeErrorRecorded = false;
inline void ClearRecordedError() { g_codeErrorRecorded = false; }

// What the action header names; the world provides it while an action runs.
struct ActionHeader {
  bool timeLine = false;
  int32_t actionNumber = 0;  // 0-based
  std::string eventName;     // ordinary events
  std::string objectName;
  int32_t step = 0;          // time lines
  std::string timeLineName;
};
// Returns true and fills the header while an action runs; unset, errors carry no header.
using ActionHeaderSource = std::function<bool(ActionHeader&)>;
void SetActionHeaderSource(ActionHeaderSource source);
std::string FormatActionError(const ActionHeader& header, std::string_view message, bool fatal);

// Hooks of the runner: clearing the input state after the window, and ending the game on abort.
void SetInputClearHandler(std::function<void()> handler);
// The error window that shows a message and asks whether to abort: `lines` is its whole text,
// `newLines` the new message, `allowIgnore` false for fatal errors. Until a program sets one (the
// game sets the platform's window), the message goes to stderr with the headless answer.
using ErrorWindow = platform::ErrorAnswer (*)(std::vector<std::string>& lines,
                                              const std::vector<std::string>& newLines, bool allowIgnore);
void SetErrorWindow(ErrorWindow window);
void SetAbortHandler(std::function<void()> handler);

// While one lives, every error handled is only kept here: no window, no log, no abort, and the
// error state of the game is left as it was (the debugger's watch expressions, which must never
// stop the game). Captures nest; the innermost one keeps the messages.
class ErrorCapture {
 public:
  ErrorCapture();
  ~ErrorCapture();
  ErrorCapture(const ErrorCapture&) = delete;
  ErrorCapture& operator=(const ErrorCapture&) = delete;
  // The first message handled while capturing (empty when none).
  const std::string& first() const { return first_; }
  void keep(std::string_view message);

 private:
  ErrorCapture* outer_;
  ErrorState saved_;
  std::string first_;
};

// Back to the state of a fresh run (tests and game restart keep `aborting` cleared only here).
void ResetErrorState();

}  // namespace qv::code
