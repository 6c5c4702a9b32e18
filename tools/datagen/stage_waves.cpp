// Stage scripts of the stand-in data: each stage's enemy waves along the
// rail. Three kinds of enemy and four flight scripts are shared by every
// stage; the tables below say which formation comes when. Delays are rail
// keys after the previous record (the rail moves one key a frame in normal
// play), so a stage plays like a stage: formations of sprite enemies dive,
// sweep across and fire, model gunships descend, fire rings and leave.
#include "tools/datagen/stage_waves.h"

#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "game/enemy/EnemySet.h"
#include "tools/datagen/boss_data.h"
#include "tools/datagen/stage_events.h"

namespace datagen {

namespace {

// Parameter ids.
enum : uint32_t { kDrone = 1, kDart = 2, kGunship = 3 };
// Script ids, and those of the tutorial's own scripts.
enum : uint32_t { kDive = 1, kSweepRight = 2, kSweepLeft = 3, kDescend = 4 };
enum : uint32_t { kHover = 5, kCruiseRight = 6, kCruiseLeft = 7 };
// Bullet path id: shots that slow down, then keep their course.
constexpr int32_t kSlowingPath = 1;

MotionRecord Move(float frames, float heading, float speed, float turnTo = 0.0f) {
  MotionRecord m;
  // Speed constant (selector 0: the base plus "from"); heading linear from
  // the base by 0 to turnTo over the phase; depth 0.
  m.block = MotionParam::Block{frames, 0x100, heading, 0.0f, turnTo, speed, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
  return m;
}

// A volley record: `ways` shots over `spread` turns at speed, aimed at the
// player once per burst when `aimed`, `volleys` volleys `gap` frames apart,
// starting `delay` frames after the previous record of its list.
GeneratorRecord Volley(float delay, int32_t ways, float spread, float speed, bool aimed, int32_t volleys = 1,
                       int32_t gap = 8, int32_t code = 0x0101) {
  GeneratorRecord g;
  g.startTime = delay;
  g.flags = 0x1 | (aimed ? 0x10000u : 0u);  // linear speed (from = to)
  g.hitWord = 1;
  g.shotCodeA = g.shotCodeB = code;
  g.startSpeed = g.endSpeed = speed;
  g.ways = ways;
  g.spread = spread;
  g.rows = 1;
  g.volleys = volleys;
  g.volleyFrames = gap;
  g.bulletPathId = -1;
  return g;
}

void AddScripts(StageScriptBuilder& b) {
  b.BulletPath(kSlowingPath, {EShotMotion{30, 0x1, 0.0f, 0.0f, 0.0f, -1.5f, nullptr},
                              EShotMotion{600, 0x0, 0.0f, 0.0f, 0.0f, 0.0f, nullptr}});
  // Dive: straight down for 100 frames, then a quarter turn to the side
  // over 80 frames and out; an aimed three-way fan on the way down.
  EnemyScript& dive = b.Script(kDive);
  dive.motion = {Move(100.0f, 0.25f, 3.0f), Move(80.0f, 0.25f, 3.0f, 0.25f), Move(200.0f, 0.5f, 3.0f)};
  dive.generators = {Volley(50.0f, 3, 0.12f, 3.5f, true)};
  dive.generators[0].bulletPathId = kSlowingPath;
  dive.route = {RouteRecord{0.0f, 0, 1.0f, 1, nullptr}};
  // Sweeps: across the screen in 300 frames with two aimed shots.
  const std::vector<GeneratorRecord> twoShots = {Volley(60.0f, 1, 0.0f, 4.0f, true), Volley(60.0f, 1, 0.0f, 4.0f, true)};
  for (const auto& [id, heading] : {std::pair{kSweepRight, 0.0f}, std::pair{kSweepLeft, 0.5f}}) {
    EnemyScript& sweep = b.Script(id);
    sweep.motion = {Move(300.0f, heading, 2.5f)};
    sweep.generators = twoShots;
    sweep.route = {RouteRecord{0.0f, 1, 1.0f, 1, nullptr}};
  }
  // Descend: down to its station, stop and fire three rings, then climb
  // away; a last ring when it is shot down.
  EnemyScript& descend = b.Script(kDescend);
  descend.motion = {Move(90.0f, 0.25f, 2.0f), Move(150.0f, 0.25f, 0.0f), Move(240.0f, 0.75f, 2.0f)};
  descend.generators = {Volley(100.0f, 16, 1.0f, 2.5f, false, 3, 30, 0x0203)};
  descend.defeatGenerators = {Volley(0.0f, 8, 1.0f, 2.0f, false, 1, 8, 0x0203)};
  descend.route = {RouteRecord{0.0f, 2, 0.5f, 1, nullptr}};
  descend.axis = {AxisRecord{0.0f, 0x10000400, 240, 0.0f, 1.0f, nullptr}};
}

// The tutorial's enemies keep to the top of the play area and never fire,
// so the recorded ship, which keeps to y = -60 and lower on the screen, is
// never hit: the recording would go on after a loss, and with no lives left
// the play fades to black until the tutorial ends. Hover: down to y = -220,
// hold, climb away; cruises: across the screen.
void AddTutorialScripts(StageScriptBuilder& b) {
  EnemyScript& hover = b.Script(kHover);
  hover.motion = {Move(60.0f, 0.25f, 2.0f), Move(150.0f, 0.25f, 0.0f), Move(200.0f, 0.75f, 2.0f)};
  hover.route = {RouteRecord{0.0f, 0, 1.0f, 1, nullptr}};
  for (const auto& [id, heading] : {std::pair{kCruiseRight, 0.0f}, std::pair{kCruiseLeft, 0.5f}}) {
    EnemyScript& cruise = b.Script(id);
    cruise.motion = {Move(300.0f, heading, 2.5f)};
    cruise.route = {RouteRecord{0.0f, 1, 1.0f, 1, nullptr}};
  }
}

// The enemies each stage's resource table loads: the key list of its diving
// sprite, of its sweeping sprite and the EnemyRscSlots pair of its gunship.
struct StageEnemies {
  int32_t droneKeys, dartKeys, gunshipPair;
};
const StageEnemies kStageEnemies[6] = {
    {0, 3, 15},   // tutorial ("\enemy\osr_se03" only; stage 1's set)
    {0, 3, 15},   // stage 1: osr_se00, osr_se03, the gunship osr_se12
    {5, 3, 16},   // stage 2: osr_se05, osr_se03, osr_se13
    {2, 4, 17},   // stage 3: osr_se02, osr_se04, osr_se14
    {9, 4, 18},   // stage 4: osr_se09, osr_se04, osr_se15
    {0, 3, 15},   // stage 5 loads no small enemies (it has none)
};

void AddParams(StageScriptBuilder& b, const StageEnemies& e) {
  // Route table 1: animation stretches (key-list frames or model frames).
  b.Routes(1, {RouteEntry{0, 0.0f, 41.0f, 1, 1.0f}, RouteEntry{0, 0.0f, 6.0f, 1, 0.5f},
               RouteEntry{0, 0.0f, 10.0f, 1, 1.0f}});
  // Score values: a plain shot pays one value, a dash payoff (and the items
  // a defeat drops) pay it times the chain, so a play that chains its
  // enemies passes the ending score of stage 4 (350,000,000) and one that
  // only shoots stays below it. The last two digits of a value are the
  // items the enemy drops: the dart's 50.
  EnemyParam& drone = b.Param(kDrone, "Drone", 0, 6, 150000);
  drone.routeTableId = 1;
  drone.extraIndex = e.droneKeys;  // EnemySprKeyTable
  drone.typeWords[0] = drone.typeWords[1] = drone.typeWords[2] = 0x3F800000u;  // white
  drone.grabFlash[0] = 0.5f, drone.grabFlash[1] = 0.8f, drone.grabFlash[2] = 1.0f;
  drone.burstKind = 1;
  drone.hitRadius = 20.0f;
  drone.chainFrameLimit = 600;
  const EnemyParam like = drone;  // the next Param call may move `drone`
  EnemyParam& dart = b.Param(kDart, "Dart", 0, 3, 75050);
  dart.routeTableId = like.routeTableId;
  for (int i = 0; i < 3; ++i) dart.typeWords[i] = like.typeWords[i], dart.grabFlash[i] = like.grabFlash[i];
  dart.chainFrameLimit = like.chainFrameLimit;
  dart.extraIndex = e.dartKeys;
  dart.typeWord = 0x3F400000u;  // drawn at 0.75
  dart.burstKind = 3;
  dart.hitRadius = 14.0f;
  EnemyParam& gunship = b.Param(kGunship, "Gunship", 1, 24, 750000);
  gunship.routeTableId = 1;
  gunship.extraIndex = e.gunshipPair;  // EnemyRscSlots
  gunship.burstKind = 2;
  gunship.hitRadius = 30.0f;
  gunship.chainFrameLimit = 900;
}

// One enemy of a formation: `delay` keys after the previous record.
struct Wave {
  float delay;
  uint32_t param, script;
  float x, y;
};

// Formations, each listed once (x mirrored where a stage asks for it).
const std::vector<Wave> kDroneV = {{0, kDrone, kDive, 0, -340},      {12, kDrone, kDive, -60, -340},
                                   {0, kDrone, kDive, 60, -340},     {12, kDrone, kDive, -120, -340},
                                   {0, kDrone, kDive, 120, -340}};
const std::vector<Wave> kDartsRight = {{0, kDart, kSweepRight, -300, -220}, {15, kDart, kSweepRight, -300, -170},
                                       {15, kDart, kSweepRight, -300, -120}, {15, kDart, kSweepRight, -300, -70}};
const std::vector<Wave> kDartsLeft = {{0, kDart, kSweepLeft, 300, -220}, {15, kDart, kSweepLeft, 300, -170},
                                      {15, kDart, kSweepLeft, 300, -120}, {15, kDart, kSweepLeft, 300, -70}};
const std::vector<Wave> kGunshipSolo = {{0, kGunship, kDescend, 0, -360}};
const std::vector<Wave> kGunshipPair = {{0, kGunship, kDescend, -120, -360}, {0, kGunship, kDescend, 120, -360}};

// A block of formations with the rail keys before each: about 1300 keys.
struct Step {
  float delay;
  const std::vector<Wave>* formation;
};
const std::vector<Step> kStageSteps = {{60, &kDroneV},      {150, &kDartsRight}, {120, &kGunshipSolo},
                                       {180, &kDartsLeft},  {120, &kDroneV},     {150, &kGunshipPair},
                                       {200, &kDartsRight}, {0, &kDartsLeft},    {150, &kDroneV}};
// The tutorial: the same kinds of formation, high up and unarmed, over the
// whole recorded play (2,400 keys: the rail keys of the tutorial are its
// frames of play).
const std::vector<Wave> kHoverV = {{0, kDrone, kHover, 0, -340},    {12, kDrone, kHover, -60, -340},
                                   {0, kDrone, kHover, 60, -340},   {12, kDrone, kHover, -120, -340},
                                   {0, kDrone, kHover, 120, -340}};
const std::vector<Wave> kCruiseR = {{0, kDart, kCruiseRight, -300, -280}, {15, kDart, kCruiseRight, -300, -250},
                                    {15, kDart, kCruiseRight, -300, -220}, {15, kDart, kCruiseRight, -300, -190}};
const std::vector<Wave> kCruiseL = {{0, kDart, kCruiseLeft, 300, -280}, {15, kDart, kCruiseLeft, 300, -250},
                                    {15, kDart, kCruiseLeft, 300, -220}, {15, kDart, kCruiseLeft, 300, -190}};
const std::vector<Step> kTutorialSteps = {{60, &kHoverV}, {200, &kCruiseR}, {200, &kHoverV}, {200, &kCruiseL}};
constexpr float kTutorialKeys = 2400.0f;

// Bosses: enemy type t shows the boss model of EnemyRscSlots pair t - 2
// ("\enemy\osr_bs00" is type 2's, up to "osr_bs14", type 16's). Each
// stage's bosses come at the rail positions where their arenas lie; the
// last of stages 1 to 4 ends the stage when it is beaten. The set pieces
// (types 2, 9, 17 and 18) come from stage_events.cpp, at their own places
// among the bosses.
struct Boss {
  float railKey;  // the timeline waits until the rail reaches it
  int32_t type;
  int32_t hitPoints;
};
const std::vector<Boss> kBosses[6] = {
    {},
    {{7400, 3, 300}, {8230, 4, 500}},
    {{4391, 5, 300}, {7348, 6, 350}, {9709, 7, 500}},
    {{2000, 8, 300}, {4500, 10, 350}, {6300, 11, 500}},  // the fly-past halts the rail on 6300
    {{3941, 12, 300}, {5671, 13, 350}, {8868, 14, 500}},
    {{179, 15, 350}, {1756, 16, 500}},
};

void AddBossParams(StageScriptBuilder& b, const std::vector<Boss>& bosses) {
  for (const Boss& boss : bosses) {
    char name[16];
    std::snprintf(name, sizeof name, "Boss%02d", boss.type - 2);
    EnemyParam& p = b.Param(uint32_t(100 + boss.type), name, boss.type, boss.hitPoints, 10000 * boss.type);
    p.extraIndex = boss.type - 2;
    p.burstKind = 2;
    p.hitRadius = 60.0f;
    p.chainFrameLimit = 3600;
    AddBossData(b, p);
  }
}

// Formations of the block, from step `next` on, while they fit in `keys`
// rail keys; returns the keys used and moves `next` on (round the block).
float AddFormations(StageScriptBuilder& b, const std::vector<Step>& steps, size_t* next, float keys, float side) {
  float used = 0.0f;
  for (;;) {
    const Step& s = steps[*next % steps.size()];
    float length = s.delay;
    for (const Wave& w : *s.formation) length += w.delay;
    if (used + length > keys) return used;
    float delay = s.delay;
    for (const Wave& w : *s.formation) {
      uint32_t script = w.script;
      if (side < 0.0f && script == kSweepRight) script = kSweepLeft;
      else if (side < 0.0f && script == kSweepLeft) script = kSweepRight;
      b.Spawn(delay + w.delay, w.param, script, w.x * side, w.y, 0.0f);
      delay = 0.0f;
    }
    used += length;
    ++*next;
  }
}

uint32_t FloatBits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  return u;
}

}  // namespace

void BuildStageWaves(int stage, StageScriptBuilder& b) {
  AddScripts(b);
  if (stage == 0) AddTutorialScripts(b);
  const int n = stage >= 0 && stage <= 5 ? stage : 0;
  AddParams(b, kStageEnemies[n]);
  AddBossParams(b, kBosses[n]);
  // Even stages come from the other side.
  const float side = stage % 2 == 0 ? -1.0f : 1.0f;
  size_t next = 0;
  if (n == 0) {
    AddFormations(b, kTutorialSteps, &next, kTutorialKeys, 1.0f);
    return;
  }
  // Waves fill the rail up to 150 keys before each boss (stage 5 has no
  // small enemies); the timeline then waits for the rail to reach the
  // boss's position. A boss holds the timeline while it lives.
  // The stage's set piece comes at its key among the bosses, in the frame
  // of the boss at its key (ended by the clear-screen record when that
  // boss's end lets the timeline go), or after the last boss.
  float eventKey = -1.0f;
  const EventPlace place = StageEventPlace(n, &eventKey);
  bool eventAdded = place == EventPlace::kNone;
  float at = 0.0f;
  for (const Boss& boss : kBosses[n]) {
    if (n != 5) at += AddFormations(b, kStageSteps, &next, boss.railKey - 150.0f - at, side);
    const bool withBoss = !eventAdded && place == EventPlace::kWithBoss && eventKey == boss.railKey;
    if (withBoss || (!eventAdded && place == EventPlace::kAtKey && eventKey <= boss.railKey)) {
      AddStageEvents(n, b);
      eventAdded = true;
    }
    b.Record(0.0f, EnemySet::OP_WAIT_RAIL, FloatBits(boss.railKey));
    b.Spawn(0.0f, uint32_t(100 + boss.type), 0, 0.0f, -150.0f, 0.0f);
    // One key on: the record waits while the boss holds the timeline and
    // runs as soon as its end lets it go.
    if (withBoss) b.Record(1.0f, EnemySet::OP_CLEAR, 0);
    at = boss.railKey;
  }
  if (!eventAdded) AddStageEvents(n, b);
  b.Record(0.0f, EnemySet::OP_END, 0);
}

}  // namespace datagen
