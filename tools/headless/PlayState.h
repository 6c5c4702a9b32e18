#pragma once
// What a frame of play left behind, reduced to a number: two runs that
// agree on it frame by frame played the same game.
#include <cstdint>

namespace headless {

// FNV-1a over the rand seed, the scene, lives, bombs and score words, the
// Player's state, control mode, position and power, every listed enemy's
// position and hit points, every collision body of every group (the
// Player's bodies, player shots, enemies, bullets, lasers, thunder, effect
// shots: group, mask, position, radius) and the live count of every effect
// pool and of the items. Floats enter by their bits.
uint64_t PlayStateHash();

// How busy the play is: live enemy bullets; the bodies of collision group 9
// by their owner: laser segments, thunder nodes, and the rest (effect shots,
// boss parts); live effects of every pool; listed enemies and, among them,
// bosses (enemy types 3 to 16 but the set piece 9).
struct PlayLoad {
  int32_t bullets = 0;
  int32_t lasers = 0;
  int32_t thunder = 0;
  int32_t beams = 0;
  int32_t effects = 0;
  int32_t enemies = 0;
  int32_t bosses = 0;
};
PlayLoad CurrentLoad();

}  // namespace headless
