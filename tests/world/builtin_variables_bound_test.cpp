// Every built-in variable of the catalogue has its getter once the game is installed, and every
// writable one its setter: an unbound name would read as 0 and swallow what game code writes.
#include <gtest/gtest.h>

#include "code/builtin_variables.h"
#include "code/registry.h"
#include "game/game_loop.h"

namespace qv::world {
namespace {

TEST(BuiltinVariables, EveryOneIsBoundWithItsSetterWhenWritable) {
  code::EnsureBuiltinsRegistered();
  game::InstallGame();
  std::vector<std::string> unbound;
  for (int32_t id = 0; id < code::kBuiltinVariableCount; ++id) {
    const code::BuiltinVariable* v = code::BuiltinVariableEntry(id);
    ASSERT_NE(v, nullptr) << id;
    if (!v->getter || (v->writable && !v->setter)) unbound.emplace_back(v->name);
  }
  EXPECT_TRUE(unbound.empty()) << ::testing::PrintToString(unbound);
}

}  // namespace
}  // namespace qv::world
