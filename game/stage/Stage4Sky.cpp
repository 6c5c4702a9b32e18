#include "game/stage/Stage4Sky.h"

#include <algorithm>

#include "game/core/Game.h"
#include "game/stage/MapMng.h"
#include "game/tables/effect_tables.h"
#include "game/tables/scene_tables.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpRect.h"
#include "vrax/graphic/SGpState.h"

namespace {

// Where the sun stands, far behind the end of the stage.
constexpr SVec3 kSun{54331.965f, 41300.098f, -997709.31f};

}  // namespace

int32_t Stage4Sky::Init(SProcArg) {
  alpha_ = 0.0f;
  SetUpClouds();
  shown_ = 0;
  // The layer draws at its own key, whose view the game keeps: there is no
  // view state of the device to save and restore here.
  SetInitResult(0);
  return 0;
}

void Stage4Sky::SetUpClouds() {
  layer_.Setup(&SprEfx11[0], 10, 10, 5120, 5120);
  SMatrix& m = layer_.world;
  m.m[3][0] = -50233.0f, m.m[3][1] = 6870.0f, m.m[3][2] = 14793.0f;
  SMatrix::Scale(&m, &m, 2.0f, 2.0f, 2.0f);
  hole_ = false;
}

void Stage4Sky::SetUpHole() {
  layer_.Setup(&SprStg04Hole[0], 1, 10, 1714, 2048);
  SMatrix& m = layer_.world;
  m.m[3][0] = -3667.0f, m.m[3][1] = -5077.0f, m.m[3][2] = -4750.0f;
  hole_ = true;
}

int32_t Stage4Sky::Main(SProcArg) {
  const float t = g_MapMng.t;
  shown_ = 0;
  float dx = 0.0f, dy = 0.0f;
  if (t >= 0.0f && t <= 1000.0f) {
    // The clouds of the start fade in, hold, thin out and drift left.
    if (t <= 200.0f) alpha_ = t * 0.003f;
    else if (t <= 400.0f) alpha_ = 0.6f;
    else if (t <= 500.0f) alpha_ = 0.6f - (t - 400.0f) * 0.004f;
    else alpha_ = 0.2f;
    dx = -100.0f;
  } else if (t >= 2000.0f && t < 2001.0f) {
    SetUpHole();
  } else if (t > 2000.0f && t <= 2350.0f) {
    alpha_ = 0.7f, dy = -10.0f;
  } else if (t > 2350.0f && t <= 2450.0f) {
    alpha_ = 0.7f - (t - 2350.0f) * 0.01f * 0.7f;
    dy = -10.0f;
  } else if (t > 3000.0f && t <= 3550.0f) {
    dy = -10.0f;  // the alpha the hole part ended with
  } else {
    return 0;
  }
  shown_ = 1;
  layer_.Advance(dx, dy);
  return 0;
}

SVec2 Stage4Sky::SunOnScreen() {
  const RailCamera* cam = g_MapMng.camera;
  SMatrix vp;
  SMatrix::Multiply(&vp, &cam->view, &cam->projection);
  SVec4 p{};
  SVec3Transform(&p, &kSun, &vp);
  if (p.w == 0.0f) return SVec2{0.0f, 0.0f};
  return SVec2{480.0f * p.x / p.w, -640.0f * p.y / p.w};
}

float Stage4Sky::FlareAlpha(float alpha, int32_t d) {
  return std::clamp(alpha * (1.0f - static_cast<float>(std::min(d, 1600)) * 0.000625f), 0.0f, 1.0f);
}

int32_t Stage4Sky::Draw(SProcArg) {
  const float t = g_MapMng.t;
  const auto n = static_cast<int32_t>(t);
  Game* game = GetGame();
  // The closing flash: towards white over 15 frames, back over 180.
  if (game != nullptr && n == 6999) game->RampValue(3, 1.7f, 15);
  if (game != nullptr && n == 7014) game->RampValue(3, 1.0f, 180);
  // The flare's sprites live one frame of play: the effect manager ends
  // them in its end step, which a paused game does not run. A paused frame
  // spawns none, so the last frame's flare stays on screen as it was.
  if (t > 6999.0f && (game == nullptr || !game->IsPaused())) {
    const SVec2 sun = SunOnScreen();
    const int32_t d = LensFlare::EdgeDistance(sun.x, sun.y);
    for (const LensFlareElem& e : flare_.Elems()) LensFlare::SpawnElem(e, kFlareSheet, sun.x, sun.y, FlareAlpha(e.a, d));
  }
  if (shown_ == 0 || alpha_ == 0.0f) return 0;
  if (SGpMan* gp = GetGpMan()) gp->SetDefaultKey(kLayerKey);
  // The second view looks from the rail camera's eye along +z: the side of
  // the eye where both layers stand while they show.
  secondView_.SetMatrix(game != nullptr ? game->SecondView() : kIdentityMatrix);
  secondView_.EnterDefault();
  BlendPresets[1].EnterDefault();
  // The stage fog in force at this key ends 8000 to 13000 units out while
  // the hole shows, short of the layers: the layer is drawn without it, and
  // the stage fog is entered again for what follows.
  if (game != nullptr) game->PlainFog().EnterDefault();
  const bool hole = t >= 2000.0f && t <= 6000.0f;
  if (SGpState_Texture* tex = (hole ? SprStg04Hole[0] : SprEfx11[0]).GetTexture()) tex->EnterDefault();
  const float grey = hole ? 1.0f : 0.43478262f;
  const float colour[4] = {grey, grey, grey, alpha_};
  layer_.ApplyAll(colour);
  layer_.EnterDefault();
  if (game != nullptr) game->StageFog().EnterDefault();
  return 0;
}
