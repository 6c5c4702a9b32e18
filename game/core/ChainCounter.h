#pragma once
// The chain counter process. Only the words and calls of the collision
// layer and the player side are here so far: the chain, the best chains,
// the outer-body contact tally and the lock-on gauge words; popups and the
// lock-on flare show nothing yet.
#include <cstdint>

#include "vrax/kernel/SProc.h"

class ChainCounter : public SProc {
 public:
  void AddContactTally(int32_t n) { contactTally += n; }
  void Set(int32_t n) { chain = n; }
  void Add() { ++chain; }
  // stageBest = max(stageBest, chain); playBest = max(playBest, stageBest).
  void UpdateBest() {
    if (chain > stageBest) stageBest = chain;
    if (stageBest > playBest) playBest = stageBest;
  }
  // A chain popup at the position (when the chain is 2 or more).
  void ShowPopup(const float* /*position*/, int32_t /*sizeClass*/) {}
  // A tally popup at the position (when the tally is above 0).
  void ShowTallyPopup(const float* /*position*/, int32_t /*sizeClass*/) {}
  // The flare at the player when a lock-on starts.
  void LockOnFlare() {}

  int32_t gaugeBlink = 0;
  float gaugeValue = 0.0f;
  int32_t chain = 0;
  int32_t stageBest = 0;
  int32_t playBest = 0;
  int32_t contactTally = 0;
};

extern ChainCounter g_ChainCounter;
