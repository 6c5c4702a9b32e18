#pragma once
#include <cstddef>

// The program-wide `new` and `delete` that the allocation-failure doubles
// (NewFails, NothrowNewFails) steer: both forms of scalar `new` take their
// memory from malloc (so that every `delete` matches its `new`), unless the
// calling thread's double refuses the request. A test program that links
// either double gets these operators.
namespace testsupport::replaced_new {

struct ThreadState {
  size_t failFrom = 0;    // throwing form: blocks of at least this many bytes throw (0: none)
  int refusedLarge = 0;   // ... refused so far
  int nothrowLeft = 0;    // nothrow form: the next this many give null
  int nothrowRefused = 0; // ... refused so far
};

ThreadState& State();

}  // namespace testsupport::replaced_new
