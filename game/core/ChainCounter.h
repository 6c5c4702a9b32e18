#pragma once
// The chain counter process. Only the outer-body contact tally, which the
// collision layer adds to, is here so far.
#include <cstdint>

#include "vrax/kernel/SProc.h"

class ChainCounter : public SProc {
 public:
  void AddContactTally(int32_t n) { contactTally += n; }

  int32_t contactTally = 0;
};

extern ChainCounter g_ChainCounter;
