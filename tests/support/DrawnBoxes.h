#pragma once
// Boxes on the picture worked out from play-space numbers: a place at a
// depth, the union of boxes, and how far a sprite's key list reaches from
// its pivot; the looks of the bursts' sprites; and a boss defeated on its
// stage as it plays, its show held still at chosen moments, the frames
// between them run undrawn if need be.
#include <functional>
#include <memory>

#include "support/DrawnThings.h"
#include "support/StageBossFight.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpRect.h"
#include "vrax/kernel/SKernel.h"

class BossPartsObject;
class EfxSprite;

namespace testsupport {

// Holds nothing: the union's start.
constexpr PixelBox kNothing{640, 480, 0, 0};

// The picture's pixels that hold the play rectangle [x0, x1] x [y0, y1]
// standing anywhere between depths zA and zB: the view stands 512 before
// the play plane, so a place at depth z shows at 512 / (512 + z) of its play
// coordinates about the centre, and the play area shows at 0.75 pixels a
// unit about (320, 240). One pixel of slack each side for the filtering.
PixelBox DepthBox(float x0, float y0, float x1, float y1, float zA = 0.0f, float zB = 0.0f);

PixelBox Union(const PixelBox& a, const PixelBox& b);

// The farthest a part of the key list reaches from its pivot, turned any
// way: the largest distance from the pivot to a corner.
float Reach(const SGpKeyList* keys);

// How far the parts of the key list stand left of, above, right of and
// below their pivots, unturned.
struct Extent {
  float left = 0, up = 0, right = 0, down = 0;
};
Extent Extents(const SGpKeyList* keys);

// f + f^2 + ... + f^n: how far a velocity damped by f before each of n
// steps carries, per unit of its start.
float Damped(float f, int n);

// ------------------------------------------------------------ the places

// A place on the play plane.
struct At {
  float x, y;
};

// A box cut to the play field (pixels 140 to 500 across): the view shows
// nothing beyond it.
PixelBox Clip(PixelBox box);
// The box round the places from a to b that a sprite reaching `r` units
// from its place covers, standing between the play plane and `near` units
// towards the eye (away from it when negative), cut to the play field.
PixelBox Around(At a, At b, float r, float near = 0.0f);
PixelBox Around(At a, float r, float near = 0.0f);

// How far a burst's pieces reach `n` frames after it came, for size 1: the
// flash's frames at (r / 2 + 1.25) of their parts; its four streaks at
// (r / 2 + 2.5) of theirs, flying 0.1 of up to 4 units a frame and the 4
// units more damped by 0.9; the glow spot 24 times its dot.
float FlashReach();
float StreakReach(int n);
float StreakNear(int n);
float GlowReach(float size);

// ------------------------------------------------------------ the looks
// Effect sprites are told apart by their animation and spawn colour.

// The five animated frames of a burst's flash.
bool IsFlash(const EfxSprite& s);
// The green streaks of the small bursts (and of the larger ones).
bool IsStreak(const EfxSprite& s);
// The green glow spots.
bool IsGlowSpot(const EfxSprite& s);
// The rising smoke of a smoke column.
bool IsSmoke(const EfxSprite& s);
// The white and the green jets.
bool IsWhiteJet(const EfxSprite& s);
bool IsGreenJet(const EfxSprite& s);

std::function<void()> Hide(bool (*which)(const EfxSprite&));

// ------------------------------------------------------------ the defeat

// Asks the graphic manager, after every process has drawn, to leave the
// next frame's meshes and primitives unexecuted while `on`: the play runs
// the same, only faster.
class SkipDrawing : public SProc {
 public:
  bool on = true;
  // Joins the running program's kernel (made before the program, so that
  // it outlives it).
  void Join() {
    SetStatic(true);
    SKernel::GetInstance()->AddChild(0, this, 0);
  }

 protected:
  int32_t Init(SProcArg) override { return 0; }
  int32_t User(int32_t code, SProcArg) override {
    if (code == SKernel::kFrameUserEvent && on)
      if (SGpMan* gp = GetGpMan()) gp->SetPresentSkip(1);
    return 0;
  }
};

// A boss on its stage as it plays, defeated once its fight has begun `fight`
// frames; its show companion, when the defeat makes one, runs the show on
// its timer. The frames it plays on its own (the fight, and the run up to
// each still moment) are not drawn: only the still pictures are.
struct DefeatShow {
  std::unique_ptr<SkipDrawing> skip = std::make_unique<SkipDrawing>();  // outlives the program
  StageBossFight f;
  EnemyBase* boss = nullptr;
  BossPartsObject* companion = nullptr;

  // `defeat` ends the fight as the boss's hit points running out would
  // (by default, once).
  DefeatShow(int stage, float key, const char* name, int fight,
             const std::function<void(DefeatShow&)>& defeat = nullptr);
  // The same, `started` called once the program runs, before the stage's
  // timeline moves (to add helpers to the running program).
  DefeatShow(int stage, float key, const char* name, int fight, const std::function<void()>& started,
             const std::function<void(DefeatShow&)>& defeat = nullptr);
  // The boss came, was defeated, and its show companion runs.
  bool Began() const { return boss != nullptr && companion != nullptr; }
  Headless& H() { return f.W().H(); }
  // Runs until `due` holds (the frame's windows then run with it next), and
  // holds the game still; false when it never came.
  bool StillWhen(const std::function<bool()>& due);
  // Until the show's timer has counted to `count`.
  bool StillAt(int count);
};

}  // namespace testsupport
