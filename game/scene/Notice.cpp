#include "game/scene/Notice.h"

#include "game/core/Game.h"
#include "game/tables/font_tables.h"
#include "vrax/graphic/SGpState.h"

int32_t Notice::Init(SProcArg) {
  SetName("Notice");
  frame = 0;
  titleText_.Init(&FontLarge, 16);
  titleText_.SetColour(1.0f, 0.15f, 0.0f, 1.0f);
  titleText_.SetOrigin(-70.0f, -210.0f, 0.0f);
  titleText_.SetSpacing(0.0f, 0.0f);
  titleText_.Printf("%s", "NOTICE");
  bodyText_.Init(&FontSmall, 512);
  bodyText_.SetColour(1.0f, 1.0f, 1.0f, 1.0f);
  bodyText_.SetOrigin(-160.0f, -110.0f, 0.0f);
  bodyText_.SetSpacing(1.0f, 10.0f);
  bodyText_.Clear();
  for (const char* line : kBodyLines) bodyText_.PrintfAppend("%s", line);
  behavior.Enter();
  return 0;
}

int32_t Notice::Main(SProcArg) {
  behavior.Update();
  // A free-play start is remembered; the notice still runs its full length.
  if (AttractFreeStartPressed()) AttractGrantFreeStart();
  return 0;
}

int32_t Notice::OnDispose(SProcArg) {
  if (Game* g = GetGame()) g->ChangeScene(AttractCreditPresent() ? SCENE_TITLE : SCENE_LOGO);
  return 0;
}

void Notice::DrawScreen() {
  SceneDrawKey(3);
  WorldPresets[1].EnterDefault();
  titleText_.EnterDefault();
  bodyText_.EnterDefault();
}

int32_t Notice::Handler(int32_t code, int32_t state) { return ShowThenFade(code, state, kShowLimit); }
