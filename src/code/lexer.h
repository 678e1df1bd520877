// The lexer: source text to tokens.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "code/tokens.h"

namespace qv::code {

struct RToken1 {
  int32_t kind;
  std::string_view text;  // into the lexer's padded text
  int32_t position;       // 1-based position of the first character
};

// Splits text into tokens, ending with tk_end. On a character that starts no token it stops and
// returns false with `errorPosition` set. `padded` receives the text with the three blanks that
// are appended to it; the tokens' texts point into it.
bool Tokenize(std::string_view text, std::string& padded, std::vector<RToken1>& tokens,
              int32_t& errorPosition);

}  // namespace qv::code
