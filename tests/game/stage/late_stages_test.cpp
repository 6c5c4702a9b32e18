// Stages 4 and 5: the hall's shake worked by hand; the rocks' rand order,
// life and pool on the stage world; each stage started directly in the whole
// program runs to its end without an error line (stage 4 through its sky
// layer's rows and the closing flash to the stage result, stage 5 with its
// hall drawn at the shake and its music fade to the second ending); a frame
// of each with its lens flare; stage 4's two sky layers on the picture where
// their places put them, and its flare kept as it was through a pause.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/core/Game.h"
#include "game/core/SharedSpriteBatch.h"
#include "game/core/SystemFile.h"
#include "game/effect/EfxMan.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/player/Player.h"
#include "game/stage/Stage4.h"
#include "game/stage/Stage5.h"
#include "game/stage/MapMng.h"
#include "game/tables/effect_tables.h"
#include "platform/crt_rand.h"
#include "platform/sound_device.h"
#include "support/EffectWatch.h"
#include "support/ErrorBox.h"
#include "support/ExpectAll.h"
#include "support/ImageCompare.h"
#include "support/PlayWorld.h"
#include "support/SoundProbe.h"
#include "support/StageWorld.h"
#include "vrax/resource/SRsc_Sound.h"
#include "vrax/sound/SSndMan.h"

namespace {

constexpr float k = 1.0f / 32767.0f;

// Plays stage n started directly, firing with lives topped up, calling
// frame() after each frame, until the game root leaves the stage; the scene
// it went to. No error line may show, and the effects never run out of room.
int32_t RunToEnd(int32_t n, const std::function<void(Game*)>& frame) {
  testsupport::ErrorBoxCatcher box;
  testsupport::PlayOptions o;
  o.stage = n;
  o.livelyStage = true;
  testsupport::PlayWorld w(o);
  Game* g = w.G();
  w.stageMayEnd = true;
  w.Hold(plat::CabInput::kButton1);
  testsupport::EffectWatch effects;
  for (int f = 0; f < 20000 && g != nullptr && g->GetSceneId() == SCENE_STAGE; ++f) {
    g->lives = 3;
    w.Step();
    effects.Frame();
    frame(g);
  }
  EXPECT_TRUE(box.texts.empty()) << box.texts.front();
  effects.ExpectRoomAndNoStuckSprites("stage " + std::to_string(n));
  return g != nullptr ? g->GetSceneId() : -1;
}

// Stage n at rail position t after 20 frames, scenery alone (the enemy
// timeline stopped), compared with its reference picture; then `state`
// checks what the picture shows. The rail is at t + 20 on path 0, the
// camera at that key of the path, nothing spawned.
void Picture(int32_t n, float t, const char* golden, const std::function<void(Game*)>& state) {
  testsupport::PlayOptions o;
  o.stage = n;
  o.nullDevice = false;
  o.livelyStage = true;
  testsupport::PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  g_EnemySet.Reset();
  g_MapMng.SetSection(0, t);
  w.Step(20);
  plat::Image img;
  ASSERT_TRUE(w.H().Screenshot(&img));
  EXPECT_TRUE(testsupport::MatchesGolden(img, golden, 8, 400));
  const float* eye = g_MapMng.camera->GetPosition();
  const CamKey* key = g_MapMng.GetPath(0)->GetKey(int32_t(t) + 20);
  ASSERT_NE(key, nullptr);
  EXPECT_ALL({VAL(g_MapMng.t, t + 20.0f), VAL(g_MapMng.currentPath, 0), VAL(eye[0], key->x), VAL(eye[2], key->z),
              VAL(g_EnemyMan.CountChildren(), 0)});
  state(w.G());
}

// Live sprite particles on the lens-flare key lists.
int FlareSprites() {
  int n = 0;
  for (SObject* o = g_EfxMan.Live(1).HeadObj(); o != nullptr; o = o->GetNext()) {
    const SGpKeyList* keys = static_cast<EfxSprite*>(o)->track.GetList();
    n += keys == SprLensFlareKeysA || keys == SprLensFlareKeysB || keys == SprLensFlareKeysC ||
         keys == SprLensFlareKeysD;
  }
  return n;
}

// Every live effect element of the nine pools.
int LiveEffects() {
  int n = 0;
  for (int pool = 1; pool <= 9; ++pool) n += g_EfxMan.LiveCount(pool);
  return n;
}

// The sky layer at rail positions, from its rows: 2400 is 0.7 - 50 x 0.01 x
// 0.7; 2450 leaves 0.0 for the part from 3000 on.
struct SkyRow {
  float t;
  bool shown, hole;
  float alpha;
};
constexpr SkyRow kSkyRows[] = {
    {100, true, false, 0.3f},  {300, true, false, 0.6f}, {450, true, false, 0.4f},  {700, true, false, 0.2f},
    {1500, false, false, 0.2f}, {2200, true, true, 0.7f}, {2400, true, true, 0.35f}, {2600, false, true, 0.0f},
    {3200, true, true, 0.0f},  {5000, false, true, 0.0f},
};

TEST(Stage4, SkyRowsFlashAndARunToTheStageResult) {
  size_t row = 0;
  float flash = 0.0f, holeScrollY = 0.0f, lastY = 0.0f;
  // The live effects of each 600 frames at their fewest: every effect ends,
  // so with the ship firing throughout the count keeps coming back down.
  std::vector<int> fewest;
  int frames = 0;
  const int32_t end = RunToEnd(4, [&](Game* g) {
    if (frames++ % 600 == 0) fewest.push_back(LiveEffects());
    fewest.back() = std::min(fewest.back(), LiveEffects());
    auto* s = dynamic_cast<Stage4*>(g->GetList(GAME_LIST_STAGE)->Head());
    const Stage4Sky* sky = s != nullptr ? s->Sky() : nullptr;
    const float t = g_MapMng.t;
    if (sky == nullptr) return;
    if (row < std::size(kSkyRows) && std::fabs(t - kSkyRows[row].t) < 0.5f) {
      const SkyRow& r = kSkyRows[row++];
      EXPECT_EQ(sky->Shown(), r.shown) << r.t;
      EXPECT_EQ(sky->HoleLayer(), r.hole) << r.t;
      EXPECT_NEAR(sky->Alpha(), r.alpha, 0.002f) << r.t;
    }
    if (t > 2100.0f && t < 2110.0f) holeScrollY = sky->Layer().GetOffsetY() - lastY;
    lastY = sky->Layer().GetOffsetY();
    // Towards white (1.7) over 15 frames from 6999, back by 7194.
    if (t > 6999.0f && t < 7014.0f) flash = std::max(flash, g->GetFadeLevel());
    if (t > 7300.0f && t < 7301.0f) {
      EXPECT_EQ(g->GetFadeLevel(), 1.0f);
    }
  });
  EXPECT_ALL({VAL(row, std::size(kSkyRows)), VAL(end, SCENE_STAGE_RESULT)});
  EXPECT_NEAR(holeScrollY, -10.0f, 0.01f);  // the hole layer scrolls up
  EXPECT_GT(flash, 1.6f);
  for (size_t i = 0; i < fewest.size(); ++i) EXPECT_LE(fewest[i], 200) << "frames " << i * 600 << " on";
}

// Stage 4 started directly, its enemies taken away (the bosses' arena loops
// would hold the rail back) and its rail run on path 0 one key a frame;
// null when it did not start.
std::unique_ptr<testsupport::PlayWorld> StageFourOnItsRail() {
  testsupport::PlayOptions o;
  o.stage = 4;
  o.livelyStage = true;
  auto w = std::make_unique<testsupport::PlayWorld>(o);
  if (!w->Ok() || w->RunToControl(1000) < 0) return nullptr;
  g_EnemySet.Reset();
  g_EnemyMan.KillChildrenAll(0);
  w->Step();
  g_MapMng.armed = 0;
  g_MapMng.SetHoldState(2);
  g_MapMng.SetSpeed(1.0f);
  return w;
}

// Stage 4's rail as its set-up lays it, played. Each jump back takes the
// rail from its key to its landing as often as its count says, then lets it
// pass (the stretch between landing and key is skipped: after each landing
// the rail is put three keys short of the key again). The checkpoint keys set
// the game's checkpoint word, and a stage continued at checkpoint 1 or 2
// starts its rail at 4315 or 8000. At 2000 every object set is hidden but
// sets 2 and 6; at 3300 all are shown again. Set 7 draws at key 27.
TEST(Stage4, RailJumpsBackCheckpointsAndObjectSetsAsSetUp) {
  auto w = StageFourOnItsRail();
  ASSERT_NE(w, nullptr);
  Game* g = w->G();
  MapMng& m = g_MapMng;
  EXPECT_EQ(m.layers[7].drawKey, 27);
  // Runs frames until the rail's whole position is `key` (at most 20).
  const auto reach = [&](int32_t key) {
    for (int f = 0; f < 20 && int32_t(m.t) < key; ++f) {
      g->lives = 3;
      w->Step();
    }
    return int32_t(m.t) == key;
  };
  struct Jump {
    int32_t key, landing, count;
  };
  for (const Jump& j : {Jump{2756, 2656, 10}, Jump{5873, 5671, 7}, Jump{9658, 8868, 100}}) {
    SCOPED_TRACE(j.key);
    std::vector<int32_t> landings;
    m.t = float(j.key - 3);
    for (int f = 0; f < 2000 && m.currentPath == 0 && m.t < float(j.key + 2); ++f) {
      const float was = m.t;
      g->lives = 3;
      w->Step();
      if (m.t < was) {
        landings.push_back(int32_t(m.t));
        ASSERT_LE(landings.size(), size_t(j.count) + 1);
        m.t = float(j.key - 3);
      }
    }
    EXPECT_EQ(landings, std::vector<int32_t>(size_t(j.count), j.landing));
    EXPECT_EQ(int32_t(m.t), j.key + 2);  // then passed
    EXPECT_EQ(m.currentPath, 0);
  }
  // The checkpoint keys, from the start of the stage.
  struct Checkpoint {
    int32_t key, value;
  };
  ASSERT_EQ(g->checkpoint, 0);
  for (const Checkpoint& c : {Checkpoint{4314, 1}, Checkpoint{7995, 2}}) {
    m.t = float(c.key - 3);
    ASSERT_TRUE(reach(c.key - 1));
    EXPECT_EQ(g->checkpoint, c.value - 1) << c.key;
    ASSERT_TRUE(reach(c.key));
    EXPECT_EQ(g->checkpoint, c.value) << c.key;
  }
  // The object sets by key: 1 shown, 0 hidden.
  struct Shown {
    int32_t key;
    int32_t sets[8];
  };
  for (const Shown& r : {Shown{2000, {0, 0, 1, 0, 0, 0, 1, 0}}, Shown{3299, {0, 0, 1, 0, 0, 0, 1, 0}},
                         Shown{3300, {1, 1, 1, 1, 1, 1, 1, 1}}}) {
    m.t = float(r.key - 3);
    ASSERT_TRUE(reach(r.key));
    for (int n = 0; n < 8; ++n) EXPECT_EQ(m.layers[n].enable, r.sets[n]) << "key " << r.key << ", set " << n;
  }
  // The restart points: a stage continued at checkpoint 1 or 2 starts its
  // rail, as the stage's start resets the play, at 4315 or 8000.
  for (const Checkpoint& c : {Checkpoint{4315, 1}, Checkpoint{8000, 2}}) {
    m.SetSection(0, 100.0f);
    g->checkpoint = c.value;
    g->ResetStageState();
    EXPECT_ALL({VAL(m.currentPath, 0), VAL(m.t, float(c.key))});
  }
}

// The sun's place on the screen, (480 X / W, -640 Y / W), worked by hand for
// an identity view and projection (W = 1): 480 x 54331.965 and -640 x
// 41300.098. A projection that leaves W at 0 places it at the centre
// instead of dividing by zero.
TEST(Stage4, SunOnScreenDividesByWAndAZeroWIsTheCentre) {
  RailCamera& cam = *g_MapMng.camera;
  const SMatrix view = cam.view, projection = cam.projection;
  SMatrix zero{};
  struct Row {
    SMatrix projection;
    float x, y;
  };
  const Row rows[] = {{kIdentityMatrix, 26079343.2f, -26432062.72f}, {zero, 0.0f, 0.0f}};
  cam.view = kIdentityMatrix;
  for (const Row& r : rows) {
    cam.projection = r.projection;
    const SVec2 sun = Stage4Sky::SunOnScreen();
    EXPECT_ALL({VAL(sun.x, r.x), VAL(sun.y, r.y)});
  }
  cam.view = view;
  cam.projection = projection;
}

TEST(Stage4, PictureOfTheSunsFlare) {
  // At 7040 the fog runs 40/230 of the way from 0-35000 to 0-15000, black;
  // the sky layer shows nothing there (its rows end at 3550); past 6999 the
  // sun's flare, one sprite for each of its 15 records, spawned each frame.
  Picture(4, 7020.0f, "stage4_frame.png", [](Game* g) {
    float start = 0, end = 0;
    g->StageFog().GetRange(&start, &end);
    const SGpColour& c = g->StageFog().GetColour();
    auto* s = dynamic_cast<Stage4*>(g->FindInList("Stage4", GAME_LIST_STAGE));
    ASSERT_TRUE(s != nullptr && s->Sky() != nullptr);
    EXPECT_ALL({VAL(g->StageFog().GetEnable(), 1), VAL(start, 0.0f), VAL(c.r + c.g + c.b, 0.0f),
                VAL(s->Sky()->Shown(), false), VAL(FlareSprites() % 15, 0), VAL(FlareSprites() > 0, true)});
    EXPECT_NEAR(end, 31521.74f, 0.05f);
  });
}

// Pixels of [x0, x1) x [y0, y1), clipped to the picture, whose colour in a
// and b differs by more than 2 in some channel.
int Changed(const plat::Image& a, const plat::Image& b, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = std::max(y0, 0); y < std::min(y1, a.height); ++y)
    for (int x = std::max(x0, 0); x < std::min(x1, a.width); ++x) {
      const uint32_t p = testsupport::PixelAt(a, x, y), q = testsupport::PixelAt(b, x, y);
      for (int shift : {0, 8, 16})
        if (std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)) > 2) {
          ++n;
          break;
        }
    }
  return n;
}

// Stage 4's scenery (the enemy timeline stopped) on the OpenGL device with
// the rail put at t, after the rail has passed 2000 (the hole layer set up)
// when `hole`; then paused there: a picture with the sky layer and, a paused
// frame later, one without it. The sky's scroll and the eye are kept for
// working out where the layer stands; `scene` runs before the pictures.
struct SkyShot {
  plat::Image with, without;
  float scrollX = 0.0f, scrollY = 0.0f, alpha = 0.0f;
  bool holeLayer = false;
  SVec3 eye{};
};
void ShootSky(float t, bool hole, SkyShot* shot, const std::function<void()>& scene = [] {}) {
  testsupport::PlayOptions o;
  o.stage = 4;
  o.nullDevice = false;
  o.livelyStage = true;
  testsupport::PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  for (int f = 0; f < 200 && w.G()->GetFadeLevel() != 1.0f; ++f) w.Step();
  g_EnemySet.Reset();
  if (hole) {
    g_MapMng.SetSection(0, 1999.5f);
    w.Step(2);
  }
  g_MapMng.SetSection(0, t - 1.0f);
  w.Step();
  ASSERT_EQ(g_MapMng.t, t);
  auto* s = dynamic_cast<Stage4*>(w.G()->FindInList("Stage4", GAME_LIST_STAGE));
  ASSERT_TRUE(s != nullptr && s->Sky() != nullptr);
  Stage4Sky* sky = s->Sky();
  shot->scrollX = sky->Layer().GetOffsetX(), shot->scrollY = sky->Layer().GetOffsetY();
  shot->alpha = sky->Alpha(), shot->holeLayer = sky->HoleLayer();
  const float* eye = g_MapMng.camera->GetPosition();
  shot->eye = SVec3{eye[0], eye[1], eye[2]};
  scene();
  w.G()->SetPause(true);
  w.Step(2);
  ASSERT_TRUE(w.H().Screenshot(&shot->with));
  sky->Kill(0);
  w.Step();
  ASSERT_TRUE(w.H().Screenshot(&shot->without));
}

// Where the sky layer's places put it, worked by hand. The layer is seen
// from the rail camera's eye looking along +z, upside down, the eye 512 units
// further back: a world point p stands at depth p.z - eye.z + 512, (p.x -
// eye.x) to the right and (p.y - eye.y) downward, at 384 / depth pixels a
// unit on the 640 x 480 picture (a unit is 0.75 pixels on the play plane,
// 512 away). The layer is a grid centred on its translation plus its scroll.
struct Box {
  float x0, y0, x1, y1;
};
Box SkyBox(const SkyShot& s, float tx, float ty, float tz, float halfW, float halfH) {
  const float k = 384.0f / (tz - s.eye.z + 512.0f);
  const float cx = 320.0f + k * (tx + s.scrollX - s.eye.x), cy = 240.0f + k * (ty + s.scrollY - s.eye.y);
  return Box{cx - k * halfW, cy - k * halfH, cx + k * halfW, cy + k * halfH};
}

TEST(Stage4, SkyLayersChangeThePictureWhereTheirPlacesPutThem) {
  // Rail 400: the cloud layer at alpha 0.6, 10 x 10 cells of 5120 scaled by
  // 2 about (-50233, 6870, 14793): 102400 units square, 20105 units from the
  // eye at key 400 of the path, (260, 27, -4800). Its right edge, at x 967
  // plus the scroll (0 to 5120), stands 13 to 111 pixels right of the
  // centre; the grid reaches far past the picture's other edges.
  {
    SkyShot s;
    ShootSky(400.0f, false, &s);
    if (HasFatalFailure()) return;
    ASSERT_FALSE(s.holeLayer);
    EXPECT_FLOAT_EQ(s.alpha, 0.6f);
    const Box b = SkyBox(s, -50233.0f, 6870.0f, 14793.0f, 51200.0f, 51200.0f);
    ASSERT_GT(b.x1, 340.0f);
    ASSERT_LT(b.x1, 480.0f);
    ASSERT_LT(b.y0, 0.0f);
    const int edge = int(std::lround(b.x1));
    // Nothing changes right of the edge; over the sky left of it the
    // clouds change most pixels (a few of the texture's match the sky).
    EXPECT_EQ(Changed(s.with, s.without, edge + 2, 0, 640, 480), 0);
    const int area = (edge - 2 - 150) * 120;
    EXPECT_GT(Changed(s.with, s.without, 150, 0, edge - 2, 120), area / 2) << area;
  }
  // Rail 2200: the hole layer at alpha 0.7, 1 x 10 cells of 1714 x 2048
  // about (-3667, -5077, -4750), 22162 units from the eye at (-150, 27,
  // -26400): a strip 30 pixels wide and 355 high, 61 left of the centre. An effect sprite on the
  // items' layer (the next key) right of it stays as it is: the fog the
  // layers after the sky draw with is the stage's.
  {
    SkyShot s;
    ShootSky(2200.0f, true, &s, [] {
      const SVec4 at{100.0f, -200.0f, 0.0f, 1.0f};
      const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
      ASSERT_NE(g_EfxMan.SpawnSprite(SharedSpriteBatch::kDrawKey, &at, SprEfx_11Keys, white, white, 1000, 0, 0.0f, 40.0f,
                                     40.0f, nullptr, nullptr, 0.0f, 1),
                nullptr);
    });
    if (HasFatalFailure()) return;
    ASSERT_TRUE(s.holeLayer);
    EXPECT_FLOAT_EQ(s.alpha, 0.7f);
    const Box b = SkyBox(s, -3667.0f, -5077.0f, -4750.0f, 857.0f, 10240.0f);
    ASSERT_GT(b.x1 - b.x0, 25.0f);
    ASSERT_LT(b.x1 - b.x0, 35.0f);
    const int x0 = int(b.x0) - 1, x1 = int(b.x1) + 2, y0 = int(b.y0) - 1, y1 = int(b.y1) + 2;
    const int inside = Changed(s.with, s.without, x0, y0, x1, y1);
    EXPECT_EQ(Changed(s.with, s.without, 0, 0, 640, 480) - inside, 0);
    EXPECT_GT(inside, (x1 - x0) * (y1 - y0) / 10);
    // The sprite itself is there to be kept: white over the fogged stage.
    EXPECT_GT(testsupport::PixelAt(s.with, 395, 90) & 0xFF, 0xE0u);
  }
}

// The sun's flare through a pause (the continue prompt's): in play each frame's
// draw spawns the 15 flare sprites, each living one frame: the end step of
// its frame ends that life, the next finds its key track run out and the one
// after frees it, so 30 are live after a frame and a frame's draw shows 45.
// Paused, the end steps stop and a paused frame spawns none: the 45 of the
// last frame drawn stay, through 200 frames; the play goes on at 30.
TEST(Stage4, APausedGameKeepsTheSunsFlareAsItWas) {
  testsupport::PlayOptions o;
  o.stage = 4;
  o.livelyStage = true;
  testsupport::PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  g_EnemySet.Reset();
  g_MapMng.SetSection(0, 7020.0f);
  w.Step(3);
  ASSERT_EQ(FlareSprites(), 30);
  w.G()->SetPause(true);
  std::vector<int> paused;
  for (int f = 1; f <= 200; ++f) {
    w.Step();
    if (f == 1 || f == 20 || f == 100 || f == 200) paused.push_back(FlareSprites());
  }
  EXPECT_EQ(paused, std::vector<int>({45, 45, 45, 45}));
  w.G()->SetPause(false);
  w.Step(2);
  EXPECT_EQ(FlareSprites(), 30);
}

// The hall's shake x at rail keys k, worked by hand: a (sin((k mod 4) pi / 4
// + 4.712389) + 1) / 2, negated when k div 3 is even; a = 200 min((k -
// 4400) / 200, 1) plus the window's jolt.
constexpr float kShakeRows[][2] = {{4399, 0.0f},       {4401, 0.1464f},    {4600, 0.0f},  {4601, 102.4404f},
                                   {4602, -349.0143f}, {4603, -593.7077f}, {4650, -100}, {4885, -203.9435f}};

TEST(Stage5, ShakeGrowsJoltsAndAlternates) {
  for (const auto& r : kShakeRows) EXPECT_NEAR(Stage5::ShakeX(int32_t(r[0])), r[1], 0.01f) << r[0];
}

class Rocks : public testsupport::StageWorld {
 protected:
  void SetUp() override {
    StageWorld::SetUp();
    rocks.SetStatic(true);
    ASSERT_EQ(kernel.AddChild(2, &rocks, 0), 0);
  }
  RockPiece* Piece(int i) {
    SObject* o = rocks.Live().HeadObj();
    while (o != nullptr && i-- > 0) o = o->GetNext();
    return static_cast<RockPiece*>(o);
  }
  RockPiece* Spawn(int32_t c = 1, int32_t d = 1000) { return rocks.SpawnRock(SVec4{0, 0, 2000, 1}, c, d); }
  Stage5Rock rocks;
};

TEST_F(Rocks, SpawnDrawsElevenNumbersInOrderAndUpdatesDrawOneOrSeven) {
  // rand from seed 0: 38, 7719, 21238, 2437, 8855, 11797, 8365, 32285, three
  // unused, then 28100 (no dust: 0.2 or more) and 1142 (dust: six more).
  plat::SRand(0);
  RockPiece* r = Spawn(3, 100);
  ASSERT_NE(r, nullptr);
  const float s0 = 38 * k * 3 * 0.2f + 0.3f;
  EXPECT_ALL({VAL(r->startScale, s0), VAL(r->endScale, (7719 * k * 0.5f + 1.0f) * s0),
              VAL(r->startRot.x, 2437 * k), VAL(r->startRot.y, 21238 * k), VAL(r->startRot.z, 8855 * k),
              VAL(r->endRot.x, 2437 * k + (11797 * k - 0.5f) * 3.0f),
              VAL(r->endRot.y, 21238 * k + (8365 * k - 0.5f) * 3.0f),
              VAL(r->endRot.z, 8855 * k + (32285 * k - 0.5f) * 3.0f), VAL(plat::RandSeed(), 2531105853u)});
  r->Update();
  EXPECT_EQ(plat::RandSeed(), 3989110284u);
  r->Update();
  EXPECT_ALL({VAL(plat::RandSeed(), 2343900709u), VAL(r->counter, 2)});
}

TEST_F(Rocks, TheFourAt3970LiveTheirDurationsPlusOneFrames) {
  // Spawned and updated in the frame of 3970 (frame 0, counter 0), updated
  // while the counter is at most the duration: the rock of 80 frames goes
  // in frame 81, those of 90, 100 and 120 in 91, 101 and 121.
  std::vector<int> gone;
  for (int f = 0, live = 0; f < 130; ++f) {
    map.t = 3970.0f + float(f);
    static_cast<SProc&>(rocks).Main(0);
    if (rocks.Live().Count() < live) gone.push_back(f);
    live = rocks.Live().Count();
  }
  EXPECT_EQ(gone, (std::vector<int>{81, 91, 101, 121}));
}

TEST_F(Rocks, AFullPoolGivesNothingAndResumesAfterTheLastCellTaken) {
  for (int i = 0; i < Stage5Rock::kPoolCells; ++i) ASSERT_NE(Spawn(), nullptr) << i;
  const uint32_t seed = plat::RandSeed();
  EXPECT_EQ(Spawn(), nullptr);
  EXPECT_EQ(plat::RandSeed(), seed);  // nothing drawn
  Piece(300)->Release(1);
  Piece(5)->Release(1);
  EXPECT_EQ(rocks.Pool().FreeCount(), 2);
  // The cursor went round to 0: cell 5 first, then 300.
  EXPECT_EQ(rocks.Pool().IndexOf(Spawn()), 5);
  EXPECT_EQ(rocks.Pool().IndexOf(Spawn()), 300);
  EXPECT_EQ(Spawn(), nullptr);
}

int32_t MusicVolume(int32_t entry) {
  auto* bank = dynamic_cast<SRsc_Sound*>(GetRscMan()->Find("\\sound\\osr_bgm_low", RscTag("SND")));
  int32_t v = 1;
  if (bank != nullptr && entry < int32_t(bank->Bank()->entries.size()))
    bank->Bank()->entries[size_t(entry)]->buffer->GetVolume(&v);
  return v;
}

// A stage scene's dispose stops the music it started: stages 1 to 4 their
// own entry (stage 2: entry 1) and the shared entry 5; stage 5 its entry 4
// and nothing else.
TEST(StageMusic, TheDisposeStopsTheEntriesOfItsStage) {
  struct Case {
    int32_t stage;
    const char* name;
    std::vector<bool> playing;  // entries 0 to 5 after the dispose
  } cases[] = {
      {2, "Stage2", {true, false, true, true, true, false}},
      {5, "Stage5", {true, true, true, true, false, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stage);
    testsupport::PlayOptions o;
    o.stage = c.stage;
    o.livelyStage = true;
    testsupport::PlayWorld w(o);
    ASSERT_GE(w.RunToControl(1000), 0);
    SRsc* music = GetRscMan()->Find("\\sound\\osr_bgm_low", RscTag("SND"));
    ASSERT_NE(music, nullptr);
    SProc* scene = w.G()->FindInList(c.name, GAME_LIST_STAGE);
    ASSERT_NE(scene, nullptr);
    for (int32_t n = 0; n < 6; ++n) testsupport::LoopSound(music, n);
    SHandle<SProc> alive(scene);
    scene->Kill(0);
    for (int f = 0; f < 5 && alive.Get() != nullptr; ++f) w.Step();
    ASSERT_EQ(alive.Get(), nullptr);
    std::vector<bool> playing;
    for (int32_t n = 0; n < 6; ++n) playing.push_back(testsupport::SoundPlaying(music, n));
    EXPECT_EQ(playing, c.playing);
  }
}

TEST(Stage5, RunsToTheSecondEndingWithItsShakeAndMusicFade) {
  int shaken = 0, halfway = 0, key = 0;
  const int32_t end = RunToEnd(5, [&](Game* g) {
    // The falling pillars are drawn at the shake of the position the frame
    // drew (the rail moves on after the drawing).
    const int32_t drawn = key;
    key = StageProc::RailKey();
    if (drawn >= 4601 && drawn < 4700 && g->GetList(GAME_LIST_STAGE)->Head() != nullptr) {
      const float x = g_MapMng.layers[7].placedMatrix.m[3][0];
      EXPECT_FLOAT_EQ(x, Stage5::ShakeX(drawn)) << drawn;
      for (const auto& r : kShakeRows)
        if (int32_t(r[0]) == drawn) { EXPECT_NEAR(x, r[1], 0.01f) << drawn; }
      ++shaken;
    }
    // Half way through the fade, v = 60/120: at the music volume of 100 the
    // curve is 1.0, so music entry 4 is at 65536 x 0.5 = 32768, which is
    // 32768 x 10000 / 65536 - 10000 = -5000 hundredths of a dB.
    if (key == 5240 && ++halfway) {
      EXPECT_EQ(g->settings[SettingsWord::musicVolume], 100);
      EXPECT_EQ(MusicVolume(4), -5000);
    }
  });
  EXPECT_ALL({VAL(shaken, 99), VAL(halfway, 1), VAL(end, SCENE_ENDING2)});
}

// Stage 5's sound effects on the frame the rail's whole position reaches
// their keys: 26 at 3921 (with the Player put in its scripted state) and 33 at 4600 at
// level 61440, 25 at 4723 and 24 at 4850 at 65536; 26 stops at 4900. With
// the effect volume at 100: 61440 x 10000 / 65536 - 10000 = -625, and 65536
// gives 0 hundredths of a dB.
TEST(Stage5, SoundEffectsAtTheirRailKeys) {
  testsupport::PlayOptions o;
  o.stage = 5;
  o.livelyStage = true;
  testsupport::PlayWorld w(o);
  ASSERT_GE(w.RunToControl(1000), 0);
  w.G()->settings[SettingsWord::effectVolume] = 100;
  SRsc* se = testsupport::EffectBank();
  ASSERT_NE(se, nullptr);
  // No enemies: the bosses' arena loops would hold the rail back.
  g_EnemySet.Reset();
  g_EnemyMan.KillChildrenAll(0);
  w.Step();
  g_MapMng.armed = 0;
  // Up to the frame whose whole rail position is `key`, half a key a frame;
  // false when the effect played before that frame.
  auto toKey = [&](int32_t key, int32_t effect) {
    g_MapMng.SetHoldState(2);
    g_MapMng.SetSpeed(0.5f);
    g_MapMng.t = float(key) - 1.5f;
    bool early = false;
    for (int f = 0; f < 8 && StageProc::RailKey() < key; ++f) {
      early = early || testsupport::SoundPlayed(se, effect);
      w.Step();
    }
    return !early && StageProc::RailKey() == key;
  };
  struct Case {
    int32_t key, effect, volume;
  };
  for (const Case& c : {Case{3921, 26, -625}, Case{4600, 33, -625}, Case{4723, 25, 0}, Case{4850, 24, 0}}) {
    SCOPED_TRACE(c.key);
    testsupport::MarkSound(se, c.effect);
    ASSERT_TRUE(toKey(c.key, c.effect));
    EXPECT_TRUE(testsupport::SoundPlayed(se, c.effect));
    EXPECT_EQ(testsupport::SoundVolume(se, c.effect), c.volume);
    if (c.key == 3921) {
      EXPECT_EQ(g_Player.state, Player::STATE_SCRIPTED);
    }
  }
  testsupport::LoopSound(se, 26);
  ASSERT_TRUE(toKey(4899, 99));
  EXPECT_TRUE(testsupport::SoundPlaying(se, 26));
  w.Step(2);
  ASSERT_EQ(StageProc::RailKey(), 4900);
  EXPECT_FALSE(testsupport::SoundPlaying(se, 26));
}

TEST(Stage5, PictureOfTheCollapseAndTheFlare) {
  // The last frame drew key 4759 (the rail moves on after the drawing):
  // stones falling (slots 29 to 34 at time 170 x 59 x 0.005 = 50.15), the
  // hall shaken by a = 200 + 700 (cos(39/50 pi) + 1) / 2 = 280.3204 times
  // 0.853553 (4759 mod 4 = 3), negated (4759 div 3 even): x = -239.2684; the
  // sky at the camera (as it stood at 4759) plus 10000 in z, scaled 0.21;
  // no fog past 4350.
  Picture(5, 4740.0f, "stage5_frame.png", [](Game* g) {
    const SMatrix& sky = g_MapMng.layers[4].placedMatrix;
    const float drawnZ = g_MapMng.GetPath(0)->GetKey(4759)->z;
    EXPECT_ALL({VAL(g->StageFog().GetEnable(), 0), VAL(sky.m[0][0], 0.21f), VAL(sky.m[3][2], drawnZ + 10000.0f)});
    EXPECT_NEAR(g_MapMng.layers[29].animTime, 50.15f, 1e-3f);
    EXPECT_NEAR(g_MapMng.layers[2].placedMatrix.m[3][0], -239.2684f, 1e-3f);
  });
}

}  // namespace
