#pragma once
// Common ground of the stage-world resource kinds ('CAM', 'OPL', 'OVL',
// 'TNL', 'STG'): the start of loading queues the resource's file (its path
// plus the kind's extension); each loader step polls it, and once it is read
// the kind parses the bytes into its tables and the file data are released.
//
// Each parse makes its tables within the resource's budget (see SRsc): a
// file whose tables would pass it, or whose tables cannot be allocated,
// fails as a damaged one does, and gives its charge back.
//
// Load steps: 0 reading, 1 parsed, 2 done, -1 failed. Kinds that become
// ready one frame after the parse (camera paths, placements, visibility
// lists, tunnels) pass through step 1; the stage script is ready in the
// frame it is parsed (step 1 is its last). A file that cannot be read, or
// whose bytes do not parse, shows "resource open error" once and marks the
// resource failed (status -1), which counts as settled for the resource
// manager, so no scene waits for it.
#include <cstddef>
#include <cstdint>

#include "vrax/io/SFile.h"
#include "vrax/resource/SRsc.h"

class StageRsc : public SRsc {
 public:
  int32_t GetStep() const { return step_; }

 protected:
  // extension: ".cam"; source: the module named in the error line.
  StageRsc(const char* extension, const char* source, bool readyNextFrame)
      : extension_(extension), source_(source), readyNextFrame_(readyNextFrame) {}

  // Builds the tables from the whole file; false when the data are damaged
  // or would pass the load budget (the kind then frees what it built in
  // Release). An allocation that throws is caught as a false.
  virtual bool Parse(const uint8_t* data, size_t size) = 0;
  // Frees the tables.
  virtual void Release() = 0;

  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  const char* extension_;
  const char* source_;
  bool readyNextFrame_;
  SFile file_;
  int32_t step_ = 0;
};
