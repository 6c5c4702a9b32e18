#pragma once
// Effect processes: short-lived children that throw sprite particles into
// EfxMan frame by frame and then end themselves. A creator starts one as a
// child of itself (list 0) through the spawn operations below; it receives
// frame events only through its creator and dies with it, while the
// particles it has thrown live on in EfxMan. Nothing points back to the
// creator: all state is copied in at construction.
#include <cstdint>

#include "vrax/graphic/SGpRect.h"
#include "vrax/graphic/SMath.h"
#include "vrax/kernel/SProc.h"

// The spawn operations. Each builds the effect, adds it to list 0 of parent
// (its EVENT_INIT runs at once) and returns the add's result: the effect's
// init result (0), or -1 when parent is null or cannot take children, or
// the effect could not be allocated (nothing is added then).
struct EfxProc {
  // Large explosion, 135 frames, at the placement's translation.
  static int32_t SpawnA(SProc* parent, const SMatrix* placement);
  // Rising smoke column for n frames (sheet 16, or 6 unless alternate).
  static int32_t SpawnB(SProc* parent, const SVec4* pos, float size, int32_t frames, bool alternate);
  // Scattered green smoke (sheet 17 / 7).
  static int32_t SpawnC(SProc* parent, const SVec4* pos, float size, int32_t frames, bool alternate);
  // Directed jet along the placement's local -z (sheet 17 / 7).
  static int32_t SpawnD(SProc* parent, const SMatrix* placement, float spread0, float spread1, float damping,
                        float size, int32_t frames, bool alternate);
  // The same jet, green and narrower.
  static int32_t SpawnE(SProc* parent, const SMatrix* placement, float spread0, float spread1, float damping,
                        float size, int32_t frames, bool alternate);
  // Shrinking flash (sheet 17 / 7).
  static int32_t SpawnF(SProc* parent, const SVec4* pos, float size, int32_t frames, bool alternate);
  // Staged explosion of type 0 to 8 (EfxProcG.h); `orientation` is the
  // creator's matrix for type 8 (null: identity).
  static int32_t SpawnG(SProc* parent, const SVec4* pos, int32_t type, float scale,
                        const SMatrix* orientation = nullptr);
};

// The common frame of A to F: EVENT_INIT sets the counter to 0; the effect
// disposes itself inside its last frame (gone from its creator at once), so no
// further event reaches it.
class EfxProcBase : public SProc {
 public:

 protected:
  int32_t Init(SProcArg arg) override;
  // 1 - cos(n / N x pi/2): 0 at the start, rising to 1.
  float Ease(int32_t n) const;
  // 1 - Ease(n) x 0.9.
  float Fade(int32_t n) const;

  int32_t counter_ = 0;
  int32_t frames_ = 1;
};

class EfxProcA : public EfxProcBase {
 public:
  explicit EfxProcA(const SMatrix* placement);

 protected:
  int32_t Main(SProcArg arg) override;

 private:
  SVec4 pos_;
  SMatrix orient_;
};

// B, C and F: position, size, frames, sheet.
class EfxProcPoint : public EfxProcBase {
 public:
  EfxProcPoint(const SVec4* pos, float size, int32_t frames, int32_t sheet);

 protected:
  SVec4 pos_;
  float size_;
  int32_t sheet_;
};

class EfxProcB : public EfxProcPoint {
 public:
  using EfxProcPoint::EfxProcPoint;

 protected:
  int32_t Main(SProcArg arg) override;
};

class EfxProcC : public EfxProcPoint {
 public:
  using EfxProcPoint::EfxProcPoint;

 protected:
  int32_t Main(SProcArg arg) override;
};

class EfxProcF : public EfxProcPoint {
 public:
  using EfxProcPoint::EfxProcPoint;

 protected:
  int32_t Main(SProcArg arg) override;
};

// A directed jet: particles thrown from the placement's translation along its
// local -z, their spread easing from spread0 to spread1 over `frames` steps.
// The white jet (process D, burst A) throws them sideways by 0.3 of the
// spread, the green one (process E, burst B) by 0.2.
struct EfxJet {
  EfxJet(const SMatrix* placement, float spread0, float spread1, float damping, float size, int32_t frames,
         int32_t sheet, bool green);
  // The particle of step n: draws spin, x, y and z, in this order.
  void Emit(int32_t n) const;

  SMatrix orient;
  SVec4 pos;
  float spread0, spread1, damping, size;
  int32_t frames, sheet;
  bool green;
};

// D and E: the directed jets, one particle a frame.
class EfxProcJet : public EfxProcBase {
 protected:
  EfxProcJet(const SMatrix* placement, float spread0, float spread1, float damping, float spriteSize,
             int32_t frames, int32_t sheet, bool green);
  int32_t Main(SProcArg arg) override;

  EfxJet jet_;
};

class EfxProcD : public EfxProcJet {
 public:
  EfxProcD(const SMatrix* placement, float spread0, float spread1, float damping, float spriteSize, int32_t frames,
           int32_t sheet)
      : EfxProcJet(placement, spread0, spread1, damping, spriteSize, frames, sheet, false) {}
};

class EfxProcE : public EfxProcJet {
 public:
  EfxProcE(const SMatrix* placement, float spread0, float spread1, float damping, float spriteSize, int32_t frames,
           int32_t sheet)
      : EfxProcJet(placement, spread0, spread1, damping, spriteSize, frames, sheet, true) {}
};
