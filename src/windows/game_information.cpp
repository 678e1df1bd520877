#include "windows/game_information.h"

#include <optional>

#include "platform/bounded_file.h"
#include "data/container.h"
#include "data/kept_records.h"
#include "data/stream.h"
#include "system/host_path.h"
#include "windows/information_window.h"
#include "windows/modeless_dialogs.h"
#include "world/input.h"

namespace qv::windows {

namespace {

// The largest rich-text file load_info reads: far beyond any game's information text.
constexpr size_t kMaxInfoFileBytes = size_t{16} << 20;

// The text `load_info` put in place of the game's own.
std::optional<std::string>& loadedText() {
  static std::optional<std::string> text;
  return text;
}

void ShowInfo(code::BuiltinCall&) { ShowGameInformation(); }

void LoadInfo(code::BuiltinCall& c) {
  // A file too large to be a game's information counts as one that cannot be read.
  std::string text;
  if (platform::ReadFileBounded(system::HostPath(c.string(0)), kMaxInfoFileBytes, text) != platform::FileRead::ok) {
    c.result = 0.0;
    return;
  }
  loadedText() = std::move(text);
  c.result = 1.0;
}

const code::BuiltinFunction kGameInformationFunctions[] = {
    {"show_info", ShowInfo, 0},
    {"load_info", LoadInfo, 1},
};

}  // namespace

bool ReadGameInformation(data::CStream& s, GameInformation& out) {
  try {
    out.backgroundColour = s.ReadInteger();
    out.showInMainWindow = s.ReadBoolean();
    out.caption = s.ReadString();
    out.left = s.ReadInteger();
    out.top = s.ReadInteger();
    out.width = s.ReadInteger();
    out.height = s.ReadInteger();
    out.border = s.ReadBoolean();
    out.sizeable = s.ReadBoolean();
    out.stayOnTop = s.ReadBoolean();
    out.gameWaits = s.ReadBoolean();
    data::CStream text = s.ReadRawBlock();
    out.richText.assign(reinterpret_cast<const char*>(text.bytes().data()), text.size());
  } catch (const data::StreamError&) {
    return false;
  }
  return true;
}

void WriteGameInformation(data::CStream& s, const GameInformation& info) {
  s.WriteInteger(info.backgroundColour);
  s.WriteBoolean(info.showInMainWindow);
  s.WriteString(info.caption);
  s.WriteInteger(info.left);
  s.WriteInteger(info.top);
  s.WriteInteger(info.width);
  s.WriteInteger(info.height);
  s.WriteBoolean(info.border);
  s.WriteBoolean(info.sizeable);
  s.WriteBoolean(info.stayOnTop);
  s.WriteBoolean(info.gameWaits);
  data::CStream text;
  text.WriteBytes(info.richText.data(), info.richText.size());
  s.WriteRawBlock(text);
}

GameInformation CurrentGameInformation() {
  GameInformation info;
  const auto& kept = data::keptRecords(data::ChunkId::GameInformation);
  if (!kept.empty() && kept.front().exists) {
    data::CStream record = kept.front().record;
    record.seek(0);
    if (!ReadGameInformation(record, info)) info = GameInformation{};
  }
  if (loadedText()) info.richText = *loadedText();
  return info;
}

// One information window: showing it again replaces one the game did not wait for. In a window
// of its own with "game waits" off, the game goes on at once.
void ShowGameInformation() {
  CloseModelessDialog(ModelessKind::Information);
  const GameInformation info = CurrentGameInformation();
  auto window = std::make_unique<InformationWindow>(info);
  if (!window->inMainWindow() && !info.gameWaits) {
    ShowModeless(ModelessKind::Information, std::move(window));
  } else {
    RunModal(*window);
  }
  world::ClearInput();
}

code::BuiltinFamily GameInformationFunctions() { return kGameInformationFunctions; }

}  // namespace qv::windows
