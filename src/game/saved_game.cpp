#include "game/saved_game.h"

#include <filesystem>
#include <functional>
#include <system_error>
#include <vector>

#include "code/errors.h"
#include "game/game_state.h"
#include "system/host_path.h"
#include "system/secure_mode.h"
#include "world/saved_game.h"

namespace qv::game {

namespace fs = std::filesystem;

namespace {

enum class ReadResult { Ok, Corrupt, Version, OtherGame };

// Reads every section; on success `apply` holds what makes each current, in table order.
ReadResult readSavedGame(data::CStream& s, std::vector<std::function<void()>>& apply) {
  try {
    if (s.ReadInteger() != world::kSavedGameVersion) return ReadResult::Version;
    if (s.ReadInteger() != world::currentGameId()) return ReadResult::OtherGame;
    for (const GameStatePart& part : GameStateParts()) {
      if (!part.readSaved) continue;
      std::function<void()> section = part.readSaved(s);
      if (!section) return ReadResult::Corrupt;
      apply.push_back(std::move(section));
    }
    if (!s.atEnd()) return ReadResult::Corrupt;
  } catch (const data::StreamError&) {
    return ReadResult::Corrupt;
  }
  return ReadResult::Ok;
}

}  // namespace

void WriteSavedGame(data::CStream& s) {
  s.WriteInteger(world::kSavedGameVersion);
  s.WriteInteger(world::currentGameId());
  for (const GameStatePart& part : GameStateParts())
    if (part.writeSaved) part.writeSaved(s);
}

bool SaveGame(const std::string& fname) {
  if (system::SecureMode() && fname.find_first_of("\\/") != std::string::npos) {
    code::HandleError("In secure mode you cannot save game to file " + fname, false);
    return false;
  }
  data::CStream s;
  WriteSavedGame(s);
  // The whole file goes to a temporary name first; only a complete file replaces an older save.
  const std::string target = system::HostPath(fname);
  const std::string temporary = target + ".part";
  std::error_code error;
  if (!s.SaveToFile(temporary)) {
    fs::remove(temporary, error);
    code::HandleError("Failed to save game to file " + fname, false);
    return false;
  }
  fs::rename(temporary, target, error);
  if (error) {
    fs::remove(temporary, error);
    code::HandleError("Failed to save game to file " + fname, false);
    return false;
  }
  return true;
}

bool LoadGame(const std::string& fname) {
  const std::string path = system::HostPath(fname);
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return false;
  data::CStream s;
  if (!s.LoadFromFile(path)) {
    code::HandleError("Failed to load game from file " + fname, false);
    return false;
  }
  std::vector<std::function<void()>> apply;
  switch (readSavedGame(s, apply)) {
    case ReadResult::Ok: break;
    case ReadResult::Version:
      code::HandleError("Cannot load game saved with other version.", false);
      return false;
    case ReadResult::OtherGame:
      code::HandleError("This is a save file for a different game!", false);
      return false;
    case ReadResult::Corrupt:
      code::HandleError("Failed to load game from file " + fname, false);
      return false;
  }
  // Everything checked: the running game is replaced, without events.
  for (const auto& section : apply) section();
  return true;
}

bool QuickSave() { return SaveGame(world::QuickSaveName()); }
void QuickLoad() { world::RequestLoad(world::QuickSaveName()); }

namespace {
void game_save(code::BuiltinCall& c) { SaveGame(c.string(0)); }
void game_load(code::BuiltinCall& c) { world::RequestLoad(c.string(0)); }

constexpr code::BuiltinFunction kSavedGameFunctions[] = {
    {"game_save", game_save, 1},
    {"game_load", game_load, 1},
};
}  // namespace

code::BuiltinFamily SavedGameFunctions() { return kSavedGameFunctions; }

}  // namespace qv::game
