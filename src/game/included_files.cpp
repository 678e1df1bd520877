#include "game/included_files.h"

#include <algorithm>
#include <filesystem>

#include "code/ccode.h"
#include "code/errors.h"
#include "code/interpreter.h"
#include "data/container.h"
#include "data/temp_directory.h"
#include "system/host_path.h"
#include "system/secure_mode.h"
#include "world/game_world.h"

namespace qv::game {

namespace fs = std::filesystem;

namespace {
constexpr int32_t kDataFileVersion = 800;
constexpr int32_t kLibraryInitVersion = 500;
}  // namespace

std::vector<CDataFile>& includedFiles() {
  static std::vector<CDataFile> files;
  return files;
}

bool ReadDataFileRecord(data::CStream& s, CDataFile& f) {
  if (s.ReadInteger() != kDataFileVersion) return false;
  f.fileName = s.ReadString();
  f.sourcePath = s.ReadString();
  f.hasData = s.ReadBoolean();
  f.sourceSize = s.ReadInteger();
  f.dataFollows = s.ReadBoolean();
  if (f.hasData && f.dataFollows) f.data = s.ReadRawBlock();
  // Without its content an entry holds nothing to write.
  else f.hasData = false;
  f.exportKind = s.ReadInteger();
  f.exportFolder = s.ReadString();
  f.overwrite = s.ReadBoolean();
  f.freeAfterExport = s.ReadBoolean();
  f.removeAtEnd = s.ReadBoolean();
  return true;
}

void WriteDataFileRecord(data::CStream& s, const CDataFile& f) {
  s.WriteInteger(kDataFileVersion);
  s.WriteString(f.fileName);
  s.WriteString(f.sourcePath);
  s.WriteBoolean(f.hasData);
  s.WriteInteger(f.sourceSize);
  s.WriteBoolean(f.dataFollows);
  if (f.hasData && f.dataFollows) s.WriteRawBlock(f.data);
  s.WriteInteger(f.exportKind);
  s.WriteString(f.exportFolder);
  s.WriteBoolean(f.overwrite);
  s.WriteBoolean(f.freeAfterExport);
  s.WriteBoolean(f.removeAtEnd);
}

bool ReadIncludedFilesChunk(data::CStream& s) {
  auto& files = includedFiles();
  files.clear();
  if (s.ReadInteger() != data::Chunk(data::ChunkId::IncludedFiles).version) return false;
  const auto count = data::ReadCount(s, 4);
  if (!count) return false;
  for (int32_t i = 0; i < *count; ++i) {
    data::CStream block = s.ReadCompressedBlock();
    CDataFile f;
    if (!ReadDataFileRecord(block, f)) return false;
    files.push_back(std::move(f));
  }
  return true;
}

bool NameEscapesDirectory(const std::string& name) {
  if (name.empty()) return true;
  if (name[0] == '\\' || name[0] == '/' || (name.size() >= 2 && name[1] == ':')) return true;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("\\/", start);
    if (end == std::string::npos) end = name.size();
    if (name.compare(start, end - start, "..") == 0) return true;
    start = end + 1;
  }
  return false;
}

std::optional<IncludedFilePlace> PlaceOfIncludedFile(const CDataFile& f) {
  switch (f.exportKind) {
    case 1:
      if (data::TempDirectory().empty()) return std::nullopt;
      return IncludedFilePlace{data::TempDirectory(), system::HostPath(data::TempDirectory() + "\\" + f.fileName)};
    case 2: return IncludedFilePlace{".", system::HostPath(f.fileName)};
    case 3: {
      if (f.exportFolder.empty()) return IncludedFilePlace{".", system::HostPath(f.fileName)};
      const std::string folder = system::HostPath(f.exportFolder);
      const std::string target = system::HostPath(f.exportFolder + "\\" + f.fileName);
      return IncludedFilePlace{fs::path(folder).is_absolute() ? folder : ".", target};
    }
    default: return std::nullopt;
  }
}

bool PlaceStaysInside(const IncludedFilePlace& place) {
  std::error_code ec;
  const fs::path root = fs::weakly_canonical(fs::absolute(place.root, ec), ec);
  if (ec || root == root.root_path()) return false;
  // A dangling link counts as missing below, yet writing through it would create its target.
  if (fs::is_symlink(fs::symlink_status(place.target, ec)) && !fs::exists(place.target, ec)) return false;
  const fs::path target = fs::weakly_canonical(fs::absolute(place.target, ec), ec);
  if (ec) return false;
  auto [r, t] = std::mismatch(root.begin(), root.end(), target.begin(), target.end());
  return r == root.end() && t != target.end();
}

void ExtractIncludedFile(CDataFile& f) {
  if (!f.hasData || f.exportKind == 0) return;
  const bool secure = system::SecureMode();
  if (secure && system::NameLeavesDirectory(f.fileName)) {
    code::HandleError("In secure mode you cannot export a data file to " + f.fileName, false);
    return;
  }
  if (f.exportKind == 3 && secure) {
    code::HandleError("In secure mode you cannot export a data file to an indicated directory.", false);
    return;
  }
  if (f.exportKind < 1 || f.exportKind > 3) return;
  // A name may hold folders below its export root, never a way out of it: neither by "..", nor
  // by a symbolic link already on disk, nor at the file system's root.
  const std::optional<IncludedFilePlace> place = PlaceOfIncludedFile(f);
  if (NameEscapesDirectory(f.fileName) || (place && !PlaceStaysInside(*place))) {
    code::HandleError("Refusing to write the included file " + f.fileName + " outside its directory.", false);
    return;
  }
  std::error_code ec;
  if (place && (f.overwrite || !fs::exists(place->target, ec))) {
    fs::create_directories(fs::path(place->target).parent_path(), ec);
    if (f.data.SaveToFile(place->target)) f.written = true;  // write errors are swallowed
  }
  if (f.freeAfterExport) {
    f.data.clear();
    f.hasData = false;
  }
}

void RemoveIncludedFile(CDataFile& f) {
  if (!f.removeAtEnd || !f.written) return;
  const bool secure = system::SecureMode();
  if (secure && system::NameLeavesDirectory(f.fileName)) return;
  if (f.exportKind == 3 && secure) return;
  // A link put on the way since the file was written must not lead the removal elsewhere.
  const std::optional<IncludedFilePlace> place = PlaceOfIncludedFile(f);
  if (!place || !PlaceStaysInside(*place)) return;
  std::error_code ec;
  fs::remove(place->target, ec);
  f.written = false;
}

bool ExtractIncludedFiles() {
  for (CDataFile& f : includedFiles()) ExtractIncludedFile(f);
  return true;
}

bool RemoveIncludedFiles() {
  for (CDataFile& f : includedFiles()) RemoveIncludedFile(f);
  return true;
}

int32_t FindIncludedFile(const std::string& name) {
  const auto& files = includedFiles();
  for (size_t i = 0; i < files.size(); ++i)
    if (files[i].fileName == name) return static_cast<int32_t>(i);
  return -1;
}

std::vector<std::string>& libraryInitCode() {
  static std::vector<std::string> code;
  return code;
}

bool ReadLibraryInitChunk(data::CStream& s) {
  auto& list = libraryInitCode();
  list.clear();
  if (s.ReadInteger() != kLibraryInitVersion) return false;
  const auto count = data::ReadCount(s, 4);
  if (!count) return false;
  for (int32_t i = 0; i < *count; ++i) list.push_back(s.ReadString());
  return true;
}

void RunLibraryInitCode() {
  for (const std::string& text : libraryInitCode()) {
    if (text.empty()) continue;
    code::CCode compiled(text, false);
    if (!compiled.Compile()) {
      const std::string message = code::errorState().current;
      code::ClearRecordedError();
      code::HandleError("COMPILATION ERROR in library initialization code\r" + message, true);
      return;
    }
    auto temporary = world::MakeTemporaryInstance();
    code::RValue result;
    code::ExecuteAction(compiled, temporary.get(), temporary.get(), result);
  }
}

}  // namespace qv::game
