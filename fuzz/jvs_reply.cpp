// Checks arbitrary replies against commands queued from the input, as the
// bus master does with each reply, and walks the replies that pass with the
// standard reply handler: nothing is read beyond the reply.
//
// Input: node (byte mod 33, 32 meaning the broadcast), command count (mod 8),
// then each command as a length byte (mod 6, plus 1) and its bytes; the rest
// is the reply, status first.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "cabinet/JvsFrame.h"
#include "cabinet/JvsMaster.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t node = data[0] % 33 == 32 ? kJvsBroadcast : static_cast<uint8_t>(data[0] % 33);
  const int count = data[1] % 8;
  size_t p = 2;
  JvsQueueCommand(node, nullptr, 0);
  for (int i = 0; i < count && p < size; ++i) {
    const size_t len = data[p] % 6 + 1;
    ++p;
    if (len > size - p) break;
    JvsQueueCommand(node, data + p, len);
    p += len;
  }
  // The reply on the heap at its exact size, so any read past it is caught.
  const std::vector<uint8_t> reply(data + p, data + size);
  const size_t answered = JvsReplyAnswersQueue(node, reply.data(), reply.size());
  // The answering part lies within the reply: the receive compares it with
  // the frame's length to tell a reply from a frame with bytes after it.
  if (answered > reply.size()) __builtin_trap();
  if (!answered || reply.empty() || node >= kJvsMaxNodes) return 0;
  size_t at = 1;
  for (uint32_t i = 0; i < JvsQueuedCount(node) && at < reply.size(); ++i) {
    size_t clen = 0;
    const uint8_t* c = JvsGetQueuedCommand(node, i, &clen);
    if (!c || clen == 0) continue;
    const int32_t used = JvsStdReplyHandler(node, c, clen, reply.data() + at, reply.size() - at);
    if (used < 0) break;
    at += static_cast<size_t>(used);
  }
  return 0;
}
