// The JVS bus master and its standard layer (JvsMaster.h), in this order:
// - what the master keeps: the frames it writes (Request), what it knows of
//   each node's last reply, the runs of spoiled exchanges, decreases whose
//   fate is open or left to the counter, the stale reads of the switches
//   the user reads, and the master's state;
// - reading replies: the reports' layout against the request, node 0's
//   habit;
// - the lines it tells, and the bounds that stop the bus: a node's
//   exchanges spoiled in a row, the time without a good answer, the stale
//   reads;
// - exchanges: a request without effect, written again until it is
//   answered; one that takes effect once (a coin decrease, a setting of
//   node 0), whose fate is asked of the node or left to its counter;
// - the bring-up: the resets, the addresses along SENSE, the identities;
// - the steps: node 0's setting step that is due, then the cycle, in rounds
//   of one turn per node;
// - the thread and the public functions; then the standard layer (the
//   standard replies into node records, the standard poll).
#include "cabinet/JvsMaster.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "platform/clock.h"
#include "platform/thread.h"

namespace {

// Steps of node 0's setting sequence.
enum SettingPhase { kSettingIdle, kSettingSendValue, kSettingApply, kSettingSettle };

// What the master knows of a node's last reply: the frame it last took whole
// from the node, while nothing since can have changed it. A node sends it
// again, as it was or with bytes added, when asked to send its reply again.
struct Known {
  bool valid = false;
  size_t size = 0;
  uint8_t data[255] = {};
};

// A coin decrease whose fate the node could not tell: the amounts sent per
// slot and the counts read before it.
struct Unsettled {
  bool active = false;
  uint16_t amount[4] = {};
  uint16_t before[4] = {};
};

// What spoiled exchanges met: in a row (those that noise spoiled aside),
// or since a node's last good answer. Of the line that never went quiet,
// the bytes it carried and the time they took; the counts of bytes outside
// frames and of dropped frames, and the bus clock, when the run began.
struct SpoiledRun {
  bool started = false;
  int total = 0;
  int silent = 0, damaged = 0, statusThree = 0, unfitting = 0, talking = 0;
  // Receives that ended in silence having read bytes, but no frame to the
  // master (JvsLastReceiveByteCount): garbage, not a node that kept still.
  int strayOnly = 0;
  // Frames of a status the exchange cannot use, and those statuses.
  int otherStatus = 0;
  std::string statuses;
  // Exchanges that noise on the line spoiled; of a run in a row, those
  // that came between its exchanges (they count in no run and end none).
  int byNoise = 0;
  int noiseBetween = 0;
  uint32_t noiseBytes = 0, noiseMs = 0;
  uint32_t strayBefore = 0, droppedBefore = 0;
  uint32_t since = 0;
  // The nodes whose exchanges it holds (bit 32: the broadcast).
  uint64_t nodes = 0;
};

// How node 0 answers a frame of several commands: with a report for each,
// or with the first command's report alone. Learnt from its answers.
enum class BoardHabit { kUnknown, kAnswersAll, kAnswersFirst };

// A frame's commands for one node: the node's queue, or a frame of the
// master's own.
struct Request {
  uint8_t node = 0;
  uint8_t bytes[kJvsQueueBytes] = {};
  uint8_t ends[kJvsQueueBytes + 1] = {};  // ends[i + 1] = end of command i
  uint32_t count = 0;

  size_t Size() const { return ends[count]; }
  bool Add(const uint8_t* c, size_t length) {
    if (count + 1 >= kJvsQueueBytes || Size() + length >= kJvsQueueBytes) return false;
    std::memcpy(bytes + Size(), c, length);
    ends[count + 1] = static_cast<uint8_t>(Size() + length);
    ++count;
    return true;
  }
  const uint8_t* Command(uint32_t i, size_t* length) const {
    if (i >= count) return nullptr;
    *length = size_t(ends[i + 1]) - ends[i];
    return bytes + ends[i];
  }
};

// A coin decrease whose fate was still open when its step's time was up,
// noise on the line having spoiled the exchanges that were to tell it (or
// put by till the node's next turn in the cycle): the request, the node's
// last reply before it, and how the asking for the node's copy stood.
struct OpenFate {
  bool active = false;
  Request request;
  Known before;
  int statusThrees = 0;
  bool afterStatusThree = false;
  // Put by till the node's next turn in the cycle under way (other nodes
  // had theirs first): at the cycle's end it stays open only where noise
  // spoiled its last exchange (byNoise), as at the end of a turn's time.
  bool deferred = false;
  bool byNoise = false;
};

// How the switches the user reads (one node's: JvsWatchSwitches) stand to
// the bound on reading them stale: the user has them stale where the last
// read it was handed (at the end of a cycle) is older than kJvsStopBoundMs,
// while the cycles ask for them. The stale time of the last
// kJvsStaleWindowMs is kept in slices of kStaleSliceMs of bus time, each
// with every node's exchanges while the switches read stale in it (good
// answers and spoiled ones, those that noise spoiled) and the bytes outside
// frames read meanwhile: however many stretches end within the window, what
// is weighed is the stale time inside it. Of the oldest slice, which the
// window's start cuts, the part that has left the window counts out (the
// time weighed is short by less than a slice, never over). Slices go by
// differences of the bus clock only, so its wrap-around costs nothing.
constexpr uint32_t kStaleSliceMs = 100;
constexpr int kStaleSlices = int(kJvsStaleWindowMs / kStaleSliceMs) + 1;
struct StaleSlice {
  uint32_t staleMs = 0;
  uint16_t good[kJvsMaxNodes] = {}, spoiled[kJvsMaxNodes] = {};
  uint32_t byNoise = 0, stray = 0;
};
// What the exchanges met while the switches read stale, over a window.
struct StaleSum {
  uint32_t ms = 0;
  uint32_t good[kJvsMaxNodes] = {}, spoiled[kJvsMaxNodes] = {};
  uint32_t byNoise = 0, stray = 0;
  void Add(const StaleSlice& s) {
    for (int n = 0; n < kJvsMaxNodes; ++n) {
      good[n] += s.good[n];
      spoiled[n] += s.spoiled[n];
    }
    byNoise += s.byNoise;
    stray += s.stray;
  }
};
struct StaleWatch {
  int32_t node = 0;  // 0: no switches watched
  // Whether a cycle asked for the switches since their last fresh read
  // was handed on, and when it began; the last fresh read handed on (or
  // the bus coming up).
  bool due = false;
  uint32_t dueAt = 0, freshAt = 0;
  // A fresh read in the cycle under way: the user gets it when the cycle
  // ends.
  bool read = false;
  uint32_t readAt = 0;
  // The switches' last report (a node busy may answer them with report 4
  // for good, which reads nothing).
  uint8_t report = kJvsReportNormal;
  // The stretch read stale under way, where one is: since when. Its time
  // goes into the slices when it ends.
  bool open = false;
  uint32_t openFrom = 0;
  // Whether the cycles ask for the switches now (a cycle runs or is asked
  // for), and from when the time counts; when the last cycle ended. The
  // time from a cycle's end to the next counts only up to kJvsCycleMs: a
  // game asks far more often, and one that asks for no cycle (its frames
  // held) has no switches read stale meanwhile.
  bool asked = false;
  uint32_t askedFrom = 0, endedAt = 0;
  // The slices, a ring: head holds the bus time from headFrom on; the
  // stale time they hold.
  StaleSlice slices[kStaleSlices];
  int head = 0;
  uint32_t headFrom = 0;
  uint32_t total = 0;
  uint32_t strayAt = 0;  // the count of bytes outside frames at the last exchange

  // Watches the node's switches afresh from now.
  void Start(int32_t watched, uint32_t now) {
    node = watched;
    due = read = open = asked = false;
    freshAt = endedAt = now;
    report = kJvsReportNormal;
    for (StaleSlice& s : slices) s = StaleSlice{};
    head = 0;
    headFrom = now;
    total = 0;
    strayAt = JvsGetStrayByteCount();
  }
  // Moves the ring up to now: the slices that leave the window are cleared
  // for the time that comes.
  void Advance(uint32_t now) {
    const uint32_t steps = (now - headFrom) / kStaleSliceMs;
    if (steps == 0) return;
    if (steps >= uint32_t(kStaleSlices)) {
      for (StaleSlice& s : slices) s = StaleSlice{};
      total = 0;
    } else {
      for (uint32_t i = 0; i < steps; ++i) {
        head = (head + 1) % kStaleSlices;
        total -= slices[head].staleMs;
        slices[head] = StaleSlice{};
      }
    }
    headFrom += steps * kStaleSliceMs;
  }
  // How many slices before the head holds time t (at or before the head's
  // end); kStaleSlices or more: left the window.
  uint32_t Back(uint32_t t) const {
    return int32_t(t - headFrom) >= 0 ? 0 : (headFrom - t + kStaleSliceMs - 1) / kStaleSliceMs;
  }
  StaleSlice& Slice(uint32_t back) { return slices[(head + kStaleSlices - int(back)) % kStaleSlices]; }
  // Puts the stale time from..to (to: now) into the slices.
  void AddStale(uint32_t from, uint32_t to) {
    Advance(to);
    const uint32_t span = uint32_t(kStaleSlices) * kStaleSliceMs;
    if (to - from > span) from = to - span;
    while (from != to) {
      const uint32_t back = Back(from);
      const uint32_t sliceEnd = headFrom - back * kStaleSliceMs + kStaleSliceMs;
      const uint32_t end = to - from < sliceEnd - from ? to : sliceEnd;
      if (back < uint32_t(kStaleSlices)) {
        Slice(back).staleMs += end - from;
        total += end - from;
      }
      from = end;
    }
  }
  // Opens the stretch read stale where one has begun by now.
  void Look(uint32_t now) {
    if (open || !due || !asked) return;
    const uint32_t after = freshAt + kJvsStopBoundMs;
    uint32_t from = int32_t(dueAt - after) > 0 ? dueAt : after;
    if (int32_t(askedFrom - from) > 0) from = askedFrom;
    if (int32_t(now - from) <= 0) return;
    open = true;
    openFrom = from;
  }
  // A cycle is asked for, or begins: the time counts again, from the last
  // cycle's end or at most kJvsCycleMs back.
  void Asked(uint32_t now) {
    if (asked) return;
    asked = true;
    askedFrom = now - std::min(now - endedAt, kJvsCycleMs);
  }
  // A cycle ended (what it read handed on): the stretch under way is put in
  // the slices, and its time stops until a cycle is asked for again.
  void Ended(uint32_t now) {
    Look(now);
    Close(now);
    asked = false;
    endedAt = now;
  }
  void Close(uint32_t now) {
    if (!open) return;
    AddStale(openFrom, now);
    open = false;
  }
  // An exchange with a node (good, or spoiled: by noise or not) ended now:
  // counted where the switches read stale, with the bytes outside frames
  // read since the last.
  void Exchange(int32_t with, bool good, bool byNoise, uint32_t now) {
    const uint32_t stray = JvsGetStrayByteCount();
    const uint32_t strayNew = stray - std::exchange(strayAt, stray);
    Look(now);
    if (!open || with < 0 || with >= kJvsMaxNodes) return;
    Advance(now);
    StaleSlice& s = slices[head];
    uint16_t& count = good ? s.good[with] : s.spoiled[with];
    count = static_cast<uint16_t>(std::min(0xFFFF, count + 1));
    if (!good && byNoise) ++s.byNoise;
    s.stray += strayNew;
  }
  // The stale time of the window that ends now, the stretch under way
  // included.
  uint32_t StaleMs(uint32_t now) {
    Advance(now);
    Look(now);
    // The oldest slice begins before the window by as much as the head
    // has run.
    const uint32_t oldest = Slice(kStaleSlices - 1).staleMs;
    uint32_t ms = total - std::min(oldest, now - headFrom);
    if (open) ms += std::min(now - openFrom, kJvsStaleWindowMs);
    return std::min(ms, kJvsStaleWindowMs);
  }
  // The same, and what the exchanges met in the window.
  StaleSum Window(uint32_t now) {
    StaleSum sum;
    sum.ms = StaleMs(now);
    for (const StaleSlice& s : slices) sum.Add(s);
    return sum;
  }
};

struct Master {
  std::atomic<uint32_t> opened{0};
  std::atomic<uint32_t> stop{0};
  bool stepped = false;  // for the next open
  bool threadless = false;  // this open
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
  uint64_t heldTold = 0;     // nodes whose held decreases were told
  uint64_t strayTold = 0;    // nodes (bit 32: the broadcast) whose stray bytes were told
  uint64_t reportTold = 0;   // nodes whose switch report other than normal was told
  // The line's noise: whether a run of it is under way (until a wait for a
  // quiet line finds the line quiet again), whether it was told since the
  // open and when, and the runs since it was last told. Told at most once
  // every kJvsNoiseToldMs.
  bool noiseRun = false;
  bool noiseTold = false;
  uint32_t noiseToldAt = 0;
  uint32_t noiseRuns = 0;
  // Whether the exchange just ended was spoiled by noise on the line: its
  // frame went out after a wait for a quiet line that ran out, or the
  // receive met noise before what decided it (JvsLastReceiveMetNoise; a
  // frame to the master that answers nothing is noise only on a line that
  // never went quiet).
  bool byNoise = false;
  // Whether the last exchange counted as spoiled was spoiled by noise.
  bool lastByNoise = false;
  // By slot: every exchange spoiled since the node's last good answer
  // (kJvsNoAnswerMs); the broadcast's slot holds those of a bring-up since
  // its last good answer.
  SpoiledRun dry[kJvsQueueSlots];
  // By slot: the bus clock at the node's last good answer (or the bus
  // coming up).
  std::atomic<uint32_t> goodAt[kJvsQueueSlots] = {};
  bool bringingUp = false;
  // Whether the addresses of this bring-up were given out while noise was
  // on the line: the nodes counted must answer their identity.
  bool addressedOnNoise = false;
  // By node: a decrease whose fate is open.
  OpenFate open[kJvsMaxNodes];
  // By node: whether its switches were read since the bus came up, and the
  // bus clock then.
  std::atomic<bool> switchesRead[kJvsMaxNodes] = {};
  std::atomic<uint32_t> switchesAt[kJvsMaxNodes] = {};
  // The switches the user reads: the node it names (taken at each cycle's
  // start), and how they stand to the stale reads' bound.
  std::atomic<int32_t> watchNode{0};
  StaleWatch watch;
  BoardHabit habit = BoardHabit::kUnknown;
  // Nodes seen to send a true copy of their last reply right after
  // answering a request to send it again with status 3: they do not keep a
  // status 3 as their last reply.
  uint64_t copiesAfterStatusThree = 0;
  // Nodes that answered a request to send their last reply again with
  // something else than a reply of theirs: they cannot tell a request's
  // fate, and are not asked.
  uint64_t cannotSendAgain = 0;
  Known known[kJvsQueueSlots];
  // By slot: the node's exchanges spoiled in a row (those that noise
  // spoiled aside).
  SpoiledRun run[kJvsQueueSlots];
  bool timed = false;       // a step (setting and cycle, or identifying) is under way...
  uint32_t workUntil = 0;   // ...and has its tries until then (bus clock)
  // The first node of the next cycle's first round: the first a cycle cut
  // short did not reach.
  int32_t cycleFrom = 0;
  // Nodes whose queue the cycle under way writes without its decreases.
  uint64_t withoutEffects = 0;
  // Kept across closes and opens: what settles a decrease after the bus
  // stopped or was opened again.
  uint16_t lastCount[kJvsMaxNodes][4] = {};
  Unsettled unsettled[kJvsMaxNodes];
  // The standard layer.
  JvsNodeState std[kJvsMaxNodes] = {};
  int32_t copied = 0;
  bool tableCopied = false;
  // A close under way (its first wait began) and the bus time its waits
  // end by.
  bool closing = false;
  uint32_t closeUntil = 0;
};

Master& M() {
  static Master m;
  return m;
}

int SlotOf(uint8_t node) { return node >= kJvsQueueSlots - 1 ? kJvsQueueSlots - 1 : node; }

int32_t GetState() {
  Master& m = M();
  std::lock_guard<std::mutex> g(m.lock);
  return m.state;
}

void SetState(int32_t s) {
  Master& m = M();
  std::lock_guard<std::mutex> g(m.lock);
  m.state = s;
}

// One line on standard error, written whole.
void Tell(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Tell(const char* format, ...) {
  // Room for a stop line that names every kind of spoiled exchange.
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  std::fprintf(stderr, "jvs bus: %s\n", text);
}

Request FromQueue(uint8_t node) {
  Request r;
  r.node = node;
  size_t length = 0;
  for (uint32_t i = 0; const uint8_t* c = JvsGetQueuedCommand(node, i, &length); ++i) r.Add(c, length);
  return r;
}

Request Single(uint8_t node, const uint8_t* c, size_t length) {
  Request r;
  r.node = node;
  r.Add(c, length);
  return r;
}

// Whether a command takes effect once on the node: a coin decrease, or a
// setting of node 0.
bool TakesEffect(uint8_t node, uint8_t cmd) {
  return node == 0 ? cmd == kJvsBoardApplySetting || cmd == kJvsBoardSetValue
                   : node != kJvsBroadcast && cmd == kJvsCmdCoinDecrease;
}

bool AnyEffect(const Request& r) {
  size_t length = 0;
  for (uint32_t i = 0; const uint8_t* c = r.Command(i, &length); ++i)
    if (length > 0 && TakesEffect(r.node, c[0])) return true;
  return false;
}

// The frame without its commands that take effect.
Request WithoutEffects(const Request& r) {
  Request out;
  out.node = r.node;
  size_t length = 0;
  for (uint32_t i = 0; const uint8_t* c = r.Command(i, &length); ++i)
    if (length == 0 || !TakesEffect(r.node, c[0])) out.Add(c, length);
  return out;
}

// The bytes one command's report takes in a reply (the report byte
// included) when its report byte is r[0]: 0 when the command's report cannot
// be sized here, -1 when the byte cannot begin a report. A report other
// than normal is the report byte alone. A report that ends with a zero
// (identity, features) whose zero is not among the left bytes runs past
// them (left + 1).
int ReportSize(uint8_t node, const uint8_t* c, size_t clen, const uint8_t* r, size_t left) {
  const uint8_t report = r[0];
  if (report == 0 || report > kJvsReportLast) return -1;
  if (report != kJvsReportNormal) return 1;
  if (node == 0) {
    switch (c[0]) {
      case kJvsBoardStatus:
        return 3;
      case 2:
      case 6:
      case 8:
        return 2;
      case 0:
      case 3:
      case kJvsBoardApplySetting:
      case kJvsBoardSetValue:
      case 7:
        return 1;
      default:
        return 0;
    }
  }
  switch (c[0]) {
    case kJvsCmdIdentity: {  // identity text up to its terminating zero
      const void* end = left > 1 ? std::memchr(r + 1, 0, left - 1) : nullptr;
      return end ? static_cast<int>(static_cast<const uint8_t*>(end) - r) + 1 : static_cast<int>(left) + 1;
    }
    case kJvsCmdCommandRevision:
    case kJvsCmdJvsRevision:
    case kJvsCmdCommVersion:
      return 2;
    case kJvsCmdFeatures:  // groups of four up to the end code 0
      for (size_t k = 1; k < left; k += 4)
        if (r[k] == 0) return static_cast<int>(k) + 1;
      return static_cast<int>(left) + 1;
    case kJvsCmdSwitches:
      return clen < 3 ? -1 : 2 + int{c[1]} * int{c[2]};
    case kJvsCmdCoins:
      return clen < 2 ? -1 : 1 + 2 * int{c[1]};
    case kJvsCmdAccessorySwitches:
      return clen < 2 ? -1 : 1 + int{c[1]};
    case kJvsCmdCoinDecrease:
    case kJvsCmdOutputs:
    case kJvsCmdSetAddress:
      return 1;
    default:
      return 0;
  }
}

// How a status 1 reply's bytes stand against the request's reports: they
// break the layout somewhere; they end before the last report does (a
// beginning of an answer); or every report is there (*used: the bytes they
// take, status included; bytes after them are no report).
enum class Layout { kBroken, kBeginning, kWhole };
Layout ParseReports(const Request& r, const uint8_t* reply, size_t length, size_t* used) {
  size_t p = 1;
  size_t clen = 0;
  for (uint32_t i = 0; const uint8_t* c = r.Command(i, &clen); ++i) {
    if (clen == 0) continue;
    if (p >= length) return Layout::kBeginning;
    const int s = ReportSize(r.node, c, clen, reply + p, length - p);
    if (s < 0) return Layout::kBroken;
    if (s == 0) {
      *used = length;
      return Layout::kWhole;
    }
    if (p + size_t(s) > length) return Layout::kBeginning;
    p += size_t(s);
  }
  *used = p;
  return Layout::kWhole;
}

// The request's first command alone.
Request FirstCommand(const Request& r) {
  Request out;
  out.node = r.node;
  size_t length = 0;
  for (uint32_t i = 0; const uint8_t* c = r.Command(i, &length); ++i) {
    if (length == 0) continue;
    out.Add(c, length);
    break;
  }
  return out;
}

// Whether a status 1 reply to node 0 holds its first command's report and
// nothing after it: node 0 may answer a frame of several commands so.
bool FirstReportOnly(const Request& r, const uint8_t* reply, size_t length) {
  size_t used = 0;
  return r.node == 0 && r.count > 1 && ParseReports(FirstCommand(r), reply, length, &used) == Layout::kWhole &&
         used == length;
}

// The bytes of a reply that answer the request, 0 when it cannot answer it
// (JvsReplyAnswersQueue).
size_t ReplyFits(const void* request, const uint8_t* reply, size_t length) {
  if (length == 0 || reply[0] != kJvsStatusNormal) return 0;
  const Request& r = *static_cast<const Request*>(request);
  size_t used = 0;
  if (ParseReports(r, reply, length, &used) == Layout::kWhole) return used;
  return FirstReportOnly(r, reply, length) ? length : 0;
}

void LearnHabit(const Request& r, const uint8_t* reply, size_t length) {
  if (r.node != 0 || r.count < 2 || length == 0 || reply[0] != kJvsStatusNormal) return;
  size_t used = 0;
  if (ParseReports(r, reply, length, &used) == Layout::kWhole)
    M().habit = BoardHabit::kAnswersAll;
  else if (FirstReportOnly(r, reply, length))
    M().habit = BoardHabit::kAnswersFirst;
}

// Whether the frame could be the normal answer to the request, as sent or
// with bytes added after its reports (*used: the bytes of the reports).
bool CarriesAnswer(const Request& r, const uint8_t* reply, size_t length, size_t* used) {
  return length > 0 && reply[0] == kJvsStatusNormal && ParseReports(r, reply, length, used) == Layout::kWhole;
}

// Whether the node's last reply, sent again with or without bytes added,
// could be read as the normal answer to the request, or that answer with
// bytes added could begin with it. Not when some byte of it breaks the
// answer's layout.
bool Mistakable(const Request& r, const Known& k) {
  size_t used = 0;
  return k.size == 0 || (k.data[0] == kJvsStatusNormal && ParseReports(r, k.data, k.size, &used) != Layout::kBroken);
}

// Walks the reports of a reply that answers the request: fn(command,
// command length, report, bytes the report takes). Stops at a report this
// library cannot size.
template <class Fn>
void ForEachReport(const Request& r, const uint8_t* reply, size_t length, Fn fn) {
  size_t p = 1;
  size_t clen = 0;
  for (uint32_t i = 0; const uint8_t* c = r.Command(i, &clen); ++i) {
    if (clen == 0) continue;
    if (p >= length) return;
    const int s = ReportSize(r.node, c, clen, reply + p, length - p);
    if (s <= 0 || p + size_t(s) > length) return;
    fn(c, clen, reply + p, size_t(s));
    p += size_t(s);
  }
}

// Tells, once per node, of damaged or unfitting frames.
void TellGarbage(uint8_t node) {
  Master& m = M();
  const uint64_t bit = uint64_t{1} << (node < kJvsMaxNodes ? node : kJvsMaxNodes);
  if (m.stop.load() || (m.garbageTold & bit)) return;
  m.garbageTold |= bit;
  if (node < kJvsMaxNodes)
    Tell("damaged or unfitting replies while waiting for node %d", node);
  else
    Tell("damaged or unfitting replies while giving out addresses");
}

// Tells, once per node, of bytes outside frames read while the node was
// asked (a line driver's glitch, padding after its replies): they cost
// nothing, but tell of a line or a node not quite right.
void TellStray(uint8_t node) {
  Master& m = M();
  const int slot = node < kJvsMaxNodes ? node : kJvsMaxNodes;
  const uint64_t bit = uint64_t{1} << slot;
  if (m.stop.load() || (m.strayTold & bit)) return;
  const uint32_t count = JvsGetStrayByteCount(node);
  if (count == 0) return;
  m.strayTold |= bit;
  if (node < kJvsMaxNodes)
    Tell("%u bytes outside frames on the line while node %d was asked; they are dropped", count, node);
  else
    Tell("%u bytes outside frames on the line while giving out addresses; they are dropped", count);
}

// A good answer of the node, or a spoiled exchange (by noise or not):
// counted where the switches watched read stale.
void StaleExchange(uint8_t node, bool good, bool byNoise = false) {
  M().watch.Exchange(node, good, byNoise, JvsClock().NowMs());
}

// Tells, once per node, of switches answered with a report other than
// normal: they read nothing, and the node may answer so for good (report
// 4: busy).
void TellReport(uint8_t node, uint8_t report) {
  Master& m = M();
  const uint64_t bit = uint64_t{1} << node;
  if (m.stop.load() || (m.reportTold & bit)) return;
  m.reportTold |= bit;
  Tell("node %d answered its switches with report %d%s; they are not read while it answers so", node, report,
       report == kJvsReportLast ? " (busy)" : "");
}

// The node's switches were answered: read afresh (report normal), or with
// a report that reads nothing.
void SwitchesAnswered(uint8_t node, uint8_t report) {
  Master& m = M();
  if (node == 0 || node >= kJvsMaxNodes) return;
  if (report != kJvsReportNormal) TellReport(node, report);
  StaleWatch& w = m.watch;
  if (node == w.node) w.report = report;
  if (report != kJvsReportNormal) return;
  const uint32_t now = JvsClock().NowMs();
  if (node == w.node) {
    w.read = true;
    w.readAt = now;
  }
  m.switchesAt[node] = now;
  m.switchesRead[node] = true;
}

// A cycle ended: a fresh read of the switches watched is the user's now,
// which ends the stretch they read stale, unless the read is stale already;
// their stale time stops until a cycle is asked for again.
void SwitchesHandedOn() {
  const uint32_t now = JvsClock().NowMs();
  StaleWatch& w = M().watch;
  if (w.read) {
    w.Look(now);
    w.read = w.due = false;
    w.freshAt = w.readAt;
    if (now - w.readAt <= kJvsStopBoundMs) w.Close(now);
  }
  w.Ended(now);
}

// A cycle begins: the node watched (the user may have named another, whose
// stale time starts afresh) is due a fresh read of its switches from now,
// where its queued commands read them and it was not due yet.
void SwitchesDue() {
  Master& m = M();
  const uint32_t now = JvsClock().NowMs();
  StaleWatch& w = m.watch;
  const int32_t node = m.watchNode.load();
  if (node != w.node) w.Start(node >= 1 && node < kJvsMaxNodes ? node : 0, now);
  w.Asked(now);
  if (w.node == 0 || w.node > m.nodeCount.load() || w.due) return;
  size_t length = 0;
  for (uint32_t i = 0; const uint8_t* c = JvsGetQueuedCommand(static_cast<uint8_t>(w.node), i, &length); ++i)
    if (length > 0 && c[0] == kJvsCmdSwitches) {
      w.due = true;
      w.dueAt = now;
      return;
    }
}

// What the exchanges met while the switches read stale, in words: the
// switches' report first where it was not normal (the node's own answer is
// then the cause); the nodes whose exchanges went wrong, most first, with
// those spoiled by noise; the node watched where none of its own did; the
// bytes outside frames.
std::string StaleSeen(const StaleWatch& w, const StaleSum& sum) {
  const int32_t count = std::min(M().nodeCount.load(), int32_t{kJvsMaxNodes - 1});
  std::string seen;
  auto add = [&](const std::string& part, const char* sep) {
    if (!seen.empty()) seen += sep;
    seen += part;
  };
  if (w.report != kJvsReportNormal)
    add("its switches answered with report " + std::to_string(w.report) + (w.report == kJvsReportLast ? " (busy)" : ""),
        "; ");
  bool first = true;
  uint64_t named = 0;
  for (;;) {
    int32_t most = -1;
    for (int32_t n = 0; n <= count; ++n)
      if (!(named >> n & 1) && sum.spoiled[n] > 0 && (most < 0 || sum.spoiled[n] > sum.spoiled[most])) most = n;
    if (most < 0) break;
    named |= uint64_t{1} << most;
    const std::string counts =
        std::to_string(sum.spoiled[most]) + " of " + std::to_string(sum.spoiled[most] + sum.good[most]);
    add(first ? "node " + std::to_string(most) + "'s exchanges went wrong: " + counts
              : "node " + std::to_string(most) + "'s: " + counts,
        first ? "; " : ", ");
    first = false;
  }
  if (sum.byNoise > 0) add(std::to_string(sum.byNoise) + " of them spoiled by noise on the line", ", ");
  if (!(named >> w.node & 1)) {
    const uint32_t good = sum.good[w.node];
    add(good == 0 ? "no exchange with node " + std::to_string(w.node)
                  : "node " + std::to_string(w.node) + " answered all " + std::to_string(good) + " of its exchanges well",
        "; ");
  }
  if (sum.stray > 0) add(std::to_string(sum.stray) + " bytes outside frames", "; ");
  return seen;
}

// Whether the switches watched have read stale for more than
// kJvsNoAnswerMs of the last kJvsStaleWindowMs: the bus is to stop (told,
// with that time and what the exchanges met meanwhile).
bool StaleTooLong() {
  StaleWatch& w = M().watch;
  const uint32_t now = JvsClock().NowMs();
  if (w.node == 0 || w.StaleMs(now) <= kJvsNoAnswerMs) return false;
  const StaleSum sum = w.Window(now);
  Tell("node %d's switches read stale for %u ms of the last %u ms (%s); the bus is stopped", w.node, sum.ms,
       kJvsStaleWindowMs, StaleSeen(w, sum).c_str());
  return true;
}

// Node 0's habit, from an answer that holds every report of a request of
// several commands, or only the first command's.
void LearnHabit(const Request& r, const uint8_t* reply, size_t length);

// An exchange ended with its answer: the run of spoiled exchanges is over,
// and the answer is the node's last reply. Coin counts read with a normal
// report are kept for settling a decrease; a decrease the node carried out
// takes its coins off the count kept, so that the count stands as the node
// has it even when the node's counts after it were not given (a counter
// busy just then).
void Answered(const Request& r, const uint8_t* reply, size_t length) {
  Master& m = M();
  m.run[SlotOf(r.node)] = SpoiledRun{};
  m.dry[SlotOf(r.node)] = SpoiledRun{};
  m.goodAt[SlotOf(r.node)] = JvsClock().NowMs();
  StaleExchange(r.node, true);
  LearnHabit(r, reply, length);
  Known& k = m.known[SlotOf(r.node)];
  k.valid = true;
  k.size = std::min(length, sizeof k.data);
  std::memcpy(k.data, reply, k.size);
  if (r.node == 0 || r.node >= kJvsMaxNodes || length == 0 || reply[0] != kJvsStatusNormal) return;
  ForEachReport(r, reply, length, [&](const uint8_t* c, size_t clen, const uint8_t* rep, size_t size) {
    if (rep[0] != kJvsReportNormal) return;
    if (clen >= 4 && c[0] == kJvsCmdCoinDecrease && c[1] >= 1 && c[1] <= 4) {
      uint16_t& count = m.lastCount[r.node][c[1] - 1];
      count = static_cast<uint16_t>(count - std::min<uint16_t>(count, static_cast<uint16_t>(c[2] << 8 | c[3])));
      return;
    }
    if (clen < 2 || c[0] != kJvsCmdCoins) return;
    for (size_t s = 0; s < c[1] && s < 4 && 2 + 2 * s < size; ++s)
      m.lastCount[r.node][s] = static_cast<uint16_t>((rep[1 + 2 * s] << 8 | rep[2 + 2 * s]) & kJvsCoinCountBits);
  });
}

// The nodes of a bit set in words: "node 1", "nodes 0 and 1", "nodes 0, 1
// and 2".
std::string NodeList(uint64_t nodes) {
  std::string list;
  int named = 0, total = 0;
  for (int n = 0; n < kJvsMaxNodes; ++n) total += nodes >> n & 1;
  for (int n = 0; n < kJvsMaxNodes; ++n) {
    if (!(nodes >> n & 1)) continue;
    ++named;
    if (named > 1) list += named == total ? " and " : ", ";
    list += std::to_string(n);
  }
  return (total > 1 ? "nodes " : "node ") + list;
}

// Counts a spoiled exchange in a run: what it met.
void Tally(SpoiledRun& run, uint8_t node, JvsReceipt what, const uint8_t* reply, bool byNoise) {
  if (!run.started) {
    run.started = true;
    run.strayBefore = JvsGetStrayByteCount();
    run.droppedBefore = JvsGetDroppedReplyCount();
    run.since = JvsClock().NowMs();
  }
  ++run.total;
  run.nodes |= uint64_t{1} << SlotOf(node);
  if (byNoise) ++run.byNoise;
  switch (what) {
    case JvsReceipt::kSilence:
      ++(JvsLastReceiveByteCount() > 0 ? run.strayOnly : run.silent);
      break;
    case JvsReceipt::kDamaged:
      ++run.damaged;
      break;
    case JvsReceipt::kStatusThree:
      ++run.statusThree;
      break;
    case JvsReceipt::kUnfitting:
      ++run.unfitting;
      break;
    case JvsReceipt::kUnknownStatus: {
      ++run.otherStatus;
      const std::string status = "status " + std::to_string(reply ? reply[0] : 0);
      if (run.statuses.find(status) == std::string::npos)
        run.statuses += (run.statuses.empty() ? "with " : ", ") + status;
      break;
    }
    default: {
      ++run.talking;
      const JvsNoise noise = JvsGetLastNoise();
      run.noiseBytes += noise.bytes;
      run.noiseMs += noise.ms;
      break;
    }
  }
}

// What the run's exchanges met, in words: their count and kinds, then the
// bytes outside frames read since it began (they make no wait, but a line
// full of them spoils the answers it carries) and, for a run in time, the
// frames dropped and those of its exchanges that noise spoiled. A run in
// a row names its kinds alone (its count is told beside it); a run in time
// leads with its count, and may hold no exchange (begun by resets on a line
// that carried noise, or for a node the cut cycles did not reach): none
// then says so.
std::string Seen(const SpoiledRun& run, bool inTime, const char* none = "no exchange") {
  std::string seen;
  auto add = [&](int n, const char* what) {
    if (n == 0) return;
    if (!seen.empty()) seen += ", ";
    seen += std::to_string(n) + " " + what;
  };
  add(run.silent, "silent");
  add(run.strayOnly, "with only bytes outside frames");
  add(run.damaged, "damaged");
  add(run.statusThree, "status 3 (the node saw a damaged request)");
  add(run.unfitting, "answering nothing asked");
  add(run.otherStatus, run.statuses.c_str());
  const std::string noise = "the line never went quiet: " + std::to_string(run.noiseBytes) + " bytes in " +
                            std::to_string(run.noiseMs) + " ms";
  add(run.talking, noise.c_str());
  // Every exchange counted is of a kind above: a count without kinds is
  // a run without exchanges.
  if (inTime || seen.empty())
    seen = run.total == 0 ? std::string(none)
                          : std::to_string(run.total) + " exchanges" + (seen.empty() ? "" : ": " + seen);
  if (inTime && run.byNoise > 0) seen += "; " + std::to_string(run.byNoise) + " of them spoiled by noise on the line";
  if (const uint32_t stray = JvsGetStrayByteCount() - run.strayBefore; stray > 0)
    seen += "; " + std::to_string(stray) + " bytes outside frames";
  if (inTime) seen += "; " + std::to_string(JvsGetDroppedReplyCount() - run.droppedBefore) + " frames dropped";
  return seen;
}

// Starts the run in time of the slot at since, where it has not begun:
// resets written on a line that carries noise, or a node the cut cycles did
// not reach since its last good answer.
void StartDry(uint8_t node, uint32_t since) {
  SpoiledRun& run = M().dry[SlotOf(node)];
  if (run.started) return;
  run.started = true;
  run.strayBefore = JvsGetStrayByteCount();
  run.droppedBefore = JvsGetDroppedReplyCount();
  run.since = since;
}

// Whether the slot's run in time has lasted kJvsNoAnswerMs: the bus is to
// stop (told).
bool TooLongDry(uint8_t node) {
  const SpoiledRun& run = M().dry[SlotOf(node)];
  const uint32_t ms = JvsClock().NowMs() - run.since;
  if (!run.started || ms < kJvsNoAnswerMs) return false;
  const std::string seen =
      Seen(run, true, node < kJvsMaxNodes ? "no exchange reached the node" : "no exchange since the resets");
  if (node < kJvsMaxNodes)
    Tell("no good answer from node %d in %u ms (%s); the bus is stopped", node, ms, seen.c_str());
  else
    Tell("the bus did not come up: no good answer in %u ms (%s); the bus is stopped", ms, seen.c_str());
  return true;
}

// Whether some run in time has lasted kJvsNoAnswerMs, the node's first:
// the bus is to stop (told). Every run is looked at: a node whose exchanges
// the cycles cut short do not reach goes without a good answer too. So is
// the time the switches watched read stale (StaleTooLong): a lone good
// answer ends a run, not the stale reads.
bool AnyTooLongDry(uint8_t node) {
  if (TooLongDry(node) || StaleTooLong()) return true;
  for (int slot = 0; slot < kJvsQueueSlots; ++slot)
    if (slot != SlotOf(node) && TooLongDry(static_cast<uint8_t>(slot < kJvsMaxNodes ? slot : kJvsBroadcast)))
      return true;
  return false;
}

// Counts a spoiled exchange in the runs in time (the node's; in a
// bring-up, the bring-up's too). False when one has lasted kJvsNoAnswerMs
// (told).
bool CountDry(uint8_t node, JvsReceipt what, const uint8_t* reply, bool byNoise) {
  Master& m = M();
  const uint8_t bringUp = kJvsBroadcast;
  Tally(m.dry[SlotOf(node)], node, what, reply, byNoise);
  if (m.bringingUp && SlotOf(node) != SlotOf(bringUp)) Tally(m.dry[SlotOf(bringUp)], node, what, reply, byNoise);
  return !AnyTooLongDry(node);
}

// An exchange went wrong: counted in the runs of spoiled exchanges. False
// when the bus is to stop (told): the run in a row reached kJvsMaxSpoiled
// (unless the caller has a way on without a further exchange: atLimit), the
// node has given no good answer for kJvsNoAnswerMs, or the port was closed.
// A frame of a status the exchange cannot use (0, 2, 4, 5 and up: one
// formed by noise reads so too) is one spoiled exchange like any other.
// Bytes outside frames it met are told where the bus goes on (TellStray):
// a line that stops tells them in its stop line.
bool Failed(uint8_t node, JvsReceipt what, const uint8_t* reply, bool* atLimit = nullptr) {
  Master& m = M();
  m.known[SlotOf(node)].valid = false;
  if (what == JvsReceipt::kClosed || m.stop.load()) return false;
  // Noise on the line spoils what it meets, however sound the exchange
  // (also where it forms a frame of its own with a right sum): it counts
  // in no run in a row and ends none; only the time without a good answer
  // bounds it.
  const bool noise = std::exchange(m.byNoise, false);
  m.lastByNoise = noise;
  StaleExchange(node, false, noise);
  if (!CountDry(node, what, reply, noise)) return false;
  if (noise) {
    if (SpoiledRun& run = m.run[SlotOf(node)]; run.started) ++run.noiseBetween;
  } else {
    if (what == JvsReceipt::kDamaged || what == JvsReceipt::kUnfitting || what == JvsReceipt::kUnknownStatus)
      TellGarbage(node);
    // The node's own run: six of its exchanges in a row, whatever the
    // other nodes' turns between them (their good answers end no run of
    // it; the bus's fault is a node's receive failing, not several nodes
    // each failing now and then).
    SpoiledRun& run = m.run[SlotOf(node)];
    Tally(run, node, what, reply, false);
    if (run.total >= kJvsMaxSpoiled && !atLimit) {
      const std::string seen = Seen(run, false);
      // Exchanges that noise spoiled between them make them no row.
      const std::string row = run.noiseBetween == 0 ? "in a row"
                                                    : "on a quiet line, " + std::to_string(run.noiseBetween) +
                                                          " spoiled by noise between them";
      if (run.nodes >> kJvsMaxNodes)
        Tell("no good answer in %d exchanges %s (%s); the bus is stopped", run.total, row.c_str(), seen.c_str());
      else
        Tell("no good answer from %s in %d exchanges %s (%s); the bus is stopped", NodeList(run.nodes).c_str(),
             run.total, row.c_str(), seen.c_str());
      return false;
    }
    if (run.total >= kJvsMaxSpoiled) *atLimit = true;
  }
  TellStray(node);
  return true;
}

// What a write that did not go out means: the port was closed, or the frame
// was too long to write.
JvsReceipt NotSent() { return M().stop.load() ? JvsReceipt::kClosed : JvsReceipt::kTalking; }

// A frame went out: on a line that carries noise, or on a quiet one. Each
// run of noise is counted; the first is told, and then at most one line
// every kJvsNoiseToldMs, with the runs since the last.
void Wrote() {
  Master& m = M();
  if (!JvsLineNoisy()) m.noiseRun = false;
  if (!JvsLastWriteOnNoise() || m.noiseRun) return;
  m.noiseRun = true;
  ++m.noiseRuns;
  const uint32_t now = JvsClock().NowMs();
  if (m.noiseTold && now - m.noiseToldAt < kJvsNoiseToldMs) return;
  const JvsNoise noise = JvsGetLastNoise();
  if (m.noiseRuns > 1)
    Tell("the line did not go quiet (%u bytes in %u ms; %u runs of noise since this was last told); frames go out "
         "on it all the same",
         noise.bytes, noise.ms, m.noiseRuns);
  else
    Tell("the line did not go quiet (%u bytes in %u ms); frames go out on it all the same", noise.bytes, noise.ms);
  m.noiseTold = true;
  m.noiseToldAt = now;
  m.noiseRuns = 0;
}

// What answers a frame just written; whether noise spoiled it is kept for
// Failed: the frame went out on a line that carried noise, or noise came
// before what decided the receive (bytes outside frames, a frame a sync
// byte cut, or a line that never went quiet), or a frame decided it (one
// that answers nothing, a wrong sum, status 3, a status the exchange cannot
// use) and the line carried more after it: the wait for a quiet line that
// the next write makes anyway is made here, and one that runs out, or that
// drops frames to the master nobody asked for, says the frame came with
// noise, whether or not the request went out after a wait (after another
// node's good answer it goes out at once). The one frame the wait drops,
// where it is byte for byte the frame that decided, is the node's own copy
// of it (a node that sends each frame twice), no noise: the exchange is one
// of the node's own.
JvsReceipt Receive(uint8_t* buf, int* n, JvsReplyCheck check, const void* checkWith) {
  Wrote();
  const JvsReceipt got = JvsReceiveAnswer(buf, kJvsReplyBuffer, n, check, checkWith);
  bool noise = got != JvsReceipt::kAnswer &&
               (JvsLastWriteOnNoise() || (got != JvsReceipt::kUnfitting && JvsLastReceiveMetNoise()));
  const bool framed = got == JvsReceipt::kUnfitting || got == JvsReceipt::kDamaged ||
                      got == JvsReceipt::kStatusThree || got == JvsReceipt::kUnknownStatus;
  const uint32_t dropped = JvsGetDroppedReplyCount(), copies = JvsGetDroppedCopyCount();
  if (!noise && framed && JvsSettleLine()) {
    const uint32_t frames = JvsGetDroppedReplyCount() - dropped;
    const bool ownCopy = frames == 1 && JvsGetDroppedCopyCount() - copies == 1;
    noise = JvsLineNoisy() || (frames != 0 && !ownCopy);
  }
  M().byNoise = noise;
  return got;
}

// Writes the request on a quiet line and reads what answers it.
JvsReceipt Exchange(const Request& r, uint8_t* buf, int* n, JvsReplyCheck check, const void* checkWith) {
  M().byNoise = false;
  if (JvsSendBytes(r.node, r.bytes, r.Size()) <= 0) return NotSent();
  const JvsReceipt got = Receive(buf, n, check, checkWith);
  // Told with the answer; an exchange that went wrong tells them in Failed.
  if (got == JvsReceipt::kAnswer) TellStray(r.node);
  return got;
}

// Outcomes of a request, besides an answer's length.
enum : int {
  kStopped = -1,       // the bus is to stop, or was closed
  kHeld = -2,          // not sent: no reply of the node can tell its fate
  kCounterTells = -3,  // a decrease whose fate the node's counter will tell
  kFateUnknown = -4,   // a setting whose fate the node could not tell
  kCutShort = -5,      // not carried out, and the piece of work's time is up
  kFateOpen = -6,      // a decrease whose fate the node's copy is to tell once the noise lets it
  kDeferred = -7,      // an exchange went wrong: the node is asked again after the others' turns
};

// Whether the piece of work under way (a step: its setting step and its
// cycle together) has spent its kJvsCycleMs. Spoiled exchanges that noise made count toward no stop,
// so only this time ends the tries on a line that never goes quiet; the run
// of spoiled exchanges goes on across the cut.
bool OutOfTime() {
  const Master& m = M();
  return m.timed && int32_t(JvsClock().NowMs() - m.workUntil) >= 0;
}

void StartWork() {
  Master& m = M();
  m.timed = true;
  m.workUntil = JvsClock().NowMs() + kJvsCycleMs;
}

// A request that has no effect on the node, written again whole until it is
// answered. The answer's length, or kStopped when the bus is to stop (told)
// or was closed, or kCutShort when the work's time is up or, with atLimit,
// where the run of spoiled exchanges would stop the bus (not told), or,
// with defer (other nodes wait for their turn), kDeferred after an exchange
// that went wrong.
int Transact(const Request& r, uint8_t* buf, bool* atLimit = nullptr, bool defer = false) {
  for (;;) {
    int n = 0;
    const JvsReceipt got = Exchange(r, buf, &n, &ReplyFits, &r);
    if (got == JvsReceipt::kAnswer) {
      Answered(r, buf, size_t(n));
      return n;
    }
    if (!Failed(r.node, got, buf, atLimit)) return kStopped;
    if ((atLimit && *atLimit) || OutOfTime()) return kCutShort;
    if (defer) return kDeferred;
  }
}

// The request before one that takes effect once, when the node's last reply
// could be read as its answer: a request without effect whose answer
// usually breaks that answer's layout. For node 0, its status command
// twice: the answer's layout also tells whether node 0 answers every
// command of a frame or only the first.
Request Marker(uint8_t node) {
  static const uint8_t kIdentity = kJvsCmdIdentity;
  if (node != 0) return Single(node, &kIdentity, 1);
  Request r = Single(0, kJvsBoardStatusPoll, sizeof kJvsBoardStatusPoll);
  r.Add(kJvsBoardStatusPoll, sizeof kJvsBoardStatusPoll);
  return r;
}

// A decrease sent whose fate the node could not tell: its counter will.
void MarkUnsettled(const Request& r) {
  Master& m = M();
  if (r.node == 0 || r.node >= kJvsMaxNodes) return;
  Unsettled& u = m.unsettled[r.node];
  size_t length = 0;
  for (uint32_t i = 0; const uint8_t* c = r.Command(i, &length); ++i) {
    if (length < 4 || c[0] != kJvsCmdCoinDecrease || c[1] < 1 || c[1] > 4) continue;
    const int s = c[1] - 1;
    if (!u.active) u.before[s] = m.lastCount[r.node][s];
    u.amount[s] = static_cast<uint16_t>(c[2] << 8 | c[3]);
  }
  u.active = true;
}

// The copy of the node's last reply asked for after a request that takes
// effect once: the last reply before the request (it was not carried out),
// or the request's answer (it was).
struct CopyCheck {
  const Request* request;
  const Known* before;
};
size_t CopyFits(const void* with, const uint8_t* reply, size_t length) {
  const CopyCheck& c = *static_cast<const CopyCheck*>(with);
  size_t used = 0;
  if (length >= c.before->size && std::memcmp(reply, c.before->data, c.before->size) == 0) return length;
  if (CarriesAnswer(*c.request, reply, length, &used)) return length;
  // The node refuses the request to send again: status 2 (it does not have
  // the command) or 4, or a report of its own for it (a report byte other
  // than normal, alone).
  if (reply[0] == kJvsStatusUnsupported || reply[0] == kJvsStatusOverflow) return length;
  return length == 2 && reply[0] == kJvsStatusNormal && reply[1] != kJvsReportNormal ? length : 0;
}

// Whether a frame that answers a request to send the last reply again is
// the node's last reply before the request, sent again as it was or with
// bytes added.
bool CopyOfBefore(const Known& before, const uint8_t* reply, size_t length) {
  return reply[0] == kJvsStatusNormal && length >= before.size && std::memcmp(reply, before.data, before.size) == 0;
}

// Where the node cannot tell whether the request was carried out: a
// decrease is settled by the node's counter, a setting given up.
int CannotTell(const Request& r) {
  if (r.node == 0) return kFateUnknown;
  MarkUnsettled(r);
  return kCounterTells;
}

// The step's time is up with the request's fate unknown. Where noise on the
// line spoiled the last exchange, a decrease's fate stays open, to be asked
// of the node at its next turn (its copy still tells once the noise lets
// it); else the node cannot tell.
int FateUnknownInTime(const Request& r, const Known& before, int statusThrees, bool afterStatusThree) {
  Master& m = M();
  if (r.node == 0 || r.node >= kJvsMaxNodes || !m.lastByNoise) return CannotTell(r);
  m.open[r.node] = OpenFate{true, r, before, statusThrees, afterStatusThree, false, true};
  return kFateOpen;
}

// The fate of a request that takes effect once, still to be asked after an
// exchange that went wrong, put by till the node's next turn in the cycle:
// the other nodes still to be done have theirs first. How the asking stood
// goes with it, and whether noise spoiled the exchange.
int DeferFate(const Request& r, const Known& before, int statusThrees, bool afterStatusThree) {
  Master& m = M();
  m.open[r.node] = OpenFate{true, r, before, statusThrees, afterStatusThree, true, m.lastByNoise};
  return kDeferred;
}

// The cycle ends with fates put by: as where a turn's time is up, each stays
// open where noise spoiled its last exchange, else the node's counter
// settles it.
void EndDeferredFates() {
  for (OpenFate& f : M().open) {
    if (!f.active || !f.deferred) continue;
    f.deferred = false;
    if (f.byNoise) continue;
    MarkUnsettled(f.request);
    f.active = false;
  }
}

// Open fates go to the nodes' counters: the bus stopped, or comes up again.
void FatesToCounters() {
  for (OpenFate& f : M().open) {
    if (f.active) MarkUnsettled(f.request);
    f.active = false;
  }
}

// Asks the node for its last reply after an exchange of the request went
// wrong. 0: the request was not carried out; a length: its answer, in buf;
// or an outcome above. It asks again while the answers go wrong, up to the
// run of spoiled exchanges that stops the bus; there the node's counter
// settles a decrease instead (at the poll that follows at once), and a
// setting is given up: a node that answers is better read on than stopped.
// So too, at once, where the node answers with something else than a reply
// of its own (status 2: it does not have the command; a report of its own
// for it; status 4): it cannot send its replies again, and is not asked
// again until the bus comes up again. A node silent to the request cannot
// be told from a line that lost it, and is asked again the next time.
// A fate left open goes on from how it stood (statusThrees,
// afterStatusThree); kFateOpen where it stays open. With defer (other nodes
// wait for their turn), an answer that went wrong puts the fate by
// (kDeferred) where the time is not up.
int LearnFate(const Request& r, const Known& before, uint8_t* buf, int statusThrees = 0,
              bool afterStatusThree = false, bool defer = false) {
  Master& m = M();
  const uint64_t bit = uint64_t{1} << SlotOf(r.node);
  const CopyCheck with{&r, &before};
  for (;;) {
    int n = 0;
    m.byNoise = false;
    const JvsReceipt got =
        JvsSendRetransmitRequest(r.node) <= 0 ? NotSent() : Receive(buf, &n, &CopyFits, &with);
    if (got == JvsReceipt::kAnswer) {
      TellStray(r.node);
      size_t used = 0;
      const bool last = CopyOfBefore(before, buf, size_t(n));
      if (!last && !CarriesAnswer(r, buf, size_t(n), &used)) {
        m.cannotSendAgain |= bit;
        Tell("node %d does not send its last reply again (it answered the request for it with status %d%s); it is "
             "not asked for it again",
             r.node, buf[0], buf[0] == kJvsStatusNormal ? " and a report of its own" : "");
        return CannotTell(r);
      }
      if (afterStatusThree) m.copiesAfterStatusThree |= bit;
      if (last) {
        // The node's last reply is still the one before: the request never
        // reached it whole. The copy answers no request of the node's own:
        // the run of the request's spoiled exchanges goes on, so that a
        // request that never arrives whole stops the bus as any other.
        m.known[SlotOf(r.node)] = before;
        return 0;
      }
      Answered(r, buf, used);
      return static_cast<int>(used);
    }
    bool atLimit = false;
    if (!Failed(r.node, got, buf, &atLimit)) {
      MarkUnsettled(r);
      return kStopped;
    }
    if (atLimit) return CannotTell(r);
    // A status 3 says the request to send again came damaged; a node that
    // keeps a status 3 as its last reply says so for ever after. Twice, and
    // the node is taken to know no more, unless it was seen to send a true
    // copy after a status 3 before.
    afterStatusThree = got == JvsReceipt::kStatusThree;
    if (afterStatusThree && ++statusThrees >= 2 && !(m.copiesAfterStatusThree & bit)) return CannotTell(r);
    if (OutOfTime()) return FateUnknownInTime(r, before, statusThrees, afterStatusThree);
    if (defer) return DeferFate(r, before, statusThrees, afterStatusThree);
  }
}

// A request that takes effect once. It goes out only when the node's last
// reply tells its fate; after an exchange that went wrong it is written
// again only once the node said it was not carried out. The answer's length
// (the answer in buf, asked again or not), or an outcome above. With defer
// (other nodes wait for their turn), kDeferred after an exchange that went
// wrong: the fate of one that may have been carried out is put by
// (DeferFate).
int TransactOnce(const Request& r, uint8_t* buf, bool defer = false) {
  Master& m = M();
  Known& k = m.known[SlotOf(r.node)];
  // Whether the node's last reply can tell the request's fate, should its
  // exchange go wrong. Learnt once, before the request's first write: the
  // marker's answer would end the run of the request's spoiled exchanges,
  // and a request that never arrives whole would go out for ever. A node
  // that cannot send its replies again can tell nothing: nothing goes first.
  bool telling = !(m.cannotSendAgain & (uint64_t{1} << SlotOf(r.node)));
  if (telling && (!k.valid || Mistakable(r, k))) {
    if (const int n = Transact(Marker(r.node), buf, nullptr, defer); n < 0) return n;
    if (Mistakable(r, k)) {
      // A decrease waits; node 0's setting goes out all the same, and is
      // given up should its exchange go wrong.
      if (r.node != 0) return kHeld;
      telling = false;
    }
  }
  for (;;) {
    // The node's last reply is this again after an exchange that says the
    // request was not carried out.
    const Known before = k;
    int n = 0;
    const JvsReceipt got = Exchange(r, buf, &n, &ReplyFits, &r);
    if (got == JvsReceipt::kAnswer) {
      Answered(r, buf, size_t(n));
      return n;
    }
    // A status 3 says the node saw the request damaged, but a node may
    // answer so after carrying it out: its fate is learnt as for any
    // exchange that went wrong.
    if (!Failed(r.node, got, buf)) {
      MarkUnsettled(r);
      return kStopped;
    }
    if (!telling) return CannotTell(r);
    if (OutOfTime()) return FateUnknownInTime(r, before, 0, false);
    if (defer && r.node != 0) return DeferFate(r, before, 0, false);
    const int fate = LearnFate(r, before, buf);
    if (fate != 0) return fate;
    if (OutOfTime()) return kCutShort;
  }
}

// A decrease waiting for the node's counter, settled by the counts of an
// answer to its poll: a count below the one read before the decrease says
// it was carried out (the handler is told so first, as if the node had
// answered it); else it was not, and it is asked for again. Counts without
// a normal report settle nothing.
void SettleByCounter(const Request& r, const uint8_t* reply, size_t length) {
  Master& m = M();
  if (r.node == 0 || r.node >= kJvsMaxNodes || !m.unsettled[r.node].active) return;
  Unsettled& u = m.unsettled[r.node];
  bool read = false, carried = false;
  ForEachReport(r, reply, length, [&](const uint8_t* c, size_t clen, const uint8_t* rep, size_t size) {
    if (clen < 2 || c[0] != kJvsCmdCoins || rep[0] != kJvsReportNormal) return;
    read = true;
    for (size_t s = 0; s < c[1] && s < 4 && 2 + 2 * s < size; ++s)
      if (u.amount[s] && (uint16_t(rep[1 + 2 * s] << 8 | rep[2 + 2 * s]) & kJvsCoinCountBits) < u.before[s])
        carried = true;
  });
  if (!read) return;
  if (carried && m.handler) {
    static const uint8_t kTaken[1] = {kJvsReportNormal};
    for (int s = 0; s < 4; ++s) {
      if (!u.amount[s]) continue;
      const uint8_t cmd[4] = {kJvsCmdCoinDecrease, static_cast<uint8_t>(s + 1), static_cast<uint8_t>(u.amount[s] >> 8),
                              static_cast<uint8_t>(u.amount[s])};
      m.handler(r.node, cmd, sizeof cmd, kTaken, sizeof kTaken);
    }
  }
  u = Unsettled{};
}

// Hands each command of the request its part of the reply.
// With effectsOnly (an answer learnt long after it came: its inputs are
// old), only the commands that take effect are handed theirs.
void WalkReply(const Request& r, const uint8_t* buf, size_t len, bool effectsOnly = false) {
  Master& m = M();
  if (!effectsOnly) {
    SettleByCounter(r, buf, len);
    ForEachReport(r, buf, len, [&](const uint8_t* c, size_t, const uint8_t* rep, size_t) {
      if (c[0] == kJvsCmdSwitches) SwitchesAnswered(r.node, rep[0]);
    });
  }
  if (!m.handler) return;
  size_t p = 1;  // the first report byte
  size_t clen = 0;
  for (uint32_t i = 0; p < len; ++i) {
    const uint8_t* c = r.Command(i, &clen);
    if (!c) break;
    if (clen == 0) continue;
    const bool setting = r.node == 0 && (c[0] == kJvsBoardApplySetting || c[0] == kJvsBoardSetValue);
    const bool skipped = effectsOnly && !TakesEffect(r.node, c[0]);
    const int32_t used = setting     ? 1
                         : skipped   ? ReportSize(r.node, c, clen, buf + p, len - p)
                                     : m.handler(r.node, c, clen, buf + p, len - p);
    if (skipped && used <= 0) break;
    if (used < 0) break;
    p += static_cast<size_t>(used);
  }
}

// A bus fault: the state tells it.
void Halt(int32_t state) {
  Master& m = M();
  FatesToCounters();
  std::lock_guard<std::mutex> g(m.lock);
  m.state = state;
  if (m.settingPhase != kSettingIdle) {
    m.settingPhase = kSettingIdle;
    m.settingResult = kJvsSettingFailed;
  }
}

// Resets every node, then halts the bus (told) unless SENSE reads 0 (nodes
// waiting for an address); false when halted or closed. Each reset goes
// out twice: a node that misses it keeps its address, which SENSE cannot
// show while another node waits for one, and would then share an address
// with the node given it next.
bool JvsReset() {
  Master& m = M();
  static const uint8_t kReset[2] = {kJvsCmdReset, kJvsResetCheck};
  for (int t = 0; t < kJvsResetTries && !m.stop.load(); ++t) {
    const uint32_t resetAt = JvsClock().NowMs();
    JvsQueueCommand(kJvsBroadcast, nullptr, 0);
    JvsQueueCommand(kJvsBroadcast, kReset, 2);
    // A frame goes out unless the port was closed.
    // A reset written on a line that carries noise: the bring-up's work
    // goes wrong from there, for its time bound.
    for (int copy = 0; copy < 2 && !m.stop.load(); ++copy)
      if (JvsSendFrame(kJvsBroadcast) > 0) {
        Wrote();
        if (JvsLastWriteOnNoise()) StartDry(kJvsBroadcast, resetAt);
      }
    if (m.stop.load()) break;
    // A bring-up that goes round again may reach its time bound in the
    // wait: the wait ends there, and the bus stops (told) where the line
    // still carries noise.
    uint32_t wait = kJvsResetWaitMs;
    const uint32_t now = JvsClock().NowMs();
    for (const SpoiledRun& d : m.dry)
      if (d.started) wait = std::min(wait, kJvsNoAnswerMs - std::min(kJvsNoAnswerMs, now - d.since));
    JvsClock().Wait(m.wake, wait);
    if (m.stop.load()) break;
    // Nobody answers a reset: bytes that came in the wait, or a line that
    // does not go quiet after it, are noise, which may have begun with the
    // resets: the bring-up's time bound runs from them. Where the line still
    // carries noise at a bound, the bus stops.
    const uint32_t during = JvsDropWaiting();
    JvsUnsettleLine();
    if (!JvsSettleLine()) break;
    if (during > 0 || JvsLineNoisy()) StartDry(kJvsBroadcast, resetAt);
    for (int slot = 1; slot < kJvsQueueSlots && wait < kJvsResetWaitMs && JvsLineNoisy(); ++slot) {
      if (TooLongDry(static_cast<uint8_t>(slot < kJvsMaxNodes ? slot : kJvsBroadcast))) {
        Halt(kJvsStateBusError);
        return false;
      }
    }
    if (JvsGetSense() == 0) break;
  }
  JvsQueueCommand(kJvsBroadcast, nullptr, 0);
  if (m.stop.load()) return false;
  if (JvsGetSense() == 0) return true;
  Tell("no node answered the reset (SENSE stayed high); the bus is stopped");
  Halt(kJvsStateBusError);
  return false;
}

// Asks every addressed node for its identity and features. 0, or kStopped
// when the bus is to stop (told) or was closed, or kCutShort when the
// step's time is up.
int IdentifyNodes() {
  Master& m = M();
  uint8_t buf[kJvsReplyBuffer];
  const int32_t count = m.nodeCount.load();
  for (int32_t node = 1; node <= count; ++node) {
    JvsNodeRecord& r = m.nodes[node];
    std::memset(&r, 0, sizeof r);
    for (uint8_t cmd = kJvsCmdIdentity; cmd <= kJvsCmdFeatures; ++cmd) {
      if (m.stop.load()) return kStopped;
      // A run of spoiled exchanges that stops the bus was told already.
      // Where the addresses were given out on a line that carried noise, a
      // node counted may be none: one that does not answer sends the
      // bring-up round again instead (within its time bound).
      bool atLimit = false;
      const int n = Transact(Single(static_cast<uint8_t>(node), &cmd, 1), buf, m.addressedOnNoise ? &atLimit : nullptr);
      if (atLimit) m.run[node] = SpoiledRun{};
      if (n < 0) return n == kCutShort ? kCutShort : kStopped;
      if (n < 2 || buf[0] != kJvsStatusNormal || buf[1] != kJvsReportNormal) {
        Tell("node %d did not say what it is; the bus is stopped", node);
        return kStopped;
      }
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
  }
  return 0;
}

// SENSE as it holds, read every millisecond of bus time. The reading that
// would end the caller's work counts only where every read over
// kJvsSenseSteadyMs gives it, so that a glitch of the line is no change:
// high (or unreadable: not 0), which ends the address assignments, or with
// confirmLow low, which stops a cycle (a node lost its address); the other
// is taken at once. The time it held is weighed in microseconds of the bus
// clock: on whole milliseconds, reads 4.1 ms apart can lie 5 apart, and a
// glitch shorter than the bound would count. Low counts from lowFrom +
// lowMs on (a node that answered its address at lowFrom may raise SENSE up
// to kJvsSenseLagMs later). The stop of the bus ends the reading with what
// it read last.
int SenseHeld(uint32_t lowFrom, uint32_t lowMs, bool confirmLow) {
  constexpr uint32_t kLookEveryMs = 1;
  const Master& m = M();
  plat::MsClock& clock = JvsClock();
  bool held = false;
  int last = 0;
  uint32_t sinceUs = 0;
  for (;;) {
    const int sense = JvsGetSense();
    const uint32_t now = clock.NowMs(), nowUs = clock.NowUs();
    if (!held || (sense == 0) != (last == 0)) {
      held = true;
      sinceUs = nowUs;
    }
    last = sense;
    const bool lowDue = now - lowFrom >= lowMs;
    const bool steady = nowUs - sinceUs >= kJvsSenseSteadyMs * 1000;
    if (sense == 0 && lowDue && (!confirmLow || steady)) return 0;
    if (sense != 0 && (confirmLow || steady)) return sense;
    if (m.stop.load()) return sense;
    clock.Sleep(kLookEveryMs);
  }
}

// An open: nothing the master learnt of the bus it had holds for this one,
// which may hold other nodes on another clock (a bring-up cut short kept
// its runs for its next try; a close may have come then). Only what
// settles coins outlives it: decreases whose fate is still open go to the
// counter.
void ForgetBus() {
  Master& m = M();
  m.nodeCount = 0;
  for (JvsNodeRecord& r : m.nodes) r = JvsNodeRecord{};
  m.garbageTold = m.heldTold = m.strayTold = m.reportTold = 0;
  m.noiseRun = m.noiseTold = false;
  m.noiseRuns = 0;
  m.byNoise = m.lastByNoise = false;
  for (SpoiledRun& r : m.run) r = SpoiledRun{};
  for (SpoiledRun& d : m.dry) d = SpoiledRun{};
  for (auto& at : m.goodAt) at = 0;
  for (auto& read : m.switchesRead) read = false;
  for (auto& at : m.switchesAt) at = 0;
  FatesToCounters();
  m.timed = false;
  m.addressedOnNoise = false;
  m.withoutEffects = 0;
}

// Resets the bus, gives out the addresses and asks the nodes what they are;
// ready at the end, or halted (told).
void BringUp() {
  Master& m = M();
  m.nodeCount = 0;
  // A bring-up that noise cut short goes again from the resets at the next
  // step, its runs of spoiled exchanges kept: a node that never answers
  // still stops the bus after six, and a bring-up whose work keeps going
  // wrong stops it after kJvsNoAnswerMs. An open forgets them (ForgetBus).
  // The switches are due no read until the bus is up.
  m.watch.Start(0, JvsClock().NowMs());
  m.bringingUp = true;
  struct Done {
    ~Done() { M().bringingUp = false; }
  } done;
  // What was learnt of the nodes' ways is learnt again: the bus may hold
  // other nodes now.
  m.habit = BoardHabit::kUnknown;
  m.copiesAfterStatusThree = 0;
  m.cannotSendAgain = 0;
  m.cycleFrom = 0;
  for (Known& k : m.known) k = Known{};
  JvsClearQueues();
  if (!JvsReset()) return;

  // Addresses along the SENSE line: the node that sees it low takes the
  // next. An address the bus does not confirm starts it all again.
  uint8_t buf[kJvsReplyBuffer];
  int retries = 0;
  int n = 1;
  uint32_t answeredAt = 0;
  m.addressedOnNoise = false;
  for (;;) {
    if (m.stop.load()) return;
    // SENSE is read right before the write it decides, after the wait for
    // a quiet line that the write makes, and not before the node that took
    // the last address has had kJvsSenseLagMs from its answer to raise it:
    // an assignment goes out only where SENSE stayed low that long. Noise
    // on the line meanwhile may have formed the last assignment's answer:
    // a wait that ran out tells of it, and so do frames to the master that
    // nobody asked for, dropped by the wait.
    const uint32_t dropped = JvsGetDroppedReplyCount();
    if (!JvsSettleLine()) return;
    if (JvsLineNoisy() || JvsGetDroppedReplyCount() != dropped) m.addressedOnNoise = true;
    if (SenseHeld(answeredAt, n > 1 ? kJvsSenseLagMs : 0, false) != 0) break;
    const uint8_t assign[2] = {kJvsCmdSetAddress, static_cast<uint8_t>(n)};
    const Request r = Single(kJvsBroadcast, assign, 2);
    int got = 0;
    const JvsReceipt receipt = Exchange(r, buf, &got, &ReplyFits, &r);
    if (JvsLastWriteOnNoise() || JvsLastReceiveMetNoise()) m.addressedOnNoise = true;
    if (receipt != JvsReceipt::kAnswer || got < 2 || buf[0] != kJvsStatusNormal || buf[1] != kJvsReportNormal) {
      if (m.stop.load()) return;
      const bool noise = std::exchange(m.byNoise, false);
      if (!CountDry(kJvsBroadcast, receipt, buf, noise)) return Halt(kJvsStateBusError);
      if (receipt == JvsReceipt::kDamaged || receipt == JvsReceipt::kUnfitting) TellGarbage(kJvsBroadcast);
      // An assignment that noise spoiled is no try of the node's, nor one
      // that follows assignments given out on noise (one may have been
      // taken for answered): the resets and the assignments go out again,
      // at the next step.
      if (noise || m.addressedOnNoise) return;
      if (++retries > kJvsAddressRetries) {
        Tell("no node took address %d after %d resets; the bus is stopped", n, kJvsAddressRetries);
        return Halt(kJvsStateBusError);
      }
      if (!JvsReset()) return;
      n = 1;
      continue;
    }
    // An answer on the bus: the runs in a row end, as at any good answer.
    for (SpoiledRun& run : m.run) run = SpoiledRun{};
    answeredAt = JvsClock().NowMs();
    if (++n == kJvsMaxNodes) {
      Tell("more than %d nodes on the bus; the bus is stopped", kJvsMaxAddressed);
      return Halt(kJvsStateTooManyNodes);
    }
  }
  m.nodeCount = n - 1;
  StartWork();
  const int identified = IdentifyNodes();
  m.timed = false;
  if (identified == kCutShort) return;
  if (identified < 0) {
    if (!m.stop.load()) Halt(kJvsStateBusError);
    return;
  }
  // The bus is up: the bring-up's time bound ends, and the nodes' run from
  // here.
  m.dry[SlotOf(kJvsBroadcast)] = SpoiledRun{};
  for (std::atomic<uint32_t>& at : m.goodAt) at = JvsClock().NowMs();
  SetState(kJvsStateReady);
  JvsSetRts(1);
}

// The step of node 0's setting sequence that is due, between cycles, on
// frames of the master's own (the users' queues stay theirs). False when the
// bus is to stop (told).
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
  // How node 0 answers a frame of several commands decides the setting
  // frame: a node that answers each command gets its status command after
  // the setting command, so that the answer (01 01 01 and the two status
  // bytes) has a layout its status answer, its usual last reply, need not
  // have; a node that answers the first command alone gets the setting
  // command alone.
  // A step cut short goes again at the next.
  if (m.habit == BoardHabit::kUnknown) {
    if (const int n = Transact(Marker(0), buf); n == kStopped || n == kCutShort) {
      JvsSetRts(1);
      return n == kCutShort;
    }
  }
  Request r = Single(0, command, length);
  if (m.habit == BoardHabit::kAnswersAll) r.Add(kJvsBoardStatusPoll, sizeof kJvsBoardStatusPoll);
  const int n = TransactOnce(r, buf);
  JvsSetRts(1);
  if (n == kStopped) return false;
  if (n == kCutShort) return true;
  auto fail = [&] {
    std::lock_guard<std::mutex> g(m.lock);
    m.settingPhase = kSettingIdle;
    m.settingResult = kJvsSettingFailed;
    return true;
  };
  if (n == kFateUnknown) {
    Tell("node 0 cannot tell whether it carried out its setting command 0x%02X: the setting is not sent again",
         command[0]);
    return fail();
  }
  // An answer is of status 1; its report says whether node 0 took the
  // command. One it refuses ends the setting, not the bus.
  if (n < 2 || buf[1] != kJvsReportNormal) {
    Tell("node 0 refused its setting command 0x%02X (report %d); the setting is given up", command[0],
         n < 2 ? 0 : buf[1]);
    return fail();
  }
  WalkReply(r, buf, static_cast<size_t>(n));
  std::lock_guard<std::mutex> g(m.lock);
  m.settingPhase = m.settingPhase == kSettingSendValue ? kSettingApply : kSettingSettle;
  m.settingSince = JvsClock().NowMs();
  return true;
}

// The cycle ends: what it read is the user's, the bus ready for the next.
void EndCycle() {
  EndDeferredFates();
  SwitchesHandedOn();
  SetState(kJvsStateReady);
  JvsSetRts(1);
}

// The step's time is up with nodes of the cycle not done (left, in the
// round's order from index at; tried: those asked in this cycle). The
// cycle ends there, what it read handed on; the first node it did not reach
// begins the next. A node with a request due that the cycle did not finish
// has had no good answer since its last: its time bound is looked at here
// (halted, told).
void CutCycle(const int32_t* order, int32_t nodes, int at, uint64_t left, uint64_t tried) {
  Master& m = M();
  int32_t first = -1, unreached = -1;
  for (int32_t i = 0; i < nodes; ++i) {
    const int32_t n = order[(at + i) % nodes];
    if (!(left >> n & 1)) continue;
    if (first < 0) first = n;
    const uint8_t address = static_cast<uint8_t>(n);
    if (JvsQueuedCount(address) > 0 || m.open[n].active) StartDry(address, m.goodAt[n]);
    if (!(tried >> n & 1) && unreached < 0) unreached = n;
  }
  m.cycleFrom = unreached < 0 ? 0 : unreached;
  if (first >= 0 && AnyTooLongDry(static_cast<uint8_t>(first))) return Halt(kJvsStateBusError);
  EndCycle();
}

// The node's frame in the cycle under way: its queue, without what the
// cycle already did to it (a decrease left to the node's counter, carried
// out as its copy told, or held).
Request TurnRequest(int32_t node) {
  const Master& m = M();
  Request r = FromQueue(static_cast<uint8_t>(node));
  if (JvsDecreaseUnsettled(node) || (m.withoutEffects >> node & 1)) r = WithoutEffects(r);
  return r;
}

// One turn of a node in the cycle: what it is asked, and how it went. With
// others, an exchange that went wrong ends the turn (kAgain) for the other
// nodes' turns; with leave, one of a request without effect does so too
// (the cycle would rather end than ask it again).
enum class Turn { kDone, kAgain, kCut, kStopped };
Turn NodeTurn(int32_t node, uint8_t* buf, bool others, bool leave) {
  Master& m = M();
  const uint64_t bit = uint64_t{1} << node;
  if (m.open[node].active) {
    // A decrease whose fate is open: the node is asked for its copy, and
    // for nothing else until the copy tells the fate. Carried out: its
    // answer is handed on (its inputs may be old: only the decrease), and
    // what was queued goes out without its decreases, which the next poll
    // builds afresh.
    SetState(kJvsStateRunning);
    const OpenFate f = std::exchange(m.open[node], OpenFate{});
    const int fate = LearnFate(f.request, f.before, buf, f.statusThrees, f.afterStatusThree, others);
    if (fate == kStopped) {
      if (!m.stop.load()) Halt(kJvsStateBusError);
      return Turn::kStopped;
    }
    if (fate == kFateOpen) return Turn::kDone;
    if (fate == kDeferred) return Turn::kAgain;
    if (fate > 0) {
      WalkReply(f.request, buf, static_cast<size_t>(fate), true);
      m.withoutEffects |= bit;
    }
  }
  // What the cycle already did to the node is not written again.
  Request r = TurnRequest(node);
  // Nothing queued, or more than one frame carries: nothing is sent.
  if (r.count == 0 || r.Size() + 1 >= 255) return Turn::kDone;
  SetState(kJvsStateRunning);
  int n = AnyEffect(r) ? TransactOnce(r, buf, others) : Transact(r, buf, nullptr, others || leave);
  if (n == kDeferred) return Turn::kAgain;
  // The node gets nothing more while its decrease's fate is open.
  if (n == kFateOpen) return Turn::kDone;
  if (n == kHeld || n == kCounterTells || n == kFateUnknown) {
    if (n == kHeld && !(m.heldTold & bit)) {
      m.heldTold |= bit;
      Tell("node %d: neither its last reply nor its identity can tell whether a coin decrease was carried out; "
           "its decreases wait",
           node);
    }
    // The inputs are read all the same; what takes effect waits.
    m.withoutEffects |= bit;
    r = WithoutEffects(r);
    n = r.count ? Transact(r, buf, nullptr, others || leave) : 0;
    if (n == 0) return Turn::kDone;
    if (n == kDeferred) return Turn::kAgain;
  }
  if (n == kCutShort) return Turn::kCut;
  if (m.stop.load()) return Turn::kStopped;
  // An answer is of status 1: a frame of another status spoiled its
  // exchange.
  if (n < 1) {
    Halt(kJvsStateBusError);
    return Turn::kStopped;
  }
  WalkReply(r, buf, static_cast<size_t>(n));
  return Turn::kDone;
}

// One cycle over the nodes with queued commands, in rounds: each node still
// to be done has one turn in each round, the first of the step whatever
// its time; ready at the end, or when the step's time is up (CutCycle), or
// halted (told).
void RunCycle() {
  Master& m = M();
  JvsSetRts(0);
  if (SenseHeld(JvsClock().NowMs(), 0, true) == 0) {
    Tell("a node lost its address (SENSE went low); the bus is stopped");
    return Halt(kJvsStateBusError);
  }
  uint8_t buf[kJvsReplyBuffer];
  m.withoutEffects = 0;
  SwitchesDue();
  int32_t order[kJvsMaxNodes];
  const int32_t nodes = std::min(m.nodeCount.load(), int32_t{kJvsMaxNodes - 1}) + 1;
  const int32_t from = m.cycleFrom < nodes ? m.cycleFrom : 0;
  for (int32_t i = 0; i < nodes; ++i) order[i] = (from + i) % nodes;
  m.cycleFrom = 0;
  uint64_t left = nodes == 64 ? ~uint64_t{0} : (uint64_t{1} << nodes) - 1, tried = 0;
  bool firstTurn = true;
  while (left != 0) {
    for (int i = 0; i < nodes; ++i) {
      const int32_t node = order[i];
      const uint64_t bit = uint64_t{1} << node;
      if (!(left & bit)) continue;
      if (!firstTurn && OutOfTime()) return CutCycle(order, nodes, i, left, tried);
      // Every other node is done, and the switches the user reads were read
      // afresh: a node whose request without effect went wrong is not asked
      // again for the rest of the step. The cycle ends, its reads handed on,
      // and the node goes first in the next. What takes effect keeps its
      // step.
      const bool others = (left & ~bit) != 0;
      const bool leave = !others && m.watch.read && m.watch.node != node && !m.open[node].active &&
                         !AnyEffect(TurnRequest(node));
      if (leave && (tried & bit)) {
        m.cycleFrom = node;
        return EndCycle();
      }
      firstTurn = false;
      tried |= bit;
      switch (NodeTurn(node, buf, others, leave)) {
        case Turn::kDone:
          left &= ~bit;
          break;
        case Turn::kAgain:
          break;
        case Turn::kCut:
          return CutCycle(order, nodes, i, left, tried);
        case Turn::kStopped:
          return;
      }
    }
  }
  EndCycle();
}

uint32_t JvsThread() {
  Master& m = M();
  while (!m.stop.load()) {
    const int32_t s = JvsStep();
    if (s < 0) {
      // Halted: the thread waits until it is closed.
      while (!m.stop.load()) m.wake.Wait(100);
      break;
    }
    if (s == kJvsStateReady) JvsClock().Sleep(1);
  }
  return 0;
}

int32_t ParamToCount(uint8_t v) { return static_cast<int32_t>(v); }

// At the program's end, with or without a close: the master's thread waits
// on the bus and ends only when told to, so it is told and waited for here,
// before the bus's own state (registered before this) is torn down.
void StopAtExit() {
  Master& m = M();
  if (m.stop.exchange(1)) return;
  JvsCancelWaits();
  m.wake.Set();
  if (m.thread) m.thread->Join();
}

// Lets the cycle asked for or under way end before `until` (bus clock):
// runs it where the master is stepped, else waits for the master's thread.
// The state after.
int32_t FinishCycleBy(uint32_t until) {
  Master& m = M();
  for (;;) {
    const int32_t s = GetState();
    if (!m.opened.load() || m.stop.load() || (s != kJvsStateRequested && s != kJvsStateRunning)) return s;
    if (m.threadless) {
      JvsStep();
      continue;
    }
    if (int32_t(JvsClock().NowMs() - until) >= 0) return s;
    JvsClock().Sleep(1);
  }
}

// The bus time the close's waits end by, from its first wait on.
uint32_t CloseUntil() {
  Master& m = M();
  if (!m.closing) {
    m.closing = true;
    m.closeUntil = JvsClock().NowMs() + kJvsCloseBoundMs;
  }
  return m.closeUntil;
}

// Whether the standard layer holds a coin decrease for a node that it has
// not taken off yet.
bool DecreaseOwed(int32_t node) {
  const JvsNodeState& s = M().std[node];
  return s.coinDecrease[0] || s.coinDecrease[1] || s.coinDecrease[2] || s.coinDecrease[3];
}

// Before the master stops: the decreases the standard layer holds go out,
// and their answers are taken, within the close's bound. A node that has
// not taken its coins off when the bus closes would have them counted
// again at the next start. The nodes owed one get their poll (the
// decrease and the counts after it) in a cycle more, until none is owed,
// the bus stops or the time is up; at most kCloseCycles of them: the one
// that carries it, and where its fate is not told at once, the one that
// asks it (or reads the counter) and the one that sends it again.
constexpr int kCloseCycles = 3;
void SendOwedDecreases() {
  Master& m = M();
  if (!m.tableCopied || !m.opened.load() || m.stop.load()) return;
  auto owed = [&] {
    for (int32_t n = 1; n <= m.copied && n < kJvsMaxNodes; ++n)
      if (DecreaseOwed(n)) return true;
    return false;
  };
  if (!owed()) return;
  const uint32_t until = CloseUntil();
  for (int cycles = 0;; ++cycles) {
    if (FinishCycleBy(until) != kJvsStateReady || !owed() || cycles == kCloseCycles) return;
    if (int32_t(JvsClock().NowMs() - until) >= 0) return;
    for (int32_t n = 1; n <= m.copied && n < kJvsMaxNodes; ++n)
      if (DecreaseOwed(n)) JvsQueueNodePoll(n);
    JvsRequest();
  }
}

}  // namespace

void JvsSetStepped(bool stepped) { M().stepped = stepped; }

int32_t JvsFinishCycle() { return FinishCycleBy(CloseUntil()); }

int32_t JvsStep() {
  Master& m = M();
  if (!m.opened.load() || m.stop.load()) return JvsGetState();
  int32_t s = GetState();
  if (s == kJvsStateStarting) {
    BringUp();
    return JvsGetState();
  }
  if (s < 0) return s;
  // The switches' stale time counts while a cycle is asked for.
  if (s == kJvsStateRequested) m.watch.Asked(JvsClock().NowMs());
  // A node whose switches kept reading stale stops the bus, whatever
  // answers came between.
  if (StaleTooLong()) {
    Halt(kJvsStateBusError);
    return JvsGetState();
  }
  // The setting step that is due goes before the cycle asked for, so that
  // cycles asked for back to back cannot hold it off.
  StartWork();
  const bool settingOn = RunSettingStep();
  m.timed = false;
  if (!settingOn) {
    if (!m.stop.load()) Halt(kJvsStateBusError);
    return JvsGetState();
  }
  if (GetState() == kJvsStateRequested) {
    m.timed = true;  // what the setting step left of the time
    RunCycle();
    m.timed = false;
  }
  return JvsGetState();
}

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
  m.threadless = m.stepped;
  m.closing = false;
  ForgetBus();
  {
    std::lock_guard<std::mutex> g(m.lock);
    m.state = kJvsStateStarting;
    m.settingPhase = kSettingIdle;
    m.settingResult = kJvsSettingNone;
  }
  m.opened = 1;
  if (m.threadless) return 1;
  static const bool stopsAtExit = std::atexit(&StopAtExit) == 0;
  (void)stopsAtExit;
  m.thread = std::make_unique<plat::Thread>();
  if (!m.thread->Start([](plat::Thread&) { return JvsThread(); })) {
    JvsClose();
    return 0;
  }
  return 1;
}

int32_t JvsClose() {
  Master& m = M();
  SendOwedDecreases();
  if (!m.stop.exchange(1)) {
    JvsCancelWaits();
    m.wake.Set();
    if (m.thread) m.thread->Join();
  }
  m.thread.reset();
  JvsClosePort();
  SetState(kJvsStateClosed);
  m.opened = 0;
  m.closing = false;
  return 1;
}

int32_t JvsGetState() {
  Master& m = M();
  if (!m.opened.load()) return kJvsStateClosed;
  return GetState();
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

void JvsWatchSwitches(int32_t node) { M().watchNode = node; }

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
  const Request r = FromQueue(node);
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
    // The records and inputs are the new bring-up's; the coin fields and
    // outputs are kept (coins asked to be taken off stay asked).
    for (JvsNodeState& st : m.std) {
      st.record = JvsNodeRecord{};
      st.system = 0;
      std::memset(st.switches, 0, sizeof st.switches);
    }
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

bool JvsSwitchesCurrent(int32_t node) {
  if (node < 0 || node >= kJvsMaxNodes) return false;
  return M().switchesRead[node].load() && JvsClock().NowMs() - M().switchesAt[node].load() <= kJvsStopBoundMs;
}

uint32_t JvsSwitchesReadAt(int32_t node) {
  return node >= 0 && node < kJvsMaxNodes ? M().switchesAt[node].load() : 0;
}

uint32_t JvsGoodAnswerAt(int32_t node) { return node >= 0 && node < kJvsMaxNodes ? M().goodAt[node].load() : 0; }

bool JvsDecreaseOpen(int32_t node) { return node >= 1 && node < kJvsMaxNodes && M().open[node].active; }

bool JvsDecreaseUnsettled(int32_t node) {
  return node >= 1 && node < kJvsMaxNodes && M().unsettled[node].active;
}

void JvsForgetCoinState() {
  Master& m = M();
  std::memset(m.lastCount, 0, sizeof m.lastCount);
  for (Unsettled& u : m.unsettled) u = Unsettled{};
  for (OpenFate& f : m.open) f.active = false;
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
      for (size_t k = 0; k < slots && k < 4; ++k) {
        s.coins[k] = static_cast<uint16_t>(reply[1 + 2 * k] << 8 | reply[2 + 2 * k]);
        s.coinUncounted[k] = 0;
      }
      return static_cast<int32_t>(1 + 2 * slots);
    }
    case kJvsCmdCoinDecrease:
      // The coins the command took off are no longer asked for; until the
      // node's counts are read again they still hold them.
      if (commandLen >= 4 && command[1] >= 1 && command[1] <= 4) {
        const int k = command[1] - 1;
        const uint16_t amount = std::min<uint16_t>(static_cast<uint16_t>(command[2] << 8 | command[3]), s.coinDecrease[k]);
        s.coinDecrease[k] = static_cast<uint16_t>(s.coinDecrease[k] - amount);
        s.coinUncounted[k] = static_cast<uint16_t>(std::min<uint32_t>(0xFFFF, uint32_t(s.coinUncounted[k]) + amount));
      }
      return 1;
    case kJvsCmdOutputs:
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
  // The node state holds four decrease requests. None goes out while one
  // sent waits for the node's counter.
  for (uint8_t k = 0; k < slots && k < 4 && !JvsDecreaseUnsettled(node); ++k) {
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
