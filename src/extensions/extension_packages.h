// Extension packages: functions and constants a game adds to the language. Each package holds
// files: libraries whose exports become functions, script files whose sections become functions
// written in the game's own language, and other files that are only extracted. At load the
// files are extracted into the package's folder under the temporary directory; at preparation the
// constants are defined, script functions compiled and library functions bound; initialization
// and finalization functions run when the game starts and ends. Game code calls an extension
// function by name like any function (its index is 500000 + its id).
#pragma once

#include <functional>
#include <string>

namespace qv::data {
class CStream;
}

namespace qv::extensions {

// Reads the extension packages chunk at the stream's position (a first number other than 700
// means no packages) and extracts every package's files. False when a package does not load (a
// record of another version, data that ends early, a file or folder name that would leave the
// temporary directory); the packages before it stay loaded.
bool LoadExtensionPackages(data::CStream& s);

// Defines the constants (a failing one is shown through `show` and skipped), compiles the script
// functions and binds the library functions. False, with `failure` saying why, when a script
// function does not compile.
bool PrepareExtensionPackages(const std::function<void(const std::string&)>& show, std::string& failure);

// Run at every game start and end: the initialization (finalization) function of every file
// that names one, in order. False after a fatal error (secure mode, a function that fails or
// cannot be found), which stops the start or the end.
bool InitializeExtensions();
bool FinalizeExtensions();

// The packages' function by name (exact), or -1; its argument count (-100 for an id that names
// nothing) and name.
int32_t FindExtensionFunction(const std::string& name);
int32_t ExtensionArgumentCount(int32_t id);
std::string ExtensionFunctionName(int32_t id);

// Forgets every package (tests, and the runner before it loads another game).
void ForgetExtensionPackages();

}  // namespace qv::extensions
