#pragma once
// The enemy rig with one model (the rigid test model, 10 frames long) in an
// image and model slot pair (no image), which the timeline hands to every
// model enemy it spawns.
#include <memory>

#include "game/enemy/EnemySet.h"
#include "game/tables/enemy_tables.h"
#include "support/EnemyRig.h"
#include "vrax/resource/SImageSlot.h"
#include "vrax/resource/model_fixtures.h"

namespace enemytest {

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
  testsupport::EnemyRig rig;
  std::unique_ptr<SRsc_Model_Ex> model;
  SImageSlot imageSlot;
  SRscSlot<SRsc_Model> modelSlot;
  EnemyRscSlotPair pair{};
};

}  // namespace enemytest
