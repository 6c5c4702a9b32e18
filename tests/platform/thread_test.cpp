#include "platform/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "platform/clock.h"

namespace {

TEST(Thread, ExitCodeReadsStillActiveUntilTheBodyReturns) {
  plat::Event go;
  plat::Thread t;
  uint32_t code = 0;
  EXPECT_FALSE(t.GetExitCode(&code));  // nothing started
  ASSERT_TRUE(t.Start([&](plat::Thread&) {
    go.Wait();
    return 42u;
  }));
  EXPECT_FALSE(t.Start([](plat::Thread&) { return 0u; }));  // already started
  ASSERT_TRUE(t.GetExitCode(&code));
  EXPECT_EQ(code, plat::kStillActive);
  EXPECT_FALSE(t.Wait(5));  // times out while blocked
  go.Set();
  EXPECT_TRUE(t.Wait());
  ASSERT_TRUE(t.GetExitCode(&code));
  EXPECT_EQ(code, 42u);
  t.Join();
  // A joined thread object can run again.
  ASSERT_TRUE(t.Start([](plat::Thread&) { return 7u; }));
  t.Join();
}

TEST(Thread, QuitMessageEndsAPollingLoopAndDestructorWaits) {
  std::atomic<int> passes{0};
  std::atomic<bool> ended{false};
  {
    plat::Thread t;
    ASSERT_TRUE(t.Start([&](plat::Thread& self) {
      while (!self.QuitPosted()) {
        ++passes;
        plat::SleepMs(1);
      }
      ended = true;
      return 0u;
    }));
    while (passes < 3) plat::SleepMs(1);
    EXPECT_TRUE(t.IsRunning());
  }  // destructor posts quit and joins
  EXPECT_TRUE(ended);
}

TEST(CriticalSection, ReentrantAndExcludesOtherThreads) {
  plat::CriticalSection cs;
  cs.Enter();
  EXPECT_TRUE(cs.TryEnter());  // same thread may enter again
  cs.Leave();
  std::atomic<bool> otherGot{true};
  plat::Thread probe;
  probe.Start([&](plat::Thread&) {
    otherGot = cs.TryEnter();
    if (otherGot) cs.Leave();
    return 0u;
  });
  probe.Join();
  EXPECT_FALSE(otherGot);
  cs.Leave();

  long counter = 0;  // unguarded increments would lose updates
  std::vector<std::unique_ptr<plat::Thread>> threads;
  for (int i = 0; i < 4; ++i) {
    threads.push_back(std::make_unique<plat::Thread>());
    threads.back()->Start([&](plat::Thread&) {
      for (int k = 0; k < 20000; ++k) {
        plat::CriticalSection::Lock hold(cs);
        ++counter;
      }
      return 0u;
    });
  }
  for (auto& t : threads) t->Join();
  EXPECT_EQ(counter, 80000);
}

TEST(Event, ManualResetStaysSetAutoResetWakesOneWait) {
  plat::Event manual(true, false);
  EXPECT_FALSE(manual.Wait(0));
  manual.Set();
  EXPECT_TRUE(manual.Wait(0));
  EXPECT_TRUE(manual.Wait(0));
  manual.Reset();
  EXPECT_FALSE(manual.Wait(1));

  plat::Event autoEv(false, true);
  EXPECT_TRUE(autoEv.Wait(0));
  EXPECT_FALSE(autoEv.Wait(0));

  // A set from another thread wakes an infinite wait.
  plat::Thread t;
  t.Start([&](plat::Thread&) {
    plat::SleepMs(2);
    autoEv.Set();
    return 0u;
  });
  EXPECT_TRUE(autoEv.Wait());
  EXPECT_FALSE(autoEv.IsSet());
  t.Join();
}

}  // namespace
