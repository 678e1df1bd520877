// ResourceList: sprites or backgrounds by resource index, with their names.
//
// Invariant: slots.size() == names.size(); an empty slot (deleted or never loaded) holds nullptr
// and is never reused; resources made at run time are appended.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qv::graphics {

template <class T>
struct ResourceList {
  std::vector<std::unique_ptr<T>> slots;
  std::vector<std::string> names;

  int count() const { return int(slots.size()); }
  bool exists(int i) const { return i >= 0 && i < count() && slots[size_t(i)] != nullptr; }
  T* get(int i) const { return exists(i) ? slots[size_t(i)].get() : nullptr; }
  // "<undefined>" for a slot without a resource.
  std::string name(int i) const { return exists(i) ? names[size_t(i)] : "<undefined>"; }
  // The first resource of that name (names compare byte for byte), or -1.
  int find(std::string_view name) const {
    for (int i = 0; i < count(); ++i)
      if (slots[size_t(i)] && names[size_t(i)] == name) return i;
    return -1;
  }
  // Appends `r` named prefix + index; returns the index.
  int append(std::unique_ptr<T> r, const std::string& prefix) {
    slots.push_back(std::move(r));
    names.push_back(prefix + std::to_string(slots.size() - 1));
    return count() - 1;
  }
  // Removes the last slot again (a failed add leaves the list as it was).
  void dropLast() {
    slots.pop_back();
    names.pop_back();
  }
  void clear() {
    slots.clear();
    names.clear();
  }
};

}  // namespace qv::graphics
