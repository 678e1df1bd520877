#include "adapter/message_reader.h"

#include <charconv>

namespace qv::adapter {

namespace {

constexpr std::string_view kHeaderEnd = "\r\n\r\n";
constexpr std::string_view kLengthField = "content-length:";

bool sameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char c = a[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != b[i]) return false;
  }
  return true;
}

// The Content-Length of a header (field names are case-blind, other fields are ignored); -1 when
// it is missing, repeated or not a plain decimal number of at most 18 digits.
long long contentLength(std::string_view header) {
  long long found = -1;
  while (!header.empty()) {
    const size_t end = header.find("\r\n");
    const std::string_view line = header.substr(0, end);
    header = end == std::string_view::npos ? std::string_view() : header.substr(end + 2);
    if (line.size() < kLengthField.size() || !sameLetters(line.substr(0, kLengthField.size()), kLengthField)) continue;
    if (found >= 0) return -1;
    std::string_view digits = line.substr(kLengthField.size());
    while (!digits.empty() && (digits.front() == ' ' || digits.front() == '\t')) digits.remove_prefix(1);
    while (!digits.empty() && (digits.back() == ' ' || digits.back() == '\t')) digits.remove_suffix(1);
    if (digits.empty() || digits.size() > 18) return -1;  // 18 digits hold any length a long long can
    long long value = 0;
    const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (r.ec != std::errc() || r.ptr != digits.data() + digits.size() || value < 0) return -1;
    found = value;
  }
  return found;
}

// Where a Content-Length field starts inside the first line of a header rather than at its start;
// npos when it does not.
size_t fieldInside(std::string_view header) {
  const std::string_view first = header.substr(0, header.find("\r\n"));
  for (size_t i = 1; i + kLengthField.size() <= first.size(); ++i)
    if (sameLetters(first.substr(i, kLengthField.size()), kLengthField)) return i;
  return std::string_view::npos;
}

}  // namespace

void MessageReader::Feed(std::string_view bytes) {
  // A refused body is dropped as it comes, so it never takes memory.
  if (skipping_ > 0) {
    const size_t n = bytes.size() < skipping_ ? bytes.size() : skipping_;
    skipping_ -= n;
    bytes.remove_prefix(n);
  }
  buffer_.append(bytes);
}

MessageReader::Result MessageReader::Next(std::string& out) {
  for (;;) {
    if (skipping_ > 0) {
      const size_t n = buffer_.size() < skipping_ ? buffer_.size() : skipping_;
      buffer_.erase(0, n);
      skipping_ -= n;
      if (skipping_ > 0) return Result::None;
    }
    const size_t end = buffer_.find(kHeaderEnd);
    if (droppingHeader_) {
      if (end == std::string::npos) {
        // Keep the last three bytes: they may begin the "\r\n\r\n" that ends the header.
        if (buffer_.size() > 3) buffer_.erase(0, buffer_.size() - 3);
        return Result::None;
      }
      buffer_.erase(0, end + kHeaderEnd.size());
      droppingHeader_ = false;
      continue;
    }
    if (end == std::string::npos || end + kHeaderEnd.size() > kMaxHeaderBytes) {
      if (buffer_.size() < kMaxHeaderBytes && end == std::string::npos) return Result::None;
      droppingHeader_ = true;
      out = "a message header longer than " + std::to_string(kMaxHeaderBytes) + " bytes";
      return Result::Malformed;
    }
    const size_t field = fieldInside(std::string_view(buffer_).substr(0, end));
    if (field != std::string::npos) {
      // Stray bytes (the body of a message whose length was lost) ahead of a header: the header
      // starts where its field does.
      buffer_.erase(0, field);
      out = "bytes before a message header";
      return Result::Malformed;
    }
    const long long length = contentLength(std::string_view(buffer_).substr(0, end));
    const size_t bodyStart = end + kHeaderEnd.size();
    if (length < 0) {
      buffer_.erase(0, bodyStart);
      out = "a message header without a valid Content-Length";
      return Result::Malformed;
    }
    if (static_cast<unsigned long long>(length) > kMaxBodyBytes) {
      buffer_.erase(0, bodyStart);
      skipping_ = static_cast<size_t>(length);
      out = "a message body of " + std::to_string(length) + " bytes, above the limit of " +
            std::to_string(kMaxBodyBytes);
      return Result::Malformed;
    }
    const size_t size = static_cast<size_t>(length);
    if (buffer_.size() - bodyStart < size) return Result::None;
    out.assign(buffer_, bodyStart, size);
    buffer_.erase(0, bodyStart + size);
    return Result::Message;
  }
}

std::string FrameMessage(std::string_view body) {
  std::string framed = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  framed.append(body);
  return framed;
}

}  // namespace qv::adapter
