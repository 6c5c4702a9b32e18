#pragma once
// Player data (".inp"), resource kind 'INP'.
// Not built yet: the file is not read.
#include "game/stage/StandInRsc.h"

class InpRsc : public StandInRsc {
 public:
  uint32_t Kind() const override { return RscTag("INP"); }
  // The kind's factory: a new resource, or null when memory runs out.
  static SRsc* Create();
};
