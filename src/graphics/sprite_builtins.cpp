// The sprite_* functions of game code.
//
// Sections: helpers; queries; adding and replacing; copying, merging and deleting; saving and masks;
// the table.
#include <algorithm>
#include <cmath>

#include "code/builtin.h"
#include "code/errors.h"
#include "graphics/bitmap_ops.h"
#include "graphics/builtins.h"
#include "graphics/display.h"
#include "graphics/seams.h"
#include "graphics/surface.h"
#include "graphics/sprite.h"
#include "graphics/texture_table.h"

namespace qv::graphics {
namespace {

using code::BuiltinCall;
using code::BuiltinFunction;
using code::ReportActionError;

// --- helpers -------------------------------------------------------------------------------------

constexpr const char* kNewSprite = "__newsprite";

CSprite* Sprite(const BuiltinCall& c, int i) { return sprites().get(c.integer(i)); }
// The flags of the screen and surface functions count only when above 0.5.
bool Above(const BuiltinCall& c, int i) { return c.real(i) > 0.5; }

void FreeSprite(CSprite& s) {
  FreeSpriteTextures(s);
  s = CSprite();
}

CSprite DeepCopy(const CSprite& src) {
  CSprite copy = src;
  copy.textures.clear();
  CreateSpriteTextures(copy);
  return copy;
}

// Appends frames to a sprite: each is resized to frame 0's size (factor 1); the first frame of an
// empty sprite keeps its own size. Textures and default masks are made again.
void AppendFrames(CSprite& s, std::vector<data::TBitmap32> frames) {
  for (data::TBitmap32& f : frames) {
    if (!s.frames.empty() && (f.width != s.frames[0].width || f.height != s.frames[0].height))
      f = Resized(f, s.frames[0].width, s.frames[0].height, 1);
    s.frames.push_back(std::move(f));
  }
  CreateSpriteTextures(s);
  ComputeDefaultMasks(s);
}

void SetFrames(CSprite& s, std::vector<data::TBitmap32> frames, int xorig, int yorig) {
  s.frames = std::move(frames);
  s.xOrigin = xorig;
  s.yOrigin = yorig;
  CreateSpriteTextures(s);
  ComputeDefaultMasks(s);
}

// --- queries -------------------------------------------------------------------------------------

void sprite_exists(BuiltinCall& c) { c.result = code::truthValue(sprites().exists(c.integer(0))); }
void sprite_name(BuiltinCall& c) { c.result.setString(sprites().name(c.integer(0))); }

template <class F>
void Getter(BuiltinCall& c, F f) {
  const CSprite* s = Sprite(c, 0);
  c.result = s ? double(f(*s)) : -1.0;
}
void sprite_get_number(BuiltinCall& c) { Getter(c, [](const CSprite& s) { return s.frameCount(); }); }
void sprite_get_width(BuiltinCall& c) { Getter(c, [](const CSprite& s) { return s.width(); }); }
void sprite_get_height(BuiltinCall& c) { Getter(c, [](const CSprite& s) { return s.height(); }); }
void sprite_get_xoffset(BuiltinCall& c) { Getter(c, [](const CSprite& s) { return s.xOrigin; }); }
void sprite_get_yoffset(BuiltinCall& c) { Getter(c, [](const CSprite& s) { return s.yOrigin; }); }
void sprite_get_bbox_left(BuiltinCall& c) { Getter(c, [](const CSprite& s) { return s.bbox.left; }); }
void sprite_get_bbox_right(BuiltinCall& c) { Getter(c, [](const CSprite& s) { return s.bbox.right; }); }
void sprite_get_bbox_top(BuiltinCall& c) { Getter(c, [](const CSprite& s) { return s.bbox.top; }); }
void sprite_get_bbox_bottom(BuiltinCall& c) { Getter(c, [](const CSprite& s) { return s.bbox.bottom; }); }

void sprite_set_offset(BuiltinCall& c) {
  if (CSprite* s = Sprite(c, 0)) {
    s->xOrigin = c.integer(1);
    s->yOrigin = c.integer(2);
  }
}

void sprite_get_texture(BuiltinCall& c) {
  const CSprite* s = Sprite(c, 0);
  if (!s) {
    ReportActionError("Trying to get texture from non-existing sprite.");
    return;
  }
  int subimg = c.integer(1);
  if (subimg < 0) subimg = code::truncToInt32(std::floor(CallerImageIndex(c.self)));
  c.result = double(s->frames.empty() ? -1 : s->frameTexture(subimg));
}

void sprite_set_alpha_from_sprite(BuiltinCall& c) {
  CSprite* s = Sprite(c, 0);
  const CSprite* from = Sprite(c, 1);
  if (!s || !from || from->frames.empty()) return;
  const std::vector<data::TBitmap32> source = from->frames;  // the two may be the same sprite
  for (size_t i = 0; i < s->frames.size(); ++i) AlphaFrom(s->frames[i], source[i % source.size()]);
  CreateSpriteTextures(*s);  // masks stay as they are
}

// --- adding and replacing ------------------------------------------------------------------------

void sprite_add(BuiltinCall& c) {
  std::vector<data::TBitmap32> frames;
  if (!LoadSpriteFrames(HostPath(c.string(0)), c.integer(1), c.truth(2), c.truth(3), frames)) {
    c.result = -1.0;  // no slot is taken, so the next new sprite gets this index
    return;
  }
  auto s = std::make_unique<CSprite>();
  SetFrames(*s, std::move(frames), c.integer(4), c.integer(5));
  c.result = double(sprites().append(std::move(s), kNewSprite));
}

void sprite_replace(BuiltinCall& c) {
  CSprite* s = Sprite(c, 0);
  if (!s) {
    ReportActionError("Trying to replace non-existing sprite.");
    return;
  }
  if (ReplaceSprite(*s, c.string(1), c.integer(2), c.truth(3), c.truth(4), c.integer(5), c.integer(6))) c.result = 1.0;
}

std::optional<CSprite> LoadSpriteFile(const std::string& gamePath) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(HostPath(gamePath), bytes)) return std::nullopt;
  return ReadSpriteFile(bytes.data(), bytes.size());
}

void sprite_add_sprite(BuiltinCall& c) {
  auto loaded = LoadSpriteFile(c.string(0));
  if (!loaded) {
    c.result = -1.0;
    return;
  }
  auto s = std::make_unique<CSprite>(std::move(*loaded));
  CreateSpriteTextures(*s);
  c.result = double(sprites().append(std::move(s), kNewSprite));
}

void sprite_replace_sprite(BuiltinCall& c) {
  CSprite* s = Sprite(c, 0);
  if (!s) {
    ReportActionError("Trying to replace non-existing sprite.");
    return;
  }
  if (ReplaceSpriteFromFile(*s, c.string(1))) c.result = 1.0;
}

void sprite_create_from_screen(BuiltinCall& c) {
  data::TBitmap32 frame = display().capture(c.integer(0), c.integer(1), c.integer(2), c.integer(3));
  ProcessAddedImage(frame, Above(c, 4), Above(c, 5));
  auto s = std::make_unique<CSprite>();
  std::vector<data::TBitmap32> frames;
  frames.push_back(std::move(frame));
  SetFrames(*s, std::move(frames), c.integer(6), c.integer(7));
  c.result = double(sprites().append(std::move(s), kNewSprite));
}

void sprite_add_from_screen(BuiltinCall& c) {
  CSprite* s = Sprite(c, 0);
  if (!s) {
    ReportActionError("Trying to add to non-existing sprite.");
    return;
  }
  data::TBitmap32 frame = display().capture(c.integer(1), c.integer(2), c.integer(3), c.integer(4));
  ProcessAddedImage(frame, Above(c, 5), Above(c, 6));
  std::vector<data::TBitmap32> frames;
  frames.push_back(std::move(frame));
  AppendFrames(*s, std::move(frames));
}

void sprite_create_from_surface(BuiltinCall& c) {
  auto frame = CaptureSurface(c.integer(0), c.integer(1), c.integer(2), c.integer(3), c.integer(4));
  if (!frame) {
    c.result = -1.0;
    return;
  }
  ProcessAddedImage(*frame, Above(c, 5), Above(c, 6));
  auto s = std::make_unique<CSprite>();
  std::vector<data::TBitmap32> frames;
  frames.push_back(std::move(*frame));
  SetFrames(*s, std::move(frames), c.integer(7), c.integer(8));
  c.result = double(sprites().append(std::move(s), kNewSprite));
}

void sprite_add_from_surface(BuiltinCall& c) {
  CSprite* s = Sprite(c, 0);
  if (!s) {
    ReportActionError("Trying to add to non-existing sprite.");
    return;
  }
  auto frame = CaptureSurface(c.integer(1), c.integer(2), c.integer(3), c.integer(4), c.integer(5));
  if (!frame) return;
  ProcessAddedImage(*frame, Above(c, 6), Above(c, 7));
  std::vector<data::TBitmap32> frames;
  frames.push_back(std::move(*frame));
  AppendFrames(*s, std::move(frames));
}

// --- copying, merging and deleting ---------------------------------------------------------------

void sprite_delete(BuiltinCall& c) {
  const int i = c.integer(0);
  CSprite* s = sprites().get(i);
  if (!s) {
    ReportActionError("Trying to delete non-existing sprite.");
    return;
  }
  FreeSpriteTextures(*s);
  sprites().slots[size_t(i)].reset();
  sprites().names[size_t(i)].clear();
  c.result = 1.0;
}

void sprite_duplicate(BuiltinCall& c) {
  const CSprite* s = Sprite(c, 0);
  if (!s) {
    ReportActionError("Trying to duplicate non-existing sprite.");
    return;
  }
  c.result = double(sprites().append(std::make_unique<CSprite>(DeepCopy(*s)), kNewSprite));
}

void sprite_assign(BuiltinCall& c) {
  const int ind = c.integer(0), from = c.integer(1);
  const CSprite* src = sprites().get(from);
  if (!src || ind < 0 || ind >= sprites().count()) {
    ReportActionError("Error assigning a sprite.");
    return;
  }
  if (ind == from) return;  // a sprite assigned to itself stays as it is
  CSprite copy = DeepCopy(*src);
  auto& slot = sprites().slots[size_t(ind)];
  if (slot) FreeSpriteTextures(*slot);
  slot = std::make_unique<CSprite>(std::move(copy));
}

void sprite_merge(BuiltinCall& c) {
  CSprite* into = Sprite(c, 0);
  if (!into) {
    ReportActionError("Trying to merge to non-existing sprite.");
    return;
  }
  const CSprite* from = Sprite(c, 1);
  if (!from) {
    ReportActionError("Trying to merge from non-existing sprite.");
    return;
  }
  // Copied first, so that merging a sprite with itself appends each frame once.
  AppendFrames(*into, from->frames);
}

// --- saving and masks ----------------------------------------------------------------------------

void sprite_save(BuiltinCall& c) {
  const CSprite* s = Sprite(c, 0);
  if (!s) {
    ReportActionError("Trying to save non-existing sprite bitmap.");
    return;
  }
  const std::string& name = c.string(2);
  if (name.empty()) {
    ReportActionError("Trying to save sprite bitmap to empty image file name.");
    return;
  }
  if (!ImageWriteAllowed(name)) return;
  const int subimg = c.integer(1);
  if (subimg < 0 || subimg >= s->frameCount()) return;
  const data::TBitmap32& f = s->frames[size_t(subimg)];
  const std::string path = HostPath(name);
  if (FileExtension(name) == ".png") {
    SavePng(f, path);
  } else {
    SaveBmp(f, path);
  }
}

void sprite_save_strip(BuiltinCall& c) {
  const CSprite* s = Sprite(c, 0);
  if (!s) {
    ReportActionError("Trying to save non-existing sprite bitmap.");
    return;
  }
  const std::string& name = c.string(1);
  if (name.empty()) {
    ReportActionError("Trying to save sprite bitmap to empty image file name.");
    return;
  }
  if (!ImageWriteAllowed(name)) return;
  if (s->frames.empty()) return;
  const int w = s->frames[0].width, h = s->frames[0].height;
  if (int64_t(w) * s->frameCount() > data::kMaxBitmapSide || w < 1 || h < 1) return;
  data::TBitmap32 strip(w * s->frameCount(), h, 0);
  for (int i = 0; i < s->frameCount(); ++i) CopyRect(strip, i * w, 0, s->frames[size_t(i)], 0, 0, w, h);
  SavePng(strip, HostPath(name));
}

void sprite_collision_mask(BuiltinCall& c) {
  CSprite* s = Sprite(c, 0);
  if (!s) {
    ReportActionError("Trying to set collision mode for non-existing sprite.");
    return;
  }
  const Box manual{c.integer(3), c.integer(4), c.integer(5), c.integer(6)};
  ComputeSpriteMasks(*s, c.truth(1), c.integer(8), c.integer(7), c.integer(2), manual);
}

// --- the table -----------------------------------------------------------------------------------

const BuiltinFunction kSpriteFunctions[] = {
    {"sprite_exists", sprite_exists, 1},
    {"sprite_name", sprite_name, 1},
    {"sprite_get_name", sprite_name, 1},
    {"sprite_get_number", sprite_get_number, 1},
    {"sprite_get_width", sprite_get_width, 1},
    {"sprite_get_height", sprite_get_height, 1},
    {"sprite_get_xoffset", sprite_get_xoffset, 1},
    {"sprite_get_yoffset", sprite_get_yoffset, 1},
    {"sprite_get_bbox_left", sprite_get_bbox_left, 1},
    {"sprite_get_bbox_right", sprite_get_bbox_right, 1},
    {"sprite_get_bbox_top", sprite_get_bbox_top, 1},
    {"sprite_get_bbox_bottom", sprite_get_bbox_bottom, 1},
    {"sprite_set_offset", sprite_set_offset, 3},
    {"sprite_set_alpha_from_sprite", sprite_set_alpha_from_sprite, 2},
    {"sprite_create_from_screen", sprite_create_from_screen, 8},
    {"sprite_add_from_screen", sprite_add_from_screen, 7},
    {"sprite_create_from_surface", sprite_create_from_surface, 9},
    {"sprite_add_from_surface", sprite_add_from_surface, 8},
    {"sprite_add", sprite_add, 6},
    {"sprite_replace", sprite_replace, 7},
    {"sprite_add_sprite", sprite_add_sprite, 1},
    {"sprite_replace_sprite", sprite_replace_sprite, 2},
    {"sprite_delete", sprite_delete, 1},
    {"sprite_duplicate", sprite_duplicate, 1},
    {"sprite_assign", sprite_assign, 2},
    {"sprite_merge", sprite_merge, 2},
    {"sprite_save", sprite_save, 3},
    {"sprite_save_strip", sprite_save_strip, 2},
    {"sprite_collision_mask", sprite_collision_mask, 9},
    {"sprite_get_texture", sprite_get_texture, 2},
};

}  // namespace

code::BuiltinFamily SpriteBuiltins() { return kSpriteFunctions; }

bool ReplaceSprite(CSprite& s, const std::string& gamePath, int images, bool removeBack, bool smooth, int xorig,
                   int yorig) {
  FreeSprite(s);
  std::vector<data::TBitmap32> frames;
  if (!LoadSpriteFrames(HostPath(gamePath), images, removeBack, smooth, frames)) return false;
  SetFrames(s, std::move(frames), xorig, yorig);
  return true;
}

bool ReplaceSpriteFromFile(CSprite& s, const std::string& gamePath) {
  FreeSprite(s);
  auto loaded = LoadSpriteFile(gamePath);
  if (!loaded) return false;
  s = std::move(*loaded);
  CreateSpriteTextures(s);
  return true;
}

}  // namespace qv::graphics
