// One frame of 100 live enemies on the null device: each a sprite enemy
// spawned by the enemy timeline from a stage script, with its collision
// body, a looping motion list that flies it in circles, a looping generator
// list that starts a three-way volley every 30 frames, a route record
// driving its animation and an axis record turning it. The two motion
// records turn a full circle each, the second starting half a turn round:
// a circle of whole steps ends one step past where it began, and the two
// such steps cancel, so no enemy drifts off the play area (which would
// kill it) however long the run. A frame is the enemy
// manager's EVENT_DRAW (sort far to near, quads into the draw queue) and its
// EVENT_MAIN (behaviour, script step, generators and their shots), then the
// state advance (the new shots are released again each frame). Goal: under
// 0.2 ms a frame. A run in which fewer than the 100 enemies are alive at any
// timed frame is reported as an error, not as a time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>

#include "game/core/Game.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EfxMan.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/stage/MapMng.h"
#include "game/stage/StageFileWriter.h"
#include "platform/crt_rand.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/kernel/SKernel.h"

namespace {

constexpr int kEnemies = 100;

// The script every enemy runs, written and read back by the loader.
std::unique_ptr<StageScript> MakeScript() {
  StageScript s;
  EnemyParam& p = s.params.emplace_back();
  p.id = 1;
  std::snprintf(p.name, sizeof p.name, "Drone");
  p.type = 0;
  p.hitPoints = 1000;
  p.scoreValue = 100;
  p.hitRadius = 16.0f;
  p.routeTableId = 1;
  s.routeTables.push_back(RouteTable{1, {RouteEntry{0, 0.0f, 41.0f, 1, 1.0f}}});
  EnemyScript& e = s.scripts.emplace_back();
  e.id = 1;
  e.motionFlags = e.generatorFlags = kStgListLoops;
  MotionRecord m;
  m.block = MotionParam::Block{120.0f, 0x100, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
  MotionRecord back = m;
  back.block.angleBase = 0.5f;
  e.motion = {m, back};
  GeneratorRecord g;
  g.startTime = 30.0f;
  g.flags = 0x1;
  g.shotCodeA = g.shotCodeB = 0x0101;
  g.startSpeed = g.endSpeed = 3.0f;
  g.ways = 3;
  g.spread = 0.1f;
  g.rows = g.volleys = 1;
  e.generators = {g};
  e.route = {RouteRecord{0.0f, 0, 1.0f, 1, nullptr}};
  e.axis = {AxisRecord{0.0f, 0x10000400, 120, 0.0f, 1.0f, nullptr}};
  for (int i = 0; i < kEnemies; ++i) {
    EnemySpawnRecord& r = s.timeline.emplace_back();
    r.opcode = EnemySpawnRecord::OP_SPAWN;
    r.argument = 1;
    r.jump = 1;
    r.x = -200.0f + 40.0f * float(i % 10);
    r.y = -250.0f + 50.0f * float(i / 10);
    r.z = float(i % 7) * 10.0f;
  }
  const std::vector<uint8_t> bytes = stage_file::WriteStageScript(s);
  auto out = std::make_unique<StageScript>();
  if (!ParseStageScript(bytes.data(), bytes.size(), out.get())) return nullptr;
  return out;
}

// Enemies that take part in frames (added or running).
int LiveEnemies() {
  int n = 0;
  for (int l = 0; l < g_EnemyMan.ListCount(); ++l) {
    for (SProc* p = g_EnemyMan.GetList(l)->Head(); p != nullptr; p = SProcList::Next(p))
      n += p->GetState() == SProc::STATE_ADDED || p->GetState() == SProc::STATE_RUNNING;
  }
  return n;
}

void BM_EnemyFrame(benchmark::State& state) {
  SGpMan::SetStartsSound(false);
  SKernel kernel;
  SGpMan gp;
  gp.SetStatic(true);
  if (kernel.Start() != 0) {
    state.SkipWithError("no kernel");
    return;
  }
  SGpDeviceRecord rec;  // null window: the null device
  rec.holdRate = 0;
  if (kernel.AddChild(0, &gp, reinterpret_cast<SProcArg>(&rec)) != 0) {
    state.SkipWithError("no device");
    return;
  }
  Game game;
  EShotMan eshot;
  EfxMan efx;
  SProc root;
  root.StartRoot(0);
  root.CreateLists(1);
  for (SProc* p : {static_cast<SProc*>(&eshot), static_cast<SProc*>(&efx), static_cast<SProc*>(&g_EnemyMan)})
    root.AddChildProcess(p, 0);
  root.Advance();
  plat::SRand(0);
  std::unique_ptr<StageScript> script = MakeScript();
  if (script == nullptr) {
    state.SkipWithError("script not loaded");
    return;
  }
  g_EnemySet.Init(script.get(), 0);
  for (int i = 0; i < kEnemies; ++i) g_EnemySet.SpawnAt(i);
  root.Advance();
  // Into the steady state: generators started and their shots in the pool.
  for (int f = 0; f < 120; ++f) {
    gp.SendEvent(SProc::EVENT_DRAW, 0);
    g_EnemyMan.SendEvent(SProc::EVENT_DRAW, 0);
    g_EnemyMan.SendEvent(SProc::EVENT_MAIN, 0);
    EShotMan::ClearAll(0);
    root.Advance();
  }
  int fewest = LiveEnemies();
  for (auto _ : state) {
    gp.SendEvent(SProc::EVENT_DRAW, 0);  // resets the queue
    g_EnemyMan.SendEvent(SProc::EVENT_DRAW, 0);
    g_EnemyMan.SendEvent(SProc::EVENT_MAIN, 0);
    root.Advance();
    // The shots' own frame is the shot manager's benchmark: they are only
    // released here (about ten a frame).
    EShotMan::ClearAll(0);
    // A killed enemy leaves the draw list when it is disposed, a frame
    // after its kill; the count after the loop covers the last frames.
    if (static_cast<int>(EnemyDrawList.size()) < kEnemies) {
      fewest = LiveEnemies();
      break;
    }
  }
  fewest = std::min(fewest, LiveEnemies());
  state.counters["enemies"] = fewest;
  state.counters["processes"] = double(g_EnemyMan.CountDescendants());
  if (fewest < kEnemies)
    state.SkipWithError(("only " + std::to_string(fewest) + " of the 100 enemies alive").c_str());
  g_EnemyMan.KillChildrenAll(1);
  g_EnemyMan.DisposeChildren();
  EShotMan::ClearAll(0);
  efx.ClearAll();
  root.DisposeChildren();
  g_EnemySet.Reset();
  kernel.Kill(0);
  kernel.Dispose();
}

BENCHMARK(BM_EnemyFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
