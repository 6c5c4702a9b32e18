#pragma once
// Coins and credits: coins from the cabinet's coin mechanism and presses of
// the service button become credits (capped at 9) by the coin settings of
// the game root; the counts go to the network service every frame; the
// scenes ask whether a game may start or continue and pay for a play.
// One global object (not a process); the game root calls Update once per
// frame from its EVENT_MAIN.
#include <cstdint>

class CoinCounter {
 public:
  // Prompt modes of the current scene: 0 attract (start prompts), 1 "START
  // GAME !", 2 continue, 3 play (credit line only), 5 and 6 hidden; in mode
  // 6 coins stay on the board and are not counted.
  enum Mode : int32_t {
    MODE_ATTRACT = 0,
    MODE_START = 1,
    MODE_CONTINUE = 2,
    MODE_PLAY = 3,
    MODE_HIDDEN = 5,
    MODE_IDLE = 6,
  };
  // Sources of the last coin event.
  enum Source : int32_t { SOURCE_MECHANISM = 0, SOURCE_SERVICE = 1 };
  static constexpr int32_t kMaxCredits = 9;
  static constexpr int32_t kCoinSound = 0;

  CoinCounter();
  ~CoinCounter();

  // The per-frame step: the board's coins, the service button, the report
  // to the service client and the credits.
  void Update();
  // Whether a play may start (in mode 2: continue).
  bool CanStart() const;
  // Pays for one play.
  void ConsumePlay();
  bool HasCredit() const { return totalCoins > 0 || serviceCredits > 0; }
  bool IsFreePlay() const;
  bool HasStartCoins() const { return totalCoins >= CoinsToStart(); }
  bool HasContinueCoins() const { return totalCoins >= CoinsToContinue(); }
  // Takes n coins, service coins first.
  void SubtractCoins(int32_t n);

  int32_t GetTotalCoins() const { return totalCoins; }
  int32_t GetCredits() const { return credits; }
  int32_t GetMode() const { return mode; }
  int32_t GetRemainder() const { return remainder; }
  int32_t GetCoinEvent() const { return coinEvent; }

  // The coin settings of the game root: coins to start C (at least 1: a
  // unit of 0 would divide by zero), credits per unit P, coins to continue
  // K, and coin play (false: free play). Without a root: 1, 1, 1, coin play.
  static int32_t CoinsToStart();
  static int32_t CreditsPerUnit();
  static int32_t CoinsToContinue();

  int32_t pendingCoins = 0;
  int32_t handOver = 0;
  int32_t coins = 0;
  int32_t totalCoins = 0;
  int32_t serviceCoins = 0;
  int32_t serviceCredits = 0;
  int32_t credits = 0;
  int32_t remainder = 0;
  int32_t mode = MODE_IDLE;
  int32_t coinEvent = 0;
  int32_t lastSource = SOURCE_MECHANISM;
  // While 1, no play may start (nothing in the game sets it).
  int32_t lock = 0;

 private:
  void Credit();
};

// The coin counter (null when none exists).
CoinCounter* GetCoinCounter();
