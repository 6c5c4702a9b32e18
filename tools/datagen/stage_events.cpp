// The set pieces sit at the rail keys their own behaviour is written for:
// the entrance of stage 1 arms the arena loop from 7636 back to 7353, so it
// comes inside that stretch; the fly-past of stage 3 halts the rail on key
// 6300, so it comes 150 keys before, while it is still rising. The timeline
// waits for the rail key (opcode 0x008), so the place does not depend on the
// waves before.
//
// The two events that stay (types 17 and 18) hold the timeline until they
// are ended, so nothing of the script after them runs while they live. Each
// comes in the frame of a boss: the records of delay 0 after a boss's spawn
// record run in its frame. The beacon of stage 2 comes with the stage's last
// boss and stays until the stage ends. The wreck of stage 4 cannot come
// with the last boss there, before whom it is played, nor alone between two
// bosses, where it would keep the next boss away for good: it lands in the
// frame the middle boss comes (which materialises over it), and when that
// boss's end lets the timeline go, the clear-screen record after the boss
// ends it.
//
// Route tables: entry n is animation stretch n, from and to in model frames
// at one frame a step, so each stretch plays through exactly (to - from)
// frames. The stretches whose completion a sequence waits for are listed
// with their lengths; the looping ones have the wrap flag.
#include "tools/datagen/stage_events.h"

#include <bit>
#include <vector>

#include "game/enemy/EnemySet.h"

namespace datagen {

namespace {

// Parameter and route-table ids beside those of the waves.
constexpr uint32_t kEventParam = 20;
constexpr int32_t kEventRoutes = 20;
constexpr int32_t kStretches = 18;

struct Stretch {
  int32_t index;
  float from, to;
  bool loop;
};

struct StageEvent {
  int stage;
  EventPlace place;
  float railKey;    // the timeline waits for the rail to reach it
  int32_t type;     // enemy type 2, 9, 17 or 18
  const char* name;
  int32_t model;    // EnemyRscSlots entry (a boss model of the stage's set)
  std::vector<Stretch> stretches;
};

const std::vector<StageEvent> kEvents = {
    // Flies in (8: 70 frames, then 9), hovers on its loop (0), turns (10)
    // and leaves (11).
    {1, EventPlace::kAtKey, 7360.0f, 2, "Herald", 1,
     {{0, 100, 140, true}, {8, 0, 70, false}, {9, 70, 90, false}, {10, 140, 160, false}, {11, 160, 220, false}}},
    // Idles (0), rises (15), opens (16) and bursts (17). With boss 7 (its
    // key is passed by then).
    {2, EventPlace::kAfterLastBoss, 3000.0f, 17, "Beacon", 3,
     {{0, 0, 40, true}, {15, 0, 40, false}, {16, 40, 120, false}, {17, 120, 200, false}}},
    // Rises (4), settles in 60 frames (5), wobbles 120 frames (6: past the
    // timeline's release at frame 75), wobbles 60 more (0), sinks (7).
    {3, EventPlace::kAtKey, 6150.0f, 9, "Flyby", 7,
     {{4, 0, 160, false}, {5, 160, 220, false}, {6, 220, 340, false}, {0, 340, 400, false}, {7, 400, 460, false}}},
    // Lands (0: 60 frames), breaks open (1: 60 frames, the voice at 25),
    // loops four times (2: 30 frames a lap) and rests on its last loop (3):
    // 400 frames, mostly while boss 13 (at key 5671, shown with the same
    // model) materialises over it in its first 330.
    {4, EventPlace::kWithBoss, 5671.0f, 18, "Wreck", 11,
     {{0, 0, 60, false}, {1, 60, 120, false}, {2, 120, 150, true}, {3, 150, 200, true}}},
};

}  // namespace

EventPlace StageEventPlace(int stage, float* railKey) {
  for (const StageEvent& e : kEvents)
    if (e.stage == stage) {
      *railKey = e.railKey;
      return e.place;
    }
  *railKey = -1.0f;
  return EventPlace::kNone;
}

void AddStageEvents(int stage, StageScriptBuilder& b) {
  for (const StageEvent& e : kEvents) {
    if (e.stage != stage) continue;
    // Stretches a sequence does not name stand still on frame 0.
    RouteTable& routes = b.Routes(kEventRoutes, {});
    routes.entries.assign(kStretches, RouteEntry{0, 0.0f, 0.0f, 0, 0.0f});
    for (const Stretch& s : e.stretches)
      routes.entries[size_t(s.index)] = RouteEntry{0, s.from, s.to, s.loop ? 1u : 0u, 1.0f};
    EnemyParam& p = b.Param(kEventParam, e.name, e.type, 1, 0);
    p.routeTableId = kEventRoutes;
    p.extraIndex = e.model;
    p.chainFrameLimit = 100000;
    b.Record(0.0f, EnemySet::OP_WAIT_RAIL, std::bit_cast<uint32_t>(e.railKey));
    b.Spawn(0.0f, kEventParam, 0, 0.0f, -450.0f, 0.0f);
  }
}

}  // namespace datagen
