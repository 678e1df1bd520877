#include "windows/scripted_answers.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <deque>

#include "platform/code_page.h"

namespace qv::windows {

namespace {

struct Queue {
  bool read = false;
  std::deque<ScriptedAnswer> answers;
};

Queue& queue() {
  static Queue q;
  if (!q.read) {
    q.read = true;
    const char* env = std::getenv("QUORVANE_DIALOG_ANSWERS");
    if (env && *env) {
      std::string error;
      if (auto parsed = ParseScriptedAnswers(env, &error)) {
        q.answers.assign(parsed->begin(), parsed->end());
      } else {
        std::fprintf(stderr, "quorvane: QUORVANE_DIALOG_ANSWERS: %s; no dialog answers queued\n", error.c_str());
      }
    }
  }
  return q;
}

// Splits at ";" that no backslash escapes, undoing the escapes ("\b" stands for Backspace).
std::vector<std::string> splitItems(std::string_view text) {
  std::vector<std::string> items(1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == ';' || text[i + 1] == '\\')) {
      items.back() += text[++i];
    } else if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'b') {
      items.back() += '\b';
      ++i;
    } else if (text[i] == ';') {
      items.emplace_back();
    } else {
      items.back() += text[i];
    }
  }
  return items;
}

bool parseInt(std::string_view s, int& out) {
  const char* end = s.data() + s.size();
  auto [p, ec] = std::from_chars(s.data(), end, out);
  return ec == std::errc{} && p == end && !s.empty();
}

bool parseColour(std::string_view s, int& out) {
  if (!s.empty() && s[0] == '#') {
    unsigned rgb = 0;
    const char* end = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data() + 1, end, rgb, 16);
    if (ec != std::errc{} || p != end || s.size() != 7) return false;
    out = int((rgb >> 16) & 0xFF) | int(rgb & 0xFF00) | int((rgb & 0xFF) << 16);  // to 0xBBGGRR
    return true;
  }
  return parseInt(s, out) && out >= 0 && out <= 0xFFFFFF;
}

std::optional<ScriptedAnswer> parseItem(const std::string& item) {
  ScriptedAnswer a;
  if (item == "escape") a.kind = ScriptedAnswer::Escape;
  else if (item == "enter") a.kind = ScriptedAnswer::Enter;
  else if (item == "space") a.kind = ScriptedAnswer::Space;
  else if (item == "close") a.kind = ScriptedAnswer::Close;
  else if (item == "click") a.kind = ScriptedAnswer::Click;
  if (item == "escape" || item == "enter" || item == "space" || item == "close" || item == "click") return a;
  const size_t colon = item.find(':');
  if (colon == std::string::npos) return std::nullopt;
  const std::string kind = item.substr(0, colon);
  // Answers are written in UTF-8 like the rest of the environment; the game reads code page 1252.
  const std::string value = platform::Utf8ToCp1252Dropping(item.substr(colon + 1));
  if (kind == "button") {
    a.kind = ScriptedAnswer::Button;
    if (!parseInt(value, a.number) || a.number < 1 || a.number > 3) return std::nullopt;
  } else if (kind == "key" || kind == "alt") {
    a.kind = kind == "key" ? ScriptedAnswer::Key : ScriptedAnswer::AltKey;
    if (value.size() != 1) return std::nullopt;
    a.text = value;
  } else if (kind == "text") {
    a.kind = ScriptedAnswer::Text;
    a.text = value;
  } else if (kind == "menu") {
    a.kind = ScriptedAnswer::Menu;
    if (!parseInt(value, a.number) || a.number < 0) return std::nullopt;
  } else if (kind == "color" || kind == "colour") {
    a.kind = ScriptedAnswer::Colour;
    if (!parseColour(value, a.number)) return std::nullopt;
  } else if (kind == "file") {
    a.kind = ScriptedAnswer::File;
    a.text = value;
  } else {
    return std::nullopt;
  }
  return a;
}

}  // namespace

std::optional<std::vector<ScriptedAnswer>> ParseScriptedAnswers(std::string_view text, std::string* error) {
  std::vector<ScriptedAnswer> out;
  for (const std::string& item : splitItems(text)) {
    if (item.empty()) continue;  // a trailing ";" or an empty place means nothing
    auto a = parseItem(item);
    if (!a) {
      if (error) *error = "cannot read the answer \"" + item + "\"";
      return std::nullopt;
    }
    out.push_back(std::move(*a));
  }
  return out;
}

std::optional<ScriptedAnswer> NextScriptedAnswer() {
  Queue& q = queue();
  if (q.answers.empty()) return std::nullopt;
  ScriptedAnswer a = std::move(q.answers.front());
  q.answers.pop_front();
  return a;
}

bool ScriptedAnswersWaiting() { return !queue().answers.empty(); }

bool SetScriptedAnswers(std::string_view text) {
  Queue& q = queue();
  q.answers.clear();
  auto parsed = ParseScriptedAnswers(text, nullptr);
  if (!parsed) return false;
  q.answers.assign(parsed->begin(), parsed->end());
  return true;
}

std::string DescribeAnswer(const ScriptedAnswer& a) {
  switch (a.kind) {
    case ScriptedAnswer::Escape: return "escape";
    case ScriptedAnswer::Enter: return "enter";
    case ScriptedAnswer::Space: return "space";
    case ScriptedAnswer::Close: return "close";
    case ScriptedAnswer::Click: return "click";
    case ScriptedAnswer::Button: return "button:" + std::to_string(a.number);
    case ScriptedAnswer::Key: return "key:" + platform::Cp1252ToUtf8(a.text);
    case ScriptedAnswer::AltKey: return "alt:" + platform::Cp1252ToUtf8(a.text);
    case ScriptedAnswer::Text: return "text:" + platform::Cp1252ToUtf8(a.text);
    case ScriptedAnswer::Menu: return "menu:" + std::to_string(a.number);
    case ScriptedAnswer::Colour: return "color:" + std::to_string(a.number);
    case ScriptedAnswer::File: return "file:" + platform::Cp1252ToUtf8(a.text);
  }
  return "";
}

}  // namespace qv::windows
