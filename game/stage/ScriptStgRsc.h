#pragma once
// The stage script (".stg"), resource kind 'STG': a stage's enemy timeline
// and every table its records refer to, turned into typed records at load.
//
// The file's records refer to each other by 32-bit ids and "next" words. In
// memory every reference is a separate pointer field into the script's own
// tables (null for none), and the ids and indices stay as stored, so a
// reader can always check a lookup against a table's length. Pointers stay
// valid for as long as the resource is loaded.
//
// File layout (little-endian): five u32 offsets of sections 0 to 4; each
// section starts with three u32, the third the element count:
//   0 scripts: 36-byte head (nine words, words 4-8 list counts), then the
//     lists: motion 48 bytes each, generators 100, defeat generators 100,
//     route 20, axis 24;
//   1 route tables: u32 key, u32 n, n entries of 20 bytes;
//   2 parameters: 128-byte records;
//   3 timeline: 40-byte spawn records;
//   4 bullet paths: u32 id, u32 n, n entries of 28 bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/core/AxisMotion.h"
#include "game/core/MotionParam.h"
#include "game/effect/EShotMotion.h"
#include "game/stage/StageRsc.h"
#include "vrax/io/LoadBudget.h"
#include "vrax/resource/SRscSlot.h"

// Bit of a script's list flag words: the list loops (its last record's next
// is its first).
inline constexpr uint32_t kStgListLoops = 0x40000;

// Section 4: a bullet path, a chain of shot motion records.
struct PatternList {
  int32_t id = -1;
  std::vector<EShotMotion> entries;  // entry i's next is entry i + 1; the last's is null
  const EShotMotion* First() const { return entries.empty() ? nullptr : entries.data(); }
};

// Motion record (48 bytes): the mover's parameter block, read whole by
// MotionParam::Setup; word 11 links to the next.
struct MotionRecord {
  MotionParam::Block block{};
  const MotionRecord* next = nullptr;
};

// Generator record (100 bytes). Words 1 to 22 are the shot emitter's
// parameters; a laser record (flag kLaser) gives words 2 to 13 the laser's
// own meanings, read through Word / WordF.
struct GeneratorRecord {
  static constexpr uint32_t kLaser = 0x00100000;

  float startTime = 0.0f;  // 0: delay after the previous generator (owner's script clock)
  uint32_t flags = 0;      // 1
  uint32_t hitWord = 0;    // 2
  int32_t shotCodeA = 0;   // 3
  int32_t shotCodeB = 0;   // 4
  float baseAngle = 0.0f;  // 5 (turns)
  float sweepStart = 0.0f; // 6
  float sweepEnd = 0.0f;   // 7
  float startSpeed = 0.0f; // 8
  float endSpeed = 0.0f;   // 9
  int32_t ways = 0;        // 10
  float spread = 0.0f;     // 11 (turns)
  int32_t rows = 0;        // 12
  float rowWidth = 0.0f;   // 13
  int32_t volleys = 0;     // 14: volleys per burst
  int32_t volleyFrames = 0;  // 15: frames between volleys
  int32_t bursts = 0;      // 16: further bursts after the first
  int32_t burstFrames = 0; // 17: frames between bursts
  float offsetX = 0.0f;    // 18: muzzle (and laser) offset from the owner
  float offsetY = 0.0f;    // 19
  uint32_t word20 = 0;     // 20: not used by the emitter
  uint32_t muzzleFlash = 0;  // 21
  float startDelay = 0.0f; // 22 (frames)
  int32_t bulletPathId = -1;  // 23 as stored (-1 none)

  // Word 23 resolved: the bullet path's first record, null when the id is
  // -1 or names no path.
  const EShotMotion* bulletPath = nullptr;
  // Word 24: the next record of the list (null at the end of a list that does
  // not loop).
  const GeneratorRecord* next = nullptr;

  bool IsLaser() const { return (flags & kLaser) != 0; }
  // Word i (0 to 23) as stored; 0 outside.
  uint32_t Word(int i) const;
  float WordF(int i) const;
};

// Route record (20 bytes).
struct RouteRecord {
  float delay = 0.0f;       // 0
  uint32_t entryIndex = 0;  // 1: entry of the parameter's route table
  float speed = 0.0f;       // 2
  uint32_t wrap = 0;        // 3
  const RouteRecord* next = nullptr;  // 4
};

// Axis record (24 bytes): a delay, then the words of an AxisMotion block
// (the delay word stands in the block's unused first word).
struct AxisRecord {
  float delay = 0.0f;   // 0
  uint32_t mode = 0;    // 1
  int32_t duration = 0; // 2
  float from = 0.0f;    // 3
  float to = 0.0f;      // 4
  const AxisRecord* next = nullptr;  // 5
  AxisMotion::Block AsBlock() const;
};

// Section 0: one enemy script, its nine head words and its five lists.
struct EnemyScript {
  uint32_t id = 0xFFFFFFFFu;   // 0
  uint32_t motionFlags = 0;    // 1: kStgListLoops
  uint32_t generatorFlags = 0; // 2
  uint32_t routeFlags = 0;     // 3
  uint32_t motionCount = 0;    // 4
  uint32_t generatorCount = 0; // 5
  uint32_t defeatGeneratorCount = 0;  // 6
  uint32_t routeCount = 0;     // 7
  uint32_t axisCount = 0;      // 8
  std::vector<MotionRecord> motion;
  std::vector<GeneratorRecord> generators;
  std::vector<GeneratorRecord> defeatGenerators;
  std::vector<RouteRecord> route;
  std::vector<AxisRecord> axis;

  // The first record of each list; null when the list is empty.
  const MotionRecord* Motion() const { return motion.empty() ? nullptr : motion.data(); }
  const GeneratorRecord* Generators() const { return generators.empty() ? nullptr : generators.data(); }
  const GeneratorRecord* DefeatGenerators() const {
    return defeatGenerators.empty() ? nullptr : defeatGenerators.data();
  }
  const RouteRecord* Route() const { return route.empty() ? nullptr : route.data(); }
  const AxisRecord* Axis() const { return axis.empty() ? nullptr : axis.data(); }
};

// Section 1 entry (20 bytes).
struct RouteEntry {
  uint32_t unused = 0;
  float from = 0.0f;
  float to = 0.0f;
  uint32_t wrap = 0;
  float speed = 0.0f;
};

// Section 1: a route table.
struct RouteTable {
  int32_t id = -1;  // the key parameters name it by
  std::vector<RouteEntry> entries;
};

// Section 2: the parameter record of an enemy (128 bytes).
struct EnemyParam {
  uint32_t id = 0xFFFFFFFFu;  // 0
  char name[32] = {};          // 1-8: NUL-terminated (forced at load); the enemy's process name
  int32_t defeatMode = -1;     // 9
  int32_t type = 0;            // 10: enemy factory index, 0 to 18 (below 2: the spawn's script is resolved)
  uint32_t typeWord = 0x3F800000u;  // 11: per-type word (1.0f unless the file says otherwise)
  int32_t routeTableId = -1;   // 12 as stored (-1 none)
  int32_t recoilRouteIndex = -1;   // 13 as stored (-1 none)
  int32_t releaseRouteIndex = -1;  // 14
  int32_t defeatRouteIndex = -1;   // 15
  uint32_t typeWords[3] = {};  // 16-18
  float grabFlash[3] = {};     // 19-21: r, g, b
  int32_t extraIndex = 0;      // 22
  int32_t burstKind = 0;       // 23
  int32_t hitPoints = 0;       // 24
  int32_t scoreValue = 0;      // 25
  float hitRadius = 0.0f;      // 26
  float hitOffsetX = 0.0f;     // 27
  float hitOffsetY = 0.0f;     // 28
  int32_t chainFrameLimit = 0; // 29
  uint32_t reserved[2] = {};   // 30-31

  // Word 12 resolved: the route table, null when -1 or not found.
  const RouteTable* routeTable = nullptr;

  // Entry index + offset of the route table (offset 1 is a route's
  // alternative); null without a table, for index -1 or past its end.
  const RouteEntry* RouteAt(int32_t index, int32_t offset = 0) const;
  const RouteEntry* RecoilRoute(int32_t offset = 0) const { return RouteAt(recoilRouteIndex, offset); }
  const RouteEntry* ReleaseRoute(int32_t offset = 0) const { return RouteAt(releaseRouteIndex, offset); }
  const RouteEntry* DefeatRoute(int32_t offset = 0) const { return RouteAt(defeatRouteIndex, offset); }
};

// Section 3: one record of the enemy timeline (40 bytes).
struct EnemySpawnRecord {
  static constexpr uint32_t kOpcodeMask = 0x7F8;
  static constexpr uint32_t kScatter = 0x40000;
  // Opcodes whose argument names a parameter.
  static constexpr uint32_t OP_SPAWN = 0x7F8;  // spawn an enemy
  static constexpr uint32_t OP_NAMED = 0x200;  // refers to a parameter's name

  float delay = 0.0f;     // 0: rail distance to wait after the previous record ran
  uint32_t opcode = 0;    // 1: opcode (kOpcodeMask) and flags (kScatter)
  uint32_t argument = 0;  // 2 as stored: a rail position (f32) or a parameter id
  float x = 0.0f, y = 0.0f, z = 0.0f;  // 3-5 (scattered at load with kScatter)
  int32_t jump = 0;       // 6 as stored: a jump offset in records, or (OP_SPAWN) a script id
  float scatterX = 0.0f, scatterY = 0.0f, scatterZ = 0.0f;  // 7-9

  // Word 2 resolved (OP_SPAWN, OP_NAMED): the parameter, null when the id
  // names none. OP_NAMED readers take its name.
  const EnemyParam* param = nullptr;
  // Word 6 resolved (OP_SPAWN with a parameter of type 0 or 1): the script,
  // null otherwise or when the id names none.
  const EnemyScript* script = nullptr;
  // Set at load on a jump back that closes a loop in which no record waits
  // (every delay 0 or less), which would run without end within a frame:
  // the timeline goes on to the next record instead of taking it.
  bool timelessLoop = false;

  uint32_t Op() const { return opcode & kOpcodeMask; }
  bool Scattered() const { return (opcode & kScatter) != 0; }
  // Word 2 read as a rail position.
  float ArgumentF() const;
};

// Every table of a loaded stage script. Records point into these tables:
// whoever keeps such a pointer ends when the script is released
// (EndScriptUsers).
struct StageScript {
  std::vector<PatternList> patternLists;  // section 4
  std::vector<EnemyScript> scripts;       // section 0
  std::vector<RouteTable> routeTables;    // section 1
  std::vector<EnemyParam> params;         // section 2
  std::vector<EnemySpawnRecord> timeline; // section 3

  // Whether m is a record of one of the bullet paths.
  bool HoldsMotion(const EShotMotion* m) const;
  void Clear();
};

// Reads a whole ".stg" file into `out` and links its references (each link
// by the first element with the id; linking grows with the file); timeline
// records with the scatter flag draw three `rand` values each (x, y, z, in
// timeline order) once the file has been read completely. False, with `out`
// empty and nothing drawn, when a count, offset or list runs past the data,
// or when the tables would pass the budget (without one: a budget of
// kMaxResourceBytes of its own).
// Timeline records that name a parameter or (types 0 and 1) a script the
// file does not hold, or whose parameter's type is outside 0 to 18, load all
// the same and run as the timeline runs them (nothing is spawned); jumps
// back that close a loop of records that never wait are marked not to be
// taken (timelessLoop). Each of these four kinds is told with one error
// line, naming its first record and its count.
bool ParseStageScript(const uint8_t* data, size_t size, StageScript* out, LoadBudget* budget = nullptr);

class ScriptStgRsc : public StageRsc {
 public:
  ScriptStgRsc() : StageRsc(".stg", "Game\\ScriptStgRsc", false) {}
  uint32_t Kind() const override { return RscTag("STG"); }
  // The kind's factory: a new resource, or null when memory runs out.
  static SRsc* Create();

  // The tables; empty until the resource is ready.
  const StageScript& Script() const { return script_; }

 protected:
  bool Parse(const uint8_t* data, size_t size) override {
    return ParseStageScript(data, size, &script_, &Budget());
  }
  // Whatever reads the tables (the enemy timeline, the enemies it spawned,
  // their bullets) ends before they go.
  void Release() override;

 private:
  StageScript script_;
};

// The current stage script: the stage's (or the tutorial's) resource table
// writes its script here; the scene hands it to the enemy timeline.
extern SRscSlot<ScriptStgRsc> StageScriptSlot;
