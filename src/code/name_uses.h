// The user variables a compiled piece of code reads and assigns, for tools that look across a
// whole game (the packer warns about names that are read but never assigned anywhere).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv::code {

class CCode;

struct NameUse {
  std::string name;
  int32_t position = 0;   // 1-based position in the code's text of the token that names it
  bool assigned = false;  // written (=, +=, ...), declared (var, globalvar) or set by name
};

// Every use of a user variable (never a built-in variable) in source order. Reads include the
// targets of compound assignments only as writes: a name that is assigned anywhere is known.
// A call of variable_global_set, variable_local_set or their array forms whose first argument is a
// string constant assigns the variable of that name. Nothing for code that is not compiled.
std::vector<NameUse> VariableUses(const CCode& code);

// The 1-based line and column of a 1-based position in a text; CR, LF and CR LF each end a line.
struct TextPlace {
  int32_t line = 1;
  int32_t column = 1;
};
TextPlace PlaceInText(const std::string& text, int32_t position);

}  // namespace qv::code
