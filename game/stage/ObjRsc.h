#pragma once
// An object placement layer (".opl"), resource kind 'OPL'.
// Not built yet: the file is not read; the resource reports itself ready
// at its first loader step.
#include "vrax/resource/SRsc.h"

class ObjRsc : public SRsc {
 public:
  uint32_t Kind() const override { return RscTag("OPL"); }
  // The kind's factory: a new resource, or null when memory runs out.
  static SRsc* Create();

 protected:
  int32_t Main(SProcArg arg) override;
};
