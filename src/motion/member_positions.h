// MemberPositions: the position of each member instance in a grid's list, looked up by the
// instance's address on every box that moved. A flat table with open addressing: one multiply and
// usually one probe, where a node-based map divides by a prime and follows a pointer.
#pragma once

#include <cstdint>
#include <vector>

namespace qv::world {
class CInstance;
}

namespace qv::motion {

class MemberPositions {
 public:
  // Position k for members[k]; an instance listed twice keeps its first position.
  void Assign(const std::vector<world::CInstance*>& members) {
    size_t capacity = 16;
    while (capacity < members.size() * 2) capacity *= 2;
    slots_.assign(capacity, Slot{});
    mask_ = capacity - 1;
    for (size_t k = 0; k < members.size(); ++k) {
      Slot& s = slots_[probe(members[k])];
      if (!s.member) s = {members[k], static_cast<uint32_t>(k)};
    }
  }

  // The member's position, or -1 when it is not a member.
  int64_t Find(const world::CInstance* member) const {
    if (slots_.empty()) return -1;
    const Slot& s = slots_[probe(member)];
    return s.member ? int64_t{s.position} : -1;
  }

 private:
  struct Slot {
    const world::CInstance* member = nullptr;
    uint32_t position = 0;
  };

  // The slot holding `member`, or the empty slot where it would go (the table is never full).
  size_t probe(const world::CInstance* member) const {
    size_t i = static_cast<size_t>((reinterpret_cast<uintptr_t>(member) >> 4) * 0x9E3779B97F4A7C15ull >> 20) & mask_;
    while (slots_[i].member && slots_[i].member != member) i = (i + 1) & mask_;
    return i;
  }

  std::vector<Slot> slots_;
  size_t mask_ = 0;
};

}  // namespace qv::motion
