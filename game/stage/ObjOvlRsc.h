#pragma once
// An object visibility layer (".ovl"), resource kind 'OVL'.
// Not built yet: the file is not read.
#include "game/stage/StandInRsc.h"

class ObjOvlRsc : public StandInRsc {
 public:
  uint32_t Kind() const override { return RscTag("OVL"); }
  // The kind's factory: a new resource, or null when memory runs out.
  static SRsc* Create();
};
