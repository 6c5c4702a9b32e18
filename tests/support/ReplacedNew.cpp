#include "support/ReplacedNew.h"

#include <cstdlib>
#include <new>

namespace testsupport::replaced_new {

ThreadState& State() {
  thread_local ThreadState state;
  return state;
}

}  // namespace testsupport::replaced_new

using testsupport::replaced_new::State;

// Replaces the library's scalar forms (and the deletes that match them) for
// the test program that links this file. The operators stay out of line:
// GCC would otherwise pair an inlined malloc() or free() with the operator
// call on the other side and report a mismatch that is none. The array and
// aligned forms keep the library's own.
__attribute__((noinline)) void* operator new(std::size_t size) {
  auto& s = State();
  if (s.failFrom != 0 && size >= s.failFrom) {
    ++s.refusedLarge;
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

__attribute__((noinline)) void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  auto& s = State();
  if (s.nothrowLeft > 0) {
    --s.nothrowLeft;
    ++s.nothrowRefused;
    return nullptr;
  }
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}

__attribute__((noinline)) void operator delete(void* p) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete(void* p, std::size_t) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
