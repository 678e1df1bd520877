// The background_* functions of game code.
#include "code/builtin.h"
#include "code/errors.h"
#include "graphics/background.h"
#include "graphics/bitmap_ops.h"
#include "graphics/builtins.h"
#include "graphics/colour.h"
#include "graphics/display.h"
#include "graphics/seams.h"
#include "graphics/surface.h"
#include "graphics/texture_table.h"

namespace qv::graphics {
namespace {

using code::BuiltinCall;
using code::BuiltinFunction;
using code::ReportActionError;

constexpr const char* kNewBackground = "__newbackground";

CBackground* Background(const BuiltinCall& c, int i) { return backgrounds().get(c.integer(i)); }
bool Above(const BuiltinCall& c, int i) { return c.real(i) > 0.5; }

int AppendImage(data::TBitmap32 image) {
  auto b = std::make_unique<CBackground>();
  b->image = std::move(image);
  CreateBackgroundTexture(*b);
  return backgrounds().append(std::move(b), kNewBackground);
}

void SetImage(CBackground& b, data::TBitmap32 image) {
  b.image = std::move(image);
  CreateBackgroundTexture(b);
}

void background_exists(BuiltinCall& c) { c.result = code::truthValue(backgrounds().exists(c.integer(0))); }
void background_name(BuiltinCall& c) { c.result.setString(backgrounds().name(c.integer(0))); }
void background_get_width(BuiltinCall& c) {
  const CBackground* b = Background(c, 0);
  c.result = b ? double(b->width()) : -1.0;
}
void background_get_height(BuiltinCall& c) {
  const CBackground* b = Background(c, 0);
  c.result = b ? double(b->height()) : -1.0;
}

void background_get_texture(BuiltinCall& c) {
  const CBackground* b = Background(c, 0);
  if (!b) {
    ReportActionError("Trying to get texture from non-existing background.");
    return;
  }
  c.result = double(b->texture);
}

void background_set_alpha_from_background(BuiltinCall& c) {
  CBackground* b = Background(c, 0);
  const CBackground* from = Background(c, 1);
  if (!b || !from) return;
  const data::TBitmap32 source = from->image;  // the two may be the same background
  AlphaFrom(b->image, source);
  CreateBackgroundTexture(*b);
}

void background_create_from_screen(BuiltinCall& c) {
  data::TBitmap32 image = display().capture(c.integer(0), c.integer(1), c.integer(2), c.integer(3));
  ProcessAddedImage(image, Above(c, 4), Above(c, 5));
  c.result = double(AppendImage(std::move(image)));
}

void background_create_from_surface(BuiltinCall& c) {
  auto image = CaptureSurface(c.integer(0), c.integer(1), c.integer(2), c.integer(3), c.integer(4));
  if (!image) {
    c.result = -1.0;
    return;
  }
  ProcessAddedImage(*image, Above(c, 5), Above(c, 6));
  c.result = double(AppendImage(std::move(*image)));
}

void background_create_color(BuiltinCall& c) {
  const int w = c.integer(0), h = c.integer(1);
  data::TBitmap32 image;
  if (w >= 1 && h >= 1 && w <= data::kMaxBitmapSide && h <= data::kMaxBitmapSide)
    image = data::TBitmap32(w, h, ScriptToDevice(c.integer(2), 1.0));
  c.result = double(AppendImage(std::move(image)));
}

void background_create_gradient(BuiltinCall& c) {
  c.result = double(AppendImage(MakeGradient(c.integer(0), c.integer(1), c.integer(2), c.integer(3), c.integer(4))));
}

void background_add(BuiltinCall& c) {
  auto image = ReadImageFile(HostPath(c.string(0)));
  if (!image) {
    c.result = -1.0;
    return;
  }
  ProcessAddedImage(*image, c.truth(1), c.truth(2));
  c.result = double(AppendImage(std::move(*image)));
}

void background_replace(BuiltinCall& c) {
  CBackground* b = Background(c, 0);
  if (!b) {
    ReportActionError("Trying to replace non-existing background.");
    return;
  }
  if (ReplaceBackground(*b, c.string(1), c.truth(2), c.truth(3))) c.result = 1.0;
}

std::optional<data::TBitmap32> LoadBackgroundFile(const std::string& gamePath) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(HostPath(gamePath), bytes)) return std::nullopt;
  return ReadBackgroundFile(bytes.data(), bytes.size());
}

void background_add_background(BuiltinCall& c) {
  auto image = LoadBackgroundFile(c.string(0));
  if (!image) {
    c.result = -1.0;
    return;
  }
  c.result = double(AppendImage(std::move(*image)));
}

void background_replace_background(BuiltinCall& c) {
  CBackground* b = Background(c, 0);
  if (!b) {
    ReportActionError("Trying to replace non-existing background.");
    return;
  }
  if (ReplaceBackgroundFromFile(*b, c.string(1))) c.result = 1.0;
}

void background_delete(BuiltinCall& c) {
  const int i = c.integer(0);
  CBackground* b = backgrounds().get(i);
  if (!b) {
    ReportActionError("Trying to delete non-existing background.");
    return;
  }
  FreeBackgroundTexture(*b);
  backgrounds().slots[size_t(i)].reset();
  backgrounds().names[size_t(i)].clear();
  c.result = 1.0;
}

void background_duplicate(BuiltinCall& c) {
  const CBackground* b = Background(c, 0);
  if (!b) {
    ReportActionError("Trying to duplicate non-existing background.");
    return;
  }
  c.result = double(AppendImage(b->image));
}

void background_assign(BuiltinCall& c) {
  const int ind = c.integer(0), from = c.integer(1);
  const CBackground* src = backgrounds().get(from);
  if (!src || ind < 0 || ind >= backgrounds().count()) {
    ReportActionError("Error assigning a background.");
    return;
  }
  if (ind == from) return;
  data::TBitmap32 image = src->image;
  auto& slot = backgrounds().slots[size_t(ind)];
  if (!slot) slot = std::make_unique<CBackground>();
  SetImage(*slot, std::move(image));
}

void background_save(BuiltinCall& c) {
  const CBackground* b = Background(c, 0);
  if (!b) {
    ReportActionError("Trying to save non-existing background bitmap.");
    return;
  }
  const std::string& name = c.string(1);
  if (name.empty()) {
    ReportActionError("Trying to save background bitmap to empty image file name.");
    return;
  }
  if (!ImageWriteAllowed(name)) return;
  if (FileExtension(name) == ".png") {
    SavePng(b->image, HostPath(name));
  } else {
    SaveBmp(b->image, HostPath(name));
  }
}

const BuiltinFunction kBackgroundFunctions[] = {
    {"background_exists", background_exists, 1},
    {"background_name", background_name, 1},
    {"background_get_name", background_name, 1},
    {"background_get_width", background_get_width, 1},
    {"background_get_height", background_get_height, 1},
    {"background_get_texture", background_get_texture, 1},
    {"background_set_alpha_from_background", background_set_alpha_from_background, 2},
    {"background_create_from_screen", background_create_from_screen, 6},
    {"background_create_from_surface", background_create_from_surface, 7},
    {"background_create_color", background_create_color, 3},
    {"background_create_gradient", background_create_gradient, 5},
    {"background_add", background_add, 3},
    {"background_replace", background_replace, 4},
    {"background_add_background", background_add_background, 1},
    {"background_replace_background", background_replace_background, 2},
    {"background_delete", background_delete, 1},
    {"background_duplicate", background_duplicate, 1},
    {"background_assign", background_assign, 2},
    {"background_save", background_save, 2},
};

}  // namespace

code::BuiltinFamily BackgroundBuiltins() { return kBackgroundFunctions; }

bool ReplaceBackground(CBackground& b, const std::string& gamePath, bool removeBack, bool smooth) {
  FreeBackgroundTexture(b);
  b.image = data::TBitmap32();
  auto image = ReadImageFile(HostPath(gamePath));
  if (!image) return false;
  ProcessAddedImage(*image, removeBack, smooth);
  SetImage(b, std::move(*image));
  return true;
}

bool ReplaceBackgroundFromFile(CBackground& b, const std::string& gamePath) {
  FreeBackgroundTexture(b);
  b.image = data::TBitmap32();
  auto image = LoadBackgroundFile(gamePath);
  if (!image) return false;
  SetImage(b, std::move(*image));
  return true;
}

}  // namespace qv::graphics
