#pragma once
// The hit flash: a short-lived child process (list 1) that tints an enemy
// while it is hit or held. The model form colours a model by pushing the
// ambient colour and light 0's colour before the model draws and restoring
// both after it; the sprite form overwrites a sprite enemy's colour and
// restores the parameter record's colour at its end. Both end on their
// fifth frame unless held, and mark the enemy as flashing meanwhile so that
// no second flash starts.
#include <cstdint>

#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpNode.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/kernel/SProc.h"

class EObjBase;

// Pushes the current ambient colour and sets its own.
class AmbientPush : public SGpObj {
 public:
  void Execute() override { PushAmbient(colour_); }
  void SetColour(const float* c) { colour_ = SGpColour{c[0], c[1], c[2], c[3]}; }
  const SGpColour& Colour() const { return colour_; }

 private:
  SGpColour colour_{0.0f, 0.0f, 0.0f, 1.0f};
};

// Restores the ambient colour its AmbientPush saved.
class AmbientPop : public SGpObj {
 public:
  void Execute() override { PopAmbient(); }
};

using LightStatePush = SGpState_LightPush;
using LightStatePop = SGpState_LightPop;

// The flash's render-state pair as two drawables. The colour packet sets
// light 0's colour and then the ambient colour to its colour, saving both;
// the end packet restores the ambient colour and then light 0's. A Flasher
// hangs their four packets on a model's nodes; a part always drawn at one
// colour enters the pair around its draw instead.
class FlashColourPacket : public SGpObj {
 public:
  void Execute() override {
    light.Execute();
    ambient.Execute();
  }
  // Both colours (four floats, copied).
  void SetColour(const float* c) {
    ambient.SetColour(c);
    light.SetColour(0, SGpColour{c[0], c[1], c[2], c[3]});
  }

  LightStatePush light;
  AmbientPush ambient;
};

class FlashEndPacket : public SGpObj {
 public:
  void Execute() override {
    ambient.Execute();
    light.Execute();
  }

  AmbientPop ambient;
  LightStatePop light;
};

// The frames a flash that is not held lasts.
inline constexpr int32_t kFlashFrames = 5;

class Flasher : public SProc {
 public:
  // nodeA: the node before whose drawing the tint starts (the model's root);
  // nodeB: the node after which it ends (the last drawn of the tree).
  // The colour is copied.
  Flasher(SGpNode* nodeA, SGpNode* nodeB, const float* colour, uint8_t hold);

  const AmbientPush& AmbientSet() const { return set_.ambient; }
  const LightStatePush& LightSet() const { return set_.light; }
  const AmbientPop& AmbientRestore() const { return restore_.ambient; }
  const LightStatePop& LightRestore() const { return restore_.light; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t KillChildren(SProcArg arg) override;

 private:
  int32_t frames_ = 0;
  uint8_t hold_;
  float colour_[4];
  SGpNode* nodeA_;
  SGpNode* nodeB_;
  FlashColourPacket set_;
  FlashEndPacket restore_;
  uint8_t attached_ = 0;
};

// The sprite form, for the sprite enemies (type 0).
class FlasherSprite : public SProc {
 public:
  FlasherSprite(const float* colour, uint8_t hold);

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t KillChildren(SProcArg arg) override;

 private:
  int32_t frames_ = 0;
  uint8_t hold_;
  float colour_[4];
};

// Starts a model flash on an enemy (child list 1) unless one is running; the
// last-drawn node of nodeA's tree ends the tint.
void StartModelFlash(EObjBase* enemy, SGpNode* nodeA, const float* colour, uint8_t hold);
