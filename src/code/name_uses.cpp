#include "code/name_uses.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "code/ccode.h"
#include "code/registry.h"
#include "code/tokens.h"
#include "code/variables.h"

namespace qv::code {

namespace {

// The functions that set a variable named by their first argument.
bool setsVariableByName(int32_t function) {
  static constexpr std::array<std::string_view, 6> kSetters = {
      "variable_global_set", "variable_global_array_set", "variable_global_array2_set",
      "variable_local_set",  "variable_local_array_set",  "variable_local_array2_set"};
  const BuiltinFunction* entry = BuiltinEntry(function);
  if (!entry) return false;
  for (std::string_view name : kSetters)
    if (entry->name == name) return true;
  return false;
}

class Walker {
 public:
  std::vector<NameUse> uses;

  void walk(const Node& n) {
    switch (n.kind) {
      case nk_assign: {
        const Node& target = *n.child(0);
        note(target, true);
        for (size_t i = 1; i < target.children.size(); ++i) walk(*target.child(i));  // indices
        if (!target.children.empty()) walk(*target.child(0));  // the instance prefix
        for (size_t i = 1; i < n.children.size(); ++i) walk(*n.child(i));
        return;
      }
      case nk_var:
      case nk_globalvar:
        for (const auto& c : n.children) note(*c, true);
        return;
      case nk_variable:
      case nk_fixed_variable:
        note(n, false);
        break;
      case nk_call:
        if (!n.children.empty() && n.child(0)->kind == nk_constant && n.child(0)->value.isString() &&
            setsVariableByName(n.id))
          uses.push_back({n.child(0)->value.str, n.child(0)->position, true});
        break;
      default:
        break;
    }
    for (const auto& c : n.children) walk(*c);
  }

 private:
  void note(const Node& n, bool assigned) {
    if (n.id < kUserVariableBase) return;  // built-in variables
    uses.push_back({variableNames().nameOf(n.id), n.position, assigned});
  }
};

}  // namespace

std::vector<NameUse> VariableUses(const CCode& code) {
  Walker walker;
  if (code.compiled() && code.root()) walker.walk(*code.root());
  return std::move(walker.uses);
}

TextPlace PlaceInText(const std::string& text, int32_t position) {
  TextPlace place;
  const size_t end = position < 1 ? 0 : std::min(text.size(), static_cast<size_t>(position - 1));
  for (size_t i = 0; i < end; ++i) {
    const char c = text[i];
    if (c == '\r' || (c == '\n' && (i == 0 || text[i - 1] != '\r'))) {
      ++place.line;
      place.column = 1;
    } else if (c != '\n') {
      ++place.column;
    }
  }
  return place;
}

}  // namespace qv::code
