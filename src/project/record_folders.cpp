#include "project/record_folders.h"

#include <algorithm>
#include <limits>
#include <map>
#include <optional>
#include <set>

#include "motion/path.h"
#include "game/included_files.h"
#include "extensions/extension_package.h"
#include "project/project_files.h"
#include "world/instances.h"
#include "world/object.h"
#include "world/room.h"
#include "world/time_line.h"
#include "world/trigger.h"

namespace qv::project {

using extensions::ExtensionConstant;
using extensions::ExtensionFile;
using extensions::ExtensionFunction;
using extensions::ExtensionPackage;
using extensions::ReadExtensionPackage;
using extensions::WriteExtensionPackage;
using extensions::kExtensionArgumentTypes;
namespace {

// --- unpack ----------------------------------------------------------------------------------------

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
json refJson(const GamePackage& p, data::ChunkId chunk, int32_t index) {
  if (index == -1) return nullptr;
  if (SlotExists(p, chunk, index)) return toUtf8(SlotName(p, chunk, index));
  return index;
}

// Action arguments of these kinds hold a resource index as text; the file names the resource.
std::optional<data::ChunkId> argumentResource(int32_t kind) {
  switch (kind) {
    case 5: return data::ChunkId::Sprites;
    case 6: return data::ChunkId::Sounds;
    case 7: return data::ChunkId::Backgrounds;
    case 8: return data::ChunkId::Paths;
    case 9: return data::ChunkId::Scripts;
    case 10: return data::ChunkId::Objects;
    case 11: return data::ChunkId::Rooms;
    case 12: return data::ChunkId::Fonts;
    case 14: return data::ChunkId::TimeLines;
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

// The names of the resource kinds of action arguments, as a call's argument names them
// (`{"sprite": "spr_ball"}`).
constexpr std::pair<int32_t, const char*> kArgumentResourceNames[] = {
    {5, "sprite"}, {6, "sound"}, {7, "background"}, {8, "path"}, {9, "script"},
    {10, "object"}, {11, "room"}, {12, "font"}, {14, "time_line"},
};

// A function action written the way an author writes it: `"call"` (or `"if"` for a question) with
// the function's name and `"args"` as JSON values. Only the normal actions that execute a function
// take this form; everything they hold besides the call is written as in the general form.
bool writtenAsCall(const world::CAction& a) {
  return a.kind == world::act_normal && a.executionType == world::exec_function && !a.functionName.empty() &&
         a.code.empty();
}

// One argument of a call: a JSON string is a string argument (kind 1), a number an expression that
// is that number, {"expr": TEXT} any other expression, {"sprite": NAME} (and the other resource
// kinds) a resource by name; anything else keeps {"kind", "text"}. Each form is chosen only when
// it gives back the same kind and text.
json callArgumentJson(const GamePackage& p, int32_t kind, const std::string& text) {
  if (kind == 1) return toUtf8(text);
  if (kind == 0) {
    const json number = json::parse(text, nullptr, false);
    if (!number.is_discarded() && number.is_number() && number.dump() == text) return number;
    return json{{"expr", toUtf8(text)}};
  }
  for (const auto& [k, name] : kArgumentResourceNames) {
    if (k != kind) continue;
    const auto chunk = argumentResource(kind);
    const bool index = !text.empty() && text.size() < 6 && text.find_first_not_of("0123456789") == std::string::npos &&
                       std::to_string(std::stoi(text)) == text;
    if (chunk && index && SlotExists(p, *chunk, std::stoi(text))) return json{{name, toUtf8(SlotName(p, *chunk, std::stoi(text)))}};
  }
  return json{{"kind", kind}, {"text", toUtf8(text)}};
}

json callJson(const GamePackage& p, const world::CAction& a) {
  json j;
  j[a.isQuestion ? "if" : "call"] = toUtf8(a.functionName);
  size_t used = 0;
  for (size_t i = 0; i < size_t(world::kMaxActionArguments); ++i)
    if (a.argumentKinds[i] != 0 || !a.argumentTexts[i].empty()) used = i + 1;
  const size_t shown = std::max(used, size_t(std::clamp(a.argumentCount, 0, world::kMaxActionArguments)));
  json args = json::array();
  for (size_t i = 0; i < shown; ++i) args.push_back(callArgumentJson(p, a.argumentKinds[i], a.argumentTexts[i]));
  j["args"] = args;
  if (size_t(a.argumentCount) != shown) j["argument_count"] = a.argumentCount;
  if (a.relative) j["relative"] = true;
  if (a.negate) j["not"] = true;
  if (a.appliesTo == -2) j["applies_to"] = "other";
  else if (a.appliesTo != -1) j["applies_to"] = refJson(p, data::ChunkId::Objects, a.appliesTo);
  if (a.libraryId != 0) j["library"] = a.libraryId;
  if (a.actionId != 0) j["action"] = a.actionId;
  if (a.mayBeRelative != a.relative) j["may_be_relative"] = a.mayBeRelative;
  if (!a.appliesToSomething) j["applies_to_something"] = false;
  return j;
}

// One action as JSON, fields equal to their defaults left out. A code action's code goes to the
// text file `codeFile` (relative to the project folder). A function call is written as a call; a
// block mark or exit that is nothing but its kind as the kind's name alone ("begin").
json actionJson(const GamePackage& p, const world::CAction& a, const fs::path& root, const std::string& codeFile) {
  if (writtenAsCall(a)) return callJson(p, a);
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
  else if (a.appliesTo != -1) j["applies_to"] = refJson(p, data::ChunkId::Objects, a.appliesTo);  // -1 is self
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
  const bool mark = a.kind == world::act_begin || a.kind == world::act_end || a.kind == world::act_else || a.kind == world::act_exit;
  if (mark && j.size() == 1) return j["kind"];
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
  data::CStream s(slot.record);
  bool ok = false;
  try {
    ok = read(s, out);
  } catch (const data::StreamError&) {
  }
  if (!ok) throw std::runtime_error(what + ": the record is not readable");
  return out;
}

void unpackPaths(const GamePackage& p, const fs::path& root) {
  StemPicker stems;
  const auto& slots = p.raw(data::ChunkId::Paths);
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
  const auto& slots = p.raw(data::ChunkId::Objects);
  for (int32_t i = 0; i < int32_t(slots.size()); ++i) {
    if (!slots[size_t(i)].exists) continue;
    const std::string& name = slots[size_t(i)].name;
    const std::string stem = toUtf8(stems.pick(name, i));
    const auto o = readRecord<world::CObject>(slots[size_t(i)], world::ReadObjectRecord, "object " + toUtf8(name));
    json j;
    j["index"] = i;
    if (stem != toUtf8(name)) j["name"] = toUtf8(name);
    j["sprite"] = refJson(p, data::ChunkId::Sprites, o.sprite);
    j["solid"] = o.solid;
    j["visible"] = o.visible;
    j["depth"] = o.depth;
    j["persistent"] = o.persistent;
    j["parent"] = refJson(p, data::ChunkId::Objects, o.parent);
    j["mask"] = refJson(p, data::ChunkId::Sprites, o.mask);
    json events = json::array();
    for (size_t kind = 0; kind < o.events.size(); ++kind)
      for (const auto& [number, e] : o.events[kind]) {
        if (!e) continue;
        json ev;
        ev["event"] = kEventKindNames[kind];
        if (kind == world::ev_collision) ev["object"] = refJson(p, data::ChunkId::Objects, number);
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
  const auto& slots = p.raw(data::ChunkId::TimeLines);
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
  const auto& slots = p.raw(data::ChunkId::Triggers);
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
  const auto& slots = p.raw(data::ChunkId::Rooms);
  for (int32_t i = 0; i < int32_t(slots.size()); ++i) {
    if (!slots[size_t(i)].exists) continue;
    const std::string& name = slots[size_t(i)].name;
    const std::string stem = toUtf8(stems.pick(name, i));
    world::CRoom r;
    data::CStream s(slots[size_t(i)].record);
    bool ok = false;
    try {
      ok = world::ReadRoomRecord(s, r);
    } catch (const data::StreamError&) {
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
      layers.push_back({{"visible", b.visible}, {"foreground", b.foreground}, {"background", refJson(p, data::ChunkId::Backgrounds, b.index)},
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
                       {"speed", {v.hspeed, v.vspeed}}, {"follow", refJson(p, data::ChunkId::Objects, v.object)}});
    }
    j["views"] = views;
    json instances = json::array();
    std::set<std::string> codeFiles;
    for (const auto& in : r.instances) {
      json o = {{"x", int32_t(in->x)}, {"y", int32_t(in->y)}, {"object", refJson(p, data::ChunkId::Objects, in->objectIndex)}, {"id", in->id}};
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
      tiles.push_back({{"x", int32_t(t.x)}, {"y", int32_t(t.y)}, {"background", refJson(p, data::ChunkId::Backgrounds, t.background)},
                       {"source", {t.left, t.top, t.width, t.height}}, {"depth", int32_t(t.depth)}, {"id", t.id}});
    j["tiles"] = tiles;
    writeJson(root / "rooms" / (stem + ".json"), j);
  }
}

void unpackIncludedFiles(const GamePackage& p, const fs::path& root) {
  StemPicker stems;
  for (size_t i = 0; i < p.included_files.size(); ++i) {
    game::CDataFile f;
    data::CStream s(p.included_files[i]);
    bool ok = false;
    try {
      ok = game::ReadDataFileRecord(s, f);
    } catch (const data::StreamError&) {
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
    data::CStream s(p.extension_packages[i]);
    bool ok = false;
    try {
      ok = ReadExtensionPackage(s, x);
    } catch (const data::StreamError&) {
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

// --- load ------------------------------------------------------------------------------------------


// Every resource's index by kind and name, for the references between files.
class ResourceNames {
 public:
  // A resource whose files are broken keeps its name in its slot (the slot itself stays empty),
  // so that references to it add no second error.
  explicit ResourceNames(const GamePackage& p) {
    add(data::ChunkId::Sprites, p.sprites);
    add(data::ChunkId::Backgrounds, p.backgrounds);
    add(data::ChunkId::Sounds, p.sounds);
    add(data::ChunkId::Scripts, p.scripts);
    add(data::ChunkId::Fonts, p.fonts);
    for (data::ChunkId id : {data::ChunkId::Paths, data::ChunkId::TimeLines, data::ChunkId::Objects, data::ChunkId::Rooms})
      for (size_t i = 0; i < p.raw(id).size(); ++i)
        if (p.raw(id)[i].exists) byName_[size_t(id)].emplace(p.raw(id)[i].name, int32_t(i));
  }
  int32_t find(data::ChunkId chunk, const std::string& name) const {
    const auto& names = byName_[size_t(chunk)];
    auto it = names.find(name);
    return it == names.end() ? -1 : it->second;
  }

 private:
  // Slots with a resource, and broken ones (no resource, but the name kept); a resource may have
  // an empty name.
  template <class T>
  void add(data::ChunkId chunk, const graphics::ResourceList<T>& list) {
    for (int32_t i = 0; i < list.count(); ++i)
      if (list.exists(i) || !list.names[size_t(i)].empty()) byName_[size_t(chunk)].emplace(list.names[size_t(i)], i);
  }
  std::array<std::map<std::string, int32_t>, data::kChunkCount> byName_;
};

std::string kindWord(data::ChunkId chunk) {
  switch (chunk) {
    case data::ChunkId::Sprites: return "sprite";
    case data::ChunkId::Sounds: return "sound";
    case data::ChunkId::Backgrounds: return "background";
    case data::ChunkId::Paths: return "path";
    case data::ChunkId::Scripts: return "script";
    case data::ChunkId::Fonts: return "font";
    case data::ChunkId::TimeLines: return "time line";
    case data::ChunkId::Objects: return "object";
    case data::ChunkId::Rooms: return "room";
    default: return "resource";
  }
}

// A reference: null is none (-1), a number is an index kept as it is, a string names a resource.
int32_t refValue(const Fields& f, const json& v, const std::string& field, data::ChunkId chunk, const ResourceNames& names) {
  if (v.is_null()) return -1;
  if (v.is_number_integer()) return f.integerValue(v, field);
  const std::string name = f.stringValue(v, field);
  const int32_t index = names.find(chunk, name);
  if (index < 0) fail(f.file(), field, "there is no " + kindWord(chunk) + " named \"" + toUtf8(name) + "\"");
  return index;
}

int32_t ref(const Fields& f, const char* key, data::ChunkId chunk, const ResourceNames& names) {
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

// The arguments of a call (see callArgumentJson).
void loadCallArguments(const Fields& f, world::CAction& a, const ResourceNames& names, std::vector<CodeCheck>& code) {
  if (!f.has("args")) return;
  const json& args = f.at("args");
  if (!args.is_array() || args.size() > size_t(world::kMaxActionArguments))
    fail(f.file(), f.field("args"), "a list of at most 8 arguments is expected");
  for (size_t i = 0; i < args.size(); ++i) {
    const json& v = args[i];
    const std::string name = f.field("args[" + std::to_string(i) + "]");
    int32_t& kind = a.argumentKinds[i];
    std::string& text = a.argumentTexts[i];
    if (v.is_string()) {
      kind = 1;
      text = f.stringValue(v, name);
      continue;
    }
    if (v.is_number()) {
      kind = 0;
      text = v.dump();
      continue;
    }
    if (!v.is_object()) fail(f.file(), name, "a string, a number or an object is expected");
    Fields af(f.file(), v, name);
    bool resource = false;
    for (const auto& [k, key] : kArgumentResourceNames) {
      if (!af.has(key)) continue;
      kind = k;
      text = std::to_string(refValue(af, af.at(key), af.field(key), *argumentResource(k), names));
      resource = true;
    }
    if (resource) continue;
    if (af.has("expr")) {
      kind = 0;
      text = af.string("expr", "");
    } else {
      if (!af.has("kind")) fail(f.file(), name, "an argument object names \"expr\", a resource kind, or \"kind\" and \"text\"");
      kind = af.integer("kind", 0);
      text = af.string("text", "");
    }
    const bool quoted = !text.empty() && (text[0] == '\'' || text[0] == '"');
    if (kind != 1 && kind != 15 && !(kind == 2 && !quoted) && i < size_t(std::max(0, a.argumentCount)))
      code.push_back({text, f.file(), name, true});
  }
}

world::CAction loadCall(const Fields& f, const ResourceNames& names, std::vector<CodeCheck>& code) {
  world::CAction a = actionDefaults(world::act_normal);
  a.executionType = world::exec_function;
  a.isQuestion = f.has("if");
  const char* key = a.isQuestion ? "if" : "call";
  if (f.has("if") && f.has("call")) fail(f.file(), f.field("call"), "an action is either a call or a question (\"if\")");
  a.functionName = f.string(key, "");
  if (a.functionName.empty()) fail(f.file(), f.field(key), "the name of a function is expected");
  code.push_back({a.functionName, f.file(), f.field(key), false, true});
  a.libraryId = f.integer("library", 0);
  a.actionId = f.integer("action", 0);
  a.relative = f.boolean("relative", false);
  a.negate = f.boolean("not", false);
  a.mayBeRelative = f.boolean("may_be_relative", a.relative);
  a.appliesToSomething = f.boolean("applies_to_something", true);
  if (f.has("applies_to")) {
    const json& v = f.at("applies_to");
    a.appliesTo = v == "self" ? -1 : v == "other" ? -2 : refValue(f, v, f.field("applies_to"), data::ChunkId::Objects, names);
  }
  const size_t given = f.has("args") && f.at("args").is_array() ? f.at("args").size() : 0;
  a.argumentCount = f.integer("argument_count", int32_t(given));
  if (a.argumentCount < 0 || a.argumentCount > world::kMaxActionArguments)
    fail(f.file(), f.field("argument_count"), "a count from 0 to 8 is expected");
  loadCallArguments(f, a, names, code);
  return a;
}

world::CAction loadAction(const fs::path& root, const Fields& f, const ResourceNames& names, std::vector<CodeCheck>& code) {
  if (f.has("call") || f.has("if")) return loadCall(f, names, code);
  const int32_t kind = f.has("kind") ? enumValue(f, f.at("kind"), f.field("kind"), kActionKindNames) : world::act_normal;
  world::CAction a = actionDefaults(kind);
  a.libraryId = f.integer("library", a.libraryId);
  a.actionId = f.integer("action", a.actionId);
  if (f.has("execution")) a.executionType = enumValue(f, f.at("execution"), f.field("execution"), kExecutionNames);
  a.functionName = f.string("function", "");
  if (a.executionType == world::exec_function && !a.functionName.empty())
    code.push_back({a.functionName, f.file(), f.field("function"), false, true});
  a.code = f.string("code", "");
  // A code action without a file holds its code inline in "code"; with a file, "code" is the
  // action record's own code field, kept as it was.
  const bool inlineCode = kind == world::act_code && !f.has("file");
  if (!a.code.empty() && a.executionType == world::exec_code && !inlineCode) code.push_back({a.code, f.file(), f.field("code")});
  a.mayBeRelative = f.boolean("may_be_relative", a.mayBeRelative);
  a.isQuestion = f.boolean("question", a.isQuestion);
  a.appliesToSomething = f.boolean("applies_to_something", a.appliesToSomething);
  if (f.has("applies_to")) {
    const json& v = f.at("applies_to");
    a.appliesTo = v == "self" ? -1 : v == "other" ? -2 : refValue(f, v, f.field("applies_to"), data::ChunkId::Objects, names);
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
  if (inlineCode) {
    if (!f.has("code")) fail(f.file(), f.field("file"), "a code action holds its code in \"code\" or names the text file of its code in \"file\"");
    a.argumentTexts[0] = a.code;
    a.code.clear();
    code.push_back({a.argumentTexts[0], f.file(), f.field("code")});
  } else if (kind == world::act_code) {
    a.argumentTexts[0] = needText(root, f, "file", &code);
  } else if (kind == world::act_variable) {
    // The runner makes the code "variable = value" (or "+=" when relative): the name is checked as
    // the target of an assignment, the value as an expression.
    if (a.argumentTexts[1].empty()) {
      code.push_back({a.argumentTexts[0] + " = ", f.file(), f.field("arguments")});  // as the runner compiles it
    } else {
      code.push_back({a.argumentTexts[0] + " = 0", f.file(), f.field("arguments[0]")});
      code.push_back({a.argumentTexts[1], f.file(), f.field("arguments[1]"), true});
    }
  } else {
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
  for (size_t k = 0; k < list.size(); ++k) {
    const std::string field = owner.field(std::string(key) + "[" + std::to_string(k) + "]");
    // A block mark or exit may be written as its kind's name alone.
    if (list[k].is_string()) {
      const json whole = json{{"kind", list[k]}};
      event.actions.push_back(loadAction(root, Fields(owner.file(), whole, field), names, code));
      continue;
    }
    event.actions.push_back(loadAction(root, Fields(owner.file(), list[k], field), names, code));
  }
}

std::vector<uint8_t> loadObject(const fs::path& root, const Entry& e, const ResourceNames& names, std::vector<CodeCheck>& code) {
  Fields f(e.file, e.j);
  world::CObject o;
  o.sprite = ref(f, "sprite", data::ChunkId::Sprites, names);
  o.solid = f.boolean("solid", false);
  o.visible = f.boolean("visible", true);
  o.depth = f.integer("depth", 0);
  o.persistent = f.boolean("persistent", false);
  o.parent = ref(f, "parent", data::ChunkId::Objects, names);
  o.mask = ref(f, "mask", data::ChunkId::Sprites, names);
  if (f.has("events")) {
    const json& events = f.at("events");
    if (!events.is_array()) fail(e.file, "events", "a list of events is expected");
    for (size_t i = 0; i < events.size(); ++i) {
      Fields ev(e.file, events[i], "events[" + std::to_string(i) + "]");
      if (!ev.has("event")) fail(e.file, ev.field("event"), "the event kind is missing");
      const int32_t kind = enumValue(ev, ev.at("event"), ev.field("event"), kEventKindNames);
      if (kind < 0 || kind >= world::kEventKindCount) fail(e.file, ev.field("event"), "an event kind from 0 to 11 is expected");
      const int32_t number = kind == world::ev_collision ? (ev.has("object") ? ref(ev, "object", data::ChunkId::Objects, names) : -1)
                                                         : ev.integer("number", 0);
      if (number < 0) fail(e.file, ev.field(kind == world::ev_collision ? "object" : "number"), "the event needs a number from 0 up (a collision event an object)");
      if (o.events[size_t(kind)].count(number)) fail(e.file, ev.field("event"), "the same event is given twice");
      loadActions(root, ev, "actions", *o.eventSlot(kind, number), names, code);
    }
  }
  data::CStream s;
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
  data::CStream s;
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
  data::CStream s;
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

// The ids of the rooms' instances and tiles: those placed so far, and the last id handed to one
// that has none.
struct RoomIds {
  PlacedIds& placed;
  int32_t lastInstance;
  int32_t lastTile;
};

// The largest integer "id" among the entries of the rooms' list `key` (or `floor`).
int32_t largestId(const std::vector<Entry>& rooms, const char* key, int32_t floor) {
  int32_t largest = floor;
  for (const Entry& e : rooms) {
    if (!e.j.is_object() || !e.j.contains(key) || !e.j.at(key).is_array()) continue;
    for (const json& item : e.j.at(key))
      if (item.is_object() && item.contains("id") && item.at("id").is_number_integer()) {
        const int64_t id = item.at("id").get<int64_t>();
        if (id > largest && id <= std::numeric_limits<int32_t>::max()) largest = int32_t(id);
      }
  }
  return largest;
}

std::vector<uint8_t> loadRoom(const fs::path& root, const Entry& e, const ResourceNames& names, std::vector<CodeCheck>& code,
                              RoomIds& ids) {
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
      layer.index = ref(b, "background", data::ChunkId::Backgrounds, names);
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
      view.object = ref(v, "follow", data::ChunkId::Objects, names);
    }
  }
  if (f.has("instances")) {
    const json& list = listField(f, "instances", 1u << 22);
    for (size_t k = 0; k < list.size(); ++k) {
      Fields in(e.file, list[k], "instances[" + std::to_string(k) + "]");
      if (!in.has("object")) fail(e.file, in.field("object"), "the instance's object is missing");
      const int32_t id = in.has("id") ? in.integer("id", 0) : ++ids.lastInstance;
      ids.placed.instances.push_back({e.file, in.field("id"), id});
      auto instance = world::NewInstance(ref(in, "object", data::ChunkId::Objects, names), in.integer("x", 0), in.integer("y", 0), id);
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
      tile.background = ref(t, "background", data::ChunkId::Backgrounds, names);
      const auto source = integers<4>(t, "source", {0, 0, 0, 0});
      tile.left = source[0], tile.top = source[1], tile.width = source[2], tile.height = source[3];
      tile.depth = t.integer("depth", 0);
      tile.id = t.has("id") ? t.integer("id", 0) : ++ids.lastTile;
      ids.placed.tiles.push_back({e.file, t.field("id"), tile.id});
      r.tiles.push_back(tile);
    }
  }
  data::CStream s;
  world::WriteRoomRecord(s, r);
  return s.bytes();
}

std::vector<uint8_t> loadIncludedFile(const fs::path& root, const Entry& e) {
  Fields f(e.file, e.j);
  game::CDataFile d;
  d.fileName = e.name;
  d.sourcePath = f.string("source_path", "");
  if (f.has("data")) {
    const auto bytes = needFile(root, "included_files/" + pathField(f, "data"), e.file, "data");
    d.data = data::CStream(bytes);
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
  data::CStream s;
  game::WriteDataFileRecord(s, d);
  return s.bytes();
}

std::vector<uint8_t> loadExtensionPackage(const fs::path& root, const Entry& e) {
  Fields f(e.file, e.j);
  ExtensionPackage x;
  x.name = e.name;
  x.folder = f.string("folder", "");
  // Files given by source (a file under extension_packages/) make the files block at build.
  std::vector<std::vector<uint8_t>> sources;
  bool fromSources = false;
  if (f.has("files")) {
    const json& files = f.at("files");
    if (!files.is_array()) fail(e.file, "files", "a list of files is expected");
    for (size_t i = 0; i < files.size(); ++i) {
      Fields ff(e.file, files[i], "files[" + std::to_string(i) + "]");
      ExtensionFile file;
      file.fileName = ff.string("file_name", "");
      file.kind = ff.integer("kind", 0);
      if (ff.has("source")) {
        fromSources = true;
        sources.push_back(needFile(root, "extension_packages/" + pathField(ff, "source"), e.file, ff.field("source")));
      } else if (file.kind != 3) {
        sources.emplace_back();
      }
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
  if (f.has("files_block")) {
    if (fromSources) fail(e.file, "files_block", "a package takes its files from a files block or from sources, not both");
    x.filesBlock = needFile(root, "extension_packages/" + pathField(f, "files_block"), e.file, "files_block");
  } else if (fromSources) {
    uint32_t seed = 0;
    for (const char c : x.name) seed = seed * 31 + static_cast<unsigned char>(c);
    x.filesBlock = extensions::PackFilesBlock(sources, int32_t(1000 + seed % 100000));
  }
  data::CStream s;
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
  data::CStream s;
  motion::WritePathRecord(s, path);
  return s.bytes();
}

}  // namespace

void UnpackRecordFolders(const GamePackage& p, const fs::path& root) {
  unpackPaths(p, root);
  unpackObjects(p, root);
  unpackTimeLines(p, root);
  unpackTriggers(p, root);
  unpackRooms(p, root);
  unpackIncludedFiles(p, root);
  unpackExtensionPackages(p, root);
}

std::vector<std::string> TriggerConstantNames(const GamePackage& p) {
  std::vector<std::string> out;
  for (const RawSlot& slot : p.raw(data::ChunkId::Triggers)) {
    if (!slot.exists || slot.record.empty()) continue;
    data::CStream s(slot.record);
    world::CTrigger t;
    try {
      if (world::ReadTriggerRecord(s, t) && !t.constantName.empty()) out.push_back(t.constantName);
    } catch (const std::exception&) {
    }
  }
  return out;
}

void LoadRecordFolders(const fs::path& root, GamePackage& p, std::vector<CodeCheck>& code, PlacedIds& placed,
                       std::vector<ProjectError>& errors) {
  // Lists without empty places, in index order: extension packages and included files.
  auto orderedKind = [&](data::ChunkId id, std::vector<std::vector<uint8_t>>& out, auto load) {
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
  orderedKind(data::ChunkId::ExtensionPackages, p.extension_packages, loadExtensionPackage);
  orderedKind(data::ChunkId::IncludedFiles, p.included_files, loadIncludedFile);
  // Objects, time lines and rooms refer to each other (and to paths) by name: every name is placed first.
  std::map<data::ChunkId, std::vector<Entry>> named;
  for (data::ChunkId id : {data::ChunkId::Paths, data::ChunkId::Objects, data::ChunkId::TimeLines, data::ChunkId::Rooms, data::ChunkId::Triggers}) {
    auto& slots = p.raw(id);
    named[id] = listKind(root, KindFolder(id), true, errors, id != data::ChunkId::Triggers);
    for (const Entry& e : named[id]) {
      if (slots.size() <= size_t(e.index)) slots.resize(size_t(e.index) + 1);
      slots[size_t(e.index)] = RawSlot{true, id == data::ChunkId::Triggers ? "" : e.name, {}};
    }
  }
  const ResourceNames names(p);
  std::vector<Entry>& rooms = named[data::ChunkId::Rooms];
  std::stable_sort(rooms.begin(), rooms.end(), [](const Entry& a, const Entry& b) { return a.index < b.index; });
  RoomIds ids{placed, largestId(rooms, "instances", 100000), largestId(rooms, "tiles", 10000000)};
  for (auto& [id, entries] : named)
    for (const Entry& e : entries) {
      try {
        auto& record = p.raw(id)[size_t(e.index)].record;
        switch (id) {
          case data::ChunkId::Paths: record = loadPath(e); break;
          case data::ChunkId::Objects: record = loadObject(root, e, names, code); break;
          case data::ChunkId::TimeLines: record = loadTimeLine(root, e, names, code); break;
          case data::ChunkId::Rooms: record = loadRoom(root, e, names, code, ids); break;
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
}

}  // namespace qv::project
