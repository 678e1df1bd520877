// The user variables a piece of code reads and assigns, with their places, as the packer's check
// for names read but never assigned sees them.
#include "code/name_uses.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "code/ccode.h"

namespace qv::code {
namespace {

// "r:name@position" for a read, "a:name@position" for an assignment, in source order.
std::vector<std::string> uses(const std::string& text, bool expression = false) {
  CCode code(text, expression);
  EXPECT_TRUE(code.Compile()) << text;
  std::vector<std::string> out;
  for (const NameUse& u : VariableUses(code))
    out.push_back(std::string(u.assigned ? "a:" : "r:") + u.name + "@" + std::to_string(u.position));
  return out;
}

using List = std::vector<std::string>;

TEST(VariableUses, ReadsAndAssignmentsInSourceOrder) {
  struct Case {
    const char* text;
    List expected;
  } cases[] = {
      {"a = b + 1", {"a:a@1", "r:b@5"}},
      {"a += a", {"a:a@1", "r:a@6"}},
      // Built-in variables and constants are no user variables.
      {"x = score + c_red; y = xx", {"r:xx@24"}},
      {"var t, u; globalvar g", {"a:t@5", "a:u@8", "a:g@21"}},
      // An instance prefix and the indices of an assigned element are read.
      {"who.hp[k] = 1", {"a:hp@5", "r:k@8", "r:who@1"}},
      {"global.best = other.best", {"a:best@8", "r:best@21"}},
      {"for (i = 0; i < n; i += 1) s = s + i", {"a:i@6", "r:i@13", "r:n@17", "a:i@20", "a:s@28", "r:s@32", "r:i@36"}},
      // Setting a variable by a constant name assigns it; a computed name assigns nothing.
      {"variable_global_set('bonus', 2); variable_local_array_set(nm, 0, 1)", {"a:bonus@21", "r:nm@59"}},
      {"with (obj) speed = rate", {"r:obj@7", "r:rate@20"}},
  };
  for (const Case& c : cases) EXPECT_EQ(uses(c.text), c.expected) << c.text;
  EXPECT_EQ(uses("lives_max - 1", true), (List{"r:lives_max@1"}));
}

TEST(VariableUses, NothingForCodeThatDidNotCompile) {
  CCode broken("a = (", false);
  EXPECT_FALSE(broken.Compile());
  EXPECT_TRUE(VariableUses(broken).empty());
}

TEST(PlaceInText, LinesEndAtCrLfCrOrLf) {
  const std::string text = "ab\r\ncd\ref\ngh";
  struct Case {
    int32_t position, line, column;
  } cases[] = {{1, 1, 1}, {2, 1, 2}, {5, 2, 1}, {6, 2, 2}, {8, 3, 1}, {11, 4, 1}, {12, 4, 2}, {0, 1, 1}, {99, 4, 3}};
  for (const Case& c : cases) {
    const TextPlace at = PlaceInText(text, c.position);
    EXPECT_EQ(at.line, c.line) << c.position;
    EXPECT_EQ(at.column, c.column) << c.position;
  }
}

}  // namespace
}  // namespace qv::code
