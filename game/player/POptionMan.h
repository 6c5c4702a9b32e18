#pragma once
// The player's options: up to four pods that follow the ship in a fixed
// formation, one per whole unit of the shot power, and fire with the ship's
// auto-fire. The process is a static child of the Player.
#include <cstdint>

#include "vrax/kernel/SProc.h"

class Player;

class POptionMan : public SProc {
 public:
  static constexpr int32_t kSlots = 4;
  enum OptionState : int32_t { OPTION_ABSENT = 0, OPTION_APPEARING = 1, OPTION_ACTIVE = 2 };

  struct Option {
    int32_t state = OPTION_ABSENT;
    int32_t counter = 0;
    float scale = 0.75f;
    float position[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float words[3] = {0.0f, 0.0f, 0.0f};
  };

  // Makes absent slots appear until the present count matches the whole
  // power (only while the Player is in play with normal control).
  void PlaceByPower();
  // The highest active option vanishes when more are present than the
  // whole power.
  void RemoveOne();
  // Every present option vanishes.
  void ClearAll();
  // Options appearing or active.
  int32_t PresentCount() const;

  Option options[kSlots];
  int32_t frameCounter = 0;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  // The Player whose child this is (null when it has no Player parent).
  Player* Owner() const;
  void Place(int32_t slot, int32_t present);
  void Step(int32_t slot, int32_t present, int32_t fire);
  void Fire(int32_t slot, int32_t present, int32_t fire);
  void Vanish(int32_t slot, int32_t frames);
};
