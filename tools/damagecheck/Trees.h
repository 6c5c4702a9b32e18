#pragma once
// Data trees that load far more than the stand-in data, to check what the
// shared total of loads does to play.
#include <cstdint>
#include <string>

namespace damagecheck {

// The size of each picture of the copies tree, as the cache's largest entry.
constexpr uint32_t kCopiesTreePicture = 16u << 20;

// The copies tree: a copy of the data tree `from` in `to` in which every
// image list names the four pictures "pad0.png" to "pad3.png" of its folder,
// each a 64x64 PNG followed by `randomBytes` random bytes (seeded by the
// picture's number) and zeros up to kCopiesTreePicture; every cache archive
// but the common one (which the cache holds all the run) holds, first, the
// four of each folder its lists are in, packed at the game's level, then its
// own entries (its lists as the tree's new ones).
// Every cached list so copies 64 MiB for its decode-ahead. With 600,000
// random bytes a picture packs to about 787 KB. False, with a line on
// standard error, when the tree could not be made.
bool MakeCopiesTree(const std::string& from, const std::string& to, uint32_t randomBytes);

}  // namespace damagecheck
