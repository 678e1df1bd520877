#include "runner/player_settings.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>

namespace qv::runner {

namespace {

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view trim(std::string_view text) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<Switch> parseSwitch(const std::string& v) {
  if (v == "game") return Switch::Game;
  if (v == "on" || v == "yes" || v == "true" || v == "1") return Switch::On;
  if (v == "off" || v == "no" || v == "false" || v == "0") return Switch::Off;
  return std::nullopt;
}

// One setting: its key in the file, its environment variable, and how a value is taken. `set`
// answers false when the value is not one of `expected`.
struct Setting {
  const char* key;
  const char* variable;
  const char* expected;
  bool (*set)(const std::string& value, const std::string& home, PlayerSettings& s);
};

bool setSwitch(Switch& target, const std::string& value) {
  auto v = parseSwitch(lower(value));
  if (v) target = *v;
  return v.has_value();
}

// The key a gamepad control stands for.
template <int Control>
Setting padSetting(const char* key, const char* variable) {
  return {key, variable, "a key name such as space, enter, escape, left, z, 5, f1 or none",
          [](const std::string& value, const std::string&, PlayerSettings& s) {
            const auto k = KeyFromName(value);
            if (k) {
              s.padKeys[Control] = *k;
              s.padKeyChosen[Control] = true;
            }
            return k.has_value();
          }};
}

const Setting kSettings[] = {
    {"fullscreen", "QUORVANE_FULLSCREEN", "on, off or game",
     [](const std::string& v, const std::string&, PlayerSettings& s) { return setSwitch(s.fullScreen, v); }},
    {"scaling", "QUORVANE_SCALING", "integer, fit, stretch or game",
     [](const std::string& value, const std::string&, PlayerSettings& s) {
       const std::string v = lower(value);
       if (v == "game") s.scaling = Scaling::Game;
       else if (v == "integer") s.scaling = Scaling::Integer;
       else if (v == "fit") s.scaling = Scaling::Fit;
       else if (v == "stretch") s.scaling = Scaling::Stretch;
       else return false;
       return true;
     }},
    {"filtering", "QUORVANE_FILTERING", "linear, nearest or game",
     [](const std::string& value, const std::string&, PlayerSettings& s) {
       const std::string v = lower(value);
       if (v == "game") s.filtering = Filtering::Game;
       else if (v == "linear") s.filtering = Filtering::Linear;
       else if (v == "nearest") s.filtering = Filtering::Nearest;
       else return false;
       return true;
     }},
    {"vsync", "QUORVANE_VSYNC", "on, off or game",
     [](const std::string& v, const std::string&, PlayerSettings& s) { return setSwitch(s.vsync, v); }},
    {"volume", "QUORVANE_VOLUME", "a whole number from 0 to 100",
     [](const std::string& v, const std::string&, PlayerSettings& s) {
       int n = -1;
       const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
       if (ec != std::errc() || end != v.data() + v.size() || n < 0 || n > 100) return false;
       s.volume = n;
       return true;
     }},
    {"mute", "QUORVANE_MUTE", "on or off",
     [](const std::string& value, const std::string&, PlayerSettings& s) {
       const auto v = parseSwitch(lower(value));
       if (!v || *v == Switch::Game) return false;
       s.mute = *v == Switch::On;
       return true;
     }},
    {"save_folder", "QUORVANE_SAVE_FOLDER", "an absolute path, a path starting with ~/, or nothing for the game's own folder",
     [](const std::string& v, const std::string& home, PlayerSettings& s) {
       if (v.empty()) s.saveFolder.clear();
       else if (v.front() == '/') s.saveFolder = v;
       else if ((v == "~" || v.compare(0, 2, "~/") == 0) && !home.empty()) s.saveFolder = home + v.substr(1);
       else return false;
       return true;
     }},
    {"gamepad", "QUORVANE_GAMEPAD", "on or off",
     [](const std::string& value, const std::string&, PlayerSettings& s) {
       const auto v = parseSwitch(lower(value));
       if (!v || *v == Switch::Game) return false;
       s.gamepad = *v == Switch::On;
       return true;
     }},
    padSetting<platform::kPadUp>("pad_up", "QUORVANE_PAD_UP"),
    padSetting<platform::kPadDown>("pad_down", "QUORVANE_PAD_DOWN"),
    padSetting<platform::kPadLeft>("pad_left", "QUORVANE_PAD_LEFT"),
    padSetting<platform::kPadRight>("pad_right", "QUORVANE_PAD_RIGHT"),
    padSetting<platform::kPadA>("pad_a", "QUORVANE_PAD_A"),
    padSetting<platform::kPadB>("pad_b", "QUORVANE_PAD_B"),
    padSetting<platform::kPadX>("pad_x", "QUORVANE_PAD_X"),
    padSetting<platform::kPadY>("pad_y", "QUORVANE_PAD_Y"),
    padSetting<platform::kPadStart>("pad_start", "QUORVANE_PAD_START"),
    padSetting<platform::kPadBack>("pad_back", "QUORVANE_PAD_BACK"),
    padSetting<platform::kPadLeftShoulder>("pad_left_shoulder", "QUORVANE_PAD_LEFT_SHOULDER"),
    padSetting<platform::kPadRightShoulder>("pad_right_shoulder", "QUORVANE_PAD_RIGHT_SHOULDER"),
};

const Setting* findSetting(const std::string& key) {
  for (const Setting& s : kSettings)
    if (key == s.key) return &s;
  return nullptr;
}

std::string badValue(const Setting& s, const std::string& value) {
  return "bad value \"" + value + "\" for " + s.key + " (expected " + s.expected + "); ignored";
}

// One key = value line of the file, kept until both sections are known.
struct Entry {
  const Setting* setting;
  std::string value;
  int line;
};

std::string homeOf(const EnvironmentLookup& environment) {
  auto home = environment("HOME");
  return home && !home->empty() ? *home : std::string();
}

}  // namespace

std::string GamepadMappingsPath(const EnvironmentLookup& environment) {
  std::string path = PlayerSettingsPath(environment);
  if (path.empty()) return path;
  return path.substr(0, path.rfind('/') + 1) + "gamecontrollerdb.txt";
}

std::string PlayerSettingsPath(const EnvironmentLookup& environment) {
  if (auto xdg = environment("XDG_CONFIG_HOME"); xdg && !xdg->empty() && xdg->front() == '/')
    return *xdg + "/quorvane/settings.ini";
  const std::string home = homeOf(environment);
  return home.empty() ? std::string() : home + "/.config/quorvane/settings.ini";
}

void ApplySettingsText(std::string_view text, const std::string& fileName, int32_t gameId, const std::string& home,
                       PlayerSettings& settings, std::vector<std::string>& problems) {
  const auto report = [&](int line, const std::string& message) {
    problems.push_back(fileName + ":" + std::to_string(line) + ": " + message);
  };
  const std::string ownSection = "game " + std::to_string(gameId);
  enum class Section { Global, Own, Other } section = Section::Global;
  std::vector<Entry> global, own;
  int lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const size_t end = text.find('\n');
    const std::string_view raw = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (raw.size() > kMaxSettingsLineBytes) {
      report(lineNumber, "line longer than " + std::to_string(kMaxSettingsLineBytes) + " bytes; ignored");
      continue;
    }
    const std::string_view line = trim(raw);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']') {
        report(lineNumber, "section header without a closing ]; the keys up to the next section are ignored");
        section = Section::Other;
        continue;
      }
      // Inner spaces are collapsed so that "[game   42]" is "[game 42]".
      std::string name;
      for (char c : trim(line.substr(1, line.size() - 2))) {
        if ((c == ' ' || c == '\t') && (name.empty() || name.back() == ' ')) continue;
        name += (c == '\t') ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      }
      if (name == "global") {
        section = Section::Global;
      } else if (name.compare(0, 5, "game ") == 0) {
        int32_t id = 0;
        const char* first = name.data() + 5;
        const char* last = name.data() + name.size();
        const auto [stop, ec] = std::from_chars(first, last, id);
        if (ec != std::errc() || stop != last) {
          report(lineNumber, "unknown section [" + name + "] (expected [global] or [game ID] with a game id); its keys are ignored");
          section = Section::Other;
        } else {
          section = id == gameId ? Section::Own : Section::Other;
        }
      } else {
        report(lineNumber, "unknown section [" + name + "] (expected [global] or [game ID]); its keys are ignored");
        section = Section::Other;
      }
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      report(lineNumber, "expected KEY = VALUE; ignored");
      continue;
    }
    const std::string key = lower(trim(line.substr(0, equals)));
    const std::string value(trim(line.substr(equals + 1)));
    const Setting* setting = findSetting(key);
    if (!setting) {
      report(lineNumber, "unknown setting \"" + key + "\"; ignored");
      continue;
    }
    // Every value is checked, whichever game its section is for, so a mistake shows at once.
    PlayerSettings scratch;
    if (!setting->set(value, home, scratch)) {
      report(lineNumber, badValue(*setting, value));
      continue;
    }
    if (section == Section::Global) global.push_back({setting, value, lineNumber});
    if (section == Section::Own) own.push_back({setting, value, lineNumber});
  }
  for (const Entry& e : global) e.setting->set(e.value, home, settings);
  for (const Entry& e : own) e.setting->set(e.value, home, settings);
}

void ApplySettingsEnvironment(const EnvironmentLookup& environment, PlayerSettings& settings,
                              std::vector<std::string>& problems) {
  const std::string home = homeOf(environment);
  for (const Setting& s : kSettings) {
    auto value = environment(s.variable);
    if (!value || value->empty()) continue;
    if (value->size() > kMaxSettingsLineBytes) {
      problems.push_back(std::string(s.variable) + ": longer than " + std::to_string(kMaxSettingsLineBytes) +
                         " bytes; ignored");
      continue;
    }
    const std::string v(trim(*value));
    if (!s.set(v, home, settings)) problems.push_back(std::string(s.variable) + ": " + badValue(s, v));
  }
}

PlayerSettings ReadPlayerSettings(int32_t gameId, const EnvironmentLookup& environment,
                                  std::vector<std::string>& problems) {
  PlayerSettings settings;
  const std::string path = PlayerSettingsPath(environment);
  if (!path.empty()) {
    std::ifstream in(path, std::ios::binary);
    if (in) {
      std::string text(kMaxSettingsFileBytes + 1, '\0');
      in.read(text.data(), static_cast<std::streamsize>(text.size()));
      text.resize(static_cast<size_t>(in.gcount()));
      if (in.bad()) {
        problems.push_back(path + ": could not be read; ignored");
      } else if (text.size() > kMaxSettingsFileBytes) {
        problems.push_back(path + ": larger than " + std::to_string(kMaxSettingsFileBytes) + " bytes; not read");
      } else {
        ApplySettingsText(text, path, gameId, homeOf(environment), settings, problems);
      }
    }
  }
  ApplySettingsEnvironment(environment, settings, problems);
  return settings;
}

double PlayerGain(const PlayerSettings& settings) {
  if (settings.mute) return 0.0;
  const double fraction = std::clamp(settings.volume, 0, 100) / 100.0;
  return fraction * fraction;
}

std::string GameSaveFolder(const PlayerSettings& settings, int32_t gameId) {
  if (settings.saveFolder.empty()) return {};
  std::string folder = settings.saveFolder;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return (folder == "/" ? folder : folder + "/") + std::to_string(gameId);
}

}  // namespace qv::runner
