// The highscore table: the ten best scores of a game, kept per game in the per-user store under
// "\Software\Quorvane\Scores\<game id>" as the string values "Rank1" to "Rank10", each an encoded
// entry. A rank never written reads as the empty entry (the empty-entry name, score 0).
//
// Encoding of (name, score): the 16 base-256 digits of the score (least significant first; the
// score as a 32-bit two's-complement number, so negative scores survive), then the name's bytes;
// the value at 1-based position p becomes (p + value + game id) mod 256, and each value is written
// as two letters "A" + value div 16, "A" + value mod 16. A stored string that is not an even number
// (32 or more) of the letters A to P decodes as the empty entry, so a damaged rank never takes the
// others with it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace qv::windows {

struct HighscoreEntry {
  std::string name;
  int32_t score = 0;
};

std::string EncodeHighscore(const HighscoreEntry& e, int32_t gameId);
// Nothing when the text is not an encoded entry.
std::optional<HighscoreEntry> DecodeHighscore(const std::string& text, int32_t gameId);

// The window's look and strings, kept for the whole run (a game restart keeps them).
struct HighscoreLook {
  int background = -1;  // background resource, -1 none
  bool border = true;
  int32_t backColour = 0xF0FBFF, newColour = 0x0000FF, otherColour = 0x000000;
  std::string fontName = "Times New Roman";
  int fontSize = 12;
  int fontStyle = 0;  // 0 none, 1 bold, 2 italic, 3 both
  std::string caption = "Top Ten Players", nobody = "<nobody>", escape = "press <Escape> to close";
};
HighscoreLook& highscoreLook();
void ResetHighscoreLook();  // tests

// The table of the running game (read from the store when first needed, and again when the game
// id changes). Ranks are 1 to 10.
class HighscoreTable {
 public:
  static constexpr int kRanks = 10;
  // The entry at a rank as read (the empty entry for a rank never written or out of range).
  HighscoreEntry entry(int rank) const;
  // Where a score would go: the first rank whose score is below it; 0 when it gains no place.
  int placeFor(int32_t score) const;
  // Inserts at placeFor (the later of equal scores goes below) and stores the ranks that moved;
  // returns the rank, or 0 when the score gained no place (nothing changes then).
  int insert(const std::string& name, int32_t score);
  // Changes the name at a rank and stores it.
  void rename(int rank, const std::string& name);
  // Writes every rank as the empty entry.
  void clear();

 private:
  void store(int rank) const;
  std::array<std::optional<HighscoreEntry>, kRanks> ranks_;
  int32_t gameId_ = 0;
  friend HighscoreTable& highscores();
};
HighscoreTable& highscores();
// Tests: forgets what was read, so the next use reads the store again.
void ForgetHighscores();

}  // namespace qv::windows
