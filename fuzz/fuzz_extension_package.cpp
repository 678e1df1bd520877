// Feeds arbitrary bytes to the extension package loader and the script-file splitter. The first
// byte chooses: even, the rest is an extension packages chunk (loaded without a temporary
// directory, so nothing is written; a package must load or be refused, never crash or grow memory
// past the inflation limit); odd, the rest is a script file, whose sections must hold no CR that is
// not followed by LF and no LF of their own.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "data/stream.h"
#include "extensions/extension_packages.h"
#include "extensions/script_file.h"

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_extension_package: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  if (data[0] % 2 == 0) {
    qv::data::CStream chunk(std::vector<uint8_t>(data + 1, data + size));
    qv::extensions::LoadExtensionPackages(chunk);
    qv::extensions::ForgetExtensionPackages();
    return 0;
  }
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  for (const auto& [name, body] : qv::extensions::SplitScriptFile(text)) {
    check(name.find('\r') == std::string::npos && name.find('\n') == std::string::npos, "a line break in a name");
    for (size_t k = 0; k < body.size(); ++k) {
      if (body[k] == '\r') check(k + 1 < body.size() && body[k + 1] == '\n', "a CR without its LF");
      if (body[k] == '\n') check(k > 0 && body[k - 1] == '\r', "an LF of its own");
    }
  }
  return 0;
}
