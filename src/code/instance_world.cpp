#include "code/instance_world.h"

namespace qv::code {

namespace {
std::unique_ptr<CInstanceBase> makeBaseRecord() { return std::make_unique<CInstanceBase>(); }
InstanceFactory& instanceFactory() {
  static InstanceFactory factory = makeBaseRecord;
  return factory;
}
}  // namespace

void SetInstanceFactory(InstanceFactory factory) { instanceFactory() = factory ? factory : makeBaseRecord; }

std::unique_ptr<CInstanceBase> MakeInstanceRecord() { return instanceFactory()(); }

CInstanceBase& SimpleInstanceWorld::add(int32_t id, int32_t objectIndex) {
  instances_.push_back(instanceFactory()());
  CInstanceBase& i = *instances_.back();
  i.id = id;
  i.objectIndex = objectIndex;
  return i;
}

void SimpleInstanceWorld::clear() {
  instances_.clear();
  cache_[0] = cache_[1] = -1;
}

CInstanceBase* SimpleInstanceWorld::findById(int32_t id) {
  for (int32_t& c : cache_)
    if (c >= 0 && c < count() && instances_[static_cast<size_t>(c)]->id == id) {
      // A cached position is only right when no later entry has the same id.
      bool later = false;
      for (size_t k = static_cast<size_t>(c) + 1; k < instances_.size(); ++k)
        if (instances_[k]->id == id) later = true;
      if (!later) return instances_[static_cast<size_t>(c)].get();
    }
  for (size_t k = instances_.size(); k-- > 0;) {
    if (instances_[k]->id == id) {
      cache_[1] = cache_[0];
      cache_[0] = static_cast<int32_t>(k);
      return instances_[k].get();
    }
  }
  return nullptr;
}

CInstanceBase* SimpleInstanceWorld::firstWithId(int32_t id) {
  for (auto& i : instances_)
    if (i->id == id) return i.get();
  return nullptr;
}

CInstanceBase* SimpleInstanceWorld::firstOfObject(int32_t objectIndex) {
  for (auto& i : instances_)
    if (i->objectIndex == objectIndex && !i->destroyed) return i.get();
  return nullptr;
}

void SimpleInstanceWorld::collectObject(int32_t objectIndex, std::vector<CInstanceBase*>& out) {
  for (auto& i : instances_)
    if (i->objectIndex == objectIndex && !i->destroyed) out.push_back(i.get());
}

CInstanceBase* SimpleInstanceWorld::at(int32_t position) {
  return position >= 0 && position < count() ? instances_[static_cast<size_t>(position)].get() : nullptr;
}

namespace {
InstanceWorld*& currentWorld() {
  static InstanceWorld* w = nullptr;
  return w;
}
}  // namespace

InstanceWorld& instanceWorld() {
  static SimpleInstanceWorld fallback;
  InstanceWorld* w = currentWorld();
  return w ? *w : fallback;
}

void SetInstanceWorld(InstanceWorld* world) { currentWorld() = world; }

}  // namespace qv::code
