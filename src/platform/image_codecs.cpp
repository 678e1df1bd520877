// Decoders over libpng, libjpeg, giflib and libtiff, each reading from memory.
//
// Sections: size guards; PNG; JPEG; TIFF; GIF (reading, composing the first image, writing).
#include "platform/image_codecs.h"

#include <cstdio>  // jpeglib.h needs FILE

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <map>

namespace qv::platform {
namespace {

// --- size guards ---------------------------------------------------------------------------------

// A compressed file of `size` bytes cannot hold more than about `pixelsPerByte` pixels per byte
// (deflate, LZW and JPEG all have a bounded expansion); refusing larger claims before allocating
// keeps a forged header from reserving gigabytes for data that is not there.
bool PlausibleSize(int64_t w, int64_t h, size_t size, int64_t pixelsPerByte) {
  if (w < 1 || h < 1 || w > kMaxImageSide || h > kMaxImageSide) return false;
  const int64_t slack = int64_t{1} << 16;
  return w * h <= int64_t(size) * pixelsPerByte + slack;
}

// Pixels of a bi-level image packed by deflate: 8 pixels a byte, 1032:1 at best.
constexpr int64_t kDeflatePixelsPerByte = 8 * 1032;
// Baseline JPEG codes an 8x8 block of one colour in a few bits.
constexpr int64_t kJpegPixelsPerByte = 64 * 8;
// GIF LZW: a 12-bit code can stand for up to 4096 pixels.
constexpr int64_t kGifPixelsPerByte = 4096;

uint32_t Argb(uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
  return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}

// --- PNG -----------------------------------------------------------------------------------------

}  // namespace

std::optional<DecodedImage> DecodePng(const uint8_t* data, size_t size) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size)) return std::nullopt;
  if (!PlausibleSize(image.width, image.height, size, kDeflatePixelsPerByte)) {
    png_image_free(&image);
    return std::nullopt;
  }
  DecodedImage out;
  out.hasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  image.format = PNG_FORMAT_BGRA;  // bytes B, G, R, A: the little-endian 0xAARRGGBB pixel
  out.width = int(image.width);
  out.height = int(image.height);
  out.pixels.resize(size_t(out.width) * size_t(out.height));
  if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  return out;
}

// --- JPEG ----------------------------------------------------------------------------------------

namespace {
struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};
void JpegFail(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }
void JpegQuiet(j_common_ptr, int) {}
}  // namespace

std::optional<DecodedImage> DecodeJpeg(const uint8_t* data, size_t size) {
  if (size == 0) return std::nullopt;
  jpeg_decompress_struct info;
  JpegError error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JpegFail;
  error.manager.emit_message = JpegQuiet;
  // Everything that must survive a longjmp lives outside this frame's automatic variables.
  auto* out = new DecodedImage;
  std::vector<uint8_t>* row = new std::vector<uint8_t>;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&info);
    delete out;
    delete row;
    return std::nullopt;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  if (!PlausibleSize(info.image_width, info.image_height, size, kJpegPixelsPerByte)) {
    jpeg_destroy_decompress(&info);
    delete out;
    delete row;
    return std::nullopt;
  }
  info.out_color_space = JCS_EXT_BGRA;
  jpeg_start_decompress(&info);
  out->width = int(info.output_width);
  out->height = int(info.output_height);
  out->pixels.resize(size_t(out->width) * size_t(out->height));
  row->resize(size_t(out->width) * 4);
  while (info.output_scanline < info.output_height) {
    JSAMPROW rows[1] = {row->data()};
    const unsigned y = info.output_scanline;
    if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
    uint32_t* dst = out->pixels.data() + size_t(y) * size_t(out->width);
    for (int x = 0; x < out->width; ++x) {
      const uint8_t* p = row->data() + size_t(x) * 4;
      dst[x] = Argb(255, p[2], p[1], p[0]);
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  std::optional<DecodedImage> result(std::move(*out));
  delete out;
  delete row;
  return result;
}

std::vector<uint8_t> EncodeJpeg(const DecodedImage& image, int quality) {
  jpeg_compress_struct info;
  JpegError error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JpegFail;
  unsigned char* buffer = nullptr;
  unsigned long length = 0;
  if (setjmp(error.jump)) {
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return {};
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &buffer, &length);
  info.image_width = JDIMENSION(image.width);
  info.image_height = JDIMENSION(image.height);
  info.input_components = 4;
  info.in_color_space = JCS_EXT_BGRA;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW rows[1] = {reinterpret_cast<JSAMPROW>(const_cast<uint32_t*>(image.pixels.data() +
                                                                         size_t(info.next_scanline) * size_t(image.width)))};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<uint8_t> bytes(buffer, buffer + length);
  std::free(buffer);
  return bytes;
}

// --- TIFF ----------------------------------------------------------------------------------------

namespace {
struct MemoryFile {
  std::vector<uint8_t> bytes;  // for writing
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t pos = 0;
  bool writing = false;
};
tsize_t TiffRead(thandle_t h, tdata_t buf, tsize_t n) {
  auto* f = static_cast<MemoryFile*>(h);
  const size_t avail = f->pos < f->size ? f->size - f->pos : 0;
  const size_t count = std::min(avail, size_t(n));
  std::memcpy(buf, f->data + f->pos, count);
  f->pos += count;
  return tsize_t(count);
}
tsize_t TiffWrite(thandle_t h, tdata_t buf, tsize_t n) {
  auto* f = static_cast<MemoryFile*>(h);
  if (!f->writing) return 0;
  if (f->pos + size_t(n) > f->bytes.size()) f->bytes.resize(f->pos + size_t(n));
  std::memcpy(f->bytes.data() + f->pos, buf, size_t(n));
  f->pos += size_t(n);
  return n;
}
toff_t TiffSeek(thandle_t h, toff_t off, int whence) {
  auto* f = static_cast<MemoryFile*>(h);
  const size_t end = f->writing ? f->bytes.size() : f->size;
  uint64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? f->pos : end;
  f->pos = size_t(base + off);
  return toff_t(f->pos);
}
int TiffClose(thandle_t) { return 0; }
toff_t TiffSize(thandle_t h) {
  auto* f = static_cast<MemoryFile*>(h);
  return toff_t(f->writing ? f->bytes.size() : f->size);
}
int TiffMap(thandle_t, tdata_t*, toff_t*) { return 0; }
void TiffUnmap(thandle_t, tdata_t, toff_t) {}

void SilenceTiff() {
  static const bool done = [] {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    return true;
  }();
  (void)done;
}
}  // namespace

std::optional<DecodedImage> DecodeTiff(const uint8_t* data, size_t size) {
  SilenceTiff();
  MemoryFile file;
  file.data = data;
  file.size = size;
  TIFF* tif = TIFFClientOpen("memory", "rm", &file, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize,
                             TiffMap, TiffUnmap);
  if (!tif) return std::nullopt;
  uint32_t w = 0, h = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
  char message[1024];
  if (!PlausibleSize(w, h, size, kDeflatePixelsPerByte) || !TIFFRGBAImageOK(tif, message)) {
    TIFFClose(tif);
    return std::nullopt;
  }
  std::vector<uint32_t> raster(size_t(w) * size_t(h));
  const int ok = TIFFReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 0);
  uint16_t samples = 0, extra = 0;
  uint16_t* extraTypes = nullptr;
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extra, &extraTypes);
  TIFFClose(tif);
  if (!ok) return std::nullopt;
  DecodedImage out;
  out.width = int(w);
  out.height = int(h);
  out.hasAlpha = extra > 0;
  out.pixels.resize(raster.size());
  // The raster holds A, B, G, R from the high byte down; libtiff premultiplies associated alpha
  // only, which is what the file means by it.
  for (size_t i = 0; i < raster.size(); ++i) {
    const uint32_t p = raster[i];
    out.pixels[i] = Argb(uint8_t(TIFFGetA(p)), uint8_t(TIFFGetR(p)), uint8_t(TIFFGetG(p)), uint8_t(TIFFGetB(p)));
  }
  return out;
}

std::vector<uint8_t> EncodeTiff(const DecodedImage& image) {
  SilenceTiff();
  MemoryFile file;
  file.writing = true;
  TIFF* tif = TIFFClientOpen("memory", "w", &file, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize,
                             TiffMap, TiffUnmap);
  if (!tif) return {};
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(image.width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(image.height));
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(4));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_DEFLATE);
  uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
  TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, uint16_t(1), extra);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t(image.height));
  std::vector<uint8_t> row(size_t(image.width) * 4);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const uint32_t p = image.pixels[size_t(y) * size_t(image.width) + size_t(x)];
      row[size_t(x) * 4 + 0] = uint8_t(p >> 16);
      row[size_t(x) * 4 + 1] = uint8_t(p >> 8);
      row[size_t(x) * 4 + 2] = uint8_t(p);
      row[size_t(x) * 4 + 3] = uint8_t(p >> 24);
    }
    TIFFWriteScanline(tif, row.data(), uint32_t(y), 0);
  }
  TIFFClose(tif);
  return file.bytes;
}

// --- GIF -----------------------------------------------------------------------------------------

namespace {
// All frames of one animation together: the composer makes one logical-screen frame per image,
// so frames * screen pixels is what a sprite ends up holding. 2^26 pixels (256 MiB) is far above
// any animation a game ships and keeps a forged file from exhausting memory.
constexpr int64_t kMaxGifComposedPixels = int64_t{1} << 26;

struct MemoryReader {
  const uint8_t* data;
  size_t size;
  size_t pos;
};
int GifRead(GifFileType* gif, GifByteType* buf, int n) {
  auto* r = static_cast<MemoryReader*>(gif->UserData);
  const size_t avail = r->pos < r->size ? r->size - r->pos : 0;
  const size_t count = std::min(avail, size_t(std::max(n, 0)));
  std::memcpy(buf, r->data + r->pos, count);
  r->pos += count;
  return int(count);
}
}  // namespace

std::optional<GifAnimation> DecodeGifAnimation(const uint8_t* data, size_t size) {
  MemoryReader reader{data, size, 0};
  int error = 0;
  GifFileType* gif = DGifOpen(&reader, GifRead, &error);
  if (!gif) return std::nullopt;
  GifAnimation anim;
  anim.width = gif->SWidth;
  anim.height = gif->SHeight;
  auto fail = [&] {
    DGifCloseFile(gif, &error);
    return std::nullopt;
  };
  if (!PlausibleSize(anim.width, anim.height, size, kGifPixelsPerByte)) return fail();
  int disposal = 0;
  int transparent = -1;
  int64_t composed = 0;
  GifRecordType record;
  do {
    if (DGifGetRecordType(gif, &record) == GIF_ERROR) return fail();
    if (record == IMAGE_DESC_RECORD_TYPE) {
      if (DGifGetImageDesc(gif) == GIF_ERROR) return fail();
      const GifImageDesc& desc = gif->Image;
      composed += int64_t(anim.width) * anim.height;
      if (composed > kMaxGifComposedPixels) return fail();
      if (!PlausibleSize(desc.Width, desc.Height, size, kGifPixelsPerByte)) return fail();
      const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
      if (!map) return fail();
      std::vector<GifByteType> indices(size_t(desc.Width) * size_t(desc.Height));
      if (desc.Interlace) {
        static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
          for (int y = start[pass]; y < desc.Height; y += step[pass])
            if (DGifGetLine(gif, indices.data() + size_t(y) * size_t(desc.Width), desc.Width) == GIF_ERROR)
              return fail();
      } else {
        for (int y = 0; y < desc.Height; ++y)
          if (DGifGetLine(gif, indices.data() + size_t(y) * size_t(desc.Width), desc.Width) == GIF_ERROR)
            return fail();
      }
      GifFrame frame;
      frame.left = desc.Left;
      frame.top = desc.Top;
      frame.width = desc.Width;
      frame.height = desc.Height;
      frame.disposal = disposal;
      frame.pixels.resize(indices.size());
      for (size_t i = 0; i < indices.size(); ++i) {
        const int k = indices[i];
        if (k == transparent || k >= map->ColorCount) {
          frame.pixels[i] = 0;
        } else {
          const GifColorType& c = map->Colors[k];
          frame.pixels[i] = Argb(255, c.Red, c.Green, c.Blue);
        }
      }
      anim.frames.push_back(std::move(frame));
      disposal = 0;
      transparent = -1;
    } else if (record == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* ext = nullptr;
      if (DGifGetExtension(gif, &code, &ext) == GIF_ERROR) return fail();
      if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4) {
        GraphicsControlBlock gcb;
        DGifExtensionToGCB(ext[0], ext + 1, &gcb);
        disposal = gcb.DisposalMode;
        transparent = gcb.TransparentColor;
      }
      while (ext) {
        if (DGifGetExtensionNext(gif, &ext) == GIF_ERROR) return fail();
      }
    }
  } while (record != TERMINATE_RECORD_TYPE);
  DGifCloseFile(gif, &error);
  if (anim.frames.empty()) return std::nullopt;
  return anim;
}

std::optional<DecodedImage> DecodeGif(const uint8_t* data, size_t size) {
  auto anim = DecodeGifAnimation(data, size);
  if (!anim) return std::nullopt;
  DecodedImage out;
  out.width = anim->width;
  out.height = anim->height;
  out.hasAlpha = true;
  out.pixels.assign(size_t(out.width) * size_t(out.height), 0);
  const GifFrame& f = anim->frames[0];
  for (int y = 0; y < f.height; ++y) {
    const int dy = f.top + y;
    if (dy < 0 || dy >= out.height) continue;
    for (int x = 0; x < f.width; ++x) {
      const int dx = f.left + x;
      if (dx < 0 || dx >= out.width) continue;
      const uint32_t p = f.pixels[size_t(y) * size_t(f.width) + size_t(x)];
      if (p >> 24) out.pixels[size_t(dy) * size_t(out.width) + size_t(dx)] = p;
    }
  }
  return out;
}

namespace {
int GifWrite(GifFileType* gif, const GifByteType* buf, int n) {
  auto* bytes = static_cast<std::vector<uint8_t>*>(gif->UserData);
  bytes->insert(bytes->end(), buf, buf + n);
  return n;
}
}  // namespace

std::vector<uint8_t> EncodeGif(const GifAnimation& animation) {
  std::vector<uint8_t> bytes;
  int error = 0;
  GifFileType* gif = EGifOpen(&bytes, GifWrite, &error);
  if (!gif) return {};
  EGifSetGifVersion(gif, true);
  if (EGifPutScreenDesc(gif, animation.width, animation.height, 8, 0, nullptr) == GIF_ERROR) {
    EGifCloseFile(gif, &error);
    return {};
  }
  for (const GifFrame& f : animation.frames) {
    // Index 0 is transparent; the frame's opaque colours follow in order of appearance.
    std::map<uint32_t, int> index;
    std::vector<GifColorType> colours(256, GifColorType{0, 0, 0});
    std::vector<GifByteType> line(f.pixels.size());
    int next = 1;
    for (size_t i = 0; i < f.pixels.size(); ++i) {
      const uint32_t p = f.pixels[i];
      if ((p >> 24) == 0) {
        line[i] = 0;
        continue;
      }
      auto [it, added] = index.emplace(p & 0xFFFFFF, next);
      if (added && next < 256) {
        colours[size_t(next)] = GifColorType{uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)};
        ++next;
      }
      line[i] = GifByteType(std::min(it->second, 255));
    }
    ColorMapObject* map = GifMakeMapObject(256, colours.data());
    GraphicsControlBlock gcb{f.disposal, false, 10, 0};
    GifByteType ext[4];
    const size_t len = EGifGCBToExtension(&gcb, ext);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(len), ext);
    EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, false, map);
    for (int y = 0; y < f.height; ++y) EGifPutLine(gif, line.data() + size_t(y) * size_t(f.width), f.width);
    GifFreeMapObject(map);
  }
  EGifCloseFile(gif, &error);
  return bytes;
}

}  // namespace qv::platform
