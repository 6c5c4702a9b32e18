#pragma once
// The boss companion: a scripted process (its behaviour is its user-event
// handler, driven by codes 7 at set-up, 8 each draw and 9 each frame) with
// a phase timer as its timeline clock and access to its boss's model. Each
// boss derives its own companion and writes its show in User. The boss adds
// it to its child list 0 (Attach), so it runs inside the boss and ends with
// it; the model it is given is the boss's own, which outlives it.
#include <cstdint>

#include "game/core/PhaseTimer.h"
#include "game/effect/ScriptedProc.h"
#include "game/enemy/ModelInstance.h"
#include "vrax/graphic/SGpNode.h"

class BossPartsObject : public ScriptedProc {
 public:
  explicit BossPartsObject(ModelInstance* owner) : owner(owner) {}

  // Adds the companion to child list 0 of the boss with argument 0, which
  // runs its set-up (code 7) at once. A null companion (its allocation
  // failed) adds nothing; one the boss does not take is deleted. Returns it,
  // or null.
  static BossPartsObject* Attach(SProc* boss, BossPartsObject* companion);

  // Node n of the owner's model (null out of range or without a model).
  virtual SGpNode* GetNode(int32_t n);
  // The topmost ancestor of the owner's root node.
  virtual SGpNode* GetTopNode();
  // out = (d x x / (d + z), d x y / (d + z), 0, 1) for position (x, y, z).
  virtual void Project(float* out, const float* position, float d);
  // Removes every draw packet from the top node, then from every node of
  // the model from the last to the first.
  virtual void ClearNodePackets();
  // The depth of the owner's model root in the world now (0 without a
  // model): the root keeps its world from here on, and the kept worlds of
  // its tree are brought up to date first.
  float RootDepth();
  // The screen point of node n: the translation row of its world matrix
  // projected with depth 512 (the origin's projection without the node).
  void NodePoint(float* out, int32_t n);

  // The fast-forward of the long boss sequences, applied at the start of
  // every user call: only while the game pad's third button is held (its
  // counter is 0 or more) the graphic manager is asked to skip presenting
  // the frames whose timer count has any of `mask`'s bits set (mask 7: 7 of
  // every 8 frames); otherwise the request is left as the game cleared it.
  void RequestPresentSkip(int32_t mask);

  PhaseTimer timer;
  ModelInstance* owner;
};
