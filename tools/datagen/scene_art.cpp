#include "tools/datagen/scene_art.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>

namespace datagen {

namespace {

struct StripWords {
  const char* table;
  const char* words[4];
};

// Part i of each table carries words[i]; null keeps the plain picture.
constexpr StripWords kStripWords[] = {
    {"SprContinue_1", {nullptr, "CONTINUE?", "GAME OVER", nullptr}},
    {"SprContinue_2", {nullptr, "CONTINUE?", "GAME OVER", nullptr}},
    {"SprRanking", {nullptr, "RANKING", nullptr, nullptr}},
};

// The staff roll: on a dark strip, groups of grey bars like lines of text
// under a brighter heading bar, their lengths varying by a fixed pattern.
void StaffLines(Canvas& c, std::size_t index, int x, int y, int w, int h) {
  c.Fill(x, y, w, h, FromRgb(0x101018));
  constexpr int kLine = 22;
  std::uint32_t pattern = 0x9E3779B9u * static_cast<std::uint32_t>(index + 1);
  for (int row = 0, line = 0; row + kLine <= h; row += kLine, ++line) {
    pattern = pattern * 1664525u + 1013904223u;
    const int group = line % 6;
    if (group == 5) continue;  // a gap between groups
    const bool heading = group == 0;
    const int len = heading ? w / 2 : w / 3 + static_cast<int>((pattern >> 16) % static_cast<std::uint32_t>(w / 2));
    const int barH = heading ? 10 : 6;
    c.Fill(x + (w - len) / 2, y + row + (kLine - barH) / 2, len, barH, FromRgb(heading ? 0xC0C0D0 : 0x707080));
  }
}

// The result panel: its seven row captions at the rows' heights (the panel
// is drawn 1:1 with its top at y = -287 and its left at x = -190).
void ResultPanel(Canvas& c, int x, int y, int w, int h) {
  c.Fill(x, y, w, h, FromRgb(0x183048));
  c.Frame(x, y, w, h, 3, FromRgb(0x80A0C0));
  static constexpr struct {
    int top;
    const char* words;
  } kCaptions[] = {{-160, "DESTROYED"}, {-117, "LOCK CATCH"}, {-74, "MAX CHAIN"}, {6, "LIVES"},
                   {47, "POWER"},       {131, "BONUS"},       {172, "SCORE"}};
  for (const auto& cap : kCaptions)
    DrawText(c, x + 8, y + cap.top + 287, 200, 40, cap.words, 22, FromRgb(0xE0E8F0));
}

// The name entry's panel, stretched on the screen over x -231.5 to 231.5
// and y -300 to 260: captions left of the results and by the name and the
// time, at the heights the scene prints them.
void EntryPanel(Canvas& c, int x, int y, int w, int h) {
  c.Fill(x, y, w, h, FromRgb(0x302050));
  c.Frame(x, y, w, h, 3, FromRgb(0xA090C0));
  const float scaleY = static_cast<float>(h) / 560.0f;
  static constexpr struct {
    float left, top, width;
    const char* words;
  } kCaptions[] = {{-226, -262, 64, "NAME"},   {28, -258, 64, "TIME"},    {-220, -62, 110, "STAGE"},
                   {-220, -18, 110, "CHAIN"},  {-220, 26, 110, "SCORE"},  {-220, 132, 110, "RANK"},
                   {-220, 210, 110, "PLACE"}};
  for (const auto& cap : kCaptions)
    DrawText(c, x + static_cast<int>(cap.left + 231.5f), y + static_cast<int>((cap.top + 300.0f) * scaleY),
             static_cast<int>(cap.width), static_cast<int>(24 * scaleY), cap.words, 20, FromRgb(0xD0C8E8));
}

// The first place's badge, drawn over the whole of row 1 (11 units right of
// its x, so 9 before the place number): a thin gold frame with a thicker
// bar at its left end and nothing inside, so that the place, a score of ten
// digits, the name and the stage stay readable under it.
void RankingBadge(Canvas& c, int x, int y, int w, int h) {
  c.Frame(x, y, w, h, 2, FromRgb(0xE8C040));
  c.Frame(x + 2, y + 2, w - 4, h - 4, 1, FromRgb(0x907020, 0.6f));
  for (int j = 0; j < h; ++j)
    c.Fill(x, y + j, 6, 1, Mix(FromRgb(0xF8E080), FromRgb(0xB08018), static_cast<float>(j) / static_cast<float>(h)));
}

// The ranking's background (a plain dark gold fall with a fine grid) and
// its highlight bar (a bright band fading to both ends), without words so
// that the rows stay readable over them.
void RankingPart(Canvas& c, std::size_t index, int x, int y, int w, int h) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const float down = static_cast<float>(j) / static_cast<float>(h);
      if (index == 0) {
        Rgba col = Mix(FromRgb(0x5A4A20), FromRgb(0x1A1408), down);
        if (i % 32 == 0 || j % 32 == 0) col = Mix(col, FromRgb(0xFFFFFF), 0.08f);
        c.Set(x + i, y + j, col);
      } else {
        const float across = static_cast<float>(i) / static_cast<float>(w);
        const float edge = std::min(across, 1.0f - across) * 6.0f;
        Rgba col = Mix(FromRgb(0x40C0FF), FromRgb(0x1060A0), std::abs(down - 0.5f) * 2.0f);
        col.a = std::min(edge, 1.0f) * 0.8f;
        c.Set(x + i, y + j, col);
      }
    }
}

// The stage result's two background layers: a translucent dark blue fall
// (the glow drawn under it shows through), and over it a faint pattern of
// rings; and its row plates, plain bands with a bright edge, without words
// under the numbers.
void ResultBackground(Canvas& c, std::size_t index, int x, int y, int w, int h) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const float down = static_cast<float>(j) / static_cast<float>(h);
      if (index == 0) {
        Rgba col = Mix(FromRgb(0x102848), FromRgb(0x040810), down);
        col.a = 0.55f;
        c.Set(x + i, y + j, col);
      } else {
        const float dx = static_cast<float>(i - w / 2), dy = static_cast<float>(j - h / 2);
        const float r = std::sqrt(dx * dx + dy * dy);
        Rgba col = Mix(FromRgb(0x80C0FF), FromRgb(0x2050A0), std::min(r / 360.0f, 1.0f));
        col.a = std::fmod(r, 48.0f) < 3.0f ? 0.35f : 0.0f;
        c.Set(x + i, y + j, col);
      }
    }
}

void ResultPlate(Canvas& c, int x, int y, int w, int h) {
  for (int j = 0; j < h; ++j) {
    const float t = static_cast<float>(j) / static_cast<float>(h);
    c.Fill(x, y + j, w, 1, Mix(FromRgb(0x2060A0), FromRgb(0x0C2440), t));
  }
  c.Fill(x, y, w, 2, FromRgb(0x80C0FF));
}

}  // namespace

const char* SceneStripWords(const char* table, std::size_t index) {
  for (const StripWords& s : kStripWords)
    if (std::strcmp(s.table, table) == 0) return index < std::size(s.words) ? s.words[index] : nullptr;
  return nullptr;
}

bool DrawScenePicture(Canvas& c, const char* table, std::size_t index, int x, int y, int w, int h) {
  if (std::strcmp(table, "SprStaff") == 0) {
    StaffLines(c, index, x, y, w, h);
    return true;
  }
  if (std::strcmp(table, "SprRanking") == 0 && (index == 0 || index == 3)) {
    RankingPart(c, index, x, y, w, h);
    return true;
  }
  if (std::strcmp(table, "SprRanking") == 0 && index == 2) {
    RankingBadge(c, x, y, w, h);
    return true;
  }
  if (std::strcmp(table, "SprEntry") == 0 && index == 1) {
    EntryPanel(c, x, y, w, h);
    return true;
  }
  if (std::strcmp(table, "SprResultSpr") == 0 && index == 0) {
    ResultPanel(c, x, y, w, h);
    return true;
  }
  if (std::strcmp(table, "SprResultSpr") == 0 && (index == 2 || index == 3)) {
    ResultPlate(c, x, y, w, h);
    return true;
  }
  if (std::strcmp(table, "SprResultBack") == 0) {
    ResultBackground(c, index, x, y, w, h);
    return true;
  }
  return false;
}

}  // namespace datagen
