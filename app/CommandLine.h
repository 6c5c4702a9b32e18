#pragma once

// The program's own command line, checked before anything starts: the
// options are -fullscreen, -screen and -rotate, each followed by a whole
// number. --help or -h tells the usage on standard output; any other word,
// an option without its number or with something else in its place, is
// named with the usage on standard error. Returns -1 when the game is to
// start, else the exit status (0 after the usage asked for, 2 after a
// wrong word).
int CheckCommandLine(int argc, const char* const* argv);
