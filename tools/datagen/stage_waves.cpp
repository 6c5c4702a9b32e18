// Stage scripts of the stand-in data. For now every stage and the tutorial
// hold one of each record: a bullet path, an enemy script (one motion,
// generator, route and axis record), a route table, a parameter and one
// scattered spawn. Each stage's waves are a table below.
#include "tools/datagen/stage_waves.h"

namespace datagen {

namespace {

// One spawn of the timeline: `delay` rail keys after the previous one.
struct Wave {
  float delay;
  uint32_t param, script;
  float x, y, z;
  float scatterX, scatterY, scatterZ;
};

// Stage n's waves (index 0: the tutorial).
const Wave kWaves[6][1] = {
    {{60.0f, 1, 1, 0.0f, -250.0f, 0.0f, 120.0f, 0.0f, 0.0f}},
    {{120.0f, 1, 1, 0.0f, -250.0f, 0.0f, 120.0f, 0.0f, 0.0f}},
    {{120.0f, 1, 1, -80.0f, -250.0f, 0.0f, 120.0f, 0.0f, 0.0f}},
    {{120.0f, 1, 1, 80.0f, -250.0f, 0.0f, 120.0f, 0.0f, 0.0f}},
    {{120.0f, 1, 1, 0.0f, -250.0f, 100.0f, 120.0f, 0.0f, 50.0f}},
    {{120.0f, 1, 1, 0.0f, -250.0f, 0.0f, 160.0f, 40.0f, 0.0f}},
};

// The records every stage shares: a drone that flies down the screen,
// fires a three-way fan at the player once and leaves.
void AddCommonRecords(StageScriptBuilder& b) {
  // A shot that slows to half speed over 30 frames, then keeps its course.
  b.BulletPath(1, {EShotMotion{30, 0x1, 0.0f, 0.0f, 0.0f, -1.5f, nullptr},
                   EShotMotion{600, 0x0, 0.0f, 0.0f, 0.0f, 0.0f, nullptr}});
  EnemyScript& s = b.Script(1);
  MotionRecord down;
  // 240 frames heading down (a quarter turn), speed 2, depth 0.
  down.block = MotionParam::Block{240.0f, 0x1, 0.25f, 0.0f, 0.0f, 2.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
  s.motion.push_back(down);
  GeneratorRecord fan;
  fan.startTime = 60.0f;
  fan.flags = 0x10001;  // linear speed, aimed once per burst
  fan.hitWord = 1;
  fan.shotCodeA = fan.shotCodeB = 0x0101;
  fan.startSpeed = fan.endSpeed = 4.0f;
  fan.ways = 3;
  fan.spread = 0.1f;
  fan.rows = fan.volleys = 1;
  fan.bulletPathId = 1;
  s.generators.push_back(fan);
  RouteRecord route;
  route.delay = 0.0f, route.entryIndex = 0, route.speed = 1.0f;
  s.route.push_back(route);
  AxisRecord sway;
  sway.delay = 30.0f, sway.mode = 0x10000100, sway.duration = 60, sway.from = 0.0f, sway.to = 40.0f;
  s.axis.push_back(sway);
  b.Routes(1, {RouteEntry{0, 0.0f, 1.0f, 0, 1.0f}, RouteEntry{0, 1.0f, 0.0f, 1, 1.0f}});
  EnemyParam& p = b.Param(1, "Drone", 0, 10, 100);
  p.routeTableId = 1;
  p.recoilRouteIndex = 0;
  p.burstKind = 1;
  p.hitRadius = 16.0f;
  p.chainFrameLimit = 60;
}

}  // namespace

void BuildStageWaves(int stage, StageScriptBuilder& b) {
  AddCommonRecords(b);
  for (const Wave& w : kWaves[stage])
    b.Spawn(w.delay, w.param, w.script, w.x, w.y, w.z, w.scatterX, w.scatterY, w.scatterZ);
}

}  // namespace datagen
