// Operations on TBitmap32: sizes, pixels, rectangles, the alpha bounding box, resizing with
// supersampling, the processing of added images (transparent background, smoothed edges, colour
// bleeding), image records of the game data, image files and the PNG writer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/bitmap32.h"

namespace qv::data {
class CStream;
}

namespace qv::graphics {

// Inclusive pixel rectangle; left > right means "no pixel".
struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Box&) const = default;
};

// Nothing happens when w or h is below 1 or the size is unchanged; the new content is zero.
void SetSize(data::TBitmap32& b, int w, int h);
void SetSizeAndFill(data::TBitmap32& b, int w, int h, uint32_t argb);
// 0 outside the bitmap.
uint32_t GetPixel(const data::TBitmap32& b, int x, int y);
// Copies pixels unchanged (alpha included), clipped to both bitmaps.
void CopyRect(data::TBitmap32& dst, int dx, int dy, const data::TBitmap32& src, int sx, int sy, int w, int h);
// Smallest box holding every pixel with alpha > tolerance; (w-1, h-1, 0, 0) when there is none.
Box AlphaBoundingBox(const data::TBitmap32& b, int tolerance);
// New bitmap of newW x newH from n x n samples per pixel (n below 1 counts as 1); transparent
// samples count as transparent black. An empty source gives a transparent result.
data::TBitmap32 Resized(const data::TBitmap32& src, int newW, int newH, int factor);
// Over the overlap: alpha = alpha * (red + green + blue of other) div 765.
void AlphaFrom(data::TBitmap32& b, const data::TBitmap32& other);

// Processing of images added at run time.
void MakeBackgroundTransparent(data::TBitmap32& b);  // keyed on the bottom-left pixel
void SmoothEdges(data::TBitmap32& b);
void BleedColours(data::TBitmap32& b);
// The three above in the order added images get them.
void ProcessAddedImage(data::TBitmap32& b, bool removeBack, bool smooth);

// Image record (version 800). A record that is not readable leaves `out` empty and returns false;
// data ending early throws StreamError as every reader of the stream does.
bool ReadImageRecord(data::CStream& s, data::TBitmap32& out);
void WriteImageRecord(data::CStream& s, const data::TBitmap32& b);

// The PNG writer: colour type 6, filter 0 on every row, one IDAT, default zlib level.
std::vector<uint8_t> EncodePng(const data::TBitmap32& b);
bool SavePng(const data::TBitmap32& b, const std::string& hostPath);
// Windows bitmap (32 bits per pixel, alpha kept).
bool SaveBmp(const data::TBitmap32& b, const std::string& hostPath);
// Whether game code may write an image file of this name: in secure mode a name that would leave
// the game's directory is refused with "In secure mode you cannot write file " + name (non-fatal).
bool ImageWriteAllowed(const std::string& name);

// Image files. The format is chosen by the extension (".png", ".jpg", ...; case ignored).
// Decoded pictures without an alpha channel are laid on the fill colour 0xFFFEFF (red 254, green
// 255, blue 255), so transparent GIF pixels take that colour, and are opaque; pictures with an
// alpha channel keep it; a picture whose every alpha is 0 becomes opaque.
std::optional<data::TBitmap32> DecodeImage(const uint8_t* data, size_t size, const std::string& extension);
std::optional<data::TBitmap32> ReadImageFile(const std::string& hostPath);
// Lower-case extension with its dot ("" when there is none).
std::string FileExtension(const std::string& path);
// The largest image or resource file read: far above any picture a game loads (the decoded form
// is bounded separately by the image side limit).
inline constexpr size_t kMaxImageFileBytes = size_t{256} << 20;
// Reads a regular file of at most kMaxImageFileBytes; false when it is missing, unreadable or larger.
bool ReadWholeFile(const std::string& hostPath, std::vector<uint8_t>& out);

}  // namespace qv::graphics
