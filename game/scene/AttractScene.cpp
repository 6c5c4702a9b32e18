#include "game/scene/AttractScene.h"

#include "game/core/CoinCounter.h"
#include "game/core/Game.h"
#include "game/stage/ScriptStgRsc.h"
#include "game/tables/image_slots.h"
#include "vrax/resource/SRscMan.h"
#include "vrax/input/SPad.h"

int32_t AttractCounter = 0;

bool AttractCreditPresent() {
  const CoinCounter* coins = GetCoinCounter();
  return coins && (coins->credits > 0 || coins->serviceCredits > 0);
}

bool AttractCoinsPresent() {
  const CoinCounter* coins = GetCoinCounter();
  return coins && coins->HasCredit();
}

bool AttractCoinArrived() {
  const CoinCounter* coins = GetCoinCounter();
  return coins && coins->GetCoinEvent() != 0;
}

bool AttractFreePlay() {
  const Game* g = GetGame();
  return g && g->settings[SettingsWord::coinPlay] == 0;
}

bool AttractFreeStartPressed() { return AttractFreePlay() && ScenePressed(SPad::PAD_START); }

void AttractGrantFreeStart() {
  if (CoinCounter* coins = GetCoinCounter()) coins->serviceCredits = 1;
}

bool AttractInterrupt(SProc& scene) {
  bool killed = false;
  if (AttractCreditPresent()) {
    scene.Kill(0);
    killed = true;
  }
  // Then, whatever the credits, a free-play start sets the service credits
  // to exactly 1.
  if (AttractFreeStartPressed()) {
    AttractGrantFreeStart();
    scene.Kill(0);
    killed = true;
  }
  return killed;
}

const char* AttractPromptLine(int32_t counter, bool freePlay, bool shortStart) {
  const int32_t k = counter % 80;
  const int phase = (k >= 0 && k <= 30) ? 1 : (k >= 40 && k <= 70) ? 2 : 0;
  static constexpr const char* kLines[6] = {
      "", " INSERT COIN(S) \n", "   GAME OVER    \n", "", "    FREE PLAY   \n", "PRESS START BUTTON\n     TO START",
  };
  if (freePlay && phase == 2 && shortStart) return "PRESS START BUTTON\n";
  return kLines[(freePlay ? 3 : 0) + phase];
}

int32_t AttractScene::ShowThenFade(int32_t code, int32_t state, int32_t showLimit) {
  switch (state) {
    case STATE_LOAD:
      if (code == Behavior::CODE_ENTER) SceneFade(0.0f, 0);
      if (code == Behavior::CODE_FRAME && SceneResourcesLoaded()) behavior.ChangeState(STATE_SHOW);
      if (code == Behavior::CODE_LEAVE) {
        SceneFade(1.0f, 60);
        Prepare();
      }
      return code != Behavior::CODE_NOTIFY;
    case STATE_SHOW:
    case STATE_FADE_OUT:
      if (code == Behavior::CODE_ENTER) {
        frame = 0;
        if (state == STATE_FADE_OUT) SceneFade(0.0f, 60);
      } else if (code == Behavior::CODE_FRAME) {
        if (state == STATE_SHOW && frame > showLimit) behavior.ChangeState(STATE_FADE_OUT);
        if (state == STATE_FADE_OUT && frame > kFadeLimit) Kill(0);
        ++frame;
      } else if (code == Behavior::CODE_NOTIFY) {
        DrawScreen();
      }
      return 1;
    default:
      return 0;
  }
}

namespace {
constexpr uint32_t kImg = RscTag("IMG");
}  // namespace

const SRscRequest RscTableLogo[] = {
    {RequestTarget(ImgLogo), kImg, "\\Module\\Logo", 0, 0, 0, 0},
    {nullptr, 0, nullptr, 0, 0, 0, 0},
};

const SRscRequest RscTableOpening[] = {
    {RequestTarget(ImgOpening), kImg, "\\Module\\Opening", 0, 0, 0, 0},
    {nullptr, 0, nullptr, 0, 0, 0, 0},
};

const SRscRequest RscTableTutorial[] = {
    {RequestTarget(ImgEnemySe03), kImg, "\\Enemy\\osr_se03", 0, 0, 0, 0},
    {StageScriptSlot.Target(), RscTag("STG"), "\\Script\\Tutorial", 0, 0, 0, 0},
    {RequestTarget(ImgTutorial), kImg, "\\Module\\Tutorial", 0, 0, 0, 0},
    {nullptr, 0, nullptr, 0, 0, 0, 0},
};

const SRscRequest RscTableScene15[] = {
    {RequestTarget(ImgScene15EnemySe00), kImg, "\\enemy\\osr_se00", 0, 0, 0, 0},
    {nullptr, 0, nullptr, 0, 0, 0, 0},
};

const SRscRequest RscTableErrorScreen[] = {
    {RequestTarget(ImgErrTestFont), kImg, "\\testmode\\testfont", 0, 0, 0, 0},
    {nullptr, 0, nullptr, 0, 0, 0, 0},
};

const SceneCacheTable AttractCacheTables[3] = {
    {RscTableLogo, kLogoCacheArchive},
    {RscTableOpening, kOpeningCacheArchive},
    {RscTableTutorial, kTutorialCacheArchive},
};
