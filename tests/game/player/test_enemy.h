#pragma once
// A test enemy: an enemy object in group 7 that answers the player side's
// events as the enemy classes do (damage, defeat, grab, link to a dash slot,
// release, catch) and logs every event it receives.
#include <string>
#include <vector>

#include "game/enemy/EObjBase.h"
#include "game/enemy/EnemyMan.h"

namespace testenemy {

struct Logged {
  int id;
  int32_t code;
  SProcArg arg;
};

class TestEnemy : public EObjBase {
 public:
  TestEnemy(std::vector<Logged>* log, int id) : log_(log), id_(id) {}

  int32_t User(int32_t code, SProcArg arg) override {
    log_->push_back({id_, code, arg});
    switch (code) {
      case 7: hitPoints -= static_cast<int32_t>(arg); break;
      case 8:
        grabMode = GRAB_DEFEATED;
        body.Detach();
        ++defeats;
        break;
      case 9:  // grabbed: its body is off while it is held
        grabMode = GRAB_HELD;
        body.SetDisabled(1);
        break;
      case 11:
        if (IsActive()) grabbed = 1, grabCount = 1;
        break;
      case 12: slot.index = static_cast<int32_t>(arg); break;
      case 14:
        grabMode = GRAB_FREE;
        body.SetDisabled(0);
        break;
      default: break;
    }
    return 0;
  }
  int defeats = 0;

 private:
  std::vector<Logged>* log_;
  int id_;
};

// A running enemy at (x, y) in group 7, child of the enemy manager.
inline TestEnemy* Spawn(std::vector<Logged>* log, int id, float x, float y, uint32_t mask = 0x7F,
                        int32_t kind = EObjBase::KIND_SIMPLE, int32_t hp = 1000) {
  auto* e = new TestEnemy(log, id);
  e->classKind = kind;
  e->hitPoints = hp;
  e->scoreValue = 1000;
  e->targetableFrames = 1000;
  e->hitPosition[0] = x;
  e->hitPosition[1] = y;
  e->body.Register(7, mask, e->hitPosition, 16.0f, e, 0, 100);
  g_EnemyMan.AddChild(0, e, 0);
  e->Advance();  // running from now
  return e;
}

}  // namespace testenemy
