#pragma once
#include <string>

// The files of the data folder that the game reads as it starts (the
// loading screen's font, the common images, sounds and models, the
// remaining fonts and the music), checked before the program starts so
// that a wrong folder is named at once. The common resources may come from
// their cache archive instead: while it is there their files are not asked
// for.

// The first of them that the data folder lacks, relative to the folder
// with '/' ("common/Osr_Font_Large.tr"); empty when every one is there.
std::string FirstMissingStartFile();

// Tells on standard error, in one line naming the folder and that file,
// when the data folder lacks one of them; the program then starts as it
// would anyway.
void ReportMissingStartFile();
