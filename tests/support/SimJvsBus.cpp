#include "support/SimJvsBus.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace testsupport {

namespace {

// Bytes a request command takes, from its first byte (and, for 0x32, its
// count); 0 for a command the bus does not know.
size_t CommandLength(bool board, const std::vector<uint8_t>& d, size_t i) {
  const uint8_t c = d[i];
  if (board) return c == 0x01 ? 2 : c == 0x04 ? 1 : c == 0x05 ? 3 : 0;
  switch (c) {
    case 0x10: case 0x11: case 0x12: case 0x13: case 0x14: case 0x61: case 0x2F:
      return 1;
    case 0x21: case 0x26: case 0xF0: case 0xF1:
      return 2;
    case 0x20:
      return 3;
    case 0x30:
      return 4;
    case 0x32:
      return i + 1 < d.size() ? 2 + size_t{d[i + 1]} : 0;
    default:
      return 0;
  }
}

void PutEscaped(std::vector<uint8_t>* out, uint8_t b) {
  if (b == 0xE0 || b == 0xD0) {
    out->push_back(0xD0);
    out->push_back(static_cast<uint8_t>(b - 1));
  } else {
    out->push_back(b);
  }
}

// A reply frame to the master of the given data (status first); sumOffset
// added to the sum damages it.
std::vector<uint8_t> Framed(const std::vector<uint8_t>& data, int sumOffset) {
  std::vector<uint8_t> out = {0xE0};
  const uint8_t length = static_cast<uint8_t>(data.size() + 1);
  uint8_t sum = length;
  PutEscaped(&out, 0x00);
  PutEscaped(&out, length);
  for (uint8_t b : data) {
    PutEscaped(&out, b);
    sum = static_cast<uint8_t>(sum + b);
  }
  PutEscaped(&out, static_cast<uint8_t>(sum + sumOffset));
  return out;
}

}  // namespace

SimJvsBus::SimJvsBus() {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
    return;
  }
  slavePath_ = ::ptsname(master_);
  // Held open for the bus's life (and raw from the start), so the master
  // side never reads a hang-up between two openings of the port.
  slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios t{};
  if (slave_ >= 0 && ::tcgetattr(slave_, &t) == 0) {
    ::cfmakeraw(&t);
    ::tcsetattr(slave_, TCSANOW, &t);
  }
  // Reads take what is there and never wait: the bus thread and SENSE
  // readers both handle input.
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  thread_ = std::thread([this] { Run(); });
}

SimJvsBus::~SimJvsBus() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
}

int SimJvsBus::AddNode(const SimJvsNode& node) {
  std::lock_guard<std::mutex> g(lock_);
  nodes_.push_back(node);
  return static_cast<int>(nodes_.size()) - 1;
}

void SimJvsBus::SetSwitches(int index, uint8_t system, uint16_t player1, uint16_t player2) {
  std::lock_guard<std::mutex> g(lock_);
  SimJvsNode& n = nodes_.at(static_cast<size_t>(index));
  n.system = system;
  n.switches[0] = static_cast<uint8_t>(player1 >> 8);
  n.switches[1] = static_cast<uint8_t>(player1);
  n.switches[2] = static_cast<uint8_t>(player2 >> 8);
  n.switches[3] = static_cast<uint8_t>(player2);
}

void SimJvsBus::SetCoins(int index, uint16_t slot0, uint16_t slot1) {
  std::lock_guard<std::mutex> g(lock_);
  nodes_.at(static_cast<size_t>(index)).coins[0] = slot0;
  nodes_.at(static_cast<size_t>(index)).coins[1] = slot1;
}

void SimJvsBus::SetAccessory(int index, uint8_t switchByte, const uint8_t* reply61) {
  std::lock_guard<std::mutex> g(lock_);
  SimJvsNode& n = nodes_.at(static_cast<size_t>(index));
  n.accSwitch = switchByte;
  if (reply61) std::copy(reply61, reply61 + 24, n.acc61);
}

SimJvsNode SimJvsBus::Node(int index) {
  std::lock_guard<std::mutex> g(lock_);
  return nodes_.at(static_cast<size_t>(index));
}

int SimJvsBus::Cycles(int nodeAddress) {
  std::lock_guard<std::mutex> g(lock_);
  return nodeAddress >= 0 && size_t(nodeAddress) < cycles_.size() ? cycles_[size_t(nodeAddress)] : 0;
}

std::vector<std::pair<int, int>> SimJvsBus::Decreases() {
  std::lock_guard<std::mutex> g(lock_);
  return decreases_;
}

int SimJvsBus::GetCts() {
  Pump();
  std::lock_guard<std::mutex> g(lock_);
  for (const SimJvsNode& n : nodes_)
    if (n.address == 0) return 0;
  return 1;
}

void SimJvsBus::HoldNextReply(int nodeAddress) {
  std::lock_guard<std::mutex> g(lateLock_);
  holds_.insert(nodeAddress);
}

void SimJvsBus::BundleNextReply(int nodeAddress, int asks, int frames) {
  std::lock_guard<std::mutex> g(lateLock_);
  bundleAsks_[nodeAddress] = asks;
  bundleFrames_[nodeAddress] = frames < 0 ? asks + 1 : frames;
}

void SimJvsBus::ReplyAgainAfterNextRequest(int nodeAddress, bool late, AgainHow how, bool onDecrease) {
  std::lock_guard<std::mutex> g(lateLock_);
  Again& a = again_[nodeAddress];
  a = Again{};
  a.late = late;
  a.how = how;
  a.onDecrease = onDecrease;
}

void SimJvsBus::ReleaseReply(int nodeAddress) {
  std::lock_guard<std::mutex> pump(pumpLock_);
  std::vector<uint8_t> bytes;
  {
    std::lock_guard<std::mutex> g(lateLock_);
    const auto it = heldReplies_.find(nodeAddress);
    if (it == heldReplies_.end()) return;
    bytes = std::move(it->second);
    heldReplies_.erase(it);
  }
  Send(bytes);
  ++lateSent_;
}

void SimJvsBus::Run() {
  for (int ms = 0; !stop_; ++ms) {
    const bool flooding = flood_ != kFloodOff;
    const int every = floodEveryMs_.load();
    pollfd p{master_, POLLIN, 0};
    ::poll(&p, 1, flooding && every == 0 ? 0 : 1);
    Pump();
    if (flooding && (every == 0 || ms % every == 0)) FloodOnce();
  }
}

void SimJvsBus::FloodOnce() {
  // Status 1 and no report; or a frame for node 5 (sum 5 + 3 + 1 + 1).
  static const uint8_t kNoAnswer[5] = {0xE0, 0x00, 0x02, 0x01, 0x03};
  static const uint8_t kOtherNode[6] = {0xE0, 0x05, 0x03, 0x01, 0x01, 0x0A};
  const bool other = flood_ == kFloodOtherNode;
  const uint8_t* frame = other ? kOtherNode : kNoAnswer;
  const size_t size = other ? sizeof kOtherNode : sizeof kNoAnswer;
  std::vector<uint8_t> bytes;
  for (int i = 0; i < floodFrames_; ++i) bytes.insert(bytes.end(), frame, frame + size);
  std::lock_guard<std::mutex> pump(pumpLock_);
  // Never waits: what does not fit now is not written.
  const ssize_t n = ::write(master_, bytes.data(), bytes.size());
  if (n > 0) floodBytes_ += static_cast<int>(n);
}

void SimJvsBus::Pump() {
  std::lock_guard<std::mutex> pump(pumpLock_);
  uint8_t buf[600];
  ssize_t got;
  // A read after the game's write returned sees that write: the terminal
  // layer hands over pending input before it reports none.
  while ((got = ::read(master_, buf, sizeof buf)) > 0) {
    for (ssize_t i = 0; i < got; ++i) {
      uint8_t b = buf[i];
      if (b == 0xE0) {
        state_ = kNode;
        escaped_ = false;
        continue;
      }
      if (state_ == kSync) continue;
      if (b == 0xD0 && !escaped_) {
        escaped_ = true;
        continue;
      }
      if (escaped_) b = static_cast<uint8_t>(b + 1);
      escaped_ = false;
      if (state_ == kNode) {
        node_ = b;
        sum_ = b;
        state_ = kLength;
      } else if (state_ == kLength) {
        length_ = b;
        sum_ = static_cast<uint8_t>(sum_ + b);
        data_.clear();
        state_ = length_ ? kData : kSync;
      } else if (data_.size() + 1 < length_) {
        data_.push_back(b);
        sum_ = static_cast<uint8_t>(sum_ + b);
      } else {
        state_ = kSync;
        if (b != sum_) {
          ++badRequests_;
          if (!silentOnDamage_) Reply(node_, 3, {});
        } else if (!SpoiledOnTheWay(node_, data_)) {
          OnFrame(node_, data_);
        }
      }
    }
  }
}

void SimJvsBus::Send(const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size() && !stop_) {
    const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    pollfd p{master_, POLLOUT, 0};
    ::poll(&p, 1, 5);
  }
}

void SimJvsBus::Reply(uint8_t node, uint8_t status, const std::vector<uint8_t>& body, bool decreasing) {
  if (silent_ || flood_ != kFloodOff) return;
  std::vector<uint8_t> data = {status};
  data.insert(data.end(), body.begin(), body.end());
  // A node that saw a damaged request has nothing new to send again: its
  // last reply stays what it was.
  if (status != 3) last_[node] = LastReply{data, 0, Framed(data, 0)};  // a resend is the good frame
  std::vector<uint8_t> sent = Framed(data, 0);
  if (corrupt_ > 0) {
    --corrupt_;
    sent = Framed(data, 1);
  } else if (status == 1 && unfitting_ > 0) {
    --unfitting_;
    std::vector<uint8_t> shorter = data;
    shorter.pop_back();
    sent = Framed(shorter, 0);
  }
  if (stray_ > 0) {
    --stray_;
    sent.push_back(strayByte_);
  }
  std::vector<uint8_t> before;  // bytes that go out before the reply
  if (emptyFrames_ > 0) {
    --emptyFrames_;
    before = {0xE0, 0x00, 0x01, 0x01};
  }
  {
    std::lock_guard<std::mutex> g(lateLock_);
    const auto again = again_.find(node);
    if (again != again_.end()) {
      Again& a = again->second;
      if (a.taken) {
        // The following request: the reply of the one before goes first.
        before.insert(before.end(), a.frame.begin(), a.frame.end());
        const AgainHow how = a.how;
        again_.erase(again);
        if (how == kWhenAskedAgain) {  // counted as sent late when it goes
          bundles_[node] = Bundle{sent, 1, 1, 1, before};
          ++held_;
          return;
        }
        ++lateSent_;
        if (how == kTwoWrites) {
          heldReplies_[node] = sent;
          ++held_;
          sent.clear();
        }
      } else if (!a.onDecrease || decreasing) {
        a.taken = true;
        a.frame = sent;
        if (a.late) {
          ++held_;
          return;
        }
      }
    }
    if (holds_.erase(node)) {
      heldReplies_[node] = sent;
      ++held_;
      return;
    }
    const auto bundle = bundleAsks_.find(node);
    if (bundle != bundleAsks_.end()) {
      bundles_[node] = Bundle{sent, bundle->second, bundle->second, bundleFrames_[node], {}};
      bundleAsks_.erase(bundle);
      ++held_;
      return;
    }
  }
  SendReply(sent, data, std::move(before));
}

void SimJvsBus::Resend(uint8_t node) {
  ++retransmits_;
  if (silent_) return;
  {
    std::lock_guard<std::mutex> g(lateLock_);
    const auto it = bundles_.find(node);
    if (it != bundles_.end()) {
      if (--it->second.missing > 0) return;
      std::vector<uint8_t> all = it->second.before;
      for (int i = 0; i < it->second.frames; ++i) all.insert(all.end(), it->second.frame.begin(), it->second.frame.end());
      bundles_.erase(it);
      ++lateSent_;
      Send(all);
      return;
    }
  }
  const auto it = last_.find(node);
  if (it == last_.end()) return;
  LastReply& last = it->second;
  if (grow_ && last.grown < 6) {
    // The next byte of a made-up tail, never a sync or escape byte.
    last.data.push_back(static_cast<uint8_t>(0xA1 + last.grown));
    ++last.grown;
    last.frame = Framed(last.data, 0);
  }
  if (unfitting_ > 0 && last.data.size() > 1 && last.data[0] == 1) {
    --unfitting_;
    SendReply(Framed(std::vector<uint8_t>(last.data.begin(), last.data.end() - 1), 0), last.data);
    return;
  }
  if (corruptResends_ > 0) {
    --corruptResends_;
    SendReply(Framed(last.data, 1), last.data);
    return;
  }
  SendReply(last.frame, last.data);
}

void SimJvsBus::SpoilRequest(int nodeAddress, Which which, Spoil how) {
  std::lock_guard<std::mutex> pump(pumpLock_);
  spoiled_[nodeAddress] = Spoiled{which, how, false};
}

void SimJvsBus::SetNoise(const Noise& noise) {
  std::lock_guard<std::mutex> pump(pumpLock_);
  noise_ = noise;
  noiseState_ = noise.seed ? noise.seed : 1;
  noisy_ = true;
  lastSpoiled_ = false;
  exchanges_.clear();
}

std::vector<bool> SimJvsBus::Exchanges() {
  std::lock_guard<std::mutex> pump(pumpLock_);
  return exchanges_;
}

void SimJvsBus::InsertCoins(int index, int slot, uint16_t coins) {
  std::lock_guard<std::mutex> g(lock_);
  uint16_t& c = nodes_.at(static_cast<size_t>(index)).coins[slot];
  c = static_cast<uint16_t>(c + coins);
}

int SimJvsBus::NoiseFate() {
  if (!noisy_) return 0;
  auto next = [this](uint32_t range) {
    // xorshift32: the same frames draw the same fates on every run.
    noiseState_ ^= noiseState_ << 13;
    noiseState_ ^= noiseState_ >> 17;
    noiseState_ ^= noiseState_ << 5;
    return static_cast<int>(noiseState_ % range);
  };
  int fate = 0;
  if (lastSpoiled_ && next(100) < noise_.burstPercent) {
    fate = 1 + next(2);
  } else {
    const int r = next(1000);
    fate = r < noise_.lostPerMille ? 1 : r < noise_.lostPerMille + noise_.damagedPerMille ? 2 : 0;
  }
  lastSpoiled_ = fate != 0;
  return fate;
}

bool SimJvsBus::SpoiledOnTheWay(uint8_t node, const std::vector<uint8_t>& d) {
  if (noisy_ && node != 0xFF) exchanges_.push_back(false);
  int fate = NoiseFate();
  const auto it = spoiled_.find(node);
  if (fate == 0 && it != spoiled_.end() && !d.empty() && d[0] != 0x2F) {
    bool decrease = false;
    for (size_t i = 0; i < d.size();) {
      const size_t len = CommandLength(node == 0, d, i);
      if (len == 0) break;
      decrease |= d[i] == 0x30;
      i += len;
    }
    Spoiled& sp = it->second;
    const bool hit = sp.which == kNextRequest || (sp.which == kNextDecrease && decrease) ||
                     (sp.which == kAfterNextDecrease && sp.decreaseSeen);
    if (sp.which == kAfterNextDecrease && decrease) sp.decreaseSeen = true;
    if (hit) {
      fate = sp.how == kLost ? 1 : 2;
      spoiled_.erase(it);
    }
  }
  if (fate == 0) return false;
  if (noisy_ && node != 0xFF) exchanges_.back() = true;
  if (fate == 1) {
    ++lostRequests_;
  } else {
    ++badRequests_;
    if (!silentOnDamage_) Reply(node, 3, {});
  }
  return true;
}

void SimJvsBus::SendReply(const std::vector<uint8_t>& frame, const std::vector<uint8_t>& data,
                          std::vector<uint8_t> before) {
  const int fate = NoiseFate();
  if (fate != 0 && !exchanges_.empty()) exchanges_.back() = true;
  if (fate != 1) {
    const std::vector<uint8_t> reply = fate == 2 ? Framed(data, 1) : frame;
    before.insert(before.end(), reply.begin(), reply.end());
  }
  if (!before.empty()) Send(before);
}

bool SimJvsBus::AnswerBoard(const std::vector<uint8_t>& d, std::vector<uint8_t>* body) {
  for (size_t i = 0; i < d.size();) {
    const size_t len = CommandLength(true, d, i);
    if (len == 0 || i + len > d.size()) return false;
    body->push_back(1);
    if (d[i] == 0x01) {
      body->push_back(0x5A);
      body->push_back(0x01);
    } else if (d[i] == 0x05) {
      boardSetting_ = static_cast<uint16_t>(d[i + 1] << 8 | d[i + 2]);
    } else if (d[i] == 0x04) {
      ++boardApplies_;
    }
    i += len;
  }
  return true;
}

bool SimJvsBus::AnswerNode(SimJvsNode& n, const std::vector<uint8_t>& d, std::vector<uint8_t>* body) {
  for (size_t i = 0; i < d.size();) {
    const size_t len = CommandLength(false, d, i);
    if (len == 0 || i + len > d.size()) return false;
    const uint8_t c = d[i];
    if ((c == 0x26 || c == 0x61) && !n.accessory) return false;
    body->push_back(1);
    switch (c) {
      case 0x10:
        body->insert(body->end(), n.identity.begin(), n.identity.end());
        body->push_back(0);
        break;
      case 0x11:
        body->push_back(0x13);
        break;
      case 0x12:
        body->push_back(0x30);
        break;
      case 0x13:
        body->push_back(0x10);
        break;
      case 0x14:
        body->insert(body->end(), n.features.begin(), n.features.end());
        body->push_back(0);
        break;
      case 0x20:
        body->push_back(n.system);
        for (int p = 0; p < d[i + 1]; ++p)
          for (int k = 0; k < d[i + 2]; ++k) body->push_back(p < 2 && k < 2 ? n.switches[p * 2 + k] : 0);
        break;
      case 0x21:
        for (int s = 0; s < d[i + 1]; ++s) {
          const uint16_t v = s < 2 ? n.coins[s] : 0;
          body->push_back(static_cast<uint8_t>(v >> 8));
          body->push_back(static_cast<uint8_t>(v));
        }
        break;
      case 0x30: {
        const int slot = d[i + 1];
        const int amount = d[i + 2] << 8 | d[i + 3];
        decreases_.emplace_back(slot, amount);
        if (slot >= 1 && slot <= 2) n.coins[slot - 1] = static_cast<uint16_t>(n.coins[slot - 1] - amount);
        break;
      }
      case 0x26:
        body->push_back(n.accSwitch);
        break;
      case 0x61:
        body->insert(body->end(), n.acc61, n.acc61 + 24);
        break;
      default:  // 0x32: outputs taken
        break;
    }
    i += len;
  }
  return true;
}

void SimJvsBus::OnFrame(uint8_t node, const std::vector<uint8_t>& d) {
  if (d.empty()) return;
  std::vector<uint8_t> body;
  std::unique_lock<std::mutex> g(lock_);
  if (node == 0xFF) {
    if (d.size() >= 2 && d[0] == 0xF0 && d[1] == 0xD9) {
      for (SimJvsNode& n : nodes_) n.address = 0;
      ++resets_;
      if (int(d.size()) > longestReset_) longestReset_ = int(d.size());
      return;  // a reset has no reply
    }
    if (d.size() >= 2 && d[0] == 0xF1) {
      // The first node in the chain without an address takes it.
      for (SimJvsNode& n : nodes_) {
        if (n.address != 0) continue;
        n.address = d[1];
        g.unlock();
        Reply(node, 1, {1});
        // That is the node's last reply too, until it answers a request.
        last_[d[1]] = last_[node];
        return;
      }
    }
    return;
  }
  if (d[0] == 0x2F) {
    g.unlock();
    Resend(node);
    return;
  }
  if (cycles_.size() <= node) cycles_.resize(size_t{node} + 1);
  ++cycles_[node];
  if (sumErrors_ > 0) {
    // The node saw a bad sum: it carries out nothing.
    --sumErrors_;
    g.unlock();
    Reply(node, 3, {});
    return;
  }
  const size_t decreasesBefore = decreases_.size();
  bool ok = false;
  if (node == 0) {
    ok = AnswerBoard(d, &body);
  } else {
    SimJvsNode* target = nullptr;
    for (SimJvsNode& n : nodes_)
      if (n.address == node) target = &n;
    if (!target) return;  // nobody there: no reply
    ok = AnswerNode(*target, d, &body);
  }
  const bool decreasing = decreases_.size() > decreasesBefore;
  g.unlock();
  if (ok)
    Reply(node, 1, body, decreasing);
  else
    Reply(node, 2, {});
}

}  // namespace testsupport
