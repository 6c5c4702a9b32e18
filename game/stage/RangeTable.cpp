#include "game/stage/RangeTable.h"

#include <cstddef>

#include "game/core/Game.h"
#include "game/stage/MapMng.h"

namespace {

// The record's second key starts half a record in.
int32_t FindRange(const float* table, float value, int recordFloats) {
  if (table == nullptr) return -1;
  const int half = recordFloats / 2;
  for (int32_t i = 0;; ++i) {
    const float* r = table + static_cast<size_t>(i) * static_cast<size_t>(recordFloats);
    if (r[0] == -1.0f && r[half] == -1.0f) return -1;
    if (r[0] <= value && value <= r[half]) return i;
  }
}

}  // namespace

int32_t FindRangeIndex48(const float* table, float value) { return FindRange(table, value, kFogRecordFloats); }

int32_t FindRangeIndex(const float* table, float value) { return FindRange(table, value, kLayerRecordFloats); }

void ApplyStageFog(const float* table0, const float* table1) {
  Game* game = GetGame();
  if (game == nullptr) return;
  SGpState_Fog& fog = game->StageFog();
  const float v = g_MapMng.t;
  const float* table = g_MapMng.currentPath == 0 ? table0 : table1;
  const int32_t i = FindRangeIndex48(table, v);
  if (i < 0) {
    fog.SetEnable(0);
    return;
  }
  const float* k0 = table + static_cast<size_t>(i) * kFogRecordFloats;
  const float* k1 = k0 + kFogRecordFloats / 2;
  // A record whose two keys stand at one position holds its first key.
  const float span = k1[0] - k0[0];
  const float t = span != 0.0f ? (v - k0[0]) / span : 0.0f;
  float value[5];
  for (int c = 0; c < 5; ++c) value[c] = k0[1 + c] + (k1[1 + c] - k0[1 + c]) * t;
  fog.SetEnable(1);
  fog.SetRange(value[0], value[1]);
  fog.SetColour(value[2], value[3], value[4]);
}
