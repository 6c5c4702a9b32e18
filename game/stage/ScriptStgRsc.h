#pragma once
// A stage script (".stg"), resource kind 'STG'.
// Not built yet: the file is not read; the resource reports itself ready
// at its first loader step.
#include "vrax/resource/SRsc.h"

class ScriptStgRsc : public SRsc {
 public:
  uint32_t Kind() const override { return RscTag("STG"); }
  // The kind's factory: a new resource, or null when memory runs out.
  static SRsc* Create();

 protected:
  int32_t Main(SProcArg arg) override;
};
