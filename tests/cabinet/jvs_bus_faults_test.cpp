// Wire events that the bus master once read as answers they were not, each
// on the real port and thread against the simulated bus: a request lost at
// bring-up, a status answer lost right after a setting, a late status 3 or a
// copy of the last reply before a decrease's answer, another node's late
// reply, two idle nodes on a noisy wire, a board that keeps its status 3, a
// count of 256 coins, a count reported busy after a decrease, and a restart
// of the device with coins credited and not yet taken off.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "cabinet/JvsFrame.h"
#include "cabinet/JvsMaster.h"
#include "cabinet/XioDevice.h"
#include "support/Eventually.h"
#include "support/ExpectAll.h"
#include "support/FakeClock.h"
#include "support/SimJvsBus.h"
#include "support/StderrCapture.h"

using testsupport::Eventually;
using testsupport::FakeClock;
using testsupport::SimJvsBus;
using testsupport::SimJvsNode;
using Decreases = std::vector<std::pair<int, int>>;

namespace {

// The lines the bus wrote to standard error that hold the words.
int Lines(const std::string& err, const std::string& words) {
  return testsupport::LinesWith(err, "jvs bus: ", words);
}

class BusFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bus_.Ok());
    for (int n = 0; n < kJvsMaxNodes; ++n) *JvsGetNodeRecord(n) = JvsNodeState{};
    JvsForgetCoinState();
    JvsSetClock(&clock_);
    JvsSetPortLines(&bus_);
    bus_.SetClock(&clock_);
  }
  void TearDown() override {
    if (dev_) dev_->Release();
    JvsClose();
    JvsSetPortLines(nullptr);
    JvsSetClock(nullptr);
  }
  template <class Pred>
  bool AdvanceUntil(Pred pred) {
    return bus_.AdvanceUntil(clock_, pred);
  }
  bool Settled() { return AdvanceUntil([] { return JvsGetState() == 1 || JvsGetState() < 0; }); }
  void BringUp() {
    ASSERT_EQ(JvsOpenStd(bus_.PortPath().c_str()), 1);
    ASSERT_TRUE(Settled());
    ASSERT_EQ(JvsGetState(), 1);
    ASSERT_EQ(JvsUpdateNodeTable(), 1);
  }
  void Cycle() {
    ASSERT_EQ(JvsGetState(), 1);
    ASSERT_EQ(JvsQueuePoll(), 1);
    ASSERT_TRUE(Settled());
    ASSERT_EQ(JvsGetState(), 1) << "the bus stopped";
  }
  // The device in its bus mode, polled as the controller manager polls it,
  // with the coin counter's way with coins: every count read is credited
  // and taken off.
  void OpenDevice() {
    dev_ = CreateXioDevice(bus_.PortPath().c_str(), 0);
    ASSERT_EQ(dev_->Open(), 0);
    ASSERT_TRUE(AdvanceUntil([&] {
      dev_->Poll();
      return dev_->Sync() == 1;
    }));
  }
  bool DevicePoll() {
    if (!Settled() || JvsGetState() < 0) return false;
    dev_->Poll();
    if (dev_->GetCoinStatus(0, 0) == 0) {
      const int32_t n = dev_->GetCoinCount(0, 0);
      if (n > 0) {
        credited_ += n;
        dev_->DecreaseCoin(0, 0, static_cast<uint16_t>(n));
      }
    }
    return true;
  }
  FakeClock clock_;
  SimJvsBus bus_;
  XioDevice* dev_ = nullptr;
  int credited_ = 0;
};

// A request of the bring-up lost on the way: the node never heard it, and
// the master writes it again once the line is quiet. The node's identity,
// revisions and features are its own (not the answer to the request before),
// and the bus comes up.
TEST_F(BusFaults, ARequestLostAtBringUpIsWrittenAgain) {
  for (uint8_t cmd = kJvsCmdIdentity; cmd <= kJvsCmdFeatures; ++cmd) {
    SCOPED_TRACE(testing::Message() << "request 0x" << std::hex << int(cmd) << " lost");
    SimJvsBus bus;
    bus.AddNode(SimJvsNode{});
    bus.SetClock(&clock_);
    JvsSetPortLines(&bus);
    bus.SpoilRequest(1, SimJvsBus::kNextWithCommand, SimJvsBus::kLost, cmd);
    testsupport::StderrCapture capture;
    ASSERT_EQ(JvsOpenStd(bus.PortPath().c_str()), 1);
    ASSERT_TRUE(bus.AdvanceUntil(clock_, [] { return JvsGetState() != 0; }));
    EXPECT_EQ(JvsGetState(), 1);
    EXPECT_EQ(bus.LostRequests(), 1);
    const JvsNodeRecord* r = JvsGetNodeInfo(1);
    EXPECT_STREQ(r->identity, "SIM;I/O BD;Ver1.00");
    EXPECT_ALL({VAL(r->commandRevision, 0x13), VAL(r->jvsRevision, 0x30), VAL(r->commVersion, 0x10),
                VAL(JvsFeatureParam(*r, kJvsFeatureSwitches, 1), 2), VAL(JvsFeatureParam(*r, kJvsFeatureSwitches, 2), 13),
                VAL(JvsFeatureParam(*r, kJvsFeatureCoins, 1), 2)});
    JvsClose();
    EXPECT_EQ(Lines(capture.Take(), "stopped"), 0);
  }
  JvsSetPortLines(&bus_);
}

// Right after each setting command (whose answer is the bare 01 01 that
// begins every normal answer) the board's status answer is lost or damaged
// on its way: the status request is written again, its answer taken, and
// the bus goes on.
TEST_F(BusFaults, StatusAnswersLostRightAfterASettingAreAskedForAgain) {
  bus_.AddNode(SimJvsNode{});
  BringUp();
  Cycle();
  testsupport::StderrCapture capture;
  ASSERT_EQ(JvsSendNodeSetting(18000), 1);
  ASSERT_TRUE(AdvanceUntil([&] { return bus_.BoardSetting() == 18000; }));
  // Of the board's next twelve replies, every other one is lost, starting
  // with the answer to the first status request after the setting.
  bus_.LoseReplies(0, {true, false, true, false, true, false, true, false, true, false, true, false});
  for (int i = 0; i < 6; ++i) {
    Cycle();
    EXPECT_ALL({VAL(JvsGetNodeRecord(0)->system, 0x5A), VAL(JvsGetNodeRecord(0)->switches[0], 0x01)});
  }
  ASSERT_TRUE(AdvanceUntil([] { return JvsGetNodeSettingResult() != kJvsSettingRunning; }));
  Cycle();
  EXPECT_ALL({VAL(bus_.BoardSetting(), 18000), VAL(bus_.BoardApplies(), 1),
              VAL(JvsGetNodeSettingResult(), kJvsSettingDone), VAL(JvsGetState(), 1)});
  EXPECT_EQ(Lines(capture.Take(), "stopped"), 0);
}

// A slow node's status 3 (its request came damaged) comes after the master
// gave up waiting for it, while the decrease poll of the next node waits for
// its own, slow, answer: it is never taken as the decrease's answer, and the
// coin is taken off once.
TEST_F(BusFaults, ALateStatusThreeTakesNoCoinTwice) {
  bus_.AddNode(SimJvsNode{});
  BringUp();
  bus_.SetCoins(0, 1, 0);
  Cycle();
  JvsGetNodeRecord(1)->coinDecrease[0] = 1;
  bus_.SpoilRequest(0, SimJvsBus::kNextRequest, SimJvsBus::kDamaged);
  bus_.LateNextReply(0, 30);
  bus_.LateNextReply(1, 25, true);
  testsupport::StderrCapture capture;
  for (int i = 0; i < 3; ++i) Cycle();
  capture.Take();
  EXPECT_EQ(bus_.Decreases(), (Decreases{{1, 1}}));
  EXPECT_ALL({VAL(bus_.Node(0).coins[0], 0), VAL(JvsGetNodeRecord(1)->coins[0], 0),
              VAL(JvsGetNodeRecord(1)->coinDecrease[0], 0), VAL(bus_.LateReplies(), 2)});
}

// The node sends its reply to the poll before a decrease again, unasked,
// right after the decrease poll's answer, which comes damaged: the copy
// never answers the decrease poll, and the node, asked for its last reply
// once the line is quiet, says it took the coin off: it is not asked to
// again.
TEST_F(BusFaults, ALateCopyOfTheLastReplyThenADamagedAnswerTakesNoCoinTwice) {
  bus_.AddNode(SimJvsNode{});
  BringUp();
  bus_.SetCoins(0, 1, 0);
  Cycle();
  JvsGetNodeRecord(1)->coinDecrease[0] = 1;
  bus_.RepeatOnNextRequest(1);
  bus_.SpoilNextReply(1, SimJvsBus::kDamaged, true);
  testsupport::StderrCapture capture;
  for (int i = 0; i < 3; ++i) Cycle();
  capture.Take();
  EXPECT_EQ(bus_.Decreases(), (Decreases{{1, 1}}));
  EXPECT_ALL({VAL(bus_.Node(0).coins[0], 0), VAL(JvsGetNodeRecord(1)->coins[0], 0),
              VAL(JvsGetNodeRecord(1)->coinDecrease[0], 0)});
}

// One node answers late, past the master's wait (in several ways: with its
// request to send again lost, or with the next node slow too): its reply,
// which has the next node's layout, never becomes the next node's inputs.
TEST_F(BusFaults, AnotherNodesLateReplyIsNeverTaken) {
  bus_.AddNode(SimJvsNode{});
  bus_.AddNode(SimJvsNode{});
  bus_.SetSwitches(0, 0x00, 0x8000, 0x0001);  // node 1: start
  bus_.SetSwitches(1, 0x80, 0x0200, 0x0002);  // node 2: button 1
  bus_.SetCoins(0, 3, 0);
  bus_.SetCoins(1, 0, 5);
  BringUp();
  auto own = [&](const char* when) {
    SCOPED_TRACE(when);
    const JvsNodeState *a = JvsGetNodeRecord(1), *b = JvsGetNodeRecord(2);
    EXPECT_ALL({VAL(a->system, 0x00), VAL(a->switches[0], 0x80), VAL(a->switches[3], 0x01), VAL(a->coins[0], 3),
                VAL(b->system, 0x80), VAL(b->switches[0], 0x02), VAL(b->switches[3], 0x02), VAL(b->coins[1], 5)});
  };
  struct Case {
    const char* what;
    uint32_t late1, late2;
    bool askLost;
    bool shortCopy = false;
  } cases[] = {
      {"node 1 late by 30 ms", 30, 0, false},
      {"node 1 late by 45 ms", 45, 0, false},
      {"node 1 late by 30 ms, then node 2 by 10", 30, 10, false},
      {"node 1 late by 30 ms and its request to send again lost", 30, 0, true},
      {"node 1 late by 90 ms, node 2 by 15", 90, 15, false},
      {"node 1 late by 30 ms, its copy short by a byte", 30, 0, false, true},
      {"node 1 late by 50 ms, its copy short by a byte", 50, 0, false, true},
      {"node 1 late by 70 ms, its copy short by a byte", 70, 0, false, true},
      {"node 1 late by 50 ms, its copy short by a byte, node 2 late by 15", 50, 15, false, true},
  };
  testsupport::StderrCapture capture;
  Cycle();
  own("before");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bus_.LateNextReply(1, c.late1);
    if (c.late2) bus_.LateNextReply(2, c.late2);
    if (c.askLost) bus_.SpoilRequest(1, SimJvsBus::kNextWithCommand, SimJvsBus::kLost, kJvsCmdRetransmit);
    const int held = bus_.HeldReplies();
    ASSERT_EQ(JvsQueuePoll(), 1);
    // Node 1's copy, should it be asked for one, comes a byte short.
    ASSERT_TRUE(Eventually([&] { return bus_.HeldReplies() > held; }));
    if (c.shortCopy) bus_.UnfittingReplies(1);
    ASSERT_TRUE(Settled());
    own("the cycle of the late reply");
    bus_.UnfittingReplies(0);
    for (int i = 0; i < 3; ++i) {
      Cycle();
      own("after");
    }
  }
  capture.Take();
}

// Two idle nodes with the same replies (a cabinet with two boards) on a
// wire that loses or damages 1.5 % of the frames each way: the bus stops
// only where six exchanges in a row went wrong, and not once in these runs.
TEST_F(BusFaults, TwoIdleNodesOnANoisyWireStopOnlyAfterSixSpoiledInARow) {
  bus_.AddNode(SimJvsNode{});
  bus_.AddNode(SimJvsNode{});
  BringUp();
  Cycle();
  struct Case {
    uint32_t seed;
    int perMille, polls;
  } cases[] = {{8, 15, 300}, {2, 40, 100}, {3, 40, 100}};
  testsupport::StderrCapture capture;
  int spoiled = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "seed " << c.seed << " at " << c.perMille << " per thousand");
    bus_.SetNoise({c.seed, c.perMille, c.perMille, 30});
    for (int i = 0; i < c.polls && JvsGetState() == 1; ++i) {
      ASSERT_EQ(JvsQueuePoll(), 1);
      ASSERT_TRUE(Settled());
    }
    const std::vector<bool> e = bus_.Exchanges();
    int run = 0;
    for (bool bad : e) {
      run = bad ? run + 1 : 0;
      spoiled += bad;
    }
    if (JvsGetState() != 1) {
      EXPECT_GE(run, kJvsMaxSpoiled) << "stopped after " << run << " spoiled exchanges in a row";
      bus_.SetNoise({1, 0, 0, 0});
      JvsClose();
      BringUp();
    }
  }
  bus_.SetNoise({1, 0, 0, 0});
  capture.Take();
  EXPECT_GT(spoiled, 40);
}

// A board that keeps the status 3 it sent as its last reply: a request it
// saw damaged is written again, and so is a decrease poll it saw damaged
// (it carried nothing out); the coin comes off once and the bus goes on.
TEST_F(BusFaults, ABoardThatKeepsItsStatusThreeGoesOn) {
  bus_.AddNode(SimJvsNode{});
  bus_.KeepStatusThree(true);
  BringUp();
  bus_.SetCoins(0, 1, 0);
  Cycle();
  testsupport::StderrCapture capture;
  // The status request damaged, and the status 3 answer lost: asked to send
  // its reply again, the board sends the status 3 again.
  bus_.SpoilRequest(0, SimJvsBus::kNextRequest, SimJvsBus::kDamaged);
  bus_.LoseReplies(0, {true});
  Cycle();
  JvsGetNodeRecord(1)->coinDecrease[0] = 1;
  bus_.SpoilRequest(1, SimJvsBus::kNextDecrease, SimJvsBus::kDamaged);
  for (int i = 0; i < 3; ++i) Cycle();
  capture.Take();
  EXPECT_EQ(bus_.BadRequests(), 2);
  EXPECT_EQ(bus_.Decreases(), (Decreases{{1, 1}}));
  EXPECT_ALL({VAL(bus_.Node(0).coins[0], 0), VAL(JvsGetNodeRecord(1)->coinDecrease[0], 0)});
}

// 256 coins on a slot of an idle node: the answer to the poll that takes
// them all off begins with the answer to the poll before (the count's high
// byte 1 is a report byte's place, and the count 0 follows). That answer
// comes damaged, and the coins are still taken off once.
TEST_F(BusFaults, TwoHundredFiftySixCoinsAreTakenOffOnce) {
  bus_.AddNode(SimJvsNode{});
  BringUp();
  bus_.SetCoins(0, 256, 0);
  Cycle();
  JvsGetNodeRecord(1)->coinDecrease[0] = 256;
  bus_.SpoilNextReply(1, SimJvsBus::kDamaged, true);
  testsupport::StderrCapture capture;
  for (int i = 0; i < 3; ++i) Cycle();
  capture.Take();
  EXPECT_EQ(bus_.Decreases(), (Decreases{{1, 256}}));
  EXPECT_ALL({VAL(bus_.Node(0).coins[0], 0), VAL(JvsGetNodeRecord(1)->coins[0], 0)});
}

// The board takes coins off but reports its count as busy in that answer:
// the count it gave before is no longer the count, and the coins are never
// credited again. Two coins, two credits, taken off once, the count at 0.
TEST_F(BusFaults, ACountReportedBusyAfterADecreaseIsNoCount) {
  bus_.AddNode(SimJvsNode{});
  bus_.SetCoinReport(0, 1, 4);
  OpenDevice();
  bus_.SetCoins(0, 2, 0);
  for (int i = 0; i < 12; ++i) ASSERT_TRUE(DevicePoll());
  EXPECT_ALL({VAL(credited_, 2), VAL(bus_.Node(0).coins[0], 0), VAL(dev_->GetCoinCount(0, 0), 0)});
  EXPECT_EQ(bus_.Decreases(), (Decreases{{1, 2}}));
}

// Coins credited and not yet taken off the board when the device is closed
// and opened again (the next bring-up resets the nodes): they are not
// credited again, and are taken off once. So whether the close came before
// the decrease reached the bus's records or after.
TEST_F(BusFaults, ACoinCreditedBeforeAReopenIsNotCreditedAgain) {
  bus_.AddNode(SimJvsNode{});
  OpenDevice();
  for (int polls : {1, 2}) {
    SCOPED_TRACE(testing::Message() << polls << " polls after the credit");
    const int before = credited_;
    const Decreases taken = bus_.Decreases();
    bus_.InsertCoins(0, 0, 1);
    ASSERT_TRUE(AdvanceUntil([&] { return DevicePoll() && credited_ > before; }));
    // The decrease goes to the device's registers, then to the bus's records.
    for (int i = 1; i < polls; ++i) {
      ASSERT_TRUE(Settled());
      dev_->Poll();
    }
    ASSERT_EQ(bus_.Decreases(), taken);  // not yet taken off
    dev_->Close();
    ASSERT_EQ(dev_->Open(), 0);
    ASSERT_TRUE(AdvanceUntil([&] {
      dev_->Poll();
      return dev_->Sync() == 1;
    }));
    for (int i = 0; i < 12; ++i) ASSERT_TRUE(DevicePoll());
    EXPECT_EQ(credited_, before + 1);
    EXPECT_EQ(bus_.Decreases().size(), taken.size() + 1);
    EXPECT_EQ(bus_.Node(0).coins[0], 0);
  }
}

}  // namespace
