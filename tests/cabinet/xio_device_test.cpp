#include "cabinet/XioDevice.h"

#include <gtest/gtest.h>

#include "cabinet/Dmac.h"
#include "cabinet/SimCabIoBoard.h"
#include "support/fake_cab_io_driver.h"
#include "platform/input_devices.h"

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
  EXPECT_EQ(DmacLinkStatus(0x00030001), 0x300u);
  EXPECT_EQ(DmacLinkStatus(0x00030000), 0x201u);
  EXPECT_EQ(DmacLinkStatus(0x00000001), 0x102u);
  EXPECT_EQ(DmacLinkStatus(0x00000100), 0x007u);
  EXPECT_EQ(DmacCoinValue(5), 5);
  EXPECT_EQ(DmacCoinValue(0x4000), 0x3FFF);  // saturated, bit 14 stays clear
  EXPECT_EQ(DmacCoinValue(0x7FFFFFFF), 0x3FFF);
  EXPECT_EQ(DmacCoinValue(0x80000002), 0x8002);
  EXPECT_EQ(DmacCoinValue(0xFFFFFFFF), 0xBFFF);
}

TEST_F(DmacTest, OpenReadsIdentityAndBothStatusRegisters) {
  ASSERT_EQ(DmacOpen(), 1);
  EXPECT_EQ(drv_.lastDevice, 1u);
  ASSERT_EQ(drv_.log.size(), 3u);
  EXPECT_EQ(drv_.log[0].reg, 0x400u);
  EXPECT_EQ(drv_.log[1].reg, 0x4000u);
  EXPECT_EQ(drv_.log[2].reg, 0x4004u);
  EXPECT_EQ(DmacGetBoardId(), 0x1234u);
  EXPECT_EQ(DmacGetStatusRegister(0), 0x00030001u);
  EXPECT_EQ(DmacGetStatusRegister(2), 0xFFFFFFFFu);
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
  EXPECT_EQ(byReg.at(0x4140), 0xFFFFFFFDu);
  EXPECT_EQ(byReg.count(0x4144), 0u);  // nothing requested, nothing written
  EXPECT_EQ(byReg.at(0x41C4), static_cast<uint32_t>(-0x3FFF));
  EXPECT_EQ(rec[0].decrease[0], 0);
  EXPECT_EQ(rec[1].decrease[1], 0x9000 - 0x3FFF);  // left for the next poll
}

TEST_F(DmacTest, HalfFailedPollKeepsOldValuesAndFails) {
  ASSERT_EQ(DmacOpen(), 1);
  XioUnitRecord rec[2] = {};
  rec[0].in[1] = 0xAAAA;
  drv_.regs[0x4120] = 0x11;
  drv_.regs[0x4124] = 0x22;
  drv_.failRead.insert(0x4124);
  EXPECT_EQ(DmacPollInputs(rec), 0);
  EXPECT_EQ(rec[0].link, 0x300u);  // new
  EXPECT_EQ(rec[0].in[0], 0x11u);  // new
  EXPECT_EQ(rec[0].in[1], 0xAAAAu);  // old
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
  EXPECT_EQ(dev_->GetUnitInfo(0, info), 0);
  EXPECT_EQ(info[0], 2u);
  EXPECT_EQ(info[1], 16u);
  EXPECT_EQ(dev_->GetUnitInfo(1, info), 2);

  drv_.regs[0x4000] = 0x00030000;  // the link dropped
  ASSERT_EQ(dev_->Poll(), 0);
  EXPECT_EQ(dev_->Sync(), -1);
  EXPECT_EQ(dev_->GetUnitInfo(0, info), 3);
  EXPECT_EQ(dev_->GetSwitchWord(0), 0u);
}

TEST_F(XioTest, CoinCountsStatusAndHandBack) {
  ASSERT_EQ(dev_->Open(), 0);
  drv_.regs[0x4140] = 7;
  drv_.regs[0x4144] = 0x80000003;  // fault bit
  ASSERT_EQ(dev_->Poll(), 0);
  EXPECT_EQ(dev_->GetCoinCount(0, 0), 7);
  EXPECT_EQ(dev_->GetCoinStatus(0, 0), 0);
  EXPECT_EQ(dev_->GetCoinCount(0, 1), -1);
  EXPECT_EQ(dev_->GetCoinStatus(0, 1), 2);
  EXPECT_EQ(dev_->GetCoinCount(0, 2), 0);
  EXPECT_EQ(dev_->GetCoinStatus(0, 3), 0);
  EXPECT_EQ(dev_->GetCoinCount(2, 0), -1);
  EXPECT_EQ(dev_->GetCoinStatus(0, 4), 4);
  EXPECT_EQ(dev_->GetCoinStatus(0, -1), 4);
  EXPECT_EQ(dev_->CheckCoinSlot(0, 0), 0);
  EXPECT_EQ(dev_->CheckCoinSlot(0, 4), 1);
  EXPECT_EQ(dev_->CheckCoinSlot(2, 0), 2);
  EXPECT_EQ(dev_->AddCoins(2, 0, 1), 2);
  EXPECT_EQ(dev_->AddCoins(0, 9, 1), 1);

  EXPECT_EQ(dev_->AddCoins(0, 0, 1), 0);
  EXPECT_EQ(dev_->AddCoins(0, 0, 1), 0);
  drv_.ClearLog();
  ASSERT_EQ(dev_->Poll(), 0);
  auto w = drv_.Writes();
  auto it = std::find_if(w.begin(), w.end(), [](const auto& a) { return a.reg == 0x4140; });
  ASSERT_NE(it, w.end());
  EXPECT_EQ(it->value, 0xFFFFFFFEu);  // -2
  EXPECT_EQ(dev_->Request(0).decrease[0], 0);
}

TEST_F(XioTest, FailedPollKeepsUnwrittenCoinRequests) {
  ASSERT_EQ(dev_->Open(), 0);
  ASSERT_EQ(dev_->Poll(), 0);
  dev_->AddCoins(0, 0, 2);
  dev_->AddCoins(1, 1, 4);
  drv_.failWrite.insert(0x4140);
  EXPECT_EQ(dev_->Poll(), 6);
  EXPECT_EQ(dev_->Request(0).decrease[0], 2);
  EXPECT_EQ(dev_->Request(1).decrease[1], 4);
  drv_.failWrite.clear();
  dev_->AddCoins(0, 0, 1);
  drv_.ClearLog();
  ASSERT_EQ(dev_->Poll(), 0);
  std::map<uint32_t, uint32_t> byReg;
  for (const auto& a : drv_.Writes()) byReg[a.reg] = a.value;
  EXPECT_EQ(byReg.at(0x4140), static_cast<uint32_t>(-3));
  EXPECT_EQ(byReg.at(0x41C4), static_cast<uint32_t>(-4));
  EXPECT_EQ(dev_->Request(0).decrease[0], 0);
  EXPECT_EQ(dev_->Request(1).decrease[1], 0);
}

TEST_F(XioTest, FailedPollAfterAWriteDoesNotRepeatIt) {
  ASSERT_EQ(dev_->Open(), 0);
  dev_->AddCoins(0, 0, 2);
  drv_.failRead.insert(0x4140);  // the write lands, the read-back fails
  EXPECT_EQ(dev_->Poll(), 6);
  EXPECT_EQ(dev_->Request(0).decrease[0], 0);
}

TEST_F(XioTest, SwitchWordsRestartEveryPoll) {
  drv_.regs[0x4004] = 0x00030001;  // unit 1 linked too
  drv_.regs[0x4120] = 1u << 8;     // unit 0 player 1 up
  drv_.regs[0x41A0] = 1u << 5;     // unit 1 player 2 start
  ASSERT_EQ(dev_->Open(), 0);
  for (int i = 0; i < 10; ++i) ASSERT_EQ(dev_->Poll(), 0);
  EXPECT_EQ(dev_->GetUnitCount(), 2);
  EXPECT_EQ(dev_->GetSwitchWord(0), 0x2000u);
  EXPECT_EQ(dev_->GetSwitchWord(1), 0u);
  EXPECT_EQ(dev_->GetSwitchWord(2), 0u);
  EXPECT_EQ(dev_->GetSwitchWord(3), 0x8000u);
  EXPECT_EQ(dev_->GetSwitchWord(4), 0u);
  drv_.regs[0x4004] = 0x00030000;  // unit 1 drops out
  ASSERT_EQ(dev_->Poll(), 0);
  EXPECT_EQ(dev_->GetUnitCount(), 1);
  EXPECT_EQ(dev_->GetSwitchWord(0), 0x2000u);
  EXPECT_EQ(dev_->GetSwitchWord(3), 0u);
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
  EXPECT_EQ(dev_->StartAccessoryRead(2, 100), 2);
  EXPECT_EQ(dev_->StartAccessoryFetch(5, id, 100), 2);
  EXPECT_EQ(dev_->StartAccessoryReadAll(2, 100), 2);
  EXPECT_EQ(dev_->GetAccessoryIdent(2, out), 2);
  EXPECT_EQ(dev_->GetAccessoryData(2, out), 2);
  EXPECT_EQ(dev_->RequestAccessoryAbort(2), 2);
  EXPECT_EQ(dev_->CancelAccessory(2), 2);
  EXPECT_EQ(dev_->GetAccessoryState(2), -1);
  EXPECT_EQ(dev_->GetAccessoryResult(2), -1);
  // No JVS bus: the read ends at once with "no link".
  EXPECT_EQ(dev_->StartAccessoryRead(0, 100), 0);
  EXPECT_EQ(dev_->GetAccessoryState(0), 0);
  EXPECT_EQ(dev_->GetAccessoryResult(0), 1);
  EXPECT_EQ(dev_->CancelAccessory(0), 4);
}

TEST_F(XioTest, OpenFailuresAndSingleton) {
  EXPECT_EQ(GetXioDevice(), dev_);
  drv_.failOpen = true;
  EXPECT_EQ(dev_->Open(), 6);
  EXPECT_FALSE(dev_->IsOpened());
  drv_.failOpen = false;
  XioDevice* jvs = CreateXioDevice("COM2", 0);  // JVS master wanted: none here
  EXPECT_EQ(GetXioDevice(), jvs);
  EXPECT_EQ(jvs->Open(), 6);
  EXPECT_FALSE(drv_.open);  // the driver was closed again
  EXPECT_EQ(jvs->Release(), 0);
  EXPECT_EQ(GetXioDevice(), nullptr);
  delete dev_;  // no longer the singleton
  dev_ = nullptr;
}

TEST_F(XioTest, BoardSettingNeedsTheJvsMaster) {
  ASSERT_EQ(dev_->Open(), 0);
  EXPECT_EQ(dev_->SendJvsValue(18000), 0);
  EXPECT_EQ(dev_->Close(), 1);
  EXPECT_EQ(dev_->Close(), 1);  // safe when closed
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

}  // namespace
