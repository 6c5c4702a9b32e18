#pragma once
// A small play world for enemies, on the weapon rig (collision manager,
// stand-in player, enemy-shot and effect managers): the enemy manager joins
// the rig's root, and a stage script built in the test is written with the
// stage-script writer and read back by the real loader, so that every
// reference between its records is linked as in play. The enemy timeline
// runs on that script; the rail (MapMng t and speed) is the test's to move.
//
//   testsupport::EnemyRig rig;
//   EnemyParam& p = rig.script.params.emplace_back(...);   // build records
//   rig.Load();                   // write, parse, EnemySet::Init
//   EObjBase* e = rig.Spawn(0);   // timeline record 0, at once
//   rig.Run(10);
#include <cstdint>
#include <memory>

#include "game/enemy/EObjBase.h"
#include "game/stage/ScriptStgRsc.h"
#include "support/WeaponRig.h"

namespace testsupport {

class EnemyRig {
 public:
  EnemyRig();
  ~EnemyRig();
  EnemyRig(const EnemyRig&) = delete;
  EnemyRig& operator=(const EnemyRig&) = delete;

  // Adds a parameter record (name, type, hit points, score, radius) and
  // returns it for further fields.
  EnemyParam& Param(uint32_t id, const char* name, int32_t type, int32_t hitPoints = 10, int32_t score = 100,
                    float radius = 16.0f);
  // Adds an empty script.
  EnemyScript& Script(uint32_t id);
  // Adds a timeline record.
  EnemySpawnRecord& Record(float delay, uint32_t opcode, uint32_t argument = 0, int32_t jump = 0);
  // Adds a spawn record of parameter `param` with script `scriptId` at (x, y, z).
  EnemySpawnRecord& Spawn(float delay, uint32_t param, uint32_t scriptId, float x, float y, float z = 0.0f);

  // Writes `script`, reads it back into the loaded script and starts the
  // timeline on it (resume as given). False when the loader refuses it.
  bool Load(int32_t resume = 0);
  // Spawns loaded timeline record n at once.
  EObjBase* SpawnNow(int32_t n);
  // Runs frames of the whole rig (the rail advances by its speed first when
  // `rail` is set, and the timeline steps, as a stage scene does).
  void Run(int frames = 1, bool rail = false);
  int Enemies() const;

  StageScript script;  // as built
  std::unique_ptr<StageScript> loaded;
  WeaponRig weapons;
};

}  // namespace testsupport
