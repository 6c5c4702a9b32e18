#include "game/scene/Logo.h"

#include "game/core/Game.h"
#include "game/tables/scene_tables.h"

int32_t Logo::Init(SProcArg) {
  SetName("Logo");
  LoadSceneResources(RscTableLogo, kLogoCacheArchive);
  frame = 0;
  behavior.Enter();
  return 0;
}

int32_t Logo::Draw(SProcArg) {
  behavior.Notify();
  AttractInterrupt(*this);
  return 0;
}

int32_t Logo::OnDispose(SProcArg) {
  ReleaseSceneResources();
  Game* g = GetGame();
  if (!g) return 0;
  if (AttractCreditPresent()) {
    g->ChangeScene(SCENE_TITLE);
    return 0;
  }
  AttractCounter = (AttractCounter + 1) % 6;
  // Odd values show the opening; 2, 4 and 0 the demo plays of stages 1, 2
  // and 3.
  static constexpr int32_t kDemo[6] = {103, 0, 101, 0, 102, 0};
  if (kDemo[AttractCounter] != 0)
    g->ChangeScene(SCENE_STAGE, kDemo[AttractCounter]);
  else
    g->ChangeScene(SCENE_OPENING);
  return 0;
}

void Logo::Prepare() {
  SetSceneQuad(backdrop_, -240.0f, -320.0f, 240.0f, 320.0f, 0.0f, nullptr, kSceneWhite);
  SetSceneQuad(logoQuad_, -128.0f, -128.0f, 128.0f, 128.0f, 0.0f, &SprLogo[0], kSceneWhite);
}

void Logo::DrawScreen() {
  SceneDrawKey(3);
  backdrop_.EnterDefault();
  EnterSceneTexture(SprLogo[0]);
  logoQuad_.EnterDefault();
}

int32_t Logo::Handler(int32_t code, int32_t state) { return ShowThenFade(code, state, kShowLimit); }
