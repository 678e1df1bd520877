// Included files (`CDataFile`): files carried in the game and written to disk at start, removed at
// the end; and the library initialization code.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/stream.h"

namespace qv::game {

struct CDataFile {
  std::string fileName;
  std::string sourcePath;
  bool hasData = false;
  int32_t sourceSize = 0;
  bool dataFollows = false;
  data::CStream data;
  int32_t exportKind = 2;  // 0 none, 1 temporary directory, 2 working directory, 3 export folder
  std::string exportFolder;
  bool overwrite = false;
  bool freeAfterExport = true;
  bool removeAtEnd = true;
  // Set when this run wrote the file: only those are removed at the end, so that a player's own
  // file kept because overwrite was off is never deleted.
  bool written = false;
};

std::vector<CDataFile>& includedFiles();

// Record version 800 (inside its compressed block). False for another version.
bool ReadDataFileRecord(data::CStream& s, CDataFile& file);
void WriteDataFileRecord(data::CStream& s, const CDataFile& file);
// The included-files chunk: version 800, count, one compressed block per file; empties the list.
bool ReadIncludedFilesChunk(data::CStream& s);

// Where an entry goes: the export root it must stay inside and the host path of the file below
// it. The root is the temporary directory (kind 1), the game's folder (kind 2, and kind 3 with an
// empty or relative export folder, which Windows takes relative to the game's folder) or an
// absolute export folder (kind 3).
struct IncludedFilePlace {
  std::string root;
  std::string target;
};
// Nothing when the entry goes nowhere (kind 0 or unknown, or kind 1 without a temporary directory).
std::optional<IncludedFilePlace> PlaceOfIncludedFile(const CDataFile& file);
// True when the target, with ".." and symbolic links resolved as far as it exists, lies below the
// root, and the root is not the file system's root.
bool PlaceStaysInside(const IncludedFilePlace& place);
// True for a name that would leave the directory it is written into: absolute, with a drive, or
// with a ".." component.
bool NameEscapesDirectory(const std::string& name);

void ExtractIncludedFile(CDataFile& file);
void RemoveIncludedFile(CDataFile& file);
bool ExtractIncludedFiles();  // always true
bool RemoveIncludedFiles();   // always true
int32_t FindIncludedFile(const std::string& name);  // exact, case-sensitive; -1 when none

// Library initialization code: version 500, count, the strings.
std::vector<std::string>& libraryInitCode();
bool ReadLibraryInitChunk(data::CStream& s);
// Runs each non-empty string on a temporary instance; a compile failure is fatal.
void RunLibraryInitCode();

}  // namespace qv::game
