#pragma once
// Memory running out, for code that allocates with `new (std::nothrow)`:
// while a NothrowNewFails lives, the next n such allocations of the thread
// that made it return null instead of memory. The throwing form, the other
// threads and every allocation after the n refused ones are untouched.
// Refused() tells the test that the code under test did ask.
namespace testsupport {

class NothrowNewFails {
 public:
  explicit NothrowNewFails(int n = 1);
  ~NothrowNewFails();
  NothrowNewFails(const NothrowNewFails&) = delete;
  NothrowNewFails& operator=(const NothrowNewFails&) = delete;

  // The allocations refused so far.
  int Refused() const;
};

}  // namespace testsupport
