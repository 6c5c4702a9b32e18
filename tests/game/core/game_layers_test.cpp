#include <gtest/gtest.h>

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

}  // namespace
