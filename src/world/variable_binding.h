// Built-in variables written for world instances, bound into the language's table.
//
// The registry hands getters and setters the language's base record of an instance; every
// instance game code runs for is a world instance, so the world's getters and setters take a
// `CInstance` and are bound through these adapters.
#pragma once

#include <cstdint>

#include "code/builtin_variables.h"
#include "world/instance.h"

namespace qv::world {

using InstanceGetter = bool (*)(CInstance* instance, int32_t index, code::RValue& out);
using InstanceSetter = bool (*)(CInstance* instance, int32_t index, const code::RValue& value);

template <InstanceGetter Get>
bool ReadFor(code::CInstanceBase* instance, int32_t index, code::RValue& out) {
  return Get(AsInstance(instance), index, out);
}
template <InstanceSetter Set>
bool WriteFor(code::CInstanceBase* instance, int32_t index, const code::RValue& value) {
  return Set(AsInstance(instance), index, value);
}

}  // namespace qv::world
