#pragma once
// The enemy rig with one model (the rigid test model, 10 frames long) in an
// image and model slot pair (no image), which the timeline hands to every
// model enemy it spawns.
#include <memory>
#include <string>

#include "game/core/StageCounters.h"
#include "game/enemy/EnemyBase.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/tables/enemy_tables.h"
#include "support/EnemyRig.h"
#include "vrax/resource/SImageSlot.h"
#include "vrax/resource/model_fixtures.h"

namespace enemytest {

// The rigid test model grown to `nodes` nodes (node 2 on copies of node 1),
// for the bosses whose shows work on high node numbers.
inline std::unique_ptr<SRsc_Model_Ex> GrownModel(int nodes) {
  ModelFile f = modelfix::Rigid();
  for (int i = 2; i < nodes; ++i) {
    f.nodes.push_back(f.nodes[1]);
    f.nodes.back().name = std::to_string(i);
  }
  return modelfix::Build(f);
}

// A model boss without a fight of its own: it stays where its record puts
// it, for the tests of what every model enemy does.
class TestBoss : public EnemyBase {
 protected:
  int32_t Init(SProcArg arg) override { return OnInit(arg); }
};

struct ModelRig {
  ModelRig() : model(modelfix::BuildRigid()) {
    modelSlot.Set(model.get());
    pair = EnemyRscSlotPair{&imageSlot, &modelSlot};
  }
  // Loads the rig's script and starts the timeline with the pair as the only
  // resource entry.
  bool Load(int32_t resume = 0) {
    if (!rig.Load(resume)) return false;
    g_EnemySet.Init(rig.loaded.get(), EnemySprKeyTable, 12, &pair, 1, resume);
    return true;
  }
  // Loaded timeline record n spawned at once as a TestBoss, as the
  // timeline spawns; null when it is not taken in.
  EnemyBase* SpawnBoss(int32_t n) {
    auto* e = new TestBoss();
    e->Setup(&rig.loaded->timeline[size_t(n)]);
    g_EnemyMan.AddChild(0, e, RscPairArg(&pair));
    if (e->GetParent() == nullptr) {
      delete e;
      return nullptr;
    }
    ++StageEnemyCount;
    return e;
  }
  testsupport::EnemyRig rig;
  std::unique_ptr<SRsc_Model_Ex> model;
  SImageSlot imageSlot;
  SRscSlot<SRsc_Model> modelSlot;
  EnemyRscSlotPair pair{};
};

// A model boss to hang satellites and companions on: timeline record 0 of
// a one-record script, spawned and run for a frame.
struct ModelBoss {
  ModelBoss() {
    m.rig.Param(1, "Boss", 5);
    m.rig.Spawn(0.0f, 1, 0, 40.0f, -60.0f, 8.0f);
    if (m.Load()) boss = m.SpawnBoss(0);
    if (boss != nullptr) m.rig.Run(1);
  }
  ModelRig m;
  EnemyBase* boss = nullptr;
};

}  // namespace enemytest
