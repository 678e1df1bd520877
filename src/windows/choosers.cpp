#include "windows/choosers.h"

#include <filesystem>
#include <optional>

#include "platform/code_page.h"
#include "platform/desktop_chooser.h"
#include "platform/dialog_window.h"
#include "platform/error_answer.h"
#include "system/host_path.h"
#include "windows/colour_chooser.h"
#include "windows/message_window.h"
#include "windows/popup_menu.h"
#include "windows/scripted_answers.h"
#include "world/input.h"

namespace qv::windows {

namespace {

using code::BuiltinCall;

// The runner's own file and folder chooser: the message window asking for the name, with OK and
// Cancel; a scripted file name is typed into it.
class NameChooser final : public ModalDialog {
 public:
  NameChooser(const std::string& text, const std::string& first)
      : window_(MessageRequest{text, {"OK", "", "Cancel"}, true, first}) {}
  platform::DialogWindowSpec window() const override { return window_.window(); }
  data::TBitmap32 render() const override { return window_.render(); }
  bool handle(const platform::WindowEvent& e) override { return window_.handle(e); }
  std::vector<platform::WindowEvent> eventsFor(const ScriptedAnswer& a) const override {
    if (a.kind != ScriptedAnswer::File) return window_.eventsFor(a);
    ScriptedAnswer typed = a;
    typed.kind = ScriptedAnswer::Text;
    return window_.eventsFor(typed);
  }
  std::string describe() const override { return window_.describe(); }
  // The name given, or "" when cancelled.
  std::string answer() const { return window_.result() == 1 ? window_.inputText() : std::string(); }

 private:
  MessageWindow window_;
};

// Desktop choosers only when a person can answer them.
bool desktopAllowed() { return !platform::HeadlessRun() && !ScriptedAnswersWaiting(); }

// An answer in the game's form: absolute, "\" separators; "" stays "".
std::string gameAnswer(const std::string& hostUtf8) {
  if (hostUtf8.empty()) return {};
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(hostUtf8, error).lexically_normal();
  if (error) return system::GamePath(hostUtf8);
  if (!absolute.has_filename() && absolute.has_relative_path()) absolute = absolute.parent_path();  // no trailing "/"
  return system::GamePath(absolute.string());
}

std::string chooseName(const std::string& text, const std::string& first) {
  NameChooser chooser(text, first);
  RunModal(chooser);
  const std::string name = chooser.answer();
  return name.empty() ? std::string() : gameAnswer(system::HostPath(name));
}

void showMenuAt(BuiltinCall& c, int x, int y, int textArg, int defaultArg) {
  PopupMenu menu(c.string(textArg), x, y);
  RunModal(menu);
  world::ClearInput();
  c.result = menu.chosen() >= 0 ? double(menu.chosen()) : c.real(defaultArg);
}

void show_menu(BuiltinCall& c) {
  int x = 0, y = 0;
  platform::GlobalMousePosition(x, y);
  showMenuAt(c, x, y, 0, 1);
}

void show_menu_pos(BuiltinCall& c) { showMenuAt(c, c.integer(0), c.integer(1), 2, 3); }

void get_color(BuiltinCall& c) {
  const int32_t first = c.integer(0) & 0xFFFFFF;
  std::optional<int32_t> chosen;
  if (desktopAllowed()) {
    const int rgb = ((first & 0xFF) << 16) | (first & 0xFF00) | ((first >> 16) & 0xFF);
    if (const std::optional<int> answer = platform::DesktopColourChooser(rgb))
      chosen = *answer < 0 ? -1 : ((*answer & 0xFF) << 16) | (*answer & 0xFF00) | ((*answer >> 16) & 0xFF);
  }
  if (!chosen) {
    ColourChooser chooser(first);
    RunModal(chooser);
    chosen = chooser.chosen();
  }
  world::ClearInput();
  c.result = double(*chosen);
}

void chooseFile(BuiltinCall& c, bool save) {
  const auto filters = ParseFileFilter(c.string(0));
  const std::string& name = c.string(1);
  std::optional<std::string> answer;
  if (desktopAllowed()) {
    std::vector<std::pair<std::string, std::string>> utf8;
    for (const auto& [d, p] : filters) utf8.emplace_back(platform::Cp1252ToUtf8(d), platform::Cp1252ToUtf8(p));
    if (auto chosen = platform::DesktopFileChooser(save, utf8, system::HostPath(name))) answer = gameAnswer(*chosen);
  }
  if (!answer) {
    std::string text = save ? "Save file as:" : "Open file:";
    if (!filters.empty()) text += "#(" + filters.front().first + ")";
    answer = chooseName(text, name);
  }
  world::ClearInput();
  c.result = *answer;
}

void get_open_filename(BuiltinCall& c) { chooseFile(c, false); }
void get_save_filename(BuiltinCall& c) { chooseFile(c, true); }

void chooseDirectory(BuiltinCall& c, const std::string& caption, const std::string& start) {
  std::optional<std::string> answer;
  if (desktopAllowed()) {
    if (auto chosen = platform::DesktopDirectoryChooser(platform::Cp1252ToUtf8(caption), system::HostPath(start)))
      answer = gameAnswer(*chosen);
  }
  if (!answer) answer = chooseName(caption.empty() ? "Choose a folder:" : caption, start);
  world::ClearInput();
  c.result = *answer;
}

void get_directory(BuiltinCall& c) { chooseDirectory(c, "", c.string(0)); }
void get_directory_alt(BuiltinCall& c) { chooseDirectory(c, c.string(0), c.string(1)); }

const code::BuiltinFunction kChooserFunctions[] = {
    {"show_menu", show_menu, 2},
    {"show_menu_pos", show_menu_pos, 4},
    {"get_color", get_color, 1},
    {"get_open_filename", get_open_filename, 2},
    {"get_save_filename", get_save_filename, 2},
    {"get_directory", get_directory, 1},
    {"get_directory_alt", get_directory_alt, 2},
};

}  // namespace

std::vector<std::pair<std::string, std::string>> ParseFileFilter(const std::string& filter) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (!filter.empty()) {
    const size_t bar = filter.find('|', start);
    parts.push_back(filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  std::vector<std::pair<std::string, std::string>> pairs;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) pairs.emplace_back(parts[i], parts[i + 1]);
  return pairs;
}

code::BuiltinFamily ChooserFunctions() { return kChooserFunctions; }

}  // namespace qv::windows
