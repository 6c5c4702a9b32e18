#pragma once
// The stand-in art of the in-game display: the score panel with the troughs
// of its two gauges, the gauge fills, the score labels and the route
// banner's plate and arrows.
#include <cstddef>

#include "tools/datagen/canvas.h"

namespace datagen {

// Draws part index of table when it is one of the display's pieces,
// filling (x, y, w, h); false (nothing drawn) for any other part.
bool DrawHudPart(Canvas& c, const char* table, std::size_t index, int x, int y, int w, int h);

}  // namespace datagen
