#pragma once
// The chain counter: a count of consecutive defeats that decays by one
// every 300 frames in which it is not raised. It is also the multiplier of
// the bonus scores, keeps the stage's and the play's best chain, shows the
// chain and the outer-body contact tally as number popups (its list 1) and
// turns the stage's numbers into the six result-bonus categories of the
// stage result. Its list 0 holds the chain aura, an embedded child that
// follows the player. One persistent process; the game root adds it to its
// list 7 in scene 2.
#include <cstdint>

#include "game/core/PhaseTimer.h"
#include "game/player/ChainAura.h"
#include "vrax/kernel/SProc.h"

class ChainCounter : public SProc, public PhaseTimer {
 public:
  // Frames without a raise after which the chain loses one.
  static constexpr int32_t kDecayFrames = 300;
  // Result-bonus categories.
  enum ResultCategory : int32_t {
    RESULT_DEFEATS = 0,
    RESULT_BEST_CHAIN = 1,
    RESULT_LOCK_CATCHES = 2,
    RESULT_LIVES = 3,
    RESULT_POWER = 4,
    RESULT_TOTAL = 5,
  };

  ChainCounter();

  void Set(int32_t n) { chain = n; }
  // Restarts the decay timer and raises the chain.
  void Add();
  // Chain, stage best, decay timer and tally back to 0.
  void Reset();
  // stageBest = max(stageBest, chain); playBest = max(playBest, stageBest),
  // mirrored into the play record.
  void UpdateBest();
  void AddContactTally(int32_t n) { contactTally += n; }
  // A chain popup (":chain") at the position when the chain is 2 or more;
  // sizeClass 0 picks the font from the number, 1 to 3 force one.
  void ShowPopup(const float* position, int32_t sizeClass);
  // A tally popup ("max(chain, 1) x 1000:tally") when the tally is above 0.
  void ShowTallyPopup(const float* position, int32_t sizeClass);
  // Kills every live popup.
  void KillPopups();

  // The ring and sprite at the player when the lock-on starts.
  void LockOnFlare();

  // defeated x 100 / appeared, 0 when no enemy appeared.
  static int32_t ResultRatio();
  // The bonus of a category (0 for an unknown one); never negative, and
  // exact beyond 32 bits (the score adds it with its overflow word).
  uint64_t ResultBonus(int32_t category) const;
  // What the result screen shows beside the bonuses.
  int32_t GetStageBest() const { return stageBest; }
  static int32_t GetLockCatches();
  static int32_t GetLives();
  // The player's power level, whole part.
  static int32_t GetPowerLevel();

  // Words read and written by the in-game display and the aura.
  int32_t gaugeBlink = 0;
  float gaugeValue = 0.0f;
  int32_t chain = 0;
  int32_t stageBest = 0;
  int32_t playBest = 0;
  int32_t contactTally = 0;
  ChainAura aura;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;

 private:
  void NewPopup(const float* position, int32_t a, int32_t b, int32_t sizeClass);
};

extern ChainCounter g_ChainCounter;
