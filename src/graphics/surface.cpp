#include "graphics/surface.h"

#include <algorithm>

#include "graphics/bitmap_ops.h"
#include "graphics/colour.h"
#include "graphics/display.h"
#include "graphics/texture_table.h"

namespace qv::graphics {
namespace {

struct SurfaceState {
  std::vector<SurfaceEntry> entries;
  int target = -1;                        // the surface drawn into; -1 for the screen
  platform::TextureHandle screen = 0;     // the device's target when a surface became the target
  bool screenRemembered = false;
};

SurfaceState& state() {
  static SurfaceState s;
  return s;
}

platform::TextureHandle HandleOf(const SurfaceEntry& e) {
  const TextureEntry* t = textures().entry(e.texture);
  return t ? t->handle : 0;
}

}  // namespace

int SurfaceCreate(int w, int h) {
  if (w < 1 || h < 1) return -1;
  const int texture = textures().create(w, h, true);
  if (texture < 0) return -1;
  auto& entries = state().entries;
  auto free = std::find_if(entries.begin(), entries.end(), [](const SurfaceEntry& e) { return !e.active; });
  const int id = int(free - entries.begin());
  if (free == entries.end()) entries.emplace_back();
  entries[size_t(id)] = SurfaceEntry{texture, w, h, true};
  return id;
}

const SurfaceEntry* Surface(int id) {
  const auto& entries = state().entries;
  if (id < 0 || size_t(id) >= entries.size() || !entries[size_t(id)].active) return nullptr;
  return &entries[size_t(id)];
}

bool SurfaceExists(int id) { return Surface(id) != nullptr; }

void SurfaceFree(int id) {
  if (!SurfaceExists(id)) return;
  if (state().target == id) SurfaceResetTarget();
  SurfaceEntry& e = state().entries[size_t(id)];
  textures().free(e.texture);
  e = SurfaceEntry{};
}

void FreeAllSurfaces() {
  if (state().target >= 0) SurfaceResetTarget();
  for (int id = 0; id < int(state().entries.size()); ++id) SurfaceFree(id);
}

void ForgetSurfaces() { state() = SurfaceState{}; }

bool SurfaceSetTarget(int id) {
  platform::Device* device = display().device();
  const SurfaceEntry* e = Surface(id);
  if (!device || !e) return false;
  SurfaceState& s = state();
  if (s.target == id) return true;
  if (s.target >= 0) SurfaceResetTarget();
  const platform::TextureHandle screen = device->renderTarget();
  if (!device->setRenderTarget(HandleOf(*e))) return false;
  s.screen = screen;
  s.screenRemembered = true;
  display().setViewport(0, 0, e->width, e->height);
  display().setProjection(0, 0, e->width, e->height, 0);
  s.target = id;
  return true;
}

bool SurfaceResetTarget() {
  platform::Device* device = display().device();
  SurfaceState& s = state();
  if (!device || !s.screenRemembered) return false;
  device->setRenderTarget(s.screen);
  Display& d = display();
  d.setViewport(0, 0, d.renderWidth, d.renderHeight);
  d.setProjection(0, 0, d.renderWidth, d.renderHeight, 0);
  s.screenRemembered = false;
  s.target = -1;
  return true;
}

int SurfaceTarget() { return state().target; }

Image SurfaceImage(int id) {
  const SurfaceEntry* e = Surface(id);
  if (!e) return Image{};
  return Image{e->texture, e->width, e->height, 0, 0};
}

std::optional<data::TBitmap32> CaptureSurface(int id, int x, int y, int w, int h) {
  platform::Device* device = display().device();
  const SurfaceEntry* e = Surface(id);
  if (!device || !e) return std::nullopt;
  x = std::max(x, 0);
  y = std::max(y, 0);
  w = std::min(w, e->width - x);
  h = std::min(h, e->height - y);
  if (w < 1 || h < 1) return std::nullopt;
  std::vector<uint32_t> pixels = device->readTarget(HandleOf(*e), platform::Rect{x, y, w, h});
  if (pixels.size() != size_t(w) * size_t(h)) return std::nullopt;
  data::TBitmap32 b;
  b.width = w;
  b.height = h;
  b.pixels = std::move(pixels);
  return b;
}

int32_t SurfaceGetPixel(int id, int x, int y) {
  const SurfaceEntry* e = Surface(id);
  if (!e || x < 0 || y < 0 || x >= e->width || y >= e->height) return 0;
  const auto pixel = CaptureSurface(id, x, y, 1, 1);
  if (!pixel) return 0;
  return DeviceToScript(pixel->pixels[0]);
}

bool SurfaceCopy(int destination, int x, int y, int source, int xs, int ys, int ws, int hs) {
  platform::Device* device = display().device();
  const SurfaceEntry* d = Surface(destination);
  const SurfaceEntry* s = Surface(source);
  if (!device || !d || !s) return false;
  // The source rectangle cut to the source surface.
  if (xs < 0) ws += xs, xs = 0;
  if (ys < 0) hs += ys, ys = 0;
  ws = std::min(ws, s->width - xs);
  hs = std::min(hs, s->height - ys);
  // A destination left of or above the surface moves the source start by as much.
  if (x < 0) xs -= x, ws += x, x = 0;
  if (y < 0) ys -= y, hs += y, y = 0;
  ws = std::min(ws, d->width - x);
  hs = std::min(hs, d->height - y);
  if (ws >= 1 && hs >= 1) device->copyTarget(HandleOf(*s), platform::Rect{xs, ys, ws, hs}, HandleOf(*d), x, y);
  return true;
}

bool SurfaceSave(int id, const std::string& hostPath, int x, int y, int w, int h) {
  auto picture = CaptureSurface(id, x, y, w, h);
  if (!picture) return false;
  if (FileExtension(hostPath) == ".png") {
    if (std::all_of(picture->pixels.begin(), picture->pixels.end(), [](uint32_t p) { return (p >> 24) == 0; }))
      for (uint32_t& p : picture->pixels) p |= 0xFF000000;
    return SavePng(*picture, hostPath);
  }
  return SaveBmp(*picture, hostPath);
}

}  // namespace qv::graphics
