#pragma once
// The hierarchical graphic object: a packet that carries a local transform
// built from rotation (in turns), scale and position, links to a parent,
// children and siblings, and a list of attached packets that it draws under
// the combined transform of its chain of ancestors. Entering a tree's root
// into the draw queue draws the whole tree when the queue executes.
#include <cstdint>
#include <vector>

#include "vrax/graphic/SGpObj.h"
#include "vrax/graphic/SMath.h"

class SGpNode : public SGpObj {
 public:
  SGpNode();
  SGpNode(const SGpNode& other);
  SGpNode& operator=(const SGpNode& other);
  ~SGpNode() override;

  // Only the root draws; other nodes do nothing when executed.
  void Execute() override;

  // Appends this node to the new parent's children (null: unlink). A parent
  // that is this node or one of its descendants is refused (it would make
  // the tree a cycle).
  virtual void SetParent(SGpNode* parent);
  virtual uint8_t GetKeepWorld() const { return keepWorld_; }
  virtual void SetKeepWorld(uint8_t f) { keepWorld_ = f; }
  virtual uint8_t GetKeepWorldView() const { return keepWorldView_; }
  virtual void SetKeepWorldView(uint8_t f) { keepWorldView_ = f; }
  virtual uint8_t GetInheritWorld() const { return inheritWorld_; }
  virtual void SetInheritWorld(uint8_t f) { inheritWorld_ = f; }

  // Attached packets, not owned; drawn in array order.
  virtual void AddPacket(SGpObj* packet);
  virtual void AddPacketFront(SGpObj* packet);
  virtual void RemovePacket(SGpObj* packet);
  virtual void ClearPackets();
  virtual int GetPacketCount() const { return static_cast<int>(packets_.size()); }
  virtual SGpObj* GetPacket(int i) const;

  virtual SGpNode* GetRoot();
  virtual SGpNode* GetLastInTree();
  virtual SGpNode* GetDeepestLastChild();
  virtual SGpNode* GetParent() const { return parent_; }
  virtual SGpNode* GetFirstChild() const { return firstChild_; }
  virtual SGpNode* GetLastChild() const { return lastChild_; }
  virtual SGpNode* GetPrev() const { return prev_; }
  virtual SGpNode* GetNext() const { return next_; }

  virtual SMatrix* GetLocal() { return &local_; }
  // The world matrix is only what a walk last wrote into it: a node that
  // keeps its world (SetKeepWorld) gets it on every draw and UpdateKept, any
  // node on UpdateKept with `all` set. A caller may take the address of a
  // kept node's matrix before the first walk, to read it later. In the
  // checked build (OSTREL_CHECKED) asking a node that neither keeps its
  // world nor has had it written stops the program with a message: such a
  // read would give the identity, wherever the node stands.
  virtual SMatrix* GetWorld();
  // Whether this build makes that check.
  static bool ChecksWorldReads();
  virtual SMatrix* GetWorldView() { return &worldView_; }
  virtual float* GetRotation() { return rotation_; }
  virtual float* GetExtra() { return extra_; }
  virtual float* GetPosition() { return position_; }
  virtual float* GetScale() { return scale_; }

  // local = scale, then rotations about x, y, z (turns), then position.
  virtual void BuildLocal();
  // The same with the rotations in the order z, x, y.
  virtual void BuildLocalZXY();
  // Scales the rows of the current local matrix and writes the position
  // into its translation row (the scale compounds on repeated calls).
  virtual void ApplyScalePosition();
  // Copies the local matrix and the packets; tree links are rebased from
  // `other` onto this node, so an array of nodes copied element by element
  // keeps its links inside the new array.
  virtual void CopyFrom(const SGpNode& other);
  // World matrices without the device (root only): from `start` (identity
  // when null); with `all` set every node stores its world matrix.
  virtual void UpdateKept(const SMatrix* start, uint8_t all);
  // Draws this node and its following siblings with their subtrees.
  virtual void DrawTree();
  // The walk of UpdateKept with the start matrix and flag it recorded.
  virtual void ComputeKept();

 private:
  static void KeptWalk(SGpNode* node, const SMatrix& start, bool all);

  SMatrix local_;
  SMatrix world_;
  SMatrix worldView_;
  float rotation_[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float position_[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float scale_[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  float extra_[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  uint8_t keepWorld_ = 0;
  uint8_t keepWorldView_ = 0;
  uint8_t inheritWorld_ = 0;
  uint8_t worldWritten_ = 0;  // a walk has written world_
  SGpNode* parent_ = nullptr;
  SGpNode* firstChild_ = nullptr;
  SGpNode* lastChild_ = nullptr;
  SGpNode* prev_ = nullptr;
  SGpNode* next_ = nullptr;
  std::vector<SGpObj*> packets_;
};
