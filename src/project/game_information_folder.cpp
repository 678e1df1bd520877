#include "project/game_information_folder.h"

#include "project/project_files.h"
#include "data/stream.h"
#include "windows/game_information.h"

namespace qv::project {

namespace {

constexpr const char* kJson = "game_information.json";
constexpr const char* kText = "game_information.rtf";
constexpr const char* kRaw = "raw/game_information.bin";

}  // namespace

void UnpackGameInformation(const std::vector<uint8_t>& block, const fs::path& root) {
  if (block.empty()) return;
  data::CStream s(block);
  windows::GameInformation info;
  if (!windows::ReadGameInformation(s, info) || !s.atEnd()) {
    writeFile(root / kRaw, block);
    return;
  }
  json j = json::object();
  j["background_colour"] = info.backgroundColour;
  j["show_in_main_window"] = info.showInMainWindow;
  j["caption"] = toUtf8(info.caption);
  j["left"] = info.left;
  j["top"] = info.top;
  j["width"] = info.width;
  j["height"] = info.height;
  j["border"] = info.border;
  j["sizeable"] = info.sizeable;
  j["stay_on_top"] = info.stayOnTop;
  j["game_waits"] = info.gameWaits;
  writeJson(root / kJson, j);
  writeFile(root / kText, info.richText);
}

std::vector<uint8_t> LoadGameInformation(const fs::path& root, std::vector<ProjectError>& errors) {
  std::error_code ec;
  try {
    if (!fs::exists(fs::symlink_status(root / kJson, ec))) {
      auto raw = readProjectFile(root, kRaw, kRaw, "");
      return raw ? std::move(*raw) : std::vector<uint8_t>{};
    }
    const json j = parseJsonFile(root, kJson);
    const Fields f(kJson, j);
    windows::GameInformation info;
    info.backgroundColour = f.integer("background_colour", info.backgroundColour);
    info.showInMainWindow = f.boolean("show_in_main_window", info.showInMainWindow);
    info.caption = f.string("caption", info.caption);
    info.left = f.integer("left", info.left);
    info.top = f.integer("top", info.top);
    info.width = f.integer("width", info.width);
    info.height = f.integer("height", info.height);
    info.border = f.boolean("border", info.border);
    info.sizeable = f.boolean("sizeable", info.sizeable);
    info.stayOnTop = f.boolean("stay_on_top", info.stayOnTop);
    info.gameWaits = f.boolean("game_waits", info.gameWaits);
    const std::vector<uint8_t> text = needFile(root, kText, kJson, "text");
    info.richText.assign(text.begin(), text.end());
    data::CStream block;
    windows::WriteGameInformation(block, info);
    return block.bytes();
  } catch (const Problem& problem) {
    errors.push_back(problem.error);
    return {};
  }
}

}  // namespace qv::project
