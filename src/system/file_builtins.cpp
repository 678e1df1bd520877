// Binary files (32 slots), text files (32 slots), the legacy text file, files, directories and disks.
#include "system/file_builtins.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <filesystem>

#include "code/errors.h"
#include "code/rounding.h"
#include "platform/atomic_file.h"
#include "system/binary_file.h"
#include "system/game_file_names.h"
#include "system/text_file.h"
#include "system/text_file_codec.h"

namespace qv::system {

namespace {

namespace fs = std::filesystem;
using code::BuiltinCall;
using code::BuiltinFunction;

constexpr int kSlots = 32;

std::array<BinaryFile, kSlots + 1>& binaryFiles() {
  static std::array<BinaryFile, kSlots + 1> files;
  return files;
}
std::array<TextFile, kSlots + 1>& textFiles() {
  static std::array<TextFile, kSlots + 1> files;
  return files;
}
TextFile& legacyFile() {
  static TextFile file;
  return file;
}

void report(std::string_view message) { code::ReportActionError(message); }

// Rounds a file number; 0 (never a slot) for one that is out of range.
int slotNumber(const BuiltinCall& c, int i) {
  const int n = c.integer(i);
  return n >= 1 && n <= kSlots ? n : 0;
}

// ---- binary files

BinaryFile* openBinary(BuiltinCall& c, std::string_view notOpen) {
  const int n = slotNumber(c, 0);
  if (n == 0 || !binaryFiles()[n].open()) {
    report(notOpen);
    return nullptr;
  }
  return &binaryFiles()[n];
}

void file_bin_open(BuiltinCall& c) {
  c.result = -1.0;
  int slot = 1;
  while (slot <= kSlots && binaryFiles()[slot].open()) ++slot;
  if (slot > kSlots) return report("Cannot open another file (maximum exceeded).");
  const std::string& name = c.string(0);
  const int mode = c.integer(1);
  const bool refused = SecureModeRefusesWrite(name);
  if (mode != 0 && refused) return report("In secure mode you cannot write file " + name);
  // In secure mode a name outside the directory may be read, but reading must not create it.
  const std::string host = GameFileHostPath(name);
  if (host.empty() || !binaryFiles()[slot].Open(host, mode, refused)) return report("Error opening binary file.");
  c.result = static_cast<double>(slot);
}

void file_bin_rewrite(BuiltinCall& c) {
  if (BinaryFile* f = openBinary(c, "Trying to rewrite unopened file."); f && !f->Truncate()) report("Error rewriting file.");
}

void file_bin_close(BuiltinCall& c) {
  if (BinaryFile* f = openBinary(c, "Trying to close unopened file."); f && !f->Close()) report("Error closing file.");
}

void file_bin_size(BuiltinCall& c) {
  BinaryFile* f = openBinary(c, "File is not opened.");
  if (!f) return;
  const int64_t n = f->Size();
  if (n < 0) return report("Error retrieving file size.");
  c.result = static_cast<double>(n);
}

void file_bin_position(BuiltinCall& c) {
  BinaryFile* f = openBinary(c, "File is not opened.");
  if (!f) return;
  const int64_t n = f->Position();
  if (n < 0) return report("Error retrieving file size.");
  c.result = static_cast<double>(n);
}

void file_bin_seek(BuiltinCall& c) {
  if (BinaryFile* f = openBinary(c, "File is not opened."); f && !f->Seek(code::roundToInt64(c.real(1))))
    report("Error seeking.");
}

void file_bin_read_byte(BuiltinCall& c) {
  BinaryFile* f = openBinary(c, "File is not opened.");
  if (!f) return;
  const int b = f->ReadByte();
  if (b < 0) return report("Error reading byte.");
  c.result = static_cast<double>(b);
}

void file_bin_write_byte(BuiltinCall& c) {
  BinaryFile* f = openBinary(c, "File is not opened.");
  if (f && !f->WriteByte(static_cast<uint8_t>(code::roundToInt64(c.real(1)) & 0xFF))) report("Error writing byte.");
}

// ---- text files: opening is shared by the numbered and the legacy file

enum class OpenKind { read, write, append };

// Opens `file` as the game asks; false (reported where the rules say so) when it stays closed.
bool openText(TextFile& file, const std::string& name, OpenKind kind) {
  const std::string host = GameFileHostPath(name);
  if (kind == OpenKind::read) {
    struct stat st {};
    if (host.empty() || ::stat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;  // missing: silent
    if (!file.OpenRead(host)) {
      report("Error opening file for reading.");
      return false;
    }
    return true;
  }
  const bool append = kind == OpenKind::append;
  if (SecureModeRefusesWrite(name)) {
    report((append ? "In secure mode you cannot append to file " : "In secure mode you cannot write file ") + name);
    return false;
  }
  if (host.empty() || !file.OpenWrite(host, append)) {
    report(append ? "Error opening file for appending." : "Error opening file for writing.");
    return false;
  }
  return true;
}

void openNumbered(BuiltinCall& c, OpenKind kind) {
  c.result = -1.0;
  int slot = 1;
  while (slot <= kSlots && textFiles()[slot].mode() != TextFile::Mode::closed) ++slot;
  if (slot > kSlots) return report("Cannot open another file (maximum exceeded).");
  if (openText(textFiles()[slot], c.string(0), kind)) c.result = static_cast<double>(slot);
}

void file_text_open_read(BuiltinCall& c) { openNumbered(c, OpenKind::read); }
void file_text_open_write(BuiltinCall& c) { openNumbered(c, OpenKind::write); }
void file_text_open_append(BuiltinCall& c) { openNumbered(c, OpenKind::append); }

void file_text_close(BuiltinCall& c) {
  const int n = slotNumber(c, 0);
  if (n == 0) return report("Trying to close unexisting text file.");
  if (textFiles()[n].mode() != TextFile::Mode::closed && !textFiles()[n].Close()) report("Error closing file.");
}

TextFile* textFor(BuiltinCall& c, TextFile::Mode mode, std::string_view wrongMode) {
  const int n = slotNumber(c, 0);
  if (n == 0 || textFiles()[n].mode() != mode) {
    report(wrongMode);
    return nullptr;
  }
  return &textFiles()[n];
}

constexpr std::string_view kNotForReading = "File is not opened for reading.";
constexpr std::string_view kNotForReadingShort = "File not opened for reading.";
constexpr std::string_view kNotForWriting = "File not opened for writing.";

// Reading and writing, on a file already checked.
void readString(BuiltinCall& c, TextFile& f) {
  std::string s = f.ReadLineText();
  if (f.ReadFailed()) return report("Error reading string.");
  c.result = std::move(s);
}
void readReal(BuiltinCall& c, TextFile& f) {
  double x = ReadTextReal([&] { return f.Peek(); }, [&] { return f.Next(); });
  if (f.ReadFailed()) return report("Error reading real.");
  c.result = x;
}
void readLine(TextFile& f) {
  f.SkipLine();
  if (f.ReadFailed()) report("Error reading line.");
}
void writeText(TextFile& f, const std::string& s, std::string_view failure) {
  if (!f.Write(s)) report(failure);
}

void file_text_read_string(BuiltinCall& c) {
  c.result = std::string();  // also what a failed read returns
  if (TextFile* f = textFor(c, TextFile::Mode::reading, kNotForReading)) readString(c, *f);
}
void file_text_read_real(BuiltinCall& c) {
  if (TextFile* f = textFor(c, TextFile::Mode::reading, kNotForReading)) readReal(c, *f);
}
void file_text_readln(BuiltinCall& c) {
  if (TextFile* f = textFor(c, TextFile::Mode::reading, kNotForReading)) readLine(*f);
}
void file_text_eof(BuiltinCall& c) {
  if (TextFile* f = textFor(c, TextFile::Mode::reading, kNotForReading)) c.result = f->AtEnd() ? 1.0 : 0.0;
}
void file_text_eoln(BuiltinCall& c) {
  if (TextFile* f = textFor(c, TextFile::Mode::reading, kNotForReading)) c.result = f->AtLineEnd() ? 1.0 : 0.0;
}
void file_text_write_string(BuiltinCall& c) {
  if (TextFile* f = textFor(c, TextFile::Mode::writing, kNotForWriting)) writeText(*f, c.string(1), "Error writing string.");
}
void file_text_write_real(BuiltinCall& c) {
  if (TextFile* f = textFor(c, TextFile::Mode::writing, kNotForWriting)) writeText(*f, FormatTextReal(c.real(1)), "Error writing real.");
}
void file_text_writeln(BuiltinCall& c) {
  if (TextFile* f = textFor(c, TextFile::Mode::writing, kNotForWriting)) writeText(*f, "\r\n", "Error writing line.");
}

// ---- the legacy text file

void openLegacy(BuiltinCall& c, OpenKind kind) {
  legacyFile().Close();
  openText(legacyFile(), c.string(0), kind);
}
void file_open_read(BuiltinCall& c) { openLegacy(c, OpenKind::read); }
void file_open_write(BuiltinCall& c) { openLegacy(c, OpenKind::write); }
void file_open_append(BuiltinCall& c) { openLegacy(c, OpenKind::append); }
void file_close(BuiltinCall&) {
  if (!legacyFile().Close()) report("Error closing file.");
}

TextFile* legacyFor(TextFile::Mode mode, std::string_view wrongMode) {
  if (legacyFile().mode() != mode) {
    report(wrongMode);
    return nullptr;
  }
  return &legacyFile();
}
void file_read_string(BuiltinCall& c) {
  c.result = std::string();
  if (TextFile* f = legacyFor(TextFile::Mode::reading, kNotForReadingShort)) readString(c, *f);
}
void file_read_real(BuiltinCall& c) {
  if (TextFile* f = legacyFor(TextFile::Mode::reading, kNotForReadingShort)) readReal(c, *f);
}
void file_readln(BuiltinCall&) {
  if (TextFile* f = legacyFor(TextFile::Mode::reading, kNotForReadingShort)) readLine(*f);
}
void file_eof(BuiltinCall& c) {
  if (TextFile* f = legacyFor(TextFile::Mode::reading, kNotForReading)) c.result = f->AtEnd() ? 1.0 : 0.0;
}
void file_eoln(BuiltinCall& c) {
  if (TextFile* f = legacyFor(TextFile::Mode::reading, kNotForReading)) c.result = f->AtLineEnd() ? 1.0 : 0.0;
}
void file_write_string(BuiltinCall& c) {
  if (TextFile* f = legacyFor(TextFile::Mode::writing, kNotForWriting)) writeText(*f, c.string(0), "Error writing string.");
}
void file_write_real(BuiltinCall& c) {
  if (TextFile* f = legacyFor(TextFile::Mode::writing, kNotForWriting)) writeText(*f, FormatTextReal(c.real(0)), "Error writing real.");
}
void file_writeln(BuiltinCall&) {
  if (TextFile* f = legacyFor(TextFile::Mode::writing, kNotForWriting)) writeText(*f, "\r\n", "Error writing line.");
}

// ---- files and directories (failures of the host are ignored, as the game expects)

void file_exists(BuiltinCall& c) {
  const std::string host = GameFileHostPath(c.string(0));
  struct stat st {};
  c.result = !host.empty() && ::stat(host.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) ? 1.0 : 0.0;
}

void directory_exists(BuiltinCall& c) {
  const std::string host = GameFileHostPath(c.string(0));
  struct stat st {};
  c.result = !host.empty() && ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? 1.0 : 0.0;
}

void file_delete(BuiltinCall& c) {
  const std::string& name = c.string(0);
  if (SecureModeRefusesWrite(name)) return report("In Secure mode you cannot delete file " + name);
  const std::string host = GameFileHostPath(name);
  struct stat st {};
  if (!host.empty() && ::lstat(host.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) ::unlink(host.c_str());
}

void file_rename(BuiltinCall& c) {
  const std::string &from = c.string(0), &to = c.string(1);
  if (SecureModeRefusesWrite(from) || SecureModeRefusesWrite(to))
    return report("In Secure mode you cannot rename file " + from + " into " + to);
  const std::string a = GameFileHostPath(from), b = GameFileHostPath(to);
  // A rename never replaces an existing file, as on Windows.
  struct stat st {};
  if (!a.empty() && !b.empty() && ::lstat(b.c_str(), &st) != 0) ::rename(a.c_str(), b.c_str());
}

void file_copy(BuiltinCall& c) {
  const std::string &from = c.string(0), &to = c.string(1);
  if (SecureModeRefusesWrite(from) || SecureModeRefusesWrite(to))
    return report("In Secure mode you cannot copy file " + from + " to " + to);
  const std::string a = GameFileHostPath(from), b = GameFileHostPath(to);
  if (a.empty() || b.empty()) return;
  struct stat st {};
  if (::stat(a.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;  // never a device or a pipe
  // The copy replaces the target whole, through a temporary file beside it.
  if (!platform::MayReplace(b)) return;
  platform::TemporaryFile temporary(b);
  int in = ::open(a.c_str(), O_RDONLY | O_CLOEXEC);
  if (!temporary.open() || in < 0) {
    if (in >= 0) ::close(in);
    return;
  }
  char buf[65536];
  ssize_t n;
  bool ok = true;
  while (ok && (n = ::read(in, buf, sizeof buf)) > 0) ok = ::write(temporary.fd(), buf, static_cast<size_t>(n)) == n;
  ok = ok && n == 0;
  ::close(in);
  if (ok) temporary.Commit();
}

void directory_create(BuiltinCall& c) {
  const std::string& name = c.string(0);
  if (SecureModeRefusesWrite(name)) return report("In Secure mode you cannot create directory " + name);
  const std::string host = GameFileHostPath(name);
  std::error_code ec;
  if (!host.empty()) fs::create_directories(host, ec);
}

// ---- disks: the game's working drive ("C", or none given) is the file system of the current
// directory; other letters name no drive.

bool diskStats(BuiltinCall& c, struct statvfs& st) {
  if (c.argc > 0 && !c.string(0).empty()) {
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(c.string(0)[0])));
    if (letter != 'C') return false;
  }
  return ::statvfs(".", &st) == 0;
}
void disk_free(BuiltinCall& c) {
  struct statvfs st {};
  c.result = diskStats(c, st) ? static_cast<double>(st.f_bavail) * static_cast<double>(st.f_frsize) : -1.0;
}
void disk_size(BuiltinCall& c) {
  struct statvfs st {};
  c.result = diskStats(c, st) ? static_cast<double>(st.f_blocks) * static_cast<double>(st.f_frsize) : -1.0;
}

const BuiltinFunction kFileFunctions[] = {
    {"file_bin_open", file_bin_open, 2},
    {"file_bin_rewrite", file_bin_rewrite, 1},
    {"file_bin_close", file_bin_close, 1},
    {"file_bin_size", file_bin_size, 1},
    {"file_bin_position", file_bin_position, 1},
    {"file_bin_seek", file_bin_seek, 2},
    {"file_bin_read_byte", file_bin_read_byte, 1},
    {"file_bin_write_byte", file_bin_write_byte, 2},
    {"file_text_open_read", file_text_open_read, 1},
    {"file_text_open_write", file_text_open_write, 1},
    {"file_text_open_append", file_text_open_append, 1},
    {"file_text_close", file_text_close, 1},
    {"file_text_read_string", file_text_read_string, 1},
    {"file_text_read_real", file_text_read_real, 1},
    {"file_text_readln", file_text_readln, 1},
    {"file_text_eof", file_text_eof, 1},
    {"file_text_eoln", file_text_eoln, 1},
    {"file_text_write_string", file_text_write_string, 2},
    {"file_text_write_real", file_text_write_real, 2},
    {"file_text_writeln", file_text_writeln, 1},
    {"file_open_read", file_open_read, 1},
    {"file_open_write", file_open_write, 1},
    {"file_open_append", file_open_append, 1},
    {"file_close", file_close, 0},
    {"file_read_string", file_read_string, 0},
    {"file_read_real", file_read_real, 0},
    {"file_readln", file_readln, 0},
    {"file_eof", file_eof, 0},
    {"file_eoln", file_eoln, 0},
    {"file_write_string", file_write_string, 1},
    {"file_write_real", file_write_real, 1},
    {"file_writeln", file_writeln, 0},
    {"file_exists", file_exists, 1},
    {"file_delete", file_delete, 1},
    {"file_rename", file_rename, 2},
    {"file_copy", file_copy, 2},
    {"directory_exists", directory_exists, 1},
    {"directory_create", directory_create, 1},
    {"disk_free", disk_free, code::kAnyArguments},
    {"disk_size", disk_size, code::kAnyArguments},
};

}  // namespace

code::BuiltinFamily FileFunctions() { return kFileFunctions; }

void CloseOpenFiles() {
  for (BinaryFile& f : binaryFiles()) f.Close();
  for (TextFile& f : textFiles()) f.Close();
  legacyFile().Close();
}

}  // namespace qv::system
