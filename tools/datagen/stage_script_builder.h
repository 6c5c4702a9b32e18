#pragma once
// Builds a stage script (".stg") from readable calls: bullet paths, enemy
// scripts, route tables, parameters and the spawn timeline. References are
// given as the ids the file stores. Each call returns the new record so a
// caller can set further fields at once; the reference is valid until the
// next call of the same kind.
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "game/stage/ScriptStgRsc.h"

namespace datagen {

class StageScriptBuilder {
 public:
  // Section 4: a bullet path.
  PatternList& BulletPath(int32_t id, std::initializer_list<EShotMotion> entries) {
    script_.patternLists.push_back(PatternList{id, entries});
    return script_.patternLists.back();
  }
  // Section 0: an enemy script with empty lists; fill its lists directly.
  EnemyScript& Script(uint32_t id, uint32_t motionFlags = 0, uint32_t generatorFlags = 0, uint32_t routeFlags = 0) {
    EnemyScript s;
    s.id = id, s.motionFlags = motionFlags, s.generatorFlags = generatorFlags, s.routeFlags = routeFlags;
    script_.scripts.push_back(s);
    return script_.scripts.back();
  }
  // Section 1: a route table.
  RouteTable& Routes(int32_t id, std::initializer_list<RouteEntry> entries) {
    script_.routeTables.push_back(RouteTable{id, entries});
    return script_.routeTables.back();
  }
  // Section 2: a parameter record (name cut to 31 characters).
  EnemyParam& Param(uint32_t id, const char* name, int32_t type, int32_t hitPoints, int32_t scoreValue) {
    EnemyParam p;
    p.id = id;
    std::strncpy(p.name, name, sizeof p.name - 1);
    p.type = type, p.hitPoints = hitPoints, p.scoreValue = scoreValue;
    script_.params.push_back(p);
    return script_.params.back();
  }
  // Section 3: a spawn of parameter `param` running script `script`, `delay`
  // rail keys after the previous record; scatter (x, y, z ranges) when any
  // range is non-zero.
  EnemySpawnRecord& Spawn(float delay, uint32_t param, uint32_t script, float x, float y, float z,
                          float scatterX = 0.0f, float scatterY = 0.0f, float scatterZ = 0.0f) {
    EnemySpawnRecord& r = Record(delay, EnemySpawnRecord::OP_SPAWN, param);
    r.x = x, r.y = y, r.z = z;
    r.jump = int32_t(script);
    r.scatterX = scatterX, r.scatterY = scatterY, r.scatterZ = scatterZ;
    if (scatterX != 0.0f || scatterY != 0.0f || scatterZ != 0.0f) r.opcode |= EnemySpawnRecord::kScatter;
    return r;
  }
  // Section 3: any other record (opcode and the argument word as stored).
  EnemySpawnRecord& Record(float delay, uint32_t opcode, uint32_t argument) {
    EnemySpawnRecord r;
    r.delay = delay, r.opcode = opcode, r.argument = argument;
    script_.timeline.push_back(r);
    return script_.timeline.back();
  }

  const StageScript& Script() const { return script_; }
  // The records so far, for a later pass that completes some of them.
  StageScript& Records() { return script_; }

 private:
  StageScript script_;
};

}  // namespace datagen
