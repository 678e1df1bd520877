// Sessions inside one test process, on real sockets on 127.0.0.1: who may join, relaying between
// members with the sender taken from the connection, a host that leaves, and a member that floods.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "multiplayer/session.h"
#include "multiplayer/two_players.h"

using namespace qv::multiplayer;
using qv::platform::NetAddress;

namespace {

const Guid kGame{0x27, 1, 2, 3};

Session::Options As(const std::string& name, const Guid& game = kGame) {
  Session::Options o;
  o.game = game;
  o.playerName = name;
  return o;
}

NetAddress Loopback(uint16_t port) { return NetAddress{*qv::platform::ResolveNetHost("127.0.0.1"), port}; }

// Waits (boundedly) until `done` holds; the result says whether it did.
template <class F>
bool Eventually(F done, int tries = 1000) {
  for (int i = 0; i < tries; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

Guid InstanceAt(uint16_t port, const Guid& game = kGame) {
  Guid found{};
  const std::vector<uint8_t> query = EncodeQuery(game);
  qv::platform::Probe(Loopback(port), false, query, kFindTimeoutMs, kFindResendMs, kMaxReplyBytes,
                      [&](NetAddress, std::span<const uint8_t> reply) {
                        if (auto a = ParseReply(reply, game)) found = a->instance;
                        return true;
                      });
  return found;
}

Record Message(int32_t id, qv::code::RValue v) {
  Record r;
  r.id = id;
  r.value = std::move(v);
  return r;
}

TEST(Session, AFullSessionIsNeitherListedNorJoinable) {
  const uint16_t port = qv::testing::TestPort(1);
  auto host = Session::Create(As("ann"), "room", 2, port);
  ASSERT_TRUE(host);
  EXPECT_FALSE(Session::Create(As("zed"), "room", 2, port)) << "the port is taken";
  const Guid instance = InstanceAt(port);
  ASSERT_NE(instance, Guid{}) << "open: listed";
  EXPECT_FALSE(Session::Join(As("eve", Guid{9}), instance, Loopback(port))) << "another game";
  EXPECT_FALSE(Session::Join(As("eve"), Guid{9}, Loopback(port))) << "another session";
  auto bob = Session::Join(As("bob"), instance, Loopback(port));
  ASSERT_TRUE(bob);
  EXPECT_EQ(InstanceAt(port), Guid{}) << "full: not listed";
  EXPECT_FALSE(Session::Join(As("carl"), instance, Loopback(port))) << "full: refused";
  ASSERT_EQ(host->OtherPlayers().size(), 1u);
  EXPECT_EQ(host->OtherPlayers()[0].name, "bob");
  bob.reset();
  EXPECT_TRUE(Eventually([&] { return host->OtherPlayers().empty(); })) << "a member that leaves is gone";
  EXPECT_NE(InstanceAt(port), Guid{}) << "open again";
}

// A connection that never asks to join, as an idle or hostile peer would hold one.
struct SilentPeer : qv::platform::NetEvents {
  std::atomic<bool> connected{false}, dropped{false};
  void OnConnect(qv::platform::PeerId) override { connected = true; }
  void OnReceive(qv::platform::PeerId, std::span<const uint8_t>, bool) override {}
  void OnDisconnect(qv::platform::PeerId) override { dropped = true; }
  std::vector<uint8_t> OnProbe(std::span<const uint8_t>) override { return {}; }
};

TEST(Session, AConnectionThatNeverJoinsIsDropped) {
  const uint16_t port = qv::testing::TestPort(8);
  auto host = Session::Create(As("ann"), "room", 0, port);
  ASSERT_TRUE(host);
  SilentPeer silent;
  qv::platform::NetHostOptions o;
  auto raw = qv::platform::NetHost::Open(o, silent);
  ASSERT_TRUE(raw);
  ASSERT_TRUE(raw->Connect(Loopback(port)));
  ASSERT_TRUE(Eventually([&] { return silent.connected.load(); }));
  EXPECT_TRUE(Eventually([&] { return silent.dropped.load(); }, 2000)) << "within the join time-out";
  EXPECT_TRUE(host->OtherPlayers().empty());
}

TEST(Session, TheHostRelaysAndStampsTheSenderFromTheConnection) {
  const uint16_t port = qv::testing::TestPort(2);
  auto host = Session::Create(As("ann"), "room", 0, port);
  ASSERT_TRUE(host);
  const Guid instance = InstanceAt(port);
  auto bob = Session::Join(As("bob"), instance, Loopback(port));
  auto cid = Session::Join(As("cid"), instance, Loopback(port));
  ASSERT_TRUE(bob && cid);
  ASSERT_TRUE(Eventually([&] { return bob->OtherPlayers().size() == 2; })) << "bob hears of cid";
  EXPECT_EQ(cid->OtherPlayers().size(), 2u);
  EXPECT_TRUE(bob->Send(cid->ownId(), Message(1, "to cid"), true));
  EXPECT_TRUE(bob->Send(0, Message(2, 2.0), true));
  EXPECT_FALSE(bob->Send(12345, Message(3, 3.0), true)) << "no such player";
  std::deque<Record> atCid, atHost;
  ASSERT_TRUE(Eventually([&] {
    for (Record& r : cid->TakeArrivals()) atCid.push_back(r);
    for (Record& r : host->TakeArrivals()) atHost.push_back(r);
    return atCid.size() == 2 && atHost.size() == 1;
  }));
  EXPECT_EQ(atCid[0].value.str, "to cid");
  EXPECT_EQ(atCid[0].player, bob->ownId());
  EXPECT_EQ(atCid[1].id, 2);
  EXPECT_EQ(atCid[1].player, bob->ownId());
  EXPECT_EQ(atHost[0].player, bob->ownId());
  EXPECT_TRUE(bob->TakeArrivals().empty()) << "a message to all does not come back to its sender";
}

// With the host role free to move, the remaining player with the lowest id becomes the host on
// the socket it has, the others rejoin it with their ids, and messages flow through it with their
// senders stamped as before; when it leaves in turn, the role moves again, and the last player hosts alone.
TEST(Session, TheHostRoleMovesToTheLowestRemainingId) {
  const uint16_t port = qv::testing::TestPort(9);
  Session::Options annOptions = As("ann");
  annOptions.hostMayMove = true;
  auto host = Session::Create(annOptions, "room", 0, port);
  ASSERT_TRUE(host);
  const Guid instance = InstanceAt(port);
  auto bob = Session::Join(As("bob"), instance, Loopback(port), "room");
  auto cid = Session::Join(As("cid"), instance, Loopback(port), "room");
  auto dee = Session::Join(As("dee"), instance, Loopback(port), "room");
  ASSERT_TRUE(bob && cid && dee);
  ASSERT_TRUE(Eventually([&] { return bob->OtherPlayers().size() == 3 && cid->OtherPlayers().size() == 3; }));
  const int32_t bobId = bob->ownId(), cidId = cid->ownId(), deeId = dee->ownId();

  host.reset();  // ann leaves
  ASSERT_TRUE(Eventually([&] { return bob->isHost(); })) << "bob has the lowest id left";
  // Sending, even to oneself, fails until the new host has welcomed the player back.
  ASSERT_TRUE(Eventually([&] { return cid->Send(cidId, Message(0, 0.0), true); })) << "cid rejoined bob";
  ASSERT_TRUE(Eventually([&] { return dee->Send(deeId, Message(0, 0.0), true); })) << "dee rejoined bob";
  cid->TakeArrivals();
  dee->TakeArrivals();
  EXPECT_FALSE(cid->isHost());
  EXPECT_TRUE(cid->Send(bobId, Message(1, "cid to bob"), true));
  EXPECT_TRUE(dee->Send(0, Message(2, "dee to all"), true));
  std::deque<Record> atBob, atCid;
  ASSERT_TRUE(Eventually([&] {
    for (Record& r : bob->TakeArrivals()) atBob.push_back(r);
    for (Record& r : cid->TakeArrivals()) atCid.push_back(r);
    return atBob.size() == 2 && atCid.size() == 1;
  }));
  EXPECT_EQ(atBob[0].value.str, "cid to bob");
  EXPECT_EQ(atBob[0].player, cidId);
  EXPECT_EQ(atBob[1].player, deeId);
  EXPECT_EQ(atCid[0].value.str, "dee to all");
  EXPECT_EQ(atCid[0].player, deeId);
  for (Session* s : {bob.get(), cid.get(), dee.get()}) {
    std::vector<int32_t> ids;
    for (const Player& p : s->OtherPlayers()) ids.push_back(p.id);
    EXPECT_EQ(ids.size(), 2u) << s->ownName() << ": ann is gone, the other two stay";
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 1), 0) << s->ownName();
  }
  EXPECT_TRUE(bob->Send(cidId, Message(3, 3.0), true)) << "the new host sends like any host";

  bob.reset();  // the role moves again, to cid
  ASSERT_TRUE(Eventually([&] { return cid->isHost() && dee->Send(deeId, Message(0, 0.0), true); }));
  EXPECT_TRUE(dee->Send(cidId, Message(4, "dee to cid"), true));
  ASSERT_TRUE(Eventually([&] { return !cid->TakeArrivals().empty(); }));
  dee.reset();
  ASSERT_TRUE(Eventually([&] { return cid->OtherPlayers().empty(); }));
  EXPECT_TRUE(cid->Send(cidId, Message(5, 5.0), true)) << "alone, and still in the session";
}

TEST(Session, AMemberWhoseHostLeftCanSendNothing) {
  const uint16_t port = qv::testing::TestPort(3);
  auto host = Session::Create(As("ann"), "room", 0, port);
  ASSERT_TRUE(host);
  auto bob = Session::Join(As("bob"), InstanceAt(port), Loopback(port));
  ASSERT_TRUE(bob);
  EXPECT_TRUE(bob->Send(0, Message(1, 1.0), true));
  host.reset();
  EXPECT_TRUE(Eventually([&] { return bob->OtherPlayers().empty(); }));
  EXPECT_FALSE(bob->Send(0, Message(1, 1.0), true));
  EXPECT_FALSE(bob->Send(bob->ownId(), Message(2, 1.0), true)) << "not even to itself";
}

TEST(Session, AFloodingMemberCannotGrowTheInboxWithoutBound) {
  const uint16_t port = qv::testing::TestPort(4);
  auto host = Session::Create(As("ann"), "room", 0, port);
  ASSERT_TRUE(host);
  auto bob = Session::Join(As("bob"), InstanceAt(port), Loopback(port));
  ASSERT_TRUE(bob);
  // 100,000 messages as fast as the sender can go, while the game side reads now and then.
  size_t taken = 0, largest = 0;
  for (int i = 0; i < 100000; ++i) {
    bob->Send(host->ownId(), Message(i, double(i)), false);
    if (i % 20000 == 0) {
      const size_t n = host->TakeArrivals().size();
      taken += n;
      largest = std::max(largest, n);
    }
  }
  // Until the line is quiet (datagrams beyond the sockets' buffers never arrive at all).
  int quiet = 0;
  Eventually([&] {
    const size_t n = host->TakeArrivals().size();
    taken += n;
    largest = std::max(largest, n);
    quiet = n == 0 ? quiet + 1 : 0;
    return quiet >= 20;
  });
  EXPECT_LE(largest, kInboxRecords);
  EXPECT_GT(host->droppedArrivals(), 0u) << "more than the inbox holds arrived between two reads";
  EXPECT_GT(taken, 0u);
  // The session still works after the flood.
  EXPECT_TRUE(bob->Send(host->ownId(), Message(-7, "after"), true));
  bool after = false;
  EXPECT_TRUE(Eventually([&] {
    for (const Record& r : host->TakeArrivals()) after = after || r.id == -7;
    return after;
  }));
}

TEST(Session, OnALossyLinePlainMessagesMayBeLostAndGuaranteedOnesAreNot) {
  const uint16_t port = qv::testing::TestPort(5);
  auto host = Session::Create(As("ann"), "room", 0, port);
  ASSERT_TRUE(host);
  auto bob = Session::Join(As("bob"), InstanceAt(port), Loopback(port));
  ASSERT_TRUE(bob);
  // From now on a third of the datagrams each side receives are dropped (acknowledgements too).
  host->SetIncomingLoss(0.33);
  bob->SetIncomingLoss(0.33);
  constexpr int kEach = 300;
  for (int i = 0; i < kEach; ++i) {
    ASSERT_TRUE(bob->Send(host->ownId(), Message(1, double(i)), false));
    ASSERT_TRUE(bob->Send(host->ownId(), Message(2, double(i)), true));
  }
  std::vector<double> plain, guaranteed;
  EXPECT_TRUE(Eventually([&] {
    for (const Record& r : host->TakeArrivals()) (r.id == 1 ? plain : guaranteed).push_back(r.value.real);
    return guaranteed.size() >= kEach;
  }));
  ASSERT_EQ(guaranteed.size(), size_t(kEach));
  for (int i = 0; i < kEach; ++i) EXPECT_EQ(guaranteed[size_t(i)], i) << "every guaranteed message, in order";
  EXPECT_LT(plain.size(), size_t(kEach)) << "some plain messages were lost";
  EXPECT_GT(plain.size(), 0u);
}

}  // namespace
