// The one INI file a game may have open: a file in the current directory, read again whenever it
// changed on disk and written whole (atomically) after every change.
//
// A file larger than kMaxIniBytes is not read: its questions get their defaults and changes to
// it are dropped, so neither memory nor the player's file suffers from it.
#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include "code/errors.h"
#include "platform/atomic_file.h"
#include "platform/bounded_file.h"
#include "system/file_builtins.h"
#include "system/host_path.h"
#include "system/ini_document.h"
#include "system/text_file_codec.h"

namespace qv::system {

namespace {

using code::BuiltinCall;
using code::BuiltinFunction;

constexpr size_t kMaxIniBytes = 32u << 20;

struct OpenIni {
  std::string path;  // host path
  IniDocument document;
  bool tooLarge = false;
  // What the file on disk was when `document` was read or written.
  struct Stamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec changed{};
    bool operator==(const Stamp& o) const {
      return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
             changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
  } stamp;
  bool loaded = false;
};

std::optional<OpenIni>& ini() {
  static std::optional<OpenIni> file;
  return file;
}

OpenIni::Stamp stampOf(const std::string& path) {
  OpenIni::Stamp s;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return s;
  s.exists = true;
  s.device = st.st_dev;
  s.inode = st.st_ino;
  s.size = st.st_size;
  s.changed = st.st_mtim;
  return s;
}

// The document as it is on disk now.
OpenIni& current() {
  OpenIni& f = *ini();
  OpenIni::Stamp now = stampOf(f.path);
  if (f.loaded && now == f.stamp) return f;
  f.stamp = now;
  f.loaded = true;
  f.tooLarge = false;
  std::string text;
  if (now.exists) {
    platform::FileRead r = platform::ReadFileBounded(f.path, kMaxIniBytes, text);
    f.tooLarge = r == platform::FileRead::tooLarge;
    if (r != platform::FileRead::ok) text.clear();
  }
  f.document = IniDocument(std::move(text));
  return f;
}

void save(OpenIni& f) {
  if (platform::WriteFileAtomically(f.path, f.document.text())) f.stamp = stampOf(f.path);
  else f.loaded = false;  // read again next time: the disk still has the old content
}

bool readable() {
  if (ini()) return true;
  code::ReportActionError("Trying to read from undefined INI file");
  return false;
}

void ini_open(BuiltinCall& c) {
  const std::string& name = c.string(0);
  if (name.find('\\') != std::string::npos || name.find('/') != std::string::npos) {
    code::ReportActionError("INI files must be located in the same directory as the program");
    return;
  }
  ini().reset();
  if (name.find('\0') != std::string::npos) return;  // no file can bear it: stays undefined
  OpenIni f;
  // Fixed when opened: the file stays the same one if the current directory changes later.
  f.path = HostPath(name);
  std::error_code ec;
  if (!f.path.empty() && f.path[0] != '/') f.path = (std::filesystem::current_path(ec) / f.path).string();
  ini() = std::move(f);
}

void ini_close(BuiltinCall&) { ini().reset(); }

void ini_read_string(BuiltinCall& c) {
  c.result = std::string();
  if (!readable()) return;
  std::optional<std::string> v = current().document.Read(c.string(0), c.string(1));
  c.result = v ? *v : c.string(2);
}

void ini_read_real(BuiltinCall& c) {
  if (!readable()) return;
  std::optional<std::string> v = current().document.Read(c.string(0), c.string(1));
  c.result = ParseIniReal(v ? *v : FormatGeneralReal(c.real(2)));
}

void ini_key_exists(BuiltinCall& c) {
  if (readable()) c.result = current().document.Read(c.string(0), c.string(1)) ? 1.0 : 0.0;
}

void ini_section_exists(BuiltinCall& c) {
  if (readable()) c.result = current().document.SectionExists(c.string(0)) ? 1.0 : 0.0;
}

// The open file for a change; nothing (reported) when none is open.
OpenIni* changeable(std::string_view undefined) {
  if (!ini()) {
    code::ReportActionError(undefined);
    return nullptr;
  }
  OpenIni& f = current();
  return f.tooLarge ? nullptr : &f;
}

void ini_write_string(BuiltinCall& c) {
  if (OpenIni* f = changeable("Trying to write to undefined INI file")) {
    f->document.Write(c.string(0), c.string(1), c.string(2));
    save(*f);
  }
}

void ini_write_real(BuiltinCall& c) {
  if (OpenIni* f = changeable("Trying to write to undefined INI file")) {
    f->document.Write(c.string(0), c.string(1), FormatGeneralReal(c.real(2)));
    save(*f);
  }
}

void ini_key_delete(BuiltinCall& c) {
  if (OpenIni* f = changeable("Trying to change undefined INI file")) {
    f->document.DeleteKey(c.string(0), c.string(1));
    save(*f);
  }
}

void ini_section_delete(BuiltinCall& c) {
  if (OpenIni* f = changeable("Trying to change undefined INI file")) {
    f->document.DeleteSection(c.string(0));
    save(*f);
  }
}

const BuiltinFunction kIniFunctions[] = {
    {"ini_open", ini_open, 1},
    {"ini_close", ini_close, 0},
    {"ini_read_string", ini_read_string, 3},
    {"ini_read_real", ini_read_real, 3},
    {"ini_write_string", ini_write_string, 3},
    {"ini_write_real", ini_write_real, 3},
    {"ini_key_exists", ini_key_exists, 2},
    {"ini_section_exists", ini_section_exists, 1},
    {"ini_key_delete", ini_key_delete, 2},
    {"ini_section_delete", ini_section_delete, 1},
};

}  // namespace

code::BuiltinFamily IniFunctions() { return kIniFunctions; }

void CloseIniFile() { ini().reset(); }

}  // namespace qv::system
