#pragma once
// An object placement layer (".opl"), resource kind 'OPL'.
// Not built yet: the file is not read.
#include "game/stage/StandInRsc.h"

class ObjRsc : public StandInRsc {
 public:
  uint32_t Kind() const override { return RscTag("OPL"); }
  // The kind's factory: a new resource, or null when memory runs out.
  static SRsc* Create();
};
