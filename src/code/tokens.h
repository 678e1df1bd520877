// Token kinds of the lexer; the same numbers are the operator ids of the tree.
#pragma once

#include <cstdint>

namespace qv::code {

enum TokenKind : int32_t {
  tk_end = -2, tk_invalid = -1, tk_identifier = 0, tk_number = 1, tk_string = 2,
  // Added by the resolution phase in place of identifiers, numbers and strings.
  tk_constant = 5, tk_function = 6, tk_variable = 7,
  tk_begin = 11, tk_end_block = 12, tk_if = 13, tk_then = 14, tk_else = 15, tk_while = 16,
  tk_do = 17, tk_for = 18, tk_until = 19, tk_repeat = 20, tk_exit = 21, tk_break = 22,
  tk_continue = 23, tk_with = 24, tk_return = 25, tk_switch = 26, tk_case = 27, tk_default = 28,
  tk_var = 29, tk_globalvar = 30,
  tk_assign = 101, tk_add_assign = 102, tk_sub_assign = 103, tk_mul_assign = 104,
  tk_div_assign = 105, tk_open = 106, tk_close = 107, tk_semicolon = 108, tk_comma = 109,
  tk_open_bracket = 110, tk_close_bracket = 111, tk_dot = 112, tk_colon = 113,
  tk_or_assign = 114, tk_and_assign = 115, tk_xor_assign = 116,
  tk_and = 201, tk_or = 202, tk_not = 203, tk_less = 204, tk_less_equal = 205, tk_equal = 206,
  tk_not_equal = 207, tk_greater_equal = 208, tk_greater = 209, tk_plus = 210, tk_minus = 211,
  tk_times = 212, tk_divide = 213, tk_div = 214, tk_mod = 215, tk_xor = 216, tk_bit_or = 217,
  tk_bit_and = 218, tk_bit_xor = 219, tk_bit_not = 220, tk_shift_left = 221, tk_shift_right = 222,
};

// Node kinds of the tree.
enum NodeKind : int32_t {
  nk_empty_program = -2, nk_empty = -1, nk_constant = 5, nk_call = 6, nk_variable = 7,
  nk_fixed_variable = 8, nk_if = 13, nk_while = 16, nk_do = 17, nk_for = 18, nk_repeat = 20,
  nk_exit = 21, nk_break = 22, nk_continue = 23, nk_with = 24, nk_return = 25, nk_switch = 26,
  nk_case = 27, nk_default = 28, nk_var = 29, nk_globalvar = 30, nk_assign = 101,
  nk_block = 1000, nk_unary = 1010, nk_binary = 1011,
};

}  // namespace qv::code
