#include "windows/highscore_window.h"

#include "graphics/background.h"
#include "graphics/colour.h"
#include "graphics/font.h"
#include "graphics/text.h"
#include "windows/dialog_canvas.h"
#include "windows/message_window.h"

namespace qv::windows {

namespace {

constexpr int kFirstRowY = 48, kRowStep = 32, kRowHeight = 25;
constexpr int kRankX = 8, kRankW = 33, kNameX = 48, kNameW = 209, kScoreX = 264, kScoreW = 73;
constexpr size_t kMaxNameLength = 255;

}  // namespace

HighscoreWindow::HighscoreWindow(const HighscoreTable& table, int place) : table_(table), place_(place) {
  const HighscoreLook& look = highscoreLook();
  font_ = OpenDialogFont(DialogFont{look.fontName, look.fontSize, look.otherColour, look.fontStyle});
}

HighscoreWindow::~HighscoreWindow() = default;

platform::DialogWindowSpec HighscoreWindow::window() const {
  platform::DialogWindowSpec s;
  s.captionUtf8 = highscoreLook().caption;
  s.width = kHighscoreWindowWidth;
  s.height = kHighscoreWindowHeight;
  s.captionBar = highscoreLook().border;
  return s;
}

data::TBitmap32 HighscoreWindow::render() const {
  const HighscoreLook& look = highscoreLook();
  DialogCanvas canvas(kHighscoreWindowWidth, kHighscoreWindowHeight, graphics::ScriptToDevice(look.backColour, 1.0));
  if (const graphics::CBackground* b = graphics::backgrounds().get(look.background))
    canvas.drawImage(b->image, 0, 0, kHighscoreWindowWidth, kHighscoreWindowHeight);
  const graphics::CFont& f = *font_;
  const int textTop = (kRowHeight - f.height()) / 2;
  auto width = [&](const std::string& s) { return int(std::min<int64_t>(graphics::StringWidth(f, s), 1 << 20)); };
  for (int rank = 1; rank <= HighscoreTable::kRanks; ++rank) {
    const int y = kFirstRowY + (rank - 1) * kRowStep;
    const bool current = rank == place_;
    const uint32_t colour = graphics::ScriptToDevice(current ? look.newColour : look.otherColour, 1.0);
    const HighscoreEntry e = table_.entry(rank);
    const std::string number = std::to_string(rank) + ".";
    canvas.drawText(f, kRankX + kRankW - width(number), y + textTop, number, colour,
                    ClipRect{kRankX, y, kRankX + kRankW, y + kRowHeight});
    const std::string name = current ? typed_ + "|" : e.name;
    canvas.drawText(f, kNameX, y + textTop, name, colour, ClipRect{kNameX, y, kNameX + kNameW, y + kRowHeight});
    const std::string score = std::to_string(e.score);
    canvas.drawText(f, kScoreX + kScoreW - width(score), y + textTop, score, colour,
                    ClipRect{kScoreX, y, kScoreX + kScoreW, y + kRowHeight});
  }
  const int hintY = kFirstRowY + HighscoreTable::kRanks * kRowStep + 8;
  canvas.drawText(f, (kHighscoreWindowWidth - width(look.escape)) / 2, hintY, look.escape,
                  graphics::ScriptToDevice(look.otherColour, 1.0),
                  ClipRect{0, 0, kHighscoreWindowWidth, kHighscoreWindowHeight});
  return canvas.image();
}

bool HighscoreWindow::handle(const platform::WindowEvent& e) {
  using platform::WindowEvent;
  switch (e.kind) {
    case WindowEvent::Close:
    case WindowEvent::Quit: return true;
    case WindowEvent::KeyDown: return e.vk == 27 || e.vk == 13;
    case WindowEvent::Character:
      if (place_ == 0) return false;
      if (e.character == 8) {
        if (!typed_.empty()) typed_.pop_back();
      } else if (e.character >= 32 && typed_.size() < kMaxNameLength) {
        typed_ += char(e.character);
      }
      return false;
    default: return false;
  }
}

std::vector<platform::WindowEvent> HighscoreWindow::eventsFor(const ScriptedAnswer& a) const { return CommonEvents(a); }

std::string HighscoreWindow::describe() const {
  return place_ > 0 ? "highscore table, name for place " + std::to_string(place_) : std::string("highscore table");
}

}  // namespace qv::windows
