#pragma once
// The enemy timeline: walks the spawn records of the stage script in order,
// waiting for the camera rail to travel each record's delay, and spawns
// enemies, branches, loops and clears the screen. A stage scene hands it the
// loaded stage script when the stage starts and steps it once per frame.
// Delays are rail distance: while the rail stands still the timeline does.
#include <cstdint>
#include <vector>

#include "game/stage/ScriptStgRsc.h"
#include "game/tables/enemy_tables.h"

class EObjBase;

class EnemySet {
 public:
  // Opcodes (the record's opcode & 0x7F8).
  static constexpr uint32_t OP_WAIT_RAIL = 0x008;
  static constexpr uint32_t OP_WHILE_ENEMIES = 0x010;
  static constexpr uint32_t OP_WHILE_SECTION = 0x020;
  static constexpr uint32_t OP_JUMP = 0x040;
  static constexpr uint32_t OP_END = 0x080;
  static constexpr uint32_t OP_CLEAR = 0x100;
  static constexpr uint32_t OP_WHILE_NAMED = 0x200;
  static constexpr uint32_t OP_LOOP_POINT = 0x400;
  static constexpr uint32_t OP_SPAWN = 0x7F8;

  // The most enemies the enemy manager holds at once: a spawn past it is
  // refused (the record is consumed). A stage holds a few dozen at once
  // (the draw list keeps room for 64 from the start); the bound lies far
  // above that and keeps a frame's work bounded whatever a script says.
  static constexpr int32_t kMaxLiveEnemies = 1024;
  // The most the timeline spawns in one frame: a spawn record past it runs
  // in the next frame. A stage spawns a formation of a few dozen at most.
  static constexpr int32_t kMaxSpawnsPerFrame = 256;

  // Starts over on the script's timeline; with resume non-zero at the loop
  // point kept from before (a re-entered stage). keys and slots are handed
  // to the enemies (a key list for type 0, an image and model pair for the
  // other types), each checked against its length.
  void Init(const StageScript* script, const SGpKeyList* const* keys, int32_t keyCount,
            const EnemyRscSlotPair* slots, int32_t slotCount, int32_t resume);
  // The same with EnemySprKeyTable and EnemyRscSlots.
  void Init(const StageScript* script, int32_t resume);
  // Forgets the script (the timeline has finished); the loop index stays.
  void Reset();
  // One frame.
  void Update();
  // Spawns record n at once, outside the timeline; the enemy or null.
  EObjBase* SpawnAt(int32_t n);

  bool Finished() const { return records == nullptr; }
  // The stage script's bullet paths (null without a script).
  const std::vector<PatternList>* Paths() const { return script != nullptr ? &script->patternLists : nullptr; }

  const StageScript* script = nullptr;
  const EnemySpawnRecord* records = nullptr;  // null: finished
  const EnemySpawnRecord* current = nullptr;
  const SGpKeyList* const* keyTable = nullptr;
  const EnemyRscSlotPair* rscTable = nullptr;
  int32_t keyCount = 0;
  int32_t rscCount = 0;
  int32_t count = 0;
  int32_t index = 0;
  int32_t loopIndex = 0;
  float elapsed = 0.0f;
  uint8_t paused = 0;
  // Spawns made in the current frame's pass.
  int32_t frameSpawns = 0;
  // Each bound is told once from Init on.
  bool toldLive = false;
  bool toldFrame = false;

 private:
  // Runs the current record; false when the timeline finished.
  bool Run();
  // Moves past the current jump record: by its jump when taken, else to
  // the next record.
  void Branch(bool taken);
  // Creates, sets up and adds the enemy of a spawn record; null when the
  // record names no usable type, the enemy could not be made or
  // kMaxLiveEnemies live.
  EObjBase* Spawn(const EnemySpawnRecord* rec);
  // The word the enemy's EVENT_INIT receives.
  SProcArg ExtraFor(const EnemyParam* p) const;
};

extern EnemySet g_EnemySet;

// The script is being released: everything that keeps a pointer into its
// tables ends first. The timeline lets go of it, every enemy it spawned ends
// (with the generators it started, its children) and every enemy bullet on
// one of its bullet paths is released.
void EndScriptUsers(const StageScript& script);
