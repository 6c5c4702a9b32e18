#pragma once
// Thunder: jagged lightning drawn as strips. EThunderMan owns three pools
// (bolts, tips and hit nodes), moves them, lets the player be hit through
// hit group 9 and draws every strip in one primitive. An enemy behaviour
// builds it (as a member, static, in its child list 2) and starts bolts
// through EThunderGen.
//
// A bolt releases a chain of tips from where it was started, one every tip
// period. Each tip flies on its own, turning from its start to its end angle
// over the turn time, and is drawn as a quad from itself to the tip released
// just before it by the same bolt; the chain forms the lightning line. Each
// tip carries a row of collision circles (hit nodes) that cover the piece of
// line in front of it. A hit on a tip dissolves it and breaks the line there.
#include <cstdint>

#include "game/core/HitBody.h"
#include "game/core/ObjPool.h"
#include "vrax/graphic/SGpKeyTrack.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/kernel/SHandle.h"
#include "vrax/kernel/SProc.h"

class EThunderBolt : public PoolElement {
 public:
  int32_t serial = 0;
  float position[4] = {0.0f, 0.0f, 0.0f, 0.0f};  // where its tips start
  float width = 0.0f;
  float startAngle = 0.0f, endAngle = 0.0f;  // turns
  float turnTime = 0.0f;                     // frames
  float speed = 0.0f;
  int32_t tips = 0;
  int32_t tipPeriod = 0;
  int32_t countdown = 0;
  int32_t index = 0;  // tips released so far
};

class EThunderTip : public PoolElement {
 public:
  enum Link : int32_t { LINK_MIDDLE = 0, LINK_FIRST = 1, LINK_END = 2 };
  enum State : int32_t { FLYING = 3, HIT = 4 };
  int32_t serial = 0;  // its bolt's
  float x = 0.0f, y = 0.0f;
  int32_t link = LINK_MIDDLE;
  float halfWidth = 0.0f;
  float startAngle = 0.0f, endAngle = 0.0f;
  float turnTime = 0.0f;
  float speed = 0.0f;
  int32_t state = FLYING;
  float angle = 0.0f;   // turns
  float length = 0.0f;  // tip period x speed: the spacing to the next tip
  int32_t age = 0;
};

// A collision circle in front of a tip.
class EThunderNode : public PoolElement {
 public:
  float distance = 0.0f;  // from the tip along its heading
  float position[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  HitBody body;
  SHandle<EThunderTip> tip;
};

class EThunderMan : public SProc {
 public:
  static constexpr int32_t kTips = 512;
  static constexpr int32_t kNodes = 1024;
  static constexpr int32_t kBolts = 64;
  static constexpr int32_t kDrawKey = 6;

  EThunderMan() = default;
  ~EThunderMan() override;

  // Starts a bolt at position (x, y, z, w): nothing when the bolt pool is
  // full.
  void Emit(const float* position, float width, float startAngle, float endAngle, float turnTime, float speed,
            int32_t tips, int32_t tipPeriod);
  // Releases every bolt, then every tip (each first leaving its dissolve
  // effect when withEffect is set), then every hit node.
  void ClearAll(uint8_t withEffect);
  // 7: a hit node touched the player (the argument is its tip); 9 and 11:
  // ClearAll with the effect.
  int32_t OnUser(int32_t code, SProcArg arg);

  // Tip creation (the bolts' step): appends a flying tip with its hit nodes.
  EThunderTip* CreateTip(int32_t serial, const float* position, int32_t link, float width, float startAngle,
                         float endAngle, float turnTime, float speed, int32_t tipPeriod);
  // The tip drawn before this one on its line: the nearest earlier tip of the
  // same bolt, none when that one ends a chain.
  const EThunderTip* Partner(const EThunderTip* tip) const;

  const SObjList& Tips() const { return tips_; }
  const SObjList& Nodes() const { return nodes_; }
  const SObjList& Bolts() const { return bolts_; }
  const SGpObj_PrimQuad& Strip() const { return strip_; }
  const SGpKeyTrack& BoltTrack() const { return track_; }
  int32_t Serial() const { return serial_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t End(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  int32_t User(int32_t code, SProcArg arg) override { return OnUser(code, arg); }

 private:
  void CreateNodes(EThunderTip* tip, float width);
  void ReleaseTip(EThunderTip* tip);
  void ReleaseNodesOf(const EThunderTip* tip);
  void SpawnDissolve(const EThunderTip* tip);
  bool StepBolt(EThunderBolt* bolt);

  SGpObj_PrimQuad strip_;
  SGpKeyTrack track_;
  SObjList tips_, nodes_, bolts_;
  int32_t serial_ = 0;
  ObjPool<EThunderTip> tipPool_;
  ObjPool<EThunderNode> nodePool_;
  ObjPool<EThunderBolt> boltPool_;
};
