#include "cabinet/JvsMaster.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>

#include "cabinet/JvsFrame.h"
#include "platform/clock.h"
#include "platform/thread.h"

namespace {

struct Master {
  std::atomic<uint32_t> opened{0};
  std::atomic<uint32_t> stop{0};
  std::mutex lock;  // guards state
  int32_t state = -1;
  plat::Event wake{true, false};
  std::unique_ptr<plat::Thread> thread;
  JvsReplyHandler handler = nullptr;
  std::atomic<int32_t> nodeCount{0};
  JvsNodeRecord nodes[kJvsMaxNodes] = {};
  plat::MsClock* clock = nullptr;
  // The standard layer.
  JvsNodeState std[kJvsMaxNodes] = {};
  int32_t copied = 0;
  bool tableCopied = false;
};

Master& M() {
  static Master m;
  return m;
}

void SetState(int32_t s) {
  Master& m = M();
  std::lock_guard<std::mutex> g(m.lock);
  m.state = s;
}

// Sends one frame of the node's queue and reads the reply; the reply must be
// normal and its first report normal. Returns the reply length or -1.
int Exchange(uint8_t node, uint8_t* buf, int retransmit) {
  if (!JvsSendFrame(node)) return -1;
  const int n = JvsReceiveFrame(buf, kJvsReplyBuffer, retransmit);
  if (n < 2 || buf[0] != kJvsStatusNormal || buf[1] != 1) return -1;
  return n;
}

// A bus fault: the state tells it, and the thread waits until it is closed.
uint32_t Halt(int32_t state) {
  Master& m = M();
  SetState(state);
  while (!m.stop.load()) m.wake.Wait(100);
  return 0;
}

// Resets every node; true when SENSE then reads 0 (nodes waiting for an
// address).
bool JvsReset() {
  Master& m = M();
  static const uint8_t kReset[2] = {0xF0, 0xD9};
  for (int t = 0; t < kJvsResetTries; ++t) {
    JvsQueueCommand(kJvsBroadcast, nullptr, 0);
    JvsQueueCommand(kJvsBroadcast, kReset, 2);
    JvsSendFrame(kJvsBroadcast);
    if (m.stop.load()) break;
    JvsClock().Wait(m.wake, kJvsResetWaitMs);
    if (m.stop.load() || JvsGetSense() == 0) break;
  }
  return !m.stop.load() && JvsGetSense() == 0;
}

// Asks every addressed node for its identity and features.
bool IdentifyNodes() {
  Master& m = M();
  uint8_t buf[kJvsReplyBuffer];
  const int32_t count = m.nodeCount.load();
  for (int32_t node = 1; node <= count; ++node) {
    JvsNodeRecord& r = m.nodes[node];
    std::memset(&r, 0, sizeof r);
    for (uint8_t cmd = 0x10; cmd <= 0x14; ++cmd) {
      if (m.stop.load()) return false;
      JvsQueueCommand(static_cast<uint8_t>(node), nullptr, 0);
      JvsQueueCommand(static_cast<uint8_t>(node), &cmd, 1);
      const int n = Exchange(static_cast<uint8_t>(node), buf, 1);
      if (n < 0) return false;
      const uint8_t* d = buf + 2;
      const size_t len = static_cast<size_t>(n) - 2;
      switch (cmd) {
        case 0x10: {
          const size_t t = std::min(len, sizeof r.identity - 1);
          std::memcpy(r.identity, d, t);
          r.identity[t] = 0;
          break;
        }
        case 0x11:
          r.commandRevision = len ? d[0] : 0;
          break;
        case 0x12:
          r.jvsRevision = len ? d[0] : 0;
          break;
        case 0x13:
          r.commVersion = len ? d[0] : 0;
          break;
        default:
          for (size_t i = 0; i + 4 <= len; i += 4)
            if (d[i] >= 1 && d[i] <= 31) std::memcpy(r.features[d[i]], d + i, 4);
          break;
      }
    }
    JvsQueueCommand(static_cast<uint8_t>(node), nullptr, 0);
  }
  return true;
}

// Hands each queued command of the node its part of the reply.
void WalkReply(uint8_t node, const uint8_t* buf, size_t len) {
  Master& m = M();
  if (!m.handler) return;
  size_t p = 1;  // the first report byte
  const uint32_t count = JvsQueuedCount(node);
  for (uint32_t i = 0; i < count && p < len; ++i) {
    size_t clen = 0;
    const uint8_t* c = JvsGetQueuedCommand(node, i, &clen);
    if (!c || clen == 0) continue;
    const int32_t r = (c[0] == 0x04 || c[0] == 0x05) ? 1 : m.handler(node, c, clen, buf + p, len - p);
    if (r < 0) break;
    p += static_cast<size_t>(r);
  }
}

uint32_t JvsThread() {
  Master& m = M();
  SetState(0);
  m.nodeCount = 0;
  JvsClearQueues();
  if (!JvsReset()) return m.stop.load() ? 0 : Halt(-3);

  // Addresses along the SENSE line: the node that sees it low takes the next.
  uint8_t buf[kJvsReplyBuffer];
  int retries = 0;
  int n = 1;
  while (JvsGetSense() == 0) {
    if (m.stop.load()) return 0;
    const uint8_t assign[2] = {0xF1, static_cast<uint8_t>(n)};
    JvsQueueCommand(kJvsBroadcast, nullptr, 0);
    JvsQueueCommand(kJvsBroadcast, assign, 2);
    if (Exchange(kJvsBroadcast, buf, 0) < 0) {
      if (++retries > kJvsAddressRetries) return Halt(-3);
      if (!JvsReset()) return m.stop.load() ? 0 : Halt(-3);
      n = 1;
      continue;
    }
    if (++n == kJvsMaxNodes) return Halt(-2);
  }
  JvsQueueCommand(kJvsBroadcast, nullptr, 0);
  m.nodeCount = n - 1;
  if (!IdentifyNodes()) return m.stop.load() ? 0 : Halt(-3);

  for (;;) {
    SetState(1);
    JvsSetRts(1);
    for (;;) {
      if (m.stop.load()) return 0;
      {
        std::lock_guard<std::mutex> g(m.lock);
        if (m.state == 2) break;
      }
      JvsClock().Sleep(1);
    }
    JvsSetRts(0);
    if (JvsGetSense() == 0) return Halt(-3);
    for (int32_t node = 0; node <= m.nodeCount.load(); ++node) {
      if (!JvsSendFrame(static_cast<uint8_t>(node))) continue;
      SetState(3);
      const int len = JvsReceiveFrame(buf, sizeof buf, 1);
      if (len < 1 || buf[0] != kJvsStatusNormal) return Halt(-3);
      WalkReply(static_cast<uint8_t>(node), buf, static_cast<size_t>(len));
    }
  }
}

// Waits until the master is ready again; false when it is closed, failed or
// did not come back in time.
bool WaitReady() {
  plat::MsClock& clock = JvsClock();
  const uint32_t start = clock.NowMs();
  for (;;) {
    const int32_t s = JvsGetState();
    if (s < 0) return false;
    if (s == 1) return true;
    if (clock.NowMs() - start >= kJvsReadyWaitMs) return false;
    clock.Sleep(1);
  }
}

int32_t ParamToCount(uint8_t v) { return static_cast<int32_t>(v); }

}  // namespace

void JvsSetClock(plat::MsClock* clock) { M().clock = clock; }

plat::MsClock& JvsClock() { return M().clock ? *M().clock : plat::SystemClock(); }

int32_t JvsOpen(const char* portName, JvsReplyHandler handler) {
  Master& m = M();
  if (m.opened.load() || !JvsOpenPort(portName)) return 0;
  m.handler = handler;
  m.copied = 0;  // a new bring-up: the standard layer copies the nodes again
  m.tableCopied = false;
  m.wake.Reset();
  m.stop = 0;
  SetState(0);
  m.opened = 1;
  m.thread = std::make_unique<plat::Thread>();
  if (!m.thread->Start([](plat::Thread&) { return JvsThread(); })) {
    JvsClose();
    return 0;
  }
  return 1;
}

int32_t JvsClose() {
  Master& m = M();
  if (!m.stop.exchange(1)) {
    m.wake.Set();
    if (m.thread) m.thread->Join();
  }
  m.thread.reset();
  JvsClosePort();
  SetState(-1);
  m.opened = 0;
  return 1;
}

int32_t JvsGetState() {
  Master& m = M();
  if (!m.opened.load()) return -1;
  std::lock_guard<std::mutex> g(m.lock);
  return m.state;
}

int32_t JvsRequest() {
  Master& m = M();
  if (!m.opened.load()) return 0;
  std::lock_guard<std::mutex> g(m.lock);
  if (m.state != 1) return 0;
  m.state = 2;
  return 1;
}

int32_t JvsGetNodeCount() { return M().nodeCount.load(); }

const JvsNodeRecord* JvsGetNodeInfo(int32_t node) {
  if (node < 0 || node >= kJvsMaxNodes) return nullptr;
  return &M().nodes[node];
}

int32_t JvsSendNodeSetting(uint16_t value) {
  Master& m = M();
  if (!WaitReady()) return 0;
  for (int n = 0; n < kJvsMaxNodes; ++n) JvsQueueCommand(static_cast<uint8_t>(n), nullptr, 0);
  const uint8_t setting[3] = {0x05, static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
  if (!JvsQueueCommand(0, setting, 3)) return 0;
  {
    std::lock_guard<std::mutex> g(m.lock);
    if (m.state == 1) m.state = 2;
  }
  if (!WaitReady()) {
    JvsQueueCommand(0, nullptr, 0);
    return 0;
  }
  JvsClock().Sleep(kJvsSettingPauseMs);
  JvsQueueCommand(0, nullptr, 0);
  static const uint8_t kApply = 0x04;
  JvsQueueCommand(0, &kApply, 1);
  JvsRequest();
  if (!WaitReady()) {
    JvsQueueCommand(0, nullptr, 0);
    return 0;
  }
  JvsClock().Sleep(kJvsSettingPauseMs);
  JvsQueueCommand(0, nullptr, 0);
  return 1;
}

const char* JvsGetVersionString() { return "JVS Libraly Version 1.07 2009/08/26"; }
const char* XioGetVersionString() { return "XIO Libraly Version 1.08 2009/12/17"; }

// ---------------------------------------------------------------------------
// The standard layer.

int32_t JvsOpenStd(const char* portName) {
  M().copied = 0;
  M().tableCopied = false;
  return JvsOpen(portName, &JvsStdReplyHandler);
}

int32_t JvsCloseStd() {
  M().copied = 0;
  M().tableCopied = false;
  return JvsClose();
}

int32_t JvsUpdateNodeTable() {
  Master& m = M();
  const int32_t s = JvsGetState();
  if (s == 1 && !m.tableCopied) {
    for (auto& st : m.std) st = JvsNodeState{};
    m.copied = m.nodeCount.load();
    for (int32_t n = 1; n <= m.copied; ++n) m.std[n].record = m.nodes[n];
    m.tableCopied = true;
  }
  return s;
}

int32_t JvsCopiedNodeCount() { return M().copied; }

JvsNodeState* JvsGetNodeRecord(int32_t node) {
  if (node < 0 || node >= kJvsMaxNodes) return nullptr;
  return &M().std[node];
}

uint8_t JvsFeatureParam(const JvsNodeRecord& r, uint8_t code, int param) {
  if (code < 1 || code > 31 || param < 1 || param > 3 || r.features[code][0] != code) return 0;
  return r.features[code][param];
}

bool JvsNodeHasSwitches(int32_t node) {
  const JvsNodeState* s = JvsGetNodeRecord(node);
  return node >= 1 && node <= M().copied && s && JvsFeatureParam(s->record, kJvsFeatureSwitches, 1) > 0;
}

int32_t JvsStdReplyHandler(uint8_t node, const uint8_t* command, size_t commandLen, const uint8_t* reply,
                           size_t replyLeft) {
  if (!command || !reply || commandLen == 0 || replyLeft == 0 || node >= kJvsMaxNodes) return -1;
  if (reply[0] != 1) return 1;
  JvsNodeState& s = M().std[node];
  const uint8_t cmd = command[0];
  if (node == 0) {
    switch (cmd) {
      case 1:
        if (replyLeft < 3) return -1;
        s.system = reply[1];
        s.switches[0] = reply[2];
        return 3;
      case 2:
      case 6:
      case 8:
        return replyLeft >= 2 ? 2 : -1;
      case 0:
      case 3:
      case 4:
      case 5:
      case 7:
        return 1;
      default:
        return -1;
    }
  }
  switch (cmd) {
    case 0x20: {
      if (commandLen < 3) return -1;
      const size_t bytes = size_t{command[1]} * command[2];
      if (replyLeft < 2 + bytes) return -1;
      s.system = reply[1];
      std::memcpy(s.switches, reply + 2, std::min(bytes, sizeof s.switches));
      return static_cast<int32_t>(2 + bytes);
    }
    case 0x21: {
      if (commandLen < 2) return -1;
      const size_t slots = command[1];
      if (replyLeft < 1 + 2 * slots) return -1;
      for (size_t k = 0; k < slots && k < 4; ++k)
        s.coins[k] = static_cast<uint16_t>(reply[1 + 2 * k] << 8 | reply[2 + 2 * k]);
      return static_cast<int32_t>(1 + 2 * slots);
    }
    case 0x30:
      if (commandLen >= 2 && command[1] >= 1 && command[1] <= 4) s.coinDecrease[command[1] - 1] = 0;
      return 1;
    case 0x32:
      return 1;
    default:
      return -1;
  }
}

void JvsQueueNodePoll(int32_t node) {
  JvsNodeState* s = JvsGetNodeRecord(node);
  if (!s || node < 1) return;
  const uint8_t n = static_cast<uint8_t>(node);
  JvsQueueCommand(n, nullptr, 0);
  const JvsNodeRecord& r = s->record;
  const uint8_t players = JvsFeatureParam(r, kJvsFeatureSwitches, 1);
  if (players) {
    const uint8_t poll[3] = {0x20, players, static_cast<uint8_t>((ParamToCount(JvsFeatureParam(r, kJvsFeatureSwitches, 2)) + 7) / 8)};
    JvsQueueCommand(n, poll, 3);
  }
  if (const int32_t outputs = JvsFeatureParam(r, kJvsFeatureOutputs, 1)) {
    const uint8_t bytes = static_cast<uint8_t>(std::min((outputs + 7) / 8, 4));
    uint8_t cmd[6] = {0x32, bytes};
    std::memcpy(cmd + 2, s->outputs, bytes);
    JvsQueueCommand(n, cmd, 2u + bytes);
  }
  const uint8_t slots = static_cast<uint8_t>(std::min<int>(JvsFeatureParam(r, kJvsFeatureCoins, 1), 4));
  for (uint8_t k = 0; k < slots; ++k) {
    const uint16_t d = s->coinDecrease[k];
    if (!d) continue;
    const uint8_t cmd[4] = {0x30, static_cast<uint8_t>(k + 1), static_cast<uint8_t>(d >> 8), static_cast<uint8_t>(d)};
    JvsQueueCommand(n, cmd, 4);
  }
  if (slots) {
    const uint8_t cmd[2] = {0x21, slots};
    JvsQueueCommand(n, cmd, 2);
  }
}

int32_t JvsQueuePoll() {
  static const uint8_t kStatus[2] = {0x01, 0x02};
  JvsQueueCommand(0, nullptr, 0);
  JvsQueueCommand(0, kStatus, 2);
  for (int32_t node = 1; node <= M().copied; ++node) JvsQueueNodePoll(node);
  JvsRequest();
  return 1;
}
