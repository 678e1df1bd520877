// Feeds arbitrary documents to the rich-text reader of the game information, splash texts and
// load_info files. Checks: the reader ends without fault or recursion (the sanitizers watch), what
// it keeps is never more than the document holds (each run's text comes from the document's own
// bytes: escapes and control words never produce more characters than they take), and every
// style it reports lies in its range.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "windows/rich_text.h"

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_rich_text: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto paragraphs = qv::windows::ReadRichText(text);
  size_t characters = 0, runs = 0;
  for (const qv::windows::RichParagraph& p : paragraphs) {
    check(p.alignment >= 0 && p.alignment <= 2, "alignment in range");
    for (const qv::windows::TextRun& r : p.runs) {
      check(r.size >= 1 && r.size <= 1600, "size in range");
      characters += r.text.size();
      ++runs;
    }
  }
  check(paragraphs.size() <= size + 1, "no more paragraphs than bytes");
  check(runs <= size + 1, "no more runs than bytes");
  check(characters <= size, "no more characters than bytes");
  check(qv::windows::RichTextToPlain(text).size() <= size, "the plain text no longer than the document");
  return 0;
}
