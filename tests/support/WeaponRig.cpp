#include "support/WeaponRig.h"

#include "game/effect/ELaserGen.h"
#include "game/effect/EShotGen.h"
#include "game/player/Player.h"
#include "game/stage/ScriptStgRsc.h"

namespace testsupport {

int32_t RelayProc::Init(SProcArg) {
  SetName(name_);
  SetInitResult(0);
  return 0;
}
int32_t RelayProc::Relay(int32_t code, SProcArg arg) {
  BroadcastAll(code, arg);
  return 0;
}
int32_t RelayProc::User(int32_t code, SProcArg arg) {
  userEvents.emplace_back(code, arg);
  return 0;
}

WeaponRig::WeaponRig() {
  root.StartRoot(0);
  root.CreateLists(3);
  for (SProc* p : {static_cast<SProc*>(&hitman), static_cast<SProc*>(&player)}) {
    p->SetStatic(true);
    root.AddChild(0, p, 0);
  }
  owner.SetStatic(true);
  root.AddChild(1, &owner, 0);
  owner.CreateLists(1);
  for (SProc* p : {static_cast<SProc*>(&eshot), static_cast<SProc*>(&efx)}) {
    p->SetStatic(true);
    root.AddChild(2, p, 0);
  }
  root.Advance();  // added -> running
  PlacePlayer(0.0f, 0.0f);
  playerCore.Register(0, 0, &PlayerPos.x, kCoreRadius, &player, 0, 0);
}

WeaponRig::~WeaponRig() {
  EShotMan::ClearAll(0);
  efx.ClearAll();
  root.DisposeChildren();
}

void WeaponRig::PlaceOwner(float x, float y, float z) {
  ownerPos[0] = x;
  ownerPos[1] = y;
  ownerPos[2] = z;
}

void WeaponRig::PlacePlayer(float x, float y) { PlayerPos = SVec4{x, y, 0.0f, 1.0f}; }

SProc* WeaponRig::Adopt(SProc* child) {
  if (owner.AddChild(0, child, 0) != 0) return nullptr;
  // As if the owner had added it in the previous frame: it runs from the
  // next frame on.
  child->Advance();
  return child;
}

SProc* WeaponRig::Start(const GeneratorRecord& r) {
  if (r.IsLaser()) {
    SMatrix m = kIdentityMatrix;
    m.m[3][0] = ownerPos[0] + r.offsetX;
    m.m[3][1] = ownerPos[1] + r.offsetY;
    m.m[3][2] = ownerPos[2];
    return Adopt(new ELaserGen(&m, &r));
  }
  // The generator follows the owner's position, held by the owner.
  return Adopt(new EShotGen(ownerPos, &r, -1, 30, &owner));
}

int WeaponRig::Generators() const {
  int n = 0;
  auto* o = const_cast<RelayProc*>(&owner);
  if (SProcList* l = o->GetList(0))
    for (SProc* p = l->Head(); p != nullptr; p = SProcList::Next(p))
      if (p->GetState() == SProc::STATE_ADDED || p->GetState() == SProc::STATE_RUNNING) ++n;
  return n;
}

void WeaponRig::RecordNewShots(int before) {
  const int added = HitGroupTable[EShotMan::kHitGroup].Count() - before;
  if (added <= 0) return;
  SObject* o = HitGroupTable[EShotMan::kHitGroup].TailObj();
  for (int i = 1; i < added && o != nullptr; ++i) o = o->GetPrev();
  for (; o != nullptr; o = o->GetNext()) {
    const auto* s = static_cast<const EShot*>(static_cast<const HitBody*>(o));
    shots.push_back({frame_, s->kind, s->batch, s->id, s->aux, s->position[0], s->position[1], s->angle, s->speed, s});
  }
}

int WeaponRig::Run(int frames) {
  const size_t first = shots.size();
  for (int f = 0; f < frames; ++f) {
    root.SendEvent(SProc::EVENT_DRAW, 0);
    root.SendEvent(SProc::EVENT_BEGIN, 0);
    const int before = HitGroupTable[EShotMan::kHitGroup].Count();
    const int sprites = efx.LiveCount(1);
    root.SendEvent(SProc::EVENT_MAIN, 0);
    RecordNewShots(before);
    flashes.push_back(efx.LiveCount(1) - sprites);
    root.SendEvent(SProc::EVENT_END, 0);
    root.Advance();
    ++frame_;
  }
  return static_cast<int>(shots.size() - first);
}

std::vector<WeaponRig::Shot> WeaponRig::ShotsOfFrame(int32_t f) const {
  std::vector<Shot> out;
  for (const Shot& s : shots)
    if (s.frame == f) out.push_back(s);
  return out;
}

}  // namespace testsupport
