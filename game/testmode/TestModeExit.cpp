// Page 8 and the end of the test mode: after a count of 60 frames the test
// mode kills itself; its kill handler lets the game root's rules run again,
// takes the coins inserted meanwhile off the I/O board, tells the network
// service and closes the main window, which ends the program.
#include <cstdio>

#include "cabinet/QvtBTUtil.h"
#include "cabinet/ServiceClient.h"
#include "game/core/Game.h"
#include "game/core/WinMain.h"
#include "game/testmode/TestMode.h"
#include "platform/clock.h"
#include "vrax/input/SCtrlMan.h"

namespace {

// Coin status and take-off results of the board.
constexpr int32_t kCoinOk = 0;
constexpr int32_t kCoinBusy = 3;
constexpr int32_t kCoinNoBoard = 4;
constexpr int32_t kCoinUnit = 0;

}  // namespace

void TestMode::RunExitPage() {
  if (pageStep_ == 0) {
    pageStep_ = 1;
    pageTimer_ = kExitFrames;
  } else if (pageStep_ == 1 && --pageTimer_ < 0) {
    Kill(0);
  }
}

CoinSettlement TestMode::SettleBoardCoins(SCtrlMan* ctrl, int32_t waitLimit) {
  if (!ctrl) return CoinSettlement::kNoBoard;
  bool takingOff = false;
  for (int32_t waits = 0;; ++waits) {
    const int32_t status = ctrl->BoardQuery12(kCoinUnit);
    if (status == kCoinNoBoard) return CoinSettlement::kNoBoard;
    if (status != kCoinOk && status != kCoinBusy) return CoinSettlement::kLeftOnBoard;
    if (status == kCoinOk && !takingOff) {
      const int32_t coins = ctrl->BoardQuery11(kCoinUnit);
      if (coins < 1) return CoinSettlement::kSettled;
      ctrl->BoardOutput(kCoinUnit, coins);
      takingOff = true;
    } else if (status == kCoinOk) {
      const int32_t result = ctrl->BoardQuery14(kCoinUnit);
      if (result == kCoinOk)
        takingOff = false;
      else if (result != kCoinBusy)
        return CoinSettlement::kLeftOnBoard;
    }
    // A board that stays busy, or keeps its coins, is left as it is.
    if (waits >= waitLimit) return CoinSettlement::kTimedOut;
    plat::SleepMs(kCoinWaitMs);
    ctrl->Poll();
  }
}

int32_t TestMode::KillChildren(SProcArg) {
  // The game root's broadcast at shutdown may come after the exit page's
  // kill: the end runs once.
  if (ended_) return 0;
  ended_ = true;
  g_GameTakeover = 0;
  settlement_ = SettleBoardCoins(SCtrlMan::GetInstance());
  if (settlement_ == CoinSettlement::kTimedOut)
    std::fprintf(stderr, "test mode: the I/O board did not settle its coins in time; some may remain on it\n");
  if (QvtBTUtil* client = GetServiceClient()) client->EndCode14();
  PostCloseToMainWindow();
  return 0;
}
