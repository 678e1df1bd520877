#include "game/included_file_builtins.h"

#include "code/errors.h"
#include "game/included_files.h"
#include "system/host_path.h"
#include "system/secure_mode.h"

namespace qv::game {

namespace {

using code::BuiltinCall;
using code::BuiltinFunction;

// Writes the file to its configured place now, replacing what is there, and keeps its data. A
// file configured for no place goes to the game's folder. The same limits as at start apply.
void export_include_file(BuiltinCall& c) {
  const int32_t i = FindIncludedFile(c.string(0));
  if (i < 0) return code::ReportActionError("Trying to export non-existing file.");
  CDataFile& f = includedFiles()[static_cast<size_t>(i)];
  if (!f.hasData) return;
  CDataFile copy = f;
  if (copy.exportKind == 0) copy.exportKind = 2;
  copy.overwrite = true;
  copy.freeAfterExport = false;
  copy.written = false;
  ExtractIncludedFile(copy);
  f.written = f.written || copy.written;
}

void export_include_file_location(BuiltinCall& c) {
  if (system::SecureMode()) return code::ReportActionError("In secure mode you cannot export a file to a location.");
  const int32_t i = FindIncludedFile(c.string(0));
  if (i < 0) return code::ReportActionError("Trying to export non-existing file.");
  const CDataFile& f = includedFiles()[static_cast<size_t>(i)];
  const std::string& location = c.string(1);
  if (!f.hasData || location.empty() || location.find('\0') != std::string::npos) return;
  f.data.SaveToFile(system::HostPath(location));  // a failure to write is not reported
}

void discard_include_file(BuiltinCall& c) {
  const int32_t i = FindIncludedFile(c.string(0));
  if (i < 0) return code::ReportActionError("Trying to discard non-existing file.");
  CDataFile& f = includedFiles()[static_cast<size_t>(i)];
  f.data.clear();
  f.hasData = false;
}

const BuiltinFunction kIncludedFileFunctions[] = {
    {"export_include_file", export_include_file, 1},
    {"export_include_file_location", export_include_file_location, 2},
    {"discard_include_file", discard_include_file, 1},
};

}  // namespace

code::BuiltinFamily IncludedFileFunctions() { return kIncludedFileFunctions; }

}  // namespace qv::game
