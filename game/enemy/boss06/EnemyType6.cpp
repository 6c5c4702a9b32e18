#include "game/enemy/boss06/EnemyType6.h"

#include "game/core/Game.h"
#include "game/enemy/BossScript.h"
#include "game/stage/MapMng.h"

const SMatrix* EnemyType6::Node47World() {
  SGpNode* n = model.GetNode(47);
  return n != nullptr ? n->GetWorld() : &nowhere_;
}

int32_t EnemyType6::Init(SProcArg arg) {
  script = &script_;
  const int32_t r = OnInit(arg);
  if (r < 0) return r;
  // Node 47 carries the pods, arms and cables: it keeps both its world and
  // its world-view matrix each frame.
  if (SGpNode* n = model.GetNode(47)) {
    n->SetKeepWorld(1);
    n->SetKeepWorldView(1);
  }
  for (auto& a : script_.arms) a.SetAnchor(Node47());
  for (auto& c : script_.cables) c.SetAnchor(Node47());
  for (int32_t i = 0; i < EnemyType6Behavior::kShadows; ++i) {
    script_.shadows[i].SetStatic(true);
    AddChild(2, &script_.shadows[i], i & 1);
  }
  script_.position = GetPosition();
  script_.Enter();
  g_MapMng.armedT = kLoopTo;
  g_MapMng.armedAt = kLoopAt;
  g_MapMng.armedPath = 0;
  g_MapMng.armed = 1;
  if (Game* g = GetGame()) {
    g->StopMusic(kStageMusic);
    g->PlayMusic(kBossMusic);
  }
  SetInitResult(0);
  return 0;
}

void EnemyType6::StepChildren() {
  script_.Animate(0.1f, 0.6f);
  BroadcastAll(EVENT_MAIN, 0);
}

int32_t EnemyType6::OnDispose(SProcArg arg) {
  if (script_.GetState() != SCRIPT_DEFEATED) StopBossVoices({23, 25, 24});
  return EnemyBase::OnDispose(arg);
}
