#pragma once
// The stand-in art of the title picture ("\Module\Title"): the night sky
// behind, the band of cloud that slides across it, the name plate, the
// emblem and the overlay that darkens the edges.
#include <cstddef>

#include "tools/datagen/canvas.h"

namespace datagen {

// Draws part index of table when it is one of the title's pieces, filling
// (x, y, w, h); false (nothing drawn) for any other part.
bool DrawTitlePart(Canvas& c, const char* table, std::size_t index, int x, int y, int w, int h);

}  // namespace datagen
