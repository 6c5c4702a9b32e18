#include "support/SimJvsBus.h"

#include <algorithm>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace testsupport {

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
  board_.nodes.push_back(node);
  return static_cast<int>(board_.nodes.size()) - 1;
}

void SimJvsBus::SetSwitches(int index, uint8_t system, uint16_t player1, uint16_t player2) {
  std::lock_guard<std::mutex> g(lock_);
  board_.SetSwitches(index, system, player1, player2);
}

void SimJvsBus::SetCoins(int index, uint16_t slot0, uint16_t slot1) {
  std::lock_guard<std::mutex> g(lock_);
  board_.nodes.at(static_cast<size_t>(index)).coins[0] = slot0;
  board_.nodes.at(static_cast<size_t>(index)).coins[1] = slot1;
}

void SimJvsBus::SetAccessory(int index, uint8_t switchByte, const uint8_t* reply61) {
  std::lock_guard<std::mutex> g(lock_);
  SimJvsNode& n = board_.nodes.at(static_cast<size_t>(index));
  n.accSwitch = switchByte;
  if (reply61) std::copy(reply61, reply61 + 24, n.acc61);
}

void SimJvsBus::SetCoinReport(int index, uint8_t report, uint8_t afterDecrease) {
  std::lock_guard<std::mutex> g(lock_);
  board_.nodes.at(static_cast<size_t>(index)).coinReport = report;
  board_.nodes.at(static_cast<size_t>(index)).coinReportAfterDecrease = afterDecrease;
}

SimJvsNode SimJvsBus::Node(int index) {
  std::lock_guard<std::mutex> g(lock_);
  return board_.nodes.at(static_cast<size_t>(index));
}

void SimJvsBus::GrowOnResend(bool grow) {
  std::lock_guard<std::mutex> g(lock_);
  board_.grow = grow;
}

void SimJvsBus::SilentOnDamagedRequests(bool silent) {
  std::lock_guard<std::mutex> g(lock_);
  board_.silentOnDamage = silent;
}

void SimJvsBus::KeepStatusThree(bool keep) {
  std::lock_guard<std::mutex> g(lock_);
  board_.keepStatusThree = keep;
}

int SimJvsBus::Cycles(int nodeAddress) {
  std::lock_guard<std::mutex> g(lock_);
  const std::vector<int>& c = board_.cycles;
  return nodeAddress >= 0 && size_t(nodeAddress) < c.size() ? c[size_t(nodeAddress)] : 0;
}

std::vector<std::pair<int, int>> SimJvsBus::Decreases() {
  std::lock_guard<std::mutex> g(lock_);
  return board_.decreases;
}

int SimJvsBus::BadRequests() {
  std::lock_guard<std::mutex> g(lock_);
  return board_.badRequests;
}

int SimJvsBus::Resets() {
  std::lock_guard<std::mutex> g(lock_);
  return board_.resets;
}

int SimJvsBus::LongestReset() {
  std::lock_guard<std::mutex> g(lock_);
  return board_.longestReset;
}

int SimJvsBus::RetransmitRequests() {
  std::lock_guard<std::mutex> g(lock_);
  return board_.retransmits;
}

uint16_t SimJvsBus::BoardSetting() {
  std::lock_guard<std::mutex> g(lock_);
  return board_.boardSetting;
}

int SimJvsBus::BoardApplies() {
  std::lock_guard<std::mutex> g(lock_);
  return board_.boardApplies;
}

int SimJvsBus::GetCts() {
  Pump();
  std::lock_guard<std::mutex> g(lock_);
  return board_.Sense();
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
  // Late replies whose time has come.
  for (size_t i = 0; i < timed_.size();) {
    if (clock_ && int32_t(clock_->NowMs() - timed_[i].due) >= 0) {
      Send(timed_[i].bytes);
      if (timed_[i].counted) ++lateSent_;
      timed_.erase(timed_.begin() + long(i));
    } else {
      ++i;
    }
  }
  uint8_t buf[600];
  ssize_t got;
  // A read after the game's write returned sees that write: the terminal
  // layer hands over pending input before it reports none.
  while ((got = ::read(master_, buf, sizeof buf)) > 0) {
    for (ssize_t i = 0; i < got; ++i) {
      const SimFrameParser::Event ev = parser_.Feed(buf[i]);
      if (ev == SimFrameParser::kBadSum) {
        SimJvsBoard::Reply r;
        {
          std::lock_guard<std::mutex> g(lock_);
          r = board_.Receive(parser_.Node(), parser_.Data(), true);
        }
        if (r.send) Reply(parser_.Node(), r.data);
      } else if (ev == SimFrameParser::kFrame && !SpoiledOnTheWay(parser_.Node(), parser_.Data())) {
        OnFrame(parser_.Node(), parser_.Data());
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

void SimJvsBus::Reply(uint8_t node, const std::vector<uint8_t>& data, bool decreasing, bool garbled) {
  if (silent_ || flood_ != kFloodOff) return;
  const uint8_t status = data.empty() ? 0 : data[0];
  std::vector<uint8_t> sent = SimFramed(data, 0);
  if (LoseThis(node)) return;
  const auto fate = replyFates_.find(node);
  const auto first = requestFirst_.find(node);
  if (fate != replyFates_.end() && (!fate->second.onDecrease || decreasing) &&
      (fate->second.command < 0 || (first != requestFirst_.end() && first->second == fate->second.command))) {
    const ReplyFate f = fate->second;
    replyFates_.erase(fate);
    if (f.late) {
      timed_.push_back({(clock_ ? clock_->NowMs() : 0) + f.ms, sent});
      ++held_;
      return;
    }
    if (f.how == kLost) return;
    sent = SimFramed(data, 1);
  } else if (garbled) {
    sent = SimFramed(data, 1);
  } else if (corrupt_ > 0) {
    --corrupt_;
    sent = SimFramed(data, 1);
  } else if (status == 1 && unfitting_ > 0) {
    --unfitting_;
    std::vector<uint8_t> shorter = data;
    shorter.pop_back();
    sent = SimFramed(shorter, 0);
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
  SimJvsBoard::Reply r;
  {
    std::lock_guard<std::mutex> g(lateLock_);
    const auto it = bundles_.find(node);
    if (silent_ || it != bundles_.end()) {
      {
        std::lock_guard<std::mutex> l(lock_);
        ++board_.retransmits;
      }
      if (silent_ || --it->second.missing > 0) return;
      std::vector<uint8_t> all = it->second.before;
      for (int i = 0; i < it->second.frames; ++i) all.insert(all.end(), it->second.frame.begin(), it->second.frame.end());
      bundles_.erase(it);
      ++lateSent_;
      Send(all);
      return;
    }
  }
  {
    std::lock_guard<std::mutex> l(lock_);
    r = board_.Resend(node);
  }
  if (!r.send || LoseThis(node)) return;
  const std::vector<uint8_t>& data = r.data;
  if (unfitting_ > 0 && data.size() > 1 && data[0] == 1) {
    --unfitting_;
    const std::vector<uint8_t> shorter(data.begin(), data.end() - 1);
    SendReply(SimFramed(shorter, 0), shorter);
    return;
  }
  if (corruptResends_ > 0) {
    --corruptResends_;
    SendReply(SimFramed(data, 1), data);
    return;
  }
  SendReply(SimFramed(data, 0), data);
}

void SimJvsBus::SpoilRequest(int nodeAddress, Which which, Spoil how, uint8_t command) {
  std::lock_guard<std::mutex> pump(pumpLock_);
  spoiled_[nodeAddress] = Spoiled{which, how, false, command};
}

void SimJvsBus::SpoilNextReply(int nodeAddress, Spoil how, bool onDecrease, int command) {
  std::lock_guard<std::mutex> pump(pumpLock_);
  replyFates_[nodeAddress] = ReplyFate{onDecrease, false, how, 0, command};
}

void SimJvsBus::LoseReplies(int nodeAddress, std::vector<bool> which) {
  std::lock_guard<std::mutex> pump(pumpLock_);
  lose_[nodeAddress] = std::move(which);
}

void SimJvsBus::RepeatOnNextRequest(int nodeAddress) {
  std::lock_guard<std::mutex> pump(pumpLock_);
  repeat_.insert(nodeAddress);
}

bool SimJvsBus::LoseThis(uint8_t node) {
  const auto it = lose_.find(node);
  if (it == lose_.end() || it->second.empty()) return false;
  const bool lose = it->second.front();
  it->second.erase(it->second.begin());
  return lose;
}

void SimJvsBus::LateNextReply(int nodeAddress, uint32_t ms, bool onDecrease) {
  std::lock_guard<std::mutex> pump(pumpLock_);
  replyFates_[nodeAddress] = ReplyFate{onDecrease, true, kLost, ms};
}

void SimJvsBus::SetNoise(const Noise& noise) {
  std::lock_guard<std::mutex> pump(pumpLock_);
  noise_.Start(noise);
  exchanges_.clear();
}

std::vector<bool> SimJvsBus::Exchanges() {
  std::lock_guard<std::mutex> pump(pumpLock_);
  return exchanges_;
}

void SimJvsBus::InsertCoins(int index, int slot, uint16_t coins) {
  std::lock_guard<std::mutex> g(lock_);
  uint16_t& c = board_.nodes.at(static_cast<size_t>(index)).coins[slot];
  c = static_cast<uint16_t>(c + coins);
}

int SimJvsBus::NoiseFate() { return noise_.NextFate(); }

bool SimJvsBus::SpoiledOnTheWay(uint8_t node, const std::vector<uint8_t>& d) {
  if (noise_.On() && node != 0xFF) exchanges_.push_back(false);
  int fate = NoiseFate();
  const auto it = spoiled_.find(node);
  if (fate == 0 && it != spoiled_.end() && !d.empty() && d[0] != 0x2F) {
    const bool decrease = SimJvsBoard::Decreasing(node, d);
    Spoiled& sp = it->second;
    const bool hit = sp.which == kNextRequest || (sp.which == kNextDecrease && decrease) ||
                     (sp.which == kAfterNextDecrease && sp.decreaseSeen) ||
                     (sp.which == kNextWithCommand && d[0] == sp.command);
    if (sp.which == kAfterNextDecrease && decrease) sp.decreaseSeen = true;
    if (hit) {
      fate = sp.how == kLost ? 1 : 2;
      spoiled_.erase(it);
    }
  }
  if (fate == 0) return false;
  if (noise_.On() && node != 0xFF) exchanges_.back() = true;
  if (fate == 1) {
    ++lostRequests_;
    return true;
  }
  SimJvsBoard::Reply r;
  {
    std::lock_guard<std::mutex> g(lock_);
    r = board_.Receive(node, d, true);
  }
  if (r.send) Reply(node, r.data);
  return true;
}

void SimJvsBus::SendReply(const std::vector<uint8_t>& frame, const std::vector<uint8_t>& data,
                          std::vector<uint8_t> before) {
  const int fate = NoiseFate();
  if (fate != 0 && !exchanges_.empty()) exchanges_.back() = true;
  if (fate != 1) {
    const std::vector<uint8_t> reply = fate == 2 ? SimFramed(data, 1) : frame;
    before.insert(before.end(), reply.begin(), reply.end());
  }
  if (before.empty()) return;
  if (lateToMs_ > 0 && clock_) {
    lateDraw_ = lateDraw_ * 1103515245u + 12345u;
    const uint32_t ms = lateFromMs_ + (lateDraw_ >> 16) % (lateToMs_ - lateFromMs_ + 1);
    timed_.push_back({clock_->NowMs() + ms, std::move(before), false});
    return;
  }
  Send(before);
}

void SimJvsBus::AnswerLate(uint32_t fromMs, uint32_t toMs) {
  std::lock_guard<std::mutex> pump(pumpLock_);
  lateFromMs_ = std::min(fromMs, toMs);
  lateToMs_ = toMs;
}

void SimJvsBus::OnFrame(uint8_t node, const std::vector<uint8_t>& d) {
  if (d.empty()) return;
  requestFirst_[node] = d[0];
  if (node != 0xFF && d[0] == 0x2F) return Resend(node);
  SimJvsBoard::Reply r;
  std::vector<uint8_t> previous;
  {
    std::lock_guard<std::mutex> g(lock_);
    if (repeat_.erase(node)) previous = board_.LastReply(node);
    // A node set to see bad sums carries out nothing.
    const bool damaged = node != 0xFF && sumErrors_ > 0;
    if (damaged) --sumErrors_;
    r = board_.Receive(node, d, damaged);
  }
  if (r.send) Reply(node, r.data, r.decreasing, r.garbled);
  // Goes out with the next pump, before whatever that pump reads.
  if (!previous.empty()) timed_.push_back({clock_ ? clock_->NowMs() : 0, SimFramed(previous, 0)});
}

}  // namespace testsupport
