#pragma once
// A visibility list (".ovl"), resource kind 'OVL': steps keyed by integer
// rail positions, each toggling the visible flag of the objects (or tunnel
// parts) it lists. Steps stay in file order, which the data keep ascending
// by key.
//
// File layout (little-endian): u32 step count N, u32 (not read), then N
// steps, each u32 key, u32 n and n u32 indices.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/stage/StageRsc.h"

struct VisibilityStep {
  int32_t key = 0;
  std::vector<uint32_t> indices;
};

// The steps of a ".ovl" file; false (empty) when a count runs past the data.
// Indices are kept as stored: the user checks them against its own list.
bool ParseVisibilityList(const uint8_t* data, size_t size, std::vector<VisibilityStep>* steps);

class ObjOvlRsc : public StageRsc {
 public:
  ObjOvlRsc() : StageRsc(".ovl", "Game\\ObjOvlRsc", true) {}
  uint32_t Kind() const override { return RscTag("OVL"); }
  // The kind's factory: a new resource, or null when memory runs out.
  static SRsc* Create();

  const std::vector<VisibilityStep>& Steps() const { return steps_; }

 protected:
  bool Parse(const uint8_t* data, size_t size) override { return ParseVisibilityList(data, size, &steps_); }
  void Release() override { steps_.clear(); }

 private:
  std::vector<VisibilityStep> steps_;
};

// The rules by which visibility steps toggle a list of flags (the objects
// of a layer, the parts of the tunnel); `cursor` is the index of the next
// step to test and toggle(i) flips flag i (the caller skips indices outside
// its list).
//
// On a jump (after the caller cleared its flags): from the first step, each
// step with key <= `key` toggles its flags and moves the cursor past it; the
// walk stops after a step whose key equals `key`.
template <class Toggle>
void VisibilityRecompute(const std::vector<VisibilityStep>& steps, int32_t key, int32_t* cursor, Toggle toggle) {
  *cursor = 0;
  for (size_t i = 0; i < steps.size(); ++i) {
    const VisibilityStep& s = steps[i];
    if (s.key > key) continue;
    for (uint32_t index : s.indices) toggle(index);
    *cursor = static_cast<int32_t>(i + 1);
    if (s.key == key) break;
  }
}

// Every frame: from the cursor, the first step with key >= `key`; when its
// key equals `key` it toggles its flags and the cursor moves past it (so two
// steps with one key fire in consecutive frames).
template <class Toggle>
void VisibilityAdvance(const std::vector<VisibilityStep>& steps, int32_t key, int32_t* cursor, Toggle toggle) {
  for (size_t i = *cursor < 0 ? 0 : size_t(*cursor); i < steps.size(); ++i) {
    const VisibilityStep& s = steps[i];
    if (s.key < key) continue;
    if (s.key == key) {
      for (uint32_t index : s.indices) toggle(index);
      *cursor = static_cast<int32_t>(i + 1);
    }
    return;
  }
}
