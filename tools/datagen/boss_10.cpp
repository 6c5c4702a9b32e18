// Boss type 10 (stage 3's second boss): a model of 94 nodes with its
// emitter, hit and muzzle points, and a route table whose entries run the
// animator through the values the script waits for.
#include <cmath>

#include "tools/datagen/touring_bosses.h"

namespace datagen {

namespace {

// Route entry: from, to, wrap, speed 1 (one value a frame).
RouteEntry R(float from, float to, uint32_t wrap = 0) { return RouteEntry{0, from, to, wrap, 1.0f}; }

BossPart Place(int n) {
  switch (n) {
    case 89:
      return {0, 60, 0};  // the arrow emitters
    case 90:
      return {0, 0, 0};  // the hit point
    case 91:
      return {0, 90, 0};  // the laser and spread muzzle
    case 92:
      return {-150, 40, 0};  // the left and right fan muzzles
    case 93:
      return {150, 40, 0};
    default: {
      // The rest ring the hull.
      const float a = float(n) * 0.41f;
      const float r = 80.0f + float(n % 5) * 30.0f;
      return {r * std::cos(a), r * std::sin(a) * 0.6f, 0};
    }
  }
}

}  // namespace

// The boss climbs to z 3024 and stays there, so it is drawn large: about
// 1500 units across, some 220 on screen.
std::vector<uint8_t> Boss10Model(float scale) { return PartsModel(94, 1500.0f, scale, 700, Place); }

void AddBoss10(StageScriptBuilder& b, EnemyParam& p) {
  p.hitRadius = 40.0f;
  // 0: the climb's loop (its sound values 546, 552, 556 and 558 on the
  // way); 1, 2: the rest of the climb; 3 to 8: the tour (4 loops twice
  // while it sways right, 7 four times while it sways left); 15 passes
  // 107 (the laser sound); 16 loops five times while the lasers sweep;
  // 24 passes 308 and 321 (the fan volleys); 25 to 28 the defeat.
  SetBossRoutes(b, p,
                {R(540, 570, 1), R(0, 70), R(560, 600), R(0, 40), R(0, 40, 1), R(0, 30), R(0, 40), R(0, 20, 1),
                 R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(90, 130), R(0, 30, 1),
                 R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(0, 30), R(300, 330), R(0, 20),
                 R(0, 20), R(0, 20, 1), R(0, 20), R(0, 30), R(0, 30)});
}

}  // namespace datagen
