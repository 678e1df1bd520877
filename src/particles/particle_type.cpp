#include "particles/particle_type.h"

namespace qv::particles {

std::vector<CParticleType>& types() {
  static std::vector<CParticleType> list;
  return list;
}

CParticleType* ExistingType(int64_t t) {
  auto& list = types();
  if (t < 0 || t >= int64_t(list.size()) || !list[size_t(t)].inUse) return nullptr;
  return &list[size_t(t)];
}

const CParticleType* TypeRecord(int64_t t) {
  auto& list = types();
  if (t < 0 || t >= int64_t(list.size())) return nullptr;
  return &list[size_t(t)];
}

int32_t CreateType() {
  auto& list = types();
  for (size_t i = 0; i < list.size(); ++i)
    if (!list[i].inUse) {
      list[i] = CParticleType{};
      list[i].inUse = true;
      return int32_t(i);
    }
  list.push_back(CParticleType{});
  list.back().inUse = true;
  return int32_t(list.size() - 1);
}

void DestroyType(int64_t t) {
  if (CParticleType* type = ExistingType(t)) type->inUse = false;
}

void SetAlpha2(CParticleType& t, double a1, double a2) {
  t.alpha1 = a1;
  t.alpha3 = a2;
  t.alpha2 = (a1 + a2) / 2;
}

}  // namespace qv::particles
