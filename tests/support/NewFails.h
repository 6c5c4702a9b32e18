#pragma once
#include <cstddef>

// Memory running out for code that allocates with the throwing `new` (the
// standard containers among it): while a NewFails lives, every such
// allocation of at least `bytes` bytes made by the thread that made it throws
// std::bad_alloc. Smaller blocks, other threads and the `new[]` and aligned
// forms are untouched, so a test can refuse a picture's or a sound's memory
// and nothing else. Refused() tells the test that the code under test did
// ask. (The `new (std::nothrow)` form takes its memory from the throwing one
// and so gives null for such a block; see ReplacedNew.h.)
namespace testsupport {

class NewFails {
 public:
  explicit NewFails(size_t bytes);
  ~NewFails();
  NewFails(const NewFails&) = delete;
  NewFails& operator=(const NewFails&) = delete;

  // The allocations refused so far.
  int Refused() const;
};

}  // namespace testsupport
