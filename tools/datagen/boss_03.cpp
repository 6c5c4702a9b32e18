// Boss type 3 ("osr_bs01"): the wheeled boss. Model coordinates are about 8
// times the size it shows at its fighting depth (2568: 512 / 3080 of the
// model's 0.77 scale), so the hull spans some 240 play units.
#include "tools/datagen/boss_data.h"

namespace datagen {

namespace {

constexpr int kNodes = 57;  // the highest node the boss names is 56
constexpr uint32_t kFrames = 301;
constexpr int32_t kRouteTable = 103;

}  // namespace

std::vector<uint8_t> Boss03Model() {
  std::vector<BossModelNode> n(kNodes, BossModelNode{0, 0.0f, 0.0f, 0.0f, 0.0f});
  n[0] = {-1, 0.0f, 0.0f, 0.0f, 900.0f};  // the hull
  // Wheels 1 to 4 on the right, 5 to 8 on the left, front to back.
  for (int w = 0; w < 4; ++w) {
    n[1 + w] = {0, 1100.0f, -600.0f + 400.0f * float(w), 0.0f, 180.0f};
    n[5 + w] = {0, -1100.0f, -600.0f + 400.0f * float(w), 0.0f, 180.0f};
  }
  // Cannon bodies, and their muzzles a little ahead of them: the first set
  // (26, 28 at the sides, 19 in the middle: the weak point of phase 0) and
  // the second (30, 41, and 17 in the middle).
  const struct {
    int body, muzzle;
    float x, y;
  } cannons[6] = {{26, 53, -700, -450}, {28, 54, 700, -450}, {19, 56, 0, -700},
                  {30, 52, -800, 300},  {41, 51, 800, 300},  {17, 55, 0, 450}};
  for (const auto& c : cannons) {
    n[c.body] = {0, c.x, c.y, 0.0f, 160.0f};
    n[c.muzzle] = {c.body, 0.0f, -230.0f, 0.0f, 60.0f};
  }
  return WriteBossModel(n, kFrames);
}

void Boss03Record(StageScriptBuilder& b, EnemyParam& p) {
  // Frame ranges of the model's animation: 0 to 60 the roll (looped), 150
  // to 210 the unfolding (through frame 180, where its sound plays), 210 to
  // 270 the unfolded pose (looped); 9 and 10 are the recoil entries of
  // phase 1 (the boss moves its recoil route there).
  std::vector<RouteEntry> e(31, RouteEntry{0, 0.0f, 60.0f, 1, 1.0f});
  e[4] = RouteEntry{0, 150.0f, 210.0f, 0, 1.0f};
  e[5] = RouteEntry{0, 210.0f, 270.0f, 1, 1.0f};
  e[9] = e[10] = RouteEntry{0, 210.0f, 240.0f, 0, 1.0f};
  b.Routes(kRouteTable, {}).entries = e;
  p.routeTableId = kRouteTable;
  p.defeatMode = 3;
  // The fans of the first set curl as they fly.
  b.BulletPath(0, {EShotMotion{60, 0x101, 0.0f, 0.1f, 0.0f, 0.0f, nullptr}});
}

}  // namespace datagen
