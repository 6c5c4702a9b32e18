#pragma once
// Three draw packets a boss companion hangs on one node of its boss's model
// to make that part shrink and glow on its own: the first two run before the
// node's drawing (the node drawn scaled about its origin; additive blending),
// the third after it (the transform and the blending restored). The node's
// children draw after its packets, so only the node itself changes.
#include "vrax/graphic/SGpNode.h"
#include "vrax/graphic/SGpObj.h"
#include "vrax/graphic/SMath.h"

class NodeScalePackets {
 public:
  static constexpr int kAdditiveBlend = 2;

  // Hangs the three packets on the node (nothing for null).
  void Hang(SGpNode* node);
  // Takes them off the node they hang on.
  void Remove();
  void SetScale(float x, float y, float z) { scale_.factor[0] = x, scale_.factor[1] = y, scale_.factor[2] = z; }

 private:
  struct ScalePacket : SGpObj {
    void Execute() override;
    float factor[3] = {1.0f, 1.0f, 1.0f};
    SMatrix saved = kIdentityMatrix;
  };
  struct GlowPacket : SGpObj {
    void Execute() override;
    int mode = 0;
    float alpha = 0.0f;
  };
  struct RestorePacket : SGpObj {
    void Execute() override;
    ScalePacket* scale = nullptr;
    GlowPacket* glow = nullptr;
  };

  ScalePacket scale_;
  GlowPacket glow_;
  RestorePacket restore_{};
  SGpNode* node_ = nullptr;
};
