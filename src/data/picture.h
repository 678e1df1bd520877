// The picture encoding of the game data: a boolean, then (when true) a compressed block holding a
// Windows bitmap file. Used by the settings (loading window pictures) and by later resource records.
#pragma once

#include <optional>

#include "data/bitmap32.h"
#include "data/stream.h"

namespace qv::data {

// A picture, or nothing when the boolean says none or the block's content is not a bitmap. The
// block's length is trusted only as far as the stream reaches (StreamError otherwise); a block that
// does not inflate is skipped whole and yields no picture, like any other undecodable picture.
std::optional<data::TBitmap32> ReadPicture(CStream& stream);

// Writes the boolean and, for a picture, the compressed bitmap file.
void WritePicture(CStream& stream, const std::optional<data::TBitmap32>& picture);

}  // namespace qv::data
