// Sections: text and files | names and stems | settings | unpack (objects, time lines, triggers,
// rooms, included files, extension packages; then the whole folder) | load (reading helpers, each
// kind, references, code checks).
#include "runner/project/project_folder.h"

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
#include "code/registry.h"
#include "graphics/bitmap_ops.h"
#include "graphics/mask.h"
#include "platform/image_codecs.h"
#include "motion/path.h"
#include "runner/included_files.h"
#include "runner/project/extension_package.h"
#include "system/host_path.h"
#include "world/instances.h"
#include "world/object.h"
#include "world/room.h"
#include "world/time_line.h"
#include "world/trigger.h"

namespace qv::runner::project {

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;

std::string ProjectError::text() const {
  std::string out = file;
  if (!field.empty()) out += ": " + field;
  return out + ": " + message;
}

namespace {

// --- text and files ------------------------------------------------------------------------------

// Game strings are code page 1252; JSON and file names are UTF-8. Every byte has a code point
// (the five bytes the code page leaves undefined keep their own), so the mapping is exact both ways.
std::string toUtf8(std::string_view text) { return system::Cp1252ToUtf8(text); }

std::optional<std::string> toCp1252(std::string_view utf8) {
  static const std::map<char32_t, char> inverse = [] {
    std::map<char32_t, char> m;
    for (int b = 0; b < 256; ++b) {
      std::string u = system::Cp1252ToUtf8(std::string(1, char(b)));
      char32_t cp = 0;
      if (u.size() == 1) cp = uint8_t(u[0]);
      else if (u.size() == 2) cp = char32_t(uint8_t(u[0]) & 0x1F) << 6 | (uint8_t(u[1]) & 0x3F);
      else cp = char32_t(uint8_t(u[0]) & 0x0F) << 12 | char32_t(uint8_t(u[1]) & 0x3F) << 6 | (uint8_t(u[2]) & 0x3F);
      m[cp] = char(b);
    }
    return m;
  }();
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const uint8_t c = uint8_t(utf8[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > utf8.size()) return std::nullopt;
    char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
    for (size_t k = 1; k < n; ++k) cp = cp << 6 | (uint8_t(utf8[i + k]) & 0x3F);
    auto it = inverse.find(cp);
    if (it == inverse.end()) return std::nullopt;
    out.push_back(it->second);
    i += n;
  }
  return out;
}

std::optional<std::vector<uint8_t>> readFile(const fs::path& p) {
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) return std::nullopt;
  std::vector<uint8_t> bytes;
  if (!graphics::ReadWholeFile(p.string(), bytes)) return std::nullopt;
  return bytes;
}

void writeFile(const fs::path& p, const void* data, size_t size) {
  fs::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(static_cast<const char*>(data), std::streamsize(size));
  if (!f) throw std::runtime_error("cannot write " + p.string());
}
void writeFile(const fs::path& p, const std::vector<uint8_t>& bytes) { writeFile(p, bytes.data(), bytes.size()); }
void writeFile(const fs::path& p, const std::string& text) { writeFile(p, text.data(), text.size()); }
// A container of scalars only.
bool flat(const json& j) {
  return std::all_of(j.begin(), j.end(), [](const json& v) { return !v.is_structured(); });
}

// The container on one line: {"a": 1, "b": [2, 3]}.
std::string oneLine(const json& j) {
  if (!j.is_structured()) return j.dump();
  std::string line(1, j.is_object() ? '{' : '[');
  bool first = true;
  for (auto it = j.begin(); it != j.end(); ++it, first = false) {
    if (!first) line += ", ";
    if (j.is_object()) line += json(it.key()).dump() + ": ";
    line += oneLine(*it);
  }
  return line + (j.is_object() ? '}' : ']');
}

// JSON laid out for people and line-based diffs: a container of scalars, or of scalars and such
// containers, that fits in a short line stays on one line ([8, -3], a glyph's six numbers, a box,
// a tile, an action); others open one line per member.
void layoutJson(std::string& out, const json& j, int indent) {
  constexpr size_t kShortLine = 120;
  if (!j.is_structured() || j.empty()) {
    out += j.dump();
    return;
  }
  const bool shallow = std::all_of(j.begin(), j.end(), [](const json& v) { return !v.is_structured() || flat(v); });
  const char open = j.is_object() ? '{' : '[', close = j.is_object() ? '}' : ']';
  if (shallow) {
    const std::string line = oneLine(j);
    if (line.size() <= kShortLine) {
      out += line;
      return;
    }
  }
  out += open;
  out += '\n';
  bool first = true;
  for (auto it = j.begin(); it != j.end(); ++it, first = false) {
    if (!first) out += ",\n";
    out.append(size_t(indent + 2), ' ');
    if (j.is_object()) out += json(it.key()).dump() + ": ";
    layoutJson(out, *it, indent + 2);
  }
  out += '\n';
  out.append(size_t(indent), ' ');
  out += close;
}

void writeJson(const fs::path& p, const json& j) {
  std::string out;
  layoutJson(out, j, 0);
  writeFile(p, out + "\n");
}

// Reals: JSON numbers, except the values JSON cannot write.
json realToJson(double v) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  return v;
}

std::string hex(const uint8_t* data, size_t size) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < size; ++i) {
    out.push_back(digits[data[i] >> 4]);
    out.push_back(digits[data[i] & 15]);
  }
  return out;
}

// --- names and stems -----------------------------------------------------------------------------

// A name is used as the file stem when it is plain ASCII that every file system takes as it is.
bool plainStem(const std::string& name) {
  if (name.empty() || name.size() > 100 || name[0] == '.' || name[0] == '-') return false;
  for (char c : name)
    if (!(std::isalnum(uint8_t(c)) || c == '_' || c == '-' || c == '.' || c == ' ') || uint8_t(c) >= 0x80)
      return false;
  return name.back() != ' ' && name.back() != '.';
}

std::string lower(std::string s) {
  for (char& c : s) c = char(std::tolower(uint8_t(c)));
  return s;
}

// Chooses unique file stems within one kind folder (case-insensitively, for case-folding file
// systems). A name that cannot be a stem gets a stem of its safe characters, "~" and its index.
class StemPicker {
 public:
  std::string pick(const std::string& name, int32_t index) {
    if (plainStem(name) && used_.insert(lower(name)).second) return name;
    std::string base;
    for (char c : name.substr(0, 60)) base.push_back(std::isalnum(uint8_t(c)) && uint8_t(c) < 0x80 ? c : '_');
    std::string stem = base.empty() ? std::to_string(index) : base + "~" + std::to_string(index);
    while (!used_.insert(lower(stem)).second) stem += "~";
    return stem;
  }

 private:
  std::set<std::string> used_;
};

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
  std::optional<graphics::TBitmap32> GameSettings::*member;
};
constexpr SettingsPicture kSettingsPictures[] = {
    {"empty_bar_picture", &GameSettings::empty_bar_picture},
    {"full_bar_picture", &GameSettings::full_bar_picture},
    {"loading_picture", &GameSettings::loading_picture},
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
graphics::TBitmap32 maskPicture(const graphics::TMask& m) {
  graphics::TBitmap32 b(m.width, m.height, 0xFF000000u);
  for (int y = 0; y < m.height; ++y)
    for (int x = 0; x < m.width; ++x)
      if (m.bit(x, y)) b.setPixel(x, y, 0xFFFFFFFFu);
  return b;
}

// --- unpack: objects, time lines, triggers, rooms, included files ---------------------------------

constexpr const char* kEventKindNames[] = {"create", "destroy", "alarm", "step", "collision", "keyboard",
                                           "mouse", "other", "draw", "keypress", "keyrelease", "trigger"};
constexpr const char* kActionKindNames[] = {"normal", "begin", "end", "else", "exit", "repeat", "variable", "code"};
constexpr const char* kExecutionNames[] = {"none", "function", "code"};
constexpr const char* kTriggerMomentNames[] = {"step", "begin step", "end step"};
constexpr const char* kExportNames[] = {"none", "temporary", "working", "folder"};
constexpr const char* kPathKindNames[] = {"straight", "smooth"};

template <size_t N>
json nameOr(int32_t v, const char* const (&names)[N]) {
  return v >= 0 && size_t(v) < N ? json(names[v]) : json(v);
}

// A reference to another resource: null for -1 (none), the name of a resource that exists, else
// the index kept as a number.
json refJson(const GamePackage& p, ChunkId chunk, int32_t index) {
  if (index == -1) return nullptr;
  if (SlotExists(p, chunk, index)) return toUtf8(SlotName(p, chunk, index));
  return index;
}

// Action arguments of these kinds hold a resource index as text; the file names the resource.
std::optional<ChunkId> argumentResource(int32_t kind) {
  switch (kind) {
    case 5: return ChunkId::Sprites;
    case 6: return ChunkId::Sounds;
    case 7: return ChunkId::Backgrounds;
    case 8: return ChunkId::Paths;
    case 9: return ChunkId::Scripts;
    case 10: return ChunkId::Objects;
    case 11: return ChunkId::Rooms;
    case 12: return ChunkId::Fonts;
    case 14: return ChunkId::TimeLines;
    default: return std::nullopt;
  }
}

// The values an action of this kind has when its file leaves a field out: a code action is the
// "execute code" action of the main library, whose one string argument is the code.
world::CAction actionDefaults(int32_t kind) {
  world::CAction a;
  a.kind = kind;
  if (kind == world::act_code) {
    a.libraryId = 1;
    a.actionId = 603;
    a.executionType = world::exec_code;
    a.appliesToSomething = true;
    a.argumentCount = 1;
    a.argumentKinds[0] = 1;
  }
  return a;
}

// The index of the argument whose text is a code file: the code of a code action.
bool codeInFile(const world::CAction& a, size_t argument) { return a.kind == world::act_code && argument == 0; }

// One action as JSON, fields equal to their defaults left out. A code action's code goes to the
// text file `codeFile` (relative to the project folder).
json actionJson(const GamePackage& p, const world::CAction& a, const fs::path& root, const std::string& codeFile) {
  const world::CAction d = actionDefaults(a.kind);
  json j;
  j["kind"] = nameOr(a.kind, kActionKindNames);
  if (a.libraryId != d.libraryId) j["library"] = a.libraryId;
  if (a.actionId != d.actionId) j["action"] = a.actionId;
  if (a.executionType != d.executionType) j["execution"] = nameOr(a.executionType, kExecutionNames);
  if (!a.functionName.empty()) j["function"] = toUtf8(a.functionName);
  if (!a.code.empty()) j["code"] = toUtf8(a.code);
  if (a.mayBeRelative != d.mayBeRelative) j["may_be_relative"] = a.mayBeRelative;
  if (a.isQuestion != d.isQuestion) j["question"] = a.isQuestion;
  if (a.appliesToSomething != d.appliesToSomething) j["applies_to_something"] = a.appliesToSomething;
  if (a.appliesTo == -2) j["applies_to"] = "other";
  else if (a.appliesTo != -1) j["applies_to"] = refJson(p, ChunkId::Objects, a.appliesTo);  // -1 is self
  if (a.relative) j["relative"] = true;
  if (a.negate) j["not"] = true;
  size_t used = 0;
  bool differs = a.argumentCount != d.argumentCount;
  for (size_t i = 0; i < size_t(world::kMaxActionArguments); ++i) {
    const bool text = !a.argumentTexts[i].empty() && !codeInFile(a, i);
    if (a.argumentKinds[i] != d.argumentKinds[i] || text) differs = true;
    if (a.argumentKinds[i] != 0 || text) used = i + 1;
  }
  const size_t shown = std::max(used, size_t(std::clamp(a.argumentCount, 0, world::kMaxActionArguments)));
  if (differs) {
    json args = json::array();
    for (size_t i = 0; i < shown; ++i) {
      json arg;
      arg["kind"] = a.argumentKinds[i];
      const std::string& text = a.argumentTexts[i];
      // A resource argument that holds the plain index of an existing resource is written as its
      // name; anything else (an expression, a missing resource) keeps its text.
      const auto chunk = argumentResource(a.argumentKinds[i]);
      const bool index = !text.empty() && text.size() < 6 && text.find_first_not_of("0123456789") == std::string::npos &&
                         std::to_string(std::stoi(text)) == text;
      if (codeInFile(a, i)) {
        args.push_back(arg);  // the text is in the code file
        continue;
      }
      if (chunk && index && SlotExists(p, *chunk, std::stoi(text))) arg["resource"] = toUtf8(SlotName(p, *chunk, std::stoi(text)));
      else arg["text"] = toUtf8(text);
      args.push_back(arg);
    }
    j["arguments"] = args;
    if (size_t(a.argumentCount) != shown) j["argument_count"] = a.argumentCount;
  }
  if (a.kind == world::act_code) {
    writeFile(root / codeFile, a.argumentTexts[0]);
    j["file"] = codeFile;
  }
  return j;
}

json actionsJson(const GamePackage& p, const world::CEvent& e, const fs::path& root, const std::string& filePrefix) {
  json actions = json::array();
  for (size_t n = 0; n < e.actions.size(); ++n)
    actions.push_back(actionJson(p, e.actions[n], root, filePrefix + std::to_string(n) + ".txt"));
  return actions;
}

// The record of a raw slot read by its owner's reader; a record the runner would refuse stops
// the unpacking with the resource named.
template <class T, class ReadFn>
T readRecord(const RawSlot& slot, ReadFn read, const std::string& what) {
  T out;
  CStream s(slot.record);
  bool ok = false;
  try {
    ok = read(s, out);
  } catch (const StreamError&) {
  }
  if (!ok) throw std::runtime_error(what + ": the record is not readable");
  return out;
}

void unpackPaths(const GamePackage& p, const fs::path& root) {
  StemPicker stems;
  const auto& slots = p.raw(ChunkId::Paths);
  for (int32_t i = 0; i < int32_t(slots.size()); ++i) {
    if (!slots[size_t(i)].exists) continue;
    const std::string& name = slots[size_t(i)].name;
    const std::string stem = toUtf8(stems.pick(name, i));
    const auto path = readRecord<motion::CPath>(slots[size_t(i)], motion::ReadPathRecord, "path " + toUtf8(name));
    json j;
    j["index"] = i;
    if (stem != toUtf8(name)) j["name"] = toUtf8(name);
    j["kind"] = nameOr(path.kind, kPathKindNames);
    j["closed"] = path.closed;
    j["precision"] = path.precision;
    json points = json::array();
    for (const motion::RPathPoint& point : path.points) points.push_back({realToJson(point.x), realToJson(point.y), realToJson(point.speed)});
    j["points"] = points;
    writeJson(root / "paths" / (stem + ".json"), j);
  }
}

void unpackObjects(const GamePackage& p, const fs::path& root) {
  StemPicker stems;
  const auto& slots = p.raw(ChunkId::Objects);
  for (int32_t i = 0; i < int32_t(slots.size()); ++i) {
    if (!slots[size_t(i)].exists) continue;
    const std::string& name = slots[size_t(i)].name;
    const std::string stem = toUtf8(stems.pick(name, i));
    const auto o = readRecord<world::CObject>(slots[size_t(i)], world::ReadObjectRecord, "object " + toUtf8(name));
    json j;
    j["index"] = i;
    if (stem != toUtf8(name)) j["name"] = toUtf8(name);
    j["sprite"] = refJson(p, ChunkId::Sprites, o.sprite);
    j["solid"] = o.solid;
    j["visible"] = o.visible;
    j["depth"] = o.depth;
    j["persistent"] = o.persistent;
    j["parent"] = refJson(p, ChunkId::Objects, o.parent);
    j["mask"] = refJson(p, ChunkId::Sprites, o.mask);
    json events = json::array();
    for (size_t kind = 0; kind < o.events.size(); ++kind)
      for (const auto& [number, e] : o.events[kind]) {
        if (!e) continue;
        json ev;
        ev["event"] = kEventKindNames[kind];
        if (kind == world::ev_collision) ev["object"] = refJson(p, ChunkId::Objects, number);
        else ev["number"] = number;
        const std::string prefix = "objects/" + stem + "/" + kEventKindNames[kind] + "_" + std::to_string(number) + "_";
        ev["actions"] = actionsJson(p, *e, root, prefix);
        events.push_back(ev);
      }
    j["events"] = events;
    writeJson(root / "objects" / (stem + ".json"), j);
  }
}

void unpackTimeLines(const GamePackage& p, const fs::path& root) {
  StemPicker stems;
  const auto& slots = p.raw(ChunkId::TimeLines);
  for (int32_t i = 0; i < int32_t(slots.size()); ++i) {
    if (!slots[size_t(i)].exists) continue;
    const std::string& name = slots[size_t(i)].name;
    const std::string stem = toUtf8(stems.pick(name, i));
    const auto t = readRecord<world::CTimeLine>(slots[size_t(i)], world::ReadTimeLineRecord, "time line " + toUtf8(name));
    json j;
    j["index"] = i;
    if (stem != toUtf8(name)) j["name"] = toUtf8(name);
    json moments = json::array();
    for (size_t m = 0; m < t.steps.size(); ++m) {
      json moment;
      moment["step"] = t.steps[m];
      moment["actions"] = actionsJson(p, *t.moments[m], root, "time_lines/" + stem + "/" + std::to_string(t.steps[m]) + "_");
      moments.push_back(moment);
    }
    j["moments"] = moments;
    writeJson(root / "time_lines" / (stem + ".json"), j);
  }
}

void unpackTriggers(const GamePackage& p, const fs::path& root) {
  StemPicker stems;
  const auto& slots = p.raw(ChunkId::Triggers);
  for (int32_t i = 0; i < int32_t(slots.size()); ++i) {
    if (!slots[size_t(i)].exists) continue;
    const auto t = readRecord<world::CTrigger>(slots[size_t(i)], world::ReadTriggerRecord, "trigger " + std::to_string(i));
    const std::string stem = toUtf8(stems.pick(t.name, i));
    json j;
    j["index"] = i;
    if (stem != toUtf8(t.name)) j["name"] = toUtf8(t.name);
    j["moment"] = nameOr(t.moment, kTriggerMomentNames);
    j["constant"] = toUtf8(t.constantName);
    writeJson(root / "triggers" / (stem + ".json"), j);
    writeFile(root / "triggers" / (stem + ".txt"), t.condition);
  }
}

bool defaultLayer(const world::CBack& b) {
  const world::CBack d;
  return b.visible == d.visible && b.foreground == d.foreground && b.index == d.index && b.x == d.x && b.y == d.y &&
         b.htiled == d.htiled && b.vtiled == d.vtiled && b.hspeed == d.hspeed && b.vspeed == d.vspeed && b.stretch == d.stretch;
}

bool defaultView(const world::CView& v) {
  const world::CView d;
  return v.visible == d.visible && v.xview == d.xview && v.yview == d.yview && v.wview == d.wview && v.hview == d.hview &&
         v.xport == d.xport && v.yport == d.yport && v.wport == d.wport && v.hport == d.hport && v.hborder == d.hborder &&
         v.vborder == d.vborder && v.hspeed == d.hspeed && v.vspeed == d.vspeed && v.object == d.object;
}

void unpackRooms(const GamePackage& p, const fs::path& root) {
  StemPicker stems;
  const auto& slots = p.raw(ChunkId::Rooms);
  for (int32_t i = 0; i < int32_t(slots.size()); ++i) {
    if (!slots[size_t(i)].exists) continue;
    const std::string& name = slots[size_t(i)].name;
    const std::string stem = toUtf8(stems.pick(name, i));
    world::CRoom r;
    CStream s(slots[size_t(i)].record);
    bool ok = false;
    try {
      ok = world::ReadRoomRecord(s, r);
    } catch (const StreamError&) {
    }
    if (!ok) throw std::runtime_error("room " + toUtf8(name) + ": the record is not readable");
    const std::string dir = "rooms/" + stem + "/";
    json j;
    j["index"] = i;
    if (stem != toUtf8(name)) j["name"] = toUtf8(name);
    j["caption"] = toUtf8(r.caption);
    j["width"] = r.width;
    j["height"] = r.height;
    j["speed"] = r.speed;
    j["persistent"] = r.persistent;
    j["background_color"] = r.backgroundColor;
    j["draw_background_color"] = r.drawBackgroundColor;
    if (!r.creationCode.empty()) {
      writeFile(root / (dir + "creation.txt"), r.creationCode);
      j["creation_code"] = dir + "creation.txt";
    }
    json layers = json::array();
    size_t shown = 0;
    for (size_t k = 0; k < r.backgrounds.size(); ++k)
      if (!defaultLayer(r.backgrounds[k])) shown = k + 1;
    for (size_t k = 0; k < shown; ++k) {
      const world::CBack& b = r.backgrounds[k];
      layers.push_back({{"visible", b.visible}, {"foreground", b.foreground}, {"background", refJson(p, ChunkId::Backgrounds, b.index)},
                        {"x", int32_t(b.x)}, {"y", int32_t(b.y)}, {"htiled", b.htiled}, {"vtiled", b.vtiled},
                        {"hspeed", int32_t(b.hspeed)}, {"vspeed", int32_t(b.vspeed)}, {"stretch", b.stretch}});
    }
    j["backgrounds"] = layers;
    j["views_enabled"] = r.viewsEnabled;
    json views = json::array();
    shown = 0;
    for (size_t k = 0; k < r.views.size(); ++k)
      if (!defaultView(r.views[k])) shown = k + 1;
    for (size_t k = 0; k < shown; ++k) {
      const world::CView& v = r.views[k];
      views.push_back({{"visible", v.visible}, {"view", {v.xview, v.yview, v.wview, v.hview}},
                       {"port", {v.xport, v.yport, v.wport, v.hport}}, {"border", {v.hborder, v.vborder}},
                       {"speed", {v.hspeed, v.vspeed}}, {"follow", refJson(p, ChunkId::Objects, v.object)}});
    }
    j["views"] = views;
    json instances = json::array();
    std::set<std::string> codeFiles;
    for (const auto& in : r.instances) {
      json o = {{"x", int32_t(in->x)}, {"y", int32_t(in->y)}, {"object", refJson(p, ChunkId::Objects, in->objectIndex)}, {"id", in->id}};
      if (!in->creationCode.empty()) {
        std::string file = dir + "instance_" + std::to_string(in->id);
        while (!codeFiles.insert(file).second) file += "~";
        writeFile(root / (file + ".txt"), in->creationCode);
        o["creation_code"] = file + ".txt";
      }
      instances.push_back(o);
    }
    j["instances"] = instances;
    json tiles = json::array();
    for (const world::CTile& t : r.tiles)
      tiles.push_back({{"x", int32_t(t.x)}, {"y", int32_t(t.y)}, {"background", refJson(p, ChunkId::Backgrounds, t.background)},
                       {"source", {t.left, t.top, t.width, t.height}}, {"depth", int32_t(t.depth)}, {"id", t.id}});
    j["tiles"] = tiles;
    writeJson(root / "rooms" / (stem + ".json"), j);
  }
}

void unpackIncludedFiles(const GamePackage& p, const fs::path& root) {
  StemPicker stems;
  for (size_t i = 0; i < p.included_files.size(); ++i) {
    CDataFile f;
    CStream s(p.included_files[i]);
    bool ok = false;
    try {
      ok = ReadDataFileRecord(s, f);
    } catch (const StreamError&) {
    }
    if (!ok) throw std::runtime_error("included file " + std::to_string(i) + ": the record is not readable");
    const std::string stem = toUtf8(stems.pick(f.fileName, int32_t(i)));
    json j;
    j["index"] = int32_t(i);
    if (stem != toUtf8(f.fileName)) j["name"] = toUtf8(f.fileName);
    j["source_path"] = toUtf8(f.sourcePath);
    j["source_size"] = f.sourceSize;
    if (f.hasData) {
      writeFile(root / "included_files" / "data" / stem, f.data.bytes());
      j["data"] = "data/" + stem;
    } else {
      j["data"] = nullptr;
      if (f.dataFollows) j["data_follows"] = true;
    }
    j["export"] = nameOr(f.exportKind, kExportNames);
    j["export_folder"] = toUtf8(f.exportFolder);
    j["overwrite"] = f.overwrite;
    j["free_after_export"] = f.freeAfterExport;
    j["remove_at_end"] = f.removeAtEnd;
    writeJson(root / "included_files" / (stem + ".json"), j);
  }
}

void unpackExtensionPackages(const GamePackage& p, const fs::path& root) {
  StemPicker stems;
  for (size_t i = 0; i < p.extension_packages.size(); ++i) {
    ExtensionPackage x;
    CStream s(p.extension_packages[i]);
    bool ok = false;
    try {
      ok = ReadExtensionPackage(s, x);
    } catch (const StreamError&) {
    }
    if (!ok) throw std::runtime_error("extension package " + std::to_string(i) + ": the record is not readable");
    const std::string stem = toUtf8(stems.pick(x.name, int32_t(i)));
    json j;
    j["index"] = int32_t(i);
    if (stem != toUtf8(x.name)) j["name"] = toUtf8(x.name);
    j["folder"] = toUtf8(x.folder);
    json files = json::array();
    for (const ExtensionFile& file : x.files) {
      json jf;
      jf["file_name"] = toUtf8(file.fileName);
      jf["kind"] = file.kind;
      jf["init"] = toUtf8(file.initFunction);
      jf["final"] = toUtf8(file.finalFunction);
      json functions = json::array();
      for (const ExtensionFunction& fn : file.functions)
        functions.push_back({{"name", toUtf8(fn.name)}, {"external_name", toUtf8(fn.externalName)}, {"call_type", fn.callType},
                             {"id", fn.id}, {"arguments", fn.argumentCount}, {"argument_types", fn.argumentTypes},
                             {"result", fn.resultType}});
      jf["functions"] = functions;
      json constants = json::array();
      for (const ExtensionConstant& c : file.constants) constants.push_back({{"name", toUtf8(c.name)}, {"value", toUtf8(c.value)}});
      jf["constants"] = constants;
      files.push_back(jf);
    }
    j["files"] = files;
    writeFile(root / "extension_packages" / "data" / (stem + ".bin"), x.filesBlock);
    j["files_block"] = "data/" + stem + ".bin";
    writeJson(root / "extension_packages" / (stem + ".json"), j);
  }
}

void unpackInto(const GamePackage& p, const fs::path& root) {
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
    std::string name = SlotName(p, ChunkId::Rooms, room);
    if (!name.empty()) order.push_back(toUtf8(name));
    else order.push_back(room);
  }
  game["room_order"] = order;
  game["last_instance_id"] = p.last_instance_id;
  game["last_tile_id"] = p.last_tile_id;

  json slots;
  for (const ChunkInfo& info : ChunkTable())
    if (info.frame == ChunkFrame::Standard || info.frame == ChunkFrame::Trigger)
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

  // One .json per resource, beside its files.
  auto head = [](int32_t index, const std::string& name, const std::string& stem) {
    json j;
    j["index"] = index;
    if (stem != name) j["name"] = toUtf8(name);
    return j;
  };

  {
    StemPicker stems;
    for (int32_t i = 0; i < p.sprites.count(); ++i) {
      const graphics::CSprite* s = p.sprites.get(i);
      if (!s) continue;
      const std::string& name = p.sprites.names[size_t(i)];
      const std::string stem = stems.pick(name, i);
      json j = head(i, name, stem);
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
  {
    StemPicker stems;
    for (int32_t i = 0; i < p.backgrounds.count(); ++i) {
      const graphics::CBackground* b = p.backgrounds.get(i);
      if (!b) continue;
      const std::string& name = p.backgrounds.names[size_t(i)];
      const std::string stem = stems.pick(name, i);
      json j = head(i, name, stem);
      if (b->image.empty()) j["empty"] = true;
      else writeFile(root / "backgrounds" / (toUtf8(stem) + ".png"), graphics::EncodePng(b->image));
      writeJson(root / "backgrounds" / (toUtf8(stem) + ".json"), j);
    }
  }
  {
    StemPicker stems;
    for (int32_t i = 0; i < p.sounds.count(); ++i) {
      const sound::CSound* s = p.sounds.get(i);
      if (!s) continue;
      const std::string& name = p.sounds.names[size_t(i)];
      const std::string stem = stems.pick(name, i);
      json j = head(i, name, stem);
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
  {
    StemPicker stems;
    for (int32_t i = 0; i < p.scripts.count(); ++i) {
      const code::CScript* s = p.scripts.get(i);
      if (!s) continue;
      const std::string& name = p.scripts.names[size_t(i)];
      const std::string stem = stems.pick(name, i);
      writeJson(root / "scripts" / (toUtf8(stem) + ".json"), head(i, name, stem));
      writeFile(root / "scripts" / (toUtf8(stem) + ".txt"), s->text);
    }
  }
  {
    StemPicker stems;
    for (int32_t i = 0; i < p.fonts.count(); ++i) {
      const graphics::CFont* f = p.fonts.get(i);
      if (!f) continue;
      const std::string& name = p.fonts.names[size_t(i)];
      const std::string stem = stems.pick(name, i);
      json j = head(i, name, stem);
      j["typeface"] = toUtf8(f->name);
      j["size"] = f->size;
      j["bold"] = f->bold;
      j["italic"] = f->italic;
      j["first"] = f->first;
      j["last"] = f->last;
      const std::string sprite = SlotName(p, ChunkId::Sprites, f->sprite);
      if (f->sprite < 0) j["sprite"] = nullptr;
      else if (!sprite.empty()) j["sprite"] = toUtf8(sprite);
      else j["sprite"] = f->sprite;  // names no sprite of the game: kept as the index
      if (f->sheetWidth > 0 && f->sheetHeight > 0) {
        // The coverage map as the alpha of white pixels.
        graphics::TBitmap32 sheet(f->sheetWidth, f->sheetHeight);
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
  unpackPaths(p, root);
  unpackObjects(p, root);
  unpackTimeLines(p, root);
  unpackTriggers(p, root);
  unpackRooms(p, root);
  unpackIncludedFiles(p, root);
  unpackExtensionPackages(p, root);
  writeFile(root / "raw" / "game_information.bin", p.game_information);
}

// --- load: reading helpers -----------------------------------------------------------------------

// Thrown for the first problem of one file; the loader records it and goes on with the next file.
struct Problem {
  ProjectError error;
};

[[noreturn]] void fail(const std::string& file, const std::string& field, const std::string& message) {
  throw Problem{ProjectError{file, field, message}};
}

// One JSON object read from a project file, with typed field access that names the field on error.
class Fields {
 public:
  Fields(std::string file, const json& j, std::string prefix = "") : file_(std::move(file)), j_(j), prefix_(std::move(prefix)) {
    if (!j_.is_object()) fail(file_, prefix_, "an object is expected");
  }
  bool has(const char* key) const { return j_.contains(key) && !j_.at(key).is_null(); }
  const json& at(const char* key) const { return j_.at(key); }
  std::string field(const std::string& key) const { return prefix_.empty() ? key : prefix_ + "." + key; }
  const std::string& file() const { return file_; }

  bool boolean(const char* key, bool def) const {
    if (!has(key)) return def;
    if (!at(key).is_boolean()) fail(file_, field(key), "true or false is expected");
    return at(key).get<bool>();
  }
  int32_t integer(const char* key, int32_t def) const {
    if (!has(key)) return def;
    return integerValue(at(key), field(key));
  }
  int32_t integerValue(const json& v, const std::string& name) const {
    if (!v.is_number_integer()) fail(file_, name, "an integer is expected");
    const int64_t n = v.is_number_unsigned() && v.get<uint64_t>() > uint64_t(INT64_MAX) ? INT64_MAX : v.get<int64_t>();
    if (n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<int32_t>::max())
      fail(file_, name, "the integer does not fit in 32 bits");
    return int32_t(n);
  }
  double real(const char* key, double def) const {
    if (!has(key)) return def;
    const json& v = at(key);
    if (v.is_number()) return v.get<double>();
    if (v.is_string()) {
      const std::string s = v.get<std::string>();
      if (s == "nan") return std::numeric_limits<double>::quiet_NaN();
      if (s == "inf") return std::numeric_limits<double>::infinity();
      if (s == "-inf") return -std::numeric_limits<double>::infinity();
    }
    fail(file_, field(key), "a number is expected");
  }
  std::string string(const char* key, const std::string& def) const {
    if (!has(key)) return def;
    return stringValue(at(key), field(key));
  }
  std::string stringValue(const json& v, const std::string& name) const {
    if (!v.is_string()) fail(file_, name, "a string is expected");
    auto s = toCp1252(v.get<std::string>());
    if (!s) fail(file_, name, "the text has a character outside code page 1252");
    return *s;
  }

 private:
  std::string file_;
  const json& j_;
  std::string prefix_;
};

json parseJsonFile(const fs::path& root, const std::string& rel) {
  auto bytes = readFile(root / rel);
  if (!bytes) fail(rel, "", "missing file");
  try {
    return json::parse(bytes->begin(), bytes->end());
  } catch (const json::parse_error& e) {
    fail(rel, "", std::string("not valid JSON: ") + e.what());
  }
}

std::vector<uint8_t> needFile(const fs::path& root, const std::string& rel, const std::string& from, const std::string& field) {
  auto bytes = readFile(root / rel);
  if (!bytes) fail(from, field, "missing file " + rel);
  return *bytes;
}

graphics::TBitmap32 needPng(const fs::path& root, const std::string& rel, const std::string& from, const std::string& field) {
  auto bytes = readFile(root / rel);
  if (!bytes) fail(from, field, "missing image " + rel);
  auto decoded = platform::DecodePng(bytes->data(), bytes->size());
  if (!decoded) fail(rel, "", "not a readable PNG image");
  graphics::TBitmap32 b(decoded->width, decoded->height);
  b.pixels = std::move(decoded->pixels);
  return b;
}

// Game code reads 0 to 99999 as a resource or object index and 100000 up as an instance id, so no
// resource can live beyond; the bound also keeps a mistyped index from allocating millions of slots.
constexpr int32_t kMaxResourceIndex = 99999;

// One resource file found in a kind folder.
struct Entry {
  std::string file;  // relative path of its .json
  std::string stem;  // UTF-8, as on disk
  std::string name;  // code page 1252
  int32_t index = -1;
  json j;
};

// Lists the kind folder's .json files, reads name and index from each and gives indices to the
// entries without one (after every explicit index, in name order). Duplicate names or indices are
// errors. `withName` is false for kinds whose records carry their names (triggers).
std::vector<Entry> listKind(const fs::path& root, const std::string& folder, bool withName,
                            std::vector<ProjectError>& errors, bool uniqueNames = true) {
  std::vector<Entry> entries;
  std::error_code ec;
  if (!fs::is_directory(root / folder, ec)) return entries;
  std::vector<fs::path> files;
  for (const auto& it : fs::directory_iterator(root / folder))
    if (it.is_regular_file() && it.path().extension() == ".json") files.push_back(it.path());
  std::sort(files.begin(), files.end());
  for (const fs::path& path : files) {
    Entry e;
    e.file = folder + "/" + path.filename().string();
    e.stem = path.stem().string();
    try {
      e.j = parseJsonFile(root, e.file);
      Fields f(e.file, e.j);
      if (withName) {
        if (f.has("name")) {
          e.name = f.string("name", "");
        } else {
          auto n = toCp1252(e.stem);
          if (!n) fail(e.file, "", "the file name has a character outside code page 1252; give the resource a \"name\"");
          e.name = *n;
        }
      }
      e.index = f.integer("index", -1);
      if (f.has("index") && (e.index < 0 || e.index > kMaxResourceIndex))
        fail(e.file, "index", "an index from 0 to " + std::to_string(kMaxResourceIndex) + " is expected");
      entries.push_back(std::move(e));
    } catch (const Problem& p) {
      errors.push_back(p.error);
    }
  }
  std::map<int32_t, std::string> byIndex;
  std::map<std::string, std::string> byName;
  for (Entry& e : entries) {
    if (e.index >= 0 && !byIndex.emplace(e.index, e.file).second)
      errors.push_back({e.file, "index", "index " + std::to_string(e.index) + " is also used by " + byIndex[e.index]});
    if (withName && uniqueNames && !byName.emplace(e.name, e.file).second)
      errors.push_back({e.file, "name", "the name is also used by " + byName[e.name]});
  }
  int32_t next = byIndex.empty() ? 0 : byIndex.rbegin()->first + 1;
  std::vector<Entry*> unindexed;
  for (Entry& e : entries)
    if (e.index < 0) unindexed.push_back(&e);
  std::sort(unindexed.begin(), unindexed.end(), [](const Entry* a, const Entry* b) { return a->name < b->name; });
  for (Entry* e : unindexed) {
    if (next > kMaxResourceIndex) {
      errors.push_back({e->file, "index", "no index is left below " + std::to_string(kMaxResourceIndex + 1)});
      e->index = -1;
      continue;
    }
    e->index = next++;
  }
  std::erase_if(entries, [](const Entry& e) { return e.index < 0; });
  return entries;
}

template <class T>
void placeSlot(graphics::ResourceList<T>& list, int32_t index, std::string name, std::unique_ptr<T> item) {
  if (list.count() <= index) {
    list.slots.resize(size_t(index) + 1);
    list.names.resize(size_t(index) + 1);
  }
  list.slots[size_t(index)] = std::move(item);
  list.names[size_t(index)] = std::move(name);
}

template <class T>
void reserveSlots(graphics::ResourceList<T>& list, int32_t count) {
  if (list.count() < count) {
    list.slots.resize(size_t(count));
    list.names.resize(size_t(count));
  }
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
        graphics::TBitmap32 pic = needPng(root, rel, e.file, mf.field("png"));
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
    graphics::TBitmap32 sheet = needPng(root, "fonts/" + e.stem + ".png", e.file, "sheet");
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

// --- load: objects, time lines, triggers, rooms, included files -----------------------------------

// Code found while loading, compiled with the scripts once everything is read.
struct CodeCheck {
  std::string text;
  std::string file;
  std::string field;
  bool expression = false;  // an action argument: one expression, not statements
};

// Every resource's index by kind and name, for the references between files.
class ResourceNames {
 public:
  // A resource whose files are broken keeps its name in its slot (the slot itself stays empty),
  // so that references to it add no second error.
  explicit ResourceNames(const GamePackage& p) {
    add(ChunkId::Sprites, p.sprites);
    add(ChunkId::Backgrounds, p.backgrounds);
    add(ChunkId::Sounds, p.sounds);
    add(ChunkId::Scripts, p.scripts);
    add(ChunkId::Fonts, p.fonts);
    for (ChunkId id : {ChunkId::Paths, ChunkId::TimeLines, ChunkId::Objects, ChunkId::Rooms})
      for (size_t i = 0; i < p.raw(id).size(); ++i)
        if (p.raw(id)[i].exists) byName_[size_t(id)].emplace(p.raw(id)[i].name, int32_t(i));
  }
  int32_t find(ChunkId chunk, const std::string& name) const {
    const auto& names = byName_[size_t(chunk)];
    auto it = names.find(name);
    return it == names.end() ? -1 : it->second;
  }

 private:
  // Slots with a resource, and broken ones (no resource, but the name kept); a resource may have
  // an empty name.
  template <class T>
  void add(ChunkId chunk, const graphics::ResourceList<T>& list) {
    for (int32_t i = 0; i < list.count(); ++i)
      if (list.exists(i) || !list.names[size_t(i)].empty()) byName_[size_t(chunk)].emplace(list.names[size_t(i)], i);
  }
  std::array<std::map<std::string, int32_t>, kChunkCount> byName_;
};

std::string kindWord(ChunkId chunk) {
  switch (chunk) {
    case ChunkId::Sprites: return "sprite";
    case ChunkId::Sounds: return "sound";
    case ChunkId::Backgrounds: return "background";
    case ChunkId::Paths: return "path";
    case ChunkId::Scripts: return "script";
    case ChunkId::Fonts: return "font";
    case ChunkId::TimeLines: return "time line";
    case ChunkId::Objects: return "object";
    case ChunkId::Rooms: return "room";
    default: return "resource";
  }
}

// A reference: null is none (-1), a number is an index kept as it is, a string names a resource.
int32_t refValue(const Fields& f, const json& v, const std::string& field, ChunkId chunk, const ResourceNames& names) {
  if (v.is_null()) return -1;
  if (v.is_number_integer()) return f.integerValue(v, field);
  const std::string name = f.stringValue(v, field);
  const int32_t index = names.find(chunk, name);
  if (index < 0) fail(f.file(), field, "there is no " + kindWord(chunk) + " named \"" + toUtf8(name) + "\"");
  return index;
}

int32_t ref(const Fields& f, const char* key, ChunkId chunk, const ResourceNames& names) {
  return f.has(key) ? refValue(f, f.at(key), f.field(key), chunk, names) : -1;
}

template <size_t N>
int32_t enumValue(const Fields& f, const json& v, const std::string& field, const char* const (&names)[N]) {
  if (v.is_number_integer()) return f.integerValue(v, field);
  if (v.is_string())
    for (size_t k = 0; k < N; ++k)
      if (v.get<std::string>() == names[k]) return int32_t(k);
  std::string expected;
  for (size_t k = 0; k < N; ++k) expected += (k ? ", \"" : "\"") + std::string(names[k]) + "\"";
  fail(f.file(), field, "one of " + expected + " or a number is expected");
}

// A file named by a field, relative to the project folder (file names are UTF-8 as on disk).
std::string pathField(const Fields& f, const char* key) {
  const json& v = f.at(key);
  if (!v.is_string() || v.get<std::string>().empty()) fail(f.file(), f.field(key), "a file name is expected");
  return v.get<std::string>();
}

std::string needText(const fs::path& root, const Fields& f, const char* key, std::vector<CodeCheck>* code) {
  const std::string rel = pathField(f, key);
  const auto bytes = needFile(root, rel, f.file(), f.field(key));
  std::string text(bytes.begin(), bytes.end());
  if (code) code->push_back({text, rel, ""});
  return text;
}

world::CAction loadAction(const fs::path& root, const Fields& f, const ResourceNames& names, std::vector<CodeCheck>& code) {
  const int32_t kind = f.has("kind") ? enumValue(f, f.at("kind"), f.field("kind"), kActionKindNames) : world::act_normal;
  world::CAction a = actionDefaults(kind);
  a.libraryId = f.integer("library", a.libraryId);
  a.actionId = f.integer("action", a.actionId);
  if (f.has("execution")) a.executionType = enumValue(f, f.at("execution"), f.field("execution"), kExecutionNames);
  a.functionName = f.string("function", "");
  a.code = f.string("code", "");
  if (!a.code.empty() && a.executionType == world::exec_code) code.push_back({a.code, f.file(), f.field("code")});
  a.mayBeRelative = f.boolean("may_be_relative", a.mayBeRelative);
  a.isQuestion = f.boolean("question", a.isQuestion);
  a.appliesToSomething = f.boolean("applies_to_something", a.appliesToSomething);
  if (f.has("applies_to")) {
    const json& v = f.at("applies_to");
    a.appliesTo = v == "self" ? -1 : v == "other" ? -2 : refValue(f, v, f.field("applies_to"), ChunkId::Objects, names);
  }
  a.relative = f.boolean("relative", false);
  a.negate = f.boolean("not", false);
  if (f.has("arguments")) {
    const json& args = f.at("arguments");
    if (!args.is_array() || args.size() > size_t(world::kMaxActionArguments))
      fail(f.file(), f.field("arguments"), "a list of at most 8 arguments is expected");
    a.argumentKinds = {};
    a.argumentTexts = {};
    for (size_t i = 0; i < args.size(); ++i) {
      Fields af(f.file(), args[i], f.field("arguments[" + std::to_string(i) + "]"));
      a.argumentKinds[i] = af.integer("kind", 0);
      if (af.has("resource")) {
        const auto chunk = argumentResource(a.argumentKinds[i]);
        if (!chunk) fail(f.file(), af.field("resource"), "an argument of kind " + std::to_string(a.argumentKinds[i]) + " names no resource");
        a.argumentTexts[i] = std::to_string(refValue(af, af.at("resource"), af.field("resource"), *chunk, names));
      } else {
        a.argumentTexts[i] = af.string("text", "");
      }
    }
    a.argumentCount = f.integer("argument_count", int32_t(args.size()));
    if (a.argumentCount < 0 || a.argumentCount > world::kMaxActionArguments)
      fail(f.file(), f.field("argument_count"), "a count from 0 to 8 is expected");
  }
  if (kind == world::act_code) {
    if (!f.has("file")) fail(f.file(), f.field("file"), "a code action names the text file of its code");
    a.argumentTexts[0] = needText(root, f, "file", &code);
  } else if (kind != world::act_variable) {
    // The runner compiles these arguments as expressions when the game starts: strings (kind 1,
    // and kind 2 unless quoted) and font strings (15) are taken as they are.
    for (int32_t i = 0; i < a.argumentCount; ++i) {
      const std::string& text = a.argumentTexts[size_t(i)];
      const int32_t k = a.argumentKinds[size_t(i)];
      const bool quoted = !text.empty() && (text[0] == '\'' || text[0] == '"');
      if (k == 1 || k == 15 || (k == 2 && !quoted)) continue;
      code.push_back({text, f.file(), f.field("arguments[" + std::to_string(i) + "]"), true});
    }
  }
  return a;
}

void loadActions(const fs::path& root, const Fields& owner, const char* key, world::CEvent& event,
                 const ResourceNames& names, std::vector<CodeCheck>& code) {
  if (!owner.has(key)) return;
  const json& list = owner.at(key);
  if (!list.is_array()) fail(owner.file(), owner.field(key), "a list of actions is expected");
  for (size_t k = 0; k < list.size(); ++k)
    event.actions.push_back(loadAction(root, Fields(owner.file(), list[k], owner.field(std::string(key) + "[" + std::to_string(k) + "]")), names, code));
}

std::vector<uint8_t> loadObject(const fs::path& root, const Entry& e, const ResourceNames& names, std::vector<CodeCheck>& code) {
  Fields f(e.file, e.j);
  world::CObject o;
  o.sprite = ref(f, "sprite", ChunkId::Sprites, names);
  o.solid = f.boolean("solid", false);
  o.visible = f.boolean("visible", true);
  o.depth = f.integer("depth", 0);
  o.persistent = f.boolean("persistent", false);
  o.parent = ref(f, "parent", ChunkId::Objects, names);
  o.mask = ref(f, "mask", ChunkId::Sprites, names);
  if (f.has("events")) {
    const json& events = f.at("events");
    if (!events.is_array()) fail(e.file, "events", "a list of events is expected");
    for (size_t i = 0; i < events.size(); ++i) {
      Fields ev(e.file, events[i], "events[" + std::to_string(i) + "]");
      if (!ev.has("event")) fail(e.file, ev.field("event"), "the event kind is missing");
      const int32_t kind = enumValue(ev, ev.at("event"), ev.field("event"), kEventKindNames);
      if (kind < 0 || kind >= world::kEventKindCount) fail(e.file, ev.field("event"), "an event kind from 0 to 11 is expected");
      const int32_t number = kind == world::ev_collision ? (ev.has("object") ? ref(ev, "object", ChunkId::Objects, names) : -1)
                                                         : ev.integer("number", 0);
      if (number < 0) fail(e.file, ev.field(kind == world::ev_collision ? "object" : "number"), "the event needs a number from 0 up (a collision event an object)");
      if (o.events[size_t(kind)].count(number)) fail(e.file, ev.field("event"), "the same event is given twice");
      loadActions(root, ev, "actions", *o.eventSlot(kind, number), names, code);
    }
  }
  CStream s;
  world::WriteObjectRecord(s, o);
  return s.bytes();
}

std::vector<uint8_t> loadTimeLine(const fs::path& root, const Entry& e, const ResourceNames& names, std::vector<CodeCheck>& code) {
  Fields f(e.file, e.j);
  world::CTimeLine t;
  if (f.has("moments")) {
    const json& moments = f.at("moments");
    if (!moments.is_array()) fail(e.file, "moments", "a list of moments is expected");
    for (size_t i = 0; i < moments.size(); ++i) {
      Fields m(e.file, moments[i], "moments[" + std::to_string(i) + "]");
      const int32_t step = m.integer("step", 0);
      if (std::find(t.steps.begin(), t.steps.end(), step) != t.steps.end()) fail(e.file, m.field("step"), "the step is given twice");
      loadActions(root, m, "actions", t.MomentAt(step), names, code);
    }
  }
  CStream s;
  world::WriteTimeLineRecord(s, t);
  return s.bytes();
}

std::vector<uint8_t> loadTrigger(const fs::path& root, const Entry& e, std::vector<CodeCheck>& code) {
  Fields f(e.file, e.j);
  world::CTrigger t;
  t.name = e.name;
  if (f.has("moment")) t.moment = enumValue(f, f.at("moment"), "moment", kTriggerMomentNames);
  t.constantName = f.string("constant", "");
  const std::string rel = fs::path(e.file).replace_extension(".txt").generic_string();
  const auto bytes = needFile(root, rel, e.file, "condition");
  t.condition.assign(bytes.begin(), bytes.end());
  code.push_back({t.condition, rel, ""});
  CStream s;
  world::WriteTriggerRecord(s, t);
  return s.bytes();
}

// A list of integers of a fixed length, as [a, b, ...].
template <size_t N>
std::array<int32_t, N> integers(const Fields& f, const char* key, std::array<int32_t, N> def) {
  if (!f.has(key)) return def;
  const json& v = f.at(key);
  if (!v.is_array() || v.size() != N) fail(f.file(), f.field(key), "a list of " + std::to_string(N) + " integers is expected");
  for (size_t i = 0; i < N; ++i) def[i] = f.integerValue(v[i], f.field(key));
  return def;
}

const json& listField(const Fields& f, const char* key, size_t most) {
  const json& v = f.at(key);
  if (!v.is_array() || v.size() > most) fail(f.file(), f.field(key), "a list of at most " + std::to_string(most) + " entries is expected");
  return v;
}

std::vector<uint8_t> loadRoom(const fs::path& root, const Entry& e, const ResourceNames& names, std::vector<CodeCheck>& code) {
  Fields f(e.file, e.j);
  world::CRoom r;
  r.caption = f.string("caption", "");
  r.width = f.integer("width", r.width);
  r.height = f.integer("height", r.height);
  r.speed = f.integer("speed", r.speed);
  r.persistent = f.boolean("persistent", false);
  r.backgroundColor = f.integer("background_color", r.backgroundColor);
  r.drawBackgroundColor = f.boolean("draw_background_color", r.drawBackgroundColor);
  if (f.has("creation_code")) r.creationCode = needText(root, f, "creation_code", &code);
  if (f.has("backgrounds")) {
    const json& layers = listField(f, "backgrounds", world::kRoomLayers);
    for (size_t k = 0; k < layers.size(); ++k) {
      Fields b(e.file, layers[k], "backgrounds[" + std::to_string(k) + "]");
      world::CBack& layer = r.backgrounds[k];
      layer.visible = b.boolean("visible", layer.visible);
      layer.foreground = b.boolean("foreground", layer.foreground);
      layer.index = ref(b, "background", ChunkId::Backgrounds, names);
      layer.x = b.integer("x", 0);
      layer.y = b.integer("y", 0);
      layer.htiled = b.boolean("htiled", layer.htiled);
      layer.vtiled = b.boolean("vtiled", layer.vtiled);
      layer.hspeed = b.integer("hspeed", 0);
      layer.vspeed = b.integer("vspeed", 0);
      layer.stretch = b.boolean("stretch", false);
    }
  }
  r.viewsEnabled = f.boolean("views_enabled", false);
  if (f.has("views")) {
    const json& views = listField(f, "views", world::kRoomLayers);
    for (size_t k = 0; k < views.size(); ++k) {
      Fields v(e.file, views[k], "views[" + std::to_string(k) + "]");
      world::CView& view = r.views[k];
      view.visible = v.boolean("visible", view.visible);
      const auto area = integers<4>(v, "view", {view.xview, view.yview, view.wview, view.hview});
      view.xview = area[0], view.yview = area[1], view.wview = area[2], view.hview = area[3];
      const auto port = integers<4>(v, "port", {view.xport, view.yport, view.wport, view.hport});
      view.xport = port[0], view.yport = port[1], view.wport = port[2], view.hport = port[3];
      const auto border = integers<2>(v, "border", {view.hborder, view.vborder});
      view.hborder = border[0], view.vborder = border[1];
      const auto speed = integers<2>(v, "speed", {view.hspeed, view.vspeed});
      view.hspeed = speed[0], view.vspeed = speed[1];
      view.object = ref(v, "follow", ChunkId::Objects, names);
    }
  }
  if (f.has("instances")) {
    const json& list = listField(f, "instances", 1u << 22);
    for (size_t k = 0; k < list.size(); ++k) {
      Fields in(e.file, list[k], "instances[" + std::to_string(k) + "]");
      if (!in.has("object")) fail(e.file, in.field("object"), "the instance's object is missing");
      auto instance = world::NewInstance(ref(in, "object", ChunkId::Objects, names), in.integer("x", 0), in.integer("y", 0),
                                         in.integer("id", 0));
      if (in.has("creation_code")) instance->creationCode = needText(root, in, "creation_code", &code);
      r.instances.push_back(std::move(instance));
    }
  }
  if (f.has("tiles")) {
    const json& list = listField(f, "tiles", 1u << 22);
    for (size_t k = 0; k < list.size(); ++k) {
      Fields t(e.file, list[k], "tiles[" + std::to_string(k) + "]");
      world::CTile tile;
      tile.x = t.integer("x", 0);
      tile.y = t.integer("y", 0);
      tile.background = ref(t, "background", ChunkId::Backgrounds, names);
      const auto source = integers<4>(t, "source", {0, 0, 0, 0});
      tile.left = source[0], tile.top = source[1], tile.width = source[2], tile.height = source[3];
      tile.depth = t.integer("depth", 0);
      tile.id = t.integer("id", 0);
      r.tiles.push_back(tile);
    }
  }
  CStream s;
  world::WriteRoomRecord(s, r);
  return s.bytes();
}

std::vector<uint8_t> loadIncludedFile(const fs::path& root, const Entry& e) {
  Fields f(e.file, e.j);
  CDataFile d;
  d.fileName = e.name;
  d.sourcePath = f.string("source_path", "");
  if (f.has("data")) {
    const auto bytes = needFile(root, "included_files/" + pathField(f, "data"), e.file, "data");
    d.data = CStream(bytes);
    d.hasData = d.dataFollows = true;
    d.sourceSize = f.integer("source_size", int32_t(bytes.size()));
  } else {
    d.dataFollows = f.boolean("data_follows", false);
    d.sourceSize = f.integer("source_size", 0);
  }
  if (f.has("export")) d.exportKind = enumValue(f, f.at("export"), "export", kExportNames);
  d.exportFolder = f.string("export_folder", "");
  d.overwrite = f.boolean("overwrite", false);
  d.freeAfterExport = f.boolean("free_after_export", true);
  d.removeAtEnd = f.boolean("remove_at_end", true);
  CStream s;
  WriteDataFileRecord(s, d);
  return s.bytes();
}

std::vector<uint8_t> loadExtensionPackage(const fs::path& root, const Entry& e) {
  Fields f(e.file, e.j);
  ExtensionPackage x;
  x.name = e.name;
  x.folder = f.string("folder", "");
  if (f.has("files")) {
    const json& files = f.at("files");
    if (!files.is_array()) fail(e.file, "files", "a list of files is expected");
    for (size_t i = 0; i < files.size(); ++i) {
      Fields ff(e.file, files[i], "files[" + std::to_string(i) + "]");
      ExtensionFile file;
      file.fileName = ff.string("file_name", "");
      file.kind = ff.integer("kind", 0);
      file.initFunction = ff.string("init", "");
      file.finalFunction = ff.string("final", "");
      if (ff.has("functions")) {
        const json& list = listField(ff, "functions", 1u << 16);
        for (size_t k = 0; k < list.size(); ++k) {
          Fields fn(e.file, list[k], ff.field("functions[" + std::to_string(k) + "]"));
          ExtensionFunction function;
          function.name = fn.string("name", "");
          function.externalName = fn.string("external_name", function.name);
          function.callType = fn.integer("call_type", 0);
          function.id = fn.integer("id", 0);
          function.argumentCount = fn.integer("arguments", 0);
          if (fn.has("argument_types")) {
            const json& types = fn.at("argument_types");
            if (!types.is_array() || types.size() > size_t(kExtensionArgumentTypes))
              fail(e.file, fn.field("argument_types"), "a list of at most 17 type numbers is expected");
            for (size_t t = 0; t < types.size(); ++t) function.argumentTypes[t] = fn.integerValue(types[t], fn.field("argument_types"));
          }
          function.resultType = fn.integer("result", 0);
          file.functions.push_back(std::move(function));
        }
      }
      if (ff.has("constants")) {
        const json& list = listField(ff, "constants", 1u << 16);
        for (size_t k = 0; k < list.size(); ++k) {
          Fields c(e.file, list[k], ff.field("constants[" + std::to_string(k) + "]"));
          file.constants.push_back({c.string("name", ""), c.string("value", "")});
        }
      }
      x.files.push_back(std::move(file));
    }
  }
  if (f.has("files_block")) x.filesBlock = needFile(root, "extension_packages/" + pathField(f, "files_block"), e.file, "files_block");
  CStream s;
  WriteExtensionPackage(s, x);
  return s.bytes();
}

std::vector<uint8_t> loadPath(const Entry& e) {
  Fields f(e.file, e.j);
  motion::CPath path;
  if (f.has("kind")) path.kind = enumValue(f, f.at("kind"), "kind", kPathKindNames);
  path.closed = f.boolean("closed", path.closed);
  path.precision = f.integer("precision", path.precision);
  if (path.precision < 0 || path.precision > motion::kMaxPathPrecision) fail(e.file, "precision", "a precision from 0 to 8 is expected");
  if (f.has("points")) {
    const json& points = listField(f, "points", 1u << 22);
    for (size_t i = 0; i < points.size(); ++i) {
      const std::string field = "points[" + std::to_string(i) + "]";
      if (!points[i].is_array() || points[i].size() != 3) fail(e.file, field, "[x, y, speed] is expected");
      // Reals are read through a one-member object so that "nan" and "inf" are taken as everywhere.
      auto real = [&](size_t k) { return Fields(e.file, json{{"v", points[i][k]}}, field).real("v", 0); };
      path.points.push_back({real(0), real(1), real(2)});
    }
  }
  CStream s;
  motion::WritePathRecord(s, path);
  return s.bytes();
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
  bool call(int32_t, world::CInstance*, world::CInstance*, code::RValue&, const code::RValue*, int) override {
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

// Compiles every script with every script name known, as the runner does at start. The compiler's
// message names the line and the position; CRs become line breaks for the terminal.
void checkScripts(const GamePackage& p, const std::map<int32_t, std::string>& files, const std::vector<CodeCheck>& code,
                  std::vector<ProjectError>& errors) {
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
  auto compile = [&](const std::string& text, const std::string& file, const std::string& field = "", bool expression = false) {
    code::ClearRecordedError();
    code::CCode compiled(text, expression);
    if (compiled.Compile()) return;
    errors.push_back({file, field, "does not compile: " + compileMessage(code::errorState().current)});
  };
  for (const auto& [index, file] : files) compile(p.scripts.get(index)->text, file);
  for (size_t i = 0; i < p.library_init_code.size(); ++i)
    if (!p.library_init_code[i].empty()) compile(p.library_init_code[i], "library_init/" + std::to_string(i) + ".txt");
  for (const CodeCheck& c : code)
    if (!c.text.empty()) compile(c.text, c.file, c.field, c.expression);
  code::SetExtensionFunctions(previous);
  code::ClearRecordedError();
  code::ClearScripts();
}

// A room order entry: a room's name, or the index of an entry that names no room in the game.
struct RoomRef {
  std::string name;
  std::optional<int32_t> index;
};

void loadGameJson(const fs::path& root, GamePackage& p, std::vector<RoomRef>& roomOrder,
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
    auto atLeast = [&](ChunkId id, auto&& reserve) {
      const std::string key = KindFolder(id);
      const int32_t n = s.integer(key.c_str(), 0);
      if (n < 0 || n > kMaxResourceIndex + 1)
        fail(file, s.field(key), "a slot count from 0 to " + std::to_string(kMaxResourceIndex + 1) + " is expected");
      reserve(n);
    };
    atLeast(ChunkId::Sprites, [&](int32_t n) { reserveSlots(p.sprites, n); });
    atLeast(ChunkId::Backgrounds, [&](int32_t n) { reserveSlots(p.backgrounds, n); });
    atLeast(ChunkId::Sounds, [&](int32_t n) { reserveSlots(p.sounds, n); });
    atLeast(ChunkId::Scripts, [&](int32_t n) { reserveSlots(p.scripts, n); });
    atLeast(ChunkId::Fonts, [&](int32_t n) { reserveSlots(p.fonts, n); });
    for (ChunkId id : kRawSlotChunks)
      atLeast(id, [&](int32_t n) {
        if (n > 0 && p.raw(id).size() < size_t(n)) p.raw(id).resize(size_t(n));
      });
  });
}

}  // namespace

std::string KindFolder(ChunkId chunk) {
  switch (chunk) {
    case ChunkId::Sprites: return "sprites";
    case ChunkId::Backgrounds: return "backgrounds";
    case ChunkId::Sounds: return "sounds";
    case ChunkId::Scripts: return "scripts";
    case ChunkId::Triggers: return "triggers";
    case ChunkId::Paths: return "paths";
    case ChunkId::Fonts: return "fonts";
    case ChunkId::TimeLines: return "time_lines";
    case ChunkId::Objects: return "objects";
    case ChunkId::Rooms: return "rooms";
    case ChunkId::ExtensionPackages: return "extension_packages";
    case ChunkId::IncludedFiles: return "included_files";
    case ChunkId::GameInformation: return "raw";
    case ChunkId::LibraryInitCode: return "library_init";
    case ChunkId::Constants:
    case ChunkId::RoomOrder: return ".";
  }
  return ".";
}

bool UnpackProject(const GamePackage& package, const fs::path& dir, std::string& failure) {
  std::error_code ec;
  if (fs::exists(dir, ec) && !(fs::is_directory(dir, ec) && fs::is_empty(dir, ec))) {
    failure = dir.string() + ": the folder exists and is not empty";
    return false;
  }
  const fs::path parent = dir.parent_path().empty() ? fs::path(".") : dir.parent_path();
  const fs::path temp = parent / (dir.filename().string() + ".unpacking-" + std::to_string(std::random_device{}()));
  try {
    fs::create_directories(temp);
    unpackInto(package, temp);
    fs::remove(dir, ec);  // the empty folder, if there was one
    fs::rename(temp, dir);
  } catch (const std::exception& e) {
    fs::remove_all(temp, ec);
    failure = e.what();
    return false;
  }
  return true;
}

bool LoadProject(const fs::path& root, GamePackage& p, std::vector<ProjectError>& errors) {
  p = GamePackage{};
  std::vector<RoomRef> roomOrder;
  loadGameJson(root, p, roomOrder, errors);

  auto loadKind = [&](ChunkId id, auto& list, auto load) {
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
  loadKind(ChunkId::Sprites, p.sprites, loadSprite);
  loadKind(ChunkId::Backgrounds, p.backgrounds, loadBackground);
  loadKind(ChunkId::Sounds, p.sounds, loadSound);
  loadKind(ChunkId::Fonts, p.fonts, [&](const fs::path& r, const Entry& e) { return loadFont(r, e, p); });
  std::map<int32_t, std::string> scriptFiles;
  loadKind(ChunkId::Scripts, p.scripts, [&](const fs::path& r, const Entry& e) {
    const std::string rel = "scripts/" + e.stem + ".txt";
    auto bytes = needFile(r, rel, e.file, "text");
    auto s = std::make_unique<code::CScript>();
    s->text.assign(bytes.begin(), bytes.end());
    scriptFiles[e.index] = rel;
    return s;
  });
  // Lists without empty places, in index order: extension packages and included files.
  auto orderedKind = [&](ChunkId id, std::vector<std::vector<uint8_t>>& out, auto load) {
    auto entries = listKind(root, KindFolder(id), true, errors, false);
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.index < b.index; });
    for (const Entry& e : entries) {
      try {
        out.push_back(load(root, e));
      } catch (const Problem& problem) {
        errors.push_back(problem.error);
      }
    }
  };
  orderedKind(ChunkId::ExtensionPackages, p.extension_packages, loadExtensionPackage);
  orderedKind(ChunkId::IncludedFiles, p.included_files, loadIncludedFile);
  // Objects, time lines and rooms refer to each other (and to paths) by name: every name is placed first.
  std::vector<CodeCheck> code;
  std::map<ChunkId, std::vector<Entry>> named;
  for (ChunkId id : {ChunkId::Paths, ChunkId::Objects, ChunkId::TimeLines, ChunkId::Rooms, ChunkId::Triggers}) {
    auto& slots = p.raw(id);
    named[id] = listKind(root, KindFolder(id), true, errors, id != ChunkId::Triggers);
    for (const Entry& e : named[id]) {
      if (slots.size() <= size_t(e.index)) slots.resize(size_t(e.index) + 1);
      slots[size_t(e.index)] = RawSlot{true, id == ChunkId::Triggers ? "" : e.name, {}};
    }
  }
  const ResourceNames names(p);
  for (auto& [id, entries] : named)
    for (const Entry& e : entries) {
      try {
        auto& record = p.raw(id)[size_t(e.index)].record;
        switch (id) {
          case ChunkId::Paths: record = loadPath(e); break;
          case ChunkId::Objects: record = loadObject(root, e, names, code); break;
          case ChunkId::TimeLines: record = loadTimeLine(root, e, names, code); break;
          case ChunkId::Rooms: record = loadRoom(root, e, names, code); break;
          default: record = loadTrigger(root, e, code); break;
        }
      } catch (const Problem& problem) {
        errors.push_back(problem.error);
      }
    }
  // Folders of kinds that an earlier version of the format kept as raw bytes.
  for (const char* old : {"raw/objects", "raw/rooms", "raw/time_lines", "raw/triggers", "raw/paths",
                          "raw/included_files", "raw/extension_packages"}) {
    std::error_code ec;
    if (fs::exists(root / old, ec)) errors.push_back({old, "", "records of this kind now have their own folder: unpack the game again"});
  }
  if (auto info = readFile(root / "raw" / "game_information.bin")) p.game_information = std::move(*info);

  // Room order: names of rooms.
  std::map<std::string, int32_t> rooms;
  for (int32_t i = 0; i < SlotCount(p, ChunkId::Rooms); ++i)
    if (SlotExists(p, ChunkId::Rooms, i)) rooms.emplace(SlotName(p, ChunkId::Rooms, i), i);
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

  checkScripts(p, scriptFiles, code, errors);
  return errors.empty();
}

}  // namespace qv::runner::project
