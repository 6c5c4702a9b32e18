#pragma once
// Common ground of the resource kinds whose files are not read yet: the
// resource reports itself ready at its first loader step.
#include "vrax/resource/SRsc.h"

class StandInRsc : public SRsc {
 protected:
  int32_t Main(SProcArg arg) override;
};
