// Boss type 16 (stage 5's last boss): a model of 78 nodes lying in the
// plane that the boss's quarter turn about x stands up, its route table and
// the bullet paths of its spirals and its stream.
#include <cmath>

#include "tools/datagen/touring_bosses.h"

namespace datagen {

namespace {

RouteEntry R(float from, float to, uint32_t wrap = 0) { return RouteEntry{0, from, to, wrap, 1.0f}; }

BossPart Place(int n) {
  switch (n) {
    case 12:
      return {0, 0, 0};  // the heart that burns through the show
    case 15:
      return {0, -40, 0};
    case 17:
      return {90, -30, 0};  // the parts blown off first, second and third
    case 23:
      return {-90, -30, 0};
    case 5:
      return {0, 70, 0};
    default: {
      const float a = float(n) * 0.47f;
      const float r = 60.0f + float(n % 4) * 25.0f;
      return {r * std::cos(a), r * std::sin(a) * 0.7f, 0};
    }
  }
}

}  // namespace

std::vector<uint8_t> Boss16Model(float scale) { return PartsModel(78, 300.0f, scale, 400, Place, true); }

void AddBoss16(StageScriptBuilder& b, EnemyParam& p) {
  // 0 loops (the rest pose: the entrance ends on its first pass, the
  // chevrons and the lasers wait two); 9, 10 and 11 the wind-up, attack and
  // closing motions; 12 to 17 the death motions (13 and 15 loop twice).
  SetBossRoutes(b, p,
                {R(0, 40, 1), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30),
                 R(40, 80), R(80, 120, 1), R(120, 160), R(160, 200), R(200, 220, 1), R(220, 260), R(260, 280, 1),
                 R(280, 320), R(320, 360), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30),
                 R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30)});
  // The spirals' two arms curl apart; the stream slows as it spreads.
  EnsureBulletPath(b, 0, {EShotMotion{60, 0x100, 0.0f, 0.1f, 0.0f, 0.0f, nullptr},
                          EShotMotion{600, 0x0, 0.0f, 0.0f, 0.0f, 0.0f, nullptr}});
  EnsureBulletPath(b, 1, {EShotMotion{60, 0x100, 0.0f, -0.1f, 0.0f, 0.0f, nullptr},
                          EShotMotion{600, 0x0, 0.0f, 0.0f, 0.0f, 0.0f, nullptr}});
  EnsureBulletPath(b, 5, {EShotMotion{40, 0x1, 0.0f, 0.0f, 0.0f, -3.0f, nullptr},
                          EShotMotion{600, 0x0, 0.0f, 0.0f, 0.0f, 0.0f, nullptr}});
}

}  // namespace datagen
