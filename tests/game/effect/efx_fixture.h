#pragma once
// A game root with its 37 sprite sheets and an effect manager started under a
// root process, for the effect tests. The manager is stepped by hand
// (Step) or through its frame handlers.
#include <gtest/gtest.h>

#include "game/core/Game.h"
#include "game/effect/EfxMan.h"
#include "platform/crt_rand.h"

namespace testsupport {

class EfxWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SRand(0);
    root.StartRoot(0);
    root.CreateLists(1);
    ASSERT_EQ(root.AddChildProcess(&efx, 0), 0);
    root.Advance();  // added -> running
  }
  void TearDown() override {
    efx.ClearAll();
    root.DisposeChildren();
  }
  // One EVENT_END of the manager: every updater once.
  void Step(int frames = 1) {
    for (int i = 0; i < frames; ++i) efx.SendEvent(SProc::EVENT_END, 0);
  }
  // Sprite requests queued on sheet k.
  int SheetCount(int k) { return game.LayerBatch(k).GetList()->Count(); }

  Game game;
  SProc root;
  EfxMan efx;
};

}  // namespace testsupport
