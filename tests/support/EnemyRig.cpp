#include "support/EnemyRig.h"

#include <cstring>

#include "game/core/StageCounters.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/stage/MapMng.h"
#include "game/stage/StageFileWriter.h"

namespace testsupport {

EnemyRig::EnemyRig() {
  g_EnemySet.Reset();
  g_EnemySet.loopIndex = 0;
  EnemyDrawList.clear();
  ResetStageCounters();
  g_MapMng.t = 0.0f;
  g_MapMng.speed = 1.0f;
  g_MapMng.enemyTimeScale = 1.0f;
  g_MapMng.shotTimeScale = 1.0f;
  g_MapMng.sectionFlag = 0;
  weapons.root.AddChildProcess(&g_EnemyMan, 0);
  g_EnemyMan.Advance();
}

EnemyRig::~EnemyRig() {
  g_EnemyMan.KillChildrenAll(1);
  g_EnemyMan.DisposeChildren();
  g_EnemyMan.Dispose();
  g_EnemySet.Reset();
  EnemyDrawList.clear();
}

EnemyParam& EnemyRig::Param(uint32_t id, const char* name, int32_t type, int32_t hitPoints, int32_t score,
                            float radius) {
  EnemyParam& p = script.params.emplace_back();
  p.id = id;
  std::strncpy(p.name, name, sizeof p.name - 1);
  p.type = type;
  p.hitPoints = hitPoints;
  p.scoreValue = score;
  p.hitRadius = radius;
  p.burstKind = 1;
  p.chainFrameLimit = 100000;
  return p;
}

EnemyScript& EnemyRig::Script(uint32_t id) {
  EnemyScript& s = script.scripts.emplace_back();
  s.id = id;
  return s;
}

EnemySpawnRecord& EnemyRig::Record(float delay, uint32_t opcode, uint32_t argument, int32_t jump) {
  EnemySpawnRecord& r = script.timeline.emplace_back();
  r.delay = delay;
  r.opcode = opcode;
  r.argument = argument;
  r.jump = jump;
  return r;
}

EnemySpawnRecord& EnemyRig::Spawn(float delay, uint32_t param, uint32_t scriptId, float x, float y, float z) {
  EnemySpawnRecord& r = Record(delay, EnemySpawnRecord::OP_SPAWN, param, int32_t(scriptId));
  r.x = x, r.y = y, r.z = z;
  return r;
}

bool EnemyRig::Load(int32_t resume) {
  // Sprite and model enemies need a script to spawn: script 0 is an empty
  // one unless the test built its own.
  bool hasScript0 = false;
  for (const EnemyScript& s : script.scripts) hasScript0 = hasScript0 || s.id == 0;
  if (!hasScript0) Script(0);
  const std::vector<uint8_t> bytes = stage_file::WriteStageScript(script);
  loaded = std::make_unique<StageScript>();
  if (!ParseStageScript(bytes.data(), bytes.size(), loaded.get())) return false;
  g_EnemySet.Init(loaded.get(), resume);
  return true;
}

EObjBase* EnemyRig::SpawnNow(int32_t n) { return g_EnemySet.SpawnAt(n); }

void EnemyRig::Run(int frames, bool rail) {
  for (int f = 0; f < frames; ++f) {
    if (rail) {
      g_MapMng.t += g_MapMng.speed;
      g_EnemySet.Update();
    }
    weapons.Run(1);
  }
}

int EnemyRig::Enemies() const { return g_EnemyMan.CountChildren(); }

}  // namespace testsupport
