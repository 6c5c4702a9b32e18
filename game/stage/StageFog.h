#pragma once
// The fog interpolator a stage scene owns: started with two fog tables (one
// for camera path 0, one for every other path), each frame it finds the
// first record of the current path's table that holds MapMng's rail
// position, interpolates fog range and colour within it and switches the
// game's stage fog on; outside every record it switches the fog off.
//
// A fog table is an array of 48-byte records of twelve floats: t0, start0,
// end0, red0, green0, blue0, t1, start1, end1, red1, green1, blue1; a record
// with t0 = t1 = -1.0 ends it. Process name "StageFog".
#include "vrax/kernel/SProc.h"

struct StageFogTables {
  const float* path0 = nullptr;
  const float* otherPaths = nullptr;
};

class StageFog : public SProc {
 public:

 protected:
  // Argument: a StageFogTables record (copied).
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;

 private:
  StageFogTables tables_;
};
