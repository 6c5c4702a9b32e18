#pragma once
// A game root with its 37 sprite sheets and an effect manager started under a
// root process, for the effect tests. The manager is stepped by hand
// (Step) or through its frame handlers. With `withGraphics` set before
// SetUp, a graphic manager on the null device runs under the root too, so
// that the draw queue and the shake level exist.
#include <gtest/gtest.h>

#include <memory>

#include "game/core/Game.h"
#include "game/effect/EfxMan.h"
#include "platform/crt_rand.h"
#include "vrax/graphic/SGpMan.h"

namespace testsupport {

// The game root is not started: frame events do not reach it, so the tests
// call its begin (which clears the shake level) and its end (which steps the
// screen fade) themselves.
class FrameGame : public Game {
 public:
  using Game::Begin;
  using Game::End;
};

class EfxWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SRand(0);
    if (withGraphics) {
      SGpMan::ResetRenderState();
      SGpMan::SetStartsSound(false);
    }
    root.StartRoot(0);
    root.CreateLists(1);
    ASSERT_EQ(root.AddChildProcess(&efx, 0), 0);
    if (withGraphics) {
      gp = std::make_unique<SGpMan>();
      SGpDeviceRecord rec;  // null window: the null device
      rec.holdRate = 0;
      ASSERT_EQ(root.AddChildProcess(gp.get(), reinterpret_cast<SProcArg>(&rec)), 0);
    }
    root.Advance();  // added -> running
  }
  void TearDown() override {
    efx.ClearAll();
    root.DisposeChildren();
    if (withGraphics) {
      gp.reset();
      SGpMan::SetStartsSound(true);
      SGpMan::ResetRenderState();
    }
  }
  // One EVENT_END of the manager: every updater once.
  void Step(int frames = 1) {
    for (int i = 0; i < frames; ++i) efx.SendEvent(SProc::EVENT_END, 0);
  }
  // Sprite requests queued on sheet k.
  int SheetCount(int k) { return game.LayerBatch(k).GetList()->Count(); }

  bool withGraphics = false;
  FrameGame game;
  SProc root;
  EfxMan efx;
  std::unique_ptr<SGpMan> gp;
};

}  // namespace testsupport
