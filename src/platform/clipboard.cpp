#include "platform/clipboard.h"

#include <SDL.h>

#include <cstdint>

namespace qv::platform {

namespace {

// Code points of bytes 0x80..0x9F in code page 1252; 0 where the code page leaves a byte unused
// (those bytes map to the same-numbered C1 control, as Windows does).
const uint16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                            0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

uint32_t codePoint(unsigned char b) {
  if (b >= 0x80 && b < 0xA0 && kHigh[b - 0x80] != 0) return kHigh[b - 0x80];
  return b;
}

void appendUtf8(std::string& out, uint32_t cp) {
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

char toCp1252(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp < 0x100)) return static_cast<char>(cp);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == cp || (kHigh[i] == 0 && cp == 0x80u + static_cast<uint32_t>(i))) return static_cast<char>(0x80 + i);
  return '?';
}

// The clipboard of a process without a video driver.
std::string& localClipboard() {
  static std::string text;
  return text;
}
bool localHasText = false;

bool videoReady() {
  static const bool ready = SDL_WasInit(SDL_INIT_VIDEO) != 0 || SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
  return ready;
}

}  // namespace

std::string cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) appendUtf8(out, codePoint(static_cast<unsigned char>(c)));
  return out;
}

std::string utf8ToCp1252(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    auto b = static_cast<unsigned char>(text[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + static_cast<size_t>(extra) >= text.size()) {
      out.push_back('?');  // a stray continuation byte or a sequence cut short
      ++i;
      continue;
    }
    uint32_t cp = extra == 0 ? b : b & (0x3F >> extra);
    bool valid = true;
    for (int k = 1; k <= extra; ++k) {
      auto c = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
      if ((c & 0xC0) != 0x80) valid = false;
      cp = cp << 6 | (c & 0x3F);
    }
    if (!valid) {
      out.push_back('?');
      ++i;
      continue;
    }
    out.push_back(toCp1252(cp));
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

bool clipboardHasText() {
  if (!videoReady()) return localHasText;
  return SDL_HasClipboardText() == SDL_TRUE;
}

std::string clipboardText() {
  if (!videoReady()) return localHasText ? localClipboard() : std::string();
  char* text = SDL_GetClipboardText();
  if (!text) return {};
  std::string out = utf8ToCp1252(text);
  SDL_free(text);
  return out;
}

void setClipboardText(std::string_view cp1252) {
  if (!videoReady()) {
    localClipboard().assign(cp1252.data(), cp1252.size());
    localHasText = true;
    return;
  }
  SDL_SetClipboardText(cp1252ToUtf8(cp1252).c_str());
}

}  // namespace qv::platform
