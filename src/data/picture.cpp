#include "data/picture.h"

#include "data/bmp_file.h"

namespace qv::data {

std::optional<data::TBitmap32> ReadPicture(CStream& stream) {
  if (!stream.ReadBoolean()) return std::nullopt;
  // The raw block bounds-checks the length; inflation is done here so that a bad block is skipped.
  CStream packed = stream.ReadRawBlock();
  std::vector<uint8_t> plain;
  try {
    plain = Inflate(packed.bytes().data(), packed.size(), CStream::kMaxInflatedSize);
  } catch (const StreamError&) {
    return std::nullopt;
  }
  return data::DecodeBmp(plain.data(), plain.size());
}

void WritePicture(CStream& stream, const std::optional<data::TBitmap32>& picture) {
  stream.WriteBoolean(picture.has_value());
  if (!picture) return;
  stream.WriteCompressedBlock(CStream(data::EncodeBmp(*picture)));
}

}  // namespace qv::data
