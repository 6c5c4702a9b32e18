// What the boss scripts stand on: the companion process with its codes,
// phase windows, model nodes, projection and fast-forward rule; the colour
// fader; the sprite and model satellites; the glow holder; and the handles
// by which scripts keep their children.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/enemy/BossOption2D.h"
#include "game/enemy/BossOption3D.h"
#include "game/enemy/BossPartsObject.h"
#include "game/enemy/ColorFader.h"
#include "game/enemy/EnemyBase.h"
#include "game/enemy/ObjHolder.h"
#include "game/enemy/SpawnChild.h"
#include "game/tables/effect_tables.h"
#include "model_rig.h"
#include "support/ExpectAll.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpState.h"

namespace {

using enemytest::ModelBoss;
using enemytest::ModelRig;

std::vector<std::string> g_log;

// A child that notes its frame events.
class Noter : public SProc {
 protected:
  int32_t Init(SProcArg) override { return 0; }
  int32_t Draw(SProcArg) override {
    g_log.push_back("child draw");
    return 0;
  }
  int32_t Main(SProcArg) override {
    g_log.push_back("child main");
    return 0;
  }
};

// A companion that notes its codes and, each frame, the windows its timer
// is in; it adds a noting child at set-up.
class Recorder : public BossPartsObject {
 public:
  using BossPartsObject::BossPartsObject;
  int32_t skipMask = 0;
  std::vector<std::pair<int32_t, float>> windows;  // (count, ratio) inside 3..6

 protected:
  int32_t User(int32_t code, SProcArg arg) override {
    if (skipMask != 0) RequestPresentSkip(skipMask);
    g_log.push_back("code " + std::to_string(code) + " arg " + std::to_string(arg) + " current " +
                    std::to_string(GetCurrentProcess() == this) + " event " + std::to_string(GetCurrentEvent()));
    if (code == kCodeInit) SpawnChild<Noter>(this, 0, 0);
    if (code == kCodeMain) {
      if (timer.Window(3, 6)) windows.emplace_back(timer.GetCount(), timer.GetRatio());
      timer.Tick();
    }
    return code == kCodeInit ? 5 : 0;
  }
};

TEST(BossPartsObject, SeesItsCodesInOrderBeforeItsChildren) {
  ModelBoss r;
  ASSERT_NE(r.boss, nullptr);
  g_log.clear();
  auto* c = static_cast<Recorder*>(BossPartsObject::Attach(r.boss, new Recorder(&r.boss->model)));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->GetParent(), r.boss);
  EXPECT_EQ(c->GetInitResult(), 5);  // the handler's answer to code 7
  r.m.rig.Run(1);                    // added: nothing runs yet
  r.m.rig.Run(2);
  const std::vector<std::string> want = {
      "code 7 arg 0 current 1 event 7", "code 8 arg 0 current 1 event 8", "child draw",
      "code 9 arg 0 current 1 event 9", "child main", "code 8 arg 0 current 1 event 8",
      "child draw", "code 9 arg 0 current 1 event 9", "child main"};
  EXPECT_EQ(g_log, want);
  // No draw set was attached.
  EXPECT_ALL({VAL(c->SetA() == nullptr, true), VAL(c->SetB() == nullptr, true)});
}

TEST(BossPartsObject, PhaseWindowsRunOnTheTimer) {
  ModelBoss r;
  ASSERT_NE(r.boss, nullptr);
  auto* c = static_cast<Recorder*>(BossPartsObject::Attach(r.boss, new Recorder(&r.boss->model)));
  ASSERT_NE(c, nullptr);
  r.m.rig.Run(10);
  const std::vector<std::pair<int32_t, float>> want = {{3, 0.0f}, {4, 1.0f / 3.0f}, {5, 2.0f / 3.0f}, {6, 1.0f}};
  EXPECT_EQ(c->windows, want);
  EXPECT_EQ(c->timer.IsDone(), 1.0f);
}

TEST(BossPartsObject, NodesProjectionAndPacketClearing) {
  ModelBoss r;
  ASSERT_NE(r.boss, nullptr);
  BossPartsObject c(&r.boss->model);
  ASSERT_GT(r.boss->model.NodeCount(), 1);
  EXPECT_EQ(c.GetNode(1), r.boss->model.GetNode(1));
  EXPECT_EQ(c.GetNode(r.boss->model.NodeCount()), nullptr);
  // The top node is the boss's placement, above the model's root.
  EXPECT_EQ(c.GetTopNode(), r.boss->PlacementNode());
  float out[4];
  const float p[3] = {100.0f, 50.0f, 512.0f};
  c.Project(out, p, 512.0f);
  EXPECT_ALL({VAL(out[0], 50.0f), VAL(out[1], 25.0f), VAL(out[2], 0.0f), VAL(out[3], 1.0f)});
  SGpState_World tint;
  c.GetTopNode()->AddPacket(&tint);
  for (int32_t i = 0; i < r.boss->model.NodeCount(); ++i) r.boss->model.GetNode(i)->AddPacket(&tint);
  c.ClearNodePackets();
  EXPECT_EQ(c.GetTopNode()->GetPacketCount(), 0);
  for (int32_t i = 0; i < r.boss->model.NodeCount(); ++i) EXPECT_EQ(r.boss->model.GetNode(i)->GetPacketCount(), 0);
  BossPartsObject none(nullptr);
  EXPECT_ALL({VAL(none.GetNode(0) == nullptr, true), VAL(none.GetTopNode() == nullptr, true)});
  none.ClearNodePackets();
}

TEST(BossPartsObject, FastForwardOnlyWhileTheThirdButtonIsHeld) {
  ModelBoss r;
  ASSERT_NE(r.boss, nullptr);
  SGpMan gp;
  SPad& pad = r.m.rig.weapons.game.GamePadRef();
  // The pad's counters start released; without the button it never holds.
  EXPECT_EQ(pad.GetCounter(SPad::PAD_BUTTON3), -1);
  for (int i = 0; i < 5; ++i) pad.Update();
  EXPECT_LT(pad.GetCounter(SPad::PAD_BUTTON3), 0);
  auto* c = static_cast<Recorder*>(BossPartsObject::Attach(r.boss, new Recorder(&r.boss->model)));
  ASSERT_NE(c, nullptr);
  c->skipMask = 7;
  r.m.rig.Run(1);
  for (uint8_t cleared : {0, 1}) {
    gp.SetPresentSkip(cleared);
    r.m.rig.Run(3);
    EXPECT_EQ(gp.GetPresentSkip(), cleared);  // left as it was
  }
  // Held (raw word 6 is the third button): frames whose timer count is not
  // a multiple of 8 are not presented.
  pad.SetWord(7, 1);
  pad.Update();
  ASSERT_EQ(pad.GetCounter(SPad::PAD_BUTTON3), 0);
  c->timer.SetCount(0);
  std::vector<int> seen;
  for (int f = 0; f < 17; ++f) {
    gp.SetPresentSkip(0);
    r.m.rig.Run(1);  // code 8 sees count f, code 9 ticks
    seen.push_back(gp.GetPresentSkip());
  }
  // The last call of each frame (code 9) sees the count before its tick.
  const std::vector<int> want = {0, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 0};
  EXPECT_EQ(seen, want);
  // Released again: the request stays as the game cleared it.
  pad.SetWord(7, 0);
  pad.Update();
  gp.SetPresentSkip(0);
  r.m.rig.Run(3);
  EXPECT_EQ(gp.GetPresentSkip(), 0);
}

TEST(ColorFader, EasesThreeComponentsAndJumpsAtRateOne) {
  float out[4] = {0.0f, 0.0f, 0.0f, 0.5f};
  ColorFader f;
  f.Set(out);
  const float goal[4] = {1.0f, 2.0f, -4.0f, 1.0f};
  f.SetTarget(goal, 0.25f);
  f.Step();
  EXPECT_ALL({VAL(out[0], 0.25f), VAL(out[1], 0.5f), VAL(out[2], -1.0f), VAL(out[3], 0.5f)});
  f.Step();
  EXPECT_ALL({VAL(out[0], 0.4375f), VAL(out[3], 0.5f)});
  // Nearly 1.0 still only eases; exactly 1.0 jumps, the fourth too.
  f.SetTarget(goal, 0.999f);
  f.Step();
  EXPECT_NE(out[0], 1.0f);
  EXPECT_EQ(out[3], 0.5f);
  f.SetTarget(goal, 1.0f);
  EXPECT_ALL({VAL(f.current[0], 1.0f), VAL(f.current[3], 1.0f)});
  f.Step();
  EXPECT_ALL({VAL(out[0], 1.0f), VAL(out[1], 2.0f), VAL(out[2], -4.0f), VAL(out[3], 1.0f)});
  ColorFader unbound;  // no output yet: a step writes nothing
  unbound.Step();
}

TEST(BossOption2D, GlidesFadesInAndFadesOutOnItsBossCodes) {
  ModelBoss r;
  ASSERT_NE(r.boss, nullptr);
  SHandle<BossOption2D> h = BossOption2D::Spawn(r.boss, SprEfx02_5Keys);
  BossOption2D* o = h.Get();
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->GetName(), "Boss Option2D");
  EXPECT_ALL({VAL(o->GetListIndex(), 2),
              VAL(o->Position()[0], 40.0f), VAL(o->Position()[1], -60.0f), VAL(o->Position()[2], 8.0f)});
  o->SetPolarTarget(0.25f, 100.0f, 0.5f);  // straight down by 100
  r.m.rig.Run(1);                          // added
  r.m.rig.Run(1);
  EXPECT_NEAR(o->Position()[1], -10.0f, 1e-3f);
  EXPECT_NEAR(o->Position()[0], 40.0f, 1e-3f);
  EXPECT_EQ(o->alpha, 0.0f);  // count 0 before the increment
  // The quad: the part's size around the position, white at the alpha.
  const SVec3 v3 = o->Quad().GetVertexPos(3);
  // Its parts are 50 x 50: 25 either side.
  EXPECT_NEAR(v3.x, o->Position()[0] + 25.0f, 1e-3f);
  EXPECT_NEAR(v3.y, o->Position()[1] + 25.0f, 1e-3f);
  EXPECT_EQ(o->Quad().GetActiveCount(), 1);
  const float at[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  o->SetTarget(at, 1.0f);
  EXPECT_EQ(o->Position()[1], 0.0f);
  r.m.rig.Run(20);
  EXPECT_NEAR(o->alpha, 20.0f / 45.0f, 1e-6f);
  // A grab attempt reaches the boss's list 2: it fades out from where it is.
  r.boss->SendEvent(EObjBase::EV_GRAB_ATTEMPT, 0);
  EXPECT_EQ(o->fadeMode, BossOption2D::FADE_OUT);
  float a = o->alpha;
  for (int k = 0; k < 59; ++k) {
    r.m.rig.Run(1);
    a -= a * float(k) / 60.0f;
    ASSERT_FLOAT_EQ(o->alpha, a) << k;
  }
  EXPECT_NE(LiveProc(h), nullptr);
  r.m.rig.Run(1);  // the 60th frame of the fade: it ends itself
  EXPECT_EQ(LiveProc(h), nullptr);
  r.m.rig.Run(1);
  EXPECT_EQ(h.Get(), nullptr);
}

TEST(BossOption2D, FadeInReachesFortyFourFortyFifths) {
  ModelBoss r;
  ASSERT_NE(r.boss, nullptr);
  BossOption2D* o = BossOption2D::Spawn(r.boss, SprEfx02_5Keys);
  ASSERT_NE(o, nullptr);
  r.m.rig.Run(1 + 45);
  EXPECT_ALL({VAL(o->fadeMode, BossOption2D::SHOWN), VAL(o->alpha, 44.0f / 45.0f)});
  o->SendEvent(kHitEventDefeated, 0);
  EXPECT_EQ(o->fadeMode, BossOption2D::FADE_OUT);
}

TEST(BossOption3D, MovesItsModelRootTowardsItsGoal) {
  ModelBoss r;
  ASSERT_NE(r.boss, nullptr);
  BossOption3D* o = BossOption3D::Spawn(r.boss, &r.m.pair);
  ASSERT_NE(o, nullptr);
  ASSERT_NE(o->model.GetRootNode(), nullptr);
  EXPECT_EQ(o->Position(), &o->model.GetRootNode()->GetLocal()->m[3][0]);
  EXPECT_EQ(o->GetName(), "Boss Option3D");
  EXPECT_ALL({VAL(o->Position()[0], 40.0f),
              VAL(o->Position()[2], 8.0f)});
  o->SetPolarTarget3(0.0f, 50.0f, -20.0f, 1.0f);
  r.m.rig.Run(2);
  EXPECT_ALL({VAL(o->Position()[0], 90.0f), VAL(o->Position()[1], -60.0f), VAL(o->Position()[2], -12.0f)});
  o->SetPolarTarget(0.5f, 10.0f, 0.5f);
  r.m.rig.Run(1);
  EXPECT_NEAR(o->Position()[0], 60.0f, 1e-3f);  // half way from 90 to 30
  EXPECT_NEAR(o->Position()[2], -2.0f, 1e-3f);  // half way back to the boss's depth
  // Without a model it still glides, on a spare row.
  BossOption3D* bare = BossOption3D::Spawn(r.boss, nullptr);
  ASSERT_NE(bare, nullptr);
  r.m.rig.Run(2);
  EXPECT_EQ(bare->Position()[0], 40.0f);
}

TEST(ObjHolder, HoldsOneSpriteUntilReleasedAndSkipsAMissingOne) {
  testsupport::WeaponRig w;
  SGpSpriteBatch& sheet = w.game.LayerBatch(6);
  const int before = sheet.GetList()->Count();
  float at[4] = {5.0f, 6.0f, 0.0f, 1.0f};
  const float colour[4] = {0.9f, 0.7f, 0.7f, 0.5f};
  ObjHolder h;
  h.Create(6, at, SprEfx02_4Keys, colour, 0.0f, 2.0f, 2.0f);
  SGpSpriteCell* s = h.Sprite();
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->position, at);
  EXPECT_EQ(s->part, SprEfx02_4Keys[0].part);
  EXPECT_ALL({VAL(sheet.GetList()->Count(), before + 1), VAL(s->colour[3], 0.5f), VAL(s->scaleX, 2.0f),
              VAL(s->scaleY, 2.0f)});
  h.Step(3.0f);  // three frames a part
  EXPECT_EQ(s->part, SprEfx02_4Keys[1].part);
  h.Release();
  EXPECT_EQ(h.Sprite(), nullptr);
  EXPECT_EQ(sheet.GetList()->Count(), before);
  h.Release2();  // twice: nothing
  h.Step(1.0f);
  // The sheet gives the sprite back behind the holder's back: it holds
  // nothing and steps without it.
  h.Create(6, at, SprEfx02_4Keys, colour, 0.0f, 1.0f, 1.0f);
  delete h.Sprite();
  h.Step(1.0f);
  EXPECT_EQ(h.Sprite(), nullptr);
  // No such sheet: nothing held, nothing written.
  ObjHolder none;
  none.Create(99, at, SprEfx02_4Keys, colour, 0.0f, 1.0f, 1.0f);
  none.Step(1.0f);
  EXPECT_EQ(none.Sprite(), nullptr);
}

TEST(ChildSlots, SkipEmptySlotsAndChildrenThatEnded) {
  ModelBoss r;
  ASSERT_NE(r.boss, nullptr);
  ChildSlots<BossOption2D, 3> slots;
  slots.Set(0, BossOption2D::Spawn(r.boss, SprEfx02_5Keys));
  slots.Set(1, nullptr);  // an allocation that failed
  slots.Set(2, BossOption2D::Spawn(r.boss, SprEfx02_5Keys));
  EXPECT_EQ(slots.LiveCount(), 2);
  // Satellite 0 fades out and ends; the script goes on without it.
  slots.Live(0)->SendEvent(kHitEventDefeated, 0);
  r.m.rig.Run(62);
  std::vector<int> seen;
  slots.ForEach([&](BossOption2D& o, int i) {
    seen.push_back(i);
    o.SetPolarTarget(0.0f, 10.0f, 1.0f);
  });
  EXPECT_EQ(seen, std::vector<int>{2});
  EXPECT_EQ(slots.Live(0), nullptr);
  // No parent, or a parent without the list: nothing is made or kept.
  EXPECT_EQ(BossOption2D::Spawn(nullptr, SprEfx02_5Keys), nullptr);
  testsupport::RelayProc bare("Bare");  // never added: it takes no child
  EXPECT_EQ(BossOption2D::Spawn(&bare, SprEfx02_5Keys), nullptr);
  EXPECT_EQ(BossPartsObject::Attach(r.boss, nullptr), nullptr);
}

}  // namespace
