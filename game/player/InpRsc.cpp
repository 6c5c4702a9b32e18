#include "game/player/InpRsc.h"

#include <new>

#include "vrax/io/SysUtil.h"

namespace {
constexpr const char* kSource = ".\\Game\\Player.cpp";
constexpr int kLine = 1339;
}  // namespace

SRsc* InpRsc::Create() { return new (std::nothrow) InpRsc(); }

bool InpRsc::Parse(const uint8_t* data, size_t size, std::vector<uint8_t>* records, LoadBudget* budget) {
  records->clear();
  if (data == nullptr || size < 4) return false;
  const uint64_t n = static_cast<uint64_t>(data[0]) | static_cast<uint64_t>(data[1]) << 8 |
                     static_cast<uint64_t>(data[2]) << 16 | static_cast<uint64_t>(data[3]) << 24;
  if (n > (size - 4) / kRecordSize) return false;
  if (budget != nullptr && !ChargeBlock(*budget, n, kRecordSize)) return false;
  records->assign(data + 4, data + 4 + n * kRecordSize);
  return true;
}

std::vector<uint8_t> InpRsc::Write(const std::vector<uint8_t>& records) {
  const size_t n = records.size() / kRecordSize;
  std::vector<uint8_t> out(4 + n * kRecordSize);
  for (int i = 0; i < 4; ++i) out[static_cast<size_t>(i)] = static_cast<uint8_t>(n >> (8 * i));
  std::copy(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(n * kRecordSize), out.begin() + 4);
  return out;
}

int32_t InpRsc::Init(SProcArg) {
  step_ = 0;
  std::vector<uint8_t>().swap(records_);
  Budget().Release();
  file_.SetName(MakeFileName(GetName(), ".inp"));
  file_.Load();
  SetInitResult(0);
  return 0;
}

void InpRsc::Fail() {
  ReportOpenError(kSource, kLine);
  file_.FreeData();
  std::vector<uint8_t>().swap(records_);
  Budget().Release();
  step_ = -1;
}

int32_t InpRsc::Main(SProcArg) {
  if (step_ == 0) {
    const int32_t st = file_.GetState();
    if (st == SFile::STATE_FAILED) {
      Fail();
      return 0;
    }
    if (st != SFile::STATE_DONE) return 0;
    if (!Parse(static_cast<const uint8_t*>(file_.GetData()), file_.GetData() ? file_.GetSize() : 0, &records_,
               &Budget())) {
      file_.Reject();
      Fail();
      return 0;
    }
    step_ = 1;
    return 0;
  }
  if (step_ == 1) {
    file_.FreeData();
    SetStatus(kRscReady);
    step_ = 2;
  }
  return 0;
}

int32_t InpRsc::OnDispose(SProcArg) {
  records_.clear();
  records_.shrink_to_fit();
  file_.FreeData();
  SetStatus(kRscIdle);
  return 0;
}
