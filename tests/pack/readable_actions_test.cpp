// Function actions written by hand as calls: a function name, JSON arguments and the options, with
// question blocks; unpack writes them back in the same form.
#include <nlohmann/json.hpp>

#include "data/stream.h"
#include "pack_fixture.h"

namespace packtest {
namespace {

using ReadableActions = TempDir;

void writeText(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

qv::world::CObject objectOf(const GamePackage& p, int32_t index) {
  qv::data::CStream s(p.raw(ChunkId::Objects)[size_t(index)].record);
  qv::world::CObject o;
  EXPECT_TRUE(qv::world::ReadObjectRecord(s, o));
  return o;
}

TEST_F(ReadableActions, CallsBuildToTheActionsTheyName) {
  const fs::path src = dir / "src";
  writeText(src / "game.json", R"({"format": "quorvane-project", "format_version": 1, "room_order": ["rm"]})");
  writeText(src / "rooms/rm.json", "{}");
  writeText(src / "objects/obj_bullet.json", "{}");
  writeText(src / "objects/obj_ship.json", R"({"events": [{"event": "step", "actions": [
    {"call": "action_move_to", "args": [0, -8], "relative": true},
    {"if": "action_if_variable", "args": [{"expr": "score"}, 100, 2], "not": true},
    "begin",
    {"call": "action_create_object", "args": [{"object": "obj_bullet"}, 1.5, {"expr": "y + 1"}], "applies_to": "other"},
    "else",
    {"call": "action_draw_text", "args": ["Score: ", 8, 8]},
    "end"
  ]}]})");
  GamePackage p;
  std::vector<ProjectError> errors;
  ASSERT_TRUE(LoadProject(src, p, errors)) << errors[0].text();
  const qv::world::CObject ship = objectOf(p, 1);
  const auto& actions = ship.findEvent(qv::world::ev_step, 0)->get()->actions;
  ASSERT_EQ(actions.size(), 7u);

  struct Expected {
    int32_t kind;
    std::string function;
    bool question, relative, negate;
    int32_t appliesTo;
    std::vector<std::pair<int32_t, std::string>> arguments;
  };
  const std::vector<Expected> expected = {
      {qv::world::act_normal, "action_move_to", false, true, false, -1, {{0, "0"}, {0, "-8"}}},
      {qv::world::act_normal, "action_if_variable", true, false, true, -1, {{0, "score"}, {0, "100"}, {0, "2"}}},
      {qv::world::act_begin, "", false, false, false, -1, {}},
      {qv::world::act_normal, "action_create_object", false, false, false, -2, {{10, "0"}, {0, "1.5"}, {0, "y + 1"}}},
      {qv::world::act_else, "", false, false, false, -1, {}},
      {qv::world::act_normal, "action_draw_text", false, false, false, -1, {{1, "Score: "}, {0, "8"}, {0, "8"}}},
      {qv::world::act_end, "", false, false, false, -1, {}},
  };
  for (size_t k = 0; k < expected.size(); ++k) {
    SCOPED_TRACE(k);
    const qv::world::CAction& a = actions[k];
    const Expected& e = expected[k];
    EXPECT_EQ(a.kind, e.kind);
    EXPECT_EQ(a.functionName, e.function);
    EXPECT_EQ(a.executionType, e.function.empty() ? qv::world::exec_none : qv::world::exec_function);
    EXPECT_EQ(a.isQuestion, e.question);
    EXPECT_EQ(a.relative, e.relative);
    EXPECT_EQ(a.mayBeRelative, e.relative);
    EXPECT_EQ(a.negate, e.negate);
    EXPECT_EQ(a.appliesTo, e.appliesTo);
    ASSERT_EQ(a.argumentCount, int32_t(e.arguments.size()));
    for (size_t i = 0; i < e.arguments.size(); ++i) {
      EXPECT_EQ(a.argumentKinds[i], e.arguments[i].first) << i;
      EXPECT_EQ(a.argumentTexts[i], e.arguments[i].second) << i;
    }
  }

  // Unpacking writes the same form back, and building that gives the same game.
  std::string failure;
  ASSERT_TRUE(UnpackProject(p, dir / "out", failure)) << failure;
  const auto folder = tree(dir / "out");
  const auto json = nlohmann::json::parse(folder.at("objects/obj_ship.json"));
  const auto& written = json["events"][0]["actions"];
  EXPECT_EQ(written[0], nlohmann::json::parse(R"({"call": "action_move_to", "args": [0, -8], "relative": true})"));
  EXPECT_EQ(written[1], nlohmann::json::parse(R"({"if": "action_if_variable", "args": [{"expr": "score"}, 100, 2], "not": true})"));
  EXPECT_EQ(written[2], "begin");
  EXPECT_EQ(written[3], nlohmann::json::parse(
                            R"({"call": "action_create_object", "args": [{"object": "obj_bullet"}, 1.5, {"expr": "y + 1"}], "applies_to": "other"})"));
  EXPECT_EQ(written[5], nlohmann::json::parse(R"({"call": "action_draw_text", "args": ["Score: ", 8, 8]})"));
  GamePackage again;
  ASSERT_TRUE(LoadProject(dir / "out", again, errors)) << errors[0].text();
  ExpectSameGame(p, readBack(WriteGamePackage(again, {})));
}

TEST_F(ReadableActions, AnArgumentThatNamesNothingIsAnErrorAtItsPlace) {
  const fs::path src = dir / "src";
  writeText(src / "game.json", R"({"format": "quorvane-project", "format_version": 1})");
  writeText(src / "objects/obj_ship.json",
            R"({"events": [{"event": "create", "actions": [{"call": "action_create_object", "args": [{"object": "obj_none"}, 0, 0]}]}]})");
  GamePackage p;
  std::vector<ProjectError> errors;
  EXPECT_FALSE(LoadProject(src, p, errors));
  ASSERT_FALSE(errors.empty());
  EXPECT_NE(errors[0].text().find("obj_none"), std::string::npos) << errors[0].text();
  EXPECT_NE(errors[0].text().find("args[0]"), std::string::npos) << errors[0].text();
}

}  // namespace
}  // namespace packtest
