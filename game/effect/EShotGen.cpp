#include "game/effect/EShotGen.h"

#include <cmath>
#include <utility>

#include "game/effect/EShotMan.h"
#include "game/effect/EfxMan.h"
#include "game/effect/RandF.h"
#include "game/effect/ShotEasing.h"
#include "game/player/Player.h"
#include "game/stage/MapMng.h"
#include "game/stage/ScriptStgRsc.h"
#include "game/tables/shot_tables.h"

namespace {

// The enemy time step of the stage world.
float EnemyStep() { return g_MapMng.enemyTimeScale; }

// (x, y) seen from the eye, at depth 0.
void ProjectToScreen(float* x, float* y, float* z) {
  if (*z == 0.0f) return;
  float d = *z + 512.0f;
  if (!(d >= 1.0f)) d = 1.0f;
  const float s = 512.0f / d;
  *x *= s;
  *y *= s;
  *z = 0.0f;
}

}  // namespace

EShotGen::EShotGen(const float* ownerPos, const GeneratorRecord* r, int32_t id_, int32_t a4_, SObject* holder)
    : id(id_), a4(a4_) {
  if (r != nullptr) {
    flags = r->flags;
    hitWord = r->hitWord;
    codeA = r->shotCodeA;
    codeB = r->shotCodeB;
    baseAngle = r->baseAngle;
    sweepStart = r->sweepStart;
    sweepEnd = r->sweepEnd;
    startSpeed = r->startSpeed;
    endSpeed = r->endSpeed;
    ways = r->ways;
    spread = r->spread;
    rows = r->rows;
    rowWidth = r->rowWidth;
    volleyFrames = r->volleyFrames;
    volleys = r->volleys;
    burstFrames = r->burstFrames;
    bursts = r->bursts;
    offsetX = r->offsetX;
    offsetY = r->offsetY;
    word20 = r->word20;
    muzzleFlash = r->muzzleFlash;
    startDelay = r->startDelay;
    motion = r->bulletPath;
  }
  initialBursts = bursts;
  owner_.Set(ownerPos, holder);
}

EShotGen::EShotGen(const float* ownerPos, uint32_t flags_, uint32_t hitWord_, int32_t codeA_, int32_t codeB_,
                   float baseAngle_, float sweepStart_, float sweepEnd_, float startSpeed_, float endSpeed_,
                   int32_t ways_, float spread_, int32_t rows_, float rowWidth_, int32_t volleyFrames_,
                   int32_t volleys_, int32_t bursts_, int32_t burstFrames_, float offsetX_, float offsetY_,
                   uint32_t word20_, uint32_t muzzleFlash_, float startDelay_, const EShotMotion* motion_,
                   int32_t id_, int32_t a4_, SObject* holder)
    : flags(flags_),
      hitWord(hitWord_),
      codeA(codeA_),
      codeB(codeB_),
      baseAngle(baseAngle_),
      sweepStart(sweepStart_),
      sweepEnd(sweepEnd_),
      startSpeed(startSpeed_),
      endSpeed(endSpeed_),
      ways(ways_),
      spread(spread_),
      rows(rows_),
      rowWidth(rowWidth_),
      volleyFrames(volleyFrames_),
      volleys(volleys_),
      burstFrames(burstFrames_),
      bursts(bursts_),
      offsetX(offsetX_),
      offsetY(offsetY_),
      word20(word20_),
      muzzleFlash(muzzleFlash_),
      startDelay(startDelay_),
      motion(motion_),
      id(id_),
      a4(a4_),
      initialBursts(bursts_) {
  owner_.Set(ownerPos, holder);
}

EShotGen::~EShotGen() = default;

int32_t EShotGen::Init(SProcArg) {
  SetName("EShotGen");
  volleyIndex = 0;
  volleyTimer = 0.0f;
  // A negative volley count would never be reached, and with no interval
  // the volleys would chain within one frame for ever: it counts as 1.
  if (volleys <= 0) volleys = 1;
  if (ways == 0) ways = 1;
  if (rows == 0) rows = 1;
  if ((flags & kRandomSpread) == 0 && spread >= 1.0f) spread = 1.0f - 1.0f / static_cast<float>(ways);
  SetInitResult(0);
  return 0;
}

int32_t EShotGen::OnDispose(SProcArg) { return 0; }

int32_t EShotGen::Main(SProcArg) {
  const float step = EnemyStep();
  if (startDelay > 0.0f) {
    startDelay -= step;
    return 0;
  }
  volleyTimer -= step;
  if (volleyTimer > 0.0f) return 0;
  // A timer of exactly 0 chains the next volley into the same frame.
  while (Volley() && volleyTimer == 0.0f) {
  }
  return 0;
}

bool EShotGen::Volley() {
  const float* o = OwnerPosition();
  float x = o[0] + offsetX, y = o[1] + offsetY, z = o[2];
  const uint32_t aim = flags & kAimMask;
  if (volleyIndex == 0) {
    angle = baseAngle;
    if (aim == kAimOnce) {
      ProjectToScreen(&x, &y, &z);
      angle = baseAngle + ShotAim(x, y, PlayerPos.x, PlayerPos.y);
    }
  }
  const float fi = static_cast<float>(volleyIndex);
  const float t = ((flags & kSweepSwap) == 0 && volleys > 1) ? fi / static_cast<float>(volleys - 1)
                                                               : fi / static_cast<float>(volleys);
  float e = 0.0f;
  float speed = 0.0f;
  if (ShotEase(flags & kSpeedEasing, (flags & kSpeedDouble) != 0 ? 2.0f * t : t, &e))
    speed = startSpeed + e * (endSpeed - startSpeed);
  float offset = 0.0f;
  if (ShotEase((flags & kSweepEasing) >> 8, (flags & kSweepDouble) != 0 ? 2.0f * t : t, &e))
    offset = sweepStart + e * (sweepEnd - sweepStart);
  float a = angle + offset;
  // With a base angle the sweep accumulates from volley to volley (spirals).
  if (baseAngle != 0.0f) angle = a;
  if (aim == kAimEvery) {
    ProjectToScreen(&x, &y, &z);
    a += ShotAim(x, y, PlayerPos.x, PlayerPos.y);
  }
  if (rows > 1) {
    const float p = (a - 0.25f) * kTwoPi;
    const float c = std::cos(p), s = std::sin(p);
    float rx = x - (rowWidth / 2.0f) * c, ry = y - (rowWidth / 2.0f) * s;
    const float gap = rowWidth / static_cast<float>(rows - 1);
    for (int32_t i = 0; i < rows; ++i) {
      FireRow(rx, ry, z, a, speed);
      rx += gap * c;
      ry += gap * s;
    }
  } else {
    FireRow(x, y, z, a, speed);
  }
  ++volleyIndex;
  if (volleyIndex == volleys) {
    // A negative count of further bursts means none remain (counting it
    // down would run for about 2^31 bursts).
    if (bursts <= 0) {
      Kill(0);
      return false;
    }
    --bursts;
    std::swap(codeA, codeB);
    if ((flags & kSpeedHold) != 0) {
      startSpeed = endSpeed;
    } else if ((flags & kSpeedSwap) != 0) {
      std::swap(startSpeed, endSpeed);
    }
    if ((flags & kSweepHold) != 0) {
      sweepStart = sweepEnd;
    } else if ((flags & kSweepSwap) != 0) {
      std::swap(sweepStart, sweepEnd);
    }
    volleyTimer = static_cast<float>(burstFrames);
    volleyIndex = 0;
  } else {
    volleyTimer = static_cast<float>(volleyFrames);
  }
  return true;
}

void EShotGen::FireRow(float x, float y, float z, float a, float speed) {
  if (muzzleFlash != 0) SpawnMuzzleFlash(x, y, z);
  if ((flags & kRandomSpread) != 0) {
    for (int32_t k = ways; k >= 1; --k) {
      const float ak = (RandF() - 0.5f) * spread + a;
      EShotMan::Fire((k & 1) != 0 ? codeA : codeB, hitWord, x, y, z, ak, speed, motion, id, nullptr, 1.0f);
    }
  } else if (ways > 1) {
    const float first = a - spread / 2.0f;
    const float gap = spread / static_cast<float>(ways - 1);
    for (int32_t k = ways; k >= 1; --k) {
      const float ak = first + gap * static_cast<float>(ways - k);
      EShotMan::Fire((k & 1) != 0 ? codeA : codeB, hitWord, x, y, z, ak, speed, motion, id, nullptr, 1.0f);
    }
  } else {
    EShotMan::Fire(codeA, hitWord, x, y, z, a, speed, motion, id, nullptr, 1.0f);
  }
}

void EShotGen::SpawnMuzzleFlash(float x, float y, float z) {
  const SVec4 pos{x, y, z, 0.0f};
  const float angle0 = RandF();
  EfxMan* efx = EfxMan::Instance();
  if (efx == nullptr) return;
  efx->SpawnSprite(7, &pos, EShotKeysFromCode(static_cast<uint32_t>(codeA)), nullptr, nullptr, 2, 6, angle0, 1.0f,
                   1.0f, nullptr, nullptr, 0.0f, 1);
}
