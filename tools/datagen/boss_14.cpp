// Boss type 14's stand-in data. Its script waits for the value animator's
// completions between attacks, so entry 0 (the idle loop) completes every
// 60 frames; entries 1 to 6 and 16 to 19 are the loop's and the charge's
// animation stretches, 20 the wreck's. Bullet path 3 slows the petal ring
// down and lets it go again; path 4 turns the charge shots back towards the
// boss.
#include "tools/datagen/boss_data.h"

namespace datagen {

namespace {

constexpr int32_t kRoutes = 114;

RouteEntry Loop(float from, float to, float speed) { return RouteEntry{0, from, to, 1, speed}; }

}  // namespace

void AddBoss14(StageScriptBuilder& b, EnemyParam& p) {
  p.defeatMode = 3;  // the wreck stays for its defeat show
  p.hitRadius = 64.0f;
  p.routeTableId = kRoutes;
  RouteTable& t = b.Routes(kRoutes, {});
  t.entries.assign(31, Loop(0.0f, 60.0f, 1.0f));
  for (int i = 1; i <= 6; ++i) t.entries[size_t(i)] = Loop(60.0f * float(i), 60.0f * float(i) + 40.0f, 1.0f);
  for (int i = 16; i <= 19; ++i) t.entries[size_t(i)] = Loop(400.0f + 30.0f * float(i - 16), 430.0f + 30.0f * float(i - 16), 1.0f);
  t.entries[20] = RouteEntry{0, 520.0f, 580.0f, 0, 0.5f};
  b.BulletPath(3, {EShotMotion{40, 0x1, 0.0f, 0.0f, 0.0f, -1.6f, nullptr},
                   EShotMotion{600, 0x1, 0.0f, 0.0f, 0.0f, 2.5f, nullptr}});
  b.BulletPath(4, {EShotMotion{40, 0x101, 0.0f, 0.5f, 0.0f, 2.2f, nullptr},
                   EShotMotion{600, 0x0, 0.0f, 0.0f, 0.0f, 0.0f, nullptr}});
}

}  // namespace datagen
