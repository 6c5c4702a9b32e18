#include "tools/datagen/title_art.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace datagen {

namespace {

constexpr float kTwoPi = 6.2831855f;

// A night sky: deep blue at the top to violet at the foot, with stars.
void Sky(Canvas& c, int x, int y, int w, int h) {
  for (int j = 0; j < h; ++j) c.Fill(x, y + j, w, 1, Mix(FromRgb(0x0a1030), FromRgb(0x40205a), float(j) / float(h)));
  uint32_t s = 12345u;
  for (int i = 0; i < 160; ++i) {
    s = s * 1103515245u + 12345u;
    const int sx = x + int((s >> 8) % uint32_t(w));
    s = s * 1103515245u + 12345u;
    const int sy = y + int((s >> 8) % uint32_t(h * 2 / 3));
    c.Blend(sx, sy, Rgba{1, 1, 1, 0.5f + 0.5f * float(i % 3) / 2.0f});
  }
}

// Soft wisps of cloud; the picture repeats across its width, so that a
// window sliding over it shows no seam at the turn.
void CloudBand(Canvas& c, int x, int y, int w, int h) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const float u = float(i) / float(w), v = float(j) / float(h);
      const float wave = 0.5f + 0.25f * std::sin(u * kTwoPi * 2.0f + v * 5.0f) + 0.25f * std::sin(u * kTwoPi * 6.0f);
      const float body = std::max(0.0f, 1.0f - std::fabs(v - 0.5f - 0.15f * std::sin(u * kTwoPi * 2.0f)) * 3.0f);
      const float a = std::clamp(body * wave, 0.0f, 1.0f) * 0.8f;
      if (a > 0.01f) c.Set(x + i, y + j, Rgba{0.85f, 0.82f, 0.95f, a});
    }
}

// The name plate: a gold rule above and below and the game's name.
void Plate(Canvas& c, int x, int y, int w, int h) {
  c.Fill(x, y + h / 2 - h / 3, w, 2 * h / 3, FromRgb(0x101020, 0.55f));
  c.Fill(x, y + h / 6, w, 3, FromRgb(0xe0b040));
  c.Fill(x, y + h - h / 6 - 3, w, 3, FromRgb(0xe0b040));
  // The emblem stands over the plate's left part: the name goes right.
  DrawText(c, x + w / 3, y + h / 6 + 4, w * 2 / 3 - 8, h - h / 3 - 8, "OSTREL", h / 2, FromRgb(0xffd870));
}

// A round emblem: a gold ring with a swept wing in it. The ring sits low and
// small in its part: the part's top reaches up to the credit line's "TO
// START !", which the emblem is drawn over, and the words must stay clear.
void Emblem(Canvas& c, int x, int y, int w, int h) {
  constexpr float kCentreV = 0.25f, kScale = 0.7f / 0.95f;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const float u = ((i + 0.5f) / w * 2.0f - 1.0f) / kScale;
      const float v = ((j + 0.5f) / h * 2.0f - 1.0f - kCentreV) / kScale;
      const float d = std::hypot(u, v);
      if (d > 0.95f) continue;
      if (d > 0.8f) {
        c.Set(x + i, y + j, FromRgb(0xe0b040));
      } else {
        const bool wing = v > -0.5f + std::fabs(u) * 0.6f && v < 0.1f + std::fabs(u) * 0.2f;
        c.Set(x + i, y + j, wing ? FromRgb(0xf0f0ff) : FromRgb(0x203070, 0.8f));
      }
    }
}

// The overlay: clear in the middle, darkening towards the left, right and
// bottom edges.
void Overlay(Canvas& c, int x, int y, int w, int h) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const float u = std::fabs((i + 0.5f) / w * 2.0f - 1.0f), v = (j + 0.5f) / h;
      const float a = std::clamp((u - 0.7f) * 2.0f, 0.0f, 1.0f) * 0.6f + std::clamp((v - 0.8f) * 3.0f, 0.0f, 1.0f) * 0.5f;
      c.Set(x + i, y + j, Rgba{0.0f, 0.0f, 0.05f, std::min(a, 0.9f)});
    }
}

}  // namespace

bool DrawTitlePart(Canvas& c, const char* table, std::size_t index, int x, int y, int w, int h) {
  if (std::strcmp(table, "SprTitle") != 0) return false;
  switch (index) {
    case 0: Sky(c, x, y, w, h); return true;
    case 1: CloudBand(c, x, y, w, h); return true;
    case 2: Plate(c, x, y, w, h); return true;
    case 3: Overlay(c, x, y, w, h); return true;
    case 4: DrawText(c, x, y, w, h, "PRESS START", h, FromRgb(0xffffff)); return true;
    case 5: Emblem(c, x, y, w, h); return true;
    default: return false;
  }
}

}  // namespace datagen
