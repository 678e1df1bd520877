#include "code/lexer.h"

#include <cstring>

namespace qv::code {

namespace {

bool isLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(unsigned char c) {
  return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

struct Keyword {
  const char* word;
  int32_t kind;
};
constexpr Keyword kKeywords[] = {
    {"begin", tk_begin}, {"end", tk_end_block}, {"if", tk_if}, {"then", tk_then},
    {"else", tk_else}, {"while", tk_while}, {"do", tk_do}, {"for", tk_for},
    {"with", tk_with}, {"until", tk_until}, {"repeat", tk_repeat}, {"exit", tk_exit},
    {"return", tk_return}, {"break", tk_break}, {"continue", tk_continue},
    {"switch", tk_switch}, {"case", tk_case}, {"default", tk_default}, {"and", tk_and},
    {"or", tk_or}, {"not", tk_not}, {"div", tk_div}, {"mod", tk_mod}, {"xor", tk_xor},
    {"var", tk_var}, {"globalvar", tk_globalvar},
};

struct Symbol {
  const char* text;
  int32_t kind;
};
// Two-character operators are tried before single characters.
constexpr Symbol kSymbols2[] = {
    {":=", tk_assign}, {"+=", tk_add_assign}, {"-=", tk_sub_assign}, {"*=", tk_mul_assign},
    {"/=", tk_div_assign}, {"&&", tk_and}, {"||", tk_or}, {"<=", tk_less_equal},
    {"==", tk_equal}, {"!=", tk_not_equal}, {"<>", tk_not_equal}, {">=", tk_greater_equal},
    {"|=", tk_or_assign}, {"&=", tk_and_assign}, {"^=", tk_xor_assign},
    {"<<", tk_shift_left}, {">>", tk_shift_right}, {"^^", tk_xor},
};
constexpr Symbol kSymbols1[] = {
    {"{", tk_begin}, {"}", tk_end_block}, {"=", tk_assign}, {"(", tk_open}, {")", tk_close},
    {"[", tk_open_bracket}, {"]", tk_close_bracket}, {";", tk_semicolon}, {":", tk_colon},
    {",", tk_comma}, {"<", tk_less}, {">", tk_greater}, {"+", tk_plus}, {"-", tk_minus},
    {"*", tk_times}, {"/", tk_divide}, {"!", tk_not}, {".", tk_dot}, {"|", tk_bit_or},
    {"&", tk_bit_and}, {"^", tk_bit_xor}, {"~", tk_bit_not},
};

}  // namespace

bool Tokenize(std::string_view text, std::string& padded, std::vector<RToken1>& tokens,
              int32_t& errorPosition) {
  padded.assign(text.data(), text.size());
  padded.append("   ");
  tokens.clear();
  const std::string_view s(padded);
  const size_t n = s.size();
  size_t i = 0;
  auto at = [&](size_t k) -> unsigned char { return k < n ? static_cast<unsigned char>(s[k]) : 0; };
  while (i < n) {
    const unsigned char c = at(i);
    const auto pos = static_cast<int32_t>(i + 1);
    if (c < 33) {
      ++i;
      continue;
    }
    if (c == '/' && at(i + 1) == '/') {
      while (i < n && at(i) != '\r' && at(i) != '\n') ++i;
      continue;
    }
    if (c == '/' && at(i + 1) == '*') {
      const size_t close = s.find("*/", i + 2);
      i = close == std::string_view::npos ? n : close + 2;
      continue;
    }
    if (isLetter(c)) {
      size_t j = i + 1;
      while (j < n && (isLetter(at(j)) || isDigit(at(j)))) ++j;
      const std::string_view word = s.substr(i, j - i);
      int32_t kind = tk_identifier;
      for (const Keyword& k : kKeywords)
        if (word == k.word) kind = k.kind;
      tokens.push_back({kind, word, pos});
      i = j;
      continue;
    }
    if (isDigit(c) || c == '$' || (c == '.' && isDigit(at(i + 1)))) {
      size_t j = i + 1;
      if (c == '$') {
        while (j < n && isHexDigit(at(j))) ++j;
      } else {
        while (j < n && (isDigit(at(j)) || at(j) == '.')) ++j;
      }
      tokens.push_back({tk_number, s.substr(i, j - i), pos});
      i = j;
      continue;
    }
    if (c == '"' || c == '\'') {
      const size_t close = s.find(static_cast<char>(c), i + 1);
      const size_t end = close == std::string_view::npos ? n : close;
      tokens.push_back({tk_string, s.substr(i + 1, end - i - 1), pos});
      i = close == std::string_view::npos ? n : close + 1;
      continue;
    }
    bool matched = false;
    for (const Symbol& sym : kSymbols2) {
      if (c == static_cast<unsigned char>(sym.text[0]) && at(i + 1) == static_cast<unsigned char>(sym.text[1])) {
        tokens.push_back({sym.kind, s.substr(i, 2), pos});
        i += 2;
        matched = true;
        break;
      }
    }
    if (matched) continue;
    for (const Symbol& sym : kSymbols1) {
      if (c == static_cast<unsigned char>(sym.text[0])) {
        tokens.push_back({sym.kind, s.substr(i, 1), pos});
        i += 1;
        matched = true;
        break;
      }
    }
    if (matched) continue;
    errorPosition = pos;
    return false;
  }
  tokens.push_back({tk_end, std::string_view(), static_cast<int32_t>(text.size() + 1)});
  return true;
}

}  // namespace qv::code
