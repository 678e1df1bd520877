// The path variables of an instance as game code reads and writes them.
#include "code/builtin_variables.h"
#include "code/rounding.h"
#include "motion/builtins.h"
#include "motion/path_following.h"
#include "world/instance.h"

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
  BindBuiltinVariable(bv_path_index, &getField<&CInstance::pathIndex>, nullptr);
  BindBuiltinVariable(bv_path_position, &getField<&CInstance::pathPosition>, &setPosition);
  BindBuiltinVariable(bv_path_positionprevious, &getField<&CInstance::pathPositionprevious>, &setPositionPrevious);
  BindBuiltinVariable(bv_path_speed, &getField<&CInstance::pathSpeed>, &setReal<&CInstance::pathSpeed>);
  BindBuiltinVariable(bv_path_scale, &getField<&CInstance::pathScale>, &setReal<&CInstance::pathScale>);
  BindBuiltinVariable(bv_path_orientation, &getField<&CInstance::pathOrientation>,
                      &setReal<&CInstance::pathOrientation>);
  BindBuiltinVariable(bv_path_endaction, &getField<&CInstance::pathEndaction>, &setEndaction);
}

}  // namespace qv::motion
