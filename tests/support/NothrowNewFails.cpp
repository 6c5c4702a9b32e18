#include "support/NothrowNewFails.h"

#include <cstddef>
#include <new>

namespace {

thread_local int t_failLeft = 0;
thread_local int t_refused = 0;

}  // namespace

// Replaces the library's non-throwing form for the test program that links
// this file: it refuses while a NothrowNewFails asks for it, and otherwise
// takes its memory from the throwing form, as the library's own does, so
// that every delete matches its new.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (t_failLeft > 0) {
    --t_failLeft;
    ++t_refused;
    return nullptr;
  }
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}

namespace testsupport {

NothrowNewFails::NothrowNewFails(int n) {
  t_failLeft = n;
  t_refused = 0;
}

NothrowNewFails::~NothrowNewFails() { t_failLeft = 0; }

int NothrowNewFails::Refused() const { return t_refused; }

}  // namespace testsupport
