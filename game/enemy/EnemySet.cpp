#include "game/enemy/EnemySet.h"

#include <iterator>

#include "game/core/StageCounters.h"
#include "game/effect/EShotMan.h"
#include "game/enemy/EObjBase.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemyRegistry.h"
#include "game/stage/MapMng.h"
#include "vrax/io/SysUtil.h"

EnemySet g_EnemySet;

namespace {
constexpr const char* kSource = "Game\\EnemySet";
}  // namespace

void EnemySet::Init(const StageScript* s, const SGpKeyList* const* keys, int32_t nKeys,
                    const EnemyRscSlotPair* slots, int32_t nSlots, int32_t resume) {
  script = s;
  records = s != nullptr && !s->timeline.empty() ? s->timeline.data() : nullptr;
  current = records;
  count = records != nullptr ? int32_t(s->timeline.size()) : 0;
  keyTable = keys;
  keyCount = nKeys;
  rscTable = slots;
  rscCount = nSlots;
  elapsed = 0.0f;
  paused = 0;
  frameSpawns = 0;
  toldLive = toldFrame = false;
  if (resume != 0) {
    index = loopIndex;
  } else {
    index = 0;
    loopIndex = 0;
  }
  if (index < 0 || index >= count) records = nullptr;
}

void EnemySet::Init(const StageScript* s, int32_t resume) {
  Init(s, EnemySprKeyTable, int32_t(std::size(EnemySprKeyTable)), EnemyRscSlots, int32_t(std::size(EnemyRscSlots)),
       resume);
}

void EnemySet::Reset() {
  script = nullptr;
  records = current = nullptr;
  count = 0;
  index = 0;
  elapsed = 0.0f;
  paused = 0;
}

SProcArg EnemySet::ExtraFor(const EnemyParam* p) const {
  const int32_t x = p->extraIndex;
  if (p->type == 0) return x >= 0 && x < keyCount && keyTable != nullptr ? reinterpret_cast<SProcArg>(keyTable[x]) : 0;
  return x >= 0 && x < rscCount && rscTable != nullptr ? reinterpret_cast<SProcArg>(&rscTable[x]) : 0;
}

EObjBase* EnemySet::Spawn(const EnemySpawnRecord* rec) {
  const EnemyParam* p = rec->param;
  if (p == nullptr) return nullptr;
  // A sprite or model enemy is driven by its script: one whose script id
  // names none is left out, as one whose parameter id names none.
  if (p->type < 2 && rec->script == nullptr) return nullptr;
  if (g_EnemyMan.CountChildren() >= kMaxLiveEnemies) {
    if (!toldLive)
      FatalError("%s(%d) : timeline record %td is not spawned: %d enemies live, the most there may be (told once)\n",
                 kSource, __LINE__, script != nullptr ? rec - script->timeline.data() : -1, kMaxLiveEnemies);
    toldLive = true;
    return nullptr;
  }
  EObjBase* e = CreateEnemy(p->type);
  if (e == nullptr) return nullptr;
  e->Setup(rec);
  e->source = script;
  const int32_t r = g_EnemyMan.AddChild(0, e, ExtraFor(p));
  if (e->GetParent() == nullptr) {
    // Not taken in (no manager running): nothing else owns it.
    delete e;
    return nullptr;
  }
  if (r < 0) return nullptr;
  ++StageEnemyCount;
  return e;
}

EObjBase* EnemySet::SpawnAt(int32_t n) {
  if (script == nullptr || n < 0 || size_t(n) >= script->timeline.size()) return nullptr;
  return Spawn(&script->timeline[size_t(n)]);
}

void EnemySet::Branch(bool taken) {
  // A jump marked at load as closing a loop that never waits goes on to
  // the next record. A target outside the list finishes the timeline (-1 or
  // count, without overflowing on any jump the file holds).
  const int64_t to = int64_t(index) + (taken && !current->timelessLoop ? int64_t(current->jump) : 1);
  index = to < 0 ? -1 : to >= count ? count : int32_t(to);
}

bool EnemySet::Run() {
  const EnemySpawnRecord* rec = current;
  switch (rec->Op()) {
    case OP_WAIT_RAIL:
      if (g_MapMng.t >= rec->ArgumentF()) ++index;
      break;
    case OP_WHILE_ENEMIES:
      Branch(g_EnemyMan.CountChildren() > 0);
      break;
    case OP_WHILE_SECTION:
      Branch(g_MapMng.sectionFlag == 1);
      break;
    case OP_JUMP:
      Branch(true);
      break;
    case OP_END:
      records = nullptr;
      return false;
    case OP_CLEAR:
      g_EnemyMan.BroadcastAll(kHitEventDefeated, EObjBase::kUncounted);
      EShotMan::ClearAll(1);
      ++index;
      break;
    case OP_WHILE_NAMED:
      Branch(rec->param != nullptr && g_EnemyMan.FindFirst(rec->param->name) != nullptr);
      break;
    case OP_LOOP_POINT:
      loopIndex = index + 1;
      index = loopIndex;
      break;
    case OP_SPAWN:
      // A record without a usable parameter or type is consumed, as one
      // refused for the live bound.
      if (Spawn(rec) != nullptr) ++frameSpawns;
      ++index;
      break;
    default:
      break;
  }
  return true;
}

void EnemySet::Update() {
  if (records == nullptr || paused != 0) return;
  current = &records[index];
  frameSpawns = 0;
  // Each frame runs at most one pass over the list: a record that stays
  // with a delay <= 0, or a loop of records of delay 0, waits for the next
  // frame instead of running without end.
  for (int32_t runs = 0; current->delay <= elapsed && runs < count; ++runs) {
    if (current->Op() == OP_SPAWN && frameSpawns >= kMaxSpawnsPerFrame) {
      if (!toldFrame)
        FatalError("%s(%d) : timeline record %d waits for the next frame: %d spawns in this one, the most a frame "
                   "makes (told once)\n",
                   kSource, __LINE__, index, kMaxSpawnsPerFrame);
      toldFrame = true;
      break;
    }
    const int32_t before = index;
    if (!Run()) return;
    elapsed = 0.0f;
    if (index < 0 || index >= count) {
      // Past the last record, or a jump out of the list: finished.
      records = nullptr;
      return;
    }
    current = &records[index];
    if (index == before) break;
  }
  elapsed += g_MapMng.speed;
}

void EndScriptUsers(const StageScript& script) {
  if (g_EnemySet.script == &script) g_EnemySet.Reset();
  for (int32_t n = 0; n < g_EnemyMan.ListCount(); ++n) {
    for (SProc* p = g_EnemyMan.GetList(n)->Head(); p != nullptr; p = SProcList::Next(p)) {
      auto* e = dynamic_cast<EObjBase*>(p);
      if (e != nullptr && e->source == &script) e->EndWithScript();
    }
  }
  EShotMan::WalkShots([&script](EShot* s) {
    if (s->motion != nullptr && script.HoldsMotion(s->motion)) s->Release(1);
  });
}
