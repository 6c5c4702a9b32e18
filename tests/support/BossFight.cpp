#include "support/BossFight.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "game/core/Game.h"
#include "game/effect/EfxMan.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/stage/MapMng.h"
#include "game/stage/StageRscTables.h"
#include "support/BuildDirs.h"
#include "vrax/resource/SRscMan.h"

namespace testsupport {

namespace {

constexpr int32_t kGroup = 3;  // the stage scenes' resource group

PlayOptions Options(bool picture) {
  PlayOptions o;
  o.nullDevice = !picture;
  return o;
}

// The stage scene's share of the enemies: the rail and the timeline.
class Driver : public SProc {
 public:
  Driver(const StageScript* s, int32_t first) : script_(s), first_(first) {}

 protected:
  int32_t Init(SProcArg) override {
    SetName("BossFightDriver");
    g_EnemySet.Init(script_, 0);
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
  const StageScript* script_;
  int32_t first_;
};

}  // namespace

BossFight::BossFight(int stage, uint32_t param, bool picture) : world(Options(picture)), stage_(stage), param_(param) {}

BossFight::~BossFight() {
  // The defeat shows' effects may outlast the fight: none is left for the
  // next test.
  if (EfxMan* efx = EfxMan::Instance()) efx->ClearAll();
  if (SRscMan* rm = GetRscMan()) rm->ReleaseGroup(kGroup, nullptr, 0);
}

bool BossFight::Start() {
  SRscMan* rm = GetRscMan();
  if (!world.Ok() || rm == nullptr || world.RunToControl() < 0) return false;
  static const SRscRequest* const kTables[5] = {RscTableStage1, RscTableStage2, RscTableStage3, RscTableStage4,
                                                RscTableStage5};
  if (stage_ < 1 || stage_ > 5) return false;
  std::vector<SRscRequest> rows;
  for (const SRscRequest* r = kTables[stage_ - 1]; r->target; ++r)
    if (std::strncmp(r->path, "\\enemy\\", 7) == 0) rows.push_back(*r);
  rm->LoadTable(kGroup, rows.data(), int32_t(rows.size()));
  for (int i = 0; i < 200 && rm->Sync(0) == 0; ++i) world.Step();
  char path[96];
  std::snprintf(path, sizeof path, "%s/data/Script/Stage%02d.stg", testsupport::TestBinaryDir(), stage_);
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.empty() || !ParseStageScript(bytes.data(), bytes.size(), &script)) return false;
  for (size_t i = 0; i < script.timeline.size(); ++i) {
    const EnemySpawnRecord& r = script.timeline[i];
    if (r.Op() != EnemySpawnRecord::OP_SPAWN || r.argument != param_) continue;
    auto* d = new Driver(&script, int32_t(i));
    return world.G()->AddChild(GAME_LIST_STAGE, d, 0) == 0;
  }
  return false;
}

EObjBase* BossFight::Boss() const {
  for (SProc* p = g_EnemyMan.GetList(0)->Head(); p != nullptr; p = SProcList::Next(p))
    if (auto* e = dynamic_cast<EObjBase*>(p); e != nullptr && e->param != nullptr && e->param->id == param_)
      return LiveProc(SHandle<EObjBase>(e));
  return nullptr;
}

BossFight::End BossFight::ShootDown(int32_t hitPoints, int limit) {
  End e;
  if (EObjBase* b = Boss()) b->hitPoints = hitPoints;
  world.Hold(plat::CabInput::kButton1);
  for (int k = 1; k <= limit && e.ended < 0; ++k) {
    Step();
    if (e.told < 0 && world.G()->stageClear != 0) e.told = k;
    EObjBase* b = Boss();
    if (b == nullptr) e.ended = k;
    else if (e.defeated < 0 && b->grabMode == EObjBase::GRAB_DEFEATED) e.defeated = k;
  }
  world.Hold(plat::CabInput::kButton1, false);
  return e;
}

}  // namespace testsupport
