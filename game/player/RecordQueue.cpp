#include "game/player/RecordQueue.h"

#include <cmath>

#include "game/core/MotionPath.h"

RecordQueue::RecordQueue() = default;

int32_t RecordQueue::Init(SProcArg) {
  Prepare();
  SetInitResult(0);
  return 0;
}

int32_t RecordQueue::Main(SProcArg) {
  Tick();
  return 0;
}

int32_t RecordQueue::Draw(SProcArg) {
  BuildRibbon();
  return 0;
}

int32_t RecordQueue::OnDispose(SProcArg) {
  records.clear();
  records.shrink_to_fit();
  return 0;
}

void RecordQueue::Prepare() {
  if (ribbon.GetPrimCapacity() < kQuads) ribbon.AllocPrims(kQuads);
  ribbon.SetActiveCount(0);
}

void RecordQueue::Push(const SVec4& a, const SVec4& b) {
  records.push_back(Record{a, b, kLife});
  while (records.size() > static_cast<size_t>(kMaxRecords)) records.erase(records.begin());
}

void RecordQueue::Tick() {
  if (records.empty()) return;
  while (records.size() > static_cast<size_t>(kMaxRecords)) records.erase(records.begin());
  for (Record& r : records) --r.life;
  while (!records.empty() && records.front().life <= 0) records.erase(records.begin());
}

void RecordQueue::BuildRibbon() {
  const int32_t n = static_cast<int32_t>(records.size());
  if (n < 2) return;
  if (ribbon.GetPrimCapacity() < kQuads) Prepare();
  MotionPath pathA, pathB;
  for (MotionPath* p : {&pathA, &pathB}) {
    p->kind = 0;
    p->tension = 0.0f;
  }
  for (const Record& r : records) {
    pathA.AddKey(r.a);
    pathB.AddKey(r.b);
  }
  pathA.SetEnds(nullptr, nullptr);
  pathB.SetEnds(nullptr, nullptr);
  const int32_t limit = kSlices * n - kSlices;
  constexpr float kHalfPi = 1.5707964f;
  int32_t q = 0;
  for (int32_t i = 0; i < n; ++i) {
    const float life = static_cast<float>(records[static_cast<size_t>(i)].life);
    const float a = life / 12.0f;
    const float d = (life + 1.0f) / 12.0f - a;
    for (int32_t j = 0; j < kSlices; ++j) {
      const float t0 = static_cast<float>(j) / 12.0f;
      const float t1 = static_cast<float>(j + 1) / 12.0f;
      const float u = a + d * t1;
      float a0[3] = {}, b0[3] = {}, a1[3] = {}, b1[3] = {};
      pathA.Evaluate(a0, i, t0);
      pathB.Evaluate(b0, i, t0);
      pathA.Evaluate(a1, i, t1);
      pathB.Evaluate(b1, i, t1);
      const float k = 1.0f - std::cos(u * kHalfPi);
      float c[4];
      for (int ch = 0; ch < 4; ++ch) c[ch] = tailColour[ch] + (headColour[ch] - tailColour[ch]) * k;
      if (limit <= kQuads && q < limit) {
        ribbon.Seek(q, 0);
        for (const float* v : {a0, b0, a1, b1}) {
          ribbon.SetPos(v[0], v[1], v[2]);
          ribbon.SetColour(c[0], c[1], c[2], c[3]);
          ribbon.Next();
        }
        ++q;
      }
    }
  }
  ribbon.SetActiveCount(q);
  ribbon.Enter(kDrawKey);
}
