#pragma once
// Checks a boss's bullet generator against the 25 values it was meant to be
// built with, as its set-up leaves them: a count of 0 taken as 1 and an even
// spread of a whole turn or more replaced by 1 - 1/shots. The bullet path
// is compared as "none" or "some" (-1: none).
#include <gtest/gtest.h>

#include <vector>

#include "game/effect/ELaserGen.h"
#include "game/effect/EShotGen.h"
#include "game/enemy/BossShots.h"
#include "vrax/kernel/SProc.h"

namespace enemytest {

inline void ExpectGen(const EShotGen& g, const ShotTuple& t) {
  const int32_t ways = t.ways == 0 ? 1 : t.ways;
  float spread = t.spread;
  // Flag 0x40000: a random spread.
  if ((t.flags & 0x40000u) == 0 && spread >= 1.0f) spread = 1.0f - 1.0f / float(ways);
  EXPECT_EQ(g.flags, t.flags);
  EXPECT_EQ(g.hitWord, t.hitWord);
  EXPECT_EQ(g.codeA, t.codeA);
  EXPECT_EQ(g.codeB, t.codeB);
  EXPECT_FLOAT_EQ(g.baseAngle, t.baseAngle);
  EXPECT_FLOAT_EQ(g.sweepStart, t.sweepStart);
  EXPECT_FLOAT_EQ(g.sweepEnd, t.sweepEnd);
  EXPECT_FLOAT_EQ(g.startSpeed, t.startSpeed);
  EXPECT_FLOAT_EQ(g.endSpeed, t.endSpeed);
  EXPECT_EQ(g.ways, ways);
  EXPECT_FLOAT_EQ(g.spread, spread);
  EXPECT_EQ(g.rows, t.rows == 0 ? 1 : t.rows);
  EXPECT_FLOAT_EQ(g.rowWidth, t.rowWidth);
  EXPECT_EQ(g.volleyFrames, t.volleyFrames);
  EXPECT_EQ(g.volleys, t.volleys <= 0 ? 1 : t.volleys);
  EXPECT_EQ(g.initialBursts, t.bursts);
  EXPECT_EQ(g.burstFrames, t.burstFrames);
  EXPECT_FLOAT_EQ(g.offsetX, t.offsetX);
  EXPECT_FLOAT_EQ(g.offsetY, t.offsetY);
  EXPECT_EQ(g.word20, t.word20);
  EXPECT_EQ(g.muzzleFlash, t.muzzleFlash);
  EXPECT_FLOAT_EQ(g.startDelay, t.startDelay);
  EXPECT_EQ(g.motion != nullptr, t.pathId >= 0);
  EXPECT_EQ(g.id, t.id);
  EXPECT_EQ(g.a4, t.a4);
}

// The live bullet generators in child list 0 of p, oldest first.
inline std::vector<EShotGen*> LiveGens(SProc* p) {
  std::vector<EShotGen*> r;
  if (SProcList* l = p->GetList(0))
    for (SProc* c = l->Head(); c != nullptr; c = SProcList::Next(c))
      if (auto* g = dynamic_cast<EShotGen*>(c); g != nullptr && c->GetState() < SProc::STATE_KILLED) r.push_back(g);
  return r;
}

// A laser's 14 values: L1 to L13 and the duration.
struct LaserWant {
  uint32_t flags;
  float speed;
  int32_t firingTime, colour;
  float coreFactor, aBase, aRange, aValue1, aValue0, bBase, bRange, bValue1, bValue0;
  int32_t duration;
};

inline void ExpectLaser(const ELaserGen& l, const LaserWant& w) {
  EXPECT_EQ(l.flags, w.flags);
  EXPECT_FLOAT_EQ(l.speed, w.speed);
  EXPECT_EQ(l.firingTime, w.firingTime);
  EXPECT_EQ(l.colour, w.colour);
  EXPECT_FLOAT_EQ(l.coreFactor, w.coreFactor);
  EXPECT_FLOAT_EQ(l.WidthA().base, w.aBase);
  EXPECT_FLOAT_EQ(l.WidthA().range, w.aRange);
  EXPECT_FLOAT_EQ(l.WidthA().value1, w.aValue1);
  EXPECT_FLOAT_EQ(l.WidthA().value0, w.aValue0);
  EXPECT_FLOAT_EQ(l.WidthB().base, w.bBase);
  EXPECT_FLOAT_EQ(l.WidthB().range, w.bRange);
  EXPECT_FLOAT_EQ(l.WidthB().value1, w.bValue1);
  EXPECT_FLOAT_EQ(l.WidthB().value0, w.bValue0);
  EXPECT_EQ(l.duration, w.duration);
}

// The live lasers in child list 0 of p, oldest first.
inline std::vector<ELaserGen*> LiveLasers(SProc* p) {
  std::vector<ELaserGen*> r;
  if (SProcList* l = p->GetList(0))
    for (SProc* c = l->Head(); c != nullptr; c = SProcList::Next(c))
      if (auto* g = dynamic_cast<ELaserGen*>(c); g != nullptr && c->GetState() < SProc::STATE_KILLED) r.push_back(g);
  return r;
}

}  // namespace enemytest
