#pragma once
// Builds the SGpRect and SGpKeyList arrays of the sprite tables from their
// pixel descriptions at compile time.
#include "game/tables/part_layout.h"
#include "vrax/graphic/SGpRect.h"

template <std::size_t N>
struct RectArray {
  SGpRect parts[N];
};
template <std::size_t N>
struct KeyArray {
  SGpKeyList keys[N];
};

constexpr SGpRect ToRect(const PartLayout& p) {
  return SGpRect(p.slot, p.id, p.texW, p.texH, p.x, p.y, p.w, p.h, p.px, p.py, p.flipU, p.flipV);
}

template <std::size_t N>
constexpr RectArray<N> BuildRects(const LayoutList<N>& s) {
  RectArray<N> r{};
  for (std::size_t i = 0; i < N; ++i) r.parts[i] = ToRect(s.parts[i]);
  return r;
}

// Key list: parts first..last for the same number of frames each (the last
// one held for `hold` frames when that is not 0), then the end key.
template <std::size_t N>
constexpr KeyLayoutList<N> Sequence(int first, int last, float frames, float hold = 0) {
  KeyLayoutList<N> k;
  k.Run(first, last, frames);
  if (hold != 0) k.Hold(hold);
  k.End();
  return k.Done();
}

// Key list: one part for a number of frames, then the end key.
template <std::size_t N>
constexpr KeyLayoutList<N> Still(int part, float frames) {
  KeyLayoutList<N> k;
  k.Key(part, frames).End();
  return k.Done();
}

// A key naming a part outside its table stops the compilation.
template <std::size_t T, std::size_t N>
constexpr KeyArray<N> BuildKeys(const SGpRect (&table)[T], const KeyLayoutList<N>& k) {
  KeyArray<N> r{};
  for (std::size_t i = 0; i < N; ++i) {
    const KeyLayout& s = k.keys[i];
    if (s.part >= static_cast<int>(T)) throw "key names a part outside its table";
    r.keys[i] = SGpKeyList{s.part < 0 ? nullptr : &table[s.part], s.frames};
  }
  return r;
}

// A table T described by kT in the same file: defines the global array T.
#define OSTREL_RECT_TABLE(name)                                  \
  constexpr auto name##_store = BuildRects(k##name);             \
  const SGpRect(&name)[sizeof(k##name.parts) / sizeof(PartLayout)] = name##_store.parts;

// A key list L over table T described by kL: defines the global array L.
#define OSTREL_KEY_LIST(name, table)                             \
  constexpr auto name##_store = BuildKeys(table##_store.parts, k##name); \
  const SGpKeyList(&name)[sizeof(k##name.keys) / sizeof(KeyLayout)] = name##_store.keys;
