// Boss type 11 (stage 3's last boss): a model of 14 nodes (part 12 turns
// green in the defeat, part 13 bursts off), its route table and the two
// bullet paths of its volley.
#include <cmath>

#include "tools/datagen/touring_bosses.h"

namespace datagen {

namespace {

RouteEntry R(float from, float to, uint32_t wrap = 0, float speed = 1.0f) {
  return RouteEntry{0, from, to, wrap, speed};
}

BossPart Place(int n) {
  if (n == 12) return {0, 40, 0};    // the core that turns green
  if (n == 13) return {0, -60, 0};   // the crown that bursts off
  const float a = float(n) * 0.52f;  // the rest ring the hull
  return {110.0f * std::cos(a), 70.0f * std::sin(a), 0};
}

}  // namespace

std::vector<uint8_t> Boss11Model(float scale) { return PartsModel(14, 300.0f, scale, 400, Place); }

void AddBoss11(StageScriptBuilder& b, EnemyParam& p) {
  // 0 loops (the wait between attacks counts its laps); 1 to 6 the poses of
  // the wanders and the sweep; 10 and 11 the sway and the volley, each
  // played once; 12 the defeat.
  SetBossRoutes(b, p,
                {R(0, 40, 1), R(40, 80), R(80, 120), R(120, 160), R(160, 200), R(200, 240), R(240, 280), R(0, 30),
                 R(0, 30), R(0, 30), R(280, 330), R(330, 380), R(0, 100), R(0, 30), R(0, 30), R(0, 30), R(0, 30),
                 R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30),
                 R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30)});
  // The volley's two curling streams: a turn one way, then the other.
  EnsureBulletPath(b, 4, {EShotMotion{40, 0x100, 0.0f, 0.15f, 0.0f, 0.0f, nullptr},
                          EShotMotion{600, 0x0, 0.0f, 0.0f, 0.0f, 0.0f, nullptr}});
  EnsureBulletPath(b, 5, {EShotMotion{40, 0x100, 0.0f, -0.15f, 0.0f, 0.0f, nullptr},
                          EShotMotion{600, 0x0, 0.0f, 0.0f, 0.0f, 0.0f, nullptr}});
}

}  // namespace datagen
