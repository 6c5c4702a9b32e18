// MapMng over frames on the engine's managers: the rail, its speed and
// camera, map commands, the armed section change, speed transitions and the
// scenery it draws (layers, placements, tunnel).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/player/Player.h"
#include "game/stage/ObjOvlRsc.h"
#include "game/stage/ObjRsc.h"
#include "game/stage/StageFileWriter.h"
#include "game/stage/TnlRsc.h"
#include "support/ExpectAll.h"
#include "support/LeBytes.h"
#include "support/StageWorld.h"
#include "vrax/graphic/SGpQueue.h"

namespace {

using testsupport::StageWorld;
using testsupport::TestImage;
using testsupport::TestModel;

class MapRail : public StageWorld {
 protected:
  // Keeps the speed that a test sets: the transition of INIT is over.
  void HoldSpeed(float v) {
    map.step = map.steps + 1;
    map.speed = v;
  }
  // Runs frames and records t after each.
  std::vector<float> Run(int frames) {
    std::vector<float> ts;
    for (int i = 0; i < frames; ++i) {
      Frame();
      ts.push_back(map.t);
    }
    return ts;
  }
  // The packets of the last frame entered under key.
  std::vector<SGpObj*> Entered(int key) {
    std::vector<SGpObj*> out;
    for (auto& [k, p] : gp.GetQueue()->Entries())
      if (k == key) out.push_back(p);
    return out;
  }
};

TEST_F(MapRail, RailSpeedDistanceAndCameraOverFrames) {
  ASSERT_NE(LoadStraightPath(0, 10), nullptr);
  map.SetSection(0, 0.0f);
  // The transition of INIT runs two steps at its start speed 1.0, which
  // overrides a speed set before them.
  map.speed = 0.5f;
  EXPECT_EQ(Run(3), (std::vector<float>{1.0f, 2.0f, 3.0f}));
  HoldSpeed(0.25f);
  Run(1);
  EXPECT_ALL({VAL(map.t, 3.25f), VAL(map.distance, 3.25f)});
  // Key 3 at z -30, key 4 at z -40: a quarter of the way.
  const float* eye = map.camera->GetPosition();
  EXPECT_ALL({VAL(eye[0], 0.0f), VAL(eye[2], -32.5f)});
  // The camera keeps its yaw of half a turn: it looks down -z, and the
  // Game's stage camera holds its view: a point 100 further down the rail
  // lies 100 in front of the eye.
  const SVec3 ahead{0.0f, 0.0f, -132.5f};
  SVec3 v;
  SVec3TransformCoord(&v, &ahead, &game->StageCamera());
  EXPECT_NEAR(std::fabs(v.z), 100.0f, 1e-3f);
  EXPECT_NEAR(v.x, 0.0f, 1e-3f);
  // The rail stops 2 keys before the end of path 0, and on no frame goes
  // beyond.
  const std::vector<float> ts = Run(20);
  for (size_t i = 0; i < ts.size(); ++i) EXPECT_LE(ts[i], 8.0f) << "frame " << i;
  EXPECT_ALL({VAL(map.t, 8.0f), VAL(map.distance, 8.0f)});
}

TEST_F(MapRail, CameraGlidesInEveryAxisAndTurnsAlongTheShorterArcBetweenKeys) {
  // Four keys written word by word: a count, then x, y, z, qx, qy, qz, qw.
  // Key 1 turns a quarter about y, key 2 half a turn written with its sign
  // flipped (-q is the same turn), so the blend from key 1 to key 2 takes
  // the shorter arc of an eighth of a turn.
  const float r = 0.70710678f;
  testsupport::LeBytes f;
  f.W(4)
      .Floats({0, 0, 0, 0, 0, 0, 1})
      .Floats({8, 40, -10, 0, r, 0, r})
      .Floats({16, 20, -20, 0, -1, 0, 0})
      .Floats({24, 20, -30, 0, -1, 0, 0});
  WriteFile("\\Stg\\g_a", ".cam", f.b);
  auto* cam = dynamic_cast<CamRsc*>(Load(RscTag("CAM"), "\\Stg\\g_a"));
  ASSERT_NE(cam, nullptr);
  map.paths[0].Target().Put(cam);
  map.SetSection(0, 0.0f);
  HoldSpeed(0.25f);
  Frame();
  // t 0.25: a quarter of the way from key 0 to key 1 in x, y and z.
  ASSERT_EQ(map.t, 0.25f);
  const float* eye = map.camera->GetPosition();
  EXPECT_ALL({VAL(eye[0], 2.0f), VAL(eye[1], 10.0f), VAL(eye[2], -2.5f)});
  map.SetSection(0, 1.0f);
  HoldSpeed(0.5f);
  Frame();
  // t 1.5: halfway from key 1 to key 2; the height glides down from 40 to 20.
  ASSERT_EQ(map.t, 1.5f);
  EXPECT_ALL({VAL(eye[0], 12.0f), VAL(eye[1], 30.0f), VAL(eye[2], -15.0f)});
  // Halfway between a quarter and a half turn about y: 3/8 of a turn,
  // q = (0, sin 67.5, 0, cos 67.5). Its matrix: m00 = m22 = cos 135 and
  // m20 = -m02 = sin 135.
  EXPECT_NEAR(map.railMatrix.m[0][0], -r, 1e-4f);
  EXPECT_NEAR(map.railMatrix.m[0][2], -r, 1e-4f);
  EXPECT_NEAR(map.railMatrix.m[2][0], r, 1e-4f);
  EXPECT_NEAR(map.railMatrix.m[2][2], -r, 1e-4f);
  EXPECT_NEAR(map.railMatrix.m[1][1], 1.0f, 1e-4f);
  // The camera keeps its yaw of half a turn whatever the key rotation: the
  // Game's view maps the eye to the origin and a point 100 further down -z
  // to 100 straight ahead.
  SVec3 v;
  const SVec3 at{12.0f, 30.0f, -15.0f}, ahead{12.0f, 30.0f, -115.0f};
  SVec3TransformCoord(&v, &at, &game->StageCamera());
  EXPECT_NEAR(std::fabs(v.x) + std::fabs(v.y) + std::fabs(v.z), 0.0f, 1e-3f);
  SVec3TransformCoord(&v, &ahead, &game->StageCamera());
  EXPECT_NEAR(v.x, 0.0f, 1e-3f);
  EXPECT_NEAR(v.y, 0.0f, 1e-3f);
  EXPECT_NEAR(std::fabs(v.z), 100.0f, 1e-3f);
}

TEST_F(MapRail, IdleWithoutMapEnableOrWhileThePlayerStartsAndAtTheOriginPoseBeyondThePath) {
  ASSERT_NE(LoadStraightPath(0, 10), nullptr);
  map.SetSection(0, 0.0f);
  HoldSpeed(1.0f);
  game->mapEnable = 0;
  Run(3);
  EXPECT_EQ(map.t, 0.0f);
  game->mapEnable = 1;
  g_Player.state = 1;
  Run(3);
  EXPECT_EQ(map.t, 0.0f);
  g_Player.state = 3;
  Run(3);
  EXPECT_EQ(map.t, 3.0f);
  // A position whose next key is missing gives the origin pose.
  map.SetSection(0, 9.5f);
  EXPECT_ALL({VAL(map.camera->GetPosition()[2], 0.0f), VAL(map.railMatrix.m[0][0], 1.0f)});
  // A negative position clears the rail; the next step restarts at 0.
  map.PushEventB(2, 0, 5, 1, 0);
  map.SetSection(0, -1.0f);
  EXPECT_TRUE(map.commands.empty());
  Frame();
  EXPECT_ALL({VAL(map.t, 0.0f), VAL(map.distance, 0.0f), VAL(map.currentPath, 0)});
}

TEST_F(MapRail, ClearingTheStageReturnsTheWorldToIdle) {
  ASSERT_NE(LoadStraightPath(0, 10), nullptr);
  map.SetSection(0, 0.0f);
  map.PushEventB(2, 0, 3, 1, 0);
  map.layers[5].enable = 0;
  map.sectionFlag = 1;  // a boss escaped in the stage
  Run(4);
  game->ClearStageObjects();
  EXPECT_EQ(map.GetPath(0), nullptr);
  EXPECT_TRUE(map.commands.empty());
  // The next stage starts with no escape behind it (stage 3 would take its
  // branch, the timeline its section jumps).
  EXPECT_ALL({VAL(map.t, 0.0f), VAL(map.distance, 0.0f), VAL(map.layers[5].enable, 1), VAL(map.branchLatch, 2),
              VAL(map.sectionFlag, 0)});
  Run(2);
  EXPECT_EQ(map.t, 0.0f);  // no path: no step
}

TEST_F(MapRail, LoopsFireTheirCountKeepTheFractionAndHideLaterCommandsOfTheirKey) {
  ASSERT_NE(LoadStraightPath(0, 60), nullptr);
  map.SetSection(0, 0.5f);
  HoldSpeed(1.0f);
  // At key 10: a Show of layer 4 before the Loop (both act), a Show of
  // layer 5 after it (only when the loop does not fire).
  map.PushEventB(2, 0, 10, 4, 0);
  map.PushEventA(0, 0, 10, 0, 3, 2);
  map.PushEventB(2, 0, 10, 5, 0);
  std::vector<float> ts = Run(10);
  // 1.5, ..., 10.5 -> 3.5: the fraction kept, the Show before the Loop
  // acted, the one after it did not.
  EXPECT_EQ(ts[9], 3.5f);
  EXPECT_ALL({VAL(map.layers[4].enable, 0), VAL(map.layers[5].enable, 1), VAL(map.commands[1].fired, 1)});
  // Once more, then on past 10 (where the later Show acts at last).
  const std::vector<float> more = Run(20);
  ts.insert(ts.end(), more.begin(), more.end());
  int jumps = 0;
  for (size_t i = 1; i < ts.size(); ++i) jumps += ts[i] < ts[i - 1];
  EXPECT_EQ(jumps, 2);
  EXPECT_ALL({VAL(map.commands[1].fired, 2), VAL(map.lastLoopCount, 2), VAL(map.layers[5].enable, 0),
              VAL(map.layers[6].enable, 1)});
}

TEST_F(MapRail, CommandsOnKeysSkippedAtSpeedsAboveOneDoNotFire) {
  ASSERT_NE(LoadStraightPath(0, 60), nullptr);
  map.SetSection(0, 0.0f);
  HoldSpeed(2.5f);  // keys 2, 5, 7, 10, 12, 15 ...
  map.PushEventB(2, 0, 6, 1, 0);  // skipped
  map.PushEventB(2, 0, 7, 2, 0);  // reached
  map.PushEventB(2, 0, 0, 3, 0);  // at the start
  Run(5);
  EXPECT_ALL({VAL(map.layers[1].enable, 1), VAL(map.layers[2].enable, 0), VAL(map.layers[3].enable, 0)});
}

TEST_F(MapRail, BranchLatchShowTargetsAndRestartPoints) {
  ASSERT_NE(LoadStraightPath(0, 40), nullptr);
  ASSERT_NE(LoadStraightPath(1, 80), nullptr);
  map.SetSection(0, 0.0f);
  HoldSpeed(1.0f);
  PlayerPos.x = -5.0f;  // left: the branch is taken
  map.PushEventA(1, 0, 4, 1, 20, 0);
  map.PushEventA(1, 1, 23, 1, 50, 0);
  map.PushEventType3(7, 1, 22, 1, 21);
  map.PushEventB(2, 1, 25, MapCommand::kTargetLayers, 0);
  map.PushEventB(2, 1, 26, 9, 1);
  map.PushEventB(2, 1, 26, MapCommand::kTargetTunnel, 0);  // no tunnel: nothing
  game->stage = 2;
  game->record[REC_SCORE] = 1234;
  Run(4);
  EXPECT_ALL({VAL(map.currentPath, 1), VAL(map.t, 20.0f), VAL(map.branchLatch, 1)});
  // Moving right afterwards changes nothing until the latch is re-armed.
  PlayerPos.x = 5.0f;
  Run(3);
  // The checkpoint is stored with a snapshot of the play; the stage number
  // stays the stage's.
  EXPECT_ALL({VAL(map.t, 50.0f), VAL(game->checkpoint, 7), VAL(game->stage, 2),
              VAL(game->stageSnapshot[REC_SCORE], 1234u)});
  int32_t path = -1, key = -1;
  EXPECT_TRUE(map.FindEventType3(7, &path, &key));
  EXPECT_ALL({VAL(path, 1), VAL(key, 21)});
  EXPECT_FALSE(map.FindEventType3(8, &path, &key));
  EXPECT_ALL({VAL(path, 0), VAL(key, 0)});
  // The rail stops at the end of path 0 although path 1 is longer.
  Run(5);
  EXPECT_EQ(map.t, 50.0f);
  // Not taken: the latch decides 0 and the rail stays on path 0.
  map.SetSection(0, -1.0f);
  map.PushEventA(1, 0, 2, 1, 20, 0);
  map.PushEventType3(3, 0, 3, 0, 3);
  g_Player.state = 4;  // dying: no restart point is recorded
  Run(4);
  EXPECT_ALL({VAL(map.currentPath, 0), VAL(map.branchLatch, 0), VAL(game->checkpoint, 7)});
  // Show targets: -100 every layer (and the tunnel), one layer, all layers.
  map.SetLayerFlags(MapCommand::kTargetAll, 0);
  EXPECT_EQ(map.layers[63].enable, 0);
  map.SetLayerFlags(12, 1);
  map.SetLayerFlags(64, 1);  // no such layer
  EXPECT_ALL({VAL(map.layers[12].enable, 1), VAL(map.layers[13].enable, 0)});
}

TEST_F(MapRail, ArmedSectionChangeRepeatsEveryFrameUntilDisarmed) {
  ASSERT_NE(LoadStraightPath(0, 60), nullptr);
  map.SetSection(0, 0.0f);
  HoldSpeed(1.0f);
  map.armedT = 3.5f;
  map.armedAt = 6.0f;
  map.armedPath = 0;
  map.armed = 1;
  std::vector<float> ts = Run(12);
  // 1..6; each frame that starts at 6 or beyond jumps back to 3.5 before
  // the rail moves on by 1.
  EXPECT_EQ(ts, (std::vector<float>{1, 2, 3, 4, 5, 6, 4.5f, 5.5f, 6.5f, 4.5f, 5.5f, 6.5f}));
  // Destination past the trigger: the jump happens in every frame.
  map.armedT = 20.0f;
  EXPECT_EQ(Run(3), (std::vector<float>{21.0f, 21.0f, 21.0f}));
  map.armed = 0;
  EXPECT_EQ(Run(2), (std::vector<float>{22.0f, 23.0f}));
}

TEST_F(MapRail, SpeedTransitionsEaseAndZeroStepsReachTheTargetAtOnce) {
  ASSERT_NE(LoadStraightPath(0, 200), nullptr);
  map.SetSection(0, 0.0f);
  HoldSpeed(1.0f);
  map.StartTransition(0.0f, 4);
  std::vector<float> speeds;
  for (int i = 0; i < 7; ++i) {
    Frame();
    speeds.push_back(map.speed);
  }
  // 1 - (1 - cos(s/4 pi/2)) for s = 0..4, then held.
  const float kHalfPi = 1.5707964f;
  for (int s = 0; s < 5; ++s)
    EXPECT_FLOAT_EQ(speeds[size_t(s)], 1.0f - (1.0f - std::cos(float(s) / 4.0f * kHalfPi))) << s;
  EXPECT_ALL({VAL(speeds[4], 0.0f), VAL(speeds[6], 0.0f)});
  map.StartTransition(2.0f, 0);
  Frame();
  EXPECT_EQ(map.speed, 2.0f);
  map.speed = 0.5f;  // a later setter stays
  Frame();
  EXPECT_EQ(map.speed, 0.5f);
  // The hold step settles after 50 frames with the speed words at 1.0.
  map.SetHoldState(0);
  for (int i = 0; i < 49; ++i) map.SettleSpeed();
  EXPECT_ALL({VAL(map.holdState, 0), VAL(map.speed, 1.0f)});
  map.SettleSpeed();
  EXPECT_ALL({VAL(map.holdState, 2), VAL(map.holdFrames, 0)});
}

TEST_F(MapRail, LayersShowObjectsByKeyAndPlacementsDrawInTheirKeyRange) {
  ASSERT_NE(LoadStraightPath(0, 100), nullptr);
  // Three objects: 0 shown at 5, hidden at 8; 1 at 6 (two steps at 6: the
  // second fires a frame later). The step at 5 also lists an index just past
  // the list, which is passed over.
  WriteFile("\\Stg\\set", ".opl", stage_file::WritePlacementList(std::vector<stage_file::Placement>(3)));
  WriteFile("\\Stg\\set_a", ".ovl",
            stage_file::WriteVisibilityList({{5, {0, 3}}, {6, {1}}, {6, {1}}, {8, {0}}}));
  TestImage image(1);
  TestModel model;
  ObjPlacer& layer = map.layers[2];
  layer.objects.Target().Put(Load(RscTag("OPL"), "\\Stg\\set"));
  layer.visibility[0].Target().Put(Load(RscTag("OVL"), "\\Stg\\set_a"));
  layer.texture.Set(&image);
  layer.model.Set(&model);
  map.AddPlacement(0, 0, 3, 5, 7, nullptr, nullptr, nullptr);
  map.AddPlacement(0, 0, 0, 100, MapMng::kLayers, nullptr, nullptr, nullptr);  // no such layer: passed over
  map.layers[7].texture.Set(&image);
  map.layers[7].model.Set(&model);
  map.SetSection(0, 0.0f);
  HoldSpeed(0.5f);
  std::vector<int> shown;
  for (int i = 0; i < 16; ++i) {
    Frame();
    const ObjRsc* o = layer.GetObjects();
    shown.push_back(int(o->Visible(0)) | int(o->Visible(1)) << 1);
  }
  // t = 0.5 per frame: object 0 (bit 0) from key 5 (frame 10) to key 8
  // (frame 16); object 1 toggled by both steps at key 6, in frames 12 and 13.
  EXPECT_EQ(shown, (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 3, 1, 1, 1, 0}));

  // A jump to key 6 applies each step up to the first of key 6 once; the
  // second step of key 6 fires in the next frame.
  map.SetSection(0, 6.0f);
  const ObjRsc* o = layer.GetObjects();
  EXPECT_ALL({VAL(o->Visible(0), 1), VAL(o->Visible(1), 1), VAL(layer.cursor.next, 2)});
  HoldSpeed(0.0f);
  Frame();
  // Drawn before the step: the texture, then two packets per visible object
  // at the layer's key.
  EXPECT_EQ(Entered(30).size(), 5u);
  EXPECT_ALL({VAL(o->Visible(1), 0), VAL(layer.cursor.next, 3)});
  // Layer 7's placement covers keys 3 and 4: its three packets there, beside
  // layer 2's texture.
  map.SetSection(0, 3.5f);
  Frame();
  EXPECT_EQ(Entered(30).size(), 1u + 3u);
  map.SetSection(0, 5.0f);
  Frame();
  EXPECT_EQ(Entered(30).size(), 3u);
  // A placed draw of a layer whose model is not loaded enters nothing.
  map.layers[7].model.Reset();
  map.SetSection(0, 3.0f);
  Frame();
  EXPECT_EQ(Entered(30).size(), 1u);
}

TEST_F(MapRail, AnimationSegmentsStepTheLayerTimeInTheirKeyRangeAndAPlaceWithoutScaleStaysAtTheOrigin) {
  ASSERT_NE(LoadStraightPath(0, 100), nullptr);
  // One object, written word by word: count, a skipped word, x, y, z, q.
  testsupport::LeBytes opl;
  opl.W(1).W(0).Floats({0, 0, 0, 0, 0, 0, 1});
  WriteFile("\\Stg\\anim", ".opl", opl.b);
  SRsc* objects = Load(RscTag("OPL"), "\\Stg\\anim");
  ASSERT_NE(objects, nullptr);
  TestImage image(1);
  TestModel model;
  for (int i = 3; i <= 6; ++i) {
    map.layers[i].objects.Target().Put(objects);
    map.layers[i].texture.Set(&image);
    map.layers[i].model.Set(&model);
  }
  // Layer 3: repeat 3 times from 10 to 12.5 at rate 2.5 (1.0 a frame).
  map.layers[3].Spawn(0, 0, 50, 1, 3, 10.0f, 12.5f, 2.5f, 0);
  // Layer 4: once from 5 to 6.5 at rate 2.5 times the rail speed 0.5 (0.5
  // a frame).
  map.layers[4].Spawn(0, 0, 50, 0, 0, 5.0f, 6.5f, 2.5f, 1);
  // Layer 5: forever, backwards from 4 to 2 at rate -1.25 (-0.5 a frame),
  // starting above the start; it steps although the layer is hidden.
  map.layers[5].Spawn(0, 0, 50, 2, 0, 4.0f, 2.0f, -1.25f, 0);
  map.layers[5].animTime = 5.0f;
  map.layers[5].enable = 0;
  // Layer 6: on path 1, and from key 20: never here.
  map.layers[6].Spawn(1, 0, 50, 2, 0, 4.0f, 8.0f, 1.0f, 0);
  map.layers[6].Spawn(0, 20, 50, 2, 0, 4.0f, 8.0f, 1.0f, 0);
  map.SetSection(0, 0.0f);
  HoldSpeed(0.5f);
  std::vector<float> a3, a4, a5;
  for (int i = 0; i < 11; ++i) {
    Frame();
    a3.push_back(map.layers[3].animTime);
    a4.push_back(map.layers[4].animTime);
    a5.push_back(map.layers[5].animTime);
  }
  ASSERT_LT(map.t, 6.0f);  // every frame lay within keys 0 to 50
  // Past the end: 13 -> 10.5 and 12.5 -> 10 (two wraps), then 13 holds at
  // the end, 12.5, for good.
  const std::vector<float> w3{11, 12, 10.5f, 11.5f, 10, 11, 12, 12.5f, 12.5f, 12.5f, 12.5f};
  const std::vector<float> w4{5.5f, 6, 6.5f, 6.5f, 6.5f, 6.5f, 6.5f, 6.5f, 6.5f, 6.5f, 6.5f};
  const std::vector<float> w5{3.5f, 3, 2.5f, 4, 3.5f, 3, 2.5f, 4, 3.5f, 3, 2.5f};
  for (size_t i = 0; i < w3.size(); ++i) {
    EXPECT_NEAR(a3[i], w3[i], 1e-4f) << i;
    EXPECT_NEAR(a4[i], w4[i], 1e-4f) << i;
    EXPECT_NEAR(a5[i], w5[i], 1e-4f) << i;
  }
  EXPECT_EQ(map.layers[6].animTime, 0.0f);

  // A placed draw: without a scale the position is not used; with one it
  // is the translation row.
  const SVec3 pos{1.0f, 2.0f, 3.0f}, twice{2.0f, 2.0f, 2.0f};
  map.layers[3].Place(-1.0f, &pos, nullptr, nullptr);
  EXPECT_ALL({VAL(map.layers[3].placedMatrix.m[3][0], 0.0f), VAL(map.layers[3].placedMatrix.m[3][1], 0.0f),
              VAL(map.layers[3].placedMatrix.m[3][2], 0.0f), VAL(map.layers[3].placedMatrix.m[0][0], 1.0f)});
  map.layers[3].Place(-1.0f, &pos, nullptr, &twice);
  EXPECT_ALL({VAL(map.layers[3].placedMatrix.m[3][0], 1.0f), VAL(map.layers[3].placedMatrix.m[3][1], 2.0f),
              VAL(map.layers[3].placedMatrix.m[3][2], 3.0f), VAL(map.layers[3].placedMatrix.m[0][0], 2.0f)});
}

}  // namespace
