#include "game/core/NumberPopup.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "game/tables/font_tables.h"

namespace {

constexpr float kColour[3] = {1.0f, 0.85f, 0.0f};
// The popup stays inside the play field less an 8-pixel margin.
constexpr float kMinX = -232.0f, kMaxX = 232.0f, kMinY = -312.0f, kMaxY = 312.0f;

}  // namespace

NumberPopup::NumberPopup(const float* position, int32_t a, int32_t b, int32_t sizeClass)
    : a_(a), b_(b), sizeClass_(sizeClass) {
  std::memcpy(position_, position, sizeof position_);
}

int32_t NumberPopup::FontFor(int32_t a, int32_t b, int32_t sizeClass) {
  if (sizeClass > 0) return std::min(sizeClass, 3) - 1;
  if (a == 0) return b <= 4 ? 0 : (b <= 9 ? 1 : 2);
  return b <= 9 ? 0 : (b <= 99 ? 1 : 2);
}

int32_t NumberPopup::Init(SProcArg) {
  SetName("NumberPopup");
  const SGpFontDesc& font = SprGameIf00xDesc[FontFor(a_, b_, sizeClass_)];
  if (a_ == 0)
    std::snprintf(buffer_, sizeof buffer_, ":%d", b_);
  else
    std::snprintf(buffer_, sizeof buffer_, "%d:%d", a_, b_);
  const float w = static_cast<float>(std::strlen(buffer_)) * font.cellW;
  const float h = font.cellH;
  SMatrix m = kIdentityMatrix;
  // Upper bounds first, then the lower ones: a text wider than the field
  // keeps its left edge inside.
  m.m[3][0] = std::max(kMinX, std::min(position_[0] - w / 2.0f, kMaxX - w));
  m.m[3][1] = std::max(kMinY, std::min(position_[1] - h / 2.0f, kMaxY - h));
  m.m[3][2] = position_[2];
  world_.SetMatrix(m);
  text_.Init(&font, kCapacity);
  text_.SetColour(kColour[0], kColour[1], kColour[2], 1.0f);
  text_.SetOrigin(0.0f, 0.0f, 0.0f);
  Print();
  return 0;
}

void NumberPopup::Print() { text_.Printf("%s", buffer_); }

int32_t NumberPopup::Main(SProcArg) {
  SMatrix& m = world_.GetMatrix();
  int32_t from = 60, to = 120;
  if (sizeClass_ > 0) {
    m.m[3][2] -= 1.5f;
    from = 30, to = 60;
  } else if (a_ == 0) {
    m.m[3][2] -= 2.0f;
    from = 15, to = 30;
  } else {
    m.m[3][1] -= 0.25f;
  }
  if (Window(from, to)) {
    text_.SetColour(kColour[0], kColour[1], kColour[2], 1.0f - GetRatio());
    Print();
    if (GetRatio() >= 1.0f) {
      Kill(0);
      return 0;
    }
  }
  Tick();
  return 0;
}

int32_t NumberPopup::Draw(SProcArg) {
  world_.Enter(kDrawKey);
  text_.Enter(kDrawKey);
  return 0;
}
