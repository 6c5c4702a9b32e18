#pragma once
// One object layer of the stage world: one model with one texture drawn at
// many places. Where comes from its placement list (ObjRsc); which places
// are visible at which rail position from one visibility list per camera
// path (ObjOvlRsc). A layer can also be drawn at an explicit transform, and
// its model animated over stretches of the rail. MapMng embeds 64 and calls
// their handlers itself; a stage's resource table fills their slots.
#include <cstdint>
#include <vector>

#include "game/enemy/ModelInstance.h"
#include "game/stage/ObjOvlRsc.h"
#include "game/stage/ObjRsc.h"
#include "vrax/graphic/SGpObj.h"
#include "vrax/graphic/SMath.h"
#include "vrax/kernel/SProc.h"
#include "vrax/resource/SRscSlot.h"
#include "vrax/resource/SRsc_Image.h"
#include "vrax/resource/SRsc_Model.h"

// A stretch of the rail over which the layer's model animates.
struct AnimSegment {
  enum Mode : int32_t { PLAY_ONCE = 0, REPEAT_COUNT = 1, REPEAT = 2 };
  static constexpr uint32_t kRateBySpeed = 1;  // flags: the rate times MapMng's speed

  int32_t path = 0;
  int32_t fromKey = 0;
  int32_t toKey = 0;  // exclusive
  int32_t mode = PLAY_ONCE;
  int32_t count = 0;
  float start = 0.0f;
  float end = 0.0f;
  float rate = 0.0f;  // time per frame, before the factor 0.4
  uint32_t flags = 0;
};

// A draw packet taken from the frame's packet memory that sets the device
// world transform from the matrix it points to.
class WorldMatrixPacket : public SGpObj {
 public:
  explicit WorldMatrixPacket(const SMatrix* m) : matrix_(m) {}
  void Execute() override;

 private:
  const SMatrix* matrix_;
};

class ObjPlacer : public SProc {
 public:
  static constexpr int32_t kDefaultDrawKey = 30;

  // Full visibility recompute at a jump, and the per-frame visibility step.
  void RecomputeVisibility(int32_t path, int32_t key);
  void StepVisibility(int32_t path, int32_t key);
  // Sets the animation time and re-poses the model (when loaded).
  void Update(float time);
  // A placed draw with a transform built here: identity, scaled by scale,
  // times the rotation of angles (yaw y, pitch x, roll z, radians), and,
  // only when a scale is given, the position as translation. A time >= 0
  // re-poses the model first. Needs texture and model; enable is not read.
  void Place(float time, const SVec3* position, const SVec3* angles, const SVec3* scale);
  // A placed draw at a given matrix (MapMng's placements); needs texture
  // and model.
  void PlaceMatrix(float time, const SMatrix* matrix);
  // Appends an animation segment; the first one binds the model instance.
  void Spawn(int32_t path, int32_t fromKey, int32_t toKey, int32_t mode, int32_t count, float start, float end,
             float rate, uint32_t flags);
  // Every slot empty, enable 1, cursor 0, draw key 30, animation time 0,
  // segments freed.
  void ResetLayer();

  // The loaded (ready) resources of the slots; null when empty, gone or not
  // ready.
  SRsc_Image* GetTexture() const { return texture.Ready(); }
  SRsc_Model* GetModel() const { return model.Ready(); }
  ObjRsc* GetObjects() const { return objects.Ready(); }
  ObjOvlRsc* GetVisibility(int32_t path) const { return path == 0 || path == 1 ? visibility[path].Ready() : nullptr; }


  // Slots; the stage's resource table writes into slot.Target().
  SRscSlot<SRsc_Image> texture;
  SRscSlot<SRsc_Model> model;
  SRscSlot<ObjRsc> objects;
  SRscSlot<ObjOvlRsc> visibility[2];
  ModelInstance instance;
  int32_t enable = 1;
  VisibilityCursor cursor;  // where the visibility list of the path stands
  int32_t drawKey = kDefaultDrawKey;
  SMatrix placedMatrix = kIdentityMatrix;
  float animTime = 0.0f;
  std::vector<AnimSegment> segments;

  // EVENT_DRAW: segment animation, then the visible objects (a walk over
  // the visible ones alone: see ObjRsc::WalkSteps). EVENT_MAIN does
  // nothing. MapMng calls both directly.
  int32_t Draw(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  // ResetLayer without freeing the animation segments.
  void ResetSlots();
  void StepSegment(AnimSegment& s);
  // Texture packet 0, a world packet at the matrix, the model's tree.
  void EnterModel(const SMatrix* matrix);
};
