#include "game/stage/ScriptStgRsc.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "game/enemy/EnemyRegistry.h"
#include "game/enemy/EnemySet.h"
#include "platform/crt_rand.h"
#include "vrax/io/ByteReader.h"
#include "vrax/io/SysUtil.h"

SRscSlot<ScriptStgRsc> StageScriptSlot;

namespace {

constexpr const char* kSource = "Game\\ScriptStgRsc";
constexpr size_t kScriptHead = 36;
constexpr size_t kMotionBytes = 48;
constexpr size_t kGeneratorBytes = 100;
constexpr size_t kRouteBytes = 20;
constexpr size_t kAxisBytes = 24;
constexpr size_t kRouteEntryBytes = 20;
constexpr size_t kParamBytes = 128;
constexpr size_t kSpawnBytes = 40;
constexpr size_t kPatternBytes = 28;

// The records are read word by word into their leading fields, which must
// stand at the words' offsets.
static_assert(offsetof(MotionRecord, next) >= 44 && sizeof(MotionParam::Block) == 44);
static_assert(offsetof(GeneratorRecord, startDelay) == 22 * 4 && offsetof(GeneratorRecord, bulletPathId) == 23 * 4);
static_assert(offsetof(RouteRecord, wrap) == 3 * 4 && offsetof(AxisRecord, to) == 4 * 4);
static_assert(offsetof(RouteEntry, speed) == 4 * 4 && sizeof(RouteEntry) == 20);
static_assert(offsetof(EnemyParam, name) == 4 && offsetof(EnemyParam, reserved) == 30 * 4);
static_assert(offsetof(EnemySpawnRecord, scatterZ) == 9 * 4);
static_assert(offsetof(EShotMotion, speedDelta) == 5 * 4);

// Reads `words` 32-bit words into a record whose leading fields are that
// many 4-byte fields in file order.
template <class T>
bool ReadWords(ByteReader& r, T* rec, size_t words) {
  uint8_t buf[128];
  if (!r.Bytes(buf, words * 4)) return false;
  for (size_t i = 0; i < words; ++i) {
    const uint32_t w = plat::ReadLe32(buf + 4 * i);
    std::memcpy(reinterpret_cast<uint8_t*>(rec) + 4 * i, &w, 4);
  }
  return true;
}

// Moves to a section and reads its element count (the third word of its
// head).
bool OpenSection(ByteReader& r, const uint32_t (&offsets)[5], int n, uint32_t* count) {
  return r.Seek(offsets[n]) && r.Skip(8) && r.U32(count);
}

template <class T>
bool ReadList(ByteReader& r, LoadBudget& b, uint32_t count, size_t fileBytes, size_t words, std::vector<T>* out) {
  if (!ChargeBlock(b, count, sizeof(T))) return false;
  out->resize(count);
  for (T& rec : *out) {
    if (!ReadWords(r, &rec, words) || !r.Skip(fileBytes - 4 * words)) return false;
  }
  return true;
}

bool ReadScripts(ByteReader& r, LoadBudget& b, const uint32_t (&offsets)[5], std::vector<EnemyScript>* out) {
  uint32_t count = 0;
  if (!OpenSection(r, offsets, 0, &count) || count > r.left() / kScriptHead ||
      !ChargeBlock(b, count, sizeof(EnemyScript)))
    return false;
  out->resize(count);
  for (EnemyScript& s : *out) {
    uint32_t head[9];
    for (uint32_t& w : head)
      if (!r.U32(&w)) return false;
    s.id = head[0];
    s.motionFlags = head[1];
    s.generatorFlags = head[2];
    s.routeFlags = head[3];
    s.motionCount = head[4];
    s.generatorCount = head[5];
    s.defeatGeneratorCount = head[6];
    s.routeCount = head[7];
    s.axisCount = head[8];
    // The lists' bytes must all be there before anything is allocated.
    const uint64_t need = uint64_t(s.motionCount) * kMotionBytes + uint64_t(s.generatorCount) * kGeneratorBytes +
                          uint64_t(s.defeatGeneratorCount) * kGeneratorBytes + uint64_t(s.routeCount) * kRouteBytes +
                          uint64_t(s.axisCount) * kAxisBytes;
    if (need > r.left()) return false;
    if (!ReadList(r, b, s.motionCount, kMotionBytes, 11, &s.motion) ||
        !ReadList(r, b, s.generatorCount, kGeneratorBytes, 24, &s.generators) ||
        !ReadList(r, b, s.defeatGeneratorCount, kGeneratorBytes, 24, &s.defeatGenerators) ||
        !ReadList(r, b, s.routeCount, kRouteBytes, 4, &s.route) ||
        !ReadList(r, b, s.axisCount, kAxisBytes, 5, &s.axis))
      return false;
  }
  return true;
}

bool ReadRouteTables(ByteReader& r, LoadBudget& b, const uint32_t (&offsets)[5], std::vector<RouteTable>* out) {
  uint32_t count = 0;
  if (!OpenSection(r, offsets, 1, &count) || count > r.left() / 8 || !ChargeBlock(b, count, sizeof(RouteTable)))
    return false;
  out->resize(count);
  for (RouteTable& t : *out) {
    uint32_t n = 0;
    if (!r.I32(&t.id) || !r.Count(&n, kRouteEntryBytes)) return false;
    if (!ReadList(r, b, n, kRouteEntryBytes, 5, &t.entries)) return false;
  }
  return true;
}

bool ReadPatternLists(ByteReader& r, LoadBudget& b, const uint32_t (&offsets)[5], std::vector<PatternList>* out) {
  uint32_t count = 0;
  if (!OpenSection(r, offsets, 4, &count) || count > r.left() / 8 || !ChargeBlock(b, count, sizeof(PatternList)))
    return false;
  out->resize(count);
  for (PatternList& p : *out) {
    uint32_t n = 0;
    if (!r.I32(&p.id) || !r.Count(&n, kPatternBytes)) return false;
    if (!ReadList(r, b, n, kPatternBytes, 6, &p.entries)) return false;
  }
  return true;
}

bool ReadSections(const uint8_t* data, size_t size, LoadBudget& b, StageScript* out) {
  ByteReader r(data, size);
  uint32_t offsets[5];
  for (uint32_t& o : offsets)
    if (!r.U32(&o)) return false;
  uint32_t count = 0;
  if (!ReadScripts(r, b, offsets, &out->scripts) || !ReadRouteTables(r, b, offsets, &out->routeTables)) return false;
  if (!OpenSection(r, offsets, 2, &count) || count > r.left() / kParamBytes ||
      !ReadList(r, b, count, kParamBytes, 32, &out->params))
    return false;
  for (EnemyParam& p : out->params) p.name[sizeof p.name - 1] = '\0';
  if (!OpenSection(r, offsets, 3, &count) || count > r.left() / kSpawnBytes ||
      !ReadList(r, b, count, kSpawnBytes, 10, &out->timeline))
    return false;
  return ReadPatternLists(r, b, offsets, &out->patternLists);
}

// Chains a list through `next`; the last record points at the first when the
// list loops, else at nothing.
template <class T>
void Chain(std::vector<T>& list, bool loops) {
  for (size_t i = 0; i + 1 < list.size(); ++i) list[i].next = &list[i + 1];
  if (!list.empty()) list.back().next = loops ? &list.front() : nullptr;
}

// The first element of a table with each id, found by a binary search:
// linking grows with the file (n log n), not with the product of two of its
// counts, whatever ids the file holds.
template <class T, class K>
class FirstById {
  struct Entry {
    K id;
    const T* element;
  };

 public:
  // What the lookup keeps per element of its table.
  static constexpr size_t kEntryBytes = sizeof(Entry);

  explicit FirstById(const std::vector<T>& v) {
    byId_.reserve(v.size());
    for (const T& e : v) byId_.push_back(Entry{K(e.id), &e});
    // Stable: of equal ids, the table's first element stays first.
    std::stable_sort(byId_.begin(), byId_.end(), [](const Entry& x, const Entry& y) { return x.id < y.id; });
  }
  const T* Find(K id) const {
    const auto it = std::lower_bound(byId_.begin(), byId_.end(), id, [](const Entry& e, K k) { return e.id < k; });
    return it != byId_.end() && it->id == id ? it->element : nullptr;
  }

 private:
  std::vector<Entry> byId_;
};

void LinkGenerators(const FirstById<PatternList, int32_t>& paths, std::vector<GeneratorRecord>& list, bool loops) {
  for (GeneratorRecord& g : list) {
    const PatternList* p = g.bulletPathId == -1 ? nullptr : paths.Find(g.bulletPathId);
    g.bulletPath = p != nullptr ? p->First() : nullptr;
  }
  Chain(list, loops);
}

void Link(StageScript* s) {
  const FirstById<PatternList, int32_t> paths(s->patternLists);
  const FirstById<EnemyScript, uint32_t> scripts(s->scripts);
  const FirstById<RouteTable, int32_t> tables(s->routeTables);
  const FirstById<EnemyParam, uint32_t> params(s->params);
  for (PatternList& p : s->patternLists) Chain(p.entries, false);
  for (EnemyScript& e : s->scripts) {
    Chain(e.motion, (e.motionFlags & kStgListLoops) != 0);
    LinkGenerators(paths, e.generators, (e.generatorFlags & kStgListLoops) != 0);
    LinkGenerators(paths, e.defeatGenerators, false);
    Chain(e.route, (e.routeFlags & kStgListLoops) != 0);
    Chain(e.axis, false);
  }
  for (EnemyParam& p : s->params) p.routeTable = p.routeTableId == -1 ? nullptr : tables.Find(p.routeTableId);
  // The nearest float to 1/32767: the spread is rand() times it, less 0.5.
  const float k = 1.0f / 32767.0f;
  for (EnemySpawnRecord& rec : s->timeline) {
    const uint32_t op = rec.Op();
    if (op == EnemySpawnRecord::OP_NAMED) {
      rec.param = params.Find(rec.argument);
    } else if (op == EnemySpawnRecord::OP_SPAWN) {
      rec.param = params.Find(rec.argument);
      rec.script = rec.param != nullptr && rec.param->type < 2 ? scripts.Find(uint32_t(rec.jump)) : nullptr;
      if (rec.Scattered()) {
        const float rx = float(plat::Rand()) * k - 0.5f;
        const float ry = float(plat::Rand()) * k - 0.5f;
        const float rz = float(plat::Rand()) * k - 0.5f;
        rec.x += rx * rec.scatterX;
        rec.y += ry * rec.scatterY;
        rec.z += rz * rec.scatterZ;
      }
    }
  }
}

// What finding the timeless loops keeps per timeline record (the search's
// three numbers, its mark, its two stacks and whether a jump may fall
// through: 38 bytes).
constexpr uint64_t kLoopScratchBytes = 40;

// Whether record i is a jump that goes back within the list: the only kind
// of move that goes back, so every loop holds one.
bool JumpsBack(const std::vector<EnemySpawnRecord>& t, size_t i) {
  const int64_t to = int64_t(i) + t[i].jump;
  switch (t[i].Op()) {
    case EnemySet::OP_JUMP:
    case EnemySet::OP_WHILE_ENEMIES:
    case EnemySet::OP_WHILE_SECTION:
      return to >= 0 && to < int64_t(i);
    case EnemySet::OP_WHILE_NAMED:
      return t[i].param != nullptr && to >= 0 && to < int64_t(i);  // without a parameter it never jumps
    default:
      return false;
  }
}

// The records that timeline record i can lead to in the same frame (up to
// two): none unless i runs at once (delay 0 or less; a record that waits
// ends the frame, so leads nowhere); i itself is left out (a record that
// stays is tested once a frame). A jump that is not taken goes on to the
// next record: `fallsThrough` gives a plain jump that move beside its jump.
int NextWithoutWaiting(const std::vector<EnemySpawnRecord>& t, size_t i, bool fallsThrough, size_t (&out)[2]) {
  int n = 0;
  if (!(t[i].delay <= 0.0f)) return 0;
  auto add = [&](int64_t j) {
    if (j >= 0 && j < int64_t(t.size()) && size_t(j) != i) out[n++] = size_t(j);
  };
  const EnemySpawnRecord& r = t[i];
  const int64_t here = int64_t(i);
  switch (r.Op()) {
    case EnemySet::OP_JUMP:
      add(here + r.jump);
      if (fallsThrough) add(here + 1);
      break;
    case EnemySet::OP_WHILE_ENEMIES:
    case EnemySet::OP_WHILE_SECTION:
      add(here + 1);
      add(here + r.jump);
      break;
    case EnemySet::OP_WHILE_NAMED:
      add(here + 1);
      if (r.param != nullptr) add(here + r.jump);  // without a parameter it never jumps
      break;
    case EnemySet::OP_WAIT_RAIL:
    case EnemySet::OP_CLEAR:
    case EnemySet::OP_LOOP_POINT:
    case EnemySet::OP_SPAWN:
      add(here + 1);
      break;
    default:  // the end, and records that stay
      break;
  }
  return n;
}

// The strongly connected groups of the records (Tarjan's, in one pass over
// records of at most two successors): group[i] is the same for records that
// lead to each other without waiting.
void GroupRecords(const std::vector<EnemySpawnRecord>& t, const std::vector<uint8_t>& fallsThrough,
                  std::vector<int32_t>& group) {
  const size_t n = t.size();
  std::vector<int32_t> order(n, -1), low(n, 0);
  std::vector<uint8_t> onStack(n, 0);
  std::vector<size_t> stack;
  struct Call {
    size_t record;
    int edge;
  };
  std::vector<Call> calls;
  stack.reserve(n);
  calls.reserve(n);
  group.assign(n, -1);
  int32_t counter = 0;
  auto enter = [&](size_t v) {
    order[v] = low[v] = counter++;
    stack.push_back(v);
    onStack[v] = 1;
    calls.push_back(Call{v, 0});
  };
  for (size_t root = 0; root < n; ++root) {
    if (order[root] >= 0) continue;
    enter(root);
    while (!calls.empty()) {
      const size_t v = calls.back().record;
      size_t next[2];
      const int k = NextWithoutWaiting(t, v, fallsThrough[v] != 0, next);
      if (calls.back().edge < k) {
        const size_t w = next[calls.back().edge++];
        if (order[w] < 0) {
          enter(w);
        } else if (onStack[w] != 0) {
          low[v] = std::min(low[v], order[w]);
        }
        continue;
      }
      calls.pop_back();
      if (!calls.empty()) low[calls.back().record] = std::min(low[calls.back().record], low[v]);
      if (low[v] != order[v]) continue;
      size_t w;
      do {
        w = stack.back();
        stack.pop_back();
        onStack[w] = 0;
        group[w] = order[v];
      } while (w != v);
    }
  }
}

// Marks the jumps back that close a loop of records running at once, on the
// timeline as it runs once they are marked: a marked jump is not taken, and
// a plain jump not taken goes on to the next record, a move that may close a
// loop of its own (a jump over a record that waits, then a jump back to the
// start). A jump back is marked when its target lies in its own group of a
// graph that holds every move the marked timeline can make: the conditional
// jumps' both moves, and for a plain jump back, its fall-through too where
// it may be marked. Every loop of the marked timeline then lies in one group
// and goes back by a jump within it, which is marked: none is left.
// Which plain jumps may be marked: a first grouping gives every one its
// fall-through, and one whose target lies outside its group there is never
// marked; the second grouping leaves those fall-throughs out (so that a loop
// that would close only by a jump not taken, where that jump is always
// taken, marks nothing). Two passes, each linear in the records.
void MarkTimelessLoops(std::vector<EnemySpawnRecord>& t) {
  const size_t n = t.size();
  std::vector<uint8_t> fallsThrough(n, 0);
  std::vector<int32_t> group;
  for (size_t i = 0; i < n; ++i) fallsThrough[i] = t[i].Op() == EnemySet::OP_JUMP && JumpsBack(t, i);
  GroupRecords(t, fallsThrough, group);
  for (size_t i = 0; i < n; ++i)
    if (fallsThrough[i] != 0) fallsThrough[i] = group[size_t(int64_t(i) + t[i].jump)] == group[i];
  GroupRecords(t, fallsThrough, group);
  for (size_t i = 0; i < n; ++i)
    if (t[i].delay <= 0.0f && JumpsBack(t, i) && group[size_t(int64_t(i) + t[i].jump)] == group[i])
      t[i].timelessLoop = true;
}

// Timeline records whose references name nothing, and the jumps back of
// loops that never wait: each kind is told with one error line, naming its
// first record and its count. The records stay as they are: the timeline
// consumes a spawn that makes no enemy, a wait on a named enemy whose
// parameter is not there does not wait, and a marked jump is not taken.
void TellTimelineFaults(const StageScript& s) {
  // Per kind: how many records, and the first.
  struct Kind {
    size_t count = 0, first = 0;
    void Add(size_t i) {
      if (count++ == 0) first = i;
    }
  };
  Kind noParam, noScript, badType, loops;
  for (size_t i = 0; i < s.timeline.size(); ++i) {
    const EnemySpawnRecord& rec = s.timeline[i];
    if (rec.timelessLoop) loops.Add(i);
    const uint32_t op = rec.Op();
    if (op != EnemySpawnRecord::OP_SPAWN && op != EnemySpawnRecord::OP_NAMED) continue;
    if (rec.param == nullptr) {
      noParam.Add(i);
    } else if (op == EnemySpawnRecord::OP_SPAWN) {
      const int32_t type = rec.param->type;
      if (type < 0 || type >= kEnemyTypeCount) {
        badType.Add(i);
      } else if (type < 2 && rec.script == nullptr) {
        noScript.Add(i);
      }
    }
  }
  auto tell = [](const Kind& k, const std::string& what) {
    FatalError("%s(%d) : timeline record %zu %s (%zu in all)\n", kSource, __LINE__, k.first, what.c_str(),
               k.count);
  };
  if (noParam.count != 0)
    tell(noParam, "names parameter " + std::to_string(s.timeline[noParam.first].argument) +
                      ", which the script does not hold");
  if (noScript.count != 0)
    tell(noScript, "names script " + std::to_string(uint32_t(s.timeline[noScript.first].jump)) +
                       ", which the script does not hold");
  if (badType.count != 0)
    tell(badType, "spawns enemy type " + std::to_string(s.timeline[badType.first].param->type) +
                      ", outside 0 to " + std::to_string(kEnemyTypeCount - 1));
  if (loops.count != 0)
    tell(loops, "jumps back to record " + std::to_string(int64_t(loops.first) + s.timeline[loops.first].jump) +
                    " in a loop that never waits, and is not taken");
}

}  // namespace

uint32_t GeneratorRecord::Word(int i) const {
  if (i < 0 || i > 23) return 0;
  uint32_t w;
  std::memcpy(&w, reinterpret_cast<const uint8_t*>(this) + 4 * i, 4);
  return w;
}

float GeneratorRecord::WordF(int i) const {
  const uint32_t w = Word(i);
  float f;
  std::memcpy(&f, &w, 4);
  return f;
}

AxisMotion::Block AxisRecord::AsBlock() const {
  AxisMotion::Block b;
  std::memcpy(&b.unused, &delay, 4);
  b.mode = mode;
  b.duration = duration;
  b.from = from;
  b.to = to;
  return b;
}

const RouteEntry* EnemyParam::RouteAt(int32_t index, int32_t offset) const {
  if (routeTable == nullptr || index < 0 || offset < 0) return nullptr;
  const int64_t i = int64_t(index) + offset;
  return i < int64_t(routeTable->entries.size()) ? &routeTable->entries[size_t(i)] : nullptr;
}

float EnemySpawnRecord::ArgumentF() const {
  float f;
  std::memcpy(&f, &argument, 4);
  return f;
}

bool StageScript::HoldsMotion(const EShotMotion* m) const {
  const std::less<const EShotMotion*> before;
  for (const PatternList& l : patternLists)
    if (!l.entries.empty() && !before(m, l.entries.data()) && before(m, l.entries.data() + l.entries.size()))
      return true;
  return false;
}

void StageScript::Clear() {
  patternLists.clear();
  scripts.clear();
  routeTables.clear();
  params.clear();
  timeline.clear();
}

bool ParseStageScript(const uint8_t* data, size_t size, StageScript* out, LoadBudget* budget) {
  out->Clear();
  LoadBudget own;
  LoadBudget& b = budget != nullptr ? *budget : own;
  // Besides the tables: the lookups by id that linking makes, and the
  // search for loops over the timeline.
  if (!ReadSections(data, size, b, out) ||
      !ChargeBlock(b, out->patternLists.size(), FirstById<PatternList, int32_t>::kEntryBytes) ||
      !ChargeBlock(b, out->scripts.size(), FirstById<EnemyScript, uint32_t>::kEntryBytes) ||
      !ChargeBlock(b, out->routeTables.size(), FirstById<RouteTable, int32_t>::kEntryBytes) ||
      !ChargeBlock(b, out->params.size(), FirstById<EnemyParam, uint32_t>::kEntryBytes) ||
      !ChargeBlock(b, out->timeline.size(), kLoopScratchBytes)) {
    out->Clear();
    return false;
  }
  Link(out);
  MarkTimelessLoops(out->timeline);
  TellTimelineFaults(*out);
  return true;
}

// ---------------------------------------------------------------- resource

SRsc* ScriptStgRsc::Create() { return new (std::nothrow) ScriptStgRsc(); }

void ScriptStgRsc::Release() {
  EndScriptUsers(script_);
  script_.Clear();
}
