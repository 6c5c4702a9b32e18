#include "game/scene/SceneFrame.h"

#include "game/core/Game.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SGpRect.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/io/SIOMan.h"
#include "vrax/resource/SRscMan.h"

void* SceneBuffer() {
  alignas(32) static uint8_t buffer[kSceneBufferSize];
  return buffer;
}

void LoadSceneResources(const SRscRequest* table, const char* cacheName) {
  if (SRscMan* rsc = GetRscMan()) {
    rsc->ReleaseGroup(kSceneResourceGroup, SceneBuffer(), kSceneBufferSize);
    if (table) rsc->LoadTable(kSceneResourceGroup, table, -1);
  }
  LoadSceneCache(cacheName);
}

void LoadSceneCache(const char* cacheName) {
  SRscMan* rsc = GetRscMan();
  SIOMan* io = SIOMan::GetInstance();
  if (io && io->CacheLoad(cacheName) < 0) {
    io->CacheClear();
    if (rsc) rsc->Sync(1);
    io->CacheSave(cacheName);
  } else if (rsc) {
    rsc->Sync(1);
  }
}

void ReleaseSceneResources() {
  if (SRscMan* rsc = GetRscMan()) rsc->ReleaseGroup(kSceneResourceGroup, nullptr, 0);
}

bool SceneResourcesLoaded() {
  SRscMan* rsc = GetRscMan();
  return !rsc || rsc->Sync(0) != 0;
}

int32_t SceneProc::Draw(SProcArg) {
  behavior.Notify();
  return 0;
}

int32_t SceneProc::Main(SProcArg) {
  behavior.Update();
  return 0;
}

bool SceneProc::LoadingState(int32_t code, int32_t next, int32_t fadeFrames) {
  if (code == Behavior::CODE_ENTER) SceneFade(0.0f, 0);
  if (code == Behavior::CODE_FRAME && SceneResourcesLoaded()) behavior.ChangeState(next);
  if (code != Behavior::CODE_LEAVE) return false;
  SceneFade(1.0f, fadeFrames);
  return true;
}

void SceneFade(float level, int32_t frames) {
  if (Game* g = GetGame()) g->RampValue(Game::kFadeLayerTop, level, frames);
}

void ScenePlaySe(int32_t n) {
  Game* g = GetGame();
  if (g && g->soundOff == 0) g->PlaySe(n);
}

void SceneStopSe(int32_t n) {
  Game* g = GetGame();
  if (g && g->soundOff == 0) g->StopSe(n);
}

void SceneDrawKey(int32_t key) {
  if (SGpMan* gp = GetGpMan()) gp->SetDefaultKey(key);
}

bool ScenePressed(int32_t input) {
  Game* g = GetGame();
  return g && g->GamePadRef().GetCounter(input) == 0;
}

void PutSceneQuad(SGpObj_Prim& q, float x0, float y0, float x1, float y1, float z, const SGpRect* rect,
                  const float* rgba) {
  const float corners[4][2] = {{x0, y0}, {x1, y0}, {x0, y1}, {x1, y1}};
  for (int i = 0; i < 4; ++i) {
    q.SetPos(corners[i][0], corners[i][1], z);
    q.SetColour(rgba);
    if (rect) {
      const SGpUV uv = rect->Corner(i);
      q.SetUV(uv.u, uv.v);
    }
    q.Next();
  }
}

void SetSceneQuad(SGpObj_Prim& q, float x0, float y0, float x1, float y1, float z, const SGpRect* rect,
                  const float* rgba) {
  if (q.GetPrimCapacity() < 1) q.AllocPrims(1);
  q.Seek(0, 0);
  PutSceneQuad(q, x0, y0, x1, y1, z, rect, rgba);
  q.SetActiveCount(1);
}

void EnterSceneTexture(const SGpRect& rect) {
  if (SGpObj* texture = rect.GetTexture()) texture->EnterDefault();
}
