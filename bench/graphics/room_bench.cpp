// Room drawing, headless through the real OpenGL path: a written game whose room holds 5,000
// instances with sprites (8 sprites, no draw events), 2,000 tiles, a background and a foreground
// layer and two views, loaded by the real reader and drawn by the room drawing each frame.
//
//   BM_RoomTwoViews   one frame: the room drawn through both views, then a one-pixel read so
//                     that the GPU work is inside the measured time
//
// Counters: "fps" frames per second; "requests" the draw requests the room drawing makes of the
// device per frame (counted once on a recording device); "batches" the OpenGL draw calls the
// device issues per frame after batching.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "code/errors.h"
#include "graphics/background.h"
#include "graphics/display.h"
#include "graphics/sprite.h"
#include "platform/game_window.h"
#include "platform/recording_device.h"
#include "data/container.h"
#include "data/game_writer.h"
#include "runner/loader.h"
#include "runner/preparation.h"
#include "runner/runner_main.h"
#include "data/settings.h"
#include "game/game_loop.h"
#include "world/game_world.h"
#include "world/object.h"
#include "world/room.h"
#include "world/room_drawing.h"

namespace {

using namespace qv;

constexpr int kInstances = 5000, kTiles = 2000, kSprites = 8;
constexpr int kRoomWidth = 1600, kRoomHeight = 1200;

template <class Write>
void addRecord(data::CGameWriter& w, data::ChunkId chunk, int32_t index, const std::string& name, Write write) {
  data::CStream record;
  write(record);
  w.WholeRecord(chunk, index, record);
}

std::vector<uint8_t> WriteGame() {
  data::CGameWriter w;
  for (int i = 0; i < kSprites; ++i) {
    graphics::CSprite s;
    s.frames.push_back(data::TBitmap32(16, 16, 0xFF000000u | uint32_t(i * 30) << 16 | 0x80A0));
    graphics::ComputeDefaultMasks(s);
    const std::string name = "spr" + std::to_string(i);
    addRecord(w, data::ChunkId::Sprites, i, name, [&](data::CStream& out) { graphics::WriteSpriteRecord(out, &s, name); });
    world::CObject o;
    o.sprite = i;
    world::WriteObjectRecord(w.Record(data::ChunkId::Objects, i, "obj" + std::to_string(i)), o);
  }
  for (int i = 0; i < 2; ++i) {
    graphics::CBackground b;
    b.image = data::TBitmap32(64, 64, i == 0 ? 0xFF305080 : 0x40FFFFFF);
    const std::string name = "bk" + std::to_string(i);
    addRecord(w, data::ChunkId::Backgrounds, i, name, [&](data::CStream& out) { graphics::WriteBackgroundRecord(out, &b, name); });
  }
  world::CRoom room;
  room.width = kRoomWidth;
  room.height = kRoomHeight;
  room.backgrounds[0].visible = true;
  room.backgrounds[0].index = 0;
  room.backgrounds[1].visible = true;
  room.backgrounds[1].foreground = true;
  room.backgrounds[1].index = 1;
  room.viewsEnabled = true;
  for (size_t k = 0; k < 2; ++k) {
    world::CView& v = room.views[k];
    v.visible = true;
    v.xview = 0, v.yview = int32_t(k) * 600, v.wview = kRoomWidth, v.hview = 600;
    v.xport = 0, v.yport = int32_t(k) * 240, v.wport = 640, v.hport = 240;
  }
  std::mt19937 random(2024);
  std::uniform_int_distribution<int> x(0, kRoomWidth - 16), y(0, kRoomHeight - 16), depth(-50, 50), object(0, kSprites - 1);
  for (int i = 0; i < kInstances; ++i) {
    auto in = std::make_unique<world::CInstance>();
    in->objectIndex = object(random);
    in->x = x(random);
    in->y = y(random);
    in->id = 100001 + i;
    room.instances.push_back(std::move(in));
  }
  for (int i = 0; i < kTiles; ++i) {
    world::CTile t;
    t.background = 0;
    t.left = 16 * (i % 4);
    t.width = t.height = 16;
    t.x = x(random);
    t.y = y(random);
    t.depth = depth(random);
    t.id = 10000001 + i;
    room.tiles.push_back(t);
  }
  w.last_instance_id = 100000 + kInstances;
  w.last_tile_id = 10000000 + kTiles;
  world::WriteRoomRecord(w.Record(data::ChunkId::Rooms, 0, "rm"), room);
  world::WriteRoomOrderItem(w.Item(data::ChunkId::RoomOrder), 0);
  w.random_seed = 1;
  return w.Write();
}

bool LoadGame() {
  return runner::LoadGameInProcess(WriteGame());
}

void MakeTextures() {
  for (int i = 0; i < graphics::sprites().count(); ++i)
    if (auto* s = graphics::sprites().get(i)) graphics::CreateSpriteTextures(*s);
  for (int i = 0; i < graphics::backgrounds().count(); ++i)
    if (auto* b = graphics::backgrounds().get(i)) graphics::CreateBackgroundTexture(*b);
}

struct RoomScene {
  bool ok = false;
  int64_t requests = 0;
  std::unique_ptr<platform::GameWindow> window;
};

// Loads the game and enters its room; counts one frame's requests on a recording device, then
// makes a headless window and OpenGL device of its own for the measured frames. The benchmark
// runs before the others of this program (which make their own devices afterwards) and leaves
// no device behind.
void Build(RoomScene& s) {
  auto& d = graphics::display();
  if (d.device() || !LoadGame()) return;
  game::StartGame();
  auto recording = std::make_unique<platform::RecordingDevice>();
  platform::RecordingDevice* counter = recording.get();
  d.useDevice(std::move(recording));
  MakeTextures();
  world::DrawCurrentRoom();
  s.requests = int64_t(counter->draws.size());
  d.releaseDevice();
  s.window = platform::GameWindow::Open(640, 480);
  if (!s.window) return;
  d.bindWindow(s.window.get());
  if (!d.createDevice(640, 480, false)) return;
  MakeTextures();
  world::SizeRegionForRoom(world::CurrentRoom());
  s.ok = true;
}

void TearDown(RoomScene& s) {
  game::EndGame();
  graphics::display().releaseDevice();
  graphics::display().bindWindow(nullptr);
  s.window.reset();
}

void BM_RoomTwoViews(benchmark::State& state) {
  RoomScene scene;
  Build(scene);
  if (!scene.ok) {
    TearDown(scene);
    state.SkipWithError("a device already exists, no OpenGL device could be made, or the game did not load");
    return;
  }
  auto& d = graphics::display();
  const uint64_t batchesBefore = d.device()->drawCalls();
  for (auto _ : state) {
    d.beginFrame();
    world::DrawCurrentRoom();
    d.device()->endScene();
    benchmark::DoNotOptimize(d.capture(0, 0, 1, 1));
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["requests"] = double(scene.requests);
  state.counters["batches"] = double(d.device()->drawCalls() - batchesBefore) / double(state.iterations());
  TearDown(scene);
}
BENCHMARK(BM_RoomTwoViews)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
