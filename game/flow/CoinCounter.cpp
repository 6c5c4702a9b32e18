#include "game/core/CoinCounter.h"

#include <algorithm>

#include "cabinet/QvtBTUtil.h"
#include "cabinet/ServiceClient.h"
#include "game/core/Game.h"
#include "vrax/input/SCtrlMan.h"

namespace {

CoinCounter* g_coinCounter = nullptr;

// Player 1's coin slot on the board.
constexpr int32_t kPlayer = 0;
// Board coin status without a board.
constexpr int32_t kNoBoard = 4;

int32_t Setting(int32_t word, int32_t fallback) {
  const Game* g = GetGame();
  return g != nullptr ? g->settings[word] : fallback;
}

// a + b without passing the 32-bit limit (a count that can only grow).
int32_t AddCapped(int32_t a, int32_t b) {
  return static_cast<int32_t>(std::min<int64_t>(int64_t(a) + b, INT32_MAX));
}

}  // namespace

CoinCounter::CoinCounter() { g_coinCounter = this; }

CoinCounter::~CoinCounter() {
  if (g_coinCounter == this) g_coinCounter = nullptr;
}

CoinCounter* GetCoinCounter() { return g_coinCounter; }

int32_t CoinCounter::CoinsToStart() { return std::max(1, Setting(SettingsWord::coinUnit, 1)); }
int32_t CoinCounter::CreditsPerUnit() { return Setting(SettingsWord::creditsPerUnit, 1); }
int32_t CoinCounter::CoinsToContinue() { return Setting(SettingsWord::continueCoins, 1); }
bool CoinCounter::IsFreePlay() const { return Setting(SettingsWord::coinPlay, 1) == 0; }

void CoinCounter::Update() {
  coinEvent = 0;
  SCtrlMan* ctrl = SCtrlMan::GetInstance();
  const int32_t n = ctrl != nullptr ? ctrl->BoardQuery11(kPlayer) : 0;
  const int32_t s = ctrl != nullptr ? ctrl->BoardQuery12(kPlayer) : kNoBoard;
  const bool coinPlay = !IsFreePlay();

  // The board's coins: its count is handed back to it, and counted once the
  // board has taken it.
  const bool coinError = s >= 1 && s <= 3;
  if (!coinError && mode != MODE_IDLE && ctrl != nullptr) {
    if (handOver == 0) {
      if (n != 0) {
        pendingCoins = n;
        ctrl->BoardOutput(kPlayer, n);
        handOver = 1;
      }
    } else if (ctrl->BoardOutput2(kPlayer) == 0) {
      coinEvent = 1;
      lastSource = SOURCE_MECHANISM;
      handOver = 0;
      if (coinPlay) coins = AddCapped(coins, pendingCoins);
    }
  }

  Game* g = GetGame();
  if (g != nullptr && g->GamePadRef().GetCounter(SPad::PAD_SERVICE) == -1) {
    coinEvent = 1;
    lastSource = SOURCE_SERVICE;
    if (coinPlay) {
      if (CoinsToStart() == CoinsToContinue() || CreditsPerUnit() > 1)
        serviceCredits = AddCapped(serviceCredits, 1);
      else
        serviceCoins = AddCapped(serviceCoins, 1);
    }
  }

  // The service hears last frame's coins and this frame's credit state.
  if (QvtBTUtil* client = GetServiceClient()) {
    client->SetStatusA(static_cast<uint32_t>(totalCoins));
    client->SetStatusB(static_cast<uint32_t>(coinPlay ? credits : 1));
  }

  if (mode == MODE_IDLE || !coinPlay) return;
  Credit();
  if (coinEvent != 0 && g != nullptr) g->PlaySeUnlessSoundOff(kCoinSound, 61440);
}

void CoinCounter::Credit() {
  const int32_t c = CoinsToStart();
  const int32_t k = CoinsToContinue();
  totalCoins = AddCapped(coins, serviceCoins);
  const int64_t wide = int64_t(totalCoins / c) * CreditsPerUnit() + serviceCredits;
  credits = static_cast<int32_t>(std::clamp<int64_t>(wide, INT32_MIN, INT32_MAX));
  remainder = totalCoins % c;
  if ((lastSource == SOURCE_MECHANISM && credits >= kMaxCredits) ||
      (lastSource == SOURCE_SERVICE && credits > kMaxCredits)) {
    remainder = 0;
    credits = kMaxCredits;
    if (c == k) {
      serviceCoins = 0;
      serviceCredits = kMaxCredits;
      totalCoins = 0;
    } else {
      serviceCoins = kMaxCredits * c;
      serviceCredits = 0;
      totalCoins = kMaxCredits * c;
    }
    coins = (lastSource == SOURCE_SERVICE && c >= 2) ? coins % c : 0;
  }
}

bool CoinCounter::CanStart() const {
  if (lock == 1) return false;
  if (IsFreePlay() && mode == MODE_CONTINUE) return true;
  if (serviceCredits >= 1) return true;
  if (mode == MODE_CONTINUE) return totalCoins >= CoinsToContinue();
  return totalCoins >= CoinsToStart();
}

void CoinCounter::ConsumePlay() {
  if (IsFreePlay()) {
    coins = serviceCoins = totalCoins = credits = serviceCredits = 0;
  } else if (serviceCredits > 0) {
    --serviceCredits;
  } else if (CreditsPerUnit() < 2) {
    SubtractCoins(mode == MODE_CONTINUE ? CoinsToContinue() : CoinsToStart());
  } else {
    serviceCredits = CreditsPerUnit() - 1;
    SubtractCoins(CoinsToStart());
  }
}

void CoinCounter::SubtractCoins(int32_t n) {
  serviceCoins -= n;
  if (serviceCoins < 0) {
    coins += serviceCoins;
    serviceCoins = 0;
  }
}
