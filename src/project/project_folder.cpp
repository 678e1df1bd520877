// Sections: settings | unpack (the game's header and settings, then the typed kinds sprites,
// backgrounds, sounds, scripts, fonts) | load (each of those kinds, code checks, game.json) | the
// public functions. The kinds held as record bytes are in record_folders; the file and JSON
// helpers in project_files.
#include "project/project_folder.h"

#include "platform/bounded_file.h"
#include "project/json_place.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <random>
#include <regex>
#include <set>

#include "code/ccode.h"
#include "code/errors.h"
#include "code/name_uses.h"
#include "code/registry.h"
#include "graphics/bitmap_ops.h"
#include "graphics/mask.h"
#include "platform/image_codecs.h"
#include "project/game_information_folder.h"
#include "project/project_files.h"
#include "project/record_folders.h"

namespace qv::project {

std::string ProjectError::text() const {
  if (hasPlace()) {
    std::string out = file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": error: " + message;
    if (!source.empty()) {
      // Tabs stay tabs under the caret so that it lines up however they are shown.
      std::string pad;
      for (size_t i = 0; i + 1 < size_t(column) && i < source.size(); ++i) pad += source[i] == '\t' ? '\t' : ' ';
      out += "\n    " + source + "\n    " + pad + "^";
    }
    return out;
  }
  std::string out = file;
  if (!field.empty()) out += ": " + field;
  return out + ": " + message;
}

namespace {

// Gives an error about a field of a JSON file the place of that field in the file's text.
void placeJsonField(ProjectError& error, const std::filesystem::path& folder) {
  if (error.field.empty() || error.file.size() < 5 || error.file.compare(error.file.size() - 5, 5, ".json") != 0) return;
  std::string text;
  if (platform::ReadFileBounded((folder / error.file).string(), size_t{64} << 20, text) != platform::FileRead::ok) return;
  const std::optional<size_t> at = LocateJsonField(text, error.field);
  if (!at) return;
  const size_t lineStart = text.rfind('\n', *at == 0 ? 0 : *at - 1);
  const size_t from = lineStart == std::string::npos || *at == 0 ? 0 : lineStart + 1;
  size_t to = text.find('\n', *at);
  if (to == std::string::npos) to = text.size();
  error.line = int32_t(std::count(text.begin(), text.begin() + std::ptrdiff_t(from), '\n') + 1);
  error.column = int32_t(*at - from + 1);
  error.source = text.substr(from, to - from);
  if (!error.source.empty() && error.source.back() == '\r') error.source.pop_back();
  error.message = error.field + ": " + error.message;
}

}  // namespace

std::string ReportText(ProjectError error, const std::filesystem::path& folder, const std::string& program) {
  if (!error.hasPlace()) placeJsonField(error, folder);
  if (!error.hasPlace()) return program + ": " + error.text();
  error.file = (folder / error.file).generic_string();
  return error.text();
}

std::string ProjectWarning::text() const {
  std::string out = file;
  if (!field.empty()) out += ": " + field;
  return out + ":" + std::to_string(line) + ":" + std::to_string(column) + ": warning: " + message;
}

namespace {

// --- settings ------------------------------------------------------------------------------------

// The settings in stored order: B for booleans, I for integers.
#define QV_PROJECT_SETTINGS(B, I)                                                                  \
  B(start_fullscreen) B(interpolate_pixels) B(hide_border) B(display_cursor) I(scaling)            \
  B(allow_resize) B(stay_on_top) I(outside_color) B(set_resolution) I(color_depth) I(resolution)   \
  I(frequency) B(hide_buttons) B(use_vsync) B(disable_screensaver) B(key_f4_fullscreen)            \
  B(key_f1_information) B(key_esc_ends) B(key_f5_f6_save_load) B(key_f9_screenshot)               \
  B(close_as_esc) I(priority) B(freeze_unfocused) B(show_progress_bar) B(loading_transparent)      \
  I(loading_alpha) B(scale_progress_bar) B(display_errors) B(write_errors) B(abort_on_errors)      \
  B(uninitialized_zero)

struct SettingsPicture {
  const char* field;
  std::optional<data::TBitmap32> data::GameSettings::*member;
};
constexpr SettingsPicture kSettingsPictures[] = {
    {"empty_bar_picture", &data::GameSettings::empty_bar_picture},
    {"full_bar_picture", &data::GameSettings::full_bar_picture},
    {"loading_picture", &data::GameSettings::loading_picture},
};

// --- unpack --------------------------------------------------------------------------------------

std::string soundDataName(const std::string& stem, const std::string& fileType) {
  bool plain = fileType.size() >= 2 && fileType.size() <= 9 && fileType[0] == '.';
  for (size_t i = 1; plain && i < fileType.size(); ++i) plain = std::isalnum(uint8_t(fileType[i])) && uint8_t(fileType[i]) < 0x80;
  return stem + (plain ? lower(fileType) : ".bin");
}

json maskBox(const graphics::TMask& m) {
  return json{{"left", m.left}, {"top", m.top}, {"right", m.right}, {"bottom", m.bottom}};
}

// Masks are stored as pictures: opaque white where the mask is solid, opaque black elsewhere.
data::TBitmap32 maskPicture(const graphics::TMask& m) {
  data::TBitmap32 b(m.width, m.height, 0xFF000000u);
  for (int y = 0; y < m.height; ++y)
    for (int x = 0; x < m.width; ++x)
      if (m.bit(x, y)) b.setPixel(x, y, 0xFFFFFFFFu);
  return b;
}

// The head of a resource's JSON: its index, and its name when the file stem differs from it.
json resourceHead(int32_t index, const std::string& name, const std::string& stem) {
  json j;
  j["index"] = index;
  if (stem != name) j["name"] = toUtf8(name);
  return j;
}

// game.json: identity, the helper library, settings and their pictures, constants, room order,
// id counters, slot counts and the library initialization code.
void unpackGameJson(const GamePackage& p, const fs::path& root) {
  json game;
  game["format"] = "quorvane-project";
  game["format_version"] = 1;
  game["game_id"] = p.game_id;
  game["guid"] = hex(p.guid.data(), p.guid.size());
  game["debug_mode"] = p.debug_mode;
  game["header_flag"] = p.main_flag;
  json helper;
  helper["name"] = toUtf8(p.helper_library_name);
  if (!p.helper_library.empty()) {
    helper["file"] = "helper_library.bin";
    writeFile(root / "helper_library.bin", p.helper_library);
  }
  game["helper_library"] = helper;

  json settings;
#define QV_OUT(name) settings[#name] = p.settings.name;
  QV_PROJECT_SETTINGS(QV_OUT, QV_OUT)
#undef QV_OUT
  for (const SettingsPicture& pic : kSettingsPictures) {
    const auto& bitmap = p.settings.*(pic.member);
    if (bitmap && !bitmap->empty()) {
      std::string file = std::string("settings/") + pic.field + ".png";
      writeFile(root / file, graphics::EncodePng(*bitmap));
      settings[pic.field] = file;
    } else {
      settings[pic.field] = nullptr;
    }
  }
  game["settings"] = settings;

  json constants = json::array();
  for (const auto& [name, value] : p.constants) constants.push_back({{"name", toUtf8(name)}, {"value", toUtf8(value)}});
  game["constants"] = constants;

  // Room order by name where the room exists, else by index.
  json order = json::array();
  for (int32_t room : p.room_order) {
    std::string name = SlotName(p, data::ChunkId::Rooms, room);
    if (!name.empty()) order.push_back(toUtf8(name));
    else order.push_back(room);
  }
  game["room_order"] = order;
  game["last_instance_id"] = p.last_instance_id;
  game["last_tile_id"] = p.last_tile_id;

  json slots;
  for (const data::ChunkInfo& info : data::ChunkTable())
    if (info.frame == data::ChunkFrame::Standard || info.frame == data::ChunkFrame::Trigger)
      slots[KindFolder(info.id)] = SlotCount(p, info.id);
  game["slots"] = slots;

  json init = json::array();
  for (size_t i = 0; i < p.library_init_code.size(); ++i) {
    std::string file = "library_init/" + std::to_string(i) + ".txt";
    writeFile(root / file, p.library_init_code[i]);
    init.push_back(file);
  }
  game["library_init_code"] = init;
  writeJson(root / "game.json", game);
}

// sprites/NAME.json with NAME/<frame>.png and NAME/mask<m>.png.
void unpackSprites(const GamePackage& p, const fs::path& root) {
  StemPicker stems;
  for (int32_t i = 0; i < p.sprites.count(); ++i) {
    const graphics::CSprite* s = p.sprites.get(i);
    if (!s) continue;
    const std::string& name = p.sprites.names[size_t(i)];
    const std::string stem = stems.pick(name, i);
    json j = resourceHead(i, name, stem);
    j["origin"] = {s->xOrigin, s->yOrigin};
    j["frames"] = s->frameCount();
    json empty = json::array();
    for (int f = 0; f < s->frameCount(); ++f) {
      if (s->frames[size_t(f)].empty()) empty.push_back(f);
      else writeFile(root / "sprites" / toUtf8(stem) / (std::to_string(f) + ".png"), graphics::EncodePng(s->frames[size_t(f)]));
    }
    if (!empty.empty()) j["empty_frames"] = empty;
    j["separate_masks"] = s->separateMasks;
    json masks = json::array();
    for (size_t m = 0; m < s->masks.size(); ++m) {
      json box = maskBox(s->masks[m]);
      if (s->masks[m].width * s->masks[m].height < 1) box["empty"] = true;
      else writeFile(root / "sprites" / toUtf8(stem) / ("mask" + std::to_string(m) + ".png"), graphics::EncodePng(maskPicture(s->masks[m])));
      masks.push_back(box);
    }
    j["masks"] = masks;
    writeJson(root / "sprites" / (toUtf8(stem) + ".json"), j);
  }
}

// backgrounds/NAME.json and NAME.png.
void unpackBackgrounds(const GamePackage& p, const fs::path& root) {
  StemPicker stems;
  for (int32_t i = 0; i < p.backgrounds.count(); ++i) {
    const graphics::CBackground* b = p.backgrounds.get(i);
    if (!b) continue;
    const std::string& name = p.backgrounds.names[size_t(i)];
    const std::string stem = stems.pick(name, i);
    json j = resourceHead(i, name, stem);
    if (b->image.empty()) j["empty"] = true;
    else writeFile(root / "backgrounds" / (toUtf8(stem) + ".png"), graphics::EncodePng(b->image));
    writeJson(root / "backgrounds" / (toUtf8(stem) + ".json"), j);
  }
}

// sounds/NAME.json beside the sound's data file.
void unpackSounds(const GamePackage& p, const fs::path& root) {
  StemPicker stems;
  for (int32_t i = 0; i < p.sounds.count(); ++i) {
    const sound::CSound* s = p.sounds.get(i);
    if (!s) continue;
    const std::string& name = p.sounds.names[size_t(i)];
    const std::string stem = stems.pick(name, i);
    json j = resourceHead(i, name, stem);
    j["kind"] = s->kind;
    j["file_type"] = toUtf8(s->fileType);
    j["file_name"] = toUtf8(s->fileName);
    if (s->data) {
      const std::string file = toUtf8(soundDataName(stem, s->fileType));
      writeFile(root / "sounds" / file, *s->data);
      j["data"] = file;
    } else {
      j["data"] = nullptr;
    }
    j["effects"] = s->effects;
    j["volume"] = realToJson(s->volume);
    j["pan"] = realToJson(s->pan);
    j["preload"] = s->preload;
    writeJson(root / "sounds" / (toUtf8(stem) + ".json"), j);
  }
}

// scripts/NAME.json and NAME.txt.
void unpackScripts(const GamePackage& p, const fs::path& root) {
  StemPicker stems;
  for (int32_t i = 0; i < p.scripts.count(); ++i) {
    const code::CScript* s = p.scripts.get(i);
    if (!s) continue;
    const std::string& name = p.scripts.names[size_t(i)];
    const std::string stem = stems.pick(name, i);
    writeJson(root / "scripts" / (toUtf8(stem) + ".json"), resourceHead(i, name, stem));
    writeFile(root / "scripts" / (toUtf8(stem) + ".txt"), s->text);
  }
}

// fonts/NAME.json and the coverage sheet NAME.png.
void unpackFonts(const GamePackage& p, const fs::path& root) {
  StemPicker stems;
  for (int32_t i = 0; i < p.fonts.count(); ++i) {
    const graphics::CFont* f = p.fonts.get(i);
    if (!f) continue;
    const std::string& name = p.fonts.names[size_t(i)];
    const std::string stem = stems.pick(name, i);
    json j = resourceHead(i, name, stem);
    j["typeface"] = toUtf8(f->name);
    j["size"] = f->size;
    j["bold"] = f->bold;
    j["italic"] = f->italic;
    j["first"] = f->first;
    j["last"] = f->last;
    const std::string sprite = SlotName(p, data::ChunkId::Sprites, f->sprite);
    if (f->sprite < 0) j["sprite"] = nullptr;
    else if (!sprite.empty()) j["sprite"] = toUtf8(sprite);
    else j["sprite"] = f->sprite;  // names no sprite of the game: kept as the index
    if (f->sheetWidth > 0 && f->sheetHeight > 0) {
      // The coverage map as the alpha of white pixels.
      data::TBitmap32 sheet(f->sheetWidth, f->sheetHeight);
      for (size_t k = 0; k < f->alpha.size(); ++k) sheet.pixels[k] = uint32_t(f->alpha[k]) << 24 | 0xFFFFFFu;
      writeFile(root / "fonts" / (toUtf8(stem) + ".png"), graphics::EncodePng(sheet));
    } else {
      j["sheet_size"] = {f->sheetWidth, f->sheetHeight};
    }
    json glyphs = json::object();
    for (size_t c = 0; c < 256; ++c) {
      json g = {f->glyphX[c], f->glyphY[c], f->glyphWidth[c], f->glyphHeight[c], f->advance[c], f->offset[c]};
      if (std::any_of(g.begin(), g.end(), [](const json& v) { return v != 0; })) glyphs[std::to_string(c)] = g;
    }
    j["glyphs"] = glyphs;
    writeJson(root / "fonts" / (toUtf8(stem) + ".json"), j);
  }
}

// A whole package as a project folder: game.json, one folder per resource kind, the game
// information.
void unpackInto(const GamePackage& p, const fs::path& root) {
  unpackGameJson(p, root);
  unpackSprites(p, root);
  unpackBackgrounds(p, root);
  unpackSounds(p, root);
  unpackScripts(p, root);
  unpackFonts(p, root);
  UnpackRecordFolders(p, root);
  UnpackGameInformation(p.game_information, root);
}

// --- load: each kind -----------------------------------------------------------------------------

std::unique_ptr<graphics::CSprite> loadSprite(const fs::path& root, const Entry& e) {
  Fields f(e.file, e.j);
  auto s = std::make_unique<graphics::CSprite>();
  if (f.has("origin")) {
    const json& o = f.at("origin");
    if (!o.is_array() || o.size() != 2) fail(e.file, "origin", "[x, y] is expected");
    s->xOrigin = f.integerValue(o[0], "origin[0]");
    s->yOrigin = f.integerValue(o[1], "origin[1]");
  }
  const int32_t frames = f.integer("frames", 1);
  if (frames < 0 || frames > 100000) fail(e.file, "frames", "a frame count from 0 to 100000 is expected");
  std::set<int32_t> empty;
  if (f.has("empty_frames")) {
    if (!f.at("empty_frames").is_array()) fail(e.file, "empty_frames", "a list of frame numbers is expected");
    for (const json& v : f.at("empty_frames")) empty.insert(f.integerValue(v, "empty_frames"));
  }
  const std::string dir = "sprites/" + e.stem + "/";
  for (int32_t i = 0; i < frames; ++i) {
    if (empty.count(i)) s->frames.emplace_back();
    else s->frames.push_back(needPng(root, dir + std::to_string(i) + ".png", e.file, "frames"));
  }
  const bool separate = f.boolean("separate_masks", false);
  if (f.has("masks")) {
    const json& masks = f.at("masks");
    if (!masks.is_array()) fail(e.file, "masks", "a list of masks is expected");
    const size_t expected = frames == 0 ? 0 : separate ? size_t(frames) : 1;
    if (masks.size() != expected)
      fail(e.file, "masks", std::to_string(expected) + " masks are expected (one per frame with separate masks, else one)");
    s->separateMasks = separate;
    for (size_t m = 0; m < masks.size(); ++m) {
      Fields mf(e.file, masks[m], "masks[" + std::to_string(m) + "]");
      graphics::TMask mask;
      if (!mf.boolean("empty", false)) {
        const std::string rel = dir + "mask" + std::to_string(m) + ".png";
        data::TBitmap32 pic = needPng(root, rel, e.file, mf.field("png"));
        mask.width = pic.width;
        mask.height = pic.height;
        mask.bits.assign(size_t(pic.width) * size_t(pic.height), 0);
        for (int y = 0; y < pic.height; ++y)
          for (int x = 0; x < pic.width; ++x) {
            const uint32_t px = pic.pixel(x, y);
            mask.setBit(x, y, (px >> 24) >= 128 && ((px >> 16) & 0xFF) >= 128);
          }
      }
      mask.left = mf.integer("left", 0);
      mask.top = mf.integer("top", 0);
      mask.right = mf.integer("right", 0);
      mask.bottom = mf.integer("bottom", 0);
      s->masks.push_back(std::move(mask));
    }
    graphics::ComputeSpriteBox(*s);
  } else {
    // No stored masks: computed from the frames as the collision settings say.
    int shape = graphics::kShapePrecise, tolerance = 0, boxKind = graphics::kBoxAutomatic;
    graphics::Box manual{0, 0, 0, 0};
    if (f.has("collision")) {
      Fields c(e.file, f.at("collision"), "collision");
      static const std::map<std::string, int> shapes = {{"precise", graphics::kShapePrecise},
                                                        {"rectangle", graphics::kShapeRectangle},
                                                        {"ellipse", graphics::kShapeEllipse},
                                                        {"diamond", graphics::kShapeDiamond}};
      const std::string sh = c.string("shape", "precise");
      if (!shapes.count(sh)) fail(e.file, "collision.shape", "precise, rectangle, ellipse or diamond is expected");
      shape = shapes.at(sh);
      tolerance = c.integer("tolerance", 0);
      if (c.has("box")) {
        const json& b = c.at("box");
        if (b.is_string() && b == "automatic") boxKind = graphics::kBoxAutomatic;
        else if (b.is_string() && b == "full") boxKind = graphics::kBoxFullImage;
        else if (b.is_object()) {
          Fields bf(e.file, b, "collision.box");
          boxKind = graphics::kBoxManual;
          manual = {bf.integer("left", 0), bf.integer("top", 0), bf.integer("right", 0), bf.integer("bottom", 0)};
        } else {
          fail(e.file, "collision.box", "\"automatic\", \"full\" or {left, top, right, bottom} is expected");
        }
      }
    }
    graphics::ComputeSpriteMasks(*s, separate, tolerance, shape, boxKind, manual);
  }
  s->textures.assign(s->frames.size(), -1);
  return s;
}

std::unique_ptr<graphics::CBackground> loadBackground(const fs::path& root, const Entry& e) {
  Fields f(e.file, e.j);
  auto b = std::make_unique<graphics::CBackground>();
  if (!f.boolean("empty", false)) b->image = needPng(root, "backgrounds/" + e.stem + ".png", e.file, "image");
  return b;
}

std::unique_ptr<sound::CSound> loadSound(const fs::path& root, const Entry& e) {
  Fields f(e.file, e.j);
  auto s = std::make_unique<sound::CSound>();
  s->kind = f.integer("kind", 0);
  s->fileType = f.string("file_type", "");
  s->fileName = f.string("file_name", "");
  if (f.has("data")) {
    if (!f.at("data").is_string()) fail(e.file, "data", "a file name is expected");
    const std::string rel = "sounds/" + f.at("data").get<std::string>();
    s->data = needFile(root, rel, e.file, "data");
    if (s->fileType.empty()) s->fileType = lower(fs::path(rel).extension().string());
  }
  s->effects = f.integer("effects", 0);
  s->volume = f.real("volume", 1);
  s->pan = f.real("pan", 0);
  s->preload = f.boolean("preload", true);
  return s;
}

std::unique_ptr<graphics::CFont> loadFont(const fs::path& root, const Entry& e, const GamePackage& p) {
  Fields f(e.file, e.j);
  auto font = std::make_unique<graphics::CFont>();
  font->name = f.string("typeface", "");
  font->size = f.integer("size", 12);
  font->bold = f.boolean("bold", false);
  font->italic = f.boolean("italic", false);
  font->first = f.integer("first", 32);
  font->last = f.integer("last", 128);
  // The glyph tables have 256 entries: a range outside one byte is refused here, as the reader
  // would clamp it and the game would not be the one written.
  if (font->first < 0 || font->first > 255) fail(e.file, "first", "a character code from 0 to 255 is expected");
  if (font->last < 0 || font->last > 255) fail(e.file, "last", "a character code from 0 to 255 is expected");
  if (f.has("sprite")) {
    const json& v = f.at("sprite");
    if (v.is_number_integer()) {
      font->sprite = f.integerValue(v, "sprite");
    } else {
      const std::string name = f.stringValue(v, "sprite");
      font->sprite = -1;
      for (int32_t i = 0; i < p.sprites.count(); ++i)
        if (!p.sprites.names[size_t(i)].empty() && p.sprites.names[size_t(i)] == name) font->sprite = i;
      if (font->sprite < 0) fail(e.file, "sprite", "there is no sprite named \"" + toUtf8(name) + "\"");
    }
  }
  if (f.has("sheet_size")) {
    const json& v = f.at("sheet_size");
    if (!v.is_array() || v.size() != 2) fail(e.file, "sheet_size", "[width, height] is expected");
    font->sheetWidth = f.integerValue(v[0], "sheet_size[0]");
    font->sheetHeight = f.integerValue(v[1], "sheet_size[1]");
    if (int64_t(font->sheetWidth) * font->sheetHeight != 0) fail(e.file, "sheet_size", "only a sheet without pixels is given by its size");
  } else {
    data::TBitmap32 sheet = needPng(root, "fonts/" + e.stem + ".png", e.file, "sheet");
    if (sheet.width > graphics::kMaxSheetSide || sheet.height > graphics::kMaxSheetSide)
      fail("fonts/" + e.stem + ".png", "", "the sheet is larger than " + std::to_string(graphics::kMaxSheetSide) + " pixels");
    font->sheetWidth = sheet.width;
    font->sheetHeight = sheet.height;
    font->alpha.resize(sheet.pixels.size());
    for (size_t k = 0; k < sheet.pixels.size(); ++k) font->alpha[k] = uint8_t(sheet.pixels[k] >> 24);
  }
  if (f.has("glyphs")) {
    Fields glyphs(e.file, f.at("glyphs"), "glyphs");
    for (const auto& [key, g] : f.at("glyphs").items()) {
      const std::string field = "glyphs." + key;
      size_t used = 0;
      int c = -1;
      try {
        c = std::stoi(key, &used);
      } catch (const std::exception&) {
      }
      if (used != key.size() || c < 0 || c > 255) fail(e.file, field, "a character code from 0 to 255 is expected");
      if (!g.is_array() || g.size() != 6) fail(e.file, field, "[x, y, width, height, advance, offset] is expected");
      const size_t k = size_t(c);
      font->glyphX[k] = f.integerValue(g[0], field);
      font->glyphY[k] = f.integerValue(g[1], field);
      font->glyphWidth[k] = f.integerValue(g[2], field);
      font->glyphHeight[k] = f.integerValue(g[3], field);
      font->advance[k] = f.integerValue(g[4], field);
      font->offset[k] = f.integerValue(g[5], field);
    }
  }
  return font;
}

// Lets the compiler see the functions of the game's extension packages while scripts are checked.
class DeclaredExtensionFunctions : public code::ExtensionFunctions {
 public:
  std::vector<std::string> names;
  int32_t find(std::string_view name) override {
    for (size_t i = 0; i < names.size(); ++i)
      if (names[i] == name) return int32_t(i);
    return -1;
  }
  int32_t argumentCount(int32_t) override { return -1; }
  bool call(int32_t, code::CInstanceBase*, code::CInstanceBase*, code::RValue&, const code::RValue*, int) override {
    return false;
  }
};

std::string trimmed(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

// The compiler's message ("Error in code at line L:" CR the line CR a caret CR "at position P: m")
// as one line for a terminal: "line L, position P: m". Anything else is passed on with CRs as
// line breaks.
std::string compileMessage(const std::string& formatted) {
  static const std::regex shape(R"(^Error in code at line (\d+):[\s\S]*\rat position (\d+): ([\s\S]*)$)");
  std::smatch m;
  if (std::regex_match(formatted, m, shape)) return "line " + m[1].str() + ", position " + m[2].str() + ": " + m[3].str();
  std::string out = formatted;
  for (char& c : out)
    if (c == '\r') c = '\n';
  return out;
}

// The names game code may read without assigning them: every resource of the game, its constants
// and those of its extension packages, and the constant names of its triggers. (Scripts, built-in
// constants and built-in variables never compile as user variables.)
std::set<std::string> knownNames(const GamePackage& p) {
  std::set<std::string> known;
  auto add = [&](const auto& list) {
    for (int32_t i = 0; i < list.count(); ++i)
      if (list.slots[size_t(i)]) known.insert(list.names[size_t(i)]);
  };
  add(p.sprites);
  add(p.backgrounds);
  add(p.sounds);
  add(p.fonts);
  for (data::ChunkId id : kRawSlotChunks)
    for (const RawSlot& slot : p.raw(id))
      if (slot.exists) known.insert(slot.name);
  for (const std::string& name : TriggerConstantNames(p)) known.insert(name);
  for (const auto& [name, value] : p.constants) known.insert(trimmed(name));
  for (const auto& package : p.extension_packages) {
    std::vector<std::string> names;
    ExtensionConstantNames(package, names);
    for (const auto& n : names) known.insert(trimmed(n));
  }
  return known;
}

// One read of a user variable, where it is.
struct NameRead {
  std::string name;
  ProjectWarning place;
};

// Compiles every script with every script name known, as the runner does at start. The compiler's
// message names the line and the position; CRs become line breaks for the terminal. With
// `warnings`, the names read but never assigned are listed there (once per piece of code).
void checkScripts(const GamePackage& p, const std::map<int32_t, std::string>& files, const std::vector<CodeCheck>& code,
                  std::vector<ProjectError>& errors, std::vector<ProjectWarning>* warnings) {
  code::ClearScripts();
  for (int32_t i = 0; i < p.scripts.count(); ++i)
    if (p.scripts.exists(i)) code::SetScript(i, p.scripts.names[size_t(i)], p.scripts.get(i)->text);
  DeclaredExtensionFunctions extensions;
  for (const auto& package : p.extension_packages) {
    std::vector<std::string> names;
    ExtensionFunctionNames(package, names);
    for (const auto& n : names) extensions.names.push_back(trimmed(n));
  }
  code::ExtensionFunctions* previous = code::extensionFunctions();
  code::SetExtensionFunctions(&extensions);
  std::set<std::string> assigned;
  std::vector<NameRead> reads;
  auto compile = [&](const std::string& text, const std::string& file, const std::string& field = "", bool expression = false) {
    code::ClearRecordedError();
    code::CCode compiled(text, expression);
    if (!compiled.Compile()) {
      const std::string formatted = code::errorState().current;
      ProjectError error{file, field, "does not compile: " + compileMessage(formatted)};
      // Code in a file of its own is placed by line and column; inline code keeps its JSON field.
      static const std::regex shape(R"(^Error in code at line (\d+):[\s\S]*\rat position (\d+): ([\s\S]*)$)");
      std::smatch m;
      if (field.empty() && std::regex_match(formatted, m, shape)) {
        error.line = std::stoi(m[1].str());
        error.column = std::stoi(m[2].str());
        // The compiler ends lines at CR: after a CR LF its columns count the LF as the first.
        const size_t start = LineStart(text, error.line);
        if (start >= 2 && text[start - 1] == '\n' && text[start - 2] == '\r') error.column = std::max(1, error.column - 1);
        error.message = "does not compile: " + m[3].str();
        error.source = LineOfText(text, error.line);
      }
      errors.push_back(std::move(error));
      return;
    }
    if (!warnings) return;
    std::set<std::string> readHere;
    for (const code::NameUse& use : code::VariableUses(compiled)) {
      if (use.assigned) {
        assigned.insert(use.name);
      } else if (readHere.insert(use.name).second) {
        const code::TextPlace at = code::PlaceInText(text, use.position);
        reads.push_back({use.name, {file, field, at.line, at.column, ""}});
      }
    }
  };
  for (const auto& [index, file] : files) compile(p.scripts.get(index)->text, file);
  for (size_t i = 0; i < p.library_init_code.size(); ++i)
    if (!p.library_init_code[i].empty()) compile(p.library_init_code[i], "library_init/" + std::to_string(i) + ".txt");
  for (const CodeCheck& c : code) {
    if (c.text.empty()) continue;
    if (!c.functionName) {
      compile(c.text, c.file, c.field, c.expression);
    } else if (code::FindFunction(c.text) < 0) {
      // Caught here rather than when the action runs and fails in front of the player.
      errors.push_back({c.file, c.field, "calls " + c.text + ", which is no script, extension function or built-in function"});
    }
  }
  if (warnings) {
    const std::set<std::string> known = knownNames(p);
    for (NameRead& read : reads) {
      if (assigned.count(read.name) || known.count(read.name)) continue;
      read.place.message = "\"" + toUtf8(read.name) +
                           "\" is read but no code assigns it, and it names no resource, constant, built-in variable or script";
      warnings->push_back(std::move(read.place));
    }
  }
  code::SetExtensionFunctions(previous);
  code::ClearRecordedError();
  code::ClearScripts();
}

// The folder and each piece of code in a text file of its own (scripts, library
// code, code actions, creation code, trigger conditions), for the debug adapter's breakpoints.
void keepCodeSources(const fs::path& root, const std::map<int32_t, std::string>& scriptFiles,
                     const std::vector<CodeCheck>& code, GamePackage& p) {
  std::error_code ec;
  p.code_sources.folder = fs::absolute(root, ec).lexically_normal().generic_string();
  while (p.code_sources.folder.size() > 1 && p.code_sources.folder.back() == '/') p.code_sources.folder.pop_back();
  auto keep = [&](const std::string& text, const std::string& file) {
    p.code_sources.files.push_back({data::CodeTextHash(text), file});
  };
  for (const auto& [index, file] : scriptFiles) keep(p.scripts.get(index)->text, file);
  for (size_t i = 0; i < p.library_init_code.size(); ++i)
    if (!p.library_init_code[i].empty()) keep(p.library_init_code[i], "library_init/" + std::to_string(i) + ".txt");
  for (const CodeCheck& c : code)
    if (!c.text.empty() && c.field.empty() && !c.expression && !c.functionName) keep(c.text, c.file);
}

// A room order entry: a room's name, or the index of an entry that names no room in the game.
struct RoomRef {
  std::string name;
  std::optional<int32_t> index;
};

// Whether game.json gives the last ids itself.
struct StatedIds {
  bool instance = false;
  bool tile = false;
};

void loadGameJson(const fs::path& root, GamePackage& p, std::vector<RoomRef>& roomOrder, StatedIds& stated,
                  std::vector<ProjectError>& errors) {
  const std::string file = "game.json";
  json j;
  try {
    j = parseJsonFile(root, file);
  } catch (const Problem& problem) {
    errors.push_back(problem.error);
    return;
  }
  auto attempt = [&](auto&& fn) {
    try {
      fn();
    } catch (const Problem& problem) {
      errors.push_back(problem.error);
    }
  };
  attempt([&] {
    Fields f(file, j);
    p.game_id = f.integer("game_id", 0);
    const std::string guid = f.has("guid") ? f.at("guid").is_string() ? f.at("guid").get<std::string>() : "?" : "";
    if (!guid.empty()) {
      if (guid.size() != 32 || guid.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        fail(file, "guid", "32 hexadecimal digits are expected");
      for (size_t i = 0; i < 16; ++i) p.guid[i] = uint8_t(std::stoi(guid.substr(i * 2, 2), nullptr, 16));
    }
    p.debug_mode = f.boolean("debug_mode", false);
    p.main_flag = f.boolean("header_flag", false);
    p.last_instance_id = f.integer("last_instance_id", 100000);
    p.last_tile_id = f.integer("last_tile_id", 10000000);
    stated.instance = f.has("last_instance_id");
    stated.tile = f.has("last_tile_id");
  });
  attempt([&] {
    if (!j.contains("helper_library")) return;
    Fields h(file, j.at("helper_library"), "helper_library");
    p.helper_library_name = h.string("name", p.helper_library_name);
    if (h.has("file")) p.helper_library = needFile(root, h.string("file", ""), file, "helper_library.file");
  });
  attempt([&] {
    if (!j.contains("settings")) return;
    Fields s(file, j.at("settings"), "settings");
#define QV_IN_BOOL(name) p.settings.name = s.boolean(#name, p.settings.name);
#define QV_IN_INT(name) p.settings.name = s.integer(#name, p.settings.name);
    QV_PROJECT_SETTINGS(QV_IN_BOOL, QV_IN_INT)
#undef QV_IN_BOOL
#undef QV_IN_INT
    for (const SettingsPicture& pic : kSettingsPictures)
      if (s.has(pic.field)) p.settings.*(pic.member) = needPng(root, s.string(pic.field, ""), file, s.field(pic.field));
  });
  attempt([&] {
    if (!j.contains("constants")) return;
    if (!j["constants"].is_array()) fail(file, "constants", "a list of {name, value} is expected");
    for (size_t i = 0; i < j["constants"].size(); ++i) {
      Fields c(file, j["constants"][i], "constants[" + std::to_string(i) + "]");
      p.constants.emplace_back(c.string("name", ""), c.string("value", ""));
    }
  });
  attempt([&] {
    if (!j.contains("library_init_code")) return;
    if (!j["library_init_code"].is_array()) fail(file, "library_init_code", "a list of text files is expected");
    Fields f(file, j);
    for (size_t i = 0; i < j["library_init_code"].size(); ++i) {
      const std::string field = "library_init_code[" + std::to_string(i) + "]";
      const std::string rel = f.stringValue(j["library_init_code"][i], field);
      auto bytes = needFile(root, rel, file, field);
      p.library_init_code.emplace_back(bytes.begin(), bytes.end());
    }
  });
  attempt([&] {
    if (!j.contains("room_order")) return;
    if (!j["room_order"].is_array()) fail(file, "room_order", "a list of room names is expected");
    Fields f(file, j);
    for (size_t i = 0; i < j["room_order"].size(); ++i) {
      const json& v = j["room_order"][i];
      const std::string field = "room_order[" + std::to_string(i) + "]";
      if (v.is_number_integer()) roomOrder.push_back({"", f.integerValue(v, field)});
      else roomOrder.push_back({f.stringValue(v, field), std::nullopt});
    }
  });
  attempt([&] {
    if (!j.contains("slots")) return;
    Fields s(file, j.at("slots"), "slots");
    auto atLeast = [&](data::ChunkId id, auto&& reserve) {
      const std::string key = KindFolder(id);
      const int32_t n = s.integer(key.c_str(), 0);
      if (n < 0 || n > kMaxResourceIndex + 1)
        fail(file, s.field(key), "a slot count from 0 to " + std::to_string(kMaxResourceIndex + 1) + " is expected");
      reserve(n);
    };
    atLeast(data::ChunkId::Sprites, [&](int32_t n) { reserveSlots(p.sprites, n); });
    atLeast(data::ChunkId::Backgrounds, [&](int32_t n) { reserveSlots(p.backgrounds, n); });
    atLeast(data::ChunkId::Sounds, [&](int32_t n) { reserveSlots(p.sounds, n); });
    atLeast(data::ChunkId::Scripts, [&](int32_t n) { reserveSlots(p.scripts, n); });
    atLeast(data::ChunkId::Fonts, [&](int32_t n) { reserveSlots(p.fonts, n); });
    for (data::ChunkId id : kRawSlotChunks)
      atLeast(id, [&](int32_t n) {
        if (n > 0 && p.raw(id).size() < size_t(n)) p.raw(id).resize(size_t(n));
      });
  });
}

// The last id used, as game.json states it or taken from the ids placed in the rooms: run-time ids
// count up from it, so a placed id above a stated value is refused where it is placed.
void settleLastId(const std::vector<PlacedId>& placed, bool stated, const char* key, const char* what, int32_t& last,
                  std::vector<ProjectError>& errors) {
  for (const PlacedId& id : placed) {
    if (!stated) {
      last = std::max(last, id.id);
    } else if (id.id > last) {
      errors.push_back({id.file, id.field,
                        "the " + std::string(what) + " id " + std::to_string(id.id) + " is above " + key + " " +
                            std::to_string(last) + " of game.json (leave " + key +
                            " out to have it taken from the rooms)"});
    }
  }
}

}  // namespace

std::string KindFolder(data::ChunkId chunk) {
  switch (chunk) {
    case data::ChunkId::Sprites: return "sprites";
    case data::ChunkId::Backgrounds: return "backgrounds";
    case data::ChunkId::Sounds: return "sounds";
    case data::ChunkId::Scripts: return "scripts";
    case data::ChunkId::Triggers: return "triggers";
    case data::ChunkId::Paths: return "paths";
    case data::ChunkId::Fonts: return "fonts";
    case data::ChunkId::TimeLines: return "time_lines";
    case data::ChunkId::Objects: return "objects";
    case data::ChunkId::Rooms: return "rooms";
    case data::ChunkId::ExtensionPackages: return "extension_packages";
    case data::ChunkId::IncludedFiles: return "included_files";
    case data::ChunkId::GameInformation: return "raw";
    case data::ChunkId::LibraryInitCode: return "library_init";
    case data::ChunkId::Constants:
    case data::ChunkId::RoomOrder: return ".";
  }
  return ".";
}

bool UnpackProject(const GamePackage& package, const fs::path& given, std::string& failure) {
  std::error_code ec;
  // "OUT/" and "OUT" name the same folder; the temporary folder goes beside it, not into it.
  fs::path dir = fs::absolute(given, ec).lexically_normal();
  if (!dir.has_filename()) dir = dir.parent_path();
  if (ec || dir == dir.root_path()) {
    failure = given.string() + ": not a folder to write a project into";
    return false;
  }
  if (fs::exists(dir, ec) && !fs::is_directory(dir, ec)) {
    failure = given.string() + ": exists and is not a folder";
    return false;
  }
  if (fs::exists(dir, ec) && !fs::is_empty(dir, ec)) {
    failure = given.string() + ": the folder exists and is not empty";
    return false;
  }
  // The folders this call makes, so that a failure takes them away again.
  fs::path firstMade = dir.parent_path();
  while (!firstMade.parent_path().empty() && firstMade != firstMade.root_path() && !fs::exists(firstMade.parent_path(), ec))
    firstMade = firstMade.parent_path();
  const bool parentsMade = !fs::exists(firstMade, ec);
  const fs::path temp = dir.parent_path() / (dir.filename().string() + ".unpacking-" + std::to_string(std::random_device{}()));
  try {
    fs::create_directories(temp);
    unpackInto(package, temp);
    fs::remove(dir, ec);  // the empty folder, if there was one
    fs::rename(temp, dir);
  } catch (const std::exception& e) {
    fs::remove_all(parentsMade ? firstMade : temp, ec);
    const auto* fileError = dynamic_cast<const fs::filesystem_error*>(&e);
    failure = given.string() + ": cannot write the project: " + (fileError ? fileError->code().message() : e.what());
    return false;
  }
  return true;
}

bool LoadProject(const fs::path& root, GamePackage& p, std::vector<ProjectError>& errors,
                 std::vector<ProjectWarning>* warnings) {
  p = GamePackage{};
  std::vector<RoomRef> roomOrder;
  StatedIds stated;
  loadGameJson(root, p, roomOrder, stated, errors);

  auto loadKind = [&](data::ChunkId id, auto& list, auto load) {
    for (Entry& e : listKind(root, KindFolder(id), true, errors)) {
      try {
        placeSlot(list, e.index, e.name, load(root, e));
      } catch (const Problem& problem) {
        errors.push_back(problem.error);
        // The name stays known, so that references to a broken resource add no second error.
        placeSlot(list, e.index, e.name, {});
      }
    }
  };
  loadKind(data::ChunkId::Sprites, p.sprites, loadSprite);
  loadKind(data::ChunkId::Backgrounds, p.backgrounds, loadBackground);
  loadKind(data::ChunkId::Sounds, p.sounds, loadSound);
  loadKind(data::ChunkId::Fonts, p.fonts, [&](const fs::path& r, const Entry& e) { return loadFont(r, e, p); });
  std::map<int32_t, std::string> scriptFiles;
  loadKind(data::ChunkId::Scripts, p.scripts, [&](const fs::path& r, const Entry& e) {
    const std::string rel = "scripts/" + e.stem + ".txt";
    auto bytes = needFile(r, rel, e.file, "text");
    auto s = std::make_unique<code::CScript>();
    s->text.assign(bytes.begin(), bytes.end());
    scriptFiles[e.index] = rel;
    return s;
  });
  std::vector<CodeCheck> code;
  PlacedIds placed;
  LoadRecordFolders(root, p, code, placed, errors);
  settleLastId(placed.instances, stated.instance, "last_instance_id", "instance", p.last_instance_id, errors);
  settleLastId(placed.tiles, stated.tile, "last_tile_id", "tile", p.last_tile_id, errors);
  p.game_information = LoadGameInformation(root, errors);

  // Room order: names of rooms.
  std::map<std::string, int32_t> rooms;
  for (int32_t i = 0; i < SlotCount(p, data::ChunkId::Rooms); ++i)
    if (SlotExists(p, data::ChunkId::Rooms, i)) rooms.emplace(SlotName(p, data::ChunkId::Rooms, i), i);
  for (size_t i = 0; i < roomOrder.size(); ++i) {
    if (roomOrder[i].index) {
      p.room_order.push_back(*roomOrder[i].index);
      continue;
    }
    const std::string& name = roomOrder[i].name;
    auto it = rooms.find(name);
    if (it == rooms.end()) {
      errors.push_back({"game.json", "room_order[" + std::to_string(i) + "]", "there is no room named \"" + toUtf8(name) + "\""});
      continue;
    }
    p.room_order.push_back(it->second);
  }

  checkScripts(p, scriptFiles, code, errors, warnings);
  keepCodeSources(root, scriptFiles, code, p);
  return errors.empty();
}

}  // namespace qv::project
