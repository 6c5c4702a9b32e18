#pragma once
// The stand-in art of the end-of-play scenes: the words on the continue
// offer's and the ranking's strips, the result panel with its row captions,
// the name entry's panel with its captions, and the staff roll as
// neutral placeholder lines (it names nobody).
#include <cstddef>

#include "tools/datagen/canvas.h"

namespace datagen {

// The words drawn on part index of a scene table; null for other parts.
const char* SceneStripWords(const char* table, std::size_t index);

// Draws part index of table when it is one of these pictures, filling
// (x, y, w, h); false (nothing drawn) otherwise.
bool DrawScenePicture(Canvas& c, const char* table, std::size_t index, int x, int y, int w, int h);

}  // namespace datagen
