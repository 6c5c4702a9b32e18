// The bus master, the frame layer and the serial port against simulated
// nodes behind a real pseudo-terminal.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "cabinet/Accessory.h"
#include "cabinet/JvsFrame.h"
#include "cabinet/JvsMaster.h"
#include "cabinet/XioDevice.h"
#include "support/ExpectAll.h"
#include "support/FakeClock.h"
#include "support/SimJvsBus.h"

using testsupport::FakeClock;
using testsupport::SimJvsBus;
using testsupport::SimJvsNode;

namespace {

// Waits (in real time, bounded) until pred holds.
template <class Pred>
bool Eventually(Pred pred, int ms = 3000) {
  for (int i = 0; i < ms; ++i) {
    if (pred()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return pred();
}

bool WaitState(int32_t want) {
  return Eventually([&] { return JvsGetState() == want; });
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
  }
  void TearDown() override {
    JvsClose();
    JvsSetPortLines(nullptr);
    JvsSetClock(nullptr);
  }
  // Opens the standard master and waits for the end of the bring-up.
  void BringUp() {
    ASSERT_EQ(JvsOpenStd(bus_.PortPath().c_str()), 1);
    ASSERT_TRUE(WaitState(1)) << "state " << JvsGetState();
    ASSERT_EQ(JvsUpdateNodeTable(), 1);
  }
  // One standard poll cycle.
  void Cycle() {
    ASSERT_EQ(JvsGetState(), 1);
    ASSERT_EQ(JvsQueuePoll(), 1);  // the request makes the state 2 at once
    ASSERT_TRUE(WaitState(1));
  }

  SimJvsBus bus_;
  FakeClock clock_;
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

TEST_F(BusTest, DamagedRepliesAreAskedForAgain) {
  bus_.AddNode(SimJvsNode{});
  BringUp();
  const uint32_t errors = JvsGetErrorCount();
  bus_.CorruptReplies(2);
  bus_.SetSwitches(0, 0, 0x8000, 0);
  Cycle();
  EXPECT_EQ(bus_.RetransmitRequests(), 2);
  EXPECT_EQ(JvsGetErrorCount() - errors, 2u);
  EXPECT_EQ(JvsGetNodeRecord(1)->switches[0], 0x80);

  // The board (node 0, first in the cycle) saw a damaged request: the master
  // sends it again as it was.
  const int board = bus_.Cycles(0), node = bus_.Cycles(1);
  bus_.SumErrorReplies(1);
  Cycle();
  EXPECT_ALL({VAL(bus_.Cycles(0) - board, 2), VAL(bus_.Cycles(1) - node, 1)});
  EXPECT_EQ(JvsGetState(), 1);
}

TEST_F(BusTest, SilentNodeEndsInAnErrorNotAHang) {
  bus_.AddNode(SimJvsNode{});
  BringUp();
  bus_.SetSilent(true);
  const auto t0 = std::chrono::steady_clock::now();
  JvsQueuePoll();
  EXPECT_TRUE(WaitState(-3));
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));
  EXPECT_EQ(JvsRequest(), 0);
  EXPECT_EQ(JvsClose(), 1);  // ends the halted thread
  EXPECT_EQ(JvsGetState(), -1);
}

TEST_F(BusTest, ThirtyOneNodesAreTooMany) {
  for (int i = 0; i < 31; ++i) bus_.AddNode(SimJvsNode{});
  ASSERT_EQ(JvsOpenStd(bus_.PortPath().c_str()), 1);
  EXPECT_TRUE(WaitState(-2));
}

TEST_F(BusTest, NoNodesMeansNoBus) {
  ASSERT_EQ(JvsOpenStd(bus_.PortPath().c_str()), 1);
  EXPECT_TRUE(WaitState(-3));  // SENSE never went low after the resets
  // The simulated node reads the last reset from the line on its own thread.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (bus_.Resets() < kJvsResetTries && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(bus_.Resets(), kJvsResetTries);
}

TEST_F(BusTest, BoardSettingSequence) {
  bus_.AddNode(SimJvsNode{});
  BringUp();
  EXPECT_EQ(JvsSendNodeSetting(18000), 1);
  EXPECT_ALL({VAL(bus_.BoardSetting(), 18000), VAL(bus_.BoardApplies(), 1)});
  bus_.SetSilent(true);
  EXPECT_EQ(JvsSendNodeSetting(18000), 0);  // the bus failed under it
}

// ---------------------------------------------------------------------------
// The I/O device in its bus mode.

class DeviceBusTest : public BusTest {
 protected:
  void TearDown() override {
    if (dev_) dev_->Release();
    BusTest::TearDown();
  }
  // Polls like the controller manager until Sync reports ready.
  bool PollUntilReady() {
    return Eventually([&] {
             dev_->Poll();
             return dev_->Sync() == 1;
           }) &&
           WaitState(1);
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
  dev_->Poll();
  uint8_t block[16];
  dev_->GetSwitchBlock(0, block);
  EXPECT_ALL({VAL(dev_->GetUnitCount(), 2), VAL(dev_->GetSwitchWord(0), 0xA200u),
              VAL(dev_->GetSwitchWord(1), 0x0100u), VAL(dev_->GetSwitchWord(2), 0x1000u),
              VAL(int(block[0]), 0x80), VAL(dev_->GetCoinCount(0, 0), 5), VAL(dev_->GetBoardStatus(), 0x5A)});
  dev_->DecreaseCoin(0, 0, 3);
  EXPECT_TRUE(Eventually([&] {
    dev_->Poll();
    return dev_->GetCoinCount(0, 0) == 2;
  }));
  EXPECT_EQ(bus_.Decreases(), (std::vector<std::pair<int, int>>{{1, 3}}));
}

TEST_F(DeviceBusTest, BusFaultIsAnIoError) {
  bus_.AddNode(SimJvsNode{});
  dev_ = CreateXioDevice(bus_.PortPath().c_str(), 0);
  ASSERT_EQ(dev_->Open(), 0);
  ASSERT_TRUE(PollUntilReady());
  bus_.SetSilent(true);
  EXPECT_TRUE(Eventually([&] {
    dev_->Poll();
    return dev_->Sync() == -1;
  }));
  EXPECT_EQ(dev_->Poll(), 6);
  EXPECT_EQ(dev_->GetAccessoryResult(0), 1);
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

}  // namespace
