#pragma once
// The player side's effects, each spawned through the effect manager at a
// point: bursts of the lock-on, bomb and dash, sparkles, option pictures,
// shot hits and dash markers. Every random number they use is drawn here in
// a fixed order, whatever the effect pools hold (replays rely on it); a
// full pool only drops the picture.
#include <cstdint>

#include "vrax/graphic/SMath.h"

class Player;

class PlayerFx {
 public:
  // A ring of aimed sparks at the point (lock catch, bomb, dash finish).
  static void Burst(const float* point);
  // The bomb's start at the ship: a directed sprite, six sprites around it,
  // a burst and a white flash.
  static void Trail(const Player* player);
  // A white full-screen flash sprite.
  static void Flash(const float* point);
  // The warp's ring burst.
  static void RingBurst(const float* point);
  // Three pieces of debris of the falling ship.
  static void Debris(const float* point);
  // One sparkle: velocities along the angle (turns) times a (damped by
  // damping) and times b, a random size, fading to red.
  static void Sparkle(const float* point, float angle, float a, float b, float damping, int32_t life,
                      int32_t life2);
  // The bomb's rings at the emitter, held there by the Player's anchors.
  static void BombAnchors(Player* player, const SVec4& emitter);
  static void ExplosionBurst(const float* point);
  // A streak of the shot hit (kind 4).
  static void Spark(const float* point, const float* velocity, int32_t life, float width);
  // The shot-hit sprite.
  static void HitSprite(const float* point, float start);
  // Option pictures: appearing (growing), active (frame 0..3), vanishing.
  static void OptionAppearing(const float* point, float scale);
  static void OptionActive(const float* point, int32_t frame);
  static void OptionVanish(const float* point, int32_t frames);
  // A chain dash marker: the ring and the turning mark.
  static void DashMarker(const float* point, const float* colour, float ringScale, float phase, float markScale);
  // The boss dash marker: three sprites around the boss.
  static void BossMarker(const float* point, int32_t slot, float growth, float alpha);
  // Plays one of two voices, or none, by one random draw.
  static void Voice(int32_t first, int32_t second);
};
