// The shared data: values at indices 0 to 1000000 that every player of a session writes and reads.
// The array grows on demand; new entries are the real 0.
#pragma once

#include <cstdint>
#include <vector>

#include "code/value.h"

namespace qv::multiplayer {

class SharedData {
 public:
  static constexpr int64_t kMaxIndex = 1000000;
  static bool ValidIndex(int64_t i) { return i >= 0 && i <= kMaxIndex; }

  // Grows the array to i + 1 entries when shorter (i must be valid).
  void Grow(int64_t i) {
    if (static_cast<size_t>(i) >= values_.size()) values_.resize(static_cast<size_t>(i) + 1);
  }
  void Set(int64_t i, const code::RValue& v) {
    Grow(i);
    code::CopyValue(values_[static_cast<size_t>(i)], v);
  }
  const code::RValue& Get(int64_t i) {
    Grow(i);
    return values_[static_cast<size_t>(i)];
  }
  size_t size() const { return values_.size(); }
  void Reset() { values_.clear(); }

 private:
  std::vector<code::RValue> values_;
};

}  // namespace qv::multiplayer
