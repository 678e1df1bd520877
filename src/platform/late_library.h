// Libraries opened when a game first needs them rather than when the program starts (see
// ffmpeg_library.h and fluidsynth_library.h): opened with dlopen for the rest of the run, by the
// name of the version the build was made against, and their functions looked up by name.
#pragma once

#include <initializer_list>

namespace qv::platform {

class LateLibraries {
 public:
  // Opens every library named; false (and nothing to find) when one cannot be opened.
  bool open(std::initializer_list<const char*> names);
  // The function or object of that name in the first library that has it; nullptr when none.
  void* find(const char* symbol) const;
  // Points `function` at the function of that name; false when there is none.
  template <class Function>
  bool resolve(Function& function, const char* symbol) const {
    function = reinterpret_cast<Function>(find(symbol));
    return function != nullptr;
  }

 private:
  static constexpr int kMaxLibraries = 8;
  void* handles_[kMaxLibraries] = {};
  int count_ = 0;
};

}  // namespace qv::platform
