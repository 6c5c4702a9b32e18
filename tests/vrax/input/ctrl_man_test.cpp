#include "vrax/input/SCtrlMan.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "cabinet/SimCabIoBoard.h"
#include "cabinet/XioDevice.h"
#include "platform/input_devices.h"
#include "support/fake_cab_io_driver.h"
#include "vrax/input/SPad.h"
#include "vrax/kernel/SKernel.h"

namespace {

using plat::CabInput;

// A started kernel with the controller manager on the simulated board and a
// game pad on ports 0 and 4 with the identity key map.
struct CtrlFixture : ::testing::Test {
  SKernel kernel;
  SCtrlMan* man = nullptr;
  SPad pad;

  void SetUp() override {
    plat::SetHostInputEnabled(false);
    plat::ClearInjectedCabInputs();
    SimCabIoBoard::Instance().Reset();
    ASSERT_EQ(kernel.Start(), 0);
    man = new SCtrlMan;
    man->SetStatic(false);
    ASSERT_EQ(kernel.AddChild(0, man, 0), 0);
    pad.SetKeyMap(kPadIdentityKeyMap, 32);
    pad.Register(0);
    pad.Register(4);
    kernel.Step();  // everything added becomes running
  }
  void TearDown() override {
    kernel.Kill(0);
    kernel.Dispose();
    plat::ClearInjectedCabInputs();
    plat::SetHostInputEnabled(true);
  }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) kernel.Step();
  }
};

TEST_F(CtrlFixture, BoardInputsReachThePadAndEngineBits) {
  EXPECT_EQ(man->GetName(), "VRAX Controller Manager");
  EXPECT_EQ(man->GetListIndex(), 1);  // moved there by its own Init
  ASSERT_TRUE(man->GetBoard() != nullptr && man->GetBoard()->IsOpened());
  Frames(2);  // first poll, then the first synchronised frame
  EXPECT_EQ(man->BoardStatus(), 1);
  EXPECT_EQ(man->GetBoard()->BoardSettingRequests(), 1u);  // once, on the 0 -> 1 change
  plat::InjectCabInput(CabInput::kUp, true);
  plat::InjectCabInput(CabInput::kStart, true);
  Frames(1);
  EXPECT_EQ(EngineInputBits, (1u << 31) | (1u << 30));
  for (int n : {SPad::PAD_UP, SPad::PAD_START}) EXPECT_EQ(pad.GetCounter(n), 0) << n;
  EXPECT_EQ(man->GetPort(4).values[15], 1);
  plat::InjectCabInput(CabInput::kStart, false);
  plat::InjectCabInput(CabInput::kButton1, true);
  plat::InjectCabInput(CabInput::kService, true);
  Frames(2);
  const std::pair<int, int> counters[] = {{SPad::PAD_UP, 2}, {SPad::PAD_START, -2}, {SPad::PAD_BUTTON1, 1},
                                          {SPad::PAD_SERVICE, 1}};
  for (auto [n, v] : counters) EXPECT_EQ(pad.GetCounter(n), v) << n;
  EXPECT_EQ(man->GetBoard()->BoardSettingRequests(), 1u);
}

TEST_F(CtrlFixture, CoinsCountedAndHandedBack) {
  Frames(2);
  plat::InjectCabInput(CabInput::kCoin, true);
  Frames(2);  // held over two frames: one coin
  plat::InjectCabInput(CabInput::kCoin, false);
  Frames(1);
  plat::InjectCabInput(CabInput::kCoin, true);
  Frames(1);
  EXPECT_EQ((std::vector<int>{man->BoardQuery11(0), man->BoardQuery12(0), man->BoardQuery14(0), man->BoardQuery14(2)}),
            (std::vector<int>{2, 0, 0, 2}));
  man->BoardOutput(0, 2);
  EXPECT_EQ(man->GetPending(), 0);  // accepted by the board
  Frames(1);
  EXPECT_EQ(man->BoardQuery11(0), 0);
  man->BoardOutput(5, 1);  // no such player: stays pending
  EXPECT_EQ(man->GetPending(), 1);
  EXPECT_EQ(man->BoardOutput2(0), 0);  // doubled and accepted
  SimCabIoBoard::Instance().SetCoinFault(0, 0, true);
  Frames(1);
  EXPECT_EQ(man->BoardQuery12(0), 2);
  EXPECT_EQ(man->BoardQuery11(0), 0);
}

TEST_F(CtrlFixture, TestSwitchNeedsEnabling) {
  Frames(2);
  plat::InjectCabInput(CabInput::kTest, true);
  Frames(1);
  EXPECT_FALSE(man->IsTestSwitch());
  man->EnableTestSwitch(1);
  EXPECT_TRUE(man->IsTestSwitch());
  EXPECT_FALSE(man->GetFlag());
}

TEST_F(CtrlFixture, DisposeReleasesTheBoard) {
  ASSERT_NE(GetXioDevice(), nullptr);
  man->Kill(0);
  Frames(2);
  EXPECT_EQ(GetXioDevice(), nullptr);
  EXPECT_EQ(SCtrlMan::GetInstance(), nullptr);
  EXPECT_EQ(pad.portCount_, 0u);
}

// A board whose link drops reads every input as released and reports -1.
TEST(CtrlManBoard, DroppedLinkReleasesInputs) {
  FakeCabIoDriver drv;
  drv.SetUpLinkedBoard();
  ScopedCabIoDriver scope(&drv);
  SCtrlMan man;
  ASSERT_EQ(man.OpenBoard(), 0);
  SPad pad;
  pad.SetKeyMap(kPadIdentityKeyMap, 32);
  pad.Register(0);
  drv.regs[0x4120] = 1u << 16;  // button 1
  for (int i = 0; i < 3; ++i) man.User(7, 0);
  EXPECT_EQ(pad.GetCounter(SPad::PAD_BUTTON1), 1);  // frames 2 and 3 synchronised
  drv.regs[0x4000] = 0x00030000;
  man.User(7, 0);
  EXPECT_EQ(man.BoardStatus(), -1);
  EXPECT_EQ(EngineInputBits, 0u);
  EXPECT_EQ(pad.GetCounter(SPad::PAD_BUTTON1), -1);
  drv.regs[0x4000] = 0x00030001;  // back: the setting request goes again
  man.User(7, 0);
  EXPECT_EQ(man.BoardStatus(), 1);
  EXPECT_EQ(man.GetBoard()->BoardSettingRequests(), 2u);
  man.CloseBoard();
}

TEST(CtrlManBoard, FailedOpenKeepsDefaults) {
  FakeCabIoDriver drv;
  drv.failOpen = true;
  ScopedCabIoDriver scope(&drv);
  SCtrlMan man;
  EXPECT_EQ(man.OpenBoard(), -1);
  man.User(7, 0);
  EXPECT_EQ(EngineInputBits, 0u);
  EXPECT_EQ(man.BoardStatus(), -1);
  man.EnableTestSwitch(1);
  EXPECT_FALSE(man.IsTestSwitch());
  man.CloseBoard();
  // No board at all.
  EXPECT_EQ((std::vector<int>{man.BoardQuery12(0), man.BoardQuery11(0), man.BoardQuery14(0), man.BoardStatus()}),
            (std::vector<int>{4, 0, 2, -1}));
}

}  // namespace
