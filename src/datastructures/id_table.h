// IdTable: the containers of one kind, addressed by the integer ids that game code holds.
//
// Create takes the lowest empty slot, or appends one; destroy frees the container and empties its
// slot. An id names a container when 0 <= id < slot count and the slot is not empty. The empty
// slots wait in a min-heap, so finding the lowest costs O(log n) instead of a scan.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <queue>
#include <vector>

namespace qv::datastructures {

template <class T>
class IdTable {
 public:
  int64_t create() {
    if (!free_.empty()) {
      int64_t id = free_.top();
      free_.pop();
      slots_[static_cast<size_t>(id)] = std::make_unique<T>();
      return id;
    }
    slots_.push_back(std::make_unique<T>());
    return static_cast<int64_t>(slots_.size()) - 1;
  }

  T* get(int64_t id) const {
    if (id < 0 || id >= static_cast<int64_t>(slots_.size())) return nullptr;
    return slots_[static_cast<size_t>(id)].get();
  }

  bool destroy(int64_t id) {
    if (!get(id)) return false;
    slots_[static_cast<size_t>(id)].reset();
    free_.push(id);
    return true;
  }

  // Back to no containers (game start and restart).
  void reset() {
    slots_.clear();
    free_ = {};
  }

 private:
  std::vector<std::unique_ptr<T>> slots_;
  std::priority_queue<int64_t, std::vector<int64_t>, std::greater<>> free_;
};

}  // namespace qv::datastructures
