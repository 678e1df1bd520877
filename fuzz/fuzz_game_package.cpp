// Fuzz entry for the packer's reading of the resource chunks: the input is a plain main section
// from the first chunk on (as it is once unscrambled and past its inner header). Every outcome must
// be false or a StreamError: never a crash, a hang or an unbounded allocation. What was read is
// written back through the owners' writers, which must accept anything their readers produced.
// Seeds: the plain chunks of the packer tests' game that uses every record kind, and of an empty game.
#include <cstddef>
#include <cstdint>

#include "game/families.h"
#include "project/game_package.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qv::game::UseGameFamilies();
  using namespace qv;
  data::CStream main(std::vector<uint8_t>(data, data + size));
  project::GamePackage package;
  std::string chunk;
  try {
    if (project::ReadChunks(main, package, chunk)) (void)project::WriteGamePackage(package, {});
  } catch (const data::StreamError&) {
  }
  return 0;
}
