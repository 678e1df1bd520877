// Sections: the model table; the model file; drawing from the device's memory.
#include "graphics/d3d_model.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string_view>

#include "code/rounding.h"
#include "graphics/colour.h"
#include "graphics/d3d.h"
#include "graphics/d3dx.h"
#include "graphics/display.h"
#include "graphics/draw_state.h"
#include "graphics/texture_table.h"

namespace qv::graphics {

using platform::Vertex;

// --- the model table -----------------------------------------------------------------------------

namespace {

std::vector<std::unique_ptr<C3DModel>>& models() {
  static std::vector<std::unique_ptr<C3DModel>> table;
  return table;
}

void ForgetDeviceCopy(ModelCache& cache) {
  platform::Device* device = textures().device();
  if (cache.buffer && device && cache.generation == textures().generation()) device->freeVertexBuffer(cache.buffer);
  cache = ModelCache();
}

}  // namespace

C3DModel::~C3DModel() { ForgetDeviceCopy(cache); }

void C3DModel::append(const ModelEntry& entry) {
  if (entries.size() == entries.capacity()) entries.reserve(entries.size() + 32);
  entries.push_back(entry);
  changed();
}

void C3DModel::clear() {
  entries.clear();
  changed();
}

void C3DModel::changed() { ForgetDeviceCopy(cache); }

int ModelCreate() {
  auto& table = models();
  for (size_t i = 0; i < table.size(); ++i) {
    if (!table[i]) {
      table[i] = std::make_unique<C3DModel>();
      return int(i);
    }
  }
  if (table.size() == table.capacity()) table.reserve(table.size() + 16);
  table.push_back(std::make_unique<C3DModel>());
  return int(table.size() - 1);
}

void ModelDestroy(int id) {
  if (GetModel(id)) models()[size_t(id)].reset();
}

C3DModel* GetModel(int id) {
  auto& table = models();
  if (id < 0 || size_t(id) >= table.size()) return nullptr;
  return table[size_t(id)].get();
}

int ModelSlotCount() { return int(models().size()); }

void DestroyAllModels() { models().clear(); }

// --- the model file ------------------------------------------------------------------------------

std::string ModelValueText(double v) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
  char buffer[64];
  if (std::fabs(v) >= 1e10) {
    std::snprintf(buffer, sizeof buffer, "%.14E", v);
  } else {
    std::snprintf(buffer, sizeof buffer, "%.4f", v);
  }
  return buffer;
}

std::string ModelFileText(const std::vector<ModelEntry>& entries) {
  std::string text = "100\r\n" + std::to_string(entries.size()) + "\r\n";
  for (const ModelEntry& e : entries) {
    text += std::to_string(e.kind);
    for (double v : e.e) text += " " + ModelValueText(v);
    text += "\r\n";
  }
  return text;
}

namespace {

// Text read as the Pascal reader does: numbers separated by blanks or line ends, a line's rest
// skipped on request.
class ModelReader {
 public:
  ModelReader(const uint8_t* data, size_t size) : p_(reinterpret_cast<const char*>(data)), end_(p_ + size) {}

  bool integer(int64_t& out) {
    std::string_view t = token();
    if (t.empty()) return false;
    if (t.front() == '+') t.remove_prefix(1);
    auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), out);
    return ec == std::errc() && ptr == t.data() + t.size();
  }
  // A finite real: NaN, infinities and values beyond double's range are read errors.
  bool real(double& out) {
    std::string_view t = token();
    if (t.empty()) return false;
    if (t.front() == '+') t.remove_prefix(1);
    if (t.empty() || !(std::isdigit(uint8_t(t.front())) || t.front() == '-' || t.front() == '.')) return false;
    auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), out, std::chars_format::general);
    return ec == std::errc() && ptr == t.data() + t.size() && std::isfinite(out);
  }
  void skipLine() {
    while (p_ < end_ && *p_ != '\n') ++p_;
    if (p_ < end_) ++p_;
  }

 private:
  static bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
  std::string_view token() {
    while (p_ < end_ && blank(*p_)) ++p_;
    const char* start = p_;
    while (p_ < end_ && !blank(*p_)) ++p_;
    return std::string_view(start, size_t(p_ - start));
  }
  const char* p_;
  const char* end_;
};

}  // namespace

size_t MaxModelEntries(size_t size) {
  // An entry takes at least 22 bytes ("0" and ten " 0", a line end); a file announcing more than
  // its size can hold gets a zero-filled tail of at most 1024 entries.
  return size / 22 + 1024;
}

ModelRead ReadModelText(const uint8_t* data, size_t size, std::vector<ModelEntry>& entries) {
  entries.clear();
  ModelReader r(data, size);
  int64_t version = 0;
  if (!r.integer(version) || version != 100) return ModelRead::BadVersion;
  r.skipLine();
  int64_t count = 0;
  if (!r.integer(count)) return ModelRead::Failed;
  if (count < 0 || uint64_t(count) > MaxModelEntries(size)) return ModelRead::CountRefused;
  r.skipLine();
  entries.assign(size_t(count), ModelEntry());
  for (ModelEntry& e : entries) {
    int64_t kind = 0;
    if (!r.integer(kind) || kind < INT32_MIN || kind > INT32_MAX) return ModelRead::Failed;
    ModelEntry read;
    read.kind = int32_t(kind);
    for (double& v : read.e)
      if (!r.real(v)) return ModelRead::Failed;
    e = read;
    r.skipLine();
  }
  return ModelRead::Read;
}

bool ModelSave(const C3DModel& m, const std::string& hostPath) {
  std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  const std::string text = ModelFileText(m.entries);
  out.write(text.data(), std::streamsize(text.size()));
  return bool(out);
}

void ModelLoad(C3DModel& m, const std::string& hostPath) {
  m.clear();
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) return;
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ReadModelText(bytes.data(), bytes.size(), m.entries);
  m.changed();
}

// --- drawing from the device's memory ------------------------------------------------------------

namespace {

void AddRun(std::vector<ModelRun>& runs, platform::PrimitiveType type, int first, int count, bool shape) {
  if (count <= 0) return;
  if (!runs.empty() && runs.back().type == type && runs.back().shape == shape &&
      runs.back().first + runs.back().count == first) {
    runs.back().count += count;
    return;
  }
  runs.push_back(ModelRun{type, first, count, shape});
}

void Append(std::vector<Vertex>& out, std::vector<ModelRun>& runs, int kind, const Vertex* v, int n, bool shape) {
  const int used = UsedVertices(kind, n);
  if (used == 0) return;
  const auto type = platform::PrimitiveType(kind);
  const int first = int(out.size());
  platform::AppendAsList(type, v, used, out);
  AddRun(runs, platform::ListTypeOf(type), first, int(out.size()) - first, shape);
}

}  // namespace

void BuildModelVertices(const std::vector<ModelEntry>& entries, uint32_t colour, std::vector<Vertex>& out,
                        std::vector<ModelRun>& runs) {
  out.clear();
  runs.clear();
  int kind = 0;
  std::vector<Vertex> buffer;
  const auto vertex = [&](const Vertex& v) {
    if (int(buffer.size()) < kMax3DVertices) buffer.push_back(v);
  };
  const auto col = [](double c, double a) { return ScriptToDevice(code::roundToInt32(c), a); };
  const auto steps = [](double s) { return ShapeSteps(code::roundToInt32(s)); };
  for (const ModelEntry& en : entries) {
    const auto& e = en.e;
    const Box3D box{e[0], e[1], e[2], e[3], e[4], e[5]};
    Shape shape;
    switch (en.kind) {
      case 0:
        kind = code::roundToInt32(e[0]);
        buffer.clear();
        break;
      case 1: Append(out, runs, kind, buffer.data(), int(buffer.size()), false); break;
      case 2: vertex(Vertex3D(e[0], e[1], e[2], 0, 0, 0, colour, 0, 0)); break;
      case 3: vertex(Vertex3D(e[0], e[1], e[2], 0, 0, 0, col(e[3], e[4]), 0, 0)); break;
      case 4: vertex(Vertex3D(e[0], e[1], e[2], 0, 0, 0, colour, e[3], e[4])); break;
      case 5: vertex(Vertex3D(e[0], e[1], e[2], 0, 0, 0, col(e[5], e[6]), e[3], e[4])); break;
      case 6: vertex(Vertex3D(e[0], e[1], e[2], e[3], e[4], e[5], colour, 0, 0)); break;
      case 7: vertex(Vertex3D(e[0], e[1], e[2], e[3], e[4], e[5], col(e[6], e[7]), 0, 0)); break;
      case 8: vertex(Vertex3D(e[0], e[1], e[2], e[3], e[4], e[5], colour, e[6], e[7])); break;
      case 9: vertex(Vertex3D(e[0], e[1], e[2], e[3], e[4], e[5], col(e[8], e[9]), e[6], e[7])); break;
      case 10: shape = BlockShape(box, e[6], e[7], colour); break;
      case 11: shape = CylinderShape(box, e[6], e[7], e[8] >= 0.5, steps(e[9]), colour); break;
      case 12: shape = ConeShape(box, e[6], e[7], e[8] >= 0.5, steps(e[9]), colour); break;
      case 13: shape = EllipsoidShape(box, e[6], e[7], steps(e[8]), colour); break;
      case 14: shape = WallShape(box, e[6], e[7], colour); break;
      case 15: shape = FloorShape(box, e[6], e[7], colour); break;
      default: break;  // an unknown kind (from a file) draws nothing
    }
    for (const ShapeGroup& g : shape) Append(out, runs, g.kind, g.vertices.data(), int(g.vertices.size()), true);
  }
}

void ModelDraw(C3DModel& m, double x, double y, double z, int texture) {
  platform::Device* device = display().device();
  if (!device) return;
  ModelCache& cache = m.cache;
  const uint32_t colour = drawState().colour;
  if (!cache.valid || cache.generation != textures().generation() || cache.colour != colour) {
    ForgetDeviceCopy(cache);
    std::vector<Vertex> vertices;
    BuildModelVertices(m.entries, colour, vertices, cache.runs);
    cache.buffer = vertices.empty() ? 0 : device->createVertexBuffer(vertices.data(), int(vertices.size()));
    cache.generation = textures().generation();
    cache.colour = colour;
    cache.valid = true;
  }
  if (!cache.buffer) return;
  const platform::Matrix world = device->world();
  device->setTransformWorld(D3DXMatrixMultiply(D3DXMatrixTranslation(x, y, z), world));
  textures().bind(texture);
  const auto own = display().textureRepeat ? platform::TextureAddress::Wrap : platform::TextureAddress::Clamp;
  for (const ModelRun& run : cache.runs) {
    platform::RenderState s = device->state();
    s.stage0.addressU = s.stage0.addressV = run.shape ? platform::TextureAddress::Wrap : own;
    device->setState(s);
    device->drawVertexBuffer(cache.buffer, run.type, run.first, run.count);
  }
  textures().bind(-1);
  device->setTransformWorld(world);
  platform::RenderState s = device->state();
  s.stage0.addressU = s.stage0.addressV = own;
  device->setState(s);
}

}  // namespace qv::graphics
