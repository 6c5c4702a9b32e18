// The bus master, the frame layer and the serial port against simulated
// nodes behind a real pseudo-terminal.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <iterator>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "cabinet/Accessory.h"
#include "cabinet/JvsFrame.h"
#include "cabinet/JvsMaster.h"
#include "cabinet/XioDevice.h"
#include "support/ChildProcess.h"
#include "support/Eventually.h"
#include "support/ExpectAll.h"
#include "support/FakeClock.h"
#include "support/SimJvsBus.h"
#include "support/StderrCapture.h"

using testsupport::Eventually;
using testsupport::FakeClock;
using testsupport::SimJvsBus;
using testsupport::SimJvsNode;

namespace {

bool WaitState(int32_t want) {
  return Eventually([&] { return JvsGetState() == want; });
}

// The lines the bus wrote to standard error that hold the words.
int BusLines(const std::string& err, const std::string& words = "") {
  return testsupport::LinesWith(err, "jvs bus: ", words);
}

SimJvsNode AccessoryNode() {
  SimJvsNode n;
  n.identity = "SIM;CARD UNIT;Ver1.00";
  n.features = {};
  n.accessory = true;
  return n;
}

class BusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bus_.Ok());
    JvsSetClock(&clock_);
    JvsSetPortLines(&bus_);
    // The coin fields of the node records and a decrease waiting for a
    // node's counter outlive a close: each test meets the bus afresh.
    JvsForgetCoinState();
    for (int32_t n = 0; n < kJvsMaxNodes; ++n) *JvsGetNodeRecord(n) = JvsNodeState{};
    // No device reads a node's switches here, whatever a test before named.
    JvsWatchSwitches(0);
  }
  void TearDown() override {
    JvsClose();
    JvsSetPortLines(nullptr);
    JvsSetClock(nullptr);
  }
  // Opens the standard master and waits for the end of the bring-up (the
  // bus clock moving on, for the quiet line the first frame waits for).
  void BringUp() {
    ASSERT_EQ(JvsOpenStd(bus_.PortPath().c_str()), 1);
    ASSERT_TRUE(AdvanceUntil([] { return JvsGetState() != 0; })) << "state " << JvsGetState();
    ASSERT_EQ(JvsGetState(), 1);
    ASSERT_EQ(JvsUpdateNodeTable(), 1);
  }
  // One standard poll cycle (the clock moving on, should the line have to
  // be waited out first).
  void Cycle() {
    ASSERT_EQ(JvsGetState(), 1);
    ASSERT_EQ(JvsQueuePoll(), 1);  // the request makes the state 2 at once
    ASSERT_TRUE(AdvanceUntil([] { return JvsGetState() == 1 || JvsGetState() < 0; }));
    ASSERT_EQ(JvsGetState(), 1);
  }
  // One standard poll cycle on a clock that does not move: on a settled
  // line with nodes that answer, a cycle needs no bus time at all.
  void CycleOnStoppedClock() {
    ASSERT_EQ(JvsGetState(), 1);
    ASSERT_EQ(JvsQueuePoll(), 1);
    ASSERT_TRUE(Eventually([] { return JvsGetState() == 1 || JvsGetState() < 0; }));
    ASSERT_EQ(JvsGetState(), 1);
  }
  template <class Pred>
  bool AdvanceUntil(Pred pred) {
    return bus_.AdvanceUntil(clock_, pred);
  }
  // The same, asking for a cycle whenever the master is ready, as the game
  // does each frame: a cycle whose step's time ran out ends there.
  template <class Pred>
  bool PollUntil(Pred pred) {
    return AdvanceUntil([&] {
      if (JvsGetState() == 1) JvsQueuePoll();
      return pred();
    });
  }

  FakeClock clock_;
  SimJvsBus bus_;
};

TEST_F(BusTest, BringUpWithOneAndTwoNodes) {
  for (int nodes = 1; nodes <= 2; ++nodes) {
    SCOPED_TRACE(nodes);
    if (nodes == 2) bus_.AddNode(AccessoryNode());
    else bus_.AddNode(SimJvsNode{});
    BringUp();
    EXPECT_EQ(JvsGetNodeCount(), nodes);
    EXPECT_EQ(bus_.Node(0).address, 1);
    const JvsNodeRecord* io = JvsGetNodeInfo(1);
    ASSERT_NE(io, nullptr);
    EXPECT_STREQ(io->identity, "SIM;I/O BD;Ver1.00");
    EXPECT_ALL({VAL(io->commandRevision, 0x13), VAL(io->jvsRevision, 0x30), VAL(io->commVersion, 0x10),
                VAL(JvsFeatureParam(*io, kJvsFeatureSwitches, 1), 2),
                VAL(JvsFeatureParam(*io, kJvsFeatureSwitches, 2), 13),
                VAL(JvsFeatureParam(*io, kJvsFeatureCoins, 1), 2), VAL(JvsFeatureParam(*io, 0x12, 1), 0)});
    if (nodes == 2) {
      EXPECT_EQ(bus_.Node(1).address, 2);
      EXPECT_STREQ(JvsGetNodeInfo(2)->identity, "SIM;CARD UNIT;Ver1.00");
    }
    EXPECT_EQ(JvsClose(), 1);
    EXPECT_EQ(JvsGetState(), -1);
  }
}

// A program that leaves without closing the bus ends all the same, wherever
// the master's thread is: coming up, idle between cycles, waiting for an
// answer on a clock that does not move, stopped. Each case runs in a fresh
// process of this test binary, with a bus of its own, and leaves through
// exit (the static destructors and exit handlers run); the test waits for
// it with a bound. A fresh process, not a fork: a fork would carry over
// what the tests before it left in this one (a loaded graphics driver whose
// exit handler joins a thread the fork does not have, a lock a thread of
// the parent's held), and would hang on that rather than on the bus.
TEST(JvsMasterThread, AProgramThatNeverClosesTheBusEnds) {
  enum Where { kComingUp, kIdle, kWaitingForAnAnswer, kStopped };
  static constexpr char kCaseVariable[] = "OSTREL_TEST_UNCLOSED_BUS_CASE";
  // A status no test run gives by itself: a process that never played the
  // case does not pass.
  static constexpr int kLeftThroughExit = 9;
  if (const char* played = std::getenv(kCaseVariable)) {
    const Where where = Where(std::atoi(played));
    // Every way out, a failed step too, leaves through exit from here, with
    // the clock and the bus still alive: the master's thread reads them until
    // the bus's exit handler ends it, so they are never destroyed under it.
    testsupport::StderrCapture quiet;
    FakeClock clock;
    SimJvsBus bus;
    if (!bus.Ok()) std::exit(2);
    bus.AddNode(SimJvsNode{});
    JvsSetClock(&clock);
    JvsSetPortLines(&bus);
    if (JvsOpenStd(bus.PortPath().c_str()) != 1) std::exit(3);
    if (where != kComingUp) {
      if (!bus.AdvanceUntil(clock, [] { return JvsGetState() != 0; }) || JvsGetState() != 1) std::exit(4);
      JvsUpdateNodeTable();
    }
    if (where == kWaitingForAnAnswer || where == kStopped) {
      bus.SetSilent(true);
      JvsQueuePoll();
      if (!Eventually([] { return JvsGetErrorCount() > 0 || JvsGetState() == 3; })) std::exit(5);
    }
    // The game goes on asking for cycles: a node's six in a row take more
    // than one cycle's time.
    if (where == kStopped && !bus.AdvanceUntil(clock, [] {
          if (JvsGetState() == 1) JvsQueuePoll();
          return JvsGetState() < 0;
        }))
      std::exit(6);
    std::exit(kLeftThroughExit);
  }
  for (Where where : {kComingUp, kIdle, kWaitingForAnAnswer, kStopped}) {
    SCOPED_TRACE(where);
    const testsupport::ChildResult r =
        testsupport::RunThisTestAfresh(kCaseVariable, std::to_string(int(where)), 20000);
    EXPECT_TRUE(r.ended) << "the program did not end";
    EXPECT_EQ(r.exitCode, kLeftThroughExit);
  }
}

TEST_F(BusTest, CycleRepliesBecomeSwitchesAndCoins) {
  bus_.AddNode(SimJvsNode{});
  BringUp();
  bus_.SetSwitches(0, 0x80, 0xA200, 0x4080);
  bus_.SetCoins(0, 0x0003, 0x4001);
  JvsGetNodeRecord(1)->coinDecrease[0] = 2;
  Cycle();
  const JvsNodeState* s = JvsGetNodeRecord(1);
  EXPECT_ALL({VAL(s->system, 0x80), VAL(s->switches[0], 0xA2), VAL(s->switches[1], 0x00),
              VAL(s->switches[2], 0x40), VAL(s->switches[3], 0x80), VAL(s->coins[1], 0x4001),
              VAL(s->coinDecrease[0], 0)});
  // The decrease went out before the count was read.
  EXPECT_EQ(bus_.Decreases(), (std::vector<std::pair<int, int>>{{1, 2}}));
  EXPECT_EQ(s->coins[0], 1);
  // Node 0, the board's channel: its two status bytes.
  EXPECT_ALL({VAL(JvsGetNodeRecord(0)->system, 0x5A), VAL(JvsGetNodeRecord(0)->switches[0], 0x01)});
}

// A poll is a request without effect on the node: a damaged reply, or a
// status 3 (the node saw the request damaged and carried nothing out), is
// an error, and the poll is written again whole once the line has been
// quiet for kJvsQuietMs; no request to send again is ever used for it.
TEST_F(BusTest, DamagedReplyMeansThePollIsWrittenAgainOnceTheLineIsQuiet) {
  bus_.AddNode(SimJvsNode{});
  BringUp();
  uint32_t errors = JvsGetErrorCount();
  int board = bus_.Cycles(0), node = bus_.Cycles(1);
  // The board's reply (node 0, first in the cycle) damaged, and the next,
  // node 1's, asked in its turn before the board is asked again: each poll
  // is written again once.
  bus_.CorruptReplies(2);
  bus_.SetSwitches(0, 0, 0x8000, 0);
  testsupport::StderrCapture capture;
  uint32_t start = clock_.NowMs();
  Cycle();
  EXPECT_ALL({VAL(JvsGetErrorCount() - errors, 2u), VAL(bus_.RetransmitRequests(), 0),
              VAL(bus_.Cycles(0) - board, 2), VAL(bus_.Cycles(1) - node, 2),
              VAL(JvsGetDroppedReplyCount(), 0u), VAL(JvsGetNodeRecord(1)->switches[0], 0x80),
              VAL(JvsGetNodeRecord(0)->system, 0x5A)});
  // Each writing again waited for a quiet line.
  EXPECT_GE(clock_.NowMs() - start, kJvsQuietMs);

  // The board saw its poll damaged and answers status 3: the poll is
  // written again as it was, and carried out once.
  errors = JvsGetErrorCount();
  board = bus_.Cycles(0);
  node = bus_.Cycles(1);
  const int bad = bus_.BadRequests();
  bus_.SumErrorReplies(1);
  start = clock_.NowMs();
  Cycle();
  EXPECT_ALL({VAL(JvsGetErrorCount() - errors, 1u), VAL(bus_.BadRequests() - bad, 1), VAL(bus_.Cycles(0) - board, 1),
              VAL(bus_.Cycles(1) - node, 1), VAL(bus_.RetransmitRequests(), 0)});
  EXPECT_GE(clock_.NowMs() - start, kJvsQuietMs);
  EXPECT_EQ(JvsGetState(), 1);

  // One line for each node that answered garbage, however often it does:
  // the board once more, node 1 twice.
  errors = JvsGetErrorCount();
  bus_.CorruptReplies(2);
  bus_.SpoilNextReply(1, SimJvsBus::kDamaged);
  Cycle();
  EXPECT_EQ(JvsGetErrorCount() - errors, 3u);
  const std::string err = capture.Take();
  EXPECT_ALL({VAL(BusLines(err), 2), VAL(BusLines(err, "damaged or unfitting replies while waiting for node 0"), 1),
              VAL(BusLines(err, "damaged or unfitting replies while waiting for node 1"), 1)});
}

// A reply one byte short, with a right sum, does not answer the request:
// it is refused (an error, nothing dropped), and once the line has been
// quiet for kJvsQuietMs the poll is written again whole.
TEST_F(BusTest, UnfittingReplyIsRefusedAndThePollWrittenAgainOnceTheLineIsQuiet) {
  bus_.AddNode(SimJvsNode{});
  BringUp();
  bus_.SetSwitches(0, 0x80, 0x4000, 0);
  const uint32_t dropped = JvsGetDroppedReplyCount(), errors = JvsGetErrorCount();
  const int board = bus_.Cycles(0);
  bus_.UnfittingReplies(1);  // node 0's, the first of the cycle
  testsupport::StderrCapture capture;
  ASSERT_EQ(JvsQueuePoll(), 1);
  ASSERT_TRUE(Eventually([&] { return JvsGetErrorCount() == errors + 1; }));
  EXPECT_EQ(JvsGetState(), 3);  // waiting for a quiet line
  const uint32_t refusedAt = clock_.NowMs();
  ASSERT_TRUE(AdvanceUntil([&] { return bus_.Cycles(0) == board + 2; }));
  EXPECT_GE(clock_.NowMs() - refusedAt, kJvsQuietMs);
  ASSERT_TRUE(AdvanceUntil([] { return JvsGetState() == 1 || JvsGetState() < 0; }));
  const std::string err = capture.Take();
  EXPECT_ALL({VAL(JvsGetState(), 1), VAL(bus_.RetransmitRequests(), 0), VAL(JvsGetErrorCount() - errors, 1u),
              VAL(JvsGetDroppedReplyCount(), dropped), VAL(JvsGetNodeRecord(0)->system, 0x5A),
              VAL(JvsGetNodeRecord(0)->switches[0], 0x01), VAL(JvsGetNodeRecord(1)->system, 0x80),
              VAL(JvsGetNodeRecord(1)->switches[0], 0x40), VAL(BusLines(err, "waiting for node 0"), 1)});
  // The next cycle needs no bus time: the answer left the line settled.
  CycleOnStoppedClock();
  EXPECT_EQ(JvsGetDroppedReplyCount(), dropped);

  // Nodes that never send a reply that fits stop the bus after six of a
  // node's exchanges in a row, each node asked in turn, in one line that
  // says so: node 0's sixth, with node 1's fourth before it (the first
  // cycle's time is up after seven exchanges of 165 ms: node 0's four and
  // node 1's three; the next cycle asks node 0, node 1, node 0).
  testsupport::StderrCapture haltCapture;
  const int before = bus_.Cycles(0), before1 = bus_.Cycles(1);
  bus_.UnfittingReplies(100);
  EXPECT_TRUE(PollUntil([] { return JvsGetState() == -3; }));
  const std::string halt = haltCapture.Take();
  EXPECT_EQ(halt,
            "jvs bus: damaged or unfitting replies while waiting for node 1\n"
            "jvs bus: no good answer from node 0 in 6 exchanges in a row (6 answering nothing asked); the bus is "
            "stopped\n");
  EXPECT_TRUE(Eventually([&] { return bus_.Cycles(0) - before + bus_.Cycles(1) - before1 == kJvsMaxSpoiled + 4; }));
  EXPECT_ALL({VAL(bus_.Cycles(0) - before, kJvsMaxSpoiled), VAL(bus_.Cycles(1) - before1, 4),
              VAL(JvsGetErrorCount() - errors, 1u + kJvsMaxSpoiled + 4)});
}

// A reply that comes late, past the 20 ms the master waits for a byte, and
// the same as the reply of the request after it, is never taken for
// another's answer. The master met silence (an error), and writes nothing
// until the line has been quiet for kJvsQuietMs: a late answer that comes
// meanwhile is dropped and counted, and the quiet begins after it; one that
// comes while the master is idle is dropped before its next request. The
// late node's poll is written again whole; nothing is asked again.
TEST_F(BusTest, LateReplyIsNeverTakenByTheWrongNode) {
  bus_.AddNode(SimJvsNode{});
  bus_.AddNode(SimJvsNode{});
  bus_.SetSwitches(0, 0, 0x8000, 0x0001);  // node 1: start
  bus_.SetSwitches(1, 0, 0x0200, 0x0002);  // node 2: button 1
  BringUp();
  auto expectOwnReplies = [&](const char* when) {
    SCOPED_TRACE(when);
    const JvsNodeState *b = JvsGetNodeRecord(0), *a = JvsGetNodeRecord(1), *c = JvsGetNodeRecord(2);
    EXPECT_ALL({VAL(b->system, 0x5A), VAL(b->switches[0], 0x01), VAL(a->switches[0], 0x80),
                VAL(a->switches[3], 0x01), VAL(c->switches[0], 0x02), VAL(c->switches[3], 0x02)});
  };
  // The answer of the node held at the clock's standstill comes 90 ms after
  // its request, within the 100 ms a node may take: the clock moves on, a
  // millisecond at a time as the master sees it go, through the 20 ms wait
  // for it (an error; the wait for a quiet line begins), then to 90 ms,
  // where the answer is put on the line and read, dropped. (Moved at once,
  // the clock could pass before the master began its wait, which would
  // then wait for a clock that no longer moves.)
  auto answerAt90 = [&](int node, uint32_t errorsThen, uint32_t droppedThen) {
    const uint32_t asked = clock_.NowMs();
    ASSERT_TRUE(clock_.AdvanceSeenUntil([&] { return JvsGetErrorCount() == errorsThen + 1; }));
    ASSERT_LT(clock_.NowMs() - asked, 90u);
    clock_.Advance(asked + 90 - clock_.NowMs());
    bus_.ReleaseReply(node);
    ASSERT_TRUE(Eventually([&] { return JvsGetDroppedReplyCount() == droppedThen + 1; }));
  };
  Cycle();
  expectOwnReplies("before");
  const uint32_t errors = JvsGetErrorCount(), dropped = JvsGetDroppedReplyCount();
  auto expectCounted = [&](uint32_t e, uint32_t d) {
    EXPECT_ALL({VAL(JvsGetErrorCount() - errors, e), VAL(JvsGetDroppedReplyCount() - dropped, d),
                VAL(bus_.RetransmitRequests(), 0)});
  };

  // Node 2, the last of the cycle, answers late: the answer comes while the
  // master waits for a quiet line, and the quiet begins after it.
  int polls = bus_.Cycles(2);
  bus_.HoldNextReply(2);
  ASSERT_EQ(JvsQueuePoll(), 1);
  ASSERT_TRUE(Eventually([&] { return bus_.HeldReplies() == 1; }));
  ASSERT_NO_FATAL_FAILURE(answerAt90(2, errors, dropped));
  uint32_t lateAt = clock_.NowMs();
  ASSERT_TRUE(AdvanceUntil([&] { return bus_.Cycles(2) == polls + 2; }));  // the poll written again
  EXPECT_GE(clock_.NowMs() - lateAt, kJvsQuietMs);
  ASSERT_TRUE(AdvanceUntil([] { return JvsGetState() == 1 || JvsGetState() < 0; }));
  ASSERT_EQ(JvsGetState(), 1);
  expectOwnReplies("late answer dropped");
  for (int i = 0; i < 3; ++i) {
    CycleOnStoppedClock();
    expectOwnReplies("cycles after the late answer");
  }
  expectCounted(1, 1);

  // Node 2 answers so late that the master has written its poll again,
  // taken that answer and ended the cycle: the late answer lies on the line
  // when the next cycle begins, and the board's poll waits it out.
  polls = bus_.Cycles(2);
  bus_.HoldNextReply(2);
  Cycle();
  EXPECT_EQ(bus_.Cycles(2) - polls, 2);
  expectOwnReplies("answer of the poll written again");
  bus_.ReleaseReply(2);
  Cycle();
  expectOwnReplies("late answer dropped before the next cycle");
  for (int i = 0; i < 3; ++i) {
    CycleOnStoppedClock();
    expectOwnReplies("cycles after the second late answer");
  }
  expectCounted(2, 2);

  // Node 1 answers late, and node 2 slowly but within its wait: node 1's
  // late answer is dropped, node 2's is taken.
  const int held = bus_.HeldReplies();
  bus_.HoldNextReply(1);
  bus_.HoldNextReply(2);
  ASSERT_EQ(JvsQueuePoll(), 1);
  ASSERT_TRUE(Eventually([&] { return bus_.HeldReplies() == held + 1; }));
  ASSERT_NO_FATAL_FAILURE(answerAt90(1, errors + 2, dropped + 2));
  lateAt = clock_.NowMs();
  // Node 1's poll written again and answered; node 2's held.
  ASSERT_TRUE(AdvanceUntil([&] { return bus_.HeldReplies() == held + 2; }));
  EXPECT_GE(clock_.NowMs() - lateAt, kJvsQuietMs);
  bus_.ReleaseReply(2);  // within node 2's wait: the clock stands still
  ASSERT_TRUE(WaitState(1));
  expectOwnReplies("second late answer");
  for (int i = 0; i < 3; ++i) {
    CycleOnStoppedClock();
    expectOwnReplies("cycles after the third late answer");
  }
  expectCounted(3, 3);
  EXPECT_EQ(bus_.LateReplies(), 4);
}

// ---------------------------------------------------------------------------
// Boards that answer in ways of their own. Two I/O nodes, each with inputs of
// its own, play on while a fault strikes: every cycle's switches and coins
// must reach their own node's record, the bus must never stop, and it counts
// the errors the fault deserves and no more. After a fault the inputs stay
// as they were for some cycles, so that each genuine reply is the same as a
// frame the fault left on its way: each must still be taken, and no stale
// frame in its place.

class PlayBusTest : public BusTest {
 protected:
  struct Inputs {
    uint8_t system;
    uint16_t player1, player2, coin0, coin1;
  };
  void SetUp() override {
    BusTest::SetUp();
    bus_.AddNode(SimJvsNode{});
    bus_.AddNode(SimJvsNode{});
    inputs_[0] = {0x00, 0x8000, 0x0001, 1, 0};  // node 1: start
    inputs_[1] = {0x80, 0x0200, 0x0002, 0, 1};  // node 2: button 1
    Apply();
    BringUp();
    CycleOnClock("before the fault");
    errors_ = JvsGetErrorCount();
    resends_ = bus_.RetransmitRequests();
    dropped_ = JvsGetDroppedReplyCount();
  }
  void Apply() {
    for (int i = 0; i < 2; ++i) {
      bus_.SetSwitches(i, inputs_[i].system, inputs_[i].player1, inputs_[i].player2);
      bus_.SetCoins(i, inputs_[i].coin0, inputs_[i].coin1);
    }
  }
  // New switches on both nodes, and a coin more in each slot.
  void NewInputs() {
    for (Inputs& in : inputs_) {
      in.player1 = static_cast<uint16_t>(in.player1 >> 1 | in.player1 << 15);
      in.player2 = static_cast<uint16_t>(in.player2 << 1 | in.player2 >> 15);
      in.system ^= 0x80;
      ++in.coin0;
      ++in.coin1;
    }
    Apply();
  }
  // Each node's record holds its own node's inputs.
  void ExpectInputs(const char* when) {
    SCOPED_TRACE(when);
    const JvsNodeState* b = JvsGetNodeRecord(0);
    EXPECT_ALL({VAL(b->system, 0x5A), VAL(b->switches[0], 0x01)});
    for (int i = 0; i < 2; ++i) {
      const JvsNodeState* s = JvsGetNodeRecord(i + 1);
      const Inputs& in = inputs_[i];
      EXPECT_ALL({VAL(s->system, in.system), VAL(s->switches[0], in.player1 >> 8),
                  VAL(s->switches[1], in.player1 & 0xFF), VAL(s->switches[2], in.player2 >> 8),
                  VAL(s->switches[3], in.player2 & 0xFF), VAL(s->coins[0], in.coin0), VAL(s->coins[1], in.coin1)});
    }
  }
  // One poll cycle, the bus clock moving on meanwhile so that a wait for a
  // reply that does not come runs out; the cycle must end ready.
  void CycleOnClock(const char* when) {
    ASSERT_EQ(JvsGetState(), 1) << when;
    ASSERT_EQ(JvsQueuePoll(), 1);
    ASSERT_TRUE(AdvanceUntil([] { return JvsGetState() == 1 || JvsGetState() < 0; }));
    ASSERT_EQ(JvsGetState(), 1) << "the bus stopped: " << when;
    ExpectInputs(when);
  }
  // Cycles with the inputs unchanged, then cycles with new inputs each.
  void PlayOn(int same, int changing) {
    for (int i = 0; i < same; ++i) ASSERT_NO_FATAL_FAILURE(CycleOnClock("unchanged inputs after the fault"));
    for (int i = 0; i < changing; ++i) {
      NewInputs();
      ASSERT_NO_FATAL_FAILURE(CycleOnClock("new inputs after the fault"));
    }
  }
  // Errors the master counted, requests to send again and frames dropped
  // since the fault.
  void ExpectCounted(uint32_t errors, int resends, uint32_t dropped) {
    EXPECT_ALL({VAL(JvsGetErrorCount() - errors_, errors), VAL(bus_.RetransmitRequests() - resends_, resends),
                VAL(JvsGetDroppedReplyCount() - dropped_, dropped)});
  }

  // The next poll takes `amount` coins off slot 0 of the node at index i:
  // the node counts them off, and its reply reports the decrease.
  void TakeCoins(int i, uint16_t amount) {
    JvsGetNodeRecord(i + 1)->coinDecrease[0] = amount;
    inputs_[i].coin0 = static_cast<uint16_t>(inputs_[i].coin0 - amount);
    decreases_.emplace_back(1, amount);
  }
  // The coins are those the nodes hold, and none was taken off but those
  // asked for.
  void ExpectCoins(const char* when) {
    SCOPED_TRACE(when);
    EXPECT_EQ(bus_.Decreases(), decreases_);
    for (int i = 0; i < 2; ++i) {
      const SimJvsNode n = bus_.Node(i);
      EXPECT_ALL({VAL(n.coins[0], inputs_[i].coin0), VAL(n.coins[1], inputs_[i].coin1),
                  VAL(JvsGetNodeRecord(i + 1)->coinDecrease[0], 0)});
    }
  }

  Inputs inputs_[2] = {};
  uint32_t errors_ = 0, dropped_ = 0;
  int resends_ = 0;
  std::vector<std::pair<int, int>> decreases_;
};

// A board that appends to its last frame: each copy asked for is one byte
// longer. Copies are asked for only after an exchange of a request that
// takes effect once went wrong: here node 1's poll that takes a coin off.
// The bytes after the reports are no part of the answer, so the first copy
// with a right sum that carries the decrease's answer tells that the node
// carried it out, and is taken.
TEST_F(PlayBusTest, GrowingCopiesOfADecreaseAnswerAreTaken) {
  bus_.GrowOnResend(true);
  // The decrease poll's answer damaged, and the first four copies too: the
  // fifth copy, five bytes longer, is the answer. Five errors in a row, one
  // fewer than stops the bus.
  NewInputs();
  TakeCoins(0, 1);
  bus_.SpoilNextReply(1, SimJvsBus::kDamaged, true);
  bus_.CorruptResends(4);
  ASSERT_NO_FATAL_FAILURE(CycleOnClock("five damaged frames"));
  ExpectCoins("five damaged frames");
  ASSERT_NO_FATAL_FAILURE(PlayOn(3, 2));
  ExpectCounted(5, 5, 0);

  // Node 1's decrease answer comes late: a copy, one byte longer, is taken;
  // the late answer then comes while the master is idle and is dropped
  // before the next request, and every later reply is taken.
  NewInputs();
  TakeCoins(0, 1);
  bus_.HoldNextReply(1);
  ASSERT_NO_FATAL_FAILURE(CycleOnClock("node 1's copy taken"));
  ASSERT_EQ(bus_.HeldReplies(), 1);
  bus_.ReleaseReply(1);
  ASSERT_NO_FATAL_FAILURE(PlayOn(3, 0));
  ExpectCoins("late decrease answer");
  ExpectCounted(6, 6, 1);
  // Both nodes' decrease answers damaged, inputs unchanged after: each
  // longer copy is taken.
  NewInputs();
  TakeCoins(0, 1);
  TakeCoins(1, 1);
  bus_.SpoilNextReply(1, SimJvsBus::kDamaged, true);
  bus_.SpoilNextReply(2, SimJvsBus::kDamaged, true);
  ASSERT_NO_FATAL_FAILURE(CycleOnClock("two damaged decrease answers"));
  ASSERT_NO_FATAL_FAILURE(PlayOn(2, 2));
  ExpectCoins("two damaged decrease answers");
  ExpectCounted(8, 8, 1);
}

// A board that holds a reply back until the master asks for it again, and
// then sends it with a copy in one write. The master asks again only for a
// request that takes effect once (nodes 1 and 2: a poll that takes a coin
// off): the first frame, the answer, tells that the decrease was carried
// out, and the copy behind it is dropped. The board's poll has no effect:
// it is written again whole once the line is quiet, and the frames held
// for a request to send again never come. Each costs one error, and the
// genuine replies after are all taken.
TEST_F(PlayBusTest, ReplyHeldUntilAskedAgain) {
  struct Case {
    int node;
    bool decrease;
    int resends;
    uint32_t dropped;
  } cases[] = {{1, true, 1, 1}, {0, false, 0, 0}, {2, true, 1, 1}};  // node 2 is the last of its cycle
  uint32_t errors = 0, dropped = 0;
  int resends = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.node);
    bus_.BundleNextReply(c.node, 1);
    NewInputs();
    if (c.decrease) TakeCoins(c.node - 1, 1);
    ASSERT_NO_FATAL_FAILURE(CycleOnClock("reply held until asked again"));
    ASSERT_NO_FATAL_FAILURE(PlayOn(3, 1));
    ExpectCoins("after");
    ++errors;
    resends += c.resends;
    dropped += c.dropped;
    ExpectCounted(errors, resends, dropped);
  }
}

// The answer to a poll that takes a coin off comes only after two and three
// requests to send it again, with all its copies in one write: the first
// frame is taken, as many copies as were asked for are dropped, and no
// genuine reply after.
TEST_F(PlayBusTest, ThreeAndFourCopiesOfADecreaseAnswerInOneRead) {
  bus_.BundleNextReply(1, 2);
  NewInputs();
  TakeCoins(0, 1);
  ASSERT_NO_FATAL_FAILURE(CycleOnClock("three copies of node 1's answer"));
  ASSERT_NO_FATAL_FAILURE(PlayOn(4, 1));
  ExpectCoins("three copies");
  ExpectCounted(2, 2, 2);
  bus_.BundleNextReply(2, 3);
  NewInputs();
  TakeCoins(1, 1);
  ASSERT_NO_FATAL_FAILURE(CycleOnClock("four copies of node 2's answer"));
  ASSERT_NO_FATAL_FAILURE(PlayOn(4, 1));
  ExpectCoins("four copies");
  ExpectCounted(5, 5, 5);
}

// A byte that belongs to no frame after a good frame: no error, nothing
// dropped, nothing asked again.
TEST_F(PlayBusTest, StrayByteAfterAGoodFrame) {
  for (uint8_t stray : {uint8_t{0x00}, uint8_t{0xD0}, uint8_t{0xE0}, uint8_t{0xFF}}) {
    SCOPED_TRACE(int(stray));
    bus_.StrayByteAfterReplies(3, stray);  // every reply of one cycle
    NewInputs();
    ASSERT_NO_FATAL_FAILURE(CycleOnClock("stray bytes"));
    ASSERT_NO_FATAL_FAILURE(PlayOn(1, 1));
  }
  ExpectCounted(0, 0, 0);
}

// A node's reply to a poll comes again just after the next poll, before
// that poll's own reply: unasked, or late after its copy was taken. Node
// 1's polls worked by hand: switches 20 02 02, coins 21 02, with a
// decrease 30 01 00 01 between them. The reply with the decrease is 01 |
// 01 ss p1 p1 p2 p2 | 01 | 01 c0 c0 c1 c1 (13 bytes): against a poll
// without it, its reports end a byte before the frame does (the decrease's
// bare 01 would be read as the coin report, and slot 0 as 01 00, 256
// coins); the reply without it cannot answer a poll with it (its coin count
// 00 01 would be read as the report byte 0). Either way the old reply does
// not answer the next poll: it is refused (an error), the poll's own reply
// behind it is dropped, in the same read or while the master waits for a
// quiet line, and the poll is written again whole or, carrying a decrease,
// the node is asked for its last reply, which tells the decrease carried
// out. A reply that is late and comes again only after the rewritten poll
// answers that poll as the same request, and the rewritten poll's answer
// is dropped. Last, the next poll's reply waits with the old one for a
// request to send again that a poll never gets: the poll is written again
// and answered.
TEST_F(PlayBusTest, ReplyToThePreviousPollIsNeverReadAgainstTheNext) {
  using How = SimJvsBus::AgainHow;
  struct Case {
    const char* what;
    bool late;
    How how;
    bool decreaseFirst;
    uint32_t errors;  // each wait for a late reply ran out once, each old reply refused once
    int resends;
    uint32_t dropped;
  } cases[] = {
      {"a decrease's reply again, in one read", false, SimJvsBus::kOneWrite, true, 1, 0, 1},
      {"a decrease's reply again, in two reads", false, SimJvsBus::kTwoWrites, true, 1, 0, 1},
      {"a decrease's reply late, after its copy, in one read", true, SimJvsBus::kOneWrite, true, 2, 1, 1},
      {"a decrease's reply late, after its copy, in two reads", true, SimJvsBus::kTwoWrites, true, 2, 1, 1},
      {"a reply without a decrease again, before a decrease's reply", false, SimJvsBus::kOneWrite, false, 1, 1, 1},
      {"a reply without a decrease again, before a decrease's reply, in two reads", false, SimJvsBus::kTwoWrites,
       false, 1, 1, 1},
      {"a reply without a decrease late, before a decrease's reply", true, SimJvsBus::kOneWrite, false, 1, 0, 1},
      {"a reply without a decrease late, before a decrease's reply, in two reads", true, SimJvsBus::kTwoWrites, false,
       1, 0, 1},
      // Last: the frames it holds back never come, and would stand in for a
      // copy asked of node 1 later.
      {"a decrease's reply late, after the next poll's reply waiting for a request to send again", true,
       SimJvsBus::kWhenAskedAgain, true, 2, 1, 0},
  };
  uint32_t errors = 0, dropped = 0;
  int resends = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Slot 0 of node 1 holds 1 coin before each poll that takes one off.
    inputs_[0].coin0 = 0;
    NewInputs();
    if (c.decreaseFirst) TakeCoins(0, 1);
    bus_.ReplyAgainAfterNextRequest(1, c.late, c.how, false);
    ASSERT_NO_FATAL_FAILURE(CycleOnClock("the poll whose reply comes again"));
    if (!c.decreaseFirst) {
      NewInputs();
      TakeCoins(0, 1);
    }
    const uint32_t errorsBefore = JvsGetErrorCount(), droppedBefore = JvsGetDroppedReplyCount();
    ASSERT_EQ(JvsQueuePoll(), 1);
    if (c.how == SimJvsBus::kTwoWrites) {
      // Node 1's reply comes once the old one was refused (or, after a
      // reply that was late, the next poll ended without it).
      ASSERT_TRUE(Eventually([&] { return JvsGetErrorCount() != errorsBefore || JvsGetState() == 1; }));
      bus_.ReleaseReply(1);
      // Read before the quiet the master waits for can end.
      ASSERT_TRUE(Eventually([&] { return JvsGetDroppedReplyCount() != droppedBefore || JvsGetState() == 1; }));
    }
    ASSERT_TRUE(AdvanceUntil([] { return JvsGetState() == 1 || JvsGetState() < 0; }));
    ASSERT_EQ(JvsGetState(), 1) << "the bus stopped";
    ExpectInputs("the next poll");
    ExpectCoins("the next poll");
    ASSERT_NO_FATAL_FAILURE(PlayOn(2, 1));
    ExpectCoins("after");
    errors += c.errors;
    resends += c.resends;
    dropped += c.dropped;
    ExpectCounted(errors, resends, dropped);
  }
}

// A poll lost on its way to node 1, or reaching it damaged (a node that
// stays silent on a wrong sum): silence, an error. A poll without a
// decrease has no effect and is written again whole once the line is
// quiet: nothing is asked again, whether the node grows its copies or not.
// A poll that carries a decrease may have been carried out: the node is
// asked for its last reply, which is still its reply before the decrease
// (as sent or a byte longer), so the decrease was not carried out and the
// poll goes out again. Either way the decrease is carried out once, the
// inputs and coins are the node's own and the bus plays on.
TEST_F(PlayBusTest, PollLostAroundACoinDecreaseGoesOutAgain) {
  using Sim = SimJvsBus;
  struct Case {
    const char* what;
    Sim::Which which;
    Sim::Spoil how;
    bool grow;
    int resends;
  } cases[] = {
      {"the poll after a decrease lost", Sim::kAfterNextDecrease, Sim::kLost, false, 0},
      {"the poll after a decrease lost, copies growing", Sim::kAfterNextDecrease, Sim::kLost, true, 0},
      {"the poll after a decrease damaged", Sim::kAfterNextDecrease, Sim::kDamaged, false, 0},
      {"the poll after a decrease damaged, copies growing", Sim::kAfterNextDecrease, Sim::kDamaged, true, 0},
      {"the decrease poll lost", Sim::kNextDecrease, Sim::kLost, false, 1},
      {"the decrease poll lost, copies growing", Sim::kNextDecrease, Sim::kLost, true, 1},
      {"the decrease poll damaged", Sim::kNextDecrease, Sim::kDamaged, false, 1},
  };
  bus_.SilentOnDamagedRequests(true);
  uint32_t errors = 0;
  int resends = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bus_.GrowOnResend(c.grow);
    const int lost = bus_.LostRequests(), bad = bus_.BadRequests();
    // Slot 0 of node 1 holds 1 coin, and the next poll takes it off.
    inputs_[0].coin0 = 0;
    NewInputs();
    TakeCoins(0, 1);
    bus_.SpoilRequest(1, c.which, c.how);
    ASSERT_NO_FATAL_FAILURE(CycleOnClock("the decrease poll"));
    NewInputs();
    ASSERT_NO_FATAL_FAILURE(CycleOnClock("the poll after it"));
    EXPECT_EQ(bus_.LostRequests() - lost + bus_.BadRequests() - bad, 1);
    ExpectCoins("after the lost poll");
    ASSERT_NO_FATAL_FAILURE(PlayOn(2, 1));
    ExpectCoins("after");
    ++errors;
    resends += c.resends;
    ExpectCounted(errors, resends, 0);
  }
  EXPECT_EQ(JvsGetState(), 1);
}

// Coins taken off in two polls in a row: the second decrease goes out in
// the very next poll. The node's last reply, the first decrease's answer,
// has the layout of the second's answer, so that a copy of it could not
// tell whether the second was carried out: the master asks the node's
// identity first, whose answer breaks that layout. Lost on the way, that
// request is written again; the decrease itself lost, the copy asked for
// is the identity's answer: not carried out, and sent again. Either way
// each decrease is carried out once.
TEST_F(PlayBusTest, ADecreaseRightAfterAnotherIsCarriedOutOnce) {
  bus_.SilentOnDamagedRequests(true);
  auto cycle = [&] {
    ASSERT_EQ(JvsQueuePoll(), 1);
    ASSERT_TRUE(AdvanceUntil([] { return JvsGetState() == 1 || JvsGetState() < 0; }));
    ASSERT_EQ(JvsGetState(), 1);
  };
  struct Case {
    const char* what;
    SimJvsBus::Which which;
    int resends;
  } cases[] = {{"the identity asked first lost", SimJvsBus::kNextRequest, 0},
               {"the second decrease lost", SimJvsBus::kNextDecrease, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const uint32_t errors = JvsGetErrorCount();
    const int resends = bus_.RetransmitRequests(), lost = bus_.LostRequests();
    bus_.SetCoins(0, 2, 0);  // node 1 holds two coins
    const std::vector<std::pair<int, int>> before = bus_.Decreases();
    ASSERT_NO_FATAL_FAILURE(cycle());
    JvsNodeState* s = JvsGetNodeRecord(1);
    s->coinDecrease[0] = 1;
    ASSERT_NO_FATAL_FAILURE(cycle());
    s->coinDecrease[0] = 1;
    bus_.SpoilRequest(1, c.which, SimJvsBus::kLost);
    for (int i = 0; i < 3; ++i) ASSERT_NO_FATAL_FAILURE(cycle());
    std::vector<std::pair<int, int>> want = before;
    want.insert(want.end(), {{1, 1}, {1, 1}});
    EXPECT_EQ(bus_.Decreases(), want);
    EXPECT_ALL({VAL(bus_.Node(0).coins[0], 0), VAL(s->coins[0], 0), VAL(s->coinDecrease[0], 0),
                VAL(bus_.LostRequests() - lost, 1), VAL(JvsGetErrorCount() - errors, 1u),
                VAL(bus_.RetransmitRequests() - resends, c.resends)});
  }
}

// The reply held back until the master has asked for it again several
// times, and then fewer frames than requests: one for three, two for four.
// Node 1's and node 2's polls take a coin off, and each silence is met by
// a request to send again; the first frame is the answer, the second is
// dropped. The board's poll has no effect and is never asked for again:
// written again whole once the line is quiet, it is answered, and the
// frames held never come. The replies of the next polls, inputs unchanged,
// are each taken: not one error, request to send again or dropped frame
// more.
TEST_F(PlayBusTest, FewerCopiesThanRequestsToSendAgain) {
  struct Case {
    int node, asks, frames;
    bool decrease;
    uint32_t errors;
    int resends;
    uint32_t dropped;
  } cases[] = {{1, 3, 1, true, 3, 3, 0}, {0, 2, 2, false, 1, 0, 0}, {2, 4, 2, true, 4, 4, 1}};
  uint32_t errors = 0, dropped = 0;
  int resends = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "node " << c.node << ", " << c.asks << " requests, " << c.frames << " frames");
    bus_.BundleNextReply(c.node, c.asks, c.frames);
    NewInputs();
    if (c.decrease) TakeCoins(c.node - 1, 1);
    ASSERT_NO_FATAL_FAILURE(CycleOnClock("the reply held back"));
    errors += c.errors;
    resends += c.resends;
    dropped += c.dropped;
    ASSERT_NO_FATAL_FAILURE(PlayOn(1, 0));
    ExpectCounted(errors, resends, dropped);
    ASSERT_NO_FATAL_FAILURE(PlayOn(9, 0));
    ExpectCoins("after");
    ExpectCounted(errors, resends, dropped);
  }
}

// A frame with a right sum and no status byte before the next three
// replies: damaged, as a wrong sum is. Each is the board's (node 0, first
// in the cycle): an error each, and its poll written again whole once the
// line is quiet. The reply behind it, in the same read, is dropped with it
// and counted. The bus plays on.
TEST_F(PlayBusTest, FrameWithoutAStatusByteMeansThePollIsWrittenAgain) {
  const int board = bus_.Cycles(0), node1 = bus_.Cycles(1), node2 = bus_.Cycles(2);
  bus_.EmptyFrameBeforeReplies(3);
  NewInputs();
  ASSERT_NO_FATAL_FAILURE(CycleOnClock("frames without a status byte"));
  // Each node's reply in its turn: each poll written again once.
  EXPECT_ALL({VAL(bus_.Cycles(0) - board, 2), VAL(bus_.Cycles(1) - node1, 2), VAL(bus_.Cycles(2) - node2, 2)});
  ASSERT_NO_FATAL_FAILURE(PlayOn(3, 2));
  ExpectCounted(3, 0, 3);
}

// Nodes that never answer: each wait for a reply runs out on the bus clock,
// and each poll is written again whole, at the node's turn, once the line
// has been quiet for kJvsQuietMs, never asked for again. Six of a node's
// exchanges in a row without a good answer stop the bus, with one line:
// node 0's sixth, node 1's fourth before it (seven exchanges of 165 ms fill
// the first cycle's second, then node 0, node 1, node 0).
TEST_F(BusTest, SilentNodeHaltsAfterSixExchangesWithOneLine) {
  bus_.AddNode(SimJvsNode{});
  BringUp();
  bus_.SetSilent(true);
  const int board = bus_.Cycles(0), node = bus_.Cycles(1);
  const uint32_t errors = JvsGetErrorCount(), start = clock_.NowMs();
  testsupport::StderrCapture capture;
  EXPECT_TRUE(PollUntil([] { return JvsGetState() == -3; }));
  // Ten waits for a byte, and nine quiet lines between them.
  EXPECT_GE(clock_.NowMs() - start, (kJvsMaxSpoiled + 4) * kJvsByteWaitMs + (kJvsMaxSpoiled + 3) * kJvsQuietMs);
  // The last poll was written just before the halt.
  EXPECT_TRUE(Eventually([&] { return bus_.Cycles(0) - board + bus_.Cycles(1) - node >= kJvsMaxSpoiled + 4; }));
  const std::string err = capture.Take();
  EXPECT_ALL({VAL(bus_.Cycles(0) - board, kJvsMaxSpoiled), VAL(bus_.Cycles(1) - node, 4),
              VAL(bus_.RetransmitRequests(), 0), VAL(JvsGetErrorCount() - errors, uint32_t{kJvsMaxSpoiled + 4}),
              VAL(JvsRequest(), 0)});
  EXPECT_EQ(err, "jvs bus: no good answer from node 0 in 6 exchanges in a row (6 silent); the bus is stopped\n");
  EXPECT_EQ(JvsClose(), 1);  // ends the halted thread
  EXPECT_EQ(JvsGetState(), -1);
}

// A master waiting for a reply on a clock that does not move is still
// closed at once.
TEST_F(BusTest, CloseEndsAWaitForAReply) {
  bus_.AddNode(SimJvsNode{});
  BringUp();
  bus_.SetSilent(true);
  JvsQueuePoll();
  ASSERT_TRUE(WaitState(3));
  EXPECT_EQ(JvsClose(), 1);
  EXPECT_EQ(JvsGetState(), -1);
}

// A board gone mad, writing frames without end once the master's poll is
// out, and answering nothing else. Frames to the master that answer nothing
// decide each receive; the line carries more of them after the first (the
// wait for a quiet line runs out), so it is noise, told as such and not as
// a reply answering nothing asked, and each request after it goes out on a
// line that never went quiet, where they are noise like any other (the
// bytes outside frames among them told once for each node): on a clock
// that does not move the bus goes
// on, its nodes asked in turn, and once
// kJvsNoAnswerMs of bus time went by without a good answer it stops, in one
// line. Frames to another node are no event at
// all, only noise: each receive gives up after kJvsMaxReceiveBytes of them
// and each wait for a quiet line too, its request goes out all the same,
// the noise is told once, and the bus does not stop; once the flood ends
// the poll is answered. A close then ends the thread.
TEST_F(BusTest, FloodOfFramesThatAnswerNothingStopsTheBus) {
  bus_.AddNode(SimJvsNode{});
  bus_.SetSilent(false);
  BringUp();
  {
    testsupport::StderrCapture capture;
    // The board keeps its answer: the poll is out and the master waits for
    // it (RTS low) when the flood begins.
    bus_.SetSilent(true);
    const uint32_t start = clock_.NowMs();
    ASSERT_EQ(JvsQueuePoll(), 1);
    ASSERT_TRUE(Eventually([&] { return JvsGetState() == 3 && !bus_.Rts(); }));
    const uint32_t errors = JvsGetErrorCount();
    bus_.SetFlood(SimJvsBus::kFloodNoAnswer, 64, 0);
    ASSERT_TRUE(Eventually([&] { return JvsGetErrorCount() >= errors + 4 * kJvsMaxSpoiled; }));
    EXPECT_EQ(JvsGetState(), 3);
    clock_.Advance(kJvsNoAnswerMs);
    EXPECT_TRUE(Eventually([] { return JvsGetState() == -3; }));
    const std::string err = capture.Take();
    // Node 0 and node 1 are asked in turn; the stop names the one whose
    // exchange met the bound first.
    EXPECT_ALL({VAL(BusLines(err), 4), VAL(BusLines(err, "damaged or unfitting replies"), 0),
                VAL(BusLines(err, "the line did not go quiet (8256 bytes in 0 ms)"), 1),
                VAL(BusLines(err, "bytes outside frames on the line while node 0 was asked"), 1),
                VAL(BusLines(err, "bytes outside frames on the line while node 1 was asked"), 1),
                VAL(BusLines(err, " in 10000 ms (") - BusLines(err, "no good answer from node "), 0),
                VAL(BusLines(err, " in 10000 ms ("), 1),
                VAL(clock_.NowMs(), start + kJvsNoAnswerMs)});
    EXPECT_EQ(JvsClose(), 1);
    bus_.SetFlood(SimJvsBus::kFloodOff, 0);
    EXPECT_EQ(JvsGetState(), -1);
  }
  bus_.SetSilent(false);
  BringUp();
  testsupport::StderrCapture capture;
  bus_.SetSilent(true);
  ASSERT_EQ(JvsQueuePoll(), 1);
  ASSERT_TRUE(Eventually([&] { return JvsGetState() == 3 && !bus_.Rts(); }));
  const uint32_t errors = JvsGetErrorCount();
  bus_.SetFlood(SimJvsBus::kFloodOtherNode, 64, 0);
  // Six receives and six waits that ran out: as many as stopped the bus.
  ASSERT_TRUE(Eventually([&] { return JvsGetErrorCount() >= errors + 2 * kJvsMaxSpoiled; }));
  EXPECT_EQ(JvsGetState(), 3);
  bus_.SetFlood(SimJvsBus::kFloodOff, 0);
  bus_.SetSilent(false);
  ASSERT_TRUE(AdvanceUntil([] { return JvsGetState() != 3; }));
  EXPECT_EQ(JvsGetState(), 1);
  const std::string err = capture.Take();
  EXPECT_ALL({VAL(BusLines(err, "the line did not go quiet"), 1), VAL(BusLines(err, "stopped"), 0)});
  EXPECT_EQ(JvsClose(), 1);
}

// A close while a board floods the line ends the master's wait at once,
// wherever it waits (before its request, dropping what came before it, or
// for the reply), and asks the node for nothing more.
TEST_F(BusTest, CloseDuringAFloodReturns) {
  bus_.AddNode(SimJvsNode{});
  BringUp();
  bus_.SetFlood(SimJvsBus::kFloodOtherNode, 64, 0);
  ASSERT_EQ(JvsQueuePoll(), 1);
  std::atomic<bool> closed{false};
  std::thread closer([&] {
    JvsClose();
    closed = true;
  });
  const bool ended = Eventually([&] { return closed.load(); });
  bus_.SetFlood(SimJvsBus::kFloodOff, 0);  // so that a close that hung ends, and the test fails cleanly
  closer.join();
  EXPECT_TRUE(ended) << "the close waited on the master";
  EXPECT_EQ(JvsGetState(), -1);
}

// A close while the master waits for a reply, after a run of stray frames
// (none of them a reply, none even for the master): the wait runs on a clock
// that does not move, and the close ends it at once, asking the node for
// nothing.
TEST_F(BusTest, CloseEndsAWaitAfterStrayFrames) {
  bus_.AddNode(SimJvsNode{});
  BringUp();
  const int asked = bus_.RetransmitRequests(), board = bus_.Cycles(0);
  bus_.SetFlood(SimJvsBus::kFloodOtherNode, 1, 2);
  ASSERT_EQ(JvsQueuePoll(), 1);
  ASSERT_TRUE(Eventually([&] { return bus_.FloodBytes() >= 60; }));
  bus_.SetFlood(SimJvsBus::kFloodOff, 0);
  // The master has read them all and waits for a byte (RTS low).
  ASSERT_TRUE(Eventually([&] { return JvsGetState() == 3 && !bus_.Rts(); }));
  EXPECT_EQ(JvsClose(), 1);
  bus_.Settle();
  EXPECT_ALL({VAL(bus_.RetransmitRequests(), asked), VAL(bus_.Cycles(0) - board, 1)});
  EXPECT_EQ(JvsGetState(), -1);
}

TEST_F(BusTest, ThirtyOneNodesAreTooMany) {
  for (int i = 0; i < 31; ++i) bus_.AddNode(SimJvsNode{});
  ASSERT_EQ(JvsOpenStd(bus_.PortPath().c_str()), 1);
  EXPECT_TRUE(AdvanceUntil([] { return JvsGetState() != 0; }));
  EXPECT_EQ(JvsGetState(), -2);
}

TEST_F(BusTest, PortThatCannotBeOpenedIsOneLine) {
  testsupport::StderrCapture capture;
  EXPECT_EQ(JvsOpenStd("/nonexistent/tty"), 0);
  const std::string err = capture.Take();
  EXPECT_EQ(err, "jvs bus: the serial port /nonexistent/tty cannot be opened as a bus port\n");
  EXPECT_EQ(JvsGetState(), -1);
}

// Each try of the reset is two frames of the reset command alone, however
// often it is tried.
TEST_F(BusTest, EachResetFrameIsTheResetAlone) {
  ASSERT_EQ(JvsOpenStd(bus_.PortPath().c_str()), 1);
  EXPECT_TRUE(AdvanceUntil([] { return JvsGetState() != 0; }));
  EXPECT_EQ(JvsGetState(), -3);
  EXPECT_TRUE(Eventually([&] { return bus_.Resets() == 2 * kJvsResetTries; }));
  EXPECT_EQ(bus_.LongestReset(), 2);  // F0 D9
}

// Bring-up leaves nothing queued: a cycle carries the commands its users
// queued and no left-over command of the bring-up (the broadcast's address,
// a node's last identity command).
TEST_F(BusTest, BringUpLeavesNothingQueued) {
  bus_.AddNode(SimJvsNode{});
  bus_.AddNode(AccessoryNode());
  BringUp();
  EXPECT_ALL({VAL(JvsQueuedCount(kJvsBroadcast), 0u), VAL(JvsQueuedCount(1), 0u), VAL(JvsQueuedCount(2), 0u)});
  const int node1 = bus_.Cycles(1), node2 = bus_.Cycles(2);
  JvsQueueCommand(0, nullptr, 0);
  JvsQueueCommand(0, kJvsBoardStatusPoll, sizeof kJvsBoardStatusPoll);
  const int board = bus_.Cycles(0);
  ASSERT_EQ(JvsRequest(), 1);
  ASSERT_TRUE(Eventually([&] { return JvsGetState() == 1 && bus_.Cycles(0) == board + 1; }));
  EXPECT_ALL({VAL(bus_.Cycles(1), node1), VAL(bus_.Cycles(2), node2)});
}

// A handler that takes the rest of the reply for a report this library
// cannot size (the accessory's 0x61) is not called again for the commands
// after it: the walk of a reply stops at its end.
std::vector<uint8_t> g_walked;  // the command byte of each handler call
int32_t TakeTheRest(uint8_t, const uint8_t* command, size_t, const uint8_t*, size_t left) {
  g_walked.push_back(command[0]);
  return static_cast<int32_t>(left);
}

TEST_F(BusTest, ReplyWalkStopsAtTheReplysEnd) {
  bus_.AddNode(AccessoryNode());
  ASSERT_EQ(JvsOpen(bus_.PortPath().c_str(), &TakeTheRest), 1);
  ASSERT_TRUE(AdvanceUntil([] { return JvsGetState() != 0; }));
  ASSERT_EQ(JvsGetState(), 1);
  const uint8_t read[1] = {0x61}, sw[2] = {0x26, 1};
  JvsQueueCommand(1, read, 1);
  JvsQueueCommand(1, sw, 2);
  g_walked.clear();
  const int asked = bus_.Cycles(1);
  ASSERT_EQ(JvsRequest(), 1);
  ASSERT_TRUE(Eventually([&] { return JvsGetState() == 1 && bus_.Cycles(1) == asked + 1; }));
  EXPECT_EQ(g_walked, std::vector<uint8_t>{0x61});
}

TEST_F(BusTest, NoNodesMeansNoBus) {
  testsupport::StderrCapture capture;
  ASSERT_EQ(JvsOpenStd(bus_.PortPath().c_str()), 1);
  // The first reset waits for a quiet line; SENSE never goes low after the
  // resets.
  EXPECT_TRUE(AdvanceUntil([] { return JvsGetState() != 0; }));
  EXPECT_EQ(JvsGetState(), -3);
  // The simulated bus reads the last reset from the line on its own thread.
  EXPECT_TRUE(Eventually([&] { return bus_.Resets() == 2 * kJvsResetTries; }));
  EXPECT_EQ(capture.Take(), "jvs bus: no node answered the reset (SENSE stayed high); the bus is stopped\n");
}

// The setting sequence runs on the master's thread between its cycles: the
// caller never waits, the cycles go on, and the pauses are on the bus clock.
TEST_F(BusTest, BoardSettingSequence) {
  bus_.AddNode(SimJvsNode{});
  BringUp();
  clock_.Watch(std::this_thread::get_id());
  EXPECT_EQ(JvsSendNodeSetting(18000), 1);
  EXPECT_EQ(JvsSendNodeSetting(18000), 0);  // one runs already
  EXPECT_EQ(JvsGetNodeSettingResult(), kJvsSettingRunning);
  // Each step runs before the next cycle is served: two cycles see it done.
  // The cycles take no bus time, so the pauses are the clock's moves here.
  auto twoCycles = [&] {
    CycleOnStoppedClock();
    CycleOnStoppedClock();
  };
  const int polls = bus_.Cycles(1);
  twoCycles();
  EXPECT_ALL({VAL(bus_.BoardSetting(), 18000), VAL(bus_.BoardApplies(), 0), VAL(bus_.Cycles(1) - polls, 2)});
  clock_.Advance(kJvsSettingPauseMs - 1);
  twoCycles();
  EXPECT_EQ(bus_.BoardApplies(), 0);
  clock_.Advance(1);
  twoCycles();
  EXPECT_ALL({VAL(bus_.BoardApplies(), 1), VAL(JvsGetNodeSettingResult(), kJvsSettingRunning)});
  clock_.Advance(kJvsSettingPauseMs);
  twoCycles();
  EXPECT_EQ(JvsGetNodeSettingResult(), kJvsSettingDone);
  EXPECT_EQ(clock_.WatchedWaitMs(), 0u);  // the caller never waited on the bus

  // The board falls silent under a second sequence: the value's fate asked
  // for up to the spoiled run's end, then the setting is given up in one
  // line; the next cycle is the seventh spoiled exchange and stops the bus.
  bus_.SetSilent(true);
  testsupport::StderrCapture capture;
  EXPECT_EQ(JvsSendNodeSetting(18000), 1);
  EXPECT_TRUE(AdvanceUntil([] { return JvsGetNodeSettingResult() != kJvsSettingRunning; }));
  EXPECT_ALL({VAL(JvsGetNodeSettingResult(), kJvsSettingFailed), VAL(JvsGetState(), 1)});
  ASSERT_EQ(JvsQueuePoll(), 1);
  EXPECT_TRUE(AdvanceUntil([] { return JvsGetState() == -3; }));
  EXPECT_EQ(JvsSendNodeSetting(18000), 0);
  EXPECT_EQ(capture.Take(),
            "jvs bus: node 0 cannot tell whether it carried out its setting command 0x05: the setting is not sent "
            "again\njvs bus: no good answer from node 0 in 7 exchanges in a row (7 silent); the bus is stopped\n");
}

// Each setting command goes out with the board's status command after it,
// and is answered 01 01 01 5A 01: the setting's bare report, then the
// status (the board answers every command of a frame, as the first
// sequence's marker, its status command twice, showed). A setting takes effect once, so it goes out only when the board's
// last reply cannot be read as its answer: after a cycle, the last reply is
// the status answer (01 01 5A 01), whose 5A breaks that layout; with no
// cycle since the value went out, it is the value's answer, the very layout
// of the apply's, and the board's status is asked for first. An apply lost
// on its way: the board, asked for its last reply, sends the status answer,
// so the apply was not carried out and goes out again. The status asked
// first lost: it has no effect and is written again whole. Either way the
// board applies its setting once and the sequence ends well.
TEST_F(BusTest, LostSettingCommandsTakeEffectOnce) {
  bus_.AddNode(SimJvsNode{});
  BringUp();
  Cycle();
  bus_.SilentOnDamagedRequests(true);
  // Requests the board carried out: the marker (how the board answers is
  // not known yet), value, status, apply; then status (the value follows the
  // first case's apply with no cycle between), value, two cycles' status,
  // apply.
  struct Case {
    const char* what;
    bool cyclesBetween;
    int boardRequests;
    int resends;  // the apply's fate asked of the board
  } cases[] = {{"no cycle between", false, 4, 0}, {"cycles between", true, 5, 1}};
  uint16_t value = 1000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const int applies = bus_.BoardApplies(), board = bus_.Cycles(0), lost = bus_.LostRequests();
    const int resends = bus_.RetransmitRequests();
    const uint32_t errors = JvsGetErrorCount();
    ++value;
    ASSERT_EQ(JvsSendNodeSetting(value), 1);
    ASSERT_TRUE(AdvanceUntil([&] { return bus_.BoardSetting() == value; }));
    if (c.cyclesBetween) {
      Cycle();
      Cycle();
    }
    bus_.SpoilRequest(0, SimJvsBus::kNextRequest, SimJvsBus::kLost);
    clock_.Advance(kJvsSettingPauseMs);
    ASSERT_TRUE(AdvanceUntil(
        [] { return JvsGetNodeSettingResult() != kJvsSettingRunning || JvsGetState() < 0; }));
    EXPECT_ALL({VAL(JvsGetNodeSettingResult(), kJvsSettingDone), VAL(JvsGetState(), 1),
                VAL(bus_.BoardApplies() - applies, 1), VAL(bus_.LostRequests() - lost, 1),
                VAL(bus_.Cycles(0) - board, c.boardRequests), VAL(JvsGetErrorCount() - errors, 1u),
                VAL(bus_.RetransmitRequests() - resends, c.resends)});
  }
}

// A reply answers the request it follows only when it holds a report for
// each queued command, each of the length its command gives (by the node's
// command set: node 0 is the board's channel); bytes after the last report
// are no part of the answer. Replies and the lengths that answer worked by
// hand from the standard polls.
TEST(ReplyMatch, ReportsFitTheQueuedCommands) {
  using Bytes = std::vector<uint8_t>;
  JvsClearQueues();
  // Node 1: switches of 2 players, 2 bytes each; 2 coin slots.
  const uint8_t switches[3] = {0x20, 2, 2}, coins[2] = {0x21, 2};
  JvsQueueCommand(1, switches, 3);
  JvsQueueCommand(1, coins, 2);
  // Node 0: its status command.
  const uint8_t status[2] = {0x01, 0x02};
  JvsQueueCommand(0, status, 2);

  // status, report + system + 4 switch bytes, report + 2 counts of 2 bytes
  const Bytes node1 = {1, 1, 0x80, 0xA2, 0x00, 0x40, 0x80, 1, 0x00, 0x03, 0x40, 0x01};
  const Bytes board = {1, 1, 0x5A, 0x01};
  auto with = [](Bytes b, size_t at, uint8_t v) {
    b[at] = v;
    return b;
  };
  Bytes longer = node1, sixMore = node1, shorter = node1, boardLonger = board;
  longer.push_back(0);
  for (uint8_t b = 0xA1; b <= 0xA6; ++b) sixMore.push_back(b);
  shorter.pop_back();
  boardLonger.push_back(0x01);
  struct Case {
    const char* what;
    uint8_t node;
    Bytes reply;
    size_t answers;  // 0: not the answer
  } cases[] = {
      {"node 1's reply", 1, node1, 12},
      {"one byte more", 1, longer, 12},
      {"six bytes more", 1, sixMore, 12},
      {"one byte less", 1, shorter, 0},
      {"the board's reply for node 1", 1, board, 0},
      {"report byte 0", 1, with(node1, 1, 0), 0},
      {"report byte 5", 1, with(node1, 7, 5), 0},
      {"report byte 5 with a byte more", 1, with(longer, 7, 5), 0},
      // A report other than normal carries no data.
      {"switches unsupported", 1, {1, 2, 1, 0x00, 0x03, 0x40, 0x01}, 7},
      {"unsupported with data", 1, with(node1, 1, 2), 0},
      // A status other than normal answers nothing: its exchange went wrong.
      {"status unsupported", 1, {2}, 0},
      {"status 4", 1, {4}, 0},
      {"no reports", 1, {1}, 0},
      {"the board's reply", 0, board, 4},
      {"the board's command unsupported", 0, {1, 2}, 2},
      {"the board's report byte 0", 0, {1, 0}, 0},
      {"the board's report byte 5", 0, {1, 5}, 0},
      {"the board's reply one byte short", 0, {1, 1, 0x5A}, 0},
      {"the board's reply one byte longer", 0, boardLonger, 4},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JvsReplyAnswersQueue(c.node, c.reply.data(), c.reply.size()), c.answers) << c.what;
  }
  EXPECT_EQ(JvsReplyAnswersQueue(1, node1.data(), 0), 0u);
  JvsClearQueues();
}

// The commands queued for a node, in order.
std::vector<std::vector<uint8_t>> QueuedCommands(uint8_t node) {
  std::vector<std::vector<uint8_t>> out;
  for (uint32_t i = 0; i < JvsQueuedCount(node); ++i) {
    size_t len = 0;
    const uint8_t* c = JvsGetQueuedCommand(node, i, &len);
    out.emplace_back(c, c + len);
  }
  return out;
}

// The standard poll of a node, worked by hand from its features: switches
// and coins are asked for always (0 players, 0 slots without the feature),
// outputs only with outputs, a decrease only for a slot that has one.
TEST(NodePoll, CommandsFollowTheFeatures) {
  using Bytes = std::vector<uint8_t>;
  JvsClearQueues();
  JvsNodeState* s = JvsGetNodeRecord(1);
  *s = JvsNodeState{};
  JvsQueueNodePoll(1);
  EXPECT_EQ(QueuedCommands(1), (std::vector<Bytes>{{0x20, 0, 0}, {0x21, 0}}));

  // 2 players of 13 switches (2 bytes each), 2 coin slots, 10 outputs.
  const uint8_t features[3][4] = {{0x01, 2, 13, 0}, {0x02, 2, 0, 0}, {0x12, 10, 0, 0}};
  for (const auto& f : features) std::memcpy(s->record.features[f[0]], f, 4);
  s->outputs[0] = 0x81;
  s->outputs[1] = 0x02;
  s->coinDecrease[1] = 0x0103;
  JvsQueueNodePoll(1);
  EXPECT_EQ(QueuedCommands(1), (std::vector<Bytes>{{0x20, 2, 2}, {0x32, 2, 0x81, 0x02}, {0x30, 2, 0x01, 0x03}, {0x21, 2}}));
  *s = JvsNodeState{};
  JvsClearQueues();
}

// A poll carries every coin decrease asked for, whenever it is queued:
// the poll right after one that carried a decrease carries it again while
// it is still asked for (its answer has not been taken), and another
// slot's with it; once none is asked for, none. (Only a decrease whose fate
// the node could not tell holds the decreases back, until the node's
// counter settles it.)
TEST(NodePoll, ADecreaseGoesOutInEveryPollWhileAsked) {
  using Bytes = std::vector<uint8_t>;
  JvsClearQueues();
  JvsForgetCoinState();
  ASSERT_FALSE(JvsDecreaseUnsettled(1));
  JvsNodeState* s = JvsGetNodeRecord(1);
  *s = JvsNodeState{};
  // 1 player of 8 switches (1 byte), 2 coin slots.
  const uint8_t features[2][4] = {{0x01, 1, 8, 0}, {0x02, 2, 0, 0}};
  for (const auto& f : features) std::memcpy(s->record.features[f[0]], f, 4);
  const std::vector<Bytes> without = {{0x20, 1, 1}, {0x21, 2}};
  s->coinDecrease[0] = 1;
  JvsQueueNodePoll(1);
  EXPECT_EQ(QueuedCommands(1), (std::vector<Bytes>{{0x20, 1, 1}, {0x30, 1, 0x00, 0x01}, {0x21, 2}}));
  // Still asked for (its reply has not come), and another slot asks too.
  s->coinDecrease[1] = 2;
  const std::vector<Bytes> both = {{0x20, 1, 1}, {0x30, 1, 0x00, 0x01}, {0x30, 2, 0x00, 0x02}, {0x21, 2}};
  JvsQueueNodePoll(1);
  EXPECT_EQ(QueuedCommands(1), both);
  JvsQueueNodePoll(1);
  EXPECT_EQ(QueuedCommands(1), both);
  s->coinDecrease[0] = s->coinDecrease[1] = 0;
  JvsQueueNodePoll(1);
  EXPECT_EQ(QueuedCommands(1), without);
  *s = JvsNodeState{};
  JvsClearQueues();
}

// A node with more outputs than the four bytes the node state keeps gets
// those four: the output count gives (outputs + 7) / 8 bytes, held at 4.
TEST(NodePoll, OutputBytesAreHeldToTheFourKept) {
  using Bytes = std::vector<uint8_t>;
  JvsClearQueues();
  JvsNodeState* s = JvsGetNodeRecord(1);
  struct Case {
    uint8_t outputs;
    Bytes command;
  } cases[] = {{8, {0x32, 1, 0x11}},
               {25, {0x32, 4, 0x11, 0x22, 0x33, 0x44}},
               {32, {0x32, 4, 0x11, 0x22, 0x33, 0x44}},
               {33, {0x32, 4, 0x11, 0x22, 0x33, 0x44}},
               {255, {0x32, 4, 0x11, 0x22, 0x33, 0x44}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.outputs));
    *s = JvsNodeState{};
    const uint8_t outputs[4] = {0x12, c.outputs, 0, 0};
    std::memcpy(s->record.features[0x12], outputs, 4);
    for (int k = 0; k < 4; ++k) s->outputs[k] = static_cast<uint8_t>(0x11 * (k + 1));
    JvsQueueNodePoll(1);
    ASSERT_EQ(JvsQueuedCount(1), 3u);  // switches, outputs, coins
    size_t len = 0;
    const uint8_t* got = JvsGetQueuedCommand(1, 1, &len);
    EXPECT_EQ(Bytes(got, got + len), c.command);
  }
  *s = JvsNodeState{};
  JvsClearQueues();
}

// ---------------------------------------------------------------------------
// The I/O device in its bus mode.

class DeviceBusTest : public BusTest {
 protected:
  void TearDown() override {
    if (dev_) dev_->Release();
    BusTest::TearDown();
  }
  // Polls like the controller manager until Sync reports ready, the bus
  // clock moving on for the quiet line the bring-up's first frame waits for.
  bool PollUntilReady() {
    return AdvanceUntil([&] {
             dev_->Poll();
             return dev_->Sync() == 1;
           }) &&
           WaitState(1);
  }
  // A fresh bus of one node holding these coins, the device opened on it
  // and polled until its count shows them, the master idle.
  bool OpenOnFreshBus(SimJvsBus& bus, int coins) {
    JvsSetPortLines(&bus);
    bus.AddNode(SimJvsNode{});
    bus.SetCoins(0, static_cast<uint16_t>(coins), 0);
    dev_ = CreateXioDevice(bus.PortPath().c_str(), 0);
    return bus.Ok() && dev_->Open() == 0 && bus.AdvanceUntil(clock_, [&] {
             dev_->Poll();
             return dev_->Sync() == 1;
           }) && Eventually([&] {
             if (JvsGetState() == 1) dev_->Poll();
             return dev_->GetCoinCount(0, 0) == coins;
           }) && WaitState(1);
  }
  XioDevice* dev_ = nullptr;
};

TEST_F(DeviceBusTest, UnitsAreTheBusIoNodes) {
  bus_.AddNode(SimJvsNode{});
  bus_.AddNode(SimJvsNode{});
  bus_.SetSwitches(0, 0x80, 0x8000 | 0x2000 | 0x0200, 0x0100);
  bus_.SetSwitches(1, 0, 0x1000, 0);
  bus_.SetCoins(0, 5, 0);
  dev_ = CreateXioDevice(bus_.PortPath().c_str(), 0);
  ASSERT_EQ(dev_->Open(), 0);
  // While the bus comes up the device is "not yet", never an error.
  EXPECT_EQ(dev_->Poll(), 0);
  EXPECT_EQ(dev_->Sync(), 0);
  ASSERT_TRUE(PollUntilReady());
  // The nodes' replies reach the units with the poll after their cycle.
  EXPECT_TRUE(Eventually([&] {
    if (JvsGetState() == 1) dev_->Poll();
    return dev_->GetUnitCount() == 2 && dev_->GetSwitchWord(2) == 0x1000u;
  }));
  uint8_t block[16];
  dev_->GetSwitchBlock(0, block);
  EXPECT_ALL({VAL(dev_->GetUnitCount(), 2), VAL(dev_->GetSwitchWord(0), 0xA200u),
              VAL(dev_->GetSwitchWord(1), 0x0100u), VAL(dev_->GetSwitchWord(2), 0x1000u),
              VAL(int(block[0]), 0x80), VAL(dev_->GetCoinCount(0, 0), 5), VAL(dev_->GetBoardStatus(), 0x5A)});
  // Coins taken off read as gone at once, and are never counted twice: not
  // while the node still holds them, nor once it has counted them.
  dev_->DecreaseCoin(0, 0, 3);
  dev_->Poll();
  EXPECT_EQ(dev_->GetCoinCount(0, 0), 2);
  int cyclesAfter = 0;
  for (int i = 0; i < 50 && cyclesAfter < 3; ++i) {
    ASSERT_TRUE(WaitState(1));
    dev_->Poll();
    ASSERT_EQ(dev_->GetCoinCount(0, 0), 2) << i;
    if (!bus_.Decreases().empty()) ++cyclesAfter;
  }
  EXPECT_EQ(bus_.Decreases(), (std::vector<std::pair<int, int>>{{1, 3}}));
  EXPECT_EQ(bus_.Node(0).coins[0], 2);
}

// A close on the master's own thread right after the game took coins off:
// written to the board's counter at the poll that asks for a cycle without
// them (the game counts a take-off only after such a poll), the close
// waits for that cycle, hands the coins to the node's poll and sends it
// before the master stops: the node has them off when the close returns.
// Asked for with no poll after it (not counted), they stay on the node.
// The nodes answer at once: the clock stands all along.
TEST_F(DeviceBusTest, ACloseRightAfterATakeOffSendsItOnceAPollWroteIt) {
  for (const bool polled : {true, false}) {
    SCOPED_TRACE(polled ? "polled after the take-off" : "no poll after the take-off");
    SimJvsBus bus;
    ASSERT_TRUE(OpenOnFreshBus(bus, 3));
    dev_->DecreaseCoin(0, 0, 3);
    if (polled) dev_->Poll();
    EXPECT_EQ(dev_->Release(), 0);
    dev_ = nullptr;
    using Decreases = std::vector<std::pair<int, int>>;
    EXPECT_EQ(bus.Decreases(), polled ? Decreases({{1, 3}}) : Decreases());
    EXPECT_EQ(bus.Node(0).coins[0], polled ? 0 : 3);
    JvsSetPortLines(&bus_);
  }
}

// The bus clock as a bus master's thread meets it where the system holds
// that thread up: once frozen, every thread but the free one sees the time
// stand where it froze, while the free thread sees it go on; the free
// thread's last look while it was frozen is kept.
class FrozenClock : public plat::MsClock {
 public:
  explicit FrozenClock(FakeClock& clock) : clock_(clock) {}
  uint32_t NowMs() override {
    if (!frozen_.load()) return clock_.NowMs();
    if (std::this_thread::get_id() != free_.load()) return at_.load();
    const uint32_t now = clock_.NowMs();
    freeLook_ = now;
    return now;
  }
  void Sleep(uint32_t ms) override { clock_.Sleep(ms); }
  bool Wait(plat::Event& event, uint32_t ms) override { return clock_.Wait(event, ms); }
  void FreezeAllBut(std::thread::id free) {
    free_ = free;
    at_ = clock_.NowMs();
    frozen_ = true;
  }
  void Thaw() { frozen_ = false; }
  uint32_t FreeLookWhileFrozen() const { return freeLook_.load(); }

 private:
  FakeClock& clock_;
  std::atomic<bool> frozen_{false};
  std::atomic<uint32_t> at_{0}, freeLook_{0};
  std::atomic<std::thread::id> free_{};
};

// A close whose first wait runs out: the master's thread held up (as a
// loaded system may hold it: its time stands, and node 0's answer waits)
// in the cycle that carries coins the game counted, while more counted
// coins wait on the board's counter. Let go past a step's bound, that cycle
// ends within the close's bound, and the close still hands the other coins
// on and sends them: the node has them all off, none to be counted again
// at the next start. Held for good, the close's waits end together by its
// bound (kJvsCloseBoundMs of bus time, not a step's bound and then that),
// and nothing reaches the node: it keeps its coins. The bus time goes by in
// moves of 10 ms, each once the closing thread has looked.
TEST_F(DeviceBusTest, ACloseWhoseFirstWaitRunsOutSendsTheCountedCoinsWithinItsBound) {
  const struct {
    const char* what;
    uint32_t letGoMs;  // bus time from the close on; 0: never
    int coinsLeft;
  } cases[] = {{"let go after a step's bound", kJvsStepBoundMs + 130, 0}, {"held for good", 0, 5}};
  constexpr uint32_t kMoveMs = 10;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SimJvsBus bus;
    FrozenClock frozen(clock_);
    JvsSetClock(&frozen);
    ASSERT_TRUE(OpenOnFreshBus(bus, 5));
    // Three coins taken off, on the board's counter after the poll; the
    // cycle it asked for ends.
    dev_->DecreaseCoin(0, 0, 3);
    dev_->Poll();
    ASSERT_TRUE(WaitState(1));
    // The master held; the poll hands the three to the node's poll and asks
    // for the cycle, two more go to the board's counter.
    frozen.FreezeAllBut(std::this_thread::get_id());
    bus.HoldNextReply(0);
    dev_->Poll();
    ASSERT_TRUE(Eventually([&] { return bus.HeldReplies() == 1; }));
    dev_->DecreaseCoin(0, 0, 2);
    dev_->Poll();
    ASSERT_EQ(JvsGetState(), kJvsStateRunning);
    std::atomic<bool> closed{false};
    const uint32_t from = clock_.NowMs();
    std::thread mover([&] {
      while (c.letGoMs == 0 || clock_.NowMs() - from < c.letGoMs) {
        if (!clock_.SeenSinceMove([&] { return closed.load(); }) || closed.load()) return;
        clock_.Advance(kMoveMs);
      }
      bus.ReleaseReply(0);
    });
    EXPECT_EQ(dev_->Release(), 0);
    dev_ = nullptr;
    closed = true;
    mover.join();
    frozen.Thaw();
    if (c.coinsLeft == 0) {
      EXPECT_LE(clock_.NowMs() - from, kJvsCloseBoundMs);
      EXPECT_EQ(bus.Decreases(), (std::vector<std::pair<int, int>>{{1, 3}, {1, 2}}));
    } else {
      // The close's last look at the clock.
      const uint32_t waited = frozen.FreeLookWhileFrozen() - from;
      EXPECT_GE(waited, kJvsCloseBoundMs);
      EXPECT_LT(waited, kJvsCloseBoundMs + kMoveMs);
      EXPECT_TRUE(bus.Decreases().empty());
    }
    EXPECT_EQ(bus.Node(0).coins[0], c.coinsLeft);
    JvsSetClock(&clock_);
    JvsSetPortLines(&bus_);
  }
}

// The check of the frame after bring-up comes before that frame's poll: the
// last poll saw the bus coming up, and the bus is up now, with no results
// yet. That is "not yet", never an error, and the first poll brings them.
TEST_F(DeviceBusTest, BusJustUpWithoutResultsIsNoError) {
  bus_.AddNode(SimJvsNode{});
  bus_.SetSwitches(0, 0, 0x0400, 0);
  bus_.SetCoins(0, 1, 0);
  bus_.HoldNextReply(1);  // the identity: bring-up waits for it
  dev_ = CreateXioDevice(bus_.PortPath().c_str(), 0);
  ASSERT_EQ(dev_->Open(), 0);
  // The clock stops moving as soon as the identity is asked for, well
  // within the wait for its answer.
  ASSERT_TRUE(AdvanceUntil([&] { return bus_.HeldReplies() == 1; }));
  EXPECT_ALL({VAL(dev_->Poll(), 0), VAL(dev_->Sync(), 0), VAL(JvsGetState(), 0)});
  bus_.ReleaseReply(1);
  ASSERT_TRUE(WaitState(1));
  EXPECT_EQ(dev_->Sync(), 0);
  EXPECT_EQ(dev_->Sync(), 1);
  EXPECT_ALL({VAL(dev_->GetSwitchWord(0), 0u), VAL(dev_->GetCoinCount(0, 0), 0)});  // nothing read yet
  EXPECT_TRUE(Eventually([&] {
    if (JvsGetState() == 1) dev_->Poll();
    return dev_->Sync() == 1 && dev_->GetSwitchWord(0) == 0x0400 && dev_->GetCoinCount(0, 0) == 1;
  }));
}

TEST_F(DeviceBusTest, BusFaultIsAnIoError) {
  bus_.AddNode(SimJvsNode{});
  dev_ = CreateXioDevice(bus_.PortPath().c_str(), 0);
  ASSERT_EQ(dev_->Open(), 0);
  ASSERT_TRUE(PollUntilReady());
  bus_.SetSilent(true);
  EXPECT_TRUE(AdvanceUntil([&] {
    dev_->Poll();
    return dev_->Sync() == -1;
  }));
  EXPECT_EQ(dev_->Poll(), 6);
  EXPECT_EQ(dev_->GetAccessoryResult(0), 1);
  // The master still closes: the release gives the close's 0.
  EXPECT_EQ(dev_->Release(), 0);
  dev_ = nullptr;
}

// A node's coin condition (the top two bits of a coin slot: 1 coin jam,
// 2 counter disconnected, 3 busy) reaches the device as the register board
// gives it: the counter's fault bit, so the count reads -1 and the status 2,
// which the game takes as its coin error. A slot in good condition reads its
// count and status 0.
TEST_F(DeviceBusTest, CoinConditionIsTheCoinFault) {
  bus_.AddNode(SimJvsNode{});
  dev_ = CreateXioDevice(bus_.PortPath().c_str(), 0);
  ASSERT_EQ(dev_->Open(), 0);
  ASSERT_TRUE(PollUntilReady());
  struct Case {
    uint16_t slot;
    int32_t count, status;
  } cases[] = {{0x0002, 2, 0}, {0x4002, -1, 2}, {0x8002, -1, 2}, {0xC002, -1, 2}, {0x0003, 3, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.slot);
    bus_.SetCoins(0, c.slot, 0);
    // The poll after the cycle that read the slot brings it.
    EXPECT_TRUE(Eventually([&] {
      if (JvsGetState() == 1) dev_->Poll();
      return dev_->GetCoinStatus(0, 0) == c.status && dev_->GetCoinCount(0, 0) == c.count;
    }));
    EXPECT_EQ(dev_->GetCoinCount(0, 1), 0);  // the other slot is in good condition
  }
}

// A device closed and opened again brings the bus up again and copies its
// nodes again: an I/O node added meanwhile becomes unit 1.
TEST_F(DeviceBusTest, ReopenCopiesTheNodesAgain) {
  bus_.AddNode(SimJvsNode{});
  dev_ = CreateXioDevice(bus_.PortPath().c_str(), 0);
  ASSERT_EQ(dev_->Open(), 0);
  ASSERT_TRUE(PollUntilReady());
  EXPECT_TRUE(Eventually([&] {
    if (JvsGetState() == 1) dev_->Poll();
    return dev_->GetUnitCount() == 1;
  }));
  dev_->Close();
  bus_.AddNode(SimJvsNode{});
  bus_.SetSwitches(1, 0, 0x0800, 0);
  ASSERT_EQ(dev_->Open(), 0);
  ASSERT_TRUE(PollUntilReady());
  EXPECT_TRUE(Eventually([&] {
    if (JvsGetState() == 1) dev_->Poll();
    return dev_->GetUnitCount() == 2 && dev_->GetSwitchWord(2) == 0x0800u;
  }));
  EXPECT_EQ(JvsCopiedNodeCount(), 2);
}

// A bus whose only node has no switches has no unit 0: an I/O error once
// the bus is up, not before.
TEST_F(DeviceBusTest, BusWithoutSwitchesUnlinksUnitZero) {
  bus_.AddNode(AccessoryNode());
  dev_ = CreateXioDevice(bus_.PortPath().c_str(), 0);
  ASSERT_EQ(dev_->Open(), 0);
  EXPECT_TRUE(AdvanceUntil([&] {
    dev_->Poll();
    const int32_t sync = dev_->Sync();
    // The state only moves on from 0: read after the sync, 0 means it was 0
    // all through it.
    EXPECT_FALSE(sync == -1 && JvsGetState() == 0) << "an error while the bus came up";
    return sync == -1;
  }));
  EXPECT_ALL({VAL(JvsGetState() > 0, true), VAL(dev_->GetUnitCount(), 0)});
}

// Each poll updates the accessory of unit i for each node index i below the
// node count: with one node, unit 1's block is never touched.
TEST_F(DeviceBusTest, OneAccessoryUpdatePerNode) {
  bus_.AddNode(SimJvsNode{});
  dev_ = CreateXioDevice(bus_.PortPath().c_str(), 0);
  ASSERT_EQ(dev_->Open(), 0);
  ASSERT_TRUE(PollUntilReady());
  ASSERT_EQ(dev_->StartAccessoryRead(0, 100), 0);
  ASSERT_EQ(dev_->StartAccessoryRead(1, 100), 0);
  for (int i = 0; i < 3; ++i) {
    dev_->Poll();
    ASSERT_TRUE(WaitState(1));
    clock_.Advance(60);
  }
  // Unit 0's node is the I/O board: no accessory there.
  EXPECT_ALL({VAL(dev_->GetAccessoryState(0), 0), VAL(dev_->GetAccessoryResult(0), 1),
              VAL(dev_->GetAccessoryState(1), 1), VAL(dev_->CancelAccessory(1), 0),
              VAL(dev_->GetAccessoryResult(1), 4)});
}

// ---------------------------------------------------------------------------
// The accessory on the bus: unit 0 is the last node.

TEST_F(DeviceBusTest, BusAccessoryReadsIdentityAndData) {
  bus_.AddNode(SimJvsNode{});
  bus_.AddNode(AccessoryNode());
  uint8_t reply[24];
  for (int i = 0; i < 24; ++i) reply[i] = static_cast<uint8_t>(0x40 + i);
  dev_ = CreateXioDevice(bus_.PortPath().c_str(), 0);
  ASSERT_EQ(dev_->Open(), 0);
  ASSERT_TRUE(PollUntilReady());
  auto pollCycle = [&] {
    dev_->Poll();
    ASSERT_TRUE(Eventually([] { return JvsGetState() == 1; }));
  };

  // Read all: the accessory reports a medium (0x10) after the fourth update.
  bus_.SetAccessory(1, 0x10, reply);
  ASSERT_EQ(dev_->StartAccessoryReadAll(0, 5000), 0);
  EXPECT_EQ(dev_->StartAccessoryRead(0, 5000), 3);  // busy
  int updates = 0;
  while (dev_->GetAccessoryState(0) != 0 && updates < 20) {
    pollCycle();
    ++updates;
  }
  EXPECT_EQ(updates, 5);  // looked at from the fifth update on
  uint32_t id[4], data[4];
  EXPECT_ALL({VAL(dev_->GetAccessoryResult(0), 0), VAL(dev_->GetAccessoryIdent(0, id), 0),
              VAL(dev_->GetAccessoryData(0, data), 0)});
  uint8_t idBytes[8], dataBytes[16];
  std::memcpy(idBytes, id, 8);
  std::memcpy(dataBytes, data, 16);
  EXPECT_EQ(idBytes[0], 0x48);
  EXPECT_EQ(dataBytes[15], 0x57);

  // Fetch for the identity read: at once, without waiting.
  ASSERT_EQ(dev_->StartAccessoryFetch(0, idBytes, 100), 0);
  pollCycle();
  EXPECT_ALL({VAL(dev_->GetAccessoryState(0), 0), VAL(dev_->GetAccessoryResult(0), 0)});
  uint8_t other[8] = {1};
  dev_->StartAccessoryFetch(0, other, 100);
  pollCycle();
  EXPECT_EQ(dev_->GetAccessoryResult(0), 3);

  // The accessory's error flag, and a time-out on the clock.
  bus_.SetAccessory(1, 0x20, reply);
  dev_->StartAccessoryRead(0, 100);
  for (int i = 0; i < 6; ++i) pollCycle();
  EXPECT_EQ(dev_->GetAccessoryResult(0), 2);
  bus_.SetAccessory(1, 0x00, reply);
  dev_->StartAccessoryRead(0, 100);
  for (int i = 0; i < 6; ++i) pollCycle();
  EXPECT_EQ(dev_->GetAccessoryState(0), 1);  // still waiting
  clock_.Advance(101);
  pollCycle();
  EXPECT_ALL({VAL(dev_->GetAccessoryState(0), 0), VAL(dev_->GetAccessoryResult(0), 3)});

  // Unit 1's node is the I/O board: no accessory there.
  dev_->StartAccessoryRead(1, 100);
  pollCycle();
  EXPECT_EQ(dev_->GetAccessoryResult(1), 1);
  EXPECT_EQ(dev_->CancelAccessory(1), 4);
}

// The device over a noisy wire: hundreds of polls while frames are lost or
// damaged at random both ways (3 per cent each way, and now and then
// several in a row, three at least on each wire), nodes that stay silent on
// a damaged request or answer it with status 3, copies as sent or growing,
// and coins going in at random. Each spoiled exchange costs a quiet line of
// bus time, which the test's clock steps through a millisecond at a time.
// The game's way with coins: each count read is credited and taken off. No
// credit is ever given without a coin, every coin is credited once, and the
// node's count comes back to 0. The bus stops only where six exchanges in a
// row (a frame and the node's answer) lost or damaged a frame: on a wire
// that bad (the last case) it does, and on the others it never does.
TEST_F(DeviceBusTest, NoisyWireCreditsEveryCoinOnce) {
  bus_.AddNode(SimJvsNode{});
  dev_ = CreateXioDevice(bus_.PortPath().c_str(), 0);
  ASSERT_EQ(dev_->Open(), 0);
  ASSERT_TRUE(PollUntilReady());
  struct Case {
    uint32_t seed;
    bool silentOnDamage, grow;
    SimJvsBus::Noise noise;
  } cases[] = {{11, true, false, {11, 15, 15, 20}},
               {12, true, true, {12, 15, 15, 20}},
               {13, false, false, {13, 15, 15, 20}},
               {14, true, true, {14, 30, 30, 70}}};
  constexpr int kPolls = 500;
  int inserted = 0, credits = 0;
  uint32_t coinDraw = 7;
  // One poll of the device each time the master is ready; the bus clock
  // moves on meanwhile, so that a wait for a frame that was lost runs out.
  // False once the bus has stopped.
  auto poll = [&] {
    if (!AdvanceUntil([] { return JvsGetState() == 1 || JvsGetState() < 0; }) || JvsGetState() < 0) return false;
    dev_->Poll();
    const int32_t n = dev_->GetCoinCount(0, 0);
    if (n > 0) {
      credits += n;
      dev_->DecreaseCoin(0, 0, static_cast<uint16_t>(n));
    }
    return true;
  };
  testsupport::StderrCapture capture;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "seed " << c.seed);
    const bool last = &c == &cases[std::size(cases) - 1];
    bus_.SilentOnDamagedRequests(c.silentOnDamage);
    bus_.GrowOnResend(c.grow);
    bus_.SetNoise(c.noise);
    bool halted = false;
    for (int i = 0; i < kPolls && !halted; ++i) {
      coinDraw = coinDraw * 1103515245u + 12345u;
      if ((coinDraw >> 16) % 20 == 0) {
        bus_.InsertCoins(0, 0, 1);
        ++inserted;
      }
      halted = !poll();
      ASSERT_LE(credits, inserted) << "a credit without a coin at poll " << i;
    }
    // No more coins: the node's count comes back to 0.
    for (int i = 0; i < 50 && !halted && !(credits == inserted && bus_.Node(0).coins[0] == 0); ++i) halted = !poll();
    const std::vector<bool> exchanges = bus_.Exchanges();
    int run = 0, longest = 0, spoiled = 0;
    for (bool faulty : exchanges) {
      run = faulty ? run + 1 : 0;
      longest = std::max(longest, run);
      spoiled += faulty;
    }
    EXPECT_EQ(halted, last);
    if (halted) {
      EXPECT_GE(run, 6) << "the bus stopped after " << run << " spoiled exchanges in a row";
      break;
    }
    EXPECT_ALL({VAL(credits, inserted), VAL(bus_.Node(0).coins[0], 0)});
    // The noise did strike, now and then several times in a row.
    EXPECT_GT(spoiled, static_cast<int>(exchanges.size()) / 40);
    EXPECT_GE(longest, 3);
  }
  EXPECT_GT(inserted, 3 * kPolls / 25);  // a coin in about one poll in twenty
  capture.Take();
}

}  // namespace
