#include "cabinet/JvsMaster.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/clock.h"
#include "platform/thread.h"

namespace {

// Steps of node 0's setting sequence.
enum SettingPhase { kSettingIdle, kSettingSendValue, kSettingApply, kSettingSettle };

struct Master {
  std::atomic<uint32_t> opened{0};
  std::atomic<uint32_t> stop{0};
  std::mutex lock;  // guards state and the setting sequence
  int32_t state = -1;
  SettingPhase settingPhase = kSettingIdle;
  uint16_t settingValue = 0;
  uint32_t settingSince = 0;  // bus clock at the end of the last step
  int32_t settingResult = kJvsSettingNone;
  plat::Event wake{true, false};
  std::unique_ptr<plat::Thread> thread;
  JvsReplyHandler handler = nullptr;
  std::atomic<int32_t> nodeCount{0};
  JvsNodeRecord nodes[kJvsMaxNodes] = {};
  uint64_t garbageTold = 0;  // nodes (bit 32: the broadcast) whose damaged replies were told
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

// One line on standard error, written whole.
void Tell(const char* format, ...) {
  char text[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  std::fprintf(stderr, "jvs bus: %s\n", text);
}

// A request that went out: the node's queued commands, or one command of the
// master's own.
struct Request {
  uint8_t node;
  const uint8_t* single;  // null: the node's queue
  size_t singleLength;
};

const uint8_t* RequestCommand(const Request& r, uint32_t index, size_t* length) {
  if (!r.single) return JvsGetQueuedCommand(r.node, index, length);
  if (index != 0) return nullptr;
  *length = r.singleLength;
  return r.single;
}

// The bytes one command's report takes in a reply (the report byte
// included); 0 when the command's report cannot be sized here, -1 when the
// bytes cannot be its report. A report other than normal carries no data.
int ReportSize(uint8_t node, const uint8_t* c, size_t clen, const uint8_t* r, size_t left) {
  const uint8_t report = r[0];
  if (report == 0 || report > kJvsReportLast) return -1;
  if (report != kJvsReportNormal) return 1;
  size_t size = 0;
  if (node == 0) {
    switch (c[0]) {
      case kJvsBoardStatus:
        size = 3;
        break;
      case 2:
      case 6:
      case 8:
        size = 2;
        break;
      case 0:
      case 3:
      case kJvsBoardApplySetting:
      case kJvsBoardSetValue:
      case 7:
        size = 1;
        break;
      default:
        return 0;
    }
  } else {
    switch (c[0]) {
      case kJvsCmdIdentity: {  // identity text up to its terminating zero
        const void* end = left > 1 ? std::memchr(r + 1, 0, left - 1) : nullptr;
        size = end ? size_t(static_cast<const uint8_t*>(end) - r) + 1 : left;
        break;
      }
      case kJvsCmdCommandRevision:
      case kJvsCmdJvsRevision:
      case kJvsCmdCommVersion:
        size = 2;
        break;
      case kJvsCmdFeatures:  // groups of four up to the end code 0
        size = left;
        for (size_t k = 1; k < left; k += 4)
          if (r[k] == 0) {
            size = k + 1;
            break;
          }
        break;
      case kJvsCmdSwitches:
        if (clen < 3) return -1;
        size = 2 + size_t{c[1]} * c[2];
        break;
      case kJvsCmdCoins:
        if (clen < 2) return -1;
        size = 1 + 2 * size_t{c[1]};
        break;
      case kJvsCmdAccessorySwitches:
        if (clen < 2) return -1;
        size = 1 + size_t{c[1]};
        break;
      case kJvsCmdCoinDecrease:
      case kJvsCmdOutputs:
      case kJvsCmdSetAddress:
        size = 1;
        break;
      default:
        return 0;
    }
  }
  return size <= left ? static_cast<int>(size) : -1;
}

// The bytes of a reply that answer the request, 0 when it cannot answer it
// (JvsReplyAnswersQueue). Bytes after the last report are no report: some
// nodes send a copy asked for again with bytes added at its end. The receive
// takes a frame with such bytes only as a copy asked for: the reply to a
// request as sent ends with its reports.
size_t ReplyFits(const void* request, const uint8_t* reply, size_t length) {
  const Request& r = *static_cast<const Request*>(request);
  if (length == 0) return 0;
  if (reply[0] != kJvsStatusNormal) return length;
  size_t p = 1;
  for (uint32_t i = 0;; ++i) {
    size_t clen = 0;
    const uint8_t* c = RequestCommand(r, i, &clen);
    if (!c) break;
    if (clen == 0) continue;
    if (p >= length) return 0;
    const int s = ReportSize(r.node, c, clen, reply + p, length - p);
    if (s < 0) return 0;
    if (s == 0) return length;
    p += static_cast<size_t>(s);
  }
  return p;
}

// Receives the reply to a request and tells, once per node, of damaged or
// unfitting frames met on the way.
int ReceiveReply(const Request& r, uint8_t* buf, int retransmit) {
  Master& m = M();
  const int n = JvsReceiveReply(buf, kJvsReplyBuffer, retransmit, &ReplyFits, &r);
  const JvsReceiveStats st = JvsLastReceiveStats();
  const uint64_t bit = uint64_t{1} << (r.node < kJvsMaxNodes ? r.node : kJvsMaxNodes);
  if ((st.damaged > 0 || st.refused > 0) && !m.stop.load() && !(m.garbageTold & bit)) {
    m.garbageTold |= bit;
    if (r.node < kJvsMaxNodes)
      Tell("damaged or unfitting replies while waiting for node %d", r.node);
    else
      Tell("damaged or unfitting replies while giving out addresses");
  }
  return n;
}

// Sends one frame of the node's queue and reads the reply; the reply must be
// normal and its first report normal. Returns the reply length or -1.
int Exchange(uint8_t node, uint8_t* buf, int retransmit) {
  const Request r{node, nullptr, 0};
  if (!JvsSendFrame(node)) return -1;
  const int n = ReceiveReply(r, buf, retransmit);
  if (n < 2 || buf[0] != kJvsStatusNormal || buf[1] != kJvsReportNormal) return -1;
  return n;
}

// What a failed receive from the node met, for the line that stops the bus.
void TellReceiveFailure(int node) {
  const JvsReceiveStats st = JvsLastReceiveStats();
  if (st.overrun)
    Tell("node %d sent %d bytes and no reply that answers its request; the bus is stopped", node,
         static_cast<int>(kJvsMaxReceiveBytes));
  else if (st.unheard)
    Tell("node %d never heard its request, sent %d times; the bus is stopped", node, kJvsMaxErrors + 1);
  else if (st.refused > 0 && st.emptyReads + st.damaged + st.damagedRequests + st.refused > kJvsMaxErrors)
    Tell("node %d sent %d replies that do not answer its request, and no other in %d tries; the bus is stopped",
         node, st.refused, kJvsMaxErrors + 1);
  else if (st.emptyReads > kJvsMaxErrors)
    Tell("node %d gave no reply, not even after %d requests to send it again; the bus is stopped", node,
         kJvsMaxErrors + 1);
  else if (st.emptyReads + st.damaged + st.damagedRequests > 0)
    Tell("node %d gave no good reply in %d tries; the bus is stopped", node, kJvsMaxErrors + 1);
  else
    Tell("node %d answered with a reply the bus does not know; the bus is stopped", node);
}

// A bus fault: the state tells it, and the thread waits until it is closed.
uint32_t Halt(int32_t state) {
  Master& m = M();
  {
    std::lock_guard<std::mutex> g(m.lock);
    m.state = state;
    if (m.settingPhase != kSettingIdle) {
      m.settingPhase = kSettingIdle;
      m.settingResult = kJvsSettingFailed;
    }
  }
  while (!m.stop.load()) m.wake.Wait(100);
  return 0;
}

// Resets every node; true when SENSE then reads 0 (nodes waiting for an
// address).
bool JvsReset() {
  Master& m = M();
  static const uint8_t kReset[2] = {kJvsCmdReset, kJvsResetCheck};
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

// Asks every addressed node for its identity and features; 0 when all
// answered, else the node that did not.
int32_t IdentifyNodes() {
  Master& m = M();
  uint8_t buf[kJvsReplyBuffer];
  const int32_t count = m.nodeCount.load();
  for (int32_t node = 1; node <= count; ++node) {
    JvsNodeRecord& r = m.nodes[node];
    std::memset(&r, 0, sizeof r);
    for (uint8_t cmd = kJvsCmdIdentity; cmd <= kJvsCmdFeatures; ++cmd) {
      if (m.stop.load()) return node;
      JvsQueueCommand(static_cast<uint8_t>(node), nullptr, 0);
      JvsQueueCommand(static_cast<uint8_t>(node), &cmd, 1);
      const int n = Exchange(static_cast<uint8_t>(node), buf, 1);
      if (n < 0) return node;
      const uint8_t* d = buf + 2;
      const size_t len = static_cast<size_t>(n) - 2;
      switch (cmd) {
        case kJvsCmdIdentity: {
          const size_t t = std::min(len, sizeof r.identity - 1);
          std::memcpy(r.identity, d, t);
          r.identity[t] = 0;
          break;
        }
        case kJvsCmdCommandRevision:
          r.commandRevision = len ? d[0] : 0;
          break;
        case kJvsCmdJvsRevision:
          r.jvsRevision = len ? d[0] : 0;
          break;
        case kJvsCmdCommVersion:
          r.commVersion = len ? d[0] : 0;
          break;
        default:
          // Up to the end code 0: what a node adds after it is no feature.
          for (size_t i = 0; i + 4 <= len && d[i] != 0; i += 4)
            if (d[i] < kJvsFeatureCodes) std::memcpy(r.features[d[i]], d + i, 4);
          break;
      }
    }
    JvsQueueCommand(static_cast<uint8_t>(node), nullptr, 0);
  }
  return 0;
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
    const bool setting = c[0] == kJvsBoardApplySetting || c[0] == kJvsBoardSetValue;
    const int32_t r = setting ? 1 : m.handler(node, c, clen, buf + p, len - p);
    if (r < 0) break;
    p += static_cast<size_t>(r);
  }
}

// The step of node 0's setting sequence that is due, between cycles, on
// frames of the master's own (the users' queues stay theirs). False when its
// exchange failed (told on standard error).
bool RunSettingStep() {
  Master& m = M();
  uint8_t command[3];
  size_t length = 0;
  {
    std::lock_guard<std::mutex> g(m.lock);
    const bool paused = JvsClock().NowMs() - m.settingSince < kJvsSettingPauseMs;
    switch (m.settingPhase) {
      case kSettingSendValue:
        command[0] = kJvsBoardSetValue;
        command[1] = static_cast<uint8_t>(m.settingValue >> 8);
        command[2] = static_cast<uint8_t>(m.settingValue);
        length = 3;
        break;
      case kSettingApply:
        if (paused) return true;
        command[0] = kJvsBoardApplySetting;
        length = 1;
        break;
      case kSettingSettle:
        if (paused) return true;
        m.settingPhase = kSettingIdle;
        m.settingResult = kJvsSettingDone;
        return true;
      case kSettingIdle:
        return true;
    }
  }
  uint8_t buf[kJvsReplyBuffer];
  JvsSetRts(0);
  const Request r{0, command, length};
  // The setting commands answer with a bare report. When that is the
  // board's last reply (no cycle since the last setting command), the
  // answer could not be told from the last reply sent again for a command
  // the board never heard, and a command it did carry out would go out
  // twice: its status is asked for first, and that is its last reply then.
  size_t lastSize = 0;
  const uint8_t* last = JvsLastReply(0, &lastSize);
  int n = 0;
  if (last && ReplyFits(&r, last, lastSize) == lastSize) {
    const Request status{0, kJvsBoardStatusPoll, sizeof kJvsBoardStatusPoll};
    n = JvsSendBytes(0, status.single, status.singleLength) ? ReceiveReply(status, buf, 1) : -1;
  }
  if (n >= 0) n = JvsSendBytes(0, command, length) ? ReceiveReply(r, buf, 1) : -1;
  JvsSetRts(1);
  if (n < 0) {
    if (!m.stop.load()) TellReceiveFailure(0);
    return false;
  }
  if (n < 2 || buf[0] != kJvsStatusNormal || buf[1] != kJvsReportNormal) {
    Tell("node 0 refused its setting command 0x%02X (status %d); the bus is stopped", command[0], buf[0]);
    return false;
  }
  std::lock_guard<std::mutex> g(m.lock);
  m.settingPhase = m.settingPhase == kSettingSendValue ? kSettingApply : kSettingSettle;
  m.settingSince = JvsClock().NowMs();
  return true;
}

uint32_t JvsThread() {
  Master& m = M();
  SetState(kJvsStateStarting);
  m.nodeCount = 0;
  m.garbageTold = 0;
  JvsClearQueues();
  if (!JvsReset()) {
    if (m.stop.load()) return 0;
    Tell("no node answered the reset (SENSE stayed high); the bus is stopped");
    return Halt(kJvsStateBusError);
  }

  // Addresses along the SENSE line: the node that sees it low takes the next.
  uint8_t buf[kJvsReplyBuffer];
  int retries = 0;
  int n = 1;
  while (JvsGetSense() == 0) {
    if (m.stop.load()) return 0;
    const uint8_t assign[2] = {kJvsCmdSetAddress, static_cast<uint8_t>(n)};
    JvsQueueCommand(kJvsBroadcast, nullptr, 0);
    JvsQueueCommand(kJvsBroadcast, assign, 2);
    if (Exchange(kJvsBroadcast, buf, 0) < 0) {
      if (m.stop.load()) return 0;
      if (++retries > kJvsAddressRetries) {
        Tell("no node took address %d after %d resets; the bus is stopped", n, kJvsAddressRetries);
        return Halt(kJvsStateBusError);
      }
      if (!JvsReset()) {
        if (m.stop.load()) return 0;
        Tell("no node answered the reset (SENSE stayed high); the bus is stopped");
        return Halt(kJvsStateBusError);
      }
      n = 1;
      continue;
    }
    if (++n == kJvsMaxNodes) {
      Tell("more than %d nodes on the bus; the bus is stopped", kJvsMaxAddressed);
      return Halt(kJvsStateTooManyNodes);
    }
  }
  JvsQueueCommand(kJvsBroadcast, nullptr, 0);
  m.nodeCount = n - 1;
  if (const int32_t node = IdentifyNodes()) {
    if (m.stop.load()) return 0;
    Tell("node %d did not say what it is; the bus is stopped", node);
    return Halt(kJvsStateBusError);
  }

  for (;;) {
    SetState(kJvsStateReady);
    JvsSetRts(1);
    for (;;) {
      if (m.stop.load()) return 0;
      // The setting step that is due goes before the cycle asked for, so
      // that cycles asked for back to back cannot hold it off.
      if (!RunSettingStep()) return m.stop.load() ? 0 : Halt(kJvsStateBusError);
      {
        std::lock_guard<std::mutex> g(m.lock);
        if (m.state == kJvsStateRequested) break;
      }
      JvsClock().Sleep(1);
    }
    JvsSetRts(0);
    if (JvsGetSense() == 0) {
      Tell("a node lost its address (SENSE went low); the bus is stopped");
      return Halt(kJvsStateBusError);
    }
    for (int32_t node = 0; node <= m.nodeCount.load(); ++node) {
      if (!JvsSendFrame(static_cast<uint8_t>(node))) continue;
      SetState(kJvsStateRunning);
      const Request r{static_cast<uint8_t>(node), nullptr, 0};
      const int len = ReceiveReply(r, buf, 1);
      if (m.stop.load()) return 0;
      if (len < 1) {
        TellReceiveFailure(node);
        return Halt(kJvsStateBusError);
      }
      if (buf[0] != kJvsStatusNormal) {
        Tell("node %d answered with status %d; the bus is stopped", node, buf[0]);
        return Halt(kJvsStateBusError);
      }
      WalkReply(static_cast<uint8_t>(node), buf, static_cast<size_t>(len));
    }
  }
}

int32_t ParamToCount(uint8_t v) { return static_cast<int32_t>(v); }

}  // namespace

int32_t JvsOpen(const char* portName, JvsReplyHandler handler) {
  Master& m = M();
  if (m.opened.load()) return 0;
  if (!JvsOpenPort(portName)) {
    Tell("the serial port %s cannot be opened as a bus port", portName ? portName : "(none)");
    return 0;
  }
  m.handler = handler;
  m.copied = 0;  // a new bring-up: the standard layer copies the nodes again
  m.tableCopied = false;
  m.wake.Reset();
  m.stop = 0;
  {
    std::lock_guard<std::mutex> g(m.lock);
    m.state = kJvsStateStarting;
    m.settingPhase = kSettingIdle;
    m.settingResult = kJvsSettingNone;
  }
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
    JvsCancelWaits();
    m.wake.Set();
    if (m.thread) m.thread->Join();
  }
  m.thread.reset();
  JvsClosePort();
  SetState(kJvsStateClosed);
  m.opened = 0;
  return 1;
}

int32_t JvsGetState() {
  Master& m = M();
  if (!m.opened.load()) return kJvsStateClosed;
  std::lock_guard<std::mutex> g(m.lock);
  return m.state;
}

int32_t JvsRequest() {
  Master& m = M();
  if (!m.opened.load()) return 0;
  std::lock_guard<std::mutex> g(m.lock);
  if (m.state != kJvsStateReady) return 0;
  m.state = kJvsStateRequested;
  return 1;
}

int32_t JvsGetNodeCount() { return M().nodeCount.load(); }

const JvsNodeRecord* JvsGetNodeInfo(int32_t node) {
  if (node < 0 || node >= kJvsMaxNodes) return nullptr;
  return &M().nodes[node];
}

int32_t JvsSendNodeSetting(uint16_t value) {
  Master& m = M();
  if (!m.opened.load()) return 0;
  std::lock_guard<std::mutex> g(m.lock);
  if (m.state < 0 || m.settingPhase != kSettingIdle) return 0;
  m.settingValue = value;
  m.settingPhase = kSettingSendValue;
  m.settingResult = kJvsSettingRunning;
  return 1;
}

int32_t JvsGetNodeSettingResult() {
  Master& m = M();
  std::lock_guard<std::mutex> g(m.lock);
  return m.settingResult;
}

size_t JvsReplyAnswersQueue(uint8_t node, const uint8_t* reply, size_t length) {
  if (!reply) return 0;
  const Request r{node, nullptr, 0};
  return ReplyFits(&r, reply, length);
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
  if (s == kJvsStateReady && !m.tableCopied) {
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
  if (code < 1 || code >= kJvsFeatureCodes || param < 1 || param > 3 || r.features[code][0] != code) return 0;
  return r.features[code][param];
}

bool JvsNodeHasSwitches(int32_t node) {
  const JvsNodeState* s = JvsGetNodeRecord(node);
  return node >= 1 && node <= M().copied && s && JvsFeatureParam(s->record, kJvsFeatureSwitches, 1) > 0;
}

int32_t JvsStdReplyHandler(uint8_t node, const uint8_t* command, size_t commandLen, const uint8_t* reply,
                           size_t replyLeft) {
  if (!command || !reply || commandLen == 0 || replyLeft == 0 || node >= kJvsMaxNodes) return -1;
  if (reply[0] != kJvsReportNormal) return 1;
  JvsNodeState& s = M().std[node];
  const uint8_t cmd = command[0];
  if (node == 0) {
    switch (cmd) {
      case kJvsBoardStatus:
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
      case kJvsBoardApplySetting:
      case kJvsBoardSetValue:
      case 7:
        return 1;
      default:
        return -1;
    }
  }
  switch (cmd) {
    case kJvsCmdSwitches: {
      if (commandLen < 3) return -1;
      const size_t bytes = size_t{command[1]} * command[2];
      if (replyLeft < 2 + bytes) return -1;
      s.system = reply[1];
      std::memcpy(s.switches, reply + 2, std::min(bytes, sizeof s.switches));
      return static_cast<int32_t>(2 + bytes);
    }
    case kJvsCmdCoins: {
      if (commandLen < 2) return -1;
      const size_t slots = command[1];
      if (replyLeft < 1 + 2 * slots) return -1;
      for (size_t k = 0; k < slots && k < 4; ++k)
        s.coins[k] = static_cast<uint16_t>(reply[1 + 2 * k] << 8 | reply[2 + 2 * k]);
      return static_cast<int32_t>(1 + 2 * slots);
    }
    case kJvsCmdCoinDecrease:
      if (commandLen >= 2 && command[1] >= 1 && command[1] <= 4) s.coinDecrease[command[1] - 1] = 0;
      return 1;
    case kJvsCmdOutputs:
      return 1;
    default:
      return -1;
  }
}

// Whether the node's queued poll (the last one it answered) carries a coin
// decrease.
bool QueuedDecrease(uint8_t node) {
  size_t length = 0;
  for (uint32_t i = 0; const uint8_t* c = JvsGetQueuedCommand(node, i, &length); ++i)
    if (length > 0 && c[0] == kJvsCmdCoinDecrease) return true;
  return false;
}

void JvsQueueNodePoll(int32_t node) {
  JvsNodeState* s = JvsGetNodeRecord(node);
  if (!s || node < 1) return;
  const uint8_t n = static_cast<uint8_t>(node);
  // A poll right after one that carried a coin decrease carries none (the
  // requests wait for the next poll): the answer to a poll with a decrease
  // then never has the layout of the node's last reply, so the last reply,
  // sent again by a node that never heard the poll, is never taken for the
  // answer, and a poll sent again because of it is one the node never
  // carried out. A decrease goes out once.
  const bool decreaseBefore = QueuedDecrease(n);
  JvsQueueCommand(n, nullptr, 0);
  const JvsNodeRecord& r = s->record;
  const uint8_t players = JvsFeatureParam(r, kJvsFeatureSwitches, 1);
  const uint8_t poll[3] = {kJvsCmdSwitches, players,
                           static_cast<uint8_t>((ParamToCount(JvsFeatureParam(r, kJvsFeatureSwitches, 2)) + 7) / 8)};
  JvsQueueCommand(n, poll, 3);
  if (const int32_t outputs = JvsFeatureParam(r, kJvsFeatureOutputs, 1)) {
    const uint8_t bytes = static_cast<uint8_t>(std::min((outputs + 7) / 8, 4));
    uint8_t cmd[6] = {kJvsCmdOutputs, bytes};
    std::memcpy(cmd + 2, s->outputs, bytes);
    JvsQueueCommand(n, cmd, 2u + bytes);
  }
  const uint8_t slots = JvsFeatureParam(r, kJvsFeatureCoins, 1);
  // The node state holds four decrease requests.
  for (uint8_t k = 0; k < slots && k < 4 && !decreaseBefore; ++k) {
    const uint16_t d = s->coinDecrease[k];
    if (!d) continue;
    const uint8_t cmd[4] = {kJvsCmdCoinDecrease, static_cast<uint8_t>(k + 1), static_cast<uint8_t>(d >> 8),
                            static_cast<uint8_t>(d)};
    JvsQueueCommand(n, cmd, 4);
  }
  const uint8_t coins[2] = {kJvsCmdCoins, slots};
  JvsQueueCommand(n, coins, 2);
}

int32_t JvsQueuePoll() {
  JvsQueueCommand(0, nullptr, 0);
  JvsQueueCommand(0, kJvsBoardStatusPoll, sizeof kJvsBoardStatusPoll);
  for (int32_t node = 1; node <= M().copied; ++node) JvsQueueNodePoll(node);
  JvsRequest();
  return 1;
}
