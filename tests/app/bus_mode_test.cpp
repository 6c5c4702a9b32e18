// The whole program in its bus mode: the serial port named by the
// environment leads to a simulated bus on a pseudo-terminal, and the game is
// played through the bus alone.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "cabinet/JvsFrame.h"
#include "cabinet/JvsMaster.h"
#include "cabinet/QvtBTUtil.h"
#include "cabinet/ServiceClient.h"
#include "cabinet/XioDevice.h"
#include "game/core/CoinCounter.h"
#include "game/core/Game.h"
#include "game/core/WinMain.h"
#include "game/scene/HardwareErrorScreen.h"
#include "game/testmode/TestMode.h"
#include "platform/serial_port.h"
#include "support/Eventually.h"
#include "support/ExpectAll.h"
#include "support/FakeClock.h"
#include "support/Headless.h"
#include "support/SimJvsBus.h"
#include "support/StderrCapture.h"
#include "vrax/input/SCtrlMan.h"

namespace {

using testsupport::Eventually;

// The bus time of one frame, rounded down (59.88 frames a second).
constexpr uint32_t kFrameMs = 16;

// The program on a simulated bus, its frames run one at a time. The bus
// master and the simulated nodes run on their own threads in real time,
// while every wait of the bus is on a fake clock that moves one frame's time
// a frame, once the master has read the clock since its last move (or has
// stopped) and after the simulated bus has answered every request written
// so far: a wait for a reply (20 ms) then never runs out for a node that
// answers, however loaded the machine is, and frames that run faster than
// the master's thread cannot carry the bus's time past its waits (a silent
// node's exchanges end a few frames each, far within the bounds on the time
// without a good answer and on stale reads, on any machine). Conditions on
// the other threads are waited for in real time, with a bound only a broken
// program reaches.
class BusMode : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bus_.Ok());
    node_ = bus_.AddNode(testsupport::SimJvsNode{});
    JvsSetClock(&clock_);
    JvsSetPortLines(&bus_);
    // The frames run on this thread: whatever it waits on the bus is counted.
    clock_.Watch(std::this_thread::get_id());
    ClearCoinCounter();
  }
  // The coin counter outlives the program's runs: each starts it cleared.
  static void ClearCoinCounter() {
    CoinCounter* coins = GetCoinCounter();
    coins->coins = coins->totalCoins = coins->credits = coins->serviceCoins = coins->serviceCredits = 0;
    coins->handOver = coins->pendingCoins = 0;
  }
  void Start(SProc* extraManager = nullptr) {
    ::setenv(plat::kBusPortVariable, bus_.PortPath().c_str(), 1);
    testsupport::HeadlessOptions options = testsupport::NullDevice();
    options.extraManager = extraManager;
    sys_ = std::make_unique<testsupport::Headless>(options);
    ::unsetenv(plat::kBusPortVariable);
    ASSERT_TRUE(sys_->Ok()) << sys_->Failure();
  }
  void TearDown() override {
    sys_.reset();
    EXPECT_EQ(JvsGetState(), -1);  // the master stopped with the controller manager
    JvsSetPortLines(nullptr);
    JvsSetClock(nullptr);
  }
  // One frame, the bus clock moved by its time. Fails the test when the
  // frame waited on the bus longer than a frame.
  void Frame(bool moveClock = true) {
    if (moveClock) {
      ASSERT_TRUE(clock_.SeenSinceMove([] { return JvsGetState() < 0; })) << "the bus master stopped reading the clock";
      bus_.Settle();
      clock_.Advance(kFrameMs);
    }
    const uint32_t waited = clock_.WatchedWaitMs();
    ASSERT_EQ(sys_->Step(1), 1);
    const uint32_t frameWait = clock_.WatchedWaitMs() - waited;
    EXPECT_LE(frameWait, kFrameMs) << "frame " << sys_->FramesRun() << " waited on the bus";
    longestWait_ = std::max(longestWait_, frameWait);
  }
  // Frames until done holds; false when it never did.
  template <class Done>
  bool FramesUntil(Done done, bool moveClock = true) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
      if (std::chrono::steady_clock::now() > until || ::testing::Test::HasFatalFailure()) return done();
      Frame(moveClock);
    }
    return true;
  }
  // Runs what while another thread moves the bus clock on a millisecond at
  // a time, each move once the simulated bus has answered every request
  // written so far and the clock was read since the last move: the bus's
  // time goes on while this thread is held in one frame (the test mode's
  // end waits there for the board) or in the program's end.
  template <class What>
  void WithClockMoving(What what) {
    std::atomic<bool> done{false};
    std::thread mover([&] {
      while (clock_.SeenSinceMove([&] { return done.load() || JvsGetState() < 0; }) && !done.load() &&
             JvsGetState() >= 0) {
        bus_.Settle();
        clock_.Advance(1);
      }
    });
    what();
    done = true;
    mover.join();
  }
  // The coins the next start finds on the node, as its coin counter reads
  // them (what it would credit): the bus's coin state as a new process
  // meets it, the I/O device opened on the bus alone and polled every
  // frame's time of the bus, the clock moving, until its board is ready
  // and has traded a cycle that read the node. -1 when it never was.
  int32_t CoinsAtTheNextStart() {
    JvsForgetCoinState();
    for (int n = 0; n < kJvsMaxNodes; ++n) {
      JvsNodeState* s = JvsGetNodeRecord(n);
      std::memset(s->coinDecrease, 0, sizeof s->coinDecrease);
      std::memset(s->coinUncounted, 0, sizeof s->coinUncounted);
    }
    XioDevice* dev = CreateXioDevice(bus_.PortPath().c_str(), 0);
    if (!dev || dev->Open() != 0) return -1;
    int32_t coins = -1;
    WithClockMoving([&] {
      uint32_t polledAt = clock_.NowMs();
      int readFrom = -1;
      const bool read = Eventually([&] {
        if (JvsGetState() < 0) return true;
        if (clock_.NowMs() - polledAt < kFrameMs) return false;
        polledAt += kFrameMs;
        if (readFrom >= 0 && bus_.Cycles(1) >= readFrom + 2 && JvsGetState() == 1) return true;
        dev->Poll();
        if (dev->Sync() == 1 && readFrom < 0) readFrom = bus_.Cycles(1);
        return false;
      });
      if (read && JvsGetState() == 1 && dev->Poll() == 0 && dev->GetCoinStatus(0, 0) == 0)
        coins = dev->GetCoinCount(0, 0);
    });
    dev->Release();
    return coins;
  }
  static bool TookOver() {
    Game* g = GetGame();
    return g_GameTakeover != 0 || (g && g->FindInList("CABRIERRCHECK", GAME_LIST_MANAGERS));
  }

  testsupport::FakeClock clock_;
  testsupport::SimJvsBus bus_;
  int node_ = 0;
  std::unique_ptr<testsupport::Headless> sys_;
  uint32_t longestWait_ = 0;
};

TEST_F(BusMode, PadsReadTheBusNode) {
  Start();
  bus_.SetSwitches(node_, 0, 0x8000 | 0x0800, 0);  // start and left
  const uint32_t want = 1u << 31 | 1u << 28;
  EXPECT_TRUE(FramesUntil([&] { return (EngineInputBits & want) == want; }));
  // The board's setting goes out once the board is ready.
  EXPECT_TRUE(FramesUntil([&] { return JvsGetNodeSettingResult() == kJvsSettingDone; }));
  EXPECT_ALL({VAL(bus_.BoardSetting(), 18000), VAL(bus_.BoardApplies(), 1)});
  bus_.SetSwitches(node_, 0, 0, 0);
  EXPECT_TRUE(FramesUntil([] { return EngineInputBits == 0; }));
  EXPECT_FALSE(TookOver());
}

// The frame after the bus came up checks the hardware before it polls: the
// bus is up then, without results. That is no I/O error; a coin on the bus
// becomes a credit and start begins a play.
TEST_F(BusMode, CoinAndStartThroughTheBusAlone) {
  // Bring-up holds at the node's identity (the line waited out first, the
  // clock moving); the game runs up to its first scene meanwhile, checking
  // the hardware.
  bus_.HoldNextReply(1);
  Start();
  ASSERT_TRUE(FramesUntil([&] { return bus_.HeldReplies() == 1; }));
  ASSERT_TRUE(FramesUntil([] { return testsupport::CurrentSceneName() == "Notice" || TookOver(); }, false));
  ASSERT_FALSE(TookOver()) << "an I/O error while the bus came up";
  EXPECT_EQ(JvsGetState(), 0);
  bus_.ReleaseReply(1);
  ASSERT_TRUE(Eventually([] { return JvsGetState() == 1; }));
  Frame(false);
  ASSERT_FALSE(TookOver()) << "an I/O error right after the bus came up";

  Game* g = GetGame();
  g->settings[SettingsWord::coinPlay] = 1;
  CoinCounter* coins = GetCoinCounter();
  bus_.SetCoins(node_, 1, 0);
  EXPECT_TRUE(FramesUntil([&] { return coins->credits == 1; }));
  // The coin was taken off the node, and counted once.
  EXPECT_TRUE(FramesUntil([&] { return bus_.Node(node_).coins[0] == 0; }));
  for (int i = 0; i < 30; ++i) Frame();
  EXPECT_EQ(coins->credits, 1);
  EXPECT_EQ(bus_.Decreases(), (std::vector<std::pair<int, int>>{{1, 1}}));

  ASSERT_TRUE(FramesUntil([] { return testsupport::CurrentSceneName() == "Title"; }));
  for (int i = 0; i < 10; ++i) Frame();
  QvtBTUtil* client = GetServiceClient();
  const int32_t plays = client->GetCounterC();
  bus_.SetSwitches(node_, 0, 0x8000, 0);  // start, held until the play begins
  EXPECT_TRUE(FramesUntil([&] { return client->GetCounterC() == plays + 1; }));
  bus_.SetSwitches(node_, 0, 0, 0);
  EXPECT_TRUE(FramesUntil([] { return testsupport::CurrentSceneName() == "Tutorial"; }));
  EXPECT_EQ(coins->credits, 0);
  EXPECT_FALSE(TookOver());
  EXPECT_LE(longestWait_, kFrameMs);
}

// Bring-up and the board's setting sequence (two pauses of a second) run on
// the bus thread: no frame waits on the bus, and the frames go on at their
// pace meanwhile.
TEST_F(BusMode, BringUpNeverStallsTheFrameLoop) {
  Start();
  ASSERT_TRUE(FramesUntil([] { return JvsGetNodeSettingResult() == kJvsSettingDone; }));
  EXPECT_ALL({VAL(bus_.BoardSetting(), 18000), VAL(bus_.BoardApplies(), 1), VAL(longestWait_, 0u)});
  // The node was polled all the while: a switch pressed now shows at once.
  bus_.SetSwitches(node_, 0, 0x0200, 0);
  EXPECT_TRUE(FramesUntil([] { return (EngineInputBits & (1u << 26)) != 0; }));
  EXPECT_FALSE(TookOver());
}

// The reply to the poll that takes a coin off comes again right after the
// next poll, before that poll's reply: late, after the master took its copy,
// or unasked. It carries one report more than the next poll has (the
// decrease's bare 01), and would read as 256 coins against it. Each coin
// inserted is one credit, and each is taken off the node once.
TEST_F(BusMode, ReplyOfTheCoinPollAgainAfterTheNextPollGivesNoCredit) {
  Start();
  ASSERT_TRUE(FramesUntil([] { return testsupport::CurrentSceneName() == "Notice" || TookOver(); }));
  ASSERT_FALSE(TookOver());
  Game* g = GetGame();
  g->settings[SettingsWord::coinPlay] = 1;
  CoinCounter* coins = GetCoinCounter();
  const struct {
    const char* what;
    bool late;
  } cases[] = {{"late, after its copy", true}, {"again, unasked", false}};
  std::vector<std::pair<int, int>> decreases;
  int credits = 0;
  testsupport::StderrCapture capture;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    bus_.ReplyAgainAfterNextRequest(1, c.late, testsupport::SimJvsBus::kOneWrite, true);
    const uint32_t dropped = JvsGetDroppedReplyCount();
    bus_.SetCoins(node_, 1, 0);
    ++credits;
    decreases.emplace_back(1, 1);
    // Until the reply went out again, after the next poll, was dropped, and
    // the cycle that dropped it is over.
    EXPECT_TRUE(FramesUntil([&] { return bus_.LateReplies() == int(decreases.size()); }));
    EXPECT_TRUE(Eventually([&] { return JvsGetDroppedReplyCount() == dropped + 1; }));
    // The frame that answered nothing has the line waited out: frames move
    // the clock on.
    EXPECT_TRUE(FramesUntil([] { return JvsGetState() == 1; }));
    for (int i = 0; i < 30; ++i) Frame();
    EXPECT_ALL({VAL(coins->credits, credits), VAL(bus_.Node(node_).coins[0], 0), VAL(JvsGetState() > 0, true),
                VAL(bus_.LateReplies(), decreases.size())});
    EXPECT_EQ(bus_.Decreases(), decreases);
  }
  EXPECT_FALSE(TookOver());
  // The unasked reply answered nothing: told once, and the bus went on.
  const std::string err = capture.Take();
  EXPECT_EQ(err, "jvs bus: damaged or unfitting replies while waiting for node 1\n");
}

// A poll lost on its way to the node, or reaching it damaged (the node
// stays silent then): the one after the poll that takes a coin off (written
// again whole once the line is quiet), or that poll itself (the node, asked
// for its last reply, sends the one before: the decrease was not carried
// out, and goes out again). Each coin inserted is one credit and is taken
// off the node once, the lost frame costs one error and nothing is told: the
// bus plays on.
TEST_F(BusMode, LostPollAroundTheCoinPollGivesNoCredit) {
  using Sim = testsupport::SimJvsBus;
  Start();
  ASSERT_TRUE(FramesUntil([] { return testsupport::CurrentSceneName() == "Notice" || TookOver(); }));
  ASSERT_FALSE(TookOver());
  GetGame()->settings[SettingsWord::coinPlay] = 1;
  CoinCounter* coins = GetCoinCounter();
  bus_.SilentOnDamagedRequests(true);
  const struct {
    const char* what;
    Sim::Which which;
    Sim::Spoil how;
    bool grow;
  } cases[] = {{"the poll after the coin poll lost", Sim::kAfterNextDecrease, Sim::kLost, false},
               {"the poll after the coin poll damaged, copies growing", Sim::kAfterNextDecrease, Sim::kDamaged, true},
               {"the coin poll lost", Sim::kNextDecrease, Sim::kLost, false},
               {"the coin poll damaged, copies growing", Sim::kNextDecrease, Sim::kDamaged, true}};
  std::vector<std::pair<int, int>> decreases;
  int credits = 0;
  testsupport::StderrCapture capture;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    bus_.GrowOnResend(c.grow);
    const int spoiled = bus_.LostRequests() + bus_.BadRequests();
    const uint32_t errors = JvsGetErrorCount();
    bus_.SpoilRequest(1, c.which, c.how);
    bus_.SetCoins(node_, 1, 0);
    ++credits;
    decreases.emplace_back(1, 1);
    EXPECT_TRUE(FramesUntil([&] { return bus_.LostRequests() + bus_.BadRequests() == spoiled + 1; }));
    // The bus runs on its own thread: until the coin was taken off and
    // counted and the wait for the lost poll's reply ran out, then a while
    // more.
    EXPECT_TRUE(FramesUntil([&] {
      return bus_.Decreases() == decreases && coins->credits == credits && JvsGetErrorCount() != errors;
    }));
    for (int i = 0; i < 30; ++i) Frame();
    EXPECT_TRUE(Eventually([] { return JvsGetState() == 1; }));
    EXPECT_ALL({VAL(coins->credits, credits), VAL(bus_.Node(node_).coins[0], 0), VAL(JvsGetState() > 0, true),
                VAL(JvsGetErrorCount() - errors, 1u)});
    EXPECT_EQ(bus_.Decreases(), decreases);
  }
  EXPECT_FALSE(TookOver());
  EXPECT_EQ(capture.Take(), "");
}

// A coin slot in trouble (the node's coin condition in the top bits of the
// slot: bit 14, a coin jam) is the game's coin error, as a counter's fault
// bit is on the register board: the hardware error screen takes over, and
// the coins behind the condition are not counted.
TEST_F(BusMode, CoinConditionIsTheCoinError) {
  Start();
  ASSERT_TRUE(FramesUntil([] { return testsupport::CurrentSceneName() == "Notice" || TookOver(); }));
  ASSERT_FALSE(TookOver());
  GetGame()->settings[SettingsWord::coinPlay] = 1;
  bus_.SetCoins(node_, 0x4000 | 2, 0);
  EXPECT_TRUE(FramesUntil([] { return TookOver(); }));
  EXPECT_ALL({VAL(CheckCoinError(), 1), VAL(CheckHardwareError(), int32_t{FAULT_COIN}),
              VAL(GetCoinCounter()->credits, 0)});
  auto* screen = dynamic_cast<HardwareErrorScreen*>(GetGame()->FindInList("CABRIERRCHECK", GAME_LIST_MANAGERS));
  ASSERT_NE(screen, nullptr);
  EXPECT_TRUE(FramesUntil([&] { return screen->GetStep() == HardwareErrorScreen::STEP_SHOWING; }));
  EXPECT_STREQ(screen->GetLine(), "COIN ERROR CREDIT:0 COIN:0/1");
  EXPECT_TRUE(bus_.Decreases().empty());
}

// A bus that goes silent: the master gives up after six exchanges in a row
// found nothing (each node's request written again at its turn once the line
// had been quiet), says so in one line, and the game shows its I/O error; the
// frames never wait on the bus and keep coming.
TEST_F(BusMode, SilentNodeStopsTheBusOnceAndFramesGoOn) {
  Start();
  bus_.SetSwitches(node_, 0, 0x0400, 0);
  // The board's setting sequence over first: only polls are left.
  ASSERT_TRUE(FramesUntil([] {
    return (EngineInputBits & (1u << 27)) != 0 && JvsGetNodeSettingResult() == kJvsSettingDone;
  }));
  bus_.SetSilent(true);
  testsupport::StderrCapture capture;
  EXPECT_TRUE(FramesUntil([] { return JvsGetState() == -3; }));
  const int framesAtHalt = sys_->FramesRun();
  for (int i = 0; i < 120; ++i) Frame();
  const std::string err = capture.Take();
  EXPECT_EQ(sys_->FramesRun() - framesAtHalt, 120);
  // The board's status request and the node's poll went out again whole,
  // each in its turn: never a request to send a reply again.
  EXPECT_EQ(bus_.RetransmitRequests(), 0);
  // One line, for both nodes, or for the one whose own six came first (the
  // other answered once more as the silence began).
  bool told = false;
  for (const char* nodes : {"nodes 0 and 1", "node 0", "node 1"})
    told = told || err == std::string("jvs bus: no good answer from ") + nodes +
                              " in 6 exchanges in a row (6 silent); the bus is stopped\n";
  EXPECT_TRUE(told) << err;
  EXPECT_TRUE(TookOver());
  EXPECT_EQ(EngineInputBits, 0u);
  EXPECT_EQ(longestWait_, 0u);
}

// Coins put in during the test mode are taken off the node before the
// window closes, and never become credits: the end of the test mode waits,
// as for any busy board, until the node has taken them off and its count
// was read after it, also where every answer comes late (behind an adapter
// that holds what it receives for a while); and so does a window closed
// during the test mode (an interrupt or a terminate signal comes as the
// same close), whose end of the program runs the test mode's end before
// the controller manager closes the bus. The next start finds no coin.
TEST_F(BusMode, CoinsPutInDuringTheTestModeNeverBecomeCredits) {
  const struct {
    const char* what;
    uint32_t fromMs, toMs;
    bool exitItem;  // else the window is closed during the test mode
  } cases[] = {{"answers in 12 to 18 ms, the exit item", 12, 18, true},
               {"answers in 16 to 19 ms, the exit item", 16, 19, true},
               {"answers in 16 to 19 ms, the window closed", 16, 19, false}};
  // At the program's end, between its kill broadcast and the controller
  // manager's close of the bus (the managers of list 0 are disposed before
  // it): the coins on the node then.
  struct EndWatch : SProc {
    std::function<int()> coins;
    int atEnd = -1;
    int32_t OnDispose(SProcArg) override {
      atEnd = coins();
      return 0;
    }
  };
  bus_.SetClock(&clock_);
  std::vector<std::pair<int, int>> decreases;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    bus_.AnswerLate(c.fromMs, c.toMs);
    EndWatch watch;
    watch.coins = [this] { return bus_.Node(node_).coins[0]; };
    testsupport::StderrCapture capture;
    Start(&watch);
    ASSERT_TRUE(FramesUntil([] { return JvsGetState() == 1; }));
    ASSERT_FALSE(TookOver());
    auto mode = [] { return dynamic_cast<TestMode*>(GetGame()->FindInList("TestMode", GAME_LIST_MANAGERS)); };
    // The test switch, then three coins: they stay on the node.
    bus_.SetSwitches(node_, 0x80, 0, 0);
    ASSERT_TRUE(FramesUntil([&] { return mode() && mode()->GetRunState() == TEST_RUN_RUNNING; }));
    bus_.SetSwitches(node_, 0, 0, 0);
    bus_.InsertCoins(node_, 0, 3);
    for (int i = 0; i < 30; ++i) Frame();
    ASSERT_EQ(bus_.Node(node_).coins[0], 3);
    decreases.emplace_back(1, 3);
    if (c.exitItem) {
      // Up to the exit item, button 1, and the exit's count; the frame
      // that ends it waits for the board on the bus's clock.
      bus_.SetSwitches(node_, 0, 0x2000, 0);
      ASSERT_TRUE(FramesUntil([&] { return mode()->GetCursor() == 7; }));
      bus_.SetSwitches(node_, 0, 0, 0);
      ASSERT_TRUE(FramesUntil([] { return EngineInputBits == 0; }));
      bus_.SetSwitches(node_, 0, 0x0200, 0);
      ASSERT_TRUE(FramesUntil([&] { return mode()->GetPage() == TEST_PAGE_EXIT; }));
      bus_.SetSwitches(node_, 0, 0, 0);
      WithClockMoving([&] {
        for (int i = 0; i < 200 && !sys_->QuitRequested(); ++i) sys_->Step(1);
      });
      ASSERT_TRUE(sys_->QuitRequested());
      // The window closed: the coins are off the node.
      EXPECT_EQ(bus_.Node(node_).coins[0], 0);
      EXPECT_EQ(bus_.Decreases(), decreases);
    } else {
      PostCloseToMainWindow();
      sys_->Step(1);
      ASSERT_TRUE(sys_->QuitRequested());
    }
    WithClockMoving([&] { sys_.reset(); });
    EXPECT_ALL({VAL(watch.atEnd, 0), VAL(bus_.Node(node_).coins[0], 0),
                VAL(testsupport::LinesWith(capture.Take(), "test mode:"), 0)});
    EXPECT_EQ(bus_.Decreases(), decreases);
    EXPECT_EQ(CoinsAtTheNextStart(), 0);
    EXPECT_EQ(bus_.Decreases(), decreases);
  }
}

// Coins put in right before the window closes are credited once, in this
// run or at the next start: never lost, never twice. The game's coin
// counter asks the board to take coins off in one frame and counts them in
// the next; a close in between leaves them on the node for the next start,
// while the coins it counted before the close are taken off by the close.
// The close falls right after the coins went in (the game has not seen
// them), after the frame that asked for their take-off, and after the frame
// that counted them; the node answers at once and late.
TEST_F(BusMode, CoinsPutInRightBeforeACloseAreCreditedOnceAcrossTheNextStart) {
  const struct {
    const char* what;
    uint32_t fromMs, toMs;
  } lateness[] = {{"answers at once", 0, 0}, {"answers in 12 to 18 ms", 12, 18}, {"answers in 16 to 19 ms", 16, 19}};
  constexpr int kCoins = 2;
  bus_.SetClock(&clock_);
  const char* const moments[] = {"before the game saw them", "after the take-off's frame", "after the count's frame"};
  for (const auto& l : lateness) {
    // A late node only where the close has a take-off to leave or to send.
    const bool late = l.toMs != 0;
    for (int at = late ? 0 : -1; at <= 1; ++at) {
      SCOPED_TRACE(std::string(l.what) + ", the close " + moments[at + 1]);
      bus_.AnswerLate(l.fromMs, l.toMs);
      ClearCoinCounter();
      Start();
      ASSERT_TRUE(FramesUntil([] { return testsupport::CurrentSceneName() == "Notice" || TookOver(); }));
      ASSERT_TRUE(FramesUntil([] { return JvsGetState() == 1; }));
      ASSERT_FALSE(TookOver());
      GetGame()->settings[SettingsWord::coinPlay] = 1;
      CoinCounter* coins = GetCoinCounter();
      const size_t decreasesBefore = bus_.Decreases().size();
      bus_.InsertCoins(node_, 0, kCoins);
      if (at >= 0) {
        ASSERT_TRUE(FramesUntil([&] { return coins->handOver == 1; }));
      }
      ASSERT_EQ(coins->coins, 0);
      for (int i = 0; i < at; ++i) Frame();
      // The run's credits end with it (they are kept nowhere).
      const int credited = coins->coins;
      EXPECT_EQ(credited, at >= 1 ? kCoins : 0);
      PostCloseToMainWindow();
      ASSERT_EQ(sys_->Step(1), 0);
      ASSERT_TRUE(sys_->QuitRequested());
      WithClockMoving([&] { sys_.reset(); });
      int taken = 0;
      const auto decreases = bus_.Decreases();
      for (size_t i = decreasesBefore; i < decreases.size(); ++i) taken += decreases[i].second;
      const int onNode = bus_.Node(node_).coins[0];
      const int next = CoinsAtTheNextStart();
      EXPECT_ALL({VAL(credited + next, kCoins), VAL(taken, credited), VAL(onNode, next),
                  VAL(next, at >= 1 ? 0 : kCoins)});
      // The coins left for the next start, taken off there.
      bus_.SetCoins(node_, 0, 0);
    }
  }
}

}  // namespace
