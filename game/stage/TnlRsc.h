#pragma once
// A tunnel model (".tnl"), resource kind 'TNL'.
// Not built yet: the file is not read.
#include "game/stage/StandInRsc.h"

class TnlRsc : public StandInRsc {
 public:
  uint32_t Kind() const override { return RscTag("TNL"); }
  // The kind's factory: a new resource, or null when memory runs out.
  static SRsc* Create();
};
