#pragma once
// Building blocks of the stages' fog and cloud tables, written as readable
// keyframes and turned into the record layouts the fog and cloud processes
// read at compile time.
#include <array>
#include <cstddef>

// One fog keyframe: rail position, fog start and end, colour.
struct FogKey {
  float t, start, end, r, g, b;
};

// A fog table of N records of two keys each, ended by the -1 record.
template <size_t N>
using FogTable = std::array<float, (N + 1) * 12>;

// Records from explicit pairs of keys.
template <size_t N>
constexpr FogTable<N> FogRecords(const FogKey (&from)[N], const FogKey (&to)[N]) {
  FogTable<N> out{};
  for (size_t i = 0; i < N; ++i) {
    const FogKey* k[2] = {&from[i], &to[i]};
    for (int j = 0; j < 2; ++j) {
      float* o = &out[i * 12 + size_t(j) * 6];
      o[0] = k[j]->t, o[1] = k[j]->start, o[2] = k[j]->end, o[3] = k[j]->r, o[4] = k[j]->g, o[5] = k[j]->b;
    }
  }
  out[N * 12] = out[N * 12 + 6] = -1.0f;
  return out;
}

// Records from a run of keyframes: each two neighbours form a record.
template <size_t K>
constexpr FogTable<K - 1> FogFromKeys(const FogKey (&keys)[K]) {
  FogKey from[K - 1]{}, to[K - 1]{};
  for (size_t i = 0; i + 1 < K; ++i) from[i] = keys[i], to[i] = keys[i + 1];
  return FogRecords(from, to);
}

// One keyframe of a cloud record (the twelve floats of CloudQuad's table
// format): rail position, drift x and z, drift factor, colour, a carried
// value, start y, spawn interval and rotation in turns.
struct CloudKey {
  float t, driftX, driftZ, factor, r, g, b, a, carried, startY, interval, rotation;
};

template <size_t N>
using CloudTable = std::array<float, (N + 1) * 24>;

// Records of two keys each, ended by the record whose positions are -1.
template <size_t N>
constexpr CloudTable<N> CloudRecords(const CloudKey (&from)[N], const CloudKey (&to)[N]) {
  CloudTable<N> out{};
  for (size_t i = 0; i < N; ++i) {
    const CloudKey* k[2] = {&from[i], &to[i]};
    for (int j = 0; j < 2; ++j) {
      const CloudKey& c = *k[j];
      const float v[12] = {c.t, c.driftX, c.driftZ, c.factor, c.r, c.g, c.b, c.a, c.carried, c.startY, c.interval,
                           c.rotation};
      for (int f = 0; f < 12; ++f) out[i * 24 + size_t(j) * 12 + size_t(f)] = v[f];
    }
  }
  out[N * 24] = out[N * 24 + 12] = -1.0f;
  return out;
}

// Records from a run of keyframes (neighbours form a record).
template <size_t K>
constexpr CloudTable<K - 1> CloudFromKeys(const CloudKey (&keys)[K]) {
  CloudKey from[K - 1]{}, to[K - 1]{};
  for (size_t i = 0; i + 1 < K; ++i) from[i] = keys[i], to[i] = keys[i + 1];
  return CloudRecords(from, to);
}
