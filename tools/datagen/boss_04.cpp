// Boss type 4 ("osr_bs02"): the armoured core. The model row's scale is
// 4.44 and the boss fights at depth 3830 (512 / 4342 of it), so model units
// show at about half their size: the hull spans some 230 play units.
#include <cmath>

#include "tools/datagen/boss_data.h"

namespace datagen {

namespace {

constexpr int kNodes = 71;  // the core is node 70
constexpr uint32_t kFrames = 401;
constexpr int32_t kRouteTable = 104;

}  // namespace

std::vector<uint8_t> Boss04Model() {
  std::vector<BossModelNode> n(kNodes, BossModelNode{0, 0.0f, 0.0f, 0.0f, 0.0f});
  n[0] = {-1, 0.0f, 0.0f, 0.0f, 230.0f};
  n[70] = {0, 0.0f, 0.0f, -20.0f, 45.0f};  // the core, a little in front
  // The armour parts 62 to 69 ring the core.
  for (int i = 0; i < 8; ++i) {
    const float a = float(i) * 0.7853982f;
    n[62 + i] = {0, 210.0f * std::cos(a), 210.0f * std::sin(a), -10.0f, 30.0f};
  }
  // The pieces the defeat show blows away, group by group.
  const struct {
    int node;
    float x, y, size;
  } pieces[] = {{27, -150, -150, 60}, {40, 150, -150, 60}, {44, 0, -220, 70}, {20, 0, 120, 80},
                {49, -200, 60, 50},   {35, 200, 60, 50},   {17, 0, 200, 60},  {14, 0, -60, 0}};
  for (const auto& p : pieces) n[p.node] = {0, p.x, p.y, -5.0f, p.size};
  // Points the shadow is cast from.
  for (int i : {1, 2, 5, 7, 8, 11, 54, 55, 56, 57}) n[i] = {0, float(i % 5 - 2) * 90.0f, float(i % 3 - 1) * 90.0f, 0, 0};
  return WriteBossModel(n, kFrames);
}

void Boss04Record(StageScriptBuilder& b, EnemyParam& p) {
  // Animation stretches: 0 hover (looped; the entry waits for two laps),
  // 7 to 12 the tour and the way back home, 13 to 18 the side sweeps, 19
  // to 21 the bombard and laser poses, 22 the swarm, 23 to 27 the entry's
  // drop and landing, 28 to 30 the defeat (29 looped four times).
  std::vector<RouteEntry> e(31, RouteEntry{0, 0.0f, 40.0f, 1, 1.0f});
  for (int i = 7; i <= 21; ++i) e[size_t(i)] = RouteEntry{0, 40.0f + 20.0f * float(i - 7), 60.0f + 20.0f * float(i - 7), 0, 1.0f};
  e[20].wrap = 1;
  for (int i = 23; i <= 27; ++i) e[size_t(i)] = RouteEntry{0, 340.0f + 10.0f * float(i - 23), 350.0f + 10.0f * float(i - 23), 0, 1.0f};
  e[28] = RouteEntry{0, 0.0f, 20.0f, 0, 1.0f};
  e[29] = RouteEntry{0, 20.0f, 30.0f, 1, 1.0f};
  e[30] = RouteEntry{0, 30.0f, 40.0f, 0, 1.0f};
  b.Routes(kRouteTable, {}).entries = e;
  p.routeTableId = kRouteTable;
  p.defeatMode = 3;
  // The bullet paths of the bombard (2: shots that slow and drift, 3: a
  // curling fan) and of the swarm (4: given to it in flight, speeding up).
  b.BulletPath(2, {EShotMotion{40, 0x1, 0.0f, 0.0f, 0.0f, -3.0f, nullptr}, EShotMotion{600, 0x1, 0.0f, 0.0f, 0.0f, 2.0f, nullptr}});
  b.BulletPath(3, {EShotMotion{90, 0x101, 0.0f, 0.15f, 0.0f, 0.0f, nullptr}});
  b.BulletPath(4, {EShotMotion{60, 0x1, 0.0f, 0.0f, 0.0f, 3.0f, nullptr}});
}

}  // namespace datagen
