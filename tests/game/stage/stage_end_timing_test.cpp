// The timed steps of a stage's end, one table per way it ends: the stage
// clear of stages 1 to 4 (counted from the game root's stage-clear event),
// stage 5's fade and hand-over by rail position, and stage 4's closing
// flash. Each step is checked in its frame and in the frame before, so a
// step one frame early or late fails. The rail is driven one whole
// position a frame, so each position is one frame.
#include <gtest/gtest.h>

#include "game/core/Game.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/player/Player.h"
#include "game/stage/MapMng.h"
#include "game/stage/StageProc.h"
#include "platform/sound_device.h"
#include "support/PlayWorld.h"
#include "support/SoundProbe.h"
#include "support/Timeline.h"
#include "vrax/resource/SRscMan.h"

namespace {

using testsupport::FadeOnLayer;
using testsupport::FadeReaches;
using testsupport::FadeStarts;
using testsupport::Sample;
using testsupport::StateIs;
using testsupport::Timeline;
using testsupport::ValueIs;

Sample Look(Game* g, int32_t state) {
  Sample s;
  s.state = state;
  s.fade = g->GetFadeLevel();
  s.fadeLayer = g->GetFadeLayer();
  s.v[0] = float(g->GetSceneId());
  s.v[1] = float(g->stageClear);
  return s;
}

TEST(StageEndTiming, StageClearFadesAndLeadsToTheStageResult) {
  testsupport::PlayOptions o;
  o.stage = 2;
  testsupport::PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  Game* g = w.G();
  w.stageMayEnd = true;
  Timeline t;
  t.Add(Look(g, 0));
  // Frame k after the event runs with the Player's stage-clear counter at k
  // (it counts in the Player's frame). The game root's end of frame steps
  // the fade, then checks the stage: the fade started at counter 360 takes
  // its first step in the next frame; counter 601 is the first above 600,
  // and the stage result starts with the next frame's scene switch.
  g->SendEvent(Player::kEventStageClear, 0);
  for (int k = 1; k <= 620; ++k) {
    g->lives = 3;
    w.Step();
    t.Add(Look(g, 1));
  }
  testsupport::ExpectSteps(t, {
      {"fade to black over 90 frames", 1, 361, FadeStarts(0.0f, 90)},
      {"over the whole picture", 1, 361, FadeOnLayer(0)},
      {"black", 1, 450, FadeReaches(0.0f)},
      {"the stage's objects cleared", 1, 601, ValueIs(1, 0)},
      {"the stage result", 1, 602, ValueIs(0, SCENE_STAGE_RESULT)},
  });
}

// Stage n played from rail position `from` at one position a frame, with no
// enemies (the bosses hold the rail back); the state of each sample is the
// whole rail position that frame ran with (-1 once the stage has gone), v[2]
// the volume of music entry `music`.
Timeline RunRail(int32_t n, float from, int frames, int32_t music) {
  testsupport::PlayOptions o;
  o.stage = n;
  o.livelyStage = true;
  testsupport::PlayWorld w(o);
  Timeline t;
  if (!w.Ok() || w.RunToControl(1000) < 0) {
    ADD_FAILURE() << "stage " << n << " did not start";
    return t;
  }
  Game* g = w.G();
  w.stageMayEnd = true;
  g_EnemySet.Reset();
  g_EnemyMan.KillChildrenAll(0);
  w.Step();
  g_MapMng.armed = 0;
  g_MapMng.SetHoldState(2);
  g_MapMng.SetSpeed(1.0f);
  g_MapMng.t = from - 1.0f;
  SRsc* bank = GetRscMan()->Find("\\sound\\osr_bgm_low", RscTag("SND"));
  for (int f = 0; f < frames && g->GetSceneId() == SCENE_STAGE; ++f) {
    g->lives = 3;
    w.Step();
    const SProc* stage = g->GetList(GAME_LIST_STAGE)->Head();
    const bool running = stage != nullptr && stage->GetState() == SProc::STATE_RUNNING;
    Sample s = Look(g, running ? StageProc::RailKey() : -1);
    s.v[2] = float(testsupport::SoundVolume(bank, music));
    t.Add(s);
  }
  return t;
}

TEST(StageEndTiming, StageFiveFadesAt5180AndHandsOverAt5300) {
  const Timeline t = RunRail(5, 5170.0f, 140, 4);
  testsupport::ExpectSteps(t, {
      {"fade to black over 120 frames", 5180, 1, FadeStarts(0.0f, 120)},
      {"behind the in-game display (layer 1)", 5180, 1, FadeOnLayer(1)},
      {"black", 5299, 1, FadeReaches(0.0f)},
      // The frame after 5299 runs at 5300: the stage's objects go, the second
      // ending is requested and taken in the same frame, the music is at 0.
      {"the stage has gone", 5299, 2, StateIs(-1)},
      {"the second ending", 5299, 2, ValueIs(0, SCENE_ENDING2)},
      {"the music silent", 5299, 2, ValueIs(2, float(plat::kSoundVolumeMin))},
  });
}

TEST(StageEndTiming, StageFourFlashesWhiteAt6999AndClearsFrom7014) {
  // The flash is the sky layer's drawing, which runs before the rail moves
  // on in a frame: it sees the position the frame before reached, so it
  // starts in the frame after the one that reached 6999 (frame 2 of 6999).
  const Timeline t = RunRail(4, 6990.0f, 220, 3);
  testsupport::ExpectSteps(t, {
      {"towards white (1.7) over 15 frames", 6999, 2, FadeStarts(1.7f, 15)},
      {"on layer 3", 6999, 2, FadeOnLayer(3)},
      {"white", 7013, 2, FadeReaches(1.7f)},
      {"back to clear over 180 frames", 7014, 2, FadeStarts(1.0f, 180)},
      {"clear", 7193, 2, FadeReaches(1.0f)},
  });
}

}  // namespace
