// Boss type 8 ("osr_bs06"): the gun-mount craft. The model row's scale is 11
// and the boss hovers at depth 1770 (512 / 2282 of it), so a model unit
// shows at about 2.5 play units: the hull spans some 200.
#include "tools/datagen/boss_data.h"

namespace datagen {

namespace {

constexpr int kNodes = 59;  // the highest node the boss names is 58
constexpr uint32_t kFrames = 241;
constexpr int32_t kRouteTable = 108;

}  // namespace

std::vector<uint8_t> Boss08Model() {
  std::vector<BossModelNode> n(kNodes, BossModelNode{0, 0.0f, 0.0f, 0.0f, 0.0f});
  n[0] = {-1, 0.0f, 0.0f, 0.0f, 40.0f};
  n[1] = {0, 0.0f, 0.0f, 0.0f, 0.0f};
  // Gun mounts 58 and 57 on the wings, 2 under the nose; the cannon's
  // muzzle 56 in front of it.
  n[58] = {0, -45.0f, 10.0f, -2.0f, 8.0f};
  n[57] = {0, 45.0f, 10.0f, -2.0f, 8.0f};
  n[2] = {0, 0.0f, -30.0f, -2.0f, 8.0f};
  n[56] = {2, 0.0f, -10.0f, 0.0f, 3.0f};
  // Exhausts: the two sides and a row of five at the back.
  n[21] = {0, 35.0f, 25.0f, 0.0f, 4.0f};
  n[12] = {0, -35.0f, 25.0f, 0.0f, 4.0f};
  const int row[5] = {52, 47, 42, 37, 32};
  for (int i = 0; i < 5; ++i) n[row[i]] = {0, -24.0f + 12.0f * float(i), 38.0f, 0.0f, 3.0f};
  return WriteBossModel(n, kFrames);
}

void Boss08Record(StageScriptBuilder& b, EnemyParam& p) {
  // Animation stretches: 0 hover (looped), 1 to 3 the moves between the
  // attacks, 4 to 6 the cannon's charge, fire and rest, 7 to 10 the wreck's
  // drift (8 looped); 11 and 12 the recoil entries the script rewrites.
  std::vector<RouteEntry> e(31, RouteEntry{0, 0.0f, 40.0f, 1, 1.0f});
  for (int i = 1; i <= 10; ++i)
    e[size_t(i)] = RouteEntry{0, 40.0f + 20.0f * float(i - 1), 60.0f + 20.0f * float(i - 1), 0, 1.0f};
  e[8].wrap = 1;
  b.Routes(kRouteTable, {}).entries = e;
  p.routeTableId = kRouteTable;
  p.recoilRouteIndex = 11;
  p.defeatMode = 3;
  // The triple lines bend as they fly.
  b.BulletPath(0, {EShotMotion{40, 0x101, 0.0f, 0.08f, 0.0f, 0.0f, nullptr}});
}

}  // namespace datagen
