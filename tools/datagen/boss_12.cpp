// Boss type 12 (stage 4's first boss): a model of 95 nodes (vents 87 to
// 94 along its back), its route table and the four bullet paths its
// generators follow.
#include <cmath>

#include "tools/datagen/touring_bosses.h"

namespace datagen {

namespace {

RouteEntry R(float from, float to, uint32_t wrap = 0) { return RouteEntry{0, from, to, wrap, 1.0f}; }

BossPart Place(int n) {
  if (n >= 87) return {float(n - 90) * 40.0f - 20.0f, -50, 0};  // the vents in a row
  const float a = float(n) * 0.37f;
  return {100.0f * std::cos(a), 60.0f * std::sin(a), 0};
}

}  // namespace

std::vector<uint8_t> Boss12Model(float scale) { return PartsModel(95, 320.0f, scale, 400, Place); }

void AddBoss12(StageScriptBuilder& b, EnemyParam& p) {
  // 0 to 2 the rise and the idle loop; 3, 4, 7 and 8 the sways; 9 to 11 the
  // fans; 12 to 15 the defeat (13 loops three times).
  SetBossRoutes(b, p,
                {R(0, 160), R(160, 300), R(300, 340, 1), R(0, 40), R(40, 80), R(0, 30), R(0, 30), R(80, 120),
                 R(120, 160), R(160, 200), R(200, 240), R(240, 280), R(0, 30), R(0, 20, 1), R(0, 30), R(0, 60),
                 R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30),
                 R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30)});
  // The hover's side streams bend down; the sway's shots slow and speed up.
  EnsureBulletPath(b, 5, {EShotMotion{30, 0x100, 0.0f, 0.1f, 0.0f, 0.0f, nullptr},
                          EShotMotion{600, 0x0, 0.0f, 0.0f, 0.0f, 0.0f, nullptr}});
  EnsureBulletPath(b, 6, {EShotMotion{30, 0x100, 0.0f, -0.1f, 0.0f, 0.0f, nullptr},
                          EShotMotion{600, 0x0, 0.0f, 0.0f, 0.0f, 0.0f, nullptr}});
  EnsureBulletPath(b, 8, {EShotMotion{30, 0x1, 0.0f, 0.0f, 0.0f, -2.0f, nullptr},
                          EShotMotion{60, 0x1, 0.0f, 0.0f, 0.0f, 3.0f, nullptr},
                          EShotMotion{600, 0x0, 0.0f, 0.0f, 0.0f, 0.0f, nullptr}});
  EnsureBulletPath(b, 9, {EShotMotion{45, 0x1, 0.0f, 0.0f, 0.0f, -2.0f, nullptr},
                          EShotMotion{60, 0x1, 0.0f, 0.0f, 0.0f, 3.0f, nullptr},
                          EShotMotion{600, 0x0, 0.0f, 0.0f, 0.0f, 0.0f, nullptr}});
}

}  // namespace datagen
