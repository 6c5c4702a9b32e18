#pragma once
// The collision manager: once per frame, in EVENT_BEGIN (after the frame's
// drawing, before its logic), tests a fixed list of group pairs and tells the
// processes concerned by user events, each code named where it is handled:
//   kHitEventHit (a damage word or the partner body) and kHitEventDefeated
//   (the enemy body) to a body's owner; Player::kEventLockHit when an outer
//   body touched a reacting enemy (the enemy body); EObjBase::EV_RECOIL on an
//   outer-body contact (to the enemy, its body's position).
// Depth scales a body's x, y and radius by 512 / (z + 512); a body at or
// behind the eye (z <= -512) takes part in no test.
#include <cstdint>
#include <vector>

#include "game/core/HitBody.h"
#include "vrax/kernel/SProc.h"

class Player;

class HitMan : public SProc {
 public:
  // Sound effects and their level factors.
  static constexpr int32_t kSoundShotHit = 30;
  static constexpr int32_t kSoundShotHitFactor = 55808;
  static constexpr int32_t kSoundOuterHitA = 31;
  static constexpr int32_t kSoundOuterHitB = 32;
  static constexpr int32_t kSoundOuterHitFactor = 57344;

  // The tested pairs (group of body A, group of body B), in order; A's group
  // chooses the rule.
  static constexpr int32_t kPairCount = 11;
  static constexpr int32_t kPairs[kPairCount][2] = {
      {kHitGroupWide, kHitGroupEnemyShot},       {kHitGroupWide, kHitGroupHazard},
      {kHitGroupPlayerBody, kHitGroupEnemy},     {kHitGroupPlayerCore, kHitGroupEnemyShot},
      {kHitGroupPlayerCore, kHitGroupHazard},    {kHitGroupOuter, kHitGroupEnemyShot},
      {kHitGroupOuter, kHitGroupHazard},         {kHitGroupEnemy, kHitGroupOuter},
      {kHitGroupEnemy, kHitGroupShot},           {kHitGroupEnemy, kHitGroupBigShot},
      {kHitGroupNone, kHitGroupPlayerBody}};

  HitMan();
  ~HitMan() override;

  int32_t Init(SProcArg arg) override;
  int32_t Begin(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

  void TestGroups();
  // Every enabled body of list a against list b.
  void TestGroupPair(int32_t a, int32_t b);
  // One body against every body of a list.
  void TestObject(HitBody* a, HitGroupList* listB);
  // The response of a touching pair, by A's group.
  void OnHit(HitBody* a, HitBody* b);
  bool IsValidTarget(HitBody* attacker, HitBody* enemyBody);
  void HitEnemy(HitBody* attacker, HitBody* enemyBody);

  // The Player the rules consult and tell (the persistent one by default).
  void SetPlayer(Player* p) { player_ = p; }

 private:
  Player* player_;
  uint8_t debugDraw_ = 0;
};

// The persistent collision manager (defined with the other global objects,
// in their order: game/flow/GlobalObjects.cpp).
extern HitMan g_HitMan;
