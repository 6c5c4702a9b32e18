#pragma once
// The stand-in art of the test and service mode: the words on its text
// strips, its two display-test pictures and the mark of the chosen answer.
#include <cstddef>

#include "tools/datagen/canvas.h"

namespace datagen {

// The words drawn on strip index of a test-mode strip table; null for any
// other table or a strip no page shows.
const char* TestStripWords(const char* table, std::size_t index);

// Draws the picture that part index of table is (a display-test picture or
// the answer mark), filling (x, y, w, h); false (nothing drawn) when the part
// is no such picture.
bool DrawTestPicture(Canvas& c, const char* table, std::size_t index, int x, int y, int w, int h);

}  // namespace datagen
