#include "cabinet/XioDevice.h"

#include <gtest/gtest.h>

#include "cabinet/Dmac.h"
#include "cabinet/SimCabIoBoard.h"
#include "support/fake_cab_io_driver.h"
#include "platform/input_devices.h"
#include "support/ExpectAll.h"

namespace {

// --- register layer -------------------------------------------------------

class DmacTest : public ::testing::Test {
 protected:
  void SetUp() override { drv_.SetUpLinkedBoard(); }
  void TearDown() override { DmacClose(); }
  FakeCabIoDriver drv_;
  ScopedCabIoDriver scope_{&drv_};
};

TEST(DmacHelpers, LinkStatusAndCoinValues) {
  const std::pair<uint32_t, uint32_t> link[] = {{0x00030001, 0x300}, {0x00030000, 0x201}, {0x00000001, 0x102},
                                                {0x00000100, 0x007}};
  for (auto [in, want] : link) EXPECT_EQ(DmacLinkStatus(in), want) << std::hex << in;
  // Saturated at 0x3FFF: bit 14 stays clear.
  const std::pair<uint32_t, int> coin[] = {{5, 5}, {0x4000, 0x3FFF}, {0x7FFFFFFF, 0x3FFF}, {0x80000002, 0x8002},
                                           {0xFFFFFFFF, 0xBFFF}};
  for (auto [in, want] : coin) EXPECT_EQ(DmacCoinValue(in), want) << std::hex << in;
}

TEST_F(DmacTest, OpenReadsIdentityAndBothStatusRegisters) {
  ASSERT_EQ(DmacOpen(), 1);
  EXPECT_EQ(drv_.lastDevice, 1u);
  ASSERT_EQ(drv_.log.size(), 3u);
  const uint32_t reads[] = {0x400, 0x4000, 0x4004};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(drv_.log[i].reg, reads[i]) << i;
  EXPECT_ALL({VAL(DmacGetBoardId(), 0x1234u), VAL(DmacGetStatusRegister(0), 0x00030001u),
              VAL(DmacGetStatusRegister(2), 0xFFFFFFFFu)});
}

TEST_F(DmacTest, StatusIsAcknowledgedOnlyAboveTwo) {
  ASSERT_EQ(DmacOpen(), 1);
  XioUnitRecord rec[2] = {};
  for (uint32_t s : {0x00000001u, 0x00010001u, 0x00020001u}) {
    drv_.regs[0x4000] = s;
    drv_.ClearLog();
    ASSERT_EQ(DmacPollInputs(rec), 1);
    EXPECT_EQ(rec[0].link, 0u) << std::hex << s;  // kept from the open
    for (const auto& w : drv_.Writes()) EXPECT_NE(w.reg, 0x4000u);
  }
  drv_.regs[0x4000] = 0x00030001;
  ASSERT_EQ(DmacPollInputs(rec), 1);
  EXPECT_EQ(rec[0].link, 0x300u);
  EXPECT_EQ(drv_.regs[0x4000], 0u);  // acknowledged
  ASSERT_EQ(DmacPollInputs(rec), 1);
  EXPECT_EQ(rec[0].link, 0x300u);  // kept while the register reads 0
  EXPECT_EQ(rec[1].link, 0u);
}

TEST_F(DmacTest, DecreaseRequestsAreUnsignedAndCapped) {
  ASSERT_EQ(DmacOpen(), 1);
  XioUnitRecord rec[2] = {};
  rec[0].decrease[0] = 3;
  rec[1].decrease[1] = 0x9000;  // would read as negative if sign-extended
  drv_.ClearLog();
  ASSERT_EQ(DmacPollInputs(rec), 1);
  auto writes = drv_.Writes();
  std::map<uint32_t, uint32_t> byReg;
  for (const auto& w : writes) byReg[w.reg] = w.value;
  // Nothing requested for 0x4144, so nothing written; what passes the cap is left for the next poll.
  EXPECT_ALL({VAL(byReg.at(0x4140), 0xFFFFFFFDu), VAL(byReg.count(0x4144), 0u),
              VAL(byReg.at(0x41C4), static_cast<uint32_t>(-0x3FFF)), VAL(rec[0].decrease[0], 0),
              VAL(rec[1].decrease[1], 0x9000 - 0x3FFF)});
}

// One poll's register accesses in their order: unit 0's status (its
// new-status byte is 3: acknowledged with 0), unit 1's, the four inputs of
// unit 0 then of unit 1, the four outputs of each, then counter by counter
// (unit 0 channel 0, channel 1, unit 1 channel 0, channel 1) the decrease
// asked for, if any, before the counter is read.
TEST_F(DmacTest, OnePollsAccessesInOrder) {
  ASSERT_EQ(DmacOpen(), 1);
  XioUnitRecord rec[2] = {};
  for (uint32_t i = 0; i < 4; ++i) {
    rec[0].out[i] = 0x10 + i;
    rec[1].out[i] = 0x20 + i;
  }
  rec[0].decrease[0] = 3;
  rec[1].decrease[1] = 1;
  drv_.ClearLog();
  ASSERT_EQ(DmacPollInputs(rec), 1);
  const FakeCabIoDriver::Access want[] = {
      {false, 0x4000, 0x00030001}, {true, 0x4000, 0},     {false, 0x4004, 0},     {false, 0x4120, 0},
      {false, 0x4124, 0},          {false, 0x4128, 0},    {false, 0x412C, 0},     {false, 0x41A0, 0},
      {false, 0x41A4, 0},          {false, 0x41A8, 0},    {false, 0x41AC, 0},     {true, 0x4100, 0x10},
      {true, 0x4104, 0x11},        {true, 0x4108, 0x12},  {true, 0x410C, 0x13},   {true, 0x4180, 0x20},
      {true, 0x4184, 0x21},        {true, 0x4188, 0x22},  {true, 0x418C, 0x23},   {true, 0x4140, 0xFFFFFFFD},
      {false, 0x4140, 0xFFFFFFFD}, {false, 0x4144, 0},    {false, 0x41C0, 0},     {true, 0x41C4, 0xFFFFFFFF},
      {false, 0x41C4, 0xFFFFFFFF},
  };
  ASSERT_EQ(drv_.log.size(), std::size(want));
  for (size_t i = 0; i < std::size(want); ++i) {
    SCOPED_TRACE(i);
    EXPECT_ALL({VAL(drv_.log[i].write, want[i].write), VAL(drv_.log[i].reg, want[i].reg),
                VAL(drv_.log[i].value, want[i].value)});
  }
}

TEST_F(DmacTest, HalfFailedPollKeepsOldValuesAndFails) {
  ASSERT_EQ(DmacOpen(), 1);
  XioUnitRecord rec[2] = {};
  rec[0].in[1] = 0xAAAA;
  drv_.regs[0x4120] = 0x11;
  drv_.regs[0x4124] = 0x22;
  drv_.failRead.insert(0x4124);
  // The link and the first input are new, the second input keeps its old value.
  EXPECT_ALL({VAL(DmacPollInputs(rec), 0), VAL(rec[0].link, 0x300u), VAL(rec[0].in[0], 0x11u),
              VAL(rec[0].in[1], 0xAAAAu)});
  DmacClose();
  EXPECT_EQ(DmacPollInputs(rec), 0);  // closed
}

TEST_F(DmacTest, FailedCloseStaysOpen) {
  ASSERT_EQ(DmacOpen(), 1);
  drv_.failClose = true;
  EXPECT_EQ(DmacClose(), 0);
  XioUnitRecord rec[2] = {};
  EXPECT_EQ(DmacPollInputs(rec), 1);
  drv_.failClose = false;
  EXPECT_EQ(DmacClose(), 1);
}

// --- device ---------------------------------------------------------------

class XioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    drv_.SetUpLinkedBoard();
    dev_ = CreateXioDevice("COM2", 1);
    ASSERT_NE(dev_, nullptr);
  }
  void TearDown() override {
    if (GetXioDevice()) GetXioDevice()->Release();
  }
  FakeCabIoDriver drv_;
  ScopedCabIoDriver scope_{&drv_};
  XioDevice* dev_ = nullptr;
};

TEST_F(XioTest, SyncTransitions) {
  EXPECT_EQ(dev_->Sync(), -1);  // not open
  ASSERT_EQ(dev_->Open(), 0);
  EXPECT_EQ(dev_->Sync(), 0);  // not polled
  ASSERT_EQ(dev_->Poll(), 0);
  drv_.regs[0x4100] = 0x55;
  EXPECT_EQ(dev_->Sync(), 0);  // first complete poll: outputs cleared once
  EXPECT_EQ(drv_.regs[0x4100], 0u);
  ASSERT_EQ(dev_->Poll(), 0);
  EXPECT_EQ(dev_->Sync(), 1);
  EXPECT_EQ(dev_->GetUnitCount(), 1);
  uint32_t info[5] = {};
  // Players, switches per player, coin channels, then two zero words.
  EXPECT_ALL({VAL(dev_->GetUnitInfo(0, info), 0), VAL(info[0], 2u), VAL(info[1], 16u), VAL(info[2], 2u),
              VAL(info[3], 0u), VAL(info[4], 0u), VAL(dev_->GetUnitInfo(1, info), 2)});

  drv_.regs[0x4000] = 0x00030000;  // the link dropped
  ASSERT_EQ(dev_->Poll(), 0);
  EXPECT_ALL({VAL(dev_->Sync(), -1), VAL(dev_->GetUnitInfo(0, info), 3), VAL(dev_->GetSwitchWord(0), 0u)});
}

TEST_F(XioTest, CoinCountsStatusAndHandBack) {
  ASSERT_EQ(dev_->Open(), 0);
  // Counts use all 14 low bits: 0x2ABC as it is, 0x5000 saturated at 0x3FFF.
  for (auto [reg, count] : {std::pair{0x2ABCu, 0x2ABC}, {0x5000u, 0x3FFF}}) {
    drv_.regs[0x4140] = reg;
    ASSERT_EQ(dev_->Poll(), 0);
    EXPECT_EQ(dev_->GetCoinCount(0, 0), count) << std::hex << reg;
  }
  drv_.regs[0x4140] = 7;
  drv_.regs[0x4144] = 0x80000003;  // fault bit
  ASSERT_EQ(dev_->Poll(), 0);
  for (auto [slot, count] : {std::pair{0, 7}, {1, -1}, {2, 0}}) EXPECT_EQ(dev_->GetCoinCount(0, slot), count) << slot;
  EXPECT_EQ(dev_->GetCoinCount(2, 0), -1);
  // Slot 1 has its fault bit; slots outside 0..3 are refused.
  for (auto [slot, st] : {std::pair{0, 0}, {1, 2}, {3, 0}, {4, 4}, {-1, 4}}) EXPECT_EQ(dev_->GetCoinStatus(0, slot), st) << slot;
  EXPECT_ALL({VAL(dev_->CheckCoinSlot(0, 0), 0), VAL(dev_->CheckCoinSlot(0, 4), 1),
              VAL(dev_->CheckCoinSlot(2, 0), 2), VAL(dev_->AddCoins(2, 0, 1), 2), VAL(dev_->AddCoins(0, 9, 1), 1),
              VAL(dev_->AddCoins(0, 0, 1), 0), VAL(dev_->AddCoins(0, 0, 1), 0)});
  drv_.ClearLog();
  ASSERT_EQ(dev_->Poll(), 0);
  auto w = drv_.Writes();
  auto it = std::find_if(w.begin(), w.end(), [](const auto& a) { return a.reg == 0x4140; });
  ASSERT_NE(it, w.end());
  EXPECT_EQ(it->value, 0xFFFFFFFEu);  // -2
  EXPECT_EQ(dev_->Request(0).decrease[0], 0);
  // A request is held at 0xFFFF: wrapping to 0x0010 would leave coins on the
  // board that were already taken as credits.
  EXPECT_ALL({VAL(dev_->AddCoins(0, 1, 0xFFF0), 0), VAL(dev_->AddCoins(0, 1, 0x20), 0)});
  EXPECT_EQ(dev_->Request(0).decrease[1], 0xFFFF);
}

TEST_F(XioTest, FailedPollKeepsUnwrittenCoinRequests) {
  ASSERT_EQ(dev_->Open(), 0);
  ASSERT_EQ(dev_->Poll(), 0);
  dev_->AddCoins(0, 0, 2);
  dev_->AddCoins(1, 1, 4);
  drv_.failWrite.insert(0x4140);
  EXPECT_ALL({VAL(dev_->Poll(), 6), VAL(dev_->Request(0).decrease[0], 2), VAL(dev_->Request(1).decrease[1], 4)});
  drv_.failWrite.clear();
  dev_->AddCoins(0, 0, 1);
  drv_.ClearLog();
  ASSERT_EQ(dev_->Poll(), 0);
  std::map<uint32_t, uint32_t> byReg;
  for (const auto& a : drv_.Writes()) byReg[a.reg] = a.value;
  EXPECT_ALL({VAL(byReg.at(0x4140), static_cast<uint32_t>(-3)), VAL(byReg.at(0x41C4), static_cast<uint32_t>(-4)),
              VAL(dev_->Request(0).decrease[0], 0), VAL(dev_->Request(1).decrease[1], 0)});
}

// What a poll writes besides the first sync's zeros: the output word set for
// a unit, from the next poll on and on every poll after it; coin channels 2
// and 3 take a decrease and write nothing; a third unit is refused.
TEST_F(XioTest, WhatEachPollWrites) {
  ASSERT_EQ(dev_->Open(), 0);
  ASSERT_EQ(dev_->Poll(), 0);
  ASSERT_EQ(dev_->Sync(), 0);  // the first sync writes its zeros
  EXPECT_ALL({VAL(dev_->SetOutputWord(0, 0x12345678), 0), VAL(dev_->SetOutputWord(1, 0xABCD), 0),
              VAL(dev_->SetOutputWord(2, 0x55), 2), VAL(dev_->DecreaseCoin(0, 2, 5), 0),
              VAL(dev_->DecreaseCoin(1, 3, 7), 0)});
  for (int poll = 0; poll < 2; ++poll) {
    SCOPED_TRACE(poll);
    drv_.ClearLog();
    ASSERT_EQ(dev_->Poll(), 0);
    std::map<uint32_t, uint32_t> byReg;
    for (const auto& a : drv_.Writes()) byReg[a.reg] = a.value;
    const std::pair<uint32_t, uint32_t> outputs[] = {{0x4100, 0x12345678}, {0x4104, 0}, {0x4180, 0xABCD},
                                                     {0x418C, 0}};
    for (auto [reg, want] : outputs) EXPECT_EQ(byReg.at(reg), want) << std::hex << reg;
    for (uint32_t counter : {0x4140u, 0x4144u, 0x41C0u, 0x41C4u}) EXPECT_EQ(byReg.count(counter), 0u) << std::hex << counter;
    EXPECT_EQ(dev_->Sync(), 1);
  }
}

// A poll that fails anywhere leaves the results of the last good poll: the
// switch words, the switch block, the coin count and the linked units.
TEST_F(XioTest, FailedPollKeepsTheLastResults) {
  drv_.regs[0x4120] = (1u << 8) | (1u << 6);  // player 1 up, test switch
  drv_.regs[0x4140] = 7;
  ASSERT_EQ(dev_->Open(), 0);
  ASSERT_EQ(dev_->Poll(), 0);
  struct Case {
    const char* what;
    uint32_t reg;
    bool write;
  } cases[] = {{"unit 0 status", 0x4000, false},
               {"unit 1 input word 0", 0x41A0, false},
               {"unit 0 output word 0", 0x4100, true},
               {"unit 1 counter 1", 0x41C4, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    drv_.regs[0x4000] = 0x00030000;  // unit 0 unlinked from now on
    drv_.regs[0x4004] = 0x00030001;  // unit 1 linked
    drv_.regs[0x4120] = 1u << 10;    // player 1 down
    drv_.regs[0x4140] = 9;
    (c.write ? drv_.failWrite : drv_.failRead).insert(c.reg);
    EXPECT_EQ(dev_->Poll(), 6);
    drv_.failWrite.clear();
    drv_.failRead.clear();
    uint8_t block[16] = {};
    ASSERT_EQ(dev_->GetSwitchBlock(0, block), 0);
    EXPECT_ALL({VAL(dev_->GetSwitchWord(0), 0x2000u), VAL(block[0], 0x80), VAL(dev_->GetCoinCount(0, 0), 7),
                VAL(dev_->GetUnitCount(), 1)});
    drv_.regs[0x4000] = 0x00030001;  // as before the case
    drv_.regs[0x4004] = 0x00030000;
    drv_.regs[0x4120] = (1u << 8) | (1u << 6);
    drv_.regs[0x4140] = 7;
    ASSERT_EQ(dev_->Poll(), 0);
    ASSERT_EQ(dev_->GetUnitCount(), 1);
  }
}

TEST_F(XioTest, FailedPollAfterAWriteDoesNotRepeatIt) {
  ASSERT_EQ(dev_->Open(), 0);
  dev_->AddCoins(0, 0, 2);
  drv_.failRead.insert(0x4140);  // the write lands, the read-back fails
  EXPECT_EQ(dev_->Poll(), 6);
  EXPECT_EQ(dev_->Request(0).decrease[0], 0);
}

// Two words per linked unit from index 0 on each poll; an unlinked unit's
// words keep their last values and take no place.
TEST_F(XioTest, SwitchWordsOfTheLinkedUnits) {
  drv_.regs[0x4004] = 0x00030001;  // unit 1 linked too
  drv_.regs[0x4120] = 1u << 8;     // unit 0 player 1 up
  drv_.regs[0x41A0] = 1u << 5;     // unit 1 player 2 start
  ASSERT_EQ(dev_->Open(), 0);
  for (int i = 0; i < 10; ++i) ASSERT_EQ(dev_->Poll(), 0);
  EXPECT_EQ(dev_->GetUnitCount(), 2);
  const uint32_t words[] = {0x2000, 0, 0, 0x8000, 0};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(dev_->GetSwitchWord(i), words[i]) << i;
  drv_.regs[0x4004] = 0x00030000;  // unit 1 drops out
  drv_.regs[0x41A0] = 0;
  ASSERT_EQ(dev_->Poll(), 0);
  EXPECT_ALL({VAL(dev_->GetUnitCount(), 1), VAL(dev_->GetSwitchWord(0), 0x2000u), VAL(dev_->GetSwitchWord(3), 0x8000u)});
  drv_.regs[0x4000] = 0x00030000;  // unit 0 drops out, unit 1 comes back
  drv_.regs[0x4004] = 0x00030001;
  drv_.regs[0x41A0] = 1u << 10;  // unit 1 player 1 down
  ASSERT_EQ(dev_->Poll(), 0);
  EXPECT_ALL({VAL(dev_->GetUnitCount(), 0), VAL(dev_->GetSwitchWord(0), 0x1000u), VAL(dev_->GetSwitchWord(1), 0u),
              VAL(dev_->GetSwitchWord(2), 0u), VAL(dev_->GetSwitchWord(3), 0x8000u)});
  uint8_t block[16];
  std::fill(block, block + 16, 0xEE);
  EXPECT_EQ(dev_->GetPlayerBlock(2, block), 2);
  EXPECT_EQ(block[0], 0xEE);
}

TEST(XioLayout, SwitchBlockFromInputWord) {
  uint8_t b[16];
  XioFillSwitchBlock(1u << 6, b);
  EXPECT_EQ(b[0], 0x80);  // test switch
  XioFillSwitchBlock(1u << 7, b);
  EXPECT_EQ(b[0], 0x40);
  XioFillSwitchBlock((1u << 4) | (1u << 18) | (1u << 20) | (1u << 30), b);
  EXPECT_EQ(b[1], 0x81);  // start, button 2
  EXPECT_EQ(b[2], 0x84);  // buttons 3 and 8
  XioFillSwitchBlock((1u << 3) | (1u << 31), b);
  EXPECT_EQ(b[3], 0x40);
  EXPECT_EQ(b[4], 0x04);
  for (int i = 5; i < 16; ++i) EXPECT_EQ(b[i], 0);
}

TEST_F(XioTest, AccessoryIndicesAreChecked) {
  ASSERT_EQ(dev_->Open(), 0);
  uint32_t out[4] = {};
  const uint8_t id[8] = {};
  const int refused[] = {dev_->StartAccessoryRead(2, 100), dev_->StartAccessoryFetch(5, id, 100),
                         dev_->StartAccessoryReadAll(2, 100), dev_->GetAccessoryIdent(2, out),
                         dev_->GetAccessoryData(2, out), dev_->RequestAccessoryAbort(2), dev_->CancelAccessory(2)};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(refused[i], 2) << i;
  EXPECT_EQ(dev_->GetAccessoryState(2), -1);
  EXPECT_EQ(dev_->GetAccessoryResult(2), -1);
  // No JVS bus: the read ends at once with "no link".
  EXPECT_ALL({VAL(dev_->StartAccessoryRead(0, 100), 0), VAL(dev_->GetAccessoryState(0), 0),
              VAL(dev_->GetAccessoryResult(0), 1), VAL(dev_->CancelAccessory(0), 4)});
}

TEST_F(XioTest, OpenFailuresAndSingleton) {
  EXPECT_EQ(GetXioDevice(), dev_);
  drv_.failOpen = true;
  EXPECT_EQ(dev_->Open(), 6);
  EXPECT_FALSE(dev_->IsOpened());
  drv_.failOpen = false;
  // The driver opened but the board's identity could not be read: the
  // driver is closed again, as nothing else could close it.
  drv_.failRead.insert(0x400);
  EXPECT_EQ(dev_->Open(), 6);
  EXPECT_FALSE(drv_.open);
  drv_.failRead.clear();
  XioDevice* jvs = CreateXioDevice("COM2", 0);  // JVS master wanted: none here
  EXPECT_EQ(GetXioDevice(), jvs);
  EXPECT_EQ(jvs->Open(), 6);
  EXPECT_FALSE(drv_.open);  // the driver was closed again
  EXPECT_EQ(jvs->Release(), 1);  // the close's result: closed without the JVS master
  EXPECT_EQ(GetXioDevice(), nullptr);
  delete dev_;  // no longer the singleton
  dev_ = nullptr;
}


TEST_F(XioTest, BoardSettingNeedsTheJvsMaster) {
  ASSERT_EQ(dev_->Open(), 0);
  // A second close is safe.
  EXPECT_ALL({VAL(dev_->SendJvsValue(18000), 0), VAL(dev_->Close(), 1), VAL(dev_->Close(), 1)});
}

// --- simulated board --------------------------------------------------------

class SimBoardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SetHostInputEnabled(false);
    plat::ClearInjectedCabInputs();
    SimCabIoBoard::Instance().Reset();
    dev_ = CreateXioDevice("COM2", 1);
    ASSERT_EQ(dev_->Open(), 0);
    Frame();
  }
  void TearDown() override {
    dev_->Release();
    plat::ClearInjectedCabInputs();
    plat::SetHostInputEnabled(true);
  }
  int Frame() {
    dev_->Poll();
    return dev_->Sync();
  }
  XioDevice* dev_ = nullptr;
};

TEST_F(SimBoardTest, ControlsReachTheSwitchWord) {
  using plat::CabInput;
  EXPECT_EQ(Frame(), 1);
  EXPECT_EQ(dev_->GetWord(0), 0u);
  const std::pair<CabInput, uint32_t> map[] = {
      {CabInput::kStart, 0x8000},  {CabInput::kService, 0x4000}, {CabInput::kUp, 0x2000},
      {CabInput::kDown, 0x1000},   {CabInput::kLeft, 0x0800},    {CabInput::kRight, 0x0400},
      {CabInput::kButton1, 0x0200}, {CabInput::kButton2, 0x0100},
  };
  for (const auto& [in, bit] : map) {
    plat::InjectCabInput(in, true);
    EXPECT_EQ(Frame(), 1);
    EXPECT_EQ(dev_->GetWord(0), bit);
    plat::InjectCabInput(in, false);
  }
  plat::InjectCabInput(CabInput::kTest, true);
  Frame();
  uint8_t block[16];
  ASSERT_EQ(dev_->GetPlayerBlock(0, block), 0);
  EXPECT_EQ(block[0] & 0x80, 0x80);
  EXPECT_EQ(dev_->GetWord(0), 0u);
}

// Taking off more coins than the simulated board holds leaves 0: the count
// never goes negative, which would read as the counter's fault bit.
TEST_F(SimBoardTest, TakingMoreCoinsThanHeldLeavesNone) {
  SimCabIoBoard::Instance().AddCoins(0, 0, 3);
  ASSERT_EQ(dev_->DecreaseCoin(0, 0, 5), 0);
  Frame();  // the poll writes -5, then reads the counter back
  EXPECT_ALL({VAL(SimCabIoBoard::Instance().CoinCount(0, 0), 0), VAL(dev_->GetCoinCount(0, 0), 0),
              VAL(dev_->GetCoinStatus(0, 0), 0)});
}

}  // namespace
