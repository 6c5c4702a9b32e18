#pragma once
// A boss's own copy of its parameter record and of the route table the
// record names. Scripts that rewrite their record (the recoil route, route
// entries) rewrite the copy: the loaded stage's tables stay as loaded for
// every other enemy and for the next time the stage is played.
#include "game/enemy/EObjBase.h"
#include "game/stage/ScriptStgRsc.h"
#include "vrax/graphic/SGpNode.h"

struct OwnParam {
  EnemyParam param;
  RouteTable routes;

  // Copies the enemy's record and route table and points the enemy at the
  // copy; nothing for an enemy without a record.
  void Take(EObjBase* e) {
    if (e->param == nullptr || e->param == &param) return;
    param = *e->param;
    if (param.routeTable != nullptr) {
      routes = *param.routeTable;
      param.routeTable = &routes;
    }
    e->param = &param;
  }
};

// Computes the world matrices of the nodes of a model tree that keep theirs
// (SGpNode::SetKeepWorld), so that pieces riding on nodes read this frame's
// pose whether or not the frame is drawn.
inline void UpdateNodeWorlds(SGpNode* root) {
  if (root != nullptr) root->GetRoot()->UpdateKept(nullptr, 0);
}
