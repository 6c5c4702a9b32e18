#pragma once
// Boss fights in the whole program: a boss spawned from its own stage
// record with its stand-in model, the ship firing at it from below or not,
// its rand draws, a picture of it and what a companion's grid changes on
// the picture.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "game/core/Game.h"
#include "game/effect/ScriptedProc.h"
#include "game/enemy/EnemyBase.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/player/Player.h"
#include "game/stage/MapMng.h"
#include "game/stage/ScriptStgRsc.h"
#include "game/tables/enemy_tables.h"
#include "platform/crt_rand.h"
#include "support/BuildDirs.h"
#include "support/ImageCompare.h"
#include "vrax/resource/ModelFile.h"
#include "support/PlayWorld.h"
#include "vrax/resource/SImageSlot.h"
#include "vrax/resource/SRsc_Model.h"
#include "vrax/resource/model_fixtures.h"

namespace bossfight {

// The living enemy of that type, or null.
inline EnemyBase* FindBoss(int32_t type) {
  SProcList* l = g_EnemyMan.GetList(0);
  for (SProc* p = l != nullptr ? l->Head() : nullptr; p != nullptr; p = SProcList::Next(p)) {
    auto* e = dynamic_cast<EnemyBase*>(p);
    if (e != nullptr && e->param != nullptr && e->param->type == type && p->GetState() < SProc::STATE_KILLED)
      return e;
  }
  return nullptr;
}

// A stage's script and one boss model read from the built data, handed to
// the enemy timeline of the running program, so that a boss is spawned from
// its own stage record with the stand-in model the stage would load (the
// stages that are not built yet load neither).
struct BossStage {
  // stage 1 to 5; model: the model file's stem; scale as the stage's
  // resource row gives it (65536 = 1).
  BossStage(int stage, const char* model, uint32_t scale) {
    const std::string data = std::string(testsupport::TestBinaryDir()) + "/data/";
    const auto stg = Read(data + "Script/Stage0" + std::to_string(stage) + ".stg");
    ok = ParseStageScript(stg.data(), stg.size(), &script);
    ModelFile f;
    const auto bma = Read(data + "enemy/" + model + ".bma");
    ok = ok && ParseModelFile(bma.data(), bma.size(), &f);
    const uint32_t params[4] = {scale, 0, 0, 0};
    if (ok) mdl = modelfix::Build(f, nullptr, params);
    ok = ok && mdl != nullptr;
    if (!ok) return;
    modelSlot.Set(mdl.get());
    for (auto& p : pairs) p = EnemyRscSlotPair{&imageSlot, &modelSlot};
    g_EnemySet.Init(&script, EnemySprKeyTable, 12, pairs, 21, 0);
  }
  ~BossStage() { g_EnemySet.Reset(); }
  // Spawns the boss of that type from its record; null when none.
  EnemyBase* Spawn(int32_t type) {
    for (int32_t i = 0; i < int32_t(script.timeline.size()); ++i) {
      const EnemySpawnRecord& r = script.timeline[size_t(i)];
      if (r.Op() == EnemySet::OP_SPAWN && r.param != nullptr && r.param->type == type) {
        g_EnemySet.index = i + 1;
        return dynamic_cast<EnemyBase*>(g_EnemySet.SpawnAt(i));
      }
    }
    return nullptr;
  }
  static std::vector<uint8_t> Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }

  bool ok = false;
  StageScript script;
  std::unique_ptr<SRsc_Model_Ex> mdl;
  SImageSlot imageSlot;
  SRscSlot<SRsc_Model> modelSlot;
  EnemyRscSlotPair pairs[21] = {};
};

// Runs frames with the ship below the middle of the screen, holding fire
// when `fire` is set, its lives topped up, until done() or the limit; the
// frames run, or -1.
template <class Done>
int Fight(testsupport::PlayWorld& w, int limit, bool fire, Done&& done) {
  w.Hold(plat::CabInput::kButton1, fire);
  for (int f = 0; f < limit; ++f) {
    if (done()) return f;
    w.G()->lives = 3;
    w.Step();
  }
  return -1;
}

// The screen `frames` frames after the boss of `type` from stage `stage`'s
// record has entered script state `state` (the ship not firing), from a
// fixed rand state: the same picture whatever ran before; `seen`, when
// given, looks at the boss as the picture shows it. False when the world,
// the boss or the screen failed.
inline bool PictureAfter(int stage, const char* model, uint32_t scale, int32_t type, int32_t state, int frames,
                         plat::Image* img, const std::function<void(EnemyBase*)>& seen = nullptr) {
  testsupport::PlayOptions o;
  o.nullDevice = false;
  testsupport::PlayWorld w(o);
  if (!w.Ok() || w.RunToControl() < 0) return false;
  BossStage s(stage, model, scale);
  if (!s.ok) return false;
  plat::SRand(1);
  SHandle<EnemyBase> h(s.Spawn(type));
  const auto there = [&] { return h.Get() == nullptr || h->script->GetState() == state; };
  if (Fight(w, 2000, false, there) < 0 || h.Get() == nullptr) return false;
  w.Step(frames);
  if (seen && h.Get() != nullptr) seen(h.Get());
  return w.H().Screenshot(img);
}

// The program in play (headless, the Player in control) with the boss of
// `type` spawned from stage `stage`'s record with its stand-in model; ok is
// false when any of it failed.
template <class T>
struct SpawnedBoss {
  SpawnedBoss(int stage, const char* model, uint32_t scale, int32_t type) {
    if (!w.Ok() || w.RunToControl() < 0) return;
    stageData = std::make_unique<BossStage>(stage, model, scale);
    if (stageData->ok) boss = dynamic_cast<T*>(stageData->Spawn(type));
    ok = boss != nullptr;
  }
  testsupport::PlayWorld w;
  std::unique_ptr<BossStage> stageData;
  T* boss = nullptr;
  bool ok = false;
};

// The first child of type C in list 0 of p (a boss's show companion, made
// in the defeat state's first frame), or null.
template <class C>
C* FirstChildOf(SProc* p) {
  for (SProc* c = p->GetList(0)->Head(); c != nullptr; c = SProcList::Next(c))
    if (C* found = dynamic_cast<C*>(c)) return found;
  return nullptr;
}

// Defeats the boss 30 frames into its fight in world w (one with Step) and
// returns its show companion once the defeat state's first frame has run,
// or null.
template <class C, class World>
C* DefeatForTheShow(World& w, SProc* boss) {
  w.Step(30);
  boss->SendEvent(kHitEventDefeated, 0);
  w.Step();
  return FirstChildOf<C>(boss);
}
template <class C, class T>
C* DefeatForTheShow(SpawnedBoss<T>& b) {
  return DefeatForTheShow<C>(b.w, b.boss);
}

// The rand draws made by fn (the generator's state stepped forward from
// before to after; -1 beyond 1000).
template <class Fn>
int DrawsOf(Fn&& fn) {
  const uint32_t before = plat::RandSeed();
  fn();
  const uint32_t after = plat::RandSeed();
  plat::SRand(before);
  int n = 0;
  for (; n <= 1000 && plat::RandSeed() != after; ++n) plat::Rand();
  plat::SRand(after);
  return n <= 1000 ? n : -1;
}

// The children of list n of p that are of type T.
template <class T>
int CountChildren(SProc* p, int32_t n) {
  int count = 0;
  SProcList* l = p->GetList(n);
  for (SProc* c = l != nullptr ? l->Head() : nullptr; c != nullptr; c = SProcList::Next(c))
    if (dynamic_cast<T*>(c) != nullptr && c->GetState() < SProc::STATE_KILLED) ++count;
  return count;
}

// What a companion's set A grid shows on the picture: the game paused, a
// picture with the grid, a second one (a pixel that differs between the two
// moves by itself and is left out), then one with the grid's world scaled to
// nothing; the world is put back and the game let go. At(x, y): the grid
// changed that pixel by more than 2 in some channel.
struct GridShot {
  bool ok = false;
  int width = 0, height = 0;
  std::vector<uint8_t> changed;
  bool At(int x, int y) const { return changed[size_t(y) * size_t(width) + size_t(x)] != 0; }
  // Changed pixels of [x0, x1) x [y0, y1).
  int Count(int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += At(x, y) ? 1 : 0;
    return n;
  }
};
inline GridShot ShootGrid(testsupport::PlayWorld& w, ScriptedProc* show) {
  GridShot shot;
  if (show == nullptr || show->SetA() == nullptr) return shot;
  w.G()->SetPause(true);
  w.Step(2);
  plat::Image with, again, without;
  bool ok = w.H().Screenshot(&with);
  w.Step();
  ok = ok && w.H().Screenshot(&again);
  SMatrix& world = show->SetA()->world.GetMatrix();
  const SMatrix kept = world;
  SMatrix::Scale(&world, &world, 0.0f, 0.0f, 0.0f);
  w.Step();
  ok = ok && w.H().Screenshot(&without);
  world = kept;
  w.G()->SetPause(false);
  if (!ok || with.width != without.width || with.height != without.height) return shot;
  const auto differ = [](uint32_t p, uint32_t q) {
    for (int shift : {0, 8, 16})
      if (std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)) > 2) return true;
    return false;
  };
  shot.width = with.width, shot.height = with.height;
  shot.changed.assign(size_t(with.width) * size_t(with.height), 0);
  for (int y = 0; y < with.height; ++y)
    for (int x = 0; x < with.width; ++x) {
      const uint32_t p = testsupport::PixelAt(with, x, y);
      if (!differ(p, testsupport::PixelAt(again, x, y)) && differ(p, testsupport::PixelAt(without, x, y)))
        shot.changed[size_t(y) * size_t(with.width) + size_t(x)] = 1;
    }
  shot.ok = true;
  return shot;
}

// Where point (x, y) of a show's grid lands on the 640 x 480 picture: the
// grid's matrix turns it `tilt` turns about x and scales it by s on x and
// y, its centre at depth z; the eye stands 512 before the play plane and
// the play area shows at 0.75 pixels a unit about (320, 240).
struct Pixel {
  float x, y;
};
inline Pixel GridPixel(float x, float y, float s, float tilt, float z) {
  const float a = tilt * 6.2831853f;
  const float k = 0.75f * 512.0f / (512.0f + z + s * y * std::sin(a));
  return Pixel{320.0f + s * x * k, 240.0f + s * y * std::cos(a) * k};
}

// The changed pixels of the shot within `r` pixels (a square) of p.
inline int ChangedNear(const GridShot& shot, Pixel p, int r) {
  const int x = int(std::lround(p.x)), y = int(std::lround(p.y));
  if (x - r < 0 || y - r < 0 || x + r >= shot.width || y + r >= shot.height) return 0;
  return shot.Count(x - r, y - r, x + r + 1, y + r + 1);
}

}  // namespace bossfight
