#pragma once
// A soft shadow under chosen scene nodes: each caster node's position is
// projected onto a plane along a light direction, and two rings of colour
// (a disc and a fading rim) are drawn there, fading with the distance of the
// bound node from the plane. Enemies that stand over the ground own one,
// bind their model's node, add casters and enter the packet each frame.
//
// The plane is the packet's own matrix M: its translation row is a point P
// of the plane and its third row the plane's normal (pointing away from the
// side the light comes from: (0, 0, -1) x M is used as the normal u).
#include <cstdint>

#include "game/core/ObjPool.h"
#include "game/effect/GlowDisc.h"
#include "vrax/graphic/SGpNode.h"
#include "vrax/graphic/SGpObj.h"
#include "vrax/graphic/SMath.h"

// One shadow-casting node: its world matrix and the blob size.
class ShadowCaster : public PoolElement {
 public:
  virtual void SetSize(float s) { size = s; }
  virtual float GetSize() const { return size; }

  const SMatrix* matrix = nullptr;  // the caster node's world matrix (read only)
  float size = 32.0f;
};

class ShadowPacket : public SGpObj {
 public:
  static constexpr int32_t kCasters = 64;

  ShadowPacket() = default;
  ~ShadowPacket() override;

  void Execute() override;

  // Tracks the node's world matrix and makes the plane z = 0 through the
  // origin (M = identity).
  virtual void Bind(SGpNode* node);
  virtual void SetDirection(float x, float y, float z) { direction_ = SVec4{x, y, z, 0.0f}; }
  virtual void SetColour(float r, float g, float b, float a) {
    colour_[0] = r, colour_[1] = g, colour_[2] = b, colour_[3] = a;
  }
  virtual void SetBlend(int32_t flag) { blend_ = flag; }
  // 0: no limit.
  virtual void SetMaxDistance(float d) { maxDistance_ = d; }
  virtual SGpNode* GetNode() const { return node_; }
  virtual SMatrix* GetMatrix() { return &plane_; }
  virtual SVec4* GetDirection() { return &direction_; }
  virtual float* GetColour() { return colour_; }
  virtual int32_t GetBlend() const { return blend_; }
  virtual float GetMaxDistance() const { return maxDistance_; }
  // Adds a caster of size 32 at the node (the pool gets its 64 cells on
  // first use); null when the pool is full.
  virtual ShadowCaster* AddCaster(SGpNode* node);
  virtual void RemoveCasters();

  int32_t CasterCount() const { return casters_.Count(); }
  // The projection onto the plane along the light (row-vector convention);
  // false when the light runs parallel to the plane (or is zero): nothing
  // is drawn then.
  bool Projection(SMatrix* s) const;
  // The world matrix a caster's blob is drawn with.
  bool CasterWorld(const ShadowCaster& c, SMatrix* out) const;
  const GlowDisc& InnerDisc() const { return inner_; }
  const GlowDisc& Rim() const { return rim_; }

 private:
  SVec3 Normal() const;

  SGpNode* node_ = nullptr;
  SMatrix plane_ = {};
  SVec4 direction_{0.0f, 0.0f, 0.0f, 0.0f};
  float colour_[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  int32_t blend_ = 0;
  float maxDistance_ = 0.0f;
  SObjList casters_;
  ObjPool<ShadowCaster> pool_;
  GlowDisc inner_, rim_;
};
