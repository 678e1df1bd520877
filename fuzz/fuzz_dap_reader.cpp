// Feeds arbitrary bytes to the debug adapter's message reader, in pieces whose sizes the input's
// first byte chooses, as a hostile editor on the socket might send them. Checks: nothing crashes
// or reads out of bounds (the sanitizers watch), the reader holds no more than its limits, and no
// body above the limit is handed out.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "adapter/message_reader.h"

namespace {
void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_dap_reader: %s\n", what);
    std::abort();
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using qv::adapter::MessageReader;
  if (size == 0) return 0;
  const size_t piece = 1 + data[0] % 64;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  MessageReader reader;
  std::string out;
  for (size_t at = 0; at < bytes.size(); at += piece) {
    reader.Feed(bytes.substr(at, piece));
    for (MessageReader::Result r; (r = reader.Next(out)) != MessageReader::Result::None;)
      check(r != MessageReader::Result::Message || out.size() <= qv::adapter::kMaxBodyBytes, "a body above the limit");
    check(reader.held() <= qv::adapter::kMaxHeaderBytes + qv::adapter::kMaxBodyBytes, "held above the limits");
  }
  return 0;
}
