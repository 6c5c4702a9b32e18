#include "support/ServiceTap.h"

#include "cabinet/ServiceClient.h"
#include "platform/registry.h"

namespace testsupport {

ServiceTap::ServiceTap(int64_t coinCredit) {
  channels_ = QvtChannels::Default();
  for (std::string* s :
       {&channels_.eventA, &channels_.eventB, &channels_.pipePath, &channels_.blockName, &channels_.lockPath})
    *s += "-tap";
  channels_.Unlink();
  if (coinCredit >= 0) {
    plat::RegKey key;
    if (key.Open(channels_.registryKey, true)) key.WriteDword("CoinCredit", static_cast<uint32_t>(coinCredit));
  }
  reader_.Open(channels_.pipePath);
  client_ = std::make_unique<QvtBTUtil>(0, channels_);
  previous_ = GetServiceClient();
  SetServiceClient(client_.get());
}

ServiceTap::~ServiceTap() {
  SetServiceClient(previous_);
  client_.reset();
  channels_.Unlink();
}

std::vector<uint8_t> ServiceTap::Codes() {
  std::vector<uint8_t> out;
  uint8_t buf[16];
  while (size_t n = reader_.Read(buf, sizeof buf, 0)) out.insert(out.end(), buf, buf + n);
  return out;
}

uint32_t ServiceTap::GameResult() const {
  plat::RegKey k;
  uint32_t v = 0xDEADBEEF;
  if (k.Open(channels_.registryKey, false)) k.ReadDword("GameResult", &v);
  return v;
}

}  // namespace testsupport
