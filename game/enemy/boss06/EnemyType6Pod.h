#pragma once
// The five pods of boss type 6: docked on the body, they spread out on an
// orbit, dive at the player one after another and fly back to dock. They
// hurt the player on contact.
#include <cstdint>

#include "game/core/Behavior.h"
#include "game/core/HitBody.h"
#include "game/enemy/Flasher.h"
#include "game/enemy/ModelInstance.h"
#include "vrax/graphic/SGpObj.h"
#include "vrax/graphic/SMath.h"
#include "vrax/kernel/SProc.h"

class EnemyType6PodBehavior : public Behavior {
 public:
  enum : int32_t { IDLE = 0, DOCKED = 1, SPREAD = 2, LAUNCH = 3, DIVE = 4, RETURN = 5 };
  static constexpr float kSpreadRadius = 420.0f;
  static constexpr float kReturnRadius = 360.0f;
  static constexpr float kDiveSpeed = 30.0f;

  int32_t Handle(int32_t code, int32_t state) override;

  ModelInstance* model = nullptr;
  const float* centre = nullptr;  // the body's position
  float position[3] = {};
  float orbit = 0.0f;
  float spin = 0.0f;
  float radius = 0.0f;  // also the dive's speed
  int32_t counter = 0;
  float heading = 0.0f;
  float acceleration = 0.8f;

 private:
  void Orbit();
  void Expand();
  void Place();
};

class EnemyType6Pod : public SProc {
 public:
  static constexpr int32_t kDrawKey = 19;

  // The world matrix a docked pod is drawn under: the body model's node 47
  // (its world matrix, read when the packet runs, after the body has been
  // drawn in the frame), so the pod carries the body's turn and tilt. The
  // end packet puts back the world matrix the first one found.
  class DockWorld : public SGpObj {
   public:
    void Execute() override;
    const SMatrix* matrix = nullptr;
    SMatrix replaced;
  };
  class DockWorldEnd : public SGpObj {
   public:
    explicit DockWorldEnd(const DockWorld* begin) : begin_(begin) {}
    void Execute() override;

   private:
    const DockWorld* begin_;
  };

  EnemyType6PodBehavior behavior;
  ModelInstance model;
  HitBody body;
  // The flash pair around its draw, at full white: the pod is drawn at full
  // light whatever the layers' lighting.
  FlashColourPacket colour;
  FlashEndPacket end;
  DockWorld dockWorld;
  DockWorldEnd dockWorldEnd{&dockWorld};
  // The body model's node 47 world matrix, where a docked pod sits.
  void SetDock(const SMatrix* node47) { dockWorld.matrix = node47; }
  // The pod's hit position: node 47's translation while docked, else the
  // model root's translation (updated after each frame's step).
  float* HitPosition() { return hit_; }

 protected:
  // Argument: the body (an EnemyBase) whose pod it is.
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;

 private:
  void UpdateHitPosition();
  float hit_[4] = {0.0f, 0.0f, 0.0f, 1.0f};
};
