#include "extensions/external_functions.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/native_library.h"
#include "platform/process.h"
#include "system/host_path.h"

namespace qv::extensions {

namespace {

struct Entry {
  std::string library;  // as the game named it
  void* module = nullptr;
  void* entry = nullptr;
  std::string name;
  ExternalSignature signature;
};

std::vector<Entry>& table() {
  static std::vector<Entry> entries;
  return entries;
}

bool sameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && sameName(s.substr(s.size() - tail.size()), tail);
}

void* openLibrary(const std::string& library, const std::string& packageFolder) {
  for (const std::string& candidate : NativeLibraryCandidates(library, packageFolder))
    if (void* module = platform::OpenNativeLibrary(candidate)) return module;
  return nullptr;
}

}  // namespace

std::vector<std::string> NativeLibraryCandidates(const std::string& library, const std::string& packageFolder) {
  std::vector<std::string> out;
  if (library.empty()) return out;
  const std::filesystem::path given(system::HostPath(library));
  std::string base = given.filename().string();
  if (base.empty()) return out;
  // The file itself first: a package may carry the native library under the Windows name.
  std::error_code exists;
  if (given.has_parent_path() && std::filesystem::is_regular_file(given, exists)) out.push_back(given.string());
  if (endsWith(base, ".so")) {
    const std::string asGiven = given.has_parent_path() ? given.string() : "./" + base;
    if (std::find(out.begin(), out.end(), asGiven) == out.end()) out.push_back(asGiven);
    base.resize(base.size() - 3);
  } else if (endsWith(base, ".dll")) {
    base.resize(base.size() - 4);
  }
  if (base.empty()) return out;
  std::vector<std::filesystem::path> folders;
  if (given.has_parent_path()) folders.push_back(given.parent_path());
  if (!packageFolder.empty()) folders.push_back(system::HostPath(packageFolder));
  std::error_code error;
  folders.push_back(std::filesystem::current_path(error));
  folders.push_back(std::filesystem::path(platform::executablePath()).parent_path());
  for (const auto& folder : folders) {
    if (folder.empty()) continue;
    for (const std::string& file : {base + ".so", "lib" + base + ".so"}) {
      const std::string path = (folder / file).string();
      if (std::find(out.begin(), out.end(), path) == out.end()) out.push_back(path);
    }
  }
  // Names without a folder: the system's library path, as the loader searches it.
  out.push_back(base + ".so");
  out.push_back("lib" + base + ".so");
  return out;
}

int32_t DefineExternal(const std::string& library, const std::string& name, const ExternalSignature& signature,
                       const std::string& packageFolder) {
  if (signature.argumentCount < 0 || signature.argumentCount > kMaxExternalArguments) return -1;
  if (signature.argumentCount >= 5)
    for (int k = 0; k < signature.argumentCount; ++k)
      if (signature.stringArgument[size_t(k)]) return -1;
  std::vector<Entry>& entries = table();
  void* module = nullptr;
  for (auto it = entries.rbegin(); it != entries.rend(); ++it)
    if (sameName(it->library, library)) {
      module = it->module;
      break;
    }
  const bool loaded = module == nullptr;
  if (loaded) module = openLibrary(library, packageFolder);
  if (!module) return -1;
  void* entry = platform::NativeSymbol(module, name);
  if (!entry) {
    // A library opened for this definition alone is closed again; one in the table stays.
    if (loaded) platform::CloseNativeLibrary(module);
    return -1;
  }
  entries.push_back(Entry{library, module, entry, name, signature});
  return int32_t(entries.size() - 1);
}

code::RValue CallExternal(int32_t index, const code::RValue* args, int count) {
  const std::vector<Entry>& entries = table();
  if (index < 0 || size_t(index) >= entries.size()) return 0.0;
  const Entry& e = entries[size_t(index)];
  if (count != e.signature.argumentCount || !e.module) return 0.0;
  std::vector<platform::NativeArgument> arguments(static_cast<size_t>(count));
  for (int k = 0; k < count; ++k) {
    platform::NativeArgument& a = arguments[size_t(k)];
    a.isString = e.signature.stringArgument[size_t(k)];
    // A value of the other kind passes 0 or the empty string.
    if (a.isString) {
      if (args[k].isString()) a.text = args[k].str;
    } else if (args[k].isReal()) {
      a.real = args[k].real;
    }
  }
  double real = 0;
  std::string text;
  platform::CallNative(e.entry, arguments, e.signature.stringResult, real, text);
  if (e.signature.stringResult) return code::RValue(std::move(text));
  return real;
}

void FreeExternal(const std::string& library) {
  void* freed = nullptr;
  for (Entry& e : table()) {
    if (!e.module || !sameName(e.library, library)) continue;
    if (e.module != freed) {
      platform::CloseNativeLibrary(e.module);
      freed = e.module;
    }
    e.module = nullptr;
  }
}

void ForgetExternals() {
  std::vector<void*> open;
  for (const Entry& e : table())
    if (e.module && std::find(open.begin(), open.end(), e.module) == open.end()) open.push_back(e.module);
  for (void* module : open) platform::CloseNativeLibrary(module);
  table().clear();
}

}  // namespace qv::extensions
