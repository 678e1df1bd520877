// ExtensionPackage: one stored extension package — its files with the functions and constants each
// declares, then the block holding the files' contents (kept as stored: the packer never opens it).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data/stream.h"

namespace qv::extensions {

inline constexpr int kExtensionArgumentTypes = 17;

struct ExtensionFunction {
  std::string name;          // as game code calls it (before trimming)
  std::string externalName;  // the name inside the file
  int32_t callType = 0;
  int32_t id = 0;
  int32_t argumentCount = 0;
  std::array<int32_t, kExtensionArgumentTypes> argumentTypes{};
  int32_t resultType = 0;
};

struct ExtensionConstant {
  std::string name;
  std::string value;
};

struct ExtensionFile {
  std::string fileName;
  int32_t kind = 0;
  std::string initFunction;
  std::string finalFunction;
  std::vector<ExtensionFunction> functions;
  std::vector<ExtensionConstant> constants;
};

struct ExtensionPackage {
  std::string name;
  std::string folder;
  std::vector<ExtensionFile> files;
  std::vector<uint8_t> filesBlock;  // the compressed block of the files' contents, after its size
};

// The files block of a package from the contents of its files of a kind other than 3 (no
// contents), in file order: the seed, then each file's length and bytes, encoded with the seed
// from offset 5 and compressed. What a package's loader reads back file by file.
std::vector<uint8_t> PackFilesBlock(const std::vector<std::vector<uint8_t>>& contents, int32_t seed);

// Record version 700 throughout. False on another version or an impossible count; data that ends
// early throws StreamError.
bool ReadExtensionPackage(data::CStream& s, ExtensionPackage& package);
void WriteExtensionPackage(data::CStream& s, const ExtensionPackage& package);

}  // namespace qv::extensions
