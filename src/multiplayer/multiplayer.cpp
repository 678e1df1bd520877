#include "multiplayer/multiplayer.h"

#include <cstdlib>

#include "platform/net_host.h"

namespace qv::multiplayer {

namespace {

Guid& gameIdentifier() {
  static Guid id{};
  return id;
}

// Test shim: QUORVANE_MPLAY_LOSS=P drops P percent of the datagrams that arrive (see
// platform::NetHostOptions::incomingLoss).
double IncomingLoss() {
  const char* text = std::getenv("QUORVANE_MPLAY_LOSS");
  if (!text || !*text) return 0;
  const double p = std::atof(text);
  return p > 0 && p <= 100 ? p / 100 : 0;
}

// Where a search for the empty host goes: the local network's broadcast address, or
// QUORVANE_MPLAY_BROADCAST (tests point it into the loopback range).
uint32_t BroadcastHost() {
  const char* text = std::getenv("QUORVANE_MPLAY_BROADCAST");
  if (text && *text)
    if (const std::optional<uint32_t> h = platform::ResolveNetHost(text)) return *h;
  return 0xffffffffu;
}

Session::Options SessionOptions(const std::string& playerName) {
  Session::Options o;
  o.game = gameIdentifier();
  o.playerName = playerName;
  o.hostMayMove = State().sessionMode;
  o.incomingLoss = IncomingLoss();
  return o;
}

bool InSession() { return State().connection != kNotConnected && State().sessionState != kNoSession && State().session; }

}  // namespace

Multiplayer& State() {
  static Multiplayer state;
  return state;
}

void SetGameIdentifier(const Guid& id) { gameIdentifier() = id; }
const Guid& GameIdentifier() { return gameIdentifier(); }

bool InitTcpip(const std::string& text) {
  Multiplayer& s = State();
  if (s.connection != kNotConnected) return false;
  const std::optional<TcpipAddress> address = ParseTcpipAddress(text);
  if (!address) return false;
  s.address = *address;
  s.connection = kTcpip;
  return true;
}

void SessionEnd() {
  Multiplayer& s = State();
  if (s.connection == kNotConnected || s.sessionState == kNoSession) return;
  s.session.reset();
  s.sessionState = kNoSession;
}

void End() {
  Multiplayer& s = State();
  if (s.connection == kNotConnected) return;
  SessionEnd();
  s.connection = kNotConnected;
}

bool SessionCreate(const std::string& name, int32_t maxPlayers, const std::string& playerName) {
  Multiplayer& s = State();
  if (s.connection == kNotConnected || s.sessionState != kNoSession) return false;
  std::unique_ptr<Session> session = Session::Create(SessionOptions(playerName), name, maxPlayers, s.address.portOrDefault());
  if (!session) return false;
  s.session = std::move(session);
  s.ownId = s.session->ownId();
  s.ownName = playerName;
  s.sessionState = kHosting;
  return true;
}

int32_t SessionFind() {
  Multiplayer& s = State();
  if (s.connection == kNotConnected) return 0;
  s.sessions.clear();
  const bool broadcast = s.address.host.empty();
  platform::NetAddress to;
  to.port = s.address.portOrDefault();
  if (broadcast) {
    to.host = BroadcastHost();
  } else {
    const std::optional<uint32_t> host = platform::ResolveNetHost(s.address.host);
    if (!host) return 0;
    to.host = *host;
  }
  const Guid game = gameIdentifier();
  const std::vector<uint8_t> query = EncodeQuery(game);
  platform::Probe(to, broadcast, query, kFindTimeoutMs, kFindResendMs, kMaxReplyBytes,
                  [&](platform::NetAddress from, std::span<const uint8_t> reply) {
                    if (!broadcast && !(from == to)) return false;
                    std::optional<Announcement> a = ParseReply(reply, game);
                    if (!a) return false;
                    for (const FoundSession& f : s.sessions)
                      if (f.announced.instance == a->instance) return false;  // a resent query's second answer
                    s.sessions.push_back(FoundSession{std::move(*a), from});
                    return !broadcast || s.sessions.size() >= kMaxSessionsFound;
                  });
  return static_cast<int32_t>(s.sessions.size());
}

bool SessionJoin(int32_t n, const std::string& playerName) {
  Multiplayer& s = State();
  if (s.connection == kNotConnected || s.sessionState != kNoSession || n < 0 ||
      static_cast<size_t>(n) >= s.sessions.size())
    return false;
  const FoundSession& found = s.sessions[static_cast<size_t>(n)];
  std::unique_ptr<Session> session = Session::Join(SessionOptions(playerName), found.announced.instance, found.address,
                                                      found.announced.name);
  if (!session) return false;
  s.session = std::move(session);
  s.ownId = s.session->ownId();
  s.ownName = playerName;
  s.sessionState = kJoined;
  return true;
}

int32_t PlayerFind() {
  Multiplayer& s = State();
  s.players.clear();
  if (InSession()) {
    s.players.push_back(Player{s.ownId, s.ownName});
    for (Player& p : s.session->OtherPlayers()) s.players.push_back(std::move(p));
  }
  return static_cast<int32_t>(s.players.size());
}

std::optional<int32_t> PlayerIdByName(const std::string& name) {
  PlayerFind();
  for (const Player& p : State().players)
    if (p.name == name) return p.id;
  return std::nullopt;
}

bool SendRecord(const Record& r, bool guaranteed) {
  if (!InSession()) return false;
  return State().session->Send(r.player, r, guaranteed);
}

void ReceivePending() {
  Multiplayer& s = State();
  if (!InSession()) return;
  for (Record& r : s.session->TakeArrivals()) {
    if (r.kind == kKindData) {
      if (SharedData::ValidIndex(r.id)) s.data.Set(r.id, r.value);
    } else {
      s.queue.Append(std::move(r));
    }
  }
}

bool DataWrite(int64_t index, const code::RValue& v) {
  Multiplayer& s = State();
  if (!InSession() || !SharedData::ValidIndex(index)) return false;
  s.data.Grow(index);
  Record r;
  r.player = 0;
  r.kind = kKindData;
  r.id = static_cast<int32_t>(index);
  code::CopyValue(r.value, v);
  if (!SendRecord(r, s.dataMode)) return false;
  s.data.Set(index, v);
  return true;
}

code::RValue DataRead(int64_t index) {
  Multiplayer& s = State();
  if (!InSession() || !SharedData::ValidIndex(index)) return code::RValue();
  s.data.Grow(index);
  ReceivePending();
  return s.data.Get(index);
}

std::string CurrentSenderName() {
  PlayerFind();
  for (const Player& p : State().players)
    if (p.id == State().current.player) return p.name;
  return "(unknown)";
}

void ResetMultiplayer() {
  Multiplayer& s = State();
  s.session.reset();
  s = Multiplayer();
}

}  // namespace qv::multiplayer
