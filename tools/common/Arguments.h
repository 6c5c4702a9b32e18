#pragma once
// What every tool's command line shares: the words that ask for the usage,
// where the usage goes, and a word that names a folder.
#include <string>

namespace tools {

// --help and -h: a tool asked so prints its usage (ShowHelp).
bool AsksForHelp(const char* word);

// The usage asked for: on standard output, status 0 (returned).
int ShowHelp(const char* usage);

// The usage for a command line the tool cannot take: on standard error,
// status 2 (returned), and nothing is run.
int UsageError(const char* usage);

// A word given for a folder names one only when it is not empty: the empty
// word is never taken for the current folder or the tool's default one.
// Returns 0 for a word that names a folder; for the empty word, or none
// (null), tells "<tool>: <argument> takes a folder: <what>" in one line
// (BadArgument) and returns 2.
int CheckFolder(const char* tool, const std::string& argument, const char* word, const std::string& what);

}  // namespace tools
