#include <gtest/gtest.h>

#include <cmath>

#include "game/core/Game.h"

namespace {

// (x, y, z, 1) x m.
SVec4 Apply(const SMatrix& m, float x, float y, float z) {
  const SVec3 v{x, y, z};
  SVec4 out;
  SVec3Transform(&out, &v, &m);
  return out;
}

class GameLayers : public ::testing::Test {
 protected:
  GameLayers() {
    game.InitDrawLayers();
    game.SetViewMode(10);
    game.BuildViews();
  }
  const SMatrix& View(int k) { return game.LayerView(k).GetMatrix(); }
  // The packet at a block position in force when layer k's packets run:
  // blocks execute from layer 36 down, so the nearest block at or above k
  // that sets the position wins.
  SGpObj* InForce(int k, int pos) {
    for (int j = k; j < Game::kLayers; ++j)
      if (SGpObj* p = game.LayerBlock(j).GetPacket(pos)) return p;
    return nullptr;
  }
  Game game;
};

TEST_F(GameLayers, PlayAndFixedLayersAgreeWithoutShakeAndFarLayersSitAtTheFarPlane) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(View(0).m[r][c], View(4).m[r][c]) << r << "," << c;
  EXPECT_FLOAT_EQ(Apply(View(12), 0, 0, 0).z, -65535.0f);
  EXPECT_FLOAT_EQ(Apply(View(0), 0, 0, 0).z, -512.0f);
  for (int k : {0, 12}) {
    const SVec4 p = Apply(View(k), 100, 100, 0);
    EXPECT_GT(p.x, 0.0f) << k;  // right of the centre
    EXPECT_LT(p.y, 0.0f) << k;  // below it (view y grows upwards)
  }
  // A point deeper into the screen lies further from the eye.
  EXPECT_LT(Apply(View(5), 0, 0, 100).z, Apply(View(5), 0, 0, 0).z);
}

TEST_F(GameLayers, ProjectionsByLayerAndViewMode) {
  for (int k = 0; k < Game::kLayers; ++k) {
    const float want = (k == 12 || k == 36) ? 65535.0f : (k == 15 ? 0.0f : 512.0f);
    EXPECT_EQ(game.LayerProjection(k).GetDistance(), want) << k;
    EXPECT_FLOAT_EQ(game.LayerProjection(k).GetWidth(), 853.33f) << k;
  }
  game.SetViewMode(2);
  EXPECT_FLOAT_EQ(game.LayerProjection(0).GetWidth(), 640.0f);
  EXPECT_FLOAT_EQ(game.PlayRect()[2], 640.0f);
  game.BuildViews();
  // The vertical screen turns the picture a quarter turn: play x runs along
  // the view's y.
  const SVec4 p = Apply(View(0), 100, 0, 0);
  EXPECT_NEAR(p.x, 0.0f, 1e-3f);
  EXPECT_NEAR(std::abs(p.y), 100.0f, 1e-3f);
}

TEST_F(GameLayers, ViewModesCopyTheirViewAtTheEyeIntoTheCameraObjects) {
  // Mode 10: the flip diag(1, -1, -1) placed at (0, 0, -512).
  const float upright[4][4] = {{1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 0}, {0, 0, -512, 1}};
  // Mode 2: the flip times a turn of -pi/2 about z, rows (0, -1, 0) and
  // (-1, 0, 0).
  const float turned[4][4] = {{0, -1, 0, 0}, {-1, 0, 0, 0}, {0, 0, -1, 0}, {0, 0, -512, 1}};
  for (int node = 0; node < 2; ++node)
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) EXPECT_NEAR(game.CameraNode(node).m[r][c], upright[r][c], 1e-6) << r << c;
  game.SetViewMode(2);
  for (int node = 0; node < 2; ++node)
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) EXPECT_NEAR(game.CameraNode(node).m[r][c], turned[r][c], 1e-6) << r << c;
}

TEST_F(GameLayers, ZModeAlphaAndBlendOfTheBlocks) {
  EXPECT_EQ(InForce(13, 9), &ZModePresets[5]);  // left by layer 14
  EXPECT_EQ(game.LayerBlock(12).GetPacket9(), &ZModePresets[0]);
  EXPECT_EQ(game.LayerBlock(2).GetPacket10(), &BlendPresets[2]);
  EXPECT_EQ(game.LayerBlock(1).GetPacket10(), &BlendPresets[1]);
  EXPECT_EQ(game.LayerBlock(36).GetPacket10(), &BlendPresets[0]);
  EXPECT_EQ(game.LayerBlock(14).GetPacket11(), &AlphaTestPresets[0]);
  auto* b = static_cast<SGpState_AlphaTest*>(game.LayerBlock(15).GetPacket11());
  EXPECT_EQ(b->GetMode(), 5);
  auto* a = static_cast<SGpState_AlphaTest*>(game.LayerBlock(0).GetPacket11());
  EXPECT_EQ(a->GetMode(), 6);
  EXPECT_EQ(a->GetReference(), 0.0f);
  // Shared view packets.
  EXPECT_EQ(game.LayerBlock(27).GetPacket4(), &game.LayerView(25));
  EXPECT_EQ(game.LayerBlock(31).GetPacket4(), &game.LayerView(6));
  EXPECT_EQ(game.LayerBlock(32).GetPacket4(), &game.LayerView(7));
  for (int k = 0; k < Game::kLayers; ++k) {
    EXPECT_EQ(game.LayerBlock(k).GetPacket1(), &game.LayerProjection(k)) << k;
    EXPECT_EQ(game.LayerBlock(k).GetPacket7(), nullptr) << k;
    EXPECT_EQ(game.LayerBlock(k).GetPacket12(), nullptr) << k;
  }
}

TEST_F(GameLayers, StageFogAndLightsReachExactlyTheirLayers) {
  for (int k = 0; k < Game::kLayers; ++k) {
    const bool stageFog = k == 36 || k == 30 || k == 29 || (k >= 21 && k <= 27);
    EXPECT_EQ(InForce(k, 8), stageFog ? static_cast<SGpObj*>(&game.StageFog()) : &game.PlainFog()) << k;
    SGpObj* light = InForce(k, 5);
    SGpObj* ambient = InForce(k, 6);
    if (k == 36) {
      EXPECT_EQ(light, nullptr);
    } else if (k == 35 || k == 34 || k == 33 || k == 30 || k == 29 || (k >= 23 && k <= 27)) {
      EXPECT_EQ(light, &game.LightA()) << k;
      EXPECT_EQ(ambient, &game.Ambient10()) << k;
    } else if (k == 32 || k == 31) {
      EXPECT_EQ(light, &game.LightB()) << k;
      EXPECT_EQ(ambient, &game.Ambient10()) << k;
    } else if (k >= 16 && k <= 22) {
      EXPECT_EQ(light, &game.LightB()) << k;
      EXPECT_EQ(ambient, &game.Ambient07()) << k;
    } else if (k == 28) {
      EXPECT_EQ(light, &game.LightC()) << k;
      EXPECT_EQ(ambient, &game.Ambient07()) << k;
    } else {
      EXPECT_EQ(light, &game.LightD()) << k;
      EXPECT_EQ(ambient, &game.Ambient05()) << k;
    }
  }
  EXPECT_EQ(game.StageFog().GetEnable(), 0);
}

// The layer table, every row and every column: what each layer's state
// block holds at positions 4 (the view), 10 (blend), 9 (Z mode), 11 (alpha
// test), 8 (fog), 5 (light), 6 (ambient) and 0 (cull), with the view's kind
// read off its matrix. Every block also holds its own projection at 1, the
// shared view rectangle at 2 and clip A at 3; positions 7 and 12 stay empty.
enum class View { Fixed, Play, Far, Stage, Rotation };
struct LayerRow {
  int layer;
  View view;
  int viewOf;  // whose view packet: -1 its own
  int blend, z;  // z -1: not set
  char alpha;    // 'A', 'B', '0' (preset 0, off)
  char fog;      // '-', 'p' plain, 's' stage
  char light;    // '-', 'A' to 'D'
  float ambient; // 0: not set
  bool cull;
};
constexpr LayerRow kLayerRows[] = {
    {0, View::Fixed, -1, 1, -1, 'A', '-', '-', 0, false},
    {1, View::Fixed, -1, 1, -1, 'A', '-', '-', 0, false},
    {2, View::Fixed, -1, 2, -1, 'A', '-', '-', 0, false},
    {3, View::Fixed, -1, 1, -1, 'A', '-', '-', 0, false},
    {4, View::Play, -1, 2, -1, 'A', '-', '-', 0, false},
    {5, View::Play, -1, 1, -1, 'A', '-', '-', 0, false},
    {6, View::Play, -1, 2, -1, 'A', '-', '-', 0, false},
    {7, View::Play, -1, 1, -1, 'A', '-', '-', 0, false},
    {8, View::Play, -1, 2, -1, 'A', '-', '-', 0, false},
    {9, View::Play, -1, 1, -1, 'A', '-', '-', 0, false},
    {10, View::Play, -1, 1, -1, 'A', '-', '-', 0, false},
    {11, View::Fixed, -1, 1, -1, 'A', '-', '-', 0, false},
    {12, View::Far, -1, 0, 0, 'A', '-', '-', 0, false},
    {13, View::Play, -1, 2, -1, 'A', '-', '-', 0, false},
    {14, View::Play, -1, 1, 5, '0', 'p', '-', 0, false},
    {15, View::Play, -1, 1, 1, 'B', '-', 'D', 0.5f, false},
    {16, View::Play, -1, 2, -1, 'A', '-', '-', 0, false},
    {17, View::Play, -1, 1, 4, '0', 'p', '-', 0, false},
    {18, View::Play, -1, 1, 6, 'A', '-', '-', 0, false},
    {19, View::Play, -1, 1, 1, 'A', '-', '-', 0, false},
    {20, View::Rotation, -1, 1, 4, 'A', 'p', '-', 0, false},
    {21, View::Play, -1, 1, 6, 'A', '-', '-', 0, false},
    {22, View::Play, -1, 1, 1, 'A', '-', 'B', 0.7f, true},
    {23, View::Play, -1, 1, 4, 'A', '-', '-', 0, false},
    {24, View::Rotation, -1, 0, 1, 'A', '-', '-', 0, false},
    {25, View::Stage, -1, 0, -1, 'A', '-', '-', 0, false},
    {26, View::Stage, -1, 1, 0, 'A', '-', '-', 0, false},
    {27, View::Stage, 25, 1, -1, 'A', 's', 'A', 1.0f, false},
    {28, View::Play, -1, 1, -1, 'A', 'p', 'C', 0.7f, true},
    {29, View::Stage, -1, 0, -1, 'A', '-', '-', 0, false},
    {30, View::Stage, 25, 0, 1, 'A', 's', 'A', 1.0f, false},
    {31, View::Play, 6, 2, -1, 'A', '-', '-', 0, false},
    {32, View::Play, 7, 1, 6, 'A', 'p', 'B', 0, false},
    {33, View::Stage, -1, 1, -1, '0', '-', '-', 0, false},
    {34, View::Stage, -1, 0, -1, 'A', '-', '-', 0, false},
    {35, View::Stage, 25, 0, 1, 'A', 'p', 'A', 1.0f, false},
    {36, View::Far, -1, 0, 0, '0', 's', '-', 0, false},
};

// A game whose drawing step can be run by itself: the shake moves, then the
// views are built.
class DrawnGame : public Game {
 public:
  using Game::Draw;
};

bool Same(const SMatrix& a, const SMatrix& b) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (std::fabs(a.m[r][c] - b.m[r][c]) > 1e-4f) return false;
  return true;
}

TEST(GameLayerTable, EveryRowAndColumn) {
  DrawnGame game;
  game.InitDrawLayers();
  game.SetViewMode(10);  // upright: the orientation is the identity
  // A stage camera turned a quarter about z and placed at (100, 200, 300),
  // and a shake under way, so that every view kind differs from the others.
  SMatrix& e = game.StageCamera();
  e = SMatrix{{{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {100, 200, 300, 1}}};
  game.StartShake(2);
  for (int i = 0; i < 10 && game.GetShakeOffset().x == 0.0f; ++i) game.Draw(0);
  const SVec4 shake = game.GetShakeOffset();
  ASSERT_NE(shake.x, 0.0f);
  // The flip diag(1, -1, -1) first: fixed at the eye 512, play moved by the
  // shake, far at 65535; the stage camera itself, and its rotation alone.
  const SMatrix want[] = {
      {{{1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 0}, {0, 0, -512, 1}}},
      {{{1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 0}, {shake.x, shake.y, -512, 1}}},
      {{{1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 0}, {0, 0, -65535, 1}}},
      e,
      {{{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}},
  };
  SGpObj* rect = game.LayerBlock(0).GetPacket2();
  SGpObj* clip = game.LayerBlock(0).GetPacket3();
  ASSERT_NE(dynamic_cast<SGpState_ViewRect*>(rect), nullptr);
  ASSERT_NE(dynamic_cast<SGpState_Clip*>(clip), nullptr);
  SGpObj* alphaA = game.LayerBlock(0).GetPacket11();
  SGpObj* alphaB = game.LayerBlock(15).GetPacket11();
  for (const LayerRow& r : kLayerRows) {
    SCOPED_TRACE(r.layer);
    const SGpState_Block& b = game.LayerBlock(r.layer);
    EXPECT_EQ(b.GetPacket1(), &game.LayerProjection(r.layer));
    EXPECT_EQ(b.GetPacket2(), rect);
    EXPECT_EQ(b.GetPacket3(), clip);
    EXPECT_EQ(b.GetPacket7(), nullptr);
    EXPECT_EQ(b.GetPacket12(), nullptr);
    // View: whose packet, and the kind of its matrix.
    SGpObj* view = b.GetPacket4();
    EXPECT_EQ(view, &game.LayerView(r.viewOf >= 0 ? r.viewOf : r.layer));
    auto* v = dynamic_cast<SGpState_View*>(view);
    ASSERT_NE(v, nullptr);
    EXPECT_TRUE(Same(v->GetMatrix(), want[int(r.view)])) << "view kind " << int(r.view);
    EXPECT_EQ(b.GetPacket10(), &BlendPresets[r.blend]);
    EXPECT_EQ(b.GetPacket9(), r.z >= 0 ? &ZModePresets[r.z] : nullptr);
    EXPECT_EQ(b.GetPacket11(), r.alpha == 'A' ? alphaA : r.alpha == 'B' ? alphaB : &AlphaTestPresets[0]);
    EXPECT_EQ(b.GetPacket8(), r.fog == 'p'   ? static_cast<SGpObj*>(&game.PlainFog())
                              : r.fog == 's' ? static_cast<SGpObj*>(&game.StageFog())
                                             : nullptr);
    SGpObj* lights[] = {nullptr, &game.LightA(), &game.LightB(), &game.LightC(), &game.LightD()};
    EXPECT_EQ(b.GetPacket5(), lights[r.light == '-' ? 0 : r.light - 'A' + 1]);
    SGpObj* ambient = r.ambient == 0.5f   ? static_cast<SGpObj*>(&game.Ambient05())
                      : r.ambient == 0.7f ? static_cast<SGpObj*>(&game.Ambient07())
                      : r.ambient == 1.0f ? static_cast<SGpObj*>(&game.Ambient10())
                                          : nullptr;
    EXPECT_EQ(b.GetPacket6(), ambient);
    EXPECT_EQ(b.GetPacket0(), r.cull ? &CullPresets[0] : nullptr);
  }
  // The shared packets' values.
  auto* a = static_cast<SGpState_AlphaTest*>(alphaA);
  auto* bb = static_cast<SGpState_AlphaTest*>(alphaB);
  EXPECT_EQ(a->GetMode(), 6);
  EXPECT_EQ(a->GetReference(), 0.0f);
  EXPECT_EQ(bb->GetMode(), 5);
  EXPECT_EQ(bb->GetReference(), 0.31372f);
  float nearZ = 0, farZ = 0;
  static_cast<SGpState_Clip*>(clip)->Get(&nearZ, &farZ);
  EXPECT_EQ(nearZ, 8.0f);
  EXPECT_EQ(farZ, 65535.0f);
  EXPECT_EQ(CullPresets[0].GetMode(), 0);
  const struct {
    SGpState_Ambient* ambient;
    float level;
  } ambients[] = {{&game.Ambient05(), 0.5f}, {&game.Ambient07(), 0.7f}, {&game.Ambient10(), 1.0f}};
  for (const auto& am : ambients) {
    EXPECT_EQ(am.ambient->Get().r, am.level);
    EXPECT_EQ(am.ambient->Get().g, am.level);
    EXPECT_EQ(am.ambient->Get().b, am.level);
  }
  const struct {
    SGpState_Light* light;
    uint32_t enable;
  } lights[] = {{&game.LightA(), 1}, {&game.LightB(), 0}, {&game.LightC(), 1}, {&game.LightD(), 1}};
  for (const auto& l : lights) {
    EXPECT_EQ(l.light->GetEnable(), l.enable);
    if (l.enable != 0) {
      EXPECT_EQ(l.light->GetColour(0).r + l.light->GetColour(0).g + l.light->GetColour(0).b, 3.0f);
    }
  }
  float start = -1, end = -1;
  game.StageFog().GetRange(&start, &end);
  EXPECT_EQ(game.StageFog().GetEnable(), 0);
  EXPECT_EQ(game.PlainFog().GetEnable(), 0);
  EXPECT_EQ(game.StageFog().GetColour().r, 0.05f);
  EXPECT_EQ(game.StageFog().GetColour().g, 0.0f);
  EXPECT_EQ(game.StageFog().GetColour().b, 0.25f);
  EXPECT_EQ(start, 0.0f);
  EXPECT_EQ(end, 7000.0f);
}

}  // namespace
