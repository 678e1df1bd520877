// Feeds arbitrary text to every ds_*_read. Input: byte 0 chooses how the rest becomes text (even:
// hex-encoded, so most inputs reach the record parser; odd: taken as it is, to reach the
// hexadecimal check). Checks, for each kind: broken text throws StreamError and leaves the
// container exactly as it was; text that reads writes back to a record that reads back to itself;
// the container works after a read.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "datastructures/builtins.h"
#include "data/stream.h"

using qv::code::RValue;

namespace {

RValue call(const char* name, std::vector<RValue> args) {
  for (const qv::code::BuiltinFunction& f : qv::datastructures::DataStructureFunctions()) {
    if (std::string(f.name) != name) continue;
    RValue result;
    qv::code::BuiltinCall c{nullptr, nullptr, static_cast<int>(args.size()), args.data(), result};
    f.handler(c);
    return result;
  }
  std::abort();
}

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_ds_read: %s\n", what);
    std::abort();
  }
}

struct Kind {
  const char* create;
  const char* read;
  const char* write;
  const char* exercise;  // one operation that walks the container after a read
  int exerciseArgs;
};
const Kind kKinds[] = {
    {"ds_stack_create", "ds_stack_read", "ds_stack_write", "ds_stack_pop", 1},
    {"ds_queue_create", "ds_queue_read", "ds_queue_write", "ds_queue_dequeue", 1},
    {"ds_list_create", "ds_list_read", "ds_list_write", "ds_list_sort", 2},
    {"ds_map_create", "ds_map_read", "ds_map_write", "ds_map_find_value", 2},
    {"ds_priority_create", "ds_priority_read", "ds_priority_write", "ds_priority_delete_min", 1},
    {"ds_grid_create", "ds_grid_read", "ds_grid_write", "ds_grid_get_disk_sum", 4},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string text;
  if (data[0] % 2 == 0) {
    qv::data::CStream raw(std::vector<uint8_t>(data + 1, data + size));
    text = raw.ToHex();
  } else {
    text.assign(reinterpret_cast<const char*>(data + 1), size - 1);
  }
  qv::datastructures::ResetDataStructures();
  for (const Kind& k : kKinds) {
    double id = k.create == std::string("ds_grid_create") ? call(k.create, {2.0, 2.0}).real : call(k.create, {}).real;
    const std::string before = call(k.write, {id}).str;
    try {
      call(k.read, {id, text});
    } catch (const qv::data::StreamError&) {
      check(call(k.write, {id}).str == before, "a refused read changed the container");
      continue;
    }
    std::string written = call(k.write, {id}).str;
    double copy = k.create == std::string("ds_grid_create") ? call(k.create, {1.0, 1.0}).real : call(k.create, {}).real;
    call(k.read, {copy, written});
    check(call(k.write, {copy}).str == written, "a written record does not read back to itself");
    std::vector<RValue> args{id, 1.0, 1.0, 2.0};
    args.resize(static_cast<size_t>(k.exerciseArgs));
    call(k.exercise, args);
  }
  return 0;
}
