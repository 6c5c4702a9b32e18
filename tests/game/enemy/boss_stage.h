#pragma once
// The enemy share of a stage scene on a stage's generated script, for the
// boss fights in the whole program: the timeline from the record that
// waits for rail key `key`, the rail run as the map manager runs it.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "game/core/Game.h"
#include "game/enemy/EnemyBase.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/stage/MapMng.h"
#include "game/stage/ScriptStgRsc.h"
#include "support/PlayWorld.h"
#include "vrax/kernel/SProc.h"

namespace enemytest {

// The enemy share of a stage scene on a stage's generated script: the
// timeline from the record that waits for rail key `key`, the rail run as
// the map manager runs it.
class StageDriver : public SProc {
 public:
  StageDriver(int stage, float key) {
    char path[96];
    std::snprintf(path, sizeof path, "%s/data/Script/Stage%02d.stg", OSTREL_TEST_BINARY_DIR, stage);
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty() || !ParseStageScript(bytes.data(), bytes.size(), &script_)) return;
    for (size_t i = 0; i < script_.timeline.size(); ++i)
      if (script_.timeline[i].Op() == EnemySet::OP_WAIT_RAIL && script_.timeline[i].ArgumentF() == key)
        first_ = int32_t(i);
  }
  bool Ok() const { return first_ >= 0; }
  StageScript& Script() { return script_; }
  int32_t First() const { return first_; }

 protected:
  int32_t Init(SProcArg) override {
    g_EnemySet.Init(&script_, 0);
    g_EnemySet.index = first_;
    return 0;
  }
  int32_t Main(SProcArg) override {
    g_MapMng.CheckQueuedSection();
    g_MapMng.StepTransition();
    g_MapMng.Advance(g_MapMng.speed);
    g_EnemySet.Update();
    return 0;
  }
  int32_t OnDispose(SProcArg) override {
    g_EnemySet.Reset();
    return 0;
  }

 private:
  StageScript script_;
  int32_t first_ = -1;
};

// The boss of `stage` that waits for rail key `key`, started from its
// record in the play world with the rail just before the key; it runs
// until the enemy called `name` appears. Null when it never does.
inline EnemyBase* StartBossFight(testsupport::PlayWorld& w, int stage, float key, const char* name) {
  auto* driver = new StageDriver(stage, key);
  if (!driver->Ok()) {
    delete driver;
    return nullptr;
  }
  g_MapMng.t = key - 9.0f;
  if (w.G()->AddChild(GAME_LIST_STAGE, driver, 0) != 0) return nullptr;
  for (int f = 0; f < 100; ++f) {
    w.Step();
    if (auto* e = dynamic_cast<EnemyBase*>(g_EnemyMan.FindFirst(name))) return e;
  }
  return nullptr;
}

}  // namespace enemytest
