#include "windows/highscore_table.h"

#include <optional>

#include "system/user_store.h"
#include "world/saved_game.h"

namespace qv::windows {

namespace {

constexpr int kScoreDigits = 16;

std::string keyOf(int32_t gameId) { return "\\Software\\Quorvane\\Scores\\" + std::to_string(gameId); }
std::string rankName(int rank) { return "Rank" + std::to_string(rank); }

// The id as it enters the sums: reduced first, so no sum can overflow.
int idTerm(int32_t gameId) { return int((int64_t(gameId) % 256 + 256) % 256); }

bool& tableRead() {
  static bool read = false;
  return read;
}

}  // namespace

std::string EncodeHighscore(const HighscoreEntry& e, int32_t gameId) {
  std::string out;
  out.reserve(size_t(2 * (kScoreDigits + e.name.size())));
  uint32_t score = static_cast<uint32_t>(e.score);
  const int id = idTerm(gameId);
  auto put = [&](size_t p, int value) {
    const int v = int((p + size_t(value) + size_t(id)) % 256);
    out += char('A' + v / 16);
    out += char('A' + v % 16);
  };
  for (int i = 0; i < kScoreDigits; ++i) {
    put(size_t(i) + 1, int(score % 256));
    score /= 256;
  }
  for (size_t i = 0; i < e.name.size(); ++i) put(kScoreDigits + i + 1, static_cast<unsigned char>(e.name[i]));
  return out;
}

std::optional<HighscoreEntry> DecodeHighscore(const std::string& text, int32_t gameId) {
  if (text.size() < 2 * kScoreDigits || text.size() % 2 != 0) return std::nullopt;
  const int id = idTerm(gameId);
  HighscoreEntry e;
  uint32_t score = 0;
  for (size_t p = 1; p <= text.size() / 2; ++p) {
    const char hi = text[2 * p - 2], lo = text[2 * p - 1];
    if (hi < 'A' || hi > 'P' || lo < 'A' || lo > 'P') return std::nullopt;
    const int stored = (hi - 'A') * 16 + (lo - 'A');
    const int value = int(((stored - int(p % 256) - id) % 256 + 512) % 256);
    // Only the low four digits carry a 32-bit score; the others are 0 (or noise in foreign data).
    if (p <= 4) score |= uint32_t(value) << (8 * (p - 1));
    else if (p > kScoreDigits) e.name += char(value);
  }
  e.score = static_cast<int32_t>(score);
  return e;
}

HighscoreLook& highscoreLook() {
  static HighscoreLook look;
  return look;
}

void ResetHighscoreLook() { highscoreLook() = HighscoreLook{}; }

HighscoreTable& highscores() {
  static HighscoreTable table;
  const int32_t id = world::currentGameId();
  if (!tableRead() || table.gameId_ != id) {
    table = HighscoreTable{};
    table.gameId_ = id;
    for (int r = 1; r <= HighscoreTable::kRanks; ++r) {
      const auto v = system::StoreRead("HKEY_CURRENT_USER", keyOf(id), rankName(r));
      if (v && std::holds_alternative<std::string>(*v))
        table.ranks_[size_t(r - 1)] = DecodeHighscore(std::get<std::string>(*v), id);
    }
    tableRead() = true;
  }
  return table;
}

void ForgetHighscores() { tableRead() = false; }

HighscoreEntry HighscoreTable::entry(int rank) const {
  if (rank >= 1 && rank <= kRanks && ranks_[size_t(rank - 1)]) return *ranks_[size_t(rank - 1)];
  return HighscoreEntry{highscoreLook().nobody, 0};
}

int HighscoreTable::placeFor(int32_t score) const {
  for (int r = 1; r <= kRanks; ++r)
    if (entry(r).score < score) return r;
  return 0;
}

int HighscoreTable::insert(const std::string& name, int32_t score) {
  const int place = placeFor(score);
  if (place == 0) return 0;
  for (int r = kRanks; r > place; --r) ranks_[size_t(r - 1)] = ranks_[size_t(r - 2)];
  ranks_[size_t(place - 1)] = HighscoreEntry{name, score};
  for (int r = place; r <= kRanks; ++r) store(r);
  return place;
}

void HighscoreTable::rename(int rank, const std::string& name) {
  if (rank < 1 || rank > kRanks) return;
  HighscoreEntry e = entry(rank);
  e.name = name;
  ranks_[size_t(rank - 1)] = e;
  store(rank);
}

void HighscoreTable::clear() {
  for (int r = 1; r <= kRanks; ++r) {
    ranks_[size_t(r - 1)] = HighscoreEntry{highscoreLook().nobody, 0};
    store(r);
  }
}

void HighscoreTable::store(int rank) const {
  const auto& e = ranks_[size_t(rank - 1)];
  if (!e) return;  // a rank never written stays unwritten
  system::StoreWrite("HKEY_CURRENT_USER", keyOf(gameId_), rankName(rank), EncodeHighscore(*e, gameId_));
}

}  // namespace qv::windows
