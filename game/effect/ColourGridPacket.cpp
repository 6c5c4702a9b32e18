#include "game/effect/ColourGridPacket.h"

void ColourGridPacket::Execute() {}
void ColourGridPacket::Build(float w, float h, int32_t columns, int32_t rows, const float*) {
  w_ = w, h_ = h, columns_ = columns, rows_ = rows;
}
void ColourGridPacket::Paint(float, float, float, const float*, const float*, float) {}
const float* ColourGridPacket::ColourAt(int32_t c, int32_t r) const {
  return colours_.data() + 4 * (static_cast<size_t>(r) * static_cast<size_t>(columns_ + 1) + static_cast<size_t>(c));
}
