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
#include "platform/crt_rand.h"

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
  // A timer of exactly 0 chains the next volley into the same frame. Neither
  // the shot pool nor the effect pool frees room while the emitter runs, so
  // a refusal holds for the rest of the frame: from then on volleys that can
  // show nothing are passed over with their random draws alone, and any
  // count a record holds ends the frame in bounded time.
  shotRefused_ = flashRefused_ = false;
  bool alive = true;
  do {
    alive = VolleyCanShow() ? Volley() : PassQuietVolleys();
  } while (alive && volleyTimer == 0.0f);
  return 0;
}

bool EShotGen::RowCanShoot() const {
  if (shotRefused_ || ((flags & kRandomSpread) != 0 && ways <= 0)) return false;
  // A fan of more than one way fires both codes; a single way only code A.
  return EShotMan::IsFiredCode(codeA) || (ways > 1 && EShotMan::IsFiredCode(codeB));
}

bool EShotGen::VolleyCanShow() const { return RowCanShoot() || (muzzleFlash != 0 && !flashRefused_); }

bool EShotGen::NothingMoreToShow() const {
  if (muzzleFlash != 0 && !flashRefused_) return false;
  if (shotRefused_ || ((flags & kRandomSpread) != 0 && ways <= 0)) return true;
  // Codes A and B change places after each burst.
  return !EShotMan::IsFiredCode(codeA) && !EShotMan::IsFiredCode(codeB);
}

uint32_t EShotGen::DrawsPerRow() const {
  return (muzzleFlash != 0 ? 1u : 0u) + ((flags & kRandomSpread) != 0 && ways > 0 ? uint32_t(ways) : 0u);
}

uint32_t EShotGen::DrawsPerVolley() const { return (rows > 1 ? uint32_t(rows) : 1u) * DrawsPerRow(); }

bool EShotGen::PassQuietVolleys() {
  // Draw counts wrap modulo 2^32, the generator's period.
  const bool restFollows = volleyFrames == 0 || volleyIndex >= volleys - 1;
  const bool burstsFollow = bursts <= 0 || (burstFrames == 0 && (volleyFrames == 0 || volleys == 1));
  if (restFollows && burstsFollow && NothingMoreToShow()) {
    // Every volley left follows in this frame and none can show anything:
    // the emitter ends after their draws.
    const uint32_t left = uint32_t(volleys - volleyIndex) + uint32_t(bursts > 0 ? bursts : 0) * uint32_t(volleys);
    plat::RandSkip(left * DrawsPerVolley());
    Kill(0);
    return false;
  }
  // The rest of this burst, when its volleys follow at once: all but its
  // last make only their draws (nothing changes within a burst that could
  // let them show more); the last one ends the burst.
  if (volleyFrames == 0 && volleyIndex < volleys - 1) {
    plat::RandSkip(uint32_t(volleys - 1 - volleyIndex) * DrawsPerVolley());
    volleyIndex = volleys - 1;
  }
  return Volley();
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
  const int32_t rowCount = rows > 1 ? rows : 1;
  float rx = x, ry = y, c = 0.0f, s = 0.0f, gap = 0.0f;
  if (rows > 1) {
    const float p = (a - 0.25f) * kTwoPi;
    c = std::cos(p);
    s = std::sin(p);
    rx = x - (rowWidth / 2.0f) * c;
    ry = y - (rowWidth / 2.0f) * s;
    gap = rowWidth / static_cast<float>(rows - 1);
  }
  for (int32_t i = 0; i < rowCount; ++i) {
    if (!VolleyCanShow()) {
      plat::RandSkip(uint32_t(rowCount - i) * DrawsPerRow());
      break;
    }
    FireRow(rx, ry, z, a, speed);
    rx += gap * c;
    ry += gap * s;
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
  if (muzzleFlash != 0) {
    if (flashRefused_)
      plat::Rand();  // the draw of a flash that cannot come
    else
      SpawnMuzzleFlash(x, y, z);
  }
  if ((flags & kRandomSpread) != 0) {
    for (int32_t k = ways; k >= 1; --k) {
      if (!RowCanShoot()) {
        plat::RandSkip(uint32_t(k));  // one draw for each way left
        return;
      }
      const float ak = (RandF() - 0.5f) * spread + a;
      Shoot((k & 1) != 0 ? codeA : codeB, x, y, z, ak, speed);
    }
  } else if (ways > 1) {
    const float first = a - spread / 2.0f;
    const float gap = spread / static_cast<float>(ways - 1);
    for (int32_t k = ways; k >= 1 && RowCanShoot(); --k) {
      const float ak = first + gap * static_cast<float>(ways - k);
      Shoot((k & 1) != 0 ? codeA : codeB, x, y, z, ak, speed);
    }
  } else {
    Shoot(codeA, x, y, z, a, speed);
  }
}

void EShotGen::Shoot(int32_t code, float x, float y, float z, float a, float speed) {
  // A code that can be fired and is refused finds the pool full (or no
  // manager).
  if (EShotMan::Fire(code, hitWord, x, y, z, a, speed, motion, id, nullptr, 1.0f) == nullptr &&
      EShotMan::IsFiredCode(code))
    shotRefused_ = true;
}

void EShotGen::SpawnMuzzleFlash(float x, float y, float z) {
  const SVec4 pos{x, y, z, 0.0f};
  const float angle0 = RandF();
  EfxMan* efx = EfxMan::Instance();
  if (efx == nullptr ||
      efx->SpawnSprite(7, &pos, EShotKeysFromCode(static_cast<uint32_t>(codeA)), nullptr, nullptr, 2, 6, angle0,
                       1.0f, 1.0f, nullptr, nullptr, 0.0f, 1) == nullptr)
    flashRefused_ = true;
}
