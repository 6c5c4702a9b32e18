#pragma once
// What the boss behaviour scripts share: the time limit, the defeat they
// send their body, sounds under the game's sound rule, the generators they
// add to the body's child list 0 and their spline paths.
#include <cstdint>
#include <initializer_list>

#include "game/core/SplineMover.h"
#include "game/enemy/EnemyBase.h"

class EShotGen;
struct EShotMotion;

// The boss has been alive longer than its parameter record's frame limit.
bool BossTimeUp(const EnemyBase* boss);
// kHitEventDefeated (argument 0) to the body: its normal defeat, with the score
// popup only while the limit is not passed.
void DefeatBoss(EnemyBase* boss);
// Kills every generator of the body (its child list 0).
void KillBossGenerators(EnemyBase* boss);
// Kills the children of every list of the body.
void KillBossChildren(EnemyBase* boss);
// Effect n of the effect bank and voice n of the voice bank under the game's
// sound rule; stopping voices.
void BossSe(int32_t n, int32_t gain = 61440);
void BossVoice(int32_t n, int32_t gain = 61440);
void StopBossVoices(std::initializer_list<int32_t> voices);
// Three keys at the point with the tangents (1, t, 0), (-1, t, 0) and
// (1, t, 0) scaled to `length`, over 120, 120 and 0 frames, looping: a
// sway right and left on a 240-frame cycle.
void StartLoopPath(SplineMover* path, const float* at, float t, float length);
// A shot generator of the scripts, G(source; a1..a25): following `source`
// (held by `holder`: once it is gone the generator keeps the last position),
// added to the body's child list 0 with argument 0. Null when it could not
// be made.
EShotGen* BossGen(EnemyBase* boss, const float* source, SObject* holder, uint32_t flags, uint32_t hitWord,
                  int32_t codeA, int32_t codeB, float baseAngle, float sweepStart, float sweepEnd, float startSpeed,
                  float endSpeed, int32_t ways, float spread, int32_t rows, float rowWidth, int32_t volleyFrames,
                  int32_t volleys, int32_t bursts, int32_t burstFrames, float offsetX, float offsetY, uint32_t word20,
                  uint32_t muzzleFlash, float startDelay, const EShotMotion* motion, int32_t id, int32_t a4);
