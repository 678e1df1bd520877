#include "platform/late_library.h"

#include <dlfcn.h>

namespace qv::platform {

bool LateLibraries::open(std::initializer_list<const char*> names) {
  for (const char* name : names) {
    void* handle = count_ < kMaxLibraries ? dlopen(name, RTLD_NOW | RTLD_LOCAL) : nullptr;
    if (!handle) {
      count_ = 0;  // what opened stays loaded (harmless), but nothing is looked up in it
      return false;
    }
    handles_[count_++] = handle;
  }
  return true;
}

void* LateLibraries::find(const char* symbol) const {
  for (int i = 0; i < count_; ++i)
    if (void* p = dlsym(handles_[i], symbol)) return p;
  return nullptr;
}

}  // namespace qv::platform
