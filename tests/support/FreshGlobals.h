#pragma once
// A program run leaves its state in what lives as long as the process: the
// game's persistent managers (g_Player, g_EfxMan, g_DashForm and the others
// of game/flow/GlobalObjects.cpp: effect sprites holding cells of the
// engine's sprite pool, the dash formation's markers, the Player's flight),
// the graphic module (its hardware-error latch holds for the life of the
// program), the ranking table in memory (a reset keeps words 3 and 6 to 8),
// the input test's marks and the random generator's seed. RenewGlobals gives
// them back the state a new process starts with: each manager destroyed and
// built anew in its place (in the reverse order of their definitions, then
// in that order), the graphic module as before any device, the ranking table
// zero, the marks as they start, the seed 1. The whole-program harness calls it when a
// run ends, so that no test sees what another left.
namespace testsupport {

void RenewGlobals();

}  // namespace testsupport
