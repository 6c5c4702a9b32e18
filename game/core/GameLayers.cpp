// The 37 draw layers: per layer a projection, a view and a render-state
// block entered at the layer's key before anything else draws, and a sprite
// batch entered after everything else.
#include <cmath>

#include "game/core/Game.h"

namespace {

// Eye distance of each layer: 512 everywhere except the two far layers 12
// and 36.
constexpr float LayerDepths[Game::kLayers] = {
    512.0f, 512.0f, 512.0f, 512.0f, 512.0f, 512.0f, 512.0f, 512.0f, 512.0f, 512.0f,    // 0-9
    512.0f, 512.0f, 65535.0f, 512.0f, 512.0f, 512.0f, 512.0f, 512.0f, 512.0f, 512.0f,  // 10-19
    512.0f, 512.0f, 512.0f, 512.0f, 512.0f, 512.0f, 512.0f, 512.0f, 512.0f, 512.0f,    // 20-29
    512.0f, 512.0f, 512.0f, 512.0f, 512.0f, 512.0f, 65535.0f,                          // 30-36
};

// View-mode sizes.
constexpr float kViewModes[12][2] = {
    {711.11f, 553.85f}, {640.0f, 553.85f}, {640.0f, 480.0f}, {711.11f, 553.85f},
    {640.0f, 553.85f},  {640.0f, 480.0f},  {960.0f, 738.46f}, {800.0f, 738.46f},
    {800.0f, 640.0f},   {685.71f, 640.0f}, {853.33f, 640.0f}, {512.0f, 512.0f},
};

enum Alpha : int8_t { kAlphaA, kAlphaB, kAlphaOff };
enum Fog : int8_t { kFogNone, kFogPlain, kFogStage };
enum Light : int8_t { kLightNone, kLightA, kLightB, kLightC, kLightD };
enum Ambient : int8_t { kAmbNone, kAmb05, kAmb07, kAmb10 };

struct LayerRow {
  int8_t viewOf;  // -1: the layer's own view packet, else that layer's
  int8_t blend;
  int8_t zMode;   // -1: not set
  Alpha alpha;
  Fog fog;
  Light light;
  Ambient ambient;
  bool cull;
};

constexpr LayerRow kLayerTable[Game::kLayers] = {
    /* 0 */ {-1, 1, -1, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 1 */ {-1, 1, -1, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 2 */ {-1, 2, -1, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 3 */ {-1, 1, -1, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 4 */ {-1, 2, -1, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 5 */ {-1, 1, -1, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 6 */ {-1, 2, -1, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 7 */ {-1, 1, -1, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 8 */ {-1, 2, -1, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 9 */ {-1, 1, -1, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 10 */ {-1, 1, -1, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 11 */ {-1, 1, -1, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 12 */ {-1, 0, 0, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 13 */ {-1, 2, -1, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 14 */ {-1, 1, 5, kAlphaOff, kFogPlain, kLightNone, kAmbNone, false},
    /* 15 */ {-1, 1, 1, kAlphaB, kFogNone, kLightD, kAmb05, false},
    /* 16 */ {-1, 2, -1, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 17 */ {-1, 1, 4, kAlphaOff, kFogPlain, kLightNone, kAmbNone, false},
    /* 18 */ {-1, 1, 6, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 19 */ {-1, 1, 1, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 20 */ {-1, 1, 4, kAlphaA, kFogPlain, kLightNone, kAmbNone, false},
    /* 21 */ {-1, 1, 6, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 22 */ {-1, 1, 1, kAlphaA, kFogNone, kLightB, kAmb07, true},
    /* 23 */ {-1, 1, 4, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 24 */ {-1, 0, 1, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 25 */ {-1, 0, -1, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 26 */ {-1, 1, 0, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 27 */ {25, 1, -1, kAlphaA, kFogStage, kLightA, kAmb10, false},
    /* 28 */ {-1, 1, -1, kAlphaA, kFogPlain, kLightC, kAmb07, true},
    /* 29 */ {-1, 0, -1, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 30 */ {25, 0, 1, kAlphaA, kFogStage, kLightA, kAmb10, false},
    /* 31 */ {6, 2, -1, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 32 */ {7, 1, 6, kAlphaA, kFogPlain, kLightB, kAmbNone, false},
    /* 33 */ {-1, 1, -1, kAlphaOff, kFogNone, kLightNone, kAmbNone, false},
    /* 34 */ {-1, 0, -1, kAlphaA, kFogNone, kLightNone, kAmbNone, false},
    /* 35 */ {25, 0, 1, kAlphaA, kFogPlain, kLightA, kAmb10, false},
    /* 36 */ {-1, 0, 0, kAlphaOff, kFogStage, kLightNone, kAmbNone, false},
};

// m with d subtracted from the z of its translation row.
SMatrix MinusDepth(const SMatrix& m, float d) {
  SMatrix r = m;
  r.m[3][2] -= d;
  return r;
}

SMatrix Flip() {
  SMatrix f;
  SMatrix::Identity(&f);
  f.m[1][1] = -1.0f;
  f.m[2][2] = -1.0f;
  return f;
}

}  // namespace

void Game::InitDrawLayers() {
  for (int k = 0; k < kLayers; ++k) {
    SGpState_Block& b = layers_[k].block;
    for (int p = 0; p < SGpState_Block::kPositions; ++p) b.SetPacket(p, nullptr);
    b.SetPacket1(&layers_[k].projection);
    b.SetPacket2(&viewRect_);
    b.SetPacket3(&clipA_);
    b.SetPacket4(&layers_[k].view);
    b.SetPacket10(&BlendPresets[0]);
    b.SetPacket11(&alphaA_);
  }
  alphaA_.SetMode(6);
  alphaA_.SetReference(0.0f);
  for (int k = 0; k < kLayers; ++k) {
    const LayerRow& row = kLayerTable[k];
    SGpState_Block& b = layers_[k].block;
    if (row.viewOf >= 0) b.SetPacket4(&layers_[row.viewOf].view);
    b.SetPacket10(&BlendPresets[row.blend]);
    if (row.zMode >= 0) b.SetPacket9(&ZModePresets[row.zMode]);
    if (row.alpha == kAlphaB) b.SetPacket11(&alphaB_);
    if (row.alpha == kAlphaOff) b.SetPacket11(&AlphaTestPresets[0]);
    if (row.fog == kFogPlain) b.SetPacket8(&plainFog_);
    if (row.fog == kFogStage) b.SetPacket8(&stageFog_);
    SGpState_Light* lights[5] = {nullptr, &lightA_, &lightB_, &lightC_, &lightD_};
    if (row.light != kLightNone) b.SetPacket5(lights[row.light]);
    SGpState_Ambient* ambients[4] = {nullptr, &ambient05_, &ambient07_, &ambient10_};
    if (row.ambient != kAmbNone) b.SetPacket6(ambients[row.ambient]);
    if (row.cull) {
      CullPresets[0].Set(0);
      b.SetPacket0(&CullPresets[0]);
    }
  }
  clipA_.Set(8.0f, 65535.0f);
  clipB_.Set(512.0f, 65535.0f);
  lightC_.SetEnable(1);
  lightC_.SetDirection(0, 0.0f, 0.0f, -1.0f);
  lightC_.SetColour(0, 1.0f, 1.0f, 1.0f);
  ambient07_.Set(0.7f, 0.7f, 0.7f);
  lightD_.SetEnable(1);
  lightD_.SetDirection(0, 1.0f, 1.0f, 1.0f);
  lightD_.SetColour(0, 1.0f, 1.0f, 1.0f);
  ambient05_.Set(0.5f, 0.5f, 0.5f);
  alphaB_.SetReference(0.31372f);
  alphaB_.SetMode(5);
  lightA_.SetEnable(1);
  lightA_.SetDirection(0, 1.0f, 1.0f, 1.0f);
  lightA_.SetColour(0, 1.0f, 1.0f, 1.0f);
  ambient10_.Set(1.0f, 1.0f, 1.0f);
  lightB_.SetEnable(0);
  plainFog_.SetEnable(0);
  stageFog_.SetEnable(0);
  stageFog_.SetColour(0.05f, 0.0f, 0.25f);
  stageFog_.SetRange(0.0f, 7000.0f);
}

void Game::SetViewMode(int32_t mode) {
  const int32_t n = (mode >= 0 && mode < 12) ? mode : 10;
  viewWidth_ = kViewModes[n][0];
  viewHeight_ = kViewModes[n][1];
  for (int k = 0; k < kLayers; ++k) layers_[k].projection.Set(viewWidth_, viewHeight_, LayerDepths[k]);
  layers_[15].projection.Set(viewWidth_, viewHeight_, 0.0f);
  if (n <= 5) {
    // A vertical screen: the picture turns a quarter turn into the frame.
    SMatrix::RotationZ(&orientation_, n <= 2 ? -1.5707964f : 1.5707964f);
    playRect_[0] = -320.0f, playRect_[1] = -240.0f, playRect_[2] = 640.0f, playRect_[3] = 480.0f;
  } else {
    SMatrix::Identity(&orientation_);
    playRect_[0] = -240.0f, playRect_[1] = -320.0f, playRect_[2] = 480.0f, playRect_[3] = 640.0f;
  }
  viewRect_.Set(playRect_[0], playRect_[1], playRect_[2], playRect_[3]);
  SMatrix view;
  const SMatrix f = Flip();
  SMatrix::Multiply(&view, &f, &orientation_);
  view.m[3][0] = 0.0f, view.m[3][1] = 0.0f, view.m[3][2] = -512.0f;
  for (SMatrix& node : cameraNodes_) node = view;
  viewMode_ = n;
}

SMatrix Game::SecondView() const {
  SMatrix view;
  SMatrix::Multiply(&view, &stageCamera_, &cameraNodes_[1]);
  return view;
}

void Game::BuildViews() {
  const SMatrix f = Flip();
  SMatrix::Multiply(&fixedView_, &f, &orientation_);
  SMatrix shake;
  SMatrix::Identity(&shake);
  shake.m[3][0] += shakeOffset_.x;
  shake.m[3][1] += shakeOffset_.y;
  SMatrix fs;
  SMatrix::Multiply(&fs, &f, &shake);
  SMatrix::Multiply(&playView_, &fs, &orientation_);

  for (int k = 0; k < kLayers; ++k) layers_[k].view.SetMatrix(MinusDepth(playView_, LayerDepths[k]));
  for (int k : {0, 1, 2, 3, 11}) layers_[k].view.SetMatrix(MinusDepth(fixedView_, 512.0f));
  SMatrix stageView;
  SMatrix::Multiply(&stageView, &stageCamera_, &orientation_);
  for (int k = 25; k <= 35; ++k) layers_[k].view.SetMatrix(stageView);
  layers_[28].view.SetMatrix(MinusDepth(playView_, 512.0f));
  SMatrix rot = stageCamera_;
  rot.m[3][0] = rot.m[3][1] = rot.m[3][2] = 0.0f;
  SMatrix rotView;
  SMatrix::Multiply(&rotView, &rot, &orientation_);
  for (int k : {24, 20, 35}) layers_[k].view.SetMatrix(rotView);
  float nearZ = 0.0f, farZ = 0.0f;
  clipB_.Get(&nearZ, &farZ);
  layers_[12].projection.Set(viewWidth_, viewHeight_, farZ);
  SMatrix far = fixedView_;
  far.m[3][0] = 0.0f, far.m[3][1] = 0.0f, far.m[3][2] = -65535.0f;
  layers_[12].view.SetMatrix(far);
  layers_[36].projection.Set(viewWidth_, viewHeight_, farZ);
  layers_[36].view.SetMatrix(far);
}
