#pragma once
// Pixel-level description of the sprite tables.
//
// Every sprite table is written once as a list of PartLayout records (texture,
// rectangle and pivot in pixels). The SGpRect arrays the game draws with are
// built from these lists at compile time, and the stand-in data generator and
// the tests read the same lists, so a table and the images drawn for it can
// never disagree.
#include <cstddef>
#include <cstdint>

class SImageSlot;

// One image resource as the tables see it: its request path (a ".tr" list
// without the extension) and the global slot the resource manager fills.
struct ImageDef {
  const char* path;
  SImageSlot* slot;
  const char* slotName;
};

struct PartLayout {
  SImageSlot* slot = nullptr;
  std::uint32_t id = 0;  // texture index within the image
  float texW = 0, texH = 0;
  float x = 0, y = 0, w = 0, h = 0;
  float px = 0, py = 0;  // pivot from the top-left corner
  bool flipU = false, flipV = false;
};

// A part with its pivot at half its size.
constexpr PartLayout Part(SImageSlot& img, std::uint32_t id, float texW, float texH, float x,
                        float y, float w, float h) {
  return PartLayout{&img, id, texW, texH, x, y, w, h, w * 0.5f, h * 0.5f, false, false};
}
// A part with an explicit pivot.
constexpr PartLayout PartP(SImageSlot& img, std::uint32_t id, float texW, float texH, float x,
                         float y, float w, float h, float px, float py) {
  return PartLayout{&img, id, texW, texH, x, y, w, h, px, py, false, false};
}
constexpr PartLayout MirroredU(PartLayout p) {
  p.flipU = true;
  return p;
}
constexpr PartLayout OnTexture(PartLayout p, std::uint32_t id) {
  p.id = id;
  return p;
}

// Fixed-size list filled in order by a constexpr lambda. Writing past the end
// or finishing with fewer entries than declared stops the compilation.
template <std::size_t N>
struct LayoutList {
  PartLayout parts[N]{};
  std::size_t count = 0;

  constexpr LayoutList& Add(const PartLayout& p) {
    if (count >= N) throw "sprite table overflow";
    parts[count++] = p;
    return *this;
  }
  // n parts, each moved by (dx, dy) from the one before.
  constexpr LayoutList& Row(PartLayout first, int n, float dx, float dy = 0) {
    for (int i = 0; i < n; ++i) {
      Add(first);
      first.x += dx;
      first.y += dy;
    }
    return *this;
  }
  // Copies parts [from, to] again with another texture index.
  constexpr LayoutList& Repeat(std::size_t from, std::size_t to, std::uint32_t id) {
    for (std::size_t i = from; i <= to; ++i) Add(OnTexture(parts[i], id));
    return *this;
  }
  // One whole texture per part: part k is texture k at (0, 0).
  constexpr LayoutList& WholeTextures(SImageSlot& img, int n, float texW, float texH) {
    for (int k = 0; k < n; ++k) Add(Part(img, static_cast<std::uint32_t>(k), texW, texH, 0, 0, texW, texH));
    return *this;
  }
  // Horizontal strips 24 pixels tall stacked from the top of texture 0.
  template <std::size_t K>
  constexpr LayoutList& Strips(SImageSlot& img, float texW, float texH, const int (&widths)[K]) {
    for (std::size_t i = 0; i < K; ++i)
      Add(Part(img, 0, texW, texH, 0, 24.0f * static_cast<float>(i), static_cast<float>(widths[i]), 24));
    return *this;
  }
  constexpr LayoutList Done() const {
    if (count != N) throw "sprite table not filled";
    return *this;
  }
};

// One key of a key-list description: a part index of the list's table (-1
// ends a list) and how many frames it shows.
struct KeyLayout {
  int part = -1;
  float frames = 0;
};

template <std::size_t N>
struct KeyLayoutList {
  KeyLayout keys[N]{};
  std::size_t count = 0;

  constexpr KeyLayoutList& Key(int part, float frames) {
    if (count >= N) throw "key list overflow";
    keys[count++] = KeyLayout{part, frames};
    return *this;
  }
  // Parts from..to (either direction), each for the same number of frames.
  constexpr KeyLayoutList& Run(int from, int to, float frames) {
    const int step = from <= to ? 1 : -1;
    for (int p = from;; p += step) {
      Key(p, frames);
      if (p == to) break;
    }
    return *this;
  }
  template <std::size_t K>
  constexpr KeyLayoutList& Parts(const int (&parts)[K], float frames) {
    for (std::size_t i = 0; i < K; ++i) Key(parts[i], frames);
    return *this;
  }
  // Parts first.. in order with one duration each.
  template <std::size_t K>
  constexpr KeyLayoutList& Times(int first, const float (&frames)[K]) {
    for (std::size_t i = 0; i < K; ++i) Key(first + static_cast<int>(i), frames[i]);
    return *this;
  }
  // Sets the duration of the last key written (a held last part).
  constexpr KeyLayoutList& Hold(float frames) {
    keys[count - 1].frames = frames;
    return *this;
  }
  constexpr KeyLayoutList& End() { return Key(-1, 0); }
  constexpr KeyLayoutList Done() const {
    if (count != N) throw "key list not filled";
    return *this;
  }
};
