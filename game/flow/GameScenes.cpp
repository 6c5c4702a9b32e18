// What each scene id builds, the resource kinds of the game, the persistent
// managers and the common resources loaded at start-up.
#include <new>

#include "game/core/Game.h"
#include "game/core/StageCounters.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EfxMan.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/enemy/boss07/EnemyType7Storm.h"
#include "game/player/ChainCounter.h"
#include "game/player/DashForm.h"
#include "game/player/HitMan.h"
#include "game/player/InpRsc.h"
#include "game/player/ItemMan.h"
#include "game/player/PShotMan.h"
#include "game/player/Player.h"
#include "game/player/ZGInterface.h"
#include "game/scene/CommonTables.h"
#include "game/scene/Continue.h"
#include "game/scene/Ending1.h"
#include "game/scene/Ending2.h"
#include "game/scene/Entry.h"
#include "game/scene/LoadingScreen.h"
#include "game/scene/Logo.h"
#include "game/scene/Notice.h"
#include "game/scene/Opening.h"
#include "game/scene/PartsSpawnScene.h"
#include "game/scene/Ranking.h"
#include "game/scene/StageResult.h"
#include "game/scene/Title.h"
#include "game/scene/Tutorial.h"
#include "game/stage/CStage1.h"
#include "game/stage/CamRsc.h"
#include "game/stage/DemoStage1.h"
#include "game/stage/DemoStage2.h"
#include "game/stage/DemoStage3.h"
#include "game/stage/MapMng.h"
#include "game/stage/ObjOvlRsc.h"
#include "game/stage/ObjRsc.h"
#include "game/stage/ScriptStgRsc.h"
#include "game/stage/Stage2.h"
#include "game/stage/Stage3.h"
#include "game/stage/Stage4.h"
#include "game/stage/Stage5.h"
#include "game/stage/TnlRsc.h"
#include "game/testmode/TestMode.h"
#include "platform/crt_rand.h"
#include "vrax/io/SIOMan.h"
#include "vrax/resource/SRscMan.h"

namespace {

SProc* NewStage(int32_t n) {
  switch (n) {
    case 2: return new (std::nothrow) Stage2();
    case 3: return new (std::nothrow) Stage3();
    case 4: return new (std::nothrow) Stage4();
    case 5: return new (std::nothrow) Stage5();
    case 101: return new (std::nothrow) DemoStage1();
    case 102: return new (std::nothrow) DemoStage2();
    case 103: return new (std::nothrow) DemoStage3();
    default: return new (std::nothrow) CStage1();
  }
}

SProc* NewScene(int32_t id) {
  switch (id) {
    case SCENE_NOTICE: return new (std::nothrow) Notice();
    case SCENE_LOGO: return new (std::nothrow) Logo();
    case SCENE_TITLE: return new (std::nothrow) Title();
    case SCENE_TUTORIAL: return new (std::nothrow) Tutorial();
    case SCENE_STAGE_RESULT: return new (std::nothrow) StageResult();
    case SCENE_CONTINUE: return new (std::nothrow) Continue();
    case SCENE_ENDING1: return new (std::nothrow) Ending1();
    case SCENE_ENDING2: return new (std::nothrow) Ending2();
    case SCENE_ENTRY: return new (std::nothrow) Entry();
    case SCENE_RANKING: return new (std::nothrow) Ranking();
    case SCENE_OPENING: return new (std::nothrow) Opening();
    case SCENE_PARTS_SPAWN: return new (std::nothrow) PartsSpawnScene();
    case SCENE_TEST_MODE: return new (std::nothrow) TestMode();
    default: return nullptr;
  }
}

// Adds a new scene; one that could not be linked is deleted again.
void AddScene(Game* game, int32_t list, SProc* scene, SProcArg arg) {
  if (!scene) return;  // a scene that could not be created is not added
  game->AddChild(list, scene, arg);
  if (!scene->GetParent()) delete scene;
}

// Adds a persistent (static) manager to a list of the game root.
void AddStatic(Game* game, int32_t list, SProc* proc) {
  proc->SetStatic(true);
  game->AddChild(list, proc, 0);
}

}  // namespace

void Game::RegisterResourceKinds() {
  SRscMan* rsc = GetRscMan();
  if (!rsc) return;
  rsc->RegisterKind(RscTag("STG"), &ScriptStgRsc::Create);
  rsc->RegisterKind(RscTag("CAM"), &CamRsc::Create);
  rsc->RegisterKind(RscTag("TNL"), &TnlRsc::Create);
  rsc->RegisterKind(RscTag("OPL"), &ObjRsc::Create);
  rsc->RegisterKind(RscTag("OVL"), &ObjOvlRsc::Create);
  rsc->RegisterKind(RscTag("INP"), &InpRsc::Create);
}

void Game::ActOnScene(const SceneRequest& r, int32_t previous) {
  if (r.id == SCENE_LOAD_COMMON) {
    LoadCommon();
    return;
  }
  if (r.id == SCENE_MANAGERS) {
    AddPersistentManagers();
    return;
  }
  if (r.id < SCENE_NOTICE || r.id > SCENE_TEST_MODE) return;
  // Scenes end themselves (and name their successor as they go); the stage
  // scene is ended by ClearStageObjects. Killing a live scene here would
  // make it queue a second successor behind the one being started.
  if (r.id == SCENE_STAGE) {
    StartStage(r, previous);
    AddScene(this, GAME_LIST_STAGE, NewStage(r.a1), 0);
    return;
  }
  const SProcArg arg = (r.id == SCENE_TUTORIAL || r.id == SCENE_RANKING) ? r.a1 : 0;
  AddScene(this, GAME_LIST_SCENE, NewScene(r.id), arg);
}

void Game::AddPersistentManagers() {
  AddStatic(this, GAME_LIST_ENEMY, &g_EnemyMan);
  AddStatic(this, GAME_LIST_HIT, &g_HitMan);
  AddStatic(this, GAME_LIST_PLAYER, &g_Player);
  AddStatic(this, GAME_LIST_MANAGERS, &g_ChainCounter);
  AddStatic(this, GAME_LIST_MANAGERS, &g_PShotMan);
  AddStatic(this, GAME_LIST_MANAGERS, &g_EShotMan);
  AddStatic(this, GAME_LIST_MANAGERS, &g_EfxMan);
  AddStatic(this, GAME_LIST_MANAGERS, &g_ItemMan);
  AddStatic(this, GAME_LIST_MANAGERS, &g_ZGInterface);
  AddStatic(this, GAME_LIST_MANAGERS, &g_DashForm);
  static constexpr float kBatchColour[4] = {0.85f, 0.85f, 0.85f, 1.0f};
  sharedBatch_.Prepare(ItemMan::kCapacity, 2.0f, 2.0f, kBatchColour);
}

void Game::ClearStageObjects() {
  if (g_Player.GetParent() == this) g_Player.SetState(Player::STATE_RESET);
  g_EnemyMan.KillChildrenAll(0);
  // The timeline lets go of the stage script with the enemies it spawned.
  g_EnemySet.Reset();
  // The stage scene goes before the shots, bullets and effects are cleared,
  // so whatever its end leaves behind is cleared with them.
  if (SProcList* l = GetList(GAME_LIST_STAGE)) l->KillAll(0);
  g_Player.ClearInputHistory();
  g_PShotMan.ReleaseAll();
  g_PShotMan.KillChildrenAll(0);
  g_ChainCounter.KillPopups();
  g_EShotMan.ClearAll(1);
  g_EfxMan.ClearAll();
  g_ItemMan.ClearAll();
  g_MapMng.ResetState();
  g_ZGInterface.ResetPanel();
  // A dash left half way keeps enemy handles of the ended stage.
  g_DashForm.ClearAll();
  stageClear = gameOver = bossBeaten = tutorialFlag = 0;
}

void Game::ResetStageState() {
  plat::SRand(0);
  // The storm's clap value is drawn afresh from the new seed.
  EnemyType7Storm::ForgetClapValue();
  if (g_Player.GetParent() == this) g_Player.SetState(Player::STATE_START);
  g_Player.ClearInputHistory();
  g_ChainCounter.Set(0);
  ResetStageCounters();
  g_DashForm.ClearAll();
  g_DashForm.Clear();
  g_ZGInterface.ResetPanel();
  // The stage's chain words start again.
  g_ChainCounter.stageBest = 0;
  g_ChainCounter.gaugeBlink = 0;
  g_ChainCounter.gaugeValue = 0.0f;
  tutorialFlag = 0;
  mapEnable = 1;
  // The rail starts at the restart point of the checkpoint reached, if the
  // stage has one for it, else at the start of path 0.
  int32_t path = 0, key = 0;
  if (!g_MapMng.FindEventType3(checkpoint, &path, &key)) path = key = 0;
  g_MapMng.SetSection(path, static_cast<float>(key));
}

void Game::ResetPlayGlobals() {
  g_ChainCounter.Set(0);
  DashPressCount = 0;
  DashFrameCounter = 0;
  g_Player.power = 2.0f;
}

void Game::StepHoldRampOff() { g_ZGInterface.Ramp().Update(false); }

void Game::LoadCommon() {
  SRscMan* rsc = GetRscMan();
  if (!rsc) return;
  rsc->ReleaseGroup(0, nullptr, 0);
  rsc->LoadTable(0, RscTableLoading, -1);
  rsc->Sync(1);
  AddScene(this, GAME_LIST_SCENE, new (std::nothrow) LoadingScreen(), 0);
  rsc->LoadTable(0, RscTableCommon, -1);
  if (SIOMan* io = SIOMan::GetInstance()) {
    if (io->CacheLoad(kCommonCacheArchive) < 0) {
      // No usable archive: read everything now, each file entering the
      // cache, and write the archive for the next start.
      io->CacheClear();
      rsc->Sync(1);
      io->CacheSave(kCommonCacheArchive);
    }
  }
  rsc->LoadTable(0, RscTableFontMusic, -1);
}
