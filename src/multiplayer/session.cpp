#include "multiplayer/session.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <random>

namespace qv::multiplayer {

namespace {

enum Frame : uint8_t {
  kJoin = 1, kWelcome = 2, kRefuse = 3, kAdded = 4, kLeft = 5, kSend = 6, kDeliver = 7, kRejoin = 8
};

// The largest frame: a welcome of kMaxPlayers names; anything longer ends its connection.
constexpr size_t kMaxFrameBytes = 12 + kMaxPlayers * (12 + kMaxPlayerName) + 16;

void PutInt32(std::vector<uint8_t>& out, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

void PutAddress(std::vector<uint8_t>& out, platform::NetAddress a) {
  const auto* host = reinterpret_cast<const uint8_t*>(&a.host);  // network order, as it is kept
  out.insert(out.end(), host, host + 4);
  out.push_back(static_cast<uint8_t>(a.port));
  out.push_back(static_cast<uint8_t>(a.port >> 8));
}

void PutName(std::vector<uint8_t>& out, const std::string& name) {
  const size_t n = std::min(name.size(), kMaxPlayerName);
  out.push_back(static_cast<uint8_t>(n));
  out.push_back(static_cast<uint8_t>(n >> 8));
  out.insert(out.end(), name.begin(), name.begin() + static_cast<std::ptrdiff_t>(n));
}

// Reads fields in order; any read past the end marks the frame bad.
struct Reader {
  std::span<const uint8_t> d;
  size_t at = 0;
  bool bad = false;

  bool has(size_t n) {
    if (d.size() - at < n) bad = true;
    return !bad;
  }
  int32_t int32() {
    if (!has(4)) return 0;
    const uint32_t u = uint32_t(d[at]) | uint32_t(d[at + 1]) << 8 | uint32_t(d[at + 2]) << 16 | uint32_t(d[at + 3]) << 24;
    at += 4;
    return static_cast<int32_t>(u);
  }
  uint16_t uint16() {
    if (!has(2)) return 0;
    const uint16_t u = static_cast<uint16_t>(d[at] | d[at + 1] << 8);
    at += 2;
    return u;
  }
  std::string name() {
    const size_t n = uint16();
    if (n > kMaxPlayerName || !has(n)) {
      bad = true;
      return {};
    }
    std::string s(reinterpret_cast<const char*>(d.data() + at), n);
    at += n;
    return s;
  }
  platform::NetAddress address() {
    platform::NetAddress a;
    if (!has(6)) return a;
    std::memcpy(&a.host, d.data() + at, 4);
    a.port = static_cast<uint16_t>(d[at + 4] | d[at + 5] << 8);
    at += 6;
    return a;
  }
  Guid guid() {
    Guid g{};
    if (!has(16)) return g;
    std::copy_n(d.data() + at, 16, g.begin());
    at += 16;
    return g;
  }
  std::span<const uint8_t> rest() {
    auto r = d.subspan(at);
    at = d.size();
    return r;
  }
  bool done() const { return !bad && at == d.size(); }
};

}  // namespace

std::unique_ptr<Session> Session::Create(const Options& options, const std::string& sessionName, int32_t maxPlayers,
                                         uint16_t port) {
  std::unique_ptr<Session> s(new Session(options));
  s->host_role_ = true;
  s->sessionName_ = sessionName;
  s->maxPlayers_ = maxPlayers >= 1 ? maxPlayers : 0;
  s->ownId_ = 1;
  s->hostMayMove_ = options.hostMayMove;
  std::random_device random;
  for (uint8_t& b : s->instance_) b = static_cast<uint8_t>(random());
  platform::NetHostOptions net;
  net.port = port;
  net.maxPeers = kMaxPlayers;
  net.maxMessageBytes = kMaxFrameBytes;
  net.incomingLoss = options.incomingLoss;
  s->net_ = platform::NetHost::Open(net, *s);
  if (!s->net_) return nullptr;
  return s;
}

std::unique_ptr<Session> Session::Join(const Options& options, const Guid& instance, platform::NetAddress host,
                                       const std::string& sessionName) {
  std::unique_ptr<Session> s(new Session(options));
  s->instance_ = instance;
  s->sessionName_ = sessionName;
  platform::NetHostOptions net;
  net.maxPeers = kMaxPlayers;  // room for the players who rejoin here should the host role move here
  net.maxMessageBytes = kMaxFrameBytes;
  net.incomingLoss = options.incomingLoss;
  s->net_ = platform::NetHost::Open(net, *s);
  if (!s->net_) return nullptr;
  std::unique_lock<std::recursive_mutex> lock(s->net_->mutex());
  const std::optional<platform::PeerId> peer = s->net_->Connect(host);
  if (!peer) return nullptr;
  s->hostPeer_ = *peer;
  const bool answered = s->changed_.wait_for(lock, std::chrono::milliseconds(kJoinTimeoutMs),
                                             [&] { return s->join_ != JoinState::Waiting; });
  if (!answered || s->join_ != JoinState::Welcomed) {
    lock.unlock();
    s.reset();  // closes the connection: a half-joined session is never left open
    return nullptr;
  }
  return s;
}

Session::~Session() { net_.reset(); }

std::vector<Player> Session::OtherPlayers() {
  std::lock_guard<std::recursive_mutex> lock(net_->mutex());
  std::vector<Player> out;
  out.reserve(members_.size());
  for (const Member& m : members_) out.push_back(m.player);
  return out;
}

Session::Member* Session::MemberById(int32_t id) {
  for (Member& m : members_)
    if (m.player.id == id) return &m;
  return nullptr;
}

Session::Member* Session::MemberByPeer(platform::PeerId peer) {
  for (Member& m : members_)
    if (!m.awaited && m.peer == peer) return &m;
  return nullptr;
}

bool Session::Send(int32_t to, const Record& r, bool guaranteed) {
  std::vector<uint8_t> payload;
  payload.reserve(r.value.isString() ? 10 + std::min(r.value.str.size(), kMaxStringBytes) : kRealPayloadBytes);
  EncodePayload(r, payload);
  std::lock_guard<std::recursive_mutex> lock(net_->mutex());
  if (host_role_) return Route(ownId_, to, payload, guaranteed, std::nullopt);
  if (join_ != JoinState::Welcomed || rejoining_) return false;  // nothing is sent during a hand-over
  if (to == ownId_) {
    Arrive(ownId_, payload);
    return true;
  }
  if (to != 0 && !MemberById(to)) return false;
  std::vector<uint8_t> frame;
  frame.reserve(5 + payload.size());
  frame.push_back(kSend);
  PutInt32(frame, to);
  frame.insert(frame.end(), payload.begin(), payload.end());
  return net_->Send(hostPeer_, frame, guaranteed);
}

bool Session::Route(int32_t from, int32_t to, std::span<const uint8_t> payload, bool reliable,
                    std::optional<platform::PeerId> fromPeer) {
  if (to == ownId_) {
    Arrive(from, payload);
    return true;
  }
  if (to != 0) {
    Member* m = MemberById(to);
    if (!m || m->awaited) return false;
    Deliver(m->peer, from, payload, reliable);
    return true;
  }
  if (from != ownId_) Arrive(from, payload);
  for (const Member& m : members_)
    if (!m.awaited && m.peer != fromPeer) Deliver(m.peer, from, payload, reliable);
  return true;
}

void Session::Deliver(platform::PeerId peer, int32_t from, std::span<const uint8_t> payload, bool reliable) {
  std::vector<uint8_t> frame;
  frame.reserve(5 + payload.size());
  frame.push_back(kDeliver);
  PutInt32(frame, from);
  frame.insert(frame.end(), payload.begin(), payload.end());
  net_->Send(peer, frame, reliable);
}

void Session::Arrive(int32_t from, std::span<const uint8_t> payload) {
  std::optional<Record> r = DecodePayload(payload);
  if (!r) return;
  const size_t bytes = 64 + r->value.str.size();
  if (inbox_.size() >= kInboxRecords || inboxBytes_ + bytes > kInboxBytes) {
    ++dropped_;
    return;
  }
  r->player = from;
  inboxBytes_ += bytes;
  inbox_.push_back(std::move(*r));
  changed_.notify_all();
}

bool Session::WaitForArrivals(int timeoutMs) {
  return net_->ServiceUntil(timeoutMs, [this] { return !inbox_.empty(); });
}

std::deque<Record> Session::TakeArrivals() {
  std::lock_guard<std::recursive_mutex> lock(net_->mutex());
  std::deque<Record> out;
  out.swap(inbox_);
  inboxBytes_ = 0;
  return out;
}

size_t Session::droppedArrivals() {
  std::lock_guard<std::recursive_mutex> lock(net_->mutex());
  return dropped_;
}

void Session::OnConnect(platform::PeerId peer) {
  const auto now = std::chrono::steady_clock::now();
  if (host_role_) {
    pending_.push_back(Pending{peer, now});  // the join frame comes next
    return;
  }
  if (peer != hostPeer_) {
    // A player who may rejoin here, should this copy be next in line for the host role.
    if (hostMayMove_ && join_ == JoinState::Welcomed)
      pending_.push_back(Pending{peer, now});
    else
      net_->Disconnect(peer);
    return;
  }
  std::vector<uint8_t> frame{rejoining_ ? kRejoin : kJoin};
  frame.insert(frame.end(), options_.game.begin(), options_.game.end());
  frame.insert(frame.end(), instance_.begin(), instance_.end());
  if (rejoining_) PutInt32(frame, ownId_);
  PutName(frame, options_.playerName);
  net_->Send(peer, frame, true);
}

void Session::OnReceive(platform::PeerId peer, std::span<const uint8_t> data, bool reliable) {
  if (host_role_) {
    HostReceive(peer, data, reliable);
  } else if (peer == hostPeer_) {
    MemberReceive(data);
  } else if (hostMayMove_ && join_ == JoinState::Welcomed && !data.empty() && data[0] == kRejoin &&
             std::any_of(pending_.begin(), pending_.end(), [peer](const Pending& p) { return p.peer == peer; })) {
    // A player rejoins here: it saw the host go before this copy did. When this copy is next in
    // line the host is gone for it too.
    const bool nextInLine = std::all_of(members_.begin(), members_.end(), [this](const Member& m) {
      return m.player.id == hostId_ || m.player.id > ownId_;
    });
    if (!nextInLine) return;
    net_->Disconnect(hostPeer_);
    TakeHostRole();
    HostRejoin(peer, data);
  }
}

void Session::HostReceive(platform::PeerId peer, std::span<const uint8_t> data, bool reliable) {
  Reader in{data};
  if (!in.has(1)) return;
  const uint8_t type = data[in.at++];
  Member* sender = MemberByPeer(peer);
  if (type == kRejoin) {
    if (!sender) HostRejoin(peer, data);
    return;
  }
  if (type == kJoin) {
    const Guid game = in.guid(), instance = in.guid();
    std::string name = in.name();
    if (sender || !in.done()) return;
    const size_t players = members_.size() + 1;
    const bool open = maxPlayers_ == 0 || players < static_cast<size_t>(maxPlayers_);
    if (game != options_.game || instance != instance_ || !open || players >= kMaxPlayers) {
      const uint8_t refuse[1] = {kRefuse};
      net_->Send(peer, refuse, true);
      return;
    }
    Member joined;
    joined.peer = peer;
    joined.player = Player{nextId_++, std::move(name)};
    joined.address = net_->PeerAddress(peer).value_or(platform::NetAddress{});
    std::vector<uint8_t> added{kAdded};
    PutInt32(added, joined.player.id);
    PutAddress(added, joined.address);
    PutName(added, joined.player.name);
    for (const Member& m : members_)
      if (!m.awaited) net_->Send(m.peer, added, true);
    members_.push_back(joined);
    std::erase_if(pending_, [peer](const Pending& p) { return p.peer == peer; });
    SendWelcome(peer, joined.player.id);
    return;
  }
  if (type != kSend || !sender) return;
  const int32_t to = in.int32();
  if (in.bad) return;
  const std::span<const uint8_t> payload = in.rest();
  if (!DecodePayload(payload)) return;  // a malformed payload is never relayed
  // The sender is the connection's player, whatever the frame says.
  Route(sender->player.id, to, payload, reliable, peer);
}

void Session::SendWelcome(platform::PeerId peer, int32_t id) {
  std::vector<uint8_t> welcome{kWelcome};
  PutInt32(welcome, id);
  welcome.push_back(hostMayMove_ ? 1 : 0);
  PutInt32(welcome, maxPlayers_);
  const size_t count = members_.size();  // the host, and every member but the one welcomed
  welcome.push_back(static_cast<uint8_t>(count));
  welcome.push_back(static_cast<uint8_t>(count >> 8));
  PutInt32(welcome, ownId_);
  PutAddress(welcome, platform::NetAddress{});  // the players know where they reached the host
  PutName(welcome, options_.playerName);
  for (const Member& m : members_) {
    if (m.player.id == id) continue;
    PutInt32(welcome, m.player.id);
    PutAddress(welcome, m.address);
    PutName(welcome, m.player.name);
  }
  net_->Send(peer, welcome, true);
}

void Session::HostRejoin(platform::PeerId peer, std::span<const uint8_t> frame) {
  Reader in{frame, 1};
  const Guid game = in.guid(), instance = in.guid();
  const int32_t id = in.int32();
  const std::string name = in.name();
  Member* m = MemberById(id);
  if (!in.done() || game != options_.game || instance != instance_ || !m || !m->awaited || m->player.name != name) {
    const uint8_t refuse[1] = {kRefuse};
    net_->Send(peer, refuse, true);
    return;
  }
  m->awaited = false;
  m->peer = peer;
  if (auto address = net_->PeerAddress(peer)) m->address = *address;
  std::erase_if(pending_, [peer](const Pending& p) { return p.peer == peer; });
  SendWelcome(peer, id);
}

void Session::TakeHostRole() {
  host_role_ = true;
  rejoining_ = false;
  std::erase_if(members_, [this](const Member& m) { return m.player.id == hostId_; });
  const auto now = std::chrono::steady_clock::now();
  for (Member& m : members_) {
    m.awaited = true;
    m.awaitedSince = now;
    nextId_ = std::max(nextId_, m.player.id + 1);
  }
  nextId_ = std::max(nextId_, std::max(ownId_, hostId_) + 1);
  hostId_ = ownId_;
}

void Session::HostLost() {
  // Each candidate in turn: one that cannot be reached is dropped when its connection fails.
  std::erase_if(members_, [this](const Member& m) { return m.player.id == hostId_; });
  int32_t next = ownId_;
  for (const Member& m : members_) next = std::min(next, m.player.id);
  if (next == ownId_) {
    TakeHostRole();
    return;
  }
  const std::optional<platform::PeerId> peer = net_->Connect(MemberById(next)->address);
  if (!peer) {
    join_ = JoinState::Lost;
    members_.clear();
    return;
  }
  hostPeer_ = *peer;
  hostId_ = next;
  rejoining_ = true;
  rejoinSince_ = std::chrono::steady_clock::now();
}

void Session::MemberReceive(std::span<const uint8_t> data) {
  Reader in{data};
  if (!in.has(1)) return;
  const uint8_t type = data[in.at++];
  switch (type) {
    case kWelcome: {
      // The first welcome, or a new host's welcome back with this player's own id.
      const int32_t id = in.int32();
      const bool mayMove = in.has(1) && data[in.at++] != 0;
      const int32_t most = in.int32();
      const size_t count = in.uint16();
      if (in.bad || id <= 0 || count == 0 || count > kMaxPlayers || most < 0) return;
      if (!(join_ == JoinState::Waiting || (rejoining_ && id == ownId_))) return;
      std::vector<Member> players;
      for (size_t i = 0; i < count && !in.bad; ++i) {
        Member m;
        m.player.id = in.int32();
        m.address = in.address();
        m.player.name = in.name();
        if (m.player.id <= 0 || m.player.id == id) in.bad = true;
        players.push_back(std::move(m));
      }
      if (!in.done()) return;
      ownId_ = id;
      hostId_ = players.front().player.id;
      hostMayMove_ = mayMove;
      maxPlayers_ = most;
      members_ = std::move(players);
      rejoining_ = false;
      join_ = JoinState::Welcomed;
      changed_.notify_all();
      return;
    }
    case kRefuse:
      if (join_ == JoinState::Waiting && in.done()) {
        join_ = JoinState::Refused;
        changed_.notify_all();
      }
      return;
    case kAdded: {
      Member m;
      m.player.id = in.int32();
      m.address = in.address();
      m.player.name = in.name();
      if (join_ != JoinState::Welcomed || !in.done() || m.player.id <= 0 || m.player.id == ownId_ ||
          MemberById(m.player.id) || members_.size() >= kMaxPlayers)
        return;
      members_.push_back(std::move(m));
      return;
    }
    case kLeft: {
      const int32_t id = in.int32();
      if (!in.done()) return;
      std::erase_if(members_, [id](const Member& m) { return m.player.id == id; });
      return;
    }
    case kDeliver: {
      const int32_t from = in.int32();
      if (in.bad || from <= 0 || join_ != JoinState::Welcomed) return;  // players have positive ids
      Arrive(from, in.rest());
      return;
    }
    default:
      return;
  }
}

void Session::OnIdle() {
  const auto now = std::chrono::steady_clock::now();
  const auto late = now - std::chrono::milliseconds(kJoinTimeoutMs);
  std::erase_if(pending_, [&](const Pending& p) {
    if (p.since > late) return false;
    net_->Disconnect(p.peer);
    return true;
  });
  if (rejoining_ && now - rejoinSince_ > std::chrono::milliseconds(kRejoinTimeoutMs)) {
    net_->Disconnect(hostPeer_);  // a candidate that never welcomed this player back
    HostLost();
  }
  if (!host_role_) return;
  const auto given = now - std::chrono::milliseconds(kRejoinTimeoutMs);
  for (size_t i = 0; i < members_.size();) {
    if (!members_[i].awaited || members_[i].awaitedSince > given) {
      ++i;
      continue;
    }
    const int32_t id = members_[i].player.id;
    members_.erase(members_.begin() + static_cast<std::ptrdiff_t>(i));
    TellLeft(id);
  }
}

void Session::TellLeft(int32_t id) {
  std::vector<uint8_t> left{kLeft};
  PutInt32(left, id);
  for (const Member& m : members_)
    if (!m.awaited) net_->Send(m.peer, left, true);
}

void Session::OnDisconnect(platform::PeerId peer) {
  std::erase_if(pending_, [peer](const Pending& p) { return p.peer == peer; });
  if (!host_role_) {
    if (peer != hostPeer_) return;
    if (join_ == JoinState::Waiting) {
      join_ = JoinState::Refused;
    } else if (join_ == JoinState::Welcomed && hostMayMove_) {
      HostLost();
    } else {
      join_ = JoinState::Lost;
      members_.clear();
    }
    changed_.notify_all();
    return;
  }
  const Member* gone = MemberByPeer(peer);
  if (!gone) return;
  const int32_t id = gone->player.id;
  std::erase_if(members_, [id](const Member& m) { return m.player.id == id; });
  TellLeft(id);
}

std::vector<uint8_t> Session::OnProbe(std::span<const uint8_t> datagram) {
  if (!host_role_) return {};
  const std::optional<Guid> game = ParseQuery(datagram);
  if (!game || *game != options_.game) return {};
  const size_t players = members_.size() + 1;
  if (maxPlayers_ != 0 && players >= static_cast<size_t>(maxPlayers_)) return {};
  return EncodeReply(options_.game, Announcement{instance_, sessionName_});
}

}  // namespace qv::multiplayer
