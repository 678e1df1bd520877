// 3D models: the model table, the recorded entries, the model file (text) and drawing.
//
// A model is drawn from the device's memory: the first draw (and the first after its entries or
// the current drawing colour change) turns the entries into one vertex buffer of lists and a few
// runs over it; later draws only move the world matrix and draw the runs. docs/3d.md.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/device.h"

namespace qv::graphics {

struct ModelEntry {
  int32_t kind = 0;
  std::array<double, 10> e{};
  bool operator==(const ModelEntry&) const = default;
};

// What a model keeps on the device: the buffer and its runs (a list type, a range, and whether
// texture repeat is on for it, as for shapes).
struct ModelRun {
  platform::PrimitiveType type = platform::PrimitiveType::TriangleList;
  int first = 0, count = 0;
  bool shape = false;
};
struct ModelCache {
  bool valid = false;
  uint64_t generation = 0;  // of the texture table's device
  uint32_t colour = 0;      // the drawing colour the vertices were made with
  platform::BufferHandle buffer = 0;
  std::vector<ModelRun> runs;
};

struct C3DModel {
  std::vector<ModelEntry> entries;
  ModelCache cache;
  ~C3DModel();
  // Appends an entry (the array grows by 32 entries when full) and forgets the device copy.
  void append(const ModelEntry& entry);
  void clear();
  void changed();  // forgets the device copy
};

// The model table.
int ModelCreate();
void ModelDestroy(int id);
C3DModel* GetModel(int id);  // nullptr when the slot holds none
int ModelSlotCount();
void DestroyAllModels();

// The model file: "100", the count, one line per entry (CR LF line ends).
std::string ModelFileText(const std::vector<ModelEntry>& entries);
// One value as the file writes it: fixed with 4 decimals, scientific beyond 10 integer digits.
std::string ModelValueText(double v);
// Reads a model file's bytes into `entries` (emptied first). The result says how far it came:
// Read all entries; BadVersion (nothing read); Failed part way (the announced count is kept, the
// unread entries zero); CountRefused (a negative count, or one the file's size cannot hold with
// slack, leaves the model empty: memory stays bounded by the file's size).
enum class ModelRead { Read, BadVersion, Failed, CountRefused };
ModelRead ReadModelText(const uint8_t* data, size_t size, std::vector<ModelEntry>& entries);
// The largest count a file of `size` bytes may announce.
size_t MaxModelEntries(size_t size);
// d3d_model_save and d3d_model_load on host paths (no message on failure).
bool ModelSave(const C3DModel& m, const std::string& hostPath);
void ModelLoad(C3DModel& m, const std::string& hostPath);

// d3d_model_draw: the model at (x, y, z) with the texture id.
void ModelDraw(C3DModel& m, double x, double y, double z, int texture);
// The vertex lists and runs of a model's entries drawn with `colour` as the current colour
// (what the device copy holds); exposed for tests.
void BuildModelVertices(const std::vector<ModelEntry>& entries, uint32_t colour, std::vector<platform::Vertex>& out,
                        std::vector<ModelRun>& runs);

}  // namespace qv::graphics
