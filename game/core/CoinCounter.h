#pragma once
// The coin and credit counter. Only the words the game root and the scenes
// read are here so far; no coin is counted yet.
#include <cstdint>

class CoinCounter {
 public:
  // Modes: 0 title, 1 a play starts, 2 continue, 3 in play, 6 idle.
  static constexpr int32_t MODE_IDLE = 6;

  CoinCounter();
  ~CoinCounter();

  // Not built yet: reads no coin input and turns no coin into a credit.
  void Update() {}
  bool HasCredit() const { return credits > 0 || serviceCredits > 0; }
  bool CanStart() const { return HasCredit(); }
  void ConsumePlay() {
    if (serviceCredits > 0)
      --serviceCredits;
    else if (credits > 0)
      --credits;
  }

  int32_t mode = MODE_IDLE;
  int32_t coins = 0;
  int32_t credits = 0;
  int32_t serviceCredits = 0;
  uint8_t inserted = 0;
  uint8_t startFlag = 0;
};

// The coin counter (null when none exists).
CoinCounter* GetCoinCounter();
