#pragma once
// Waits for an event of another thread (a server, a bus master, a port
// reader) by polling a predicate. The 30-second bound only keeps a broken
// test from hanging; it is far beyond what a loaded machine needs, so no
// passing test depends on the machine's speed.
#include <chrono>
#include <thread>

namespace testsupport {

template <class Pred>
bool Eventually(Pred pred) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!pred()) {
    if (std::chrono::steady_clock::now() > until) return pred();
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

}  // namespace testsupport
