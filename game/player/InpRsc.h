#pragma once
// Player data (".inp"), resource kind 'INP': a list of 32-byte input
// records. File layout (little-endian): u32 record count N, then the N
// records as they stand. The records are a copy of the file's, held while
// the resource lives: charged to its budget (see SRsc) before they are
// made; a file whose records it cannot take fails as a damaged one does.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "vrax/io/SFile.h"
#include "vrax/resource/SRsc.h"

class InpRsc : public SRsc {
 public:
  static constexpr size_t kRecordSize = 32;

  uint32_t Kind() const override { return RscTag("INP"); }
  // The kind's factory: a new resource, or null when memory runs out.
  static SRsc* Create();

  // The records' bytes (N x 32) and their count.
  const std::vector<uint8_t>& Records() const { return records_; }
  int32_t RecordCount() const { return static_cast<int32_t>(records_.size() / kRecordSize); }
  int32_t GetStep() const { return step_; }

  // The records of a file's bytes; false (records empty) when the file is
  // shorter than its count says or has no count at all. With a budget, the
  // records' block is charged to it before it is made (false when it is
  // refused).
  static bool Parse(const uint8_t* data, size_t size, std::vector<uint8_t>* records, LoadBudget* budget = nullptr);
  // The file of the records (their size is taken down to whole records).
  static std::vector<uint8_t> Write(const std::vector<uint8_t>& records);

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  void Fail();

  int32_t step_ = 0;  // 0 reading, 1 parsed, 2 finished, -1 failed
  SFile file_;
  std::vector<uint8_t> records_;
};
