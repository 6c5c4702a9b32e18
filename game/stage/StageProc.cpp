#include "game/stage/StageProc.h"

#include <new>

#include "game/core/Game.h"
#include "game/core/SystemFile.h"
#include "game/enemy/EnemySet.h"
#include "game/scene/SceneFrame.h"
#include "game/stage/MapMng.h"
#include "game/stage/ScriptStgRsc.h"
#include "game/stage/StageName.h"
#include "vrax/resource/SRsc_Image.h"
#include "vrax/resource/SRsc_Model.h"
#include "vrax/resource/SRscMan.h"


StageProc::StageProc(const StageParams& params) : params_(params) {}

int32_t StageProc::RailKey() { return static_cast<int32_t>(g_MapMng.t); }

bool StageProc::OnPath0() { return g_MapMng.currentPath == 0; }

int32_t StageProc::Init(SProcArg) {
  SetName(params_.name);
  g_MapMng.SetStatic(true);
  AddChild(0, &g_MapMng, 0);
  if (SRscMan* rsc = GetRscMan()) {
    rsc->ReleaseGroup(kResourceGroup, SceneBuffer(), kSceneBufferSize);
    rsc->LoadTable(kResourceGroup, params_.table, -1);
  }
  // A missing archive is rebuilt: every file read singly, then saved.
  LoadSceneCache(params_.cacheArchive);
  behavior_.Enter();
  SetInitResult(0);
  return 0;
}

int32_t StageProc::Draw(SProcArg) {
  Handler(Behavior::CODE_NOTIFY, behavior_.GetState());
  BroadcastAll(EVENT_DRAW, 0);
  return 0;
}

int32_t StageProc::Main(SProcArg) {
  BroadcastAll(EVENT_MAIN, 0);
  return 0;
}

int32_t StageProc::End(SProcArg) {
  behavior_.Update();
  BroadcastAll(EVENT_END, 0);
  return 0;
}

int32_t StageProc::OnDispose(SProcArg) {
  // The timeline walks the stage script, which goes with the group.
  g_EnemySet.Reset();
  Game* game = GetGame();
  if (game != nullptr) {
    game->StopMusic(params_.musicEntry);
    if (params_.stopsSharedMusic) game->StopMusic(kSharedMusicEntry);
  }
  if (SRscMan* rsc = GetRscMan()) rsc->ReleaseGroup(kResourceGroup, nullptr, 0);
  if (game != nullptr) game->StageFog().SetEnable(0);
  return 0;
}

int32_t StageProc::Handler(int32_t code, int32_t state) {
  if (state == STATE_LOADING) {
    if (code != Behavior::CODE_FRAME) return 1;  // enter, leave and draw do nothing
    SRscMan* rsc = GetRscMan();
    if (rsc != nullptr && rsc->Sync(0) == 0) return 1;
    // A resource that failed has shown its error line and stays failed: the
    // stage goes on with what loaded (without its script no enemy comes,
    // without its camera path the rail stands still). It is not cleared.
    StartLayers();
    SetUpMap();
    if (Game* game = GetGame()) game->ResetStageState();
    StartTimeline();
    FinishLoading();
    return 1;
  }
  if (state == STATE_PLAY) {
    switch (code) {
      case Behavior::CODE_FRAME:
        g_EnemySet.Update();
        PlayTriggers();
        break;
      case Behavior::CODE_ENTER: PlayEnter(); break;
      case Behavior::CODE_NOTIFY: PlayDraw(); break;
      default: break;
    }
    return 1;
  }
  return 0;
}

void StageProc::FinishLoading() {
  if (Game* game = GetGame()) game->StageFog().SetEnable(0);
  StartMusic();
  behavior_.ChangeState(STATE_PLAY);
}

void StageProc::StartMusic() { PlayMusic(3, true); }

void StageProc::StartTimeline() {
  const ScriptStgRsc* script = StageScriptSlot.Ready();
  const Game* game = GetGame();
  g_EnemySet.Init(script != nullptr ? &script->Script() : nullptr, game != nullptr ? game->checkpoint : 0);
}

void StageProc::StartFog(const float* path0, const float* otherPaths) {
  const StageFogTables tables{path0, otherPaths};
  AddChildProcess(&fog_, reinterpret_cast<SProcArg>(&tables));
}

void StageProc::StartClouds(const CloudQuadArgs& args) {
  cloudArgs_ = args;
  AddChildProcess(&clouds_, reinterpret_cast<SProcArg>(&cloudArgs_));
}

void StageProc::AddStageName(int32_t stage) { AddNewChild(new (std::nothrow) StageName(), stage); }

SProc* StageProc::AddNewChild(SProc* child, SProcArg arg) {
  if (child == nullptr) return nullptr;
  AddChild(0, child, arg);
  if (child->GetParent() != nullptr) return child;
  delete child;
  return nullptr;
}

void StageProc::PlayMusic(int32_t checkpointLimit, bool attractGate) {
  Game* game = GetGame();
  if (game == nullptr || game->checkpoint >= checkpointLimit) return;
  if (attractGate && game->demoPlay == 1 && game->settings[SettingsWord::attractSound] == 0) return;
  game->PlayMusic(params_.musicEntry);  // nothing while the sound is off
}

void StageProc::PlayStageSe(int32_t n, int32_t gain) {
  // The game's sound rule: sound on, and attract sound or no demo play.
  if (Game* game = GetGame()) game->PlaySe(n, gain);
}

void StageProc::EnterSky(int32_t key) {
  SRsc_Image* image = g_MapMng.GetSkyImage();
  SRsc_Model* model = g_MapMng.GetSkyModel();
  if (image == nullptr || model == nullptr || model->GetNode(0) == nullptr) return;
  skyWorld_.Enter(key);
  image->GetTexturePacket(0)->Enter(key);
  SGpNode* root = model->GetNode(0)->GetRoot();
  root->SetInheritWorld(1);
  root->Enter(key);
}
