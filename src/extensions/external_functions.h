// The table of bound library functions behind `external_define`/`external_call`/`external_free`
// and the library functions of extension packages. An entry holds the library name the game gave,
// its module, the export, the calling convention and the signature (up to 16 arguments, each a
// real or a string, and a real or string result); its position is its index, and entries are
// never removed.
//
// Games name Windows libraries ("sound.dll"); the runner plays them with native shared libraries
// of the same base name, looked for in this order: the folder the name itself gives (when it has
// one), the extension package's folder (for package functions), the game's working directory,
// the runner's own folder, then the system's library path; in each folder "NAME.so", then
// "libNAME.so". A name that ends in ".so" is tried as it is first. A library found nowhere does not
// bind.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "code/value.h"

namespace qv::extensions {

inline constexpr int kMaxExternalArguments = 16;

enum class Convention { Standard, C };

struct ExternalSignature {
  Convention convention = Convention::C;
  bool stringResult = false;
  int argumentCount = 0;
  std::array<bool, kMaxExternalArguments + 1> stringArgument{};  // true: a string parameter
};

// The index of a new entry, or -1: a count above 16, 5 or more arguments with a string among
// them, a library that cannot be found or opened, or an export that is not there. A library
// already in the table under the same name (letter case ignored) is reused. `packageFolder` is
// searched too (empty for calls from game code).
int32_t DefineExternal(const std::string& library, const std::string& name, const ExternalSignature& signature,
                       const std::string& packageFolder = {});

// The result of entry `index` called with `args`; the real 0 for an index not in the table, a
// count that differs from the entry's, or a freed library.
code::RValue CallExternal(int32_t index, const code::RValue* args, int count);

// Frees the library of every entry defined with that name (letter case ignored); their calls
// answer 0 from then on.
void FreeExternal(const std::string& library);

// Frees every library still open and empties the table (runner exit, tests).
void ForgetExternals();

// The shared libraries a Windows library name stands for, in search order.
std::vector<std::string> NativeLibraryCandidates(const std::string& library, const std::string& packageFolder);

}  // namespace qv::extensions
