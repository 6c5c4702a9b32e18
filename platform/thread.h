#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

// Threads, critical sections and events with the meanings the engine relies
// on, over the C++ standard library:
//  - a thread's exit code reads kStillActive while it runs, so the main
//    thread can poll a short-lived loader before using its data;
//  - a thread can be asked to quit (the quit message posted to its queue)
//    and waited for with or without a time-out;
//  - critical sections may be entered again by the thread that holds them;
//  - events are manual-reset (stay set until Reset) or auto-reset (one
//    successful wait clears them).
namespace plat {

constexpr uint32_t kInfinite = 0xFFFFFFFFu;  // wait without time-out
constexpr uint32_t kStillActive = 259;       // exit code of a running thread

class Thread {
 public:
  using Body = std::function<uint32_t(Thread& self)>;

  Thread() = default;
  // Asks a running thread to quit and waits for it: a thread object never
  // outlives its thread.
  ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Starts body on a new thread; false when one is already started and not
  // yet joined, or the thread could not be created.
  bool Start(Body body);
  // True once the thread has ended (at once when none was started); false
  // when timeoutMs passed first. kInfinite waits for ever.
  bool Wait(uint32_t timeoutMs = kInfinite);
  // The body's return value, or kStillActive while it runs. False when no
  // thread was started.
  bool GetExitCode(uint32_t* code) const;
  bool IsRunning() const;
  bool Started() const;
  // Waits for the end and releases the thread so another can be started.
  void Join();

  // The thread's quit message: posted from anywhere, polled by the body.
  void PostQuit();
  bool QuitPosted() const;

 private:
  mutable std::mutex lock_;
  std::condition_variable ended_;
  std::thread thread_;
  bool started_ = false;
  bool running_ = false;
  bool quit_ = false;
  uint32_t exitCode_ = 0;
};

class CriticalSection {
 public:
  void Enter() { m_.lock(); }
  void Leave() { m_.unlock(); }
  bool TryEnter() { return m_.try_lock(); }

  // Holds the section for a scope.
  class Lock {
   public:
    explicit Lock(CriticalSection& cs) : cs_(cs) { cs_.Enter(); }
    ~Lock() { cs_.Leave(); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    CriticalSection& cs_;
  };

 private:
  std::recursive_mutex m_;
};

class Event {
 public:
  explicit Event(bool manualReset = true, bool initiallySet = false)
      : manual_(manualReset), set_(initiallySet) {}
  void Set();
  void Reset();
  bool IsSet() const;
  // True when the event was (or became) set within timeoutMs; an auto-reset
  // event is cleared by the successful wait. A time-out of 0 only tests.
  bool Wait(uint32_t timeoutMs = kInfinite);

 private:
  mutable std::mutex lock_;
  std::condition_variable cv_;
  bool manual_;
  bool set_;
};

}  // namespace plat
