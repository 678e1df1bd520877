#include "extensions/extension_package.h"

#include "data/container.h"

namespace qv::extensions {
namespace {
constexpr int32_t kRecordVersion = 700;
}  // namespace

bool ReadExtensionPackage(data::CStream& s, ExtensionPackage& p) {
  auto version = [&s] { return s.ReadInteger() == kRecordVersion; };
  if (!version()) return false;
  p.name = s.ReadString();
  p.folder = s.ReadString();
  const auto files = data::ReadCount(s, 4);
  if (!files) return false;
  for (int32_t f = 0; f < *files; ++f) {
    if (!version()) return false;
    ExtensionFile file;
    file.fileName = s.ReadString();
    file.kind = s.ReadInteger();
    file.initFunction = s.ReadString();
    file.finalFunction = s.ReadString();
    const auto functions = data::ReadCount(s, 4);
    if (!functions) return false;
    for (int32_t i = 0; i < *functions; ++i) {
      if (!version()) return false;
      ExtensionFunction fn;
      fn.name = s.ReadString();
      fn.externalName = s.ReadString();
      fn.callType = s.ReadInteger();
      fn.id = s.ReadInteger();
      fn.argumentCount = s.ReadInteger();
      for (int32_t& type : fn.argumentTypes) type = s.ReadInteger();
      fn.resultType = s.ReadInteger();
      file.functions.push_back(std::move(fn));
    }
    const auto constants = data::ReadCount(s, 4);
    if (!constants) return false;
    for (int32_t i = 0; i < *constants; ++i) {
      if (!version()) return false;
      ExtensionConstant c;
      c.name = s.ReadString();
      c.value = s.ReadString();
      file.constants.push_back(std::move(c));
    }
    p.files.push_back(std::move(file));
  }
  const auto block = data::ReadCount(s, 1);
  if (!block) return false;
  p.filesBlock.resize(size_t(*block));
  s.ReadBytes(p.filesBlock.data(), p.filesBlock.size());
  return true;
}

std::vector<uint8_t> PackFilesBlock(const std::vector<std::vector<uint8_t>>& contents, int32_t seed) {
  data::CStream block;
  block.WriteInteger(seed);
  for (const std::vector<uint8_t>& file : contents) {
    block.WriteInteger(int32_t(file.size()));
    block.WriteBytes(file.data(), file.size());
  }
  data::EncodeWithSeed(block, seed, 5, 0);
  return data::Deflate(block.bytes().data(), block.bytes().size());
}

void WriteExtensionPackage(data::CStream& s, const ExtensionPackage& p) {
  s.WriteInteger(kRecordVersion);
  s.WriteString(p.name);
  s.WriteString(p.folder);
  s.WriteInteger(int32_t(p.files.size()));
  for (const ExtensionFile& file : p.files) {
    s.WriteInteger(kRecordVersion);
    s.WriteString(file.fileName);
    s.WriteInteger(file.kind);
    s.WriteString(file.initFunction);
    s.WriteString(file.finalFunction);
    s.WriteInteger(int32_t(file.functions.size()));
    for (const ExtensionFunction& fn : file.functions) {
      s.WriteInteger(kRecordVersion);
      s.WriteString(fn.name);
      s.WriteString(fn.externalName);
      s.WriteInteger(fn.callType);
      s.WriteInteger(fn.id);
      s.WriteInteger(fn.argumentCount);
      for (int32_t type : fn.argumentTypes) s.WriteInteger(type);
      s.WriteInteger(fn.resultType);
    }
    s.WriteInteger(int32_t(file.constants.size()));
    for (const ExtensionConstant& c : file.constants) {
      s.WriteInteger(kRecordVersion);
      s.WriteString(c.name);
      s.WriteString(c.value);
    }
  }
  s.WriteInteger(int32_t(p.filesBlock.size()));
  s.WriteBytes(p.filesBlock.data(), p.filesBlock.size());
}

}  // namespace qv::extensions
