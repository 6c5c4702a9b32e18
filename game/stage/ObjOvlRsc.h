#pragma once
// An object visibility layer (".ovl"), resource kind 'OVL'.
// Not built yet: the file is not read; the resource reports itself ready
// at its first loader step.
#include "vrax/resource/SRsc.h"

class ObjOvlRsc : public SRsc {
 public:
  uint32_t Kind() const override { return RscTag("OVL"); }
  // The kind's factory: a new resource, or null when memory runs out.
  static SRsc* Create();

 protected:
  int32_t Main(SProcArg arg) override;
};
