#include "extensions/extension_packages.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unordered_map>
#include <vector>

#include "code/builtin_variables.h"
#include "code/ccode.h"
#include "code/errors.h"
#include "code/instance_world.h"
#include "code/interpreter.h"
#include "code/registry.h"
#include "data/container.h"
#include "data/stream.h"
#include "data/temp_directory.h"
#include "extensions/extension_package.h"
#include "extensions/external_functions.h"
#include "extensions/script_file.h"
#include "system/secure_mode.h"

namespace qv::extensions {

namespace {

namespace fs = std::filesystem;

constexpr int32_t kChunkVersion = 700;
constexpr int32_t kLibraryFile = 1, kScriptFile = 2, kNoContents = 3;
constexpr const char* kSecureModeMessage = "In secure mode you cannot use extension packages.";

// A function as the runner keeps it: its record, and what preparation made of it.
struct Function {
  ExtensionFunction record;
  std::string package;
  std::string sectionText;          // script files: the section's text, when the file has one
  bool hasSection = false;
  std::unique_ptr<code::CCode> code;  // compiled section
  bool inScript = false;              // a function of a script file (it fails without a section)
  int32_t libraryIndex = -1;        // library functions: the entry of the external table
};

struct File {
  ExtensionFile record;
  std::vector<size_t> functions;  // indices into loaded().functions
};

struct Package {
  std::string name;
  std::string folder;  // host path of the package's folder
  std::vector<File> files;
};

struct Loaded {
  std::vector<Package> packages;
  std::vector<Function> functions;                   // every function, in package and file order
  std::unordered_map<int32_t, size_t> byId;          // the first function with each id
  std::unordered_map<std::string, int32_t> idByName;  // the first function with each name
  bool registered = false;
};

Loaded& loaded() {
  static Loaded l;
  return l;
}

std::string trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  const size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

// A name that stays one entry inside its folder: no separator, no "." or "..", no NUL.
bool plainName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of(std::string("/\\:\0", 4)) == std::string::npos;
}

bool writeFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out);
}

// The table game code reaches through the registry.
class PackageFunctions final : public code::ExtensionFunctions {
 public:
  int32_t find(std::string_view name) override { return FindExtensionFunction(std::string(name)); }
  int32_t argumentCount(int32_t id) override { return ExtensionArgumentCount(id); }
  bool call(int32_t id, code::CInstanceBase* self, code::CInstanceBase* other, code::RValue& result,
            const code::RValue* args, int argc) override;
};

PackageFunctions& packageFunctions() {
  static PackageFunctions f;
  return f;
}

void registerTable() {
  if (loaded().registered) return;
  code::SetExtensionFunctions(&packageFunctions());
  loaded().registered = true;
}

// Loads one package after its records: its folder, and its files from the block.
bool extract(const ExtensionPackage& record, Package& package, std::vector<Function>& functions) {
  if (!record.folder.empty() && !plainName(record.folder)) return false;
  const fs::path folder = fs::path(data::TempDirectory()) / record.folder;
  std::error_code error;
  if (!data::TempDirectory().empty()) fs::create_directories(folder, error);
  package.name = record.name;
  package.folder = folder.string();

  std::vector<uint8_t> plain = data::Inflate(record.filesBlock.data(), record.filesBlock.size(),
                                             data::CStream::kMaxInflatedSize);
  data::CStream block(std::move(plain));
  const int32_t seed = block.ReadInteger();
  if (!data::DecodeWithSeed(block, seed, 5, 0)) return false;
  block.seek(4);
  for (const ExtensionFile& fileRecord : record.files) {
    File file;
    file.record = fileRecord;
    std::vector<std::pair<std::string, std::string>> sections;
    if (fileRecord.kind != kNoContents) {
      const auto length = data::ReadCount(block, 1);
      if (!length) return false;
      std::vector<uint8_t> contents(static_cast<size_t>(*length));
      block.ReadBytes(contents.data(), contents.size());
      if (fileRecord.kind == kScriptFile) {
        sections = SplitScriptFile(std::string_view(reinterpret_cast<const char*>(contents.data()), contents.size()));
      } else {
        if (!plainName(fileRecord.fileName)) return false;
        // Without a temporary directory there is nowhere to put files: the package's libraries
        // then do not bind (their calls answer 0), its scripts still work.
        if (!data::TempDirectory().empty() && !writeFile(folder / fileRecord.fileName, contents)) return false;
      }
    }
    for (const ExtensionFunction& fnRecord : fileRecord.functions) {
      Function fn;
      fn.record = fnRecord;
      fn.package = record.name;
      fn.record.name = trim(fn.record.name);
      fn.record.externalName = trim(fn.record.externalName);
      if (fn.record.externalName.empty()) fn.record.externalName = fn.record.name;
      if (fn.record.argumentCount >= 5) fn.record.argumentTypes.fill(2);
      for (const auto& [name, text] : sections)
        if (name == fn.record.externalName) {
          fn.sectionText = text;
          fn.hasSection = true;
          break;
        }
      file.functions.push_back(functions.size());
      functions.push_back(std::move(fn));
    }
    package.files.push_back(std::move(file));
  }
  return true;
}

bool PackageFunctions::call(int32_t id, code::CInstanceBase* self, code::CInstanceBase* other, code::RValue& result,
                            const code::RValue* args, int argc) {
  Loaded& l = loaded();
  const auto it = l.byId.find(id);
  if (it == l.byId.end()) return false;
  code::ErrorState& errors = code::errorState();
  if (system::SecureMode()) {
    errors.current = kSecureModeMessage;
    return false;
  }
  Function& fn = l.functions[it->second];
  if (!fn.inScript) {
    result = CallExternal(fn.libraryIndex, args, argc);  // an unbound function gives 0
    return true;
  }
  if (!fn.code) {
    errors.current.clear();
    return false;
  }
  code::ScriptArgumentFrame arguments(args, argc);
  result.setReal(0.0);
  if (code::ExecuteValue(*fn.code, self, other, result)) return true;
  errors.current = "In extension function " + fn.record.name + ":\r" + errors.current;
  return false;
}

// Runs the named initialization or finalization function of every file that names one.
bool runFileFunctions(bool initialization) {
  Loaded& l = loaded();
  for (const Package& package : l.packages)
    for (const File& file : package.files) {
      const std::string& wanted = initialization ? file.record.initFunction : file.record.finalFunction;
      if (wanted.empty()) continue;
      if (system::SecureMode()) {
        code::HandleError(kSecureModeMessage, true);
        return false;
      }
      const auto found = std::find_if(file.functions.begin(), file.functions.end(),
                                      [&](size_t k) { return l.functions[k].record.name == wanted; });
      if (found == file.functions.end()) {
        code::HandleError(std::string(initialization ? "Could not locate initialization function "
                                                     : "Could not locate finalization function ") + wanted,
                          true);
        return false;
      }
      const std::unique_ptr<code::CInstanceBase> temporary = code::MakeInstanceRecord();
      code::RValue result;
      if (!packageFunctions().call(l.functions[*found].record.id, temporary.get(), temporary.get(), result, nullptr, 0)) {
        code::HandleError(code::errorState().current, true);
        return false;
      }
    }
  return true;
}

}  // namespace

bool LoadExtensionPackages(data::CStream& s) {
  ForgetExtensionPackages();
  try {
    const size_t start = s.position();
    if (s.ReadInteger() != kChunkVersion) {
      s.seek(start + 4);  // any other version means no packages; the next chunk follows
      return true;
    }
    const auto count = data::ReadCount(s, 4);
    if (!count) return false;
    Loaded& l = loaded();
    for (int32_t p = 0; p < *count; ++p) {
      ExtensionPackage record;
      if (!ReadExtensionPackage(s, record)) return false;
      Package package;
      std::vector<Function> functions;
      if (!extract(record, package, functions)) return false;
      for (File& file : package.files)
        for (size_t& k : file.functions) k += l.functions.size();
      for (Function& fn : functions) {
        const size_t index = l.functions.size();
        l.byId.emplace(fn.record.id, index);
        l.idByName.emplace(fn.record.name, fn.record.id);
        l.functions.push_back(std::move(fn));
      }
      l.packages.push_back(std::move(package));
    }
  } catch (const data::StreamError&) {
    return false;
  }
  if (!loaded().functions.empty()) registerTable();
  return true;
}

bool PrepareExtensionPackages(const std::function<void(const std::string&)>& show, std::string& failure) {
  Loaded& l = loaded();
  for (const Package& package : l.packages)
    for (const File& file : package.files)
      for (const ExtensionConstant& c : file.record.constants) {
        std::string message;
        if (!code::PrepareConstants({{c.name, c.value}}, message)) show(message);
      }
  for (const Package& package : l.packages)
    for (const File& file : package.files)
      for (size_t k : file.functions) {
        Function& fn = l.functions[k];
        if (file.record.kind == kScriptFile) {
          fn.inScript = true;
          if (!fn.hasSection) continue;
          auto code = std::make_unique<code::CCode>(fn.sectionText, false);
          if (!code->Compile()) {
            failure = "COMPILATION ERROR in extension package " + package.name + "\r" + code::errorState().current;
            code::ClearRecordedError();
            return false;
          }
          fn.code = std::move(code);
        } else if (file.record.kind == kLibraryFile) {
          ExternalSignature s;
          s.convention = fn.record.callType == 12 ? Convention::C : Convention::Standard;
          s.stringResult = fn.record.resultType == 1;
          s.argumentCount = std::clamp(fn.record.argumentCount, -1, kMaxExternalArguments + 1);
          for (int t = 0; t < kMaxExternalArguments; ++t) s.stringArgument[size_t(t)] = fn.record.argumentTypes[size_t(t)] == 1;
          const std::string path = package.folder + "/" + file.record.fileName;
          fn.libraryIndex = DefineExternal(path, fn.record.externalName, s, package.folder);
        }
      }
  return true;
}

bool InitializeExtensions() { return runFileFunctions(true); }
bool FinalizeExtensions() { return runFileFunctions(false); }

int32_t FindExtensionFunction(const std::string& name) {
  const auto it = loaded().idByName.find(name);
  return it == loaded().idByName.end() ? -1 : it->second;
}

int32_t ExtensionArgumentCount(int32_t id) {
  const auto it = loaded().byId.find(id);
  return it == loaded().byId.end() ? -100 : loaded().functions[it->second].record.argumentCount;
}

std::string ExtensionFunctionName(int32_t id) {
  const auto it = loaded().byId.find(id);
  return it == loaded().byId.end() ? std::string() : loaded().functions[it->second].record.name;
}

void ForgetExtensionPackages() {
  Loaded& l = loaded();
  if (l.registered) code::SetExtensionFunctions(nullptr);
  l = Loaded{};
}

}  // namespace qv::extensions
