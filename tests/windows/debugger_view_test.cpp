// The debugger window's client area, driven by the events a player's clicks and keys make, over a
// real game held in the real main loop; its picture is compared with a reviewed golden image.
#include "windows/debugger_view.h"

#include <gtest/gtest.h>

#include "code/debug_output.h"
#include "support/golden.h"
#include "world/debugger.h"
#include "world/world_game.h"

namespace qv::windows {
namespace {

using platform::WindowEvent;
using Target = DebuggerView::Target;

// A click on the middle of the first area that matches.
void clickOn(DebuggerView& view, Target target, int32_t number = 0, const std::string& name = "", int button = 1) {
  (void)view.render();  // lays the areas out as the window shows them
  for (const DebuggerView::HitArea& a : view.areas()) {
    if (a.target != target || (target == Target::Context && a.number != number) ||
        (target == Target::Variable && a.name != name) || (target == Target::Watch && a.number != number))
      continue;
    WindowEvent e;
    e.kind = WindowEvent::MouseDown;
    e.button = button;
    e.x = a.x + a.w / 2;
    e.y = a.y + a.h / 2;
    view.handle(e);
    return;
  }
  ADD_FAILURE() << "nothing to click";
}

void type(DebuggerView& view, const std::string& text) {
  for (char c : text) {
    WindowEvent e;
    e.kind = WindowEvent::Character;
    e.character = static_cast<unsigned char>(c);
    view.handle(e);
  }
  WindowEvent enter;
  enter.kind = WindowEvent::KeyDown;
  enter.vk = 13;
  view.handle(enter);
}

TEST(DebuggerView, ClicksAndKeysDriveTheDebuggerAndThePictureShowsIt) {
  world::Debugger& d = world::debugger();
  d.reset();
  d.setEnabled(true);
  code::SetDebugMessageSink([](const std::string& line) { world::debugger().addMessage(line); });
  testing::TestGame g;
  g.object("obj_mover")
      .on(world::ev_create, 0, "hp = 3; global.level = 1; show_debug_message('made ' + string(id))")
      .on(world::ev_step, world::ev_step_normal, "x += 1; show_debug_message(x / 3)");
  g.room("rm_field").place(0, 10, 0, 100001).place(0, 50, 20, 100002);
  DebuggerView view;
  int stage = 0;
  auto player = [&]() -> bool {
    if (stage == 0) {
      clickOn(view, Target::Pause);
      EXPECT_TRUE(d.paused());
      stage = 1;
      return true;
    }
    if (!d.paused() || d.stepPending()) return true;
    switch (stage) {
      case 1:
      case 2:
        clickOn(view, Target::Step);
        EXPECT_TRUE(d.stepPending());
        ++stage;
        break;
      case 3:
        EXPECT_EQ(d.step(), 2);
        clickOn(view, Target::Context, 100001);
        EXPECT_EQ(view.context(), 100001);
        type(view, "x * 2");
        type(view, "nope +");
        clickOn(view, Target::Variable, 0, "hp");
        EXPECT_EQ(view.editing(), "hp");
        type(view, "hp + 4");
        EXPECT_EQ(view.editing(), "");
        EXPECT_EQ(d.watches().size(), 2u);
        EXPECT_EQ(d.watches()[0].value, "24");
        EXPECT_TRUE(d.watches()[1].failed);
        clickOn(view, Target::Variable, 0, "x");
        type(view, "1 +");  // refused: the error shows under the entry line, the edit goes on
        EXPECT_EQ(view.editing(), "x");
        EXPECT_FALSE(view.notice().empty());
        ExpectGolden("debugger_window", view.render());
        clickOn(view, Target::Watch, 1, "", 2);  // a right click removes a watch
        EXPECT_EQ(d.watches().size(), 1u);
        clickOn(view, Target::Run);
        EXPECT_FALSE(d.paused());
        stage = 4;
        break;
      default:
        break;
    }
    return true;
  };
  EXPECT_EQ(g.run(4, player), 4);
  EXPECT_EQ(stage, 4);
  code::SetDebugMessageSink(nullptr);
  d.reset();
  d.setEnabled(false);
}

}  // namespace
}  // namespace qv::windows
