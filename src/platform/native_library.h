// Native shared libraries and calls into them: opening by path, looking up an export by name and
// calling it with up to 16 arguments that are doubles or zero-terminated byte strings, returning a
// double or a string, through libffi in the host's C calling convention (the only one a 64-bit
// host has: the 32-bit Windows conventions have no meaning here).
#pragma once

#include <string>
#include <vector>

namespace qv::platform {

// nullptr when the library cannot be opened, and for the runner's own program (which an empty or
// unlucky name would otherwise hand back): a game never binds to the runner's own functions.
void* OpenNativeLibrary(const std::string& path);
void CloseNativeLibrary(void* library);
// The export's address, or nullptr.
void* NativeSymbol(void* library, const std::string& name);

struct NativeArgument {
  bool isString = false;
  double real = 0;
  std::string text;  // the bytes passed (a zero-terminated copy that lives through the call)
};

// Calls `entry` with the arguments; the result is a double, or with `stringResult` the bytes the
// returned pointer names up to its zero byte (empty for a null pointer), copied at once so the
// library may reuse its buffer.
void CallNative(void* entry, const std::vector<NativeArgument>& arguments, bool stringResult, double& real,
                std::string& text);

}  // namespace qv::platform
