#pragma once
// A camera path (".cam"), resource kind 'CAM'.
// Not built yet: the file is not read.
#include "game/stage/StandInRsc.h"

class CamRsc : public StandInRsc {
 public:
  uint32_t Kind() const override { return RscTag("CAM"); }
  // The kind's factory: a new resource, or null when memory runs out.
  static SRsc* Create();
};
