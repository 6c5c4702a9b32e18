#pragma once
#include <cstddef>
#include <cstdint>

#include "cabinet/JvsFrame.h"

// The upper half of the JVS library: a thread that is the bus master on a
// serial port. It resets the bus, gives the nodes their addresses along the
// SENSE line, asks each for its identity and features, then runs one
// request-reply cycle over all nodes whenever a user asks for one, handing
// each reply to a reply handler. Beside it, the standard layer turns the
// standard replies into per-node input records and builds the standard poll.
//
// States: 0 starting, 1 ready, 2 cycle requested, 3 cycle running, -1 closed,
// -2 too many nodes, -3 bus error. Users touch queues and node records only
// in state 1. Every wait of the bus happens on the master's thread; a user
// never waits on the bus. A fault that stops the bus, and the first damaged
// or unfitting reply of each node, and the first bytes outside frames read
// while a node was asked, are told in one line on standard error.
//
// Exchanges that went wrong (JvsFrame.h: the line is then waited out) are
// met by what the request was:
// - A request that has no effect on the node (identity, revisions,
//   features, status, switches, coins, outputs, the accessory's reads) is
//   written again whole; the next answer is its answer.
// - A request that takes effect once (a coin decrease, a setting of node 0)
//   is never written again while it may have been carried out. It is sent
//   only when the node's last reply, which the master took whole, cannot be
//   read as its answer, sent as it was or with bytes added (else a marker
//   request goes first: the identity, or node 0's status); after an exchange
//   that went wrong, a status 3 answer included (a node may answer so after
//   carrying the request out), the master asks the node to send its last
//   reply again (0x2F): that reply says whether the request was carried
//   out, and it is asked again while the answers go wrong. Where the node
//   cannot tell (it answers status 3 to the request to send again twice,
//   and was never seen to send a true copy after such a status 3: some
//   nodes keep a status 3 as their last reply; or the asking reached the
//   spoiled run that stops the bus; or it answers with no reply of its own:
//   status 2, as to a command it does not have, or a report of its own,
//   after which it is not asked again until the bus comes up again), a coin
//   decrease is settled by the node's counter at the poll that follows at
//   once (a count below the one read before the decrease: carried out; else
//   not, and it goes out again), and a setting is given up. Copies that say
//   the request was not carried out end no run of its spoiled exchanges.
// - A decrease whose fate is still open when its step's time is up, its
//   last exchanges spoiled by noise, stays open: the node gets nothing but
//   the request to send its last reply again, at its turn in each cycle,
//   until the copy tells the fate (the other nodes are polled on; the
//   node's switches are not read meanwhile).
// - Node 0's setting goes out even where no reply of node 0 can tell its
//   fate (node 0 answers the first command of a frame alone, or its status
//   bytes read like a report); should its exchange then go wrong, it is given
//   up, never sent twice. Node 0's habit is learnt from the marker, its
//   status command twice in one frame.
// - The bus stops after kJvsMaxSpoiled of a node's exchanges in a row went
//   wrong on a quiet line (another node's exchanges between them end no
//   run; a frame of a status the exchange cannot use, 0, 2, 4, 5 and up, is
//   one of them, and the line that tells the stop names its status).
//   Exchanges that noise spoiled (their request went out after a wait for a
//   quiet line that ran out, or noise came before what decided the receive,
//   or a frame decided it and the line carried more after it: the wait for
//   a quiet line that the next write makes is made at once and runs out
//   or drops frames to the master, but for one alone that is byte for byte
//   that frame: the node's own copy of it; whether or not a wait came
//   before the request) count toward no such stop and end no run; the line that tells the stop says "in a row" only
//   where none came between the run's exchanges. Whatever spoiled them, a node that has given no good answer for
//   kJvsNoAnswerMs stops the bus (a node with a request due that the cycles
//   cut short do not reach counts from its last good answer), and so does a
//   bring-up that has not brought the bus up within kJvsNoAnswerMs of its
//   first spoiled exchange (or of its resets, where noise met them); the
//   line that tells the stop names what the exchanges met (bytes, frames,
//   time). The bound is looked at with each spoiled exchange, for the nodes
//   a cycle cut short did not reach, and after each reset's wait (which ends
//   at the bound) where the line still carries noise.
// - A cycle gives each node with something to do a turn, in address order:
//   a node whose exchange went wrong is asked again (its request written
//   again, its last reply asked for again, a decrease's fate asked on) only
//   after every other node still to be done in the cycle had its turn, round
//   after round, until every node is done or the step's time (kJvsCycleMs)
//   is up. Once every other node is done and the switches the user reads
//   were read afresh, a node whose request without effect went wrong is not
//   asked again: the cycle ends, what it read handed on, and the node is the
//   first of the next (what takes effect keeps the step). A cycle whose
//   time is up ends there, what it read handed on: a node that keeps
//   failing costs the others one of its exchanges at most, never their
//   reads. The nodes it did not reach are the first of the next cycle.
//   A decrease whose fate was still to be asked when the time came up stays
//   open where noise spoiled its last exchange, else goes to the counter,
//   as within a turn.
// - A node's switches read longer ago than kJvsStopBoundMs read released
//   (JvsSwitchesCurrent) until they are read again. A read is fresh where
//   the switches' report is normal (a node busy may answer them with
//   report 4 for good, which reads nothing; the first report other than
//   normal of each node is told in a line, which stops nothing). Where the
//   switches the user reads (JvsWatchSwitches) have read stale so, while
//   the cycles asked for them (from a cycle's start to its end and on to
//   the next cycle asked for, that gap counted up to kJvsCycleMs: a user
//   that asks for no cycle has none read stale), for more than
//   kJvsNoAnswerMs of the last
//   kJvsStaleWindowMs of bus time (a board that answers well only now and
//   then: each lone good answer ends the node's time without one, not its
//   stale reads), the bus stops. The stale time is kept in slices of 100 ms
//   of bus time, however many stretches end in the window (the part of the
//   oldest slice that has left it counts out). The line that tells the stop
//   gives the stale time and what the exchanges met meanwhile: the
//   switches' last report first where it was not normal (the cause), the
//   node whose exchanges went wrong most first, each node's spoiled and
//   good exchanges, those noise spoiled, and the bytes outside frames. The bound is looked at
//   before each step of the master and with each spoiled exchange.
// - SENSE is read right before the address assignment it decides, after the
//   wait for a quiet line that the assignment's write makes (none on a quiet
//   line), and, from the second assignment on, read again on the bus clock
//   until it rises or kJvsSenseLagMs have passed since the last assignment
//   was answered: a node may raise SENSE a while after its answer, and an
//   assignment goes out only where SENSE stayed low that long. SENSE counts
//   as high only where it reads so on every read, about 1 ms apart, over
//   kJvsSenseSteadyMs or more (six reads), weighed in microseconds of the
//   bus clock (NowUs), and before a cycle it counts as low (a node lost its
//   address) only so: a glitch shorter than kJvsSenseSteadyMs changes
//   nothing, and a low of 6 ms read from its start stops the bus. An
//   assignment that no node answers is a failed one (the resets and the
//   assignments again), whatever SENSE does next: a node may hold the
//   address, its answer lost. A bring-up whose
//   addresses were given out while noise was on the line counts only nodes
//   that then answer their identity: where one does not (six spoiled
//   exchanges), or an assignment after them goes wrong, the bring-up goes
//   again (within kJvsNoAnswerMs).
// - The line that tells of noise on the line is told for the first run of
//   noise, then at most once every kJvsNoiseToldMs with the runs since.

// Reply handler: (node, command bytes and their count, reply bytes from the
// command's report byte on and how many of them the frame still holds) ->
// bytes consumed (report included), or -1 to stop reading this reply. A
// handler never reads past replyLeft.
using JvsReplyHandler = int32_t (*)(uint8_t node, const uint8_t* command, size_t commandLen, const uint8_t* reply,
                                    size_t replyLeft);

// Master states (JvsGetState).
enum : int32_t {
  kJvsStateStarting = 0,
  kJvsStateReady = 1,
  kJvsStateRequested = 2,  // a cycle was asked for
  kJvsStateRunning = 3,    // a cycle runs
  kJvsStateClosed = -1,
  kJvsStateTooManyNodes = -2,
  kJvsStateBusError = -3,
};

// Command bytes of the I/O nodes.
enum : uint8_t {
  kJvsCmdIdentity = 0x10,          // zero-terminated identity text
  kJvsCmdCommandRevision = 0x11,   // one byte each: the revisions
  kJvsCmdJvsRevision = 0x12,
  kJvsCmdCommVersion = 0x13,
  kJvsCmdFeatures = 0x14,          // groups of four up to the end code 0
  kJvsCmdSwitches = 0x20,          // players, bytes per player
  kJvsCmdCoins = 0x21,             // slot count
  kJvsCmdAccessorySwitches = 0x26,  // byte count
  kJvsCmdCoinDecrease = 0x30,      // slot (1-based), amount high, low
  kJvsCmdOutputs = 0x32,           // byte count, output bytes
  kJvsCmdReset = 0xF0,             // broadcast, followed by kJvsResetCheck
  kJvsCmdSetAddress = 0xF1,        // broadcast, followed by the address
};
constexpr uint8_t kJvsResetCheck = 0xD9;

// Commands of node 0, the board's own channel (0x00-0x08).
enum : uint8_t {
  kJvsBoardStatus = 0x01,        // replies the system byte and a switch byte
  kJvsBoardApplySetting = 0x04,
  kJvsBoardSetValue = 0x05,      // value high, low
};
// Node 0's status command as every poll queues it.
inline constexpr uint8_t kJvsBoardStatusPoll[2] = {kJvsBoardStatus, 0x02};

// The report byte of a normal report; report bytes run from 1 to
// kJvsReportLast.
constexpr uint8_t kJvsReportNormal = 1;
// The count in a coin counter word (0x21); bits 14-15 are its condition
// (a coin jammed, the counter busy).
constexpr uint16_t kJvsCoinCountBits = 0x3FFF;
constexpr uint8_t kJvsReportLast = 4;

constexpr int kJvsMaxNodes = 32;         // node records, indexed by address
// A node's exchanges in a row that may go wrong before the bus stops.
constexpr int kJvsMaxSpoiled = 6;
// Time a step of the master (node 0's setting step that is due, then the
// cycle) has for its tries: past it, the cycle ends, a request not yet
// carried out waits for the next, and a decrease whose fate is still unknown
// stays open where noise spoiled the last exchange that was to tell it, else
// is left to the node's counter.
constexpr uint32_t kJvsCycleMs = 1000;
// The longest a node may go without a good answer, whatever spoiled its
// exchanges (noise, garbage, dead frames, frames that answer nothing), and
// the longest the work of a bring-up may keep going wrong, before the bus
// stops.
constexpr uint32_t kJvsNoAnswerMs = 10000;
// The longest a run of spoiled exchanges that stops the bus takes (each a
// receive and a wait for a quiet line): a node's switches read longer ago
// read released.
constexpr uint32_t kJvsStopBoundMs = kJvsMaxSpoiled * (kJvsReceiveMs + kJvsSettleMs);
// Switches the user reads that read stale (not read within kJvsStopBoundMs
// while the cycles ask for them) for more than kJvsNoAnswerMs of any
// kJvsStaleWindowMs of bus time stop the bus: a board that answers well
// only now and then, or answers its switches busy for good, leaves the
// controls dead most of the time.
constexpr uint32_t kJvsStaleWindowMs = 30000;
// The line that tells of noise on the line is told at most this often.
constexpr uint32_t kJvsNoiseToldMs = 60000;
constexpr int kJvsMaxAddressed = 30;     // the addresses 1..30 can be given
constexpr uint32_t kJvsResetWaitMs = 1500;
constexpr int kJvsResetTries = 10;
constexpr int kJvsAddressRetries = 5;
// The longest a node may take, after answering its address assignment, to
// raise SENSE: the SENSE read that decides the next assignment waits for it.
constexpr uint32_t kJvsSenseLagMs = 100;
// How long SENSE must read the same on every read (about 1 ms apart) to
// count as having changed, weighed in microseconds: longer than a glitch of
// the line.
constexpr uint32_t kJvsSenseSteadyMs = 5;
// The pause after each step of node 0's setting sequence.
constexpr uint32_t kJvsSettingPauseMs = 1000;
// Function codes 0-31 have an entry in a node's feature table.
constexpr int kJvsFeatureCodes = 32;
// The longest a step of the master takes while the bus is up: its time,
// and the two exchanges (a receive and a wait for a quiet line each) begun
// before it ran out.
constexpr uint32_t kJvsStepBoundMs = kJvsCycleMs + 2 * (kJvsReceiveMs + kJvsSettleMs);
// The longest a close of the bus waits on the master, all its waits
// together (bus time, from its first wait: the device's JvsFinishCycle, or
// JvsClose): the cycle asked for or under way ends, then the cycles that
// carry the coin decreases the nodes are still owed run. Two steps' bound.
constexpr uint32_t kJvsCloseBoundMs = 2 * kJvsStepBoundMs;

struct JvsNodeRecord {
  char identity[256];  // zero-terminated, from command 0x10
  uint8_t commandRevision;   // 0x11
  uint8_t jvsRevision;       // 0x12
  uint8_t commVersion;       // 0x13
  uint8_t features[kJvsFeatureCodes][4];   // entry c: {function code c, parameters 1-3}, from 0x14
};

// The standard layer's record of one node.
// The coin fields and outputs of a node's record outlive a close and the
// next open of the bus (the copy of the node records at the next bring-up
// leaves them): coins asked to be taken off are not forgotten.
struct JvsNodeState {
  JvsNodeRecord record;
  uint8_t system;         // node 0: first byte of its command 1 reply
  uint8_t switches[16];   // node 0: [0] = second byte of its command 1 reply
  uint16_t coins[4];      // the counts last read with a normal report
  uint16_t coinDecrease[4];  // coins to take off, not yet taken off
  uint8_t outputs[4];
  // Coins the node took off since its counts were last read: the counts
  // above still hold them.
  uint16_t coinUncounted[4];
};

// Feature function codes.
enum : uint8_t { kJvsFeatureSwitches = 0x01, kJvsFeatureCoins = 0x02, kJvsFeatureOutputs = 0x12 };

int32_t JvsOpen(const char* portName, JvsReplyHandler handler);  // 1 ok, 0 failure
// Stepped: the next opens start no thread; the master's work runs where
// JvsStep is called (tests drive the bus so, on a simulated wire and clock).
void JvsSetStepped(bool stepped);
// Runs the master's next piece of work on the calling thread: the bring-up
// in state 0; in state 1 a setting step that is due; in state 2 the cycle.
// Returns the state after it.
int32_t JvsStep();
// Stops the master and closes the port; 1. A coin decrease the standard
// layer still holds for a node (queued or not) goes out first, so that the
// node has taken the coins off before the bus closes: the cycle asked for
// or under way ends, then, while a node is still owed one, a cycle more
// carries its poll; all within the close's bound (kJvsCloseBoundMs from
// the close's first wait). A bus not up sends nothing.
int32_t JvsClose();
// The first wait of a close, before JvsClose: lets the cycle asked for or
// under way end, running it where the master is stepped, else waiting for
// the master's thread, within the close's bound, which begins here and
// goes on through JvsClose. Returns the state after (still 2 or 3 where
// the bound ran out).
int32_t JvsFinishCycle();
int32_t JvsGetState();                                           // -1 when not opened
int32_t JvsRequest();                                            // 1 started, 0 not ready
// Nodes that were given an address (0 to 30).
int32_t JvsGetNodeCount();
const JvsNodeRecord* JvsGetNodeInfo(int32_t node);
// The setting sequence of node 0 (the board's own channel), run by the master
// between its cycles: the value (command 0x05), a pause, the apply command
// (0x04), a pause. Each setting command goes out in a frame with node 0's
// status command after it, so that its answer (01 01 01 and the two status
// bytes) has a layout that the board's status answer, its usual last reply,
// cannot have. Returns at once: 1 when the master took the sequence over,
// 0 when it is not open, has failed or runs a sequence already. The cycles go
// on meanwhile. A step whose fate the board cannot tell fails the sequence
// (never sent twice); the bus goes on.
int32_t JvsSendNodeSetting(uint16_t value);
enum : int32_t { kJvsSettingNone = 0, kJvsSettingRunning = 1, kJvsSettingDone = 2, kJvsSettingFailed = -1 };
// How the last setting sequence stands.
int32_t JvsGetNodeSettingResult();
const char* JvsGetVersionString();
const char* XioGetVersionString();

// Whether a reply frame (status first) answers the commands queued for the
// node: a report for each command, each of the length its command gives,
// all within the frame; bytes after them are no report. Returns the bytes
// that answer (status and reports), 0 when the frame cannot be the answer.
// A reply whose status is not normal answers nothing (its exchange went
// wrong); commands whose report length this library does not know end the check
// there, and the rest of the frame counts as answering. The master takes a
// frame with bytes after its reports only as a copy it asked for again.
size_t JvsReplyAnswersQueue(uint8_t node, const uint8_t* reply, size_t length);

// The standard layer.
int32_t JvsOpenStd(const char* portName);
int32_t JvsCloseStd();
// In state 1, the first time only: copies the node records 1..count into the
// node states. Returns the state.
int32_t JvsUpdateNodeTable();
int32_t JvsCopiedNodeCount();
JvsNodeState* JvsGetNodeRecord(int32_t node);
int32_t JvsStdReplyHandler(uint8_t node, const uint8_t* command, size_t commandLen, const uint8_t* reply,
                           size_t replyLeft);
// Queues node 0's status command and the standard poll of every copied node,
// then requests a cycle. 1.
int32_t JvsQueuePoll();
// The standard poll of one node: switches (its players and bytes per player,
// 0 without the feature), outputs when it has them, the coin decreases asked
// for, coins (its slot count, 0 without the feature). While a decrease sent
// to the node waits to be settled by its counter, the poll carries none.
void JvsQueueNodePoll(int32_t node);
// The node whose switches the user reads (0: none): only their stale reads
// stop the bus (kJvsStaleWindowMs). A new node starts its stale time afresh.
// Any thread; the master takes it at the next cycle.
void JvsWatchSwitches(int32_t node);
// Whether the node's switches were read within kJvsStopBoundMs (bus
// clock): the switch bytes of its record are current. Any thread.
bool JvsSwitchesCurrent(int32_t node);
// The bus clock at the node's last read of its switches (0 before the
// first since the bus came up).
uint32_t JvsSwitchesReadAt(int32_t node);
// The bus clock at the node's last good answer (or the bus coming up).
uint32_t JvsGoodAnswerAt(int32_t node);
// Whether a coin decrease sent to the node waits for the node's copy of its
// last reply to tell its fate (the noise on the line kept it from telling).
bool JvsDecreaseOpen(int32_t node);
// Whether a coin decrease sent to the node waits to be settled by the
// node's counter (its fate could not be learnt from the node). It outlives
// a close and the next open of the bus.
bool JvsDecreaseUnsettled(int32_t node);
// Forgets the coin counts read and the decreases waiting for a counter that
// a close keeps: a bus met for the first time.
void JvsForgetCoinState();
// Feature lookups on a node's record: parameter 1 (and 2) of a function code.
uint8_t JvsFeatureParam(const JvsNodeRecord& r, uint8_t code, int param);
bool JvsNodeHasSwitches(int32_t node);
