#include <gtest/gtest.h>

#include <cstdio>

#include "game/core/Game.h"
#include "game/stage/MapMng.h"
#include "game/stage/Stage2.h"
#include "support/ErrorBox.h"
#include "support/PlayWorld.h"

namespace {

using testsupport::PlayWorld;

TEST(StageTwo, Explore) {
  testsupport::ErrorBoxCatcher box;
  testsupport::PlayOptions o;
  o.livelyStage = true;
  o.stage = 3;
  PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  Game* g = w.G();
  w.stageMayEnd = true;
  w.Hold(plat::CabInput::kButton1);
  int f = 0;
  int lastPath = -1;
  for (; f < 40000; ++f) {
    if (g->GetSceneId() != SCENE_STAGE) break;
    g->lives = 3;
    w.Step();
    if (g_MapMng.currentPath != lastPath || f % 1000 == 0) {
      std::printf("f %d path %d t %.1f\n", f, g_MapMng.currentPath, g_MapMng.t);
      lastPath = g_MapMng.currentPath;
    }
  }
  std::printf("end %d scene %d\n", f, g->GetSceneId());
  for (auto& t : box.texts) std::printf("box: %s\n", t.c_str());
}

}  // namespace
