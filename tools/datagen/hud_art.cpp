#include "tools/datagen/hud_art.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace datagen {

namespace {

const Rgba kWhite{1, 1, 1, 1};

// An ellipse filling the box (a disc on screen however wide the part was
// drawn in its texture), solid or a ring of relative width t.
void Disc(Canvas& c, int x, int y, int w, int h, float t, const Rgba& col) {
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i) {
      const float u = (i + 0.5f - x) / w * 2.0f - 1.0f, v = (j + 0.5f - y) / h * 2.0f - 1.0f;
      const float d = std::hypot(u, v);
      // Lighter towards the centre, so that the disc reads as round.
      if (d <= 0.94f && (t <= 0.0f || d >= 0.94f - t)) c.Blend(i, j, Mix(col, Rgba{1, 1, 1, col.a}, (1 - d) * 0.4f));
    }
}

// A horizontal gradient bar from `from` to `to` with a light top edge.
void Bar(Canvas& c, int x, int y, int w, int h, const Rgba& from, const Rgba& to) {
  for (int i = 0; i < w; ++i) {
    const Rgba col = Mix(from, to, w > 1 ? static_cast<float>(i) / (w - 1) : 0.0f);
    c.Fill(x + i, y, 1, h, col);
  }
  c.Fill(x, y, w, std::max(1, h / 4), Rgba{1, 1, 1, 0.45f});
}

// A triangle pointing left (dir -1), right (1) or down (0), filling the box.
void Arrow(Canvas& c, int x, int y, int w, int h, int dir, const Rgba& col) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const float u = (i + 0.5f) / w, v = (j + 0.5f) / h;
      bool in = false;
      if (dir == 0) in = std::fabs(u - 0.5f) < 0.5f * (1.0f - v);
      if (dir < 0) in = std::fabs(v - 0.5f) < 0.5f * u;
      if (dir > 0) in = std::fabs(v - 0.5f) < 0.5f * (1.0f - u);
      if (in) c.Blend(x + i, y + j, Mix(col, Rgba{1, 1, 1, col.a}, 0.5f * (1 - v)));
    }
}

void Panel(Canvas& c, int x, int y, int w, int h) {
  // Texture pixels per panel pixel: the panel's parts may be drawn larger
  // than the size they are cut at.
  const float sx = w / 183.0f, sy = h / 63.0f;
  c.Fill(x, y, w, h, FromRgb(0x101828, 0.85f));
  c.Frame(x, y, w, h, 1, FromRgb(0x8090c0));
  // The lock-on gauge's round trough at the left, the power gauge's slot.
  const int lx = x + static_cast<int>(1 * sx), ly = y + static_cast<int>(2 * sy);
  Disc(c, lx, ly, static_cast<int>(57 * sx), static_cast<int>(57 * sy), 0.0f, FromRgb(0x000000, 0.9f));
  const int px = x + static_cast<int>(61 * sx), py = y + static_cast<int>(27 * sy);
  c.Fill(px, py, static_cast<int>(115 * sx), static_cast<int>(13 * sy), FromRgb(0x000000, 0.9f));
  c.Frame(px - 1, py - 1, static_cast<int>(115 * sx) + 2, static_cast<int>(13 * sy) + 2, 1, FromRgb(0x8090c0));
  DrawText(c, px, y + 2, static_cast<int>(115 * sx), static_cast<int>(20 * sy), "POWER", static_cast<int>(14 * sy),
           FromRgb(0xc0d0ff));
}

}  // namespace

bool DrawHudPart(Canvas& c, const char* table, std::size_t index, int x, int y, int w, int h) {
  if (std::strcmp(table, "SprGameIf00_1") == 0) {
    switch (index) {
      case 0: Panel(c, x, y, w, h); return true;
      case 1: Bar(c, x, y, w, h, FromRgb(0x20c040), FromRgb(0xf0e040)); return true;
      case 2: Disc(c, x, y, w, h, 0.0f, FromRgb(0x40d0ff)); return true;
      case 3:
        Bar(c, x, y, w, h, Rgba{1, 1, 1, 0.1f}, Rgba{1, 1, 1, 0.3f});
        c.Frame(x, y, w, h, 1, kWhite);
        return true;
      case 4:
      case 5: Disc(c, x, y, w, h, 0.12f, FromRgb(0x80c0ff)); return true;
      case 6:
      case 7:
        c.Fill(x, y, w, h, FromRgb(0x203060, 0.8f));
        DrawText(c, x + 1, y + 1, w - 2, h - 2, index == 6 ? "HI" : "SCORE", h - 2, kWhite);
        return true;
      default: return false;
    }
  }
  // Bomb icons: a round bomb whose fuse spark moves frame by frame.
  if (std::strcmp(table, "SprGameIf00_3") == 0 && index < 3) {
    Disc(c, x, y + h / 6, w * 5 / 6, h * 5 / 6, 0.0f, FromRgb(0xe08030));
    Disc(c, x + w / 6, y + h / 3, w / 4, h / 4, 0.0f, Rgba{1, 1, 1, 0.7f});
    const int s = std::max(2, w / 5);
    c.Fill(x + w - s - static_cast<int>(index) * s / 2, y + static_cast<int>(index) * s / 2, s, s, FromRgb(0xffff80));
    return true;
  }
  // The banner's pieces lie over the score labels in the texture: they are
  // drawn faint, so that both stay readable.
  if (std::strcmp(table, "SprGameIf00_2") == 0) {
    static constexpr int kDirections[5] = {0, -1, 1, 0, 0};
    if (index == 0) {
      c.Frame(x, y, w, h, 2, FromRgb(0xf0e040, 0.8f));
    } else if (index < 5) {
      Arrow(c, x, y, w, h, kDirections[index], FromRgb(0xf0e040, 0.35f));
    } else {
      return false;
    }
    return true;
  }
  return false;
}

}  // namespace datagen
