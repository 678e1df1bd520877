#include "platform/code_page.h"

#include <cstdint>

namespace qv::platform {

namespace {

// Code points of bytes 0x80..0x9F; 0 where the code page leaves the byte unused (it then maps to
// the same-numbered C1 control).
constexpr uint16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

uint32_t codePoint(unsigned char b) {
  if (b >= 0x80 && b < 0xA0 && kHigh[b - 0x80] != 0) return kHigh[b - 0x80];
  return b;
}

// The byte of a code point, or nothing outside the code page.
std::optional<char> byteOf(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp < 0x100)) return static_cast<char>(cp);
  for (uint32_t i = 0; i < 32; ++i)
    if (kHigh[i] == cp || (kHigh[i] == 0 && cp == 0x80 + i)) return static_cast<char>(0x80 + i);
  return std::nullopt;
}

// Decodes UTF-8, calling emit(byte or nothing) per character; a broken sequence emits nothing
// and moves on by one byte.
template <class Emit>
void decode(std::string_view text, Emit emit) {
  for (size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    const int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + static_cast<size_t>(extra) >= text.size()) {
      emit(std::nullopt);
      ++i;
      continue;
    }
    uint32_t cp = extra == 0 ? b : b & (0x3Fu >> extra);
    bool valid = true;
    for (int k = 1; k <= extra; ++k) {
      const auto c = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
      if ((c & 0xC0) != 0x80) valid = false;
      cp = cp << 6 | (c & 0x3Fu);
    }
    if (!valid) {
      emit(std::nullopt);
      ++i;
      continue;
    }
    emit(byteOf(cp));
    i += static_cast<size_t>(extra) + 1;
  }
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const uint32_t cp = codePoint(static_cast<unsigned char>(c));
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::string Utf8ToCp1252(std::string_view text) {
  std::string out;
  decode(text, [&](std::optional<char> b) { out.push_back(b.value_or('?')); });
  return out;
}

std::string Utf8ToCp1252Dropping(std::string_view text) {
  std::string out;
  decode(text, [&](std::optional<char> b) {
    if (b) out.push_back(*b);
  });
  return out;
}

std::optional<std::string> Utf8ToCp1252Exact(std::string_view text) {
  std::string out;
  bool exact = true;
  decode(text, [&](std::optional<char> b) {
    if (b) out.push_back(*b);
    else exact = false;
  });
  if (!exact) return std::nullopt;
  return out;
}

}  // namespace qv::platform
