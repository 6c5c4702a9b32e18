#include "support/SimJvsWire.h"

#include <algorithm>
#include <cstring>

#include "platform/thread.h"

namespace testsupport {

void SimJvsWire::StartCounting() {
  counting_ = true;
  requests_ = replies_ = 0;
  requestFaults_.clear();
  replyFaults_.clear();
}

void SimJvsWire::SetRequestFault(int index, Fault fault) {
  if (index < 0) return;
  if (requestFaults_.size() <= size_t(index)) requestFaults_.resize(size_t(index) + 1, kWhole);
  requestFaults_[size_t(index)] = fault;
}

void SimJvsWire::SetReplyFault(int index, Fault fault) {
  if (index < 0) return;
  if (replyFaults_.size() <= size_t(index)) replyFaults_.resize(size_t(index) + 1, kWhole);
  replyFaults_[size_t(index)] = fault;
}

void SimJvsWire::SetNoise(const SimNoise& noise, int lateShare) {
  noise_.Start(noise);
  lateShare_ = lateShare;
}

bool SimJvsWire::Wait(plat::Event& event, uint32_t ms) {
  if (event.IsSet()) return true;
  now_ += ms;
  return false;
}

int SimJvsWire::SpoiledAddressingsSinceOpen() const {
  int n = 0;
  for (size_t i = size_t(addressingsAtOpen_); i < addressings_.size(); ++i) n += addressings_[i];
  return n;
}

int SimJvsWire::FaultedAddressingsSinceOpen() const {
  int n = 0;
  for (size_t i = size_t(addressingsAtOpen_); i < faultedAddressings_.size(); ++i) n += faultedAddressings_[i];
  return n;
}

int SimJvsWire::SpoiledResetsSinceAddressing() const {
  int n = 0;
  for (size_t i = size_t(resetsAtAddressing_); i < resets_.size(); ++i) n += resets_[i];
  return n;
}

void SimJvsWire::Addressing() {
  resetsAtAddressing_ = int(resets_.size());
  noiseAtAddressing_ = noiseBytes_;
}

int SimJvsWire::GetCts() {
  const int sense = senseLagMs && now_ - addressedAt_ < senseLagMs ? 0 : board.Sense();
  const SenseGlitch& g = senseGlitch;
  const uint32_t forUs = g.forMs * 1000u + g.forUs;
  if (forUs == 0 || (g.afterAddress && !assigned_[g.afterAddress])) return sense;
  const uint32_t from = ((g.afterAddress ? assignedAt_[g.afterAddress] : 0) + g.atMs) * 1000u + g.atUs;
  const bool on = int32_t(NowUs() - from) >= 0 && NowUs() - from < forUs;
  return on ? !sense : sense;
}

bool SimJvsWire::Open(const char*) {
  open_ = true;
  addressingsAtOpen_ = int(addressings_.size());
  noiseInAddressing_ = false;
  Addressing();
  // What the line carried while it was closed is not read.
  NoiseUntil(now_);
  pending_.clear();
  ready_.clear();
  readyAt_ = 0;
  return true;
}

SimJvsWire::Fault SimJvsWire::NextFault(std::vector<Fault>& placed, int& counter, bool request) {
  Fault f = kWhole;
  if (counting_) {
    if (size_t(counter) < placed.size()) f = placed[size_t(counter)];
    ++counter;
  }
  if (f == kWhole && script) f = script(request);
  const int fate = noise_.NextFate();
  if (f == kWhole && fate != 0) {
    f = fate == 2 ? kDamaged : kLost;
    // Some answers lost on the way come late instead.
    if (!request && f == kLost && lateShare_ > 0 && int(lateDraw_ % 100) < lateShare_) f = kLate;
    lateDraw_ = lateDraw_ * 1103515245u + 12345u;
  }
  return f;
}

uint32_t SimJvsWire::LateMs() const {
  // After the master's wait for the answer ran out, and within the longest
  // a node may take to answer.
  return kJvsByteWaitMs + 1 + (lateDraw_ >> 8) % (kJvsAnswerMs - kJvsByteWaitMs);
}

void SimJvsWire::Inject(const std::vector<uint8_t>& bytes, uint32_t delayMs) { InjectAt(now_ + delayMs, bytes); }

void SimJvsWire::InjectAt(uint32_t at, std::vector<uint8_t> bytes, bool noise) {
  Pending p{at, std::move(bytes), noise};
  // Most bytes go after all that is on its way (noise as it is drawn).
  if (pending_.empty() || int32_t(at - pending_.back().at) >= 0) {
    pending_.push_back(std::move(p));
    return;
  }
  auto it = std::upper_bound(pending_.begin(), pending_.end(), p.at,
                             [](uint32_t t, const Pending& q) { return int32_t(t - q.at) < 0; });
  pending_.insert(it, std::move(p));
}

void SimJvsWire::Noise(uint32_t at, const std::vector<uint8_t>& bytes) {
  // Noise while the bring-up gives out addresses (the last frame written a
  // reset or an address assignment): it may form or hide an answer.
  if (log_ && log_ != &exchanges_) noiseInAddressing_ = true;
  // Noise already due, with nothing due before it, is on the line at once.
  if (int32_t(at - now_) <= 0 && (pending_.empty() || int32_t(pending_.front().at - at) > 0))
    ready_.insert(ready_.end(), bytes.begin(), bytes.end());
  else
    InjectAt(at, bytes, true);
  noiseBytes_ += int(bytes.size());
  lastNoiseAt_ = at;
  // A sync byte while an answer may be on its way can spoil the exchange.
  // Noise that forms a whole frame to the master there, on a line that was
  // quiet when the request went out, is a frame the master cannot tell from
  // an answer that does not fit: a fault as any.
  const bool sync = std::find(bytes.begin(), bytes.end(), uint8_t{0xE0}) != bytes.end();
  if (sync && at - lastRequestAt_ <= kJvsQuietMs) {
    JvsReceiver rx;
    bool frame = false;
    for (uint8_t b : bytes) frame = rx.Feed(b) == JvsReceiver::kFrame || frame;
    const bool quietBefore = lastLineNoiseAt_ == 0 || int32_t(lastRequestAt_ - lastLineNoiseAt_) > int32_t(kJvsQuietMs);
    Spoil(frame && quietBefore, true);
  }
}

void SimJvsWire::Spoil(bool fault, bool byNoise) {
  if (!log_ || log_->empty()) return;
  log_->back() = true;
  if (fault && log_ == &exchanges_) faulted_.back() = true;
  if (fault && !byNoise && log_ == &exchanges_) byFault_.back() = true;
  if (fault && log_ == &addressings_) faultedAddressings_.back() = true;
}

void SimJvsWire::NoiseUntil(uint32_t until) {
  uint32_t at = 0;
  while (lineNoise_.Next(until, &at, &drawn_)) {
    Noise(at, drawn_);
    lastLineNoiseAt_ = at;
  }
}

std::vector<SimJvsWire::WriteMark> SimJvsWire::TakeWriteMarks() {
  std::vector<WriteMark> out;
  out.swap(marks_);
  return out;
}

std::vector<SimJvsWire::Written> SimJvsWire::TakeWritten() {
  std::vector<Written> out;
  out.swap(written_);
  return out;
}

size_t SimJvsWire::Write(const uint8_t* bytes, size_t count) {
  if (!open_) return 0;
  written_.push_back({now_, std::vector<uint8_t>(bytes, bytes + count)});
  if (echo) InjectAt(now_, std::vector<uint8_t>(bytes, bytes + count));
  resetWritten_ = false;
  const uint32_t at = now_;
  for (size_t i = 0; i < count; ++i) {
    const SimFrameParser::Event ev = parser_.Feed(bytes[i]);
    if (ev != SimFrameParser::kNone) OnFrame(parser_.Node(), parser_.Data(), ev == SimFrameParser::kBadSum);
  }
  marks_.push_back({at, resetWritten_, JvsGetErrorCount(), lateGivenMs_});
  return count;
}

void SimJvsWire::OnFrame(uint8_t node, const std::vector<uint8_t>& data, bool damaged) {
  const bool reset = node == 0xFF && !data.empty() && data[0] == 0xF0;
  log_ = node != 0xFF ? &exchanges_ : reset ? &resets_ : &addressings_;
  if (log_ == &addressings_) Addressing();
  if (log_ == &addressings_) faultedAddressings_.push_back(false);
  log_->push_back(false);
  if (node != 0xFF) {
    decreasing_.push_back(SimJvsBoard::Decreasing(node, data));
    faulted_.push_back(false);
    byFault_.push_back(false);
  }
  resetWritten_ = resetWritten_ || reset;
  lastRequestAt_ = now_;
  Fault f = NextFault(requestFaults_, requests_, true);
  if (f == kNoiseFrom) {
    if (!lineNoise_.On()) lineNoise_.Start(noiseFrom, now_);
    f = kWhole;
  }
  if (f != kLost && f != kDamaged && f != kStatusThree) f = kWhole;  // the others befall answers
  if (f != kWhole) Spoil(true);
  if (f == kLost) return;
  SimJvsBoard::Reply r;
  if (f == kStatusThree) {
    const bool silent = board.silentOnDamage;
    board.silentOnDamage = false;
    r = board.Receive(node, data, true);
    board.silentOnDamage = silent;
  } else {
    r = board.Receive(node, data, damaged || f == kDamaged);
  }
  replyNode_ = node;
  if (node == 0xFF && !damaged && f == kWhole && data.size() >= 2 && data[0] == 0xF1) {
    addressedAt_ = now_;
    assignedAt_[data[1]] = now_;
    assigned_[data[1]] = true;
  }
  if (r.send) Send(r, kReplyMs);
}

void SimJvsWire::Send(const SimJvsBoard::Reply& r, uint32_t delay) {
  Fault f = NextFault(replyFaults_, replies_, false);
  // Frames of several nodes on top of each other: no sum survives them, late
  // or with bytes after them.
  if (r.garbled && f == kWhole) f = kDamaged;
  const bool damaged = f == kDamaged || r.garbled;
  const std::vector<uint8_t> data = f == kOtherStatus ? std::vector<uint8_t>{otherStatus} : r.data;
  // A status 3 spoils the exchange too, whether the node just saw a
  // damaged frame or sends again a status 3 it kept.
  const bool statusThree = !data.empty() && data[0] == 3;
  const bool spoiled = f == kLost || damaged || f == kLate || f == kOtherStatus;
  if (spoiled || statusThree) Spoil(true);
  if (f == kLate) delay = LateMs();
  const uint32_t at = now_ + delay;
  std::vector<uint8_t> frame = SimFramed(data, damaged ? 1 : 0);
  if (garbage != kNoGarbage) {
    Spoil(true);
    for (size_t i = 0; i < frame.size(); ++i) {
      garbageDraw_ = garbageDraw_ * 1103515245u + 12345u;
      const uint8_t b = static_cast<uint8_t>(garbageDraw_ >> 16);
      const bool sync = garbage == kGarbageWithSync && (i == 0 || (garbageDraw_ >> 8) % 8 == 0);
      frame[i] = sync ? 0xE0 : b == 0xE0 ? 0xE1 : b;
    }
  }
  // The frame takes 87 us a byte on the line.
  const uint32_t ends = at + uint32_t(frame.size()) * 87 / 1000;
  if (f == kLost) {
    if (!afterReply.empty()) InjectAt(at + afterReplyMs, afterReply);
    return;
  }
  if (twiceNode == int(replyNode_)) InjectAt(ends + twiceMs, damaged && twiceCopyWhole ? SimFramed(data, 0) : frame);
  if (f == kBusyFrom) lineNoise_.Start(SimLineNoise::Flood(at, true, kBusyMs), at);
  if (f == kNoiseFrom && !lineNoise_.On()) lineNoise_.Start(noiseFrom, at);
  // Noise bytes that go while the frame does land in it.
  NoiseUntil(ends);
  // Noise bytes that land in the frame's time swallow another node's
  // answer whole; sparse noise that spares it lets it through.
  const bool landed = std::any_of(pending_.begin(), pending_.end(), [&](const Pending& p) {
    return p.noise && int32_t(p.at - at) >= 0 && int32_t(p.at - ends) <= 0;
  });
  if (channelThroughNoise && lineNoise_.On() && (replyNode_ == 0 || landed)) {
    if (replyNode_ != 0) {
      // The master reads what came in the answer's place: the noise that
      // landed, and any bytes a node's line driver put among it. Where that
      // is a frame to the master begun and never ended (a sync byte first,
      // none after it), it cannot tell it from the node's answer cut short:
      // a fault as any.
      JvsReceiver rx;
      bool first = true, cutShort = true;
      for (const Pending& p : pending_) {
        if (int32_t(p.at - at) < 0 || int32_t(p.at - ends) > 0) continue;
        for (uint8_t b : p.bytes) {
          cutShort = cutShort && (b == 0xE0) == first && rx.Feed(b) == JvsReceiver::kNone;
          first = false;
        }
      }
      Spoil(cutShort && rx.InFrame(), true);
      return;
    }
    // The adapter's own answer: the noise up to its end is not read.
    ready_.clear();
    readyAt_ = 0;
    pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                  [&](const Pending& p) { return p.noise && int32_t(p.at - ends) <= 0; }),
                   pending_.end());
  }
  bool hit = false, syncHit = false;
  for (auto it = pending_.begin(); it != pending_.end();) {
    if (!it->noise || int32_t(it->at - at) < 0 || int32_t(it->at - ends) > 0) {
      ++it;
      continue;
    }
    frame.insert(frame.begin() + long(frame.size() / 2), it->bytes.begin(), it->bytes.end());
    syncHit = syncHit || std::find(it->bytes.begin(), it->bytes.end(), uint8_t{0xE0}) != it->bytes.end();
    it = pending_.erase(it);
    hit = true;
  }
  // Bytes that land in the frame without a sync byte leave a frame with a
  // wrong sum, which the master cannot tell from any damaged frame: as a
  // fault.
  if (hit) Spoil(!syncHit, true);
  InjectAt(at, std::move(frame));
  if (!afterReply.empty()) InjectAt(at + afterReplyMs, afterReply);
  if (f == kNoiseAfter) {
    Noise(ends + 2, {0x55});
    Noise(ends + 4, {0xAA});
    Noise(ends + 6, {0x0F});
  } else if (f == kSyncNoiseAfter) {
    Noise(ends + 2, {0xE0, 0x00, 0x05});
  }
}

size_t SimJvsWire::ReadAvailable(uint8_t* buffer, size_t max) {
  NoiseUntil(now_);
  while (!pending_.empty() && int32_t(pending_.front().at - now_) <= 0) {
    ready_.insert(ready_.end(), pending_.front().bytes.begin(), pending_.front().bytes.end());
    pending_.pop_front();
  }
  const size_t n = std::min(max, ready_.size() - readyAt_);
  if (n == 0) return 0;
  std::memcpy(buffer, ready_.data() + readyAt_, n);
  readyAt_ += n;
  if (readyAt_ == ready_.size()) {
    ready_.clear();
    readyAt_ = 0;
  }
  return n;
}

size_t SimJvsWire::ReadWait(uint8_t* buffer, size_t max, uint32_t ms) {
  if (!open_) return 0;
  if (const size_t n = ReadAvailable(buffer, max)) return n;
  if (lateLooksMs || lateOnceMs) {
    lateGivenMs_ += lateLooksMs + lateOnceMs;
    now_ += ms + lateLooksMs + lateOnceMs;
    lateOnceMs = 0;
    return 0;
  }
  NoiseUntil(now_ + ms);
  if (!pending_.empty() && pending_.front().at - now_ <= ms) {
    now_ = pending_.front().at;
    return ReadAvailable(buffer, max);
  }
  now_ += ms;
  return 0;
}

}  // namespace testsupport
