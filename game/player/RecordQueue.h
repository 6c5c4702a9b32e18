#pragma once
// The blade-trail queue: up to 12 records of two points each, newest last,
// every record living 12 ticks, drawn as a ribbon of single-coloured quads
// through the two point rows (twelve slices per pair of records). The
// Player owns two and calls their operations itself; they are in no list.
#include <cstdint>
#include <vector>

#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SMath.h"
#include "vrax/kernel/SProc.h"

class RecordQueue : public SProc {
 public:
  static constexpr int32_t kMaxRecords = 12;
  static constexpr int32_t kLife = 12;
  static constexpr int32_t kSlices = 12;
  static constexpr int32_t kQuads = 144;
  static constexpr int32_t kDrawKey = 10;

  struct Record {
    SVec4 a;
    SVec4 b;
    int32_t life;
  };

  RecordQueue();

  // Appends (a, b) with life 12; the oldest records go while more than 12
  // are held.
  void Push(const SVec4& a, const SVec4& b);
  // Drops records beyond 12, ages every record by 1 and drops the expired
  // ones from the front.
  void Tick();
  // Fills the ribbon from the records and enters it at key 10; fewer than
  // two records draw nothing.
  void BuildRibbon();
  // Allocates the ribbon's 144 quads, none active.
  void Prepare();
  void Clear() { records.clear(); }

  std::vector<Record> records;
  SGpObj_PrimQuad ribbon{0x042};
  float headColour[4] = {1.0f, 1.0f, 1.0f, 0.5f};
  float tailColour[4] = {0.0f, 0.0f, 1.0f, 0.0f};

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
};
