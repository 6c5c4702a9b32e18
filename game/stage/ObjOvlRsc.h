#pragma once
// A visibility list (".ovl"), resource kind 'OVL': steps keyed by integer
// rail positions, each toggling the visible flag of the objects (or tunnel
// parts) it lists. Steps stay in file order, which the data keep ascending
// by key.
//
// File layout (little-endian): u32 step count N, u32 (not read), then N
// steps, each u32 key, u32 n and n u32 indices.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/stage/StageRsc.h"
#include "vrax/io/LoadBudget.h"

struct VisibilityStep {
  int32_t key = 0;
  std::vector<uint32_t> indices;
};

// The steps of a ".ovl" file; false (empty) when a count runs past the data
// or the steps would pass the budget (without one: a budget of
// kMaxResourceBytes of its own). Indices are kept as stored: the user
// checks them against its own list.
bool ParseVisibilityList(const uint8_t* data, size_t size, std::vector<VisibilityStep>* steps,
                         LoadBudget* budget = nullptr);

class ObjOvlRsc : public StageRsc {
 public:
  ObjOvlRsc() : StageRsc(".ovl", "Game\\ObjOvlRsc", true) {}
  uint32_t Kind() const override { return RscTag("OVL"); }
  // The kind's factory: a new resource, or null when memory runs out.
  static SRsc* Create();

  const std::vector<VisibilityStep>& Steps() const { return steps_; }

 protected:
  bool Parse(const uint8_t* data, size_t size) override {
    return ParseVisibilityList(data, size, &steps_, &Budget());
  }
  void Release() override { steps_.clear(); }

 private:
  std::vector<VisibilityStep> steps_;
};

// Where the visibility of a list (a layer's objects, the tunnel's parts)
// stands in its steps. `next` is the index of the next step to test (the
// cursor). The per-frame step remembers how far it has looked: every step
// from next up to seekAt has a key below seekKey, so that a later frame at
// a key no lower starts there, and a frame looks only at the steps near
// the rail, however many steps of lower keys the list holds.
struct VisibilityCursor {
  int32_t next = 0;
  int32_t seekAt = 0;
  int32_t seekKey = INT32_MIN;
  uint64_t steps = 0;  // steps looked at by the last VisibilityAdvance

  // Moves the cursor to step i, forgetting what was looked at.
  void Set(int32_t i) {
    next = seekAt = i;
    seekKey = INT32_MIN;
  }
};

// The rules by which visibility steps toggle a list of flags; toggle(i)
// flips flag i (the caller skips indices outside its list).
//
// On a jump (after the caller cleared its flags): from the first step, each
// step with key <= `key` toggles its flags and moves the cursor past it; the
// walk stops after a step whose key equals `key`.
template <class Toggle>
void VisibilityRecompute(const std::vector<VisibilityStep>& steps, int32_t key, VisibilityCursor* cursor,
                         Toggle toggle) {
  cursor->Set(0);
  for (size_t i = 0; i < steps.size(); ++i) {
    const VisibilityStep& s = steps[i];
    if (s.key > key) continue;
    for (uint32_t index : s.indices) toggle(index);
    cursor->Set(static_cast<int32_t>(i + 1));
    if (s.key == key) break;
  }
}

// Every frame: from the cursor, the first step with key >= `key`; when its
// key equals `key` it toggles its flags and the cursor moves past it (so two
// steps with one key fire in consecutive frames). The search starts where
// the last one stopped when it looked from the same cursor for a key no
// higher.
template <class Toggle>
void VisibilityAdvance(const std::vector<VisibilityStep>& steps, int32_t key, VisibilityCursor* cursor,
                       Toggle toggle) {
  cursor->steps = 0;
  const size_t next = cursor->next < 0 ? 0 : size_t(cursor->next);
  size_t i = next;
  if (cursor->seekKey <= key && cursor->seekAt >= cursor->next) i = size_t(cursor->seekAt);
  for (; i < steps.size(); ++i) {
    ++cursor->steps;
    if (steps[i].key >= key) break;
  }
  if (i < steps.size() && steps[i].key == key) {
    for (uint32_t index : steps[i].indices) toggle(index);
    cursor->Set(static_cast<int32_t>(i + 1));
    return;
  }
  // Every step from the cursor up to i lies below key.
  cursor->seekAt = static_cast<int32_t>(i < steps.size() ? i : steps.size());
  cursor->seekKey = key;
}
