#pragma once
// The animated-model object that enemies embed (and the object layers of
// the stage world): its own copy of a model's node tree, posed from the
// model's motion tracks and drawn by executing its root.
// Only what the object layers need is here so far: binding, posing and
// node access.
#include <cstdint>
#include <vector>

#include "vrax/graphic/SGpNode.h"
#include "vrax/graphic/SGpObj.h"
#include "vrax/resource/SRsc_Model.h"

class ModelInstance : public SGpObj {
 public:
  // Executes the topmost ancestor of the root node (the whole tree).
  void Execute() override;

  // Sizes the node array to the model's node count and copies each node's
  // template (world inheritance off); the root becomes the topmost ancestor
  // of node 0. 0, or -1 without a model.
  int32_t Bind(SRsc_Model* model);
  // Node n; null when n is out of range.
  SGpNode* GetNode(int32_t n);
  SGpNode* GetRootNode() const { return root_; }
  int32_t NodeCount() const { return static_cast<int32_t>(nodes_.size()); }
  // Poses the nodes from the cursor's motion at its time.
  void ApplyMotion(const SGpMotionCursor& c);
  // Binds the model and hangs its root under `placement`, whose matrix
  // becomes the identity moved to at (x, y, z). -1, with nothing hung, when
  // the model cannot be bound or has no nodes.
  int32_t BindUnder(SRsc_Model* model, SGpNode* placement, const float* at);
  // Poses the bound model at `time` clamped to [0, its last frame]; returns
  // the time used (the clamped time also without a model).
  float PoseAt(float time);
  // The bound model's last frame (0 without a model).
  float Length() const;

 private:
  std::vector<SGpNode> nodes_;
  SRsc_Model* model_ = nullptr;
  SGpNode* root_ = nullptr;
};
