// The path variables of an instance as game code reads and writes them.
#include "code/builtin_variables.h"
#include "code/rounding.h"
#include "motion/builtins.h"
#include "motion/path_following.h"
#include "world/instance.h"
#include "world/variable_binding.h"

namespace qv::motion {

namespace {

using code::RValue;
using world::CInstance;

template <auto Field>
bool getField(CInstance* in, int32_t, RValue& out) {
  out.setReal(in ? static_cast<double>(in->*Field) : 0.0);
  return true;
}
template <auto Field>
bool setReal(CInstance* in, int32_t, const RValue& v) {
  if (in) in->*Field = v.real;
  return true;
}
bool setPosition(CInstance* in, int32_t, const RValue& v) {
  if (in) SetPathPosition(*in, v.real);
  return true;
}
bool setPositionPrevious(CInstance* in, int32_t, const RValue& v) {
  if (in) SetPathPositionPrevious(*in, v.real);
  return true;
}
bool setEndaction(CInstance* in, int32_t, const RValue& v) {
  if (in) in->pathEndaction = code::roundToInt32(v.real);
  return true;
}

}  // namespace

void BindPathVariables() {
  using namespace code;
  BindBuiltinVariable(bv_path_index, &world::ReadFor<&getField<&CInstance::pathIndex>>, nullptr);
  BindBuiltinVariable(bv_path_position, &world::ReadFor<&getField<&CInstance::pathPosition>>, &world::WriteFor<&setPosition>);
  BindBuiltinVariable(bv_path_positionprevious, &world::ReadFor<&getField<&CInstance::pathPositionprevious>>, &world::WriteFor<&setPositionPrevious>);
  BindBuiltinVariable(bv_path_speed, &world::ReadFor<&getField<&CInstance::pathSpeed>>, &world::WriteFor<&setReal<&CInstance::pathSpeed>>);
  BindBuiltinVariable(bv_path_scale, &world::ReadFor<&getField<&CInstance::pathScale>>, &world::WriteFor<&setReal<&CInstance::pathScale>>);
  BindBuiltinVariable(bv_path_orientation, &world::ReadFor<&getField<&CInstance::pathOrientation>>,
                      &world::WriteFor<&setReal<&CInstance::pathOrientation>>);
  BindBuiltinVariable(bv_path_endaction, &world::ReadFor<&getField<&CInstance::pathEndaction>>, &world::WriteFor<&setEndaction>);
}

}  // namespace qv::motion
