#pragma once
// A stage script (".stg"), resource kind 'STG'.
// Not built yet: the file is not read.
#include "game/stage/StandInRsc.h"

class ScriptStgRsc : public StandInRsc {
 public:
  uint32_t Kind() const override { return RscTag("STG"); }
  // The kind's factory: a new resource, or null when memory runs out.
  static SRsc* Create();
};
