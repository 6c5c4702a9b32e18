#pragma once
// A boss of a generated stage script on stage 1's scenery, for the boss
// pictures: the whole program on the OpenGL device with stage 1 playing
// (its lights are the ones a storm darkens), the rail at 900, and the boss
// of stage `stage` spawned from its record with its model slot given `model`
// (null: the one the stage loads).
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "game/enemy/EnemyBase.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/stage/MapMng.h"
#include "game/stage/ScriptStgRsc.h"
#include "support/BuildDirs.h"
#include "support/ImageCompare.h"
#include "support/PlayWorld.h"

namespace enemytest {

class BossPicture {
 public:
  BossPicture(int stage, uint32_t param, SRscSlot<SRsc_Model>* slot, SRsc_Model* model) : slot_(slot) {
    slot_->Set(model);
    testsupport::PlayOptions o;
    o.nullDevice = false;
    o.livelyStage = true;
    world = std::make_unique<testsupport::PlayWorld>(o);
    if (!world->Ok()) return;
    world->ReleaseAll();
    g_MapMng.SetSection(0, 900.0f);
    char path[96];
    std::snprintf(path, sizeof path, "%s/data/Script/Stage%02d.stg", testsupport::TestBinaryDir(), stage);
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty() || !ParseStageScript(bytes.data(), bytes.size(), &script_)) return;
    // The boss's name is its spawn record's parameter's (linked at load).
    const char* name = "";
    for (size_t i = 0; i < script_.timeline.size(); ++i) {
      if (script_.timeline[i].Op() != EnemySpawnRecord::OP_SPAWN || script_.timeline[i].argument != param) continue;
      if (script_.timeline[i].param != nullptr) name = script_.timeline[i].param->name;
      script_.timeline[i].delay = 0.0f;  // spawned at once
      g_EnemySet.Init(&script_, 0);
      g_EnemySet.index = int32_t(i);
      world->Step(2);
      break;
    }
    boss = dynamic_cast<EnemyBase*>(g_EnemyMan.FindFirst(name));
  }
  ~BossPicture() {
    g_EnemySet.Reset();
    slot_->Reset();
  }
  ::testing::AssertionResult Matches(const char* golden) {
    plat::Image img;
    if (!world->H().Screenshot(&img)) return ::testing::AssertionFailure() << "no screenshot";
    return testsupport::MatchesGolden(img, golden, 8, 400);
  }

  std::unique_ptr<testsupport::PlayWorld> world;
  EnemyBase* boss = nullptr;

 private:
  SRscSlot<SRsc_Model>* slot_;
  StageScript script_;
};

}  // namespace enemytest
