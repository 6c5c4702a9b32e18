#include "game/flow/GlobalObjects.h"

#include "cabinet/QvtBTUtil.h"
#include "cabinet/ServiceClient.h"
#include "game/core/CoinCounter.h"
#include "game/core/Game.h"
#include "game/core/Replay.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EfxMan.h"
#include "game/enemy/EnemyMan.h"
#include "game/player/ChainCounter.h"
#include "game/player/DashForm.h"
#include "game/player/HitMan.h"
#include "game/player/ItemMan.h"
#include "game/player/PShotMan.h"
#include "game/player/Player.h"
#include "game/player/ZGInterface.h"
#include "game/stage/MapMng.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/input/SCtrlMan.h"
#include "vrax/io/SIOMan.h"
#include "vrax/kernel/SKernel.h"
#include "vrax/resource/SRscMan.h"

// ---------------------------------------------------------------- persistent
// Definition order is construction order; destruction runs in reverse. The
// enemy manager's pointer array and the coin counter come first, so that the
// managers are gone before the counter's pointer is cleared and the array's
// storage is released.
std::vector<EObjBase*> EnemyDrawList;
CoinCounter g_CoinCounter;
HitMan g_HitMan;
Player g_Player;
ChainCounter g_ChainCounter;
Replay g_Replay;
PShotMan g_PShotMan;
EShotMan g_EShotMan;
EfxMan g_EfxMan;
DashForm g_DashForm;
MapMng g_MapMng;
ItemMan g_ItemMan;
ZGInterface g_ZGInterface;
EnemyMan g_EnemyMan;

// ---------------------------------------------------------------- engine
namespace {
GlobalObjectObserver g_observer = nullptr;

template <typename T>
void Build(std::unique_ptr<T>* slot, const char* name) {
  *slot = std::make_unique<T>();
  if (g_observer) g_observer(name, true);
}

template <typename T>
void Drop(std::unique_ptr<T>* slot, const char* name) {
  if (!*slot) return;
  if (g_observer) g_observer(name, false);
  slot->reset();
}
}  // namespace

void SetGlobalObjectObserver(GlobalObjectObserver observer) { g_observer = observer; }

EngineObjects::EngineObjects() = default;

EngineObjects::~EngineObjects() { DestroyEngineObjects(this); }

void ConstructEngineObjects(EngineObjects* o) {
  Build(&o->kernel, "SKernel");
  Build(&o->ioMan, "SIOMan");
  Build(&o->rscMan, "SRscMan");
  Build(&o->gpMan, "SGpMan");
  Build(&o->ctrlMan, "SCtrlMan");
  Build(&o->game, "Game");
  Build(&o->service, "QvtBTUtil");
  SetServiceClient(o->service.get());
}

void DestroyEngineObjects(EngineObjects* o) {
  if (o->service && GetServiceClient() == o->service.get()) SetServiceClient(nullptr);
  Drop(&o->service, "QvtBTUtil");
  Drop(&o->game, "Game");
  Drop(&o->ctrlMan, "SCtrlMan");
  Drop(&o->gpMan, "SGpMan");
  Drop(&o->rscMan, "SRscMan");
  Drop(&o->ioMan, "SIOMan");
  Drop(&o->kernel, "SKernel");
}
