#include "game/stage/StageProc.h"

#include <new>

#include "game/core/Game.h"
#include "game/core/GameMath.h"
#include "game/core/SystemFile.h"
#include "game/enemy/EnemySet.h"
#include "game/scene/CommonTables.h"
#include "game/stage/MapMng.h"
#include "game/stage/ScriptStgRsc.h"
#include "game/stage/StageName.h"
#include "vrax/graphic/SMath.h"
#include "vrax/io/SIOMan.h"
#include "vrax/resource/SRsc_Image.h"
#include "vrax/resource/SRsc_Model.h"
#include "vrax/resource/SRscMan.h"
#include "vrax/sound/SSndMan.h"

namespace {

// Volume of a sound under the level curve of a volume setting (0 to 100).
int32_t SoundVolume(int32_t setting, int32_t gain) {
  return static_cast<int32_t>(QuadBezier(0.0f, 0.95f, 1.0f, float(setting) * 0.01f) * float(gain));
}

}  // namespace

StageProc::StageProc(const StageParams& params) : params_(params) {}

void* StageProc::SharedBuffer() {
  alignas(32) static uint8_t buffer[kBufferSize];
  return buffer;
}

int32_t StageProc::RailKey() { return static_cast<int32_t>(g_MapMng.t); }

bool StageProc::OnPath0() { return g_MapMng.currentPath == 0; }

int32_t StageProc::Init(SProcArg) {
  SetName(params_.name);
  g_MapMng.SetStatic(true);
  AddChild(0, &g_MapMng, 0);
  SRscMan* rsc = GetRscMan();
  if (rsc != nullptr) {
    rsc->ReleaseGroup(kResourceGroup, SharedBuffer(), kBufferSize);
    rsc->LoadTable(kResourceGroup, params_.table, -1);
  }
  SIOMan* io = SIOMan::GetInstance();
  if (io != nullptr && io->CacheLoad(params_.cacheArchive) < 0) {
    // No usable archive: every file is read singly into a fresh cache,
    // which is written as the archive for the next start.
    io->CacheClear();
    if (rsc != nullptr) rsc->Sync(1);
    io->CacheSave(params_.cacheArchive);
  } else if (rsc != nullptr) {
    rsc->Sync(1);
  }
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
  SSndMan::Stop(RscMusic, params_.musicEntry);
  SSndMan::Stop(RscMusic, kSharedMusicEntry);
  if (SRscMan* rsc = GetRscMan()) rsc->ReleaseGroup(kResourceGroup, nullptr, 0);
  if (Game* game = GetGame()) game->StageFog().SetEnable(0);
  return 0;
}

int32_t StageProc::Handler(int32_t code, int32_t state) {
  if (state == STATE_LOADING) {
    if (code != Behavior::CODE_FRAME) return 1;  // enter, leave and draw do nothing
    SRscMan* rsc = GetRscMan();
    if (rsc != nullptr && rsc->Sync(0) == 0) return 1;
    if (!Playable()) {
      // A stage whose script or camera path failed to load cannot be
      // played: the error line has been shown; the stage ends as if played.
      GiveUp();
      return 1;
    }
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

void StageProc::GiveUp() {
  if (Game* game = GetGame()) {
    game->ClearStageObjects();
    game->ChangeScene(SCENE_STAGE_RESULT);
  }
}

bool StageProc::Playable() { return StageScriptSlot.Ready() != nullptr && g_MapMng.GetPath(0) != nullptr; }

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

void StageProc::AddStageName(int32_t stage) {
  SProc* name = new (std::nothrow) StageName();
  if (name == nullptr) return;
  AddChild(0, name, stage);
  if (name->GetParent() == nullptr) delete name;
}

void StageProc::PlayMusic(int32_t checkpointLimit, bool attractGate) {
  const Game* game = GetGame();
  if (game == nullptr || game->checkpoint >= checkpointLimit || game->soundOff != 0) return;
  if (attractGate && game->demoPlay == 1 && game->settings[kSetAttractSound] == 0) return;
  const auto pan = static_cast<int32_t>(float(game->settings[kSetEffectBalance]) * 196.608f);
  SSndMan::Play(RscMusic, params_.musicEntry, SoundVolume(game->settings[kSetMusicVolume], 65536), pan);
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
  if (SGpState_Texture* t = image->GetTexturePacket(0)) t->Enter(key);
  SGpNode* root = model->GetNode(0)->GetRoot();
  root->SetInheritWorld(1);
  root->Enter(key);
}
