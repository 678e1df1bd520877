#include "code/errors.h"

#include <cstdio>
#include <string>
#include <vector>

#include "code/ccode.h"
#include "platform/error_answer.h"

namespace qv::code {

namespace {

constexpr char CR = '\r';

ActionHeaderSource& headerSource() {
  static ActionHeaderSource source;
  return source;
}
std::function<void()>& inputClearHandler() {
  static std::function<void()> handler;
  return handler;
}
platform::ErrorAnswer headlessWindow(std::vector<std::string>&, const std::vector<std::string>& newLines,
                                     bool allowIgnore) {
  return platform::HeadlessErrorAnswer(newLines, allowIgnore);
}
ErrorWindow& errorWindow() {
  static ErrorWindow window = headlessWindow;
  return window;
}
std::function<void()>& abortHandler() {
  static std::function<void()> handler;
  return handler;
}

// The text of the error window: messages accumulate for the whole run.
std::vector<std::string>& windowLines() {
  static std::vector<std::string> lines;
  return lines;
}

// A message as window lines: split at CR, every LF dropped.
std::vector<std::string> splitLines(std::string_view message) {
  std::vector<std::string> lines(1);
  for (char c : message) {
    if (c == CR) lines.emplace_back();
    else if (c != '\n') lines.back().push_back(c);
  }
  return lines;
}

bool showInWindow(std::string_view message, bool fatal) {
  std::vector<std::string>& lines = windowLines();
  lines.emplace_back();
  lines.emplace_back(43, '_');
  const std::vector<std::string> pieces = splitLines(message);
  lines.insert(lines.end(), pieces.begin(), pieces.end());
  return errorWindow()(lines, pieces, !fatal) == platform::ErrorAnswer::Abort;
}

void writeLog(std::string_view message) {
  ErrorState& state = errorState();
  std::FILE* f = std::fopen("game_errors.log", state.logRewrite ? "wb" : "ab");
  state.logRewrite = false;
  if (!f) return;  // a log that cannot be written is skipped
  std::fwrite(message.data(), 1, message.size(), f);
  std::fwrite("\r\n\r\n\r\n", 1, 6, f);
  std::fclose(f);
}

}  // namespace

ErrorState& errorState() {
  static ErrorState state;
  return state;
}

ErrorSettings& errorSettings() {
  static ErrorSettings settings;
  return settings;
}

namespace {
ErrorCapture*& activeCapture() {
  static ErrorCapture* capture = nullptr;
  return capture;
}
}  // namespace

ErrorCapture::ErrorCapture() : outer_(activeCapture()), saved_(errorState()) { activeCapture() = this; }

ErrorCapture::~ErrorCapture() {
  activeCapture() = outer_;
  errorState() = saved_;
}

void ErrorCapture::keep(std::string_view message) {
  if (first_.empty()) first_.assign(message.data(), message.size());
}

void HandleError(std::string_view message, bool fatal) {
  if (ErrorCapture* capture = activeCapture()) {
    capture->keep(message);
    return;
  }
  ErrorState& state = errorState();
  if (state.aborting) return;
  const ErrorSettings& settings = errorSettings();
  if (settings.abortOnAll) fatal = true;
  bool abort = fatal;
  if (settings.display) {
    const bool chosenAbort = showInWindow(message, fatal);
    abort = fatal || chosenAbort;
  }
  if (inputClearHandler()) inputClearHandler()();
  if (settings.log) writeLog(message);
  state.last.assign(message.data(), message.size());
  state.occurred = true;
  if (abort) {
    state.aborting = true;
    if (abortHandler()) abortHandler()();
  }
}

std::string FormatActionError(const ActionHeader& header, std::string_view message, bool fatal) {
  std::string out = fatal ? "FATAL " : "";
  out += "ERROR in\r\naction number ";
  out += std::to_string(header.actionNumber + 1);
  out += "\r\n";
  if (header.timeLine) {
    out += "at time step " + std::to_string(header.step) + "\r\nof time line " + header.timeLineName;
  } else {
    out += "of " + header.eventName + "\r\nfor object " + header.objectName;
  }
  out += ":\r\n\r\n";
  out.append(message.data(), message.size());
  return out;
}

void ReportActionError(std::string_view message, bool fatal) {
  ActionHeader header;
  if (headerSource() && headerSource()(header)) {
    HandleError(FormatActionError(header, message, fatal), fatal);
  } else {
    HandleError(message, fatal);
  }
}

std::string FormatCodeError(std::string_view text, int32_t kind, int32_t position,
                            std::string_view message) {
  // Clamp to 1 first and to the text's length last, so that an empty text gives position 0.
  int64_t pos = position < 1 ? 1 : position;
  if (pos > static_cast<int64_t>(text.size())) pos = static_cast<int64_t>(text.size());
  int64_t line = 1, column = 0;
  size_t lineStart = 0;  // index just after the last CR before the position
  for (int64_t i = 0; i < pos; ++i) {
    const char c = text[static_cast<size_t>(i)];
    if (c == CR || (c == '\n' && (i == 0 || text[static_cast<size_t>(i - 1)] != CR))) {
      ++line;
      column = 0;
    } else {
      ++column;
    }
    if (c == CR && i < pos - 1) lineStart = static_cast<size_t>(i) + 1;
  }
  size_t lineEnd = text.find(CR, lineStart);
  if (lineEnd == std::string_view::npos) lineEnd = text.size();
  const std::string_view lineText = text.substr(lineStart, lineEnd - lineStart);
  std::string out;
  if (kind == kProgram) {
    out = "Error in code at line " + std::to_string(line) + ":\r   ";
    out.append(lineText.data(), lineText.size());
    out += CR;
    out.append(static_cast<size_t>(column + 1), ' ');
    out += "^\rat position " + std::to_string(column) + ": ";
  } else {
    out = "Error in expression:";
    out.append(text.data(), text.size());
    out += "\r position " + std::to_string(column) + ": ";
  }
  out.append(message.data(), message.size());
  return out;
}

void RecordCodeError(const CCode& code, int32_t position, std::string_view message) {
  ErrorState& state = errorState();
  if (g_codeErrorRecorded) return;
  g_codeErrorRecorded = true;
  state.current = FormatCodeError(code.Text(), code.kind(), position, message);
}

void RecordWholeCodeError(std::string_view message) {
  ErrorState& state = errorState();
  if (g_codeErrorRecorded) return;
  g_codeErrorRecorded = true;
  state.current = std::string(message);
}

void SetActionHeaderSource(ActionHeaderSource source) { headerSource() = std::move(source); }
void SetInputClearHandler(std::function<void()> handler) { inputClearHandler() = std::move(handler); }
void SetAbortHandler(std::function<void()> handler) { abortHandler() = std::move(handler); }
void SetErrorWindow(ErrorWindow window) { errorWindow() = window ? window : headlessWindow; }

void ResetErrorState() {
  errorState() = ErrorState{};
  g_codeErrorRecorded = false;
  windowLines().clear();
}

}  // namespace qv::code
