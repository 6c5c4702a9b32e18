#include "platform/thread.h"

#include <chrono>
#include <system_error>

namespace plat {

Thread::~Thread() {
  PostQuit();
  Join();
}

bool Thread::Start(Body body) {
  std::lock_guard<std::mutex> guard(lock_);
  if (started_) return false;
  started_ = true;
  running_ = true;
  quit_ = false;
  exitCode_ = kStillActive;
  try {
    thread_ = std::thread([this, body = std::move(body)]() mutable {
      uint32_t code = body(*this);
      std::lock_guard<std::mutex> g(lock_);
      exitCode_ = code;
      running_ = false;
      ended_.notify_all();
    });
  } catch (const std::system_error&) {
    started_ = false;
    running_ = false;
    return false;
  }
  return true;
}

bool Thread::Wait(uint32_t timeoutMs) {
  std::unique_lock<std::mutex> guard(lock_);
  if (timeoutMs == kInfinite) {
    ended_.wait(guard, [this] { return !running_; });
    return true;
  }
  return ended_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                         [this] { return !running_; });
}

bool Thread::GetExitCode(uint32_t* code) const {
  std::lock_guard<std::mutex> guard(lock_);
  if (!started_) return false;
  *code = running_ ? kStillActive : exitCode_;
  return true;
}

bool Thread::IsRunning() const {
  std::lock_guard<std::mutex> guard(lock_);
  return running_;
}

bool Thread::Started() const {
  std::lock_guard<std::mutex> guard(lock_);
  return started_;
}

void Thread::Join() {
  Wait(kInfinite);
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> guard(lock_);
  started_ = false;
}

void Thread::PostQuit() {
  std::lock_guard<std::mutex> guard(lock_);
  quit_ = true;
}

bool Thread::QuitPosted() const {
  std::lock_guard<std::mutex> guard(lock_);
  return quit_;
}

void Event::Set() {
  std::lock_guard<std::mutex> guard(lock_);
  set_ = true;
  if (manual_)
    cv_.notify_all();
  else
    cv_.notify_one();
}

void Event::Reset() {
  std::lock_guard<std::mutex> guard(lock_);
  set_ = false;
}

bool Event::IsSet() const {
  std::lock_guard<std::mutex> guard(lock_);
  return set_;
}

bool Event::Wait(uint32_t timeoutMs) {
  std::unique_lock<std::mutex> guard(lock_);
  bool ok;
  if (timeoutMs == kInfinite) {
    cv_.wait(guard, [this] { return set_; });
    ok = true;
  } else {
    ok = cv_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return set_; });
  }
  if (ok && !manual_) set_ = false;
  return ok;
}

}  // namespace plat
