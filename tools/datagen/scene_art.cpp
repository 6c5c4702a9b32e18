#include "tools/datagen/scene_art.h"

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
    {"SprRanking", {nullptr, "RANKING", "1ST", nullptr}},
    {"SprEntry", {nullptr, "ENTER YOUR NAME", nullptr, nullptr}},
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
  if (std::strcmp(table, "SprResultSpr") == 0 && index == 0) {
    ResultPanel(c, x, y, w, h);
    return true;
  }
  return false;
}

}  // namespace datagen
