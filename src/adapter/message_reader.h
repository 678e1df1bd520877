// The framing of the Debug Adapter Protocol: each message is a header of "Name: value" lines
// ended by an empty line ("\r\n\r\n"), whose Content-Length gives the size of the JSON body that
// follows. The reader takes the bytes as they arrive and hands out whole bodies.
//
// The peer is untrusted: a header is at most kMaxHeaderBytes and a body at most kMaxBodyBytes. A
// header without a valid Content-Length is skipped whole (a body sent after it is dropped as stray
// bytes up to the Content-Length field of the next header); a body that is too large is skipped as
// it arrives (never held); a header that does not end within its limit cannot be told apart from
// what follows it, so its bytes are dropped up to the next "\r\n\r\n". Each of these is reported
// once, and reading goes on with the next message.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qv::adapter {

inline constexpr size_t kMaxHeaderBytes = 4096;       // a header is one or two short lines
inline constexpr size_t kMaxBodyBytes = size_t{4} << 20;  // far above any request an editor sends

class MessageReader {
 public:
  // Adds bytes that arrived.
  void Feed(std::string_view bytes);

  enum class Result { Message, Malformed, None };
  // The next message in `out` (Message), a framing fault with its description in `out`
  // (Malformed), or None when more bytes are needed.
  Result Next(std::string& out);

  // Bytes held now (bounded by the limits, whatever was fed).
  size_t held() const { return buffer_.size(); }

 private:
  std::string buffer_;
  size_t skipping_ = 0;        // bytes of a refused body still to drop
  bool droppingHeader_ = false;  // within an overlong header: dropping up to its end
};

// Frames a JSON body for sending.
std::string FrameMessage(std::string_view body);

}  // namespace qv::adapter
