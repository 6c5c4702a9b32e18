#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "cabinet/QvtBTUtil.h"
#include "platform/ipc.h"

namespace testsupport {

// A network service client of the test's own, put in place of the
// program's for its scope: the test reads the codes it sends, and the coin
// credit it reports is the test's.
class ServiceTap {
 public:
  // coinCredit: the service's coin credit value (-1: none written).
  explicit ServiceTap(int64_t coinCredit = -1);
  ~ServiceTap();
  // The codes sent since the last call.
  std::vector<uint8_t> Codes();
  uint32_t GameResult() const;
  QvtBTUtil& Client() { return *client_; }

 private:
  QvtChannels channels_;
  plat::FifoReader reader_;
  std::unique_ptr<QvtBTUtil> client_;
  QvtBTUtil* previous_ = nullptr;
};

}  // namespace testsupport
