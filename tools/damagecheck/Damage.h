#pragma once
// The damages the check does to one data file, and the kinds of file it
// knows (by extension): where each keeps its counts, and whether a damaged
// file of the kind must give an error line when the game reads it.
#include <cstdint>
#include <string>
#include <vector>

namespace damagecheck {

enum class Damage { kDeleted, kEmptied, kCutShort, kFlipped, kCounts };

inline constexpr Damage kAllDamages[] = {Damage::kDeleted, Damage::kEmptied, Damage::kCutShort, Damage::kFlipped,
                                         Damage::kCounts};

const char* DamageName(Damage d);
// "deleted" .. "counts"; false for another word.
bool ParseDamage(const std::string& word, Damage* out);

// The extension of a data path without its dot, lower case ("cam").
std::string KindOf(const std::string& path);

// Whether the damage can be done to a file of the kind: a kind without a
// count field (a list of names, a scroll pair) has no count damage.
bool Applies(const std::string& kind, Damage d);

// Whether a file of the kind with the damage must show an error line once
// the game has read it.
bool ErrorExpected(const std::string& kind, Damage d);

// The file's bytes after the damage (the caller writes them new; deleted
// files are not written). bytes is the sound file.
std::vector<uint8_t> Apply(const std::string& kind, Damage d, const std::vector<uint8_t>& bytes);

}  // namespace damagecheck
