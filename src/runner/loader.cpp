#include "runner/loader.h"

#include <array>

#include "code/registry.h"
#include "data/kept_records.h"
#include "graphics/background.h"
#include "graphics/font.h"
#include "graphics/sprite.h"
#include "motion/path.h"
#include "platform/message_box.h"
#include "game/included_files.h"
#include "runner/loading_window.h"
#include "data/messages.h"
#include "runner/runner_main.h"
#include "sound/sound.h"
#include "world/object.h"
#include "world/room.h"
#include "world/time_line.h"
#include "world/trigger.h"
#include "extensions/extension_packages.h"

namespace qv::runner {

namespace {

bool readConstants(data::CStream& s) {
  auto& list = gameConstants();
  list.clear();
  if (s.ReadInteger() != data::Chunk(data::ChunkId::Constants).version) return false;
  const auto count = data::ReadCount(s, 8);
  if (!count) return false;
  for (int32_t i = 0; i < *count; ++i) {
    std::string name = s.ReadString();
    list.emplace_back(std::move(name), s.ReadString());
  }
  return true;
}

bool keepGameInformation(data::CStream& s) {
  auto& list = data::keptRecords(data::ChunkId::GameInformation);
  list.clear();
  if (s.ReadInteger() != data::Chunk(data::ChunkId::GameInformation).version) return false;
  data::KeptRecord r;
  r.exists = true;
  r.record = s.ReadCompressedBlock();
  list.push_back(std::move(r));
  return true;
}

bool readChunk(data::ChunkId chunk, data::CStream& s) {
  switch (chunk) {
    case data::ChunkId::ExtensionPackages: return extensions::LoadExtensionPackages(s);
    case data::ChunkId::Triggers: return world::ReadTriggersChunk(s);
    case data::ChunkId::Constants: return readConstants(s);
    case data::ChunkId::Sounds: return sound::ReadSoundsChunk(s, sound::soundList());
    case data::ChunkId::Sprites: return graphics::ReadSpriteBlock(s, graphics::sprites());
    case data::ChunkId::Backgrounds: return graphics::ReadBackgroundBlock(s, graphics::backgrounds());
    case data::ChunkId::Paths: return motion::ReadPathsChunk(s);
    case data::ChunkId::Fonts: return graphics::ReadFontBlock(s, graphics::fonts());
    case data::ChunkId::TimeLines: return world::ReadTimeLinesChunk(s);
    case data::ChunkId::Scripts: return code::ReadScriptsChunk(s);
    case data::ChunkId::Objects: return world::ReadObjectsChunk(s);
    case data::ChunkId::Rooms: return world::ReadRoomsChunk(s);
    case data::ChunkId::IncludedFiles: return game::ReadIncludedFilesChunk(s);
    case data::ChunkId::GameInformation: return keepGameInformation(s);
    case data::ChunkId::LibraryInitCode: return game::ReadLibraryInitChunk(s);
    case data::ChunkId::RoomOrder: return world::ReadRoomOrderChunk(s);
  }
  return false;
}

}  // namespace

std::vector<std::pair<std::string, std::string>>& gameConstants() {
  static std::vector<std::pair<std::string, std::string>> constants;
  return constants;
}

const std::vector<LoadStep>& LoadSteps() {
  static const std::vector<LoadStep> steps = {
      {data::ChunkId::ExtensionPackages, 0, "Loading extension packages"},
      {data::ChunkId::Triggers, 5, "Loading triggers"},
      {data::ChunkId::Constants, 6, "Loading constants"},
      {data::ChunkId::Sounds, 7, "Loading sounds"},
      {data::ChunkId::Sprites, 10, "Loading sprites"},
      {data::ChunkId::Backgrounds, 23, "Loading backgrounds"},
      {data::ChunkId::Paths, 30, "Loading paths"},
      {data::ChunkId::Scripts, 32, "Loading scripts"},
      {data::ChunkId::Fonts, 34, "Loading fonts"},
      {data::ChunkId::TimeLines, 36, "Loading time lines"},
      {data::ChunkId::Objects, 38, "Loading objects"},
      {data::ChunkId::Rooms, 40, "Loading rooms"},
      {data::ChunkId::IncludedFiles, 43, "Loading included files"},
      {data::ChunkId::GameInformation, 45, "Loading help"},
      {data::ChunkId::LibraryInitCode, 47, "Loading library init code"},
      {data::ChunkId::RoomOrder, 49, "Loading room order"},
  };
  return steps;
}

bool LoadAll(data::CStream& main) {
  for (const LoadStep& step : LoadSteps()) {
    Progress(step.percent, step.text);
    if (!readChunk(step.chunk, main)) {
      if (step.chunk == data::ChunkId::ExtensionPackages)
        platform::showMessageBox(ApplicationTitle(), "Error in loading extension packages.");
      platform::showMessageBox(ApplicationTitle(), data::messages::kResourceData);
      return false;
    }
  }
  main.clear();
  return true;
}

}  // namespace qv::runner
