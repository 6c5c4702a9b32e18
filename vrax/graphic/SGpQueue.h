#pragma once
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "vrax/graphic/SGpObj.h"

// The draw queue: 2^bits buckets, one per key. All buckets are threaded onto
// one chain that runs from the highest key to key 0, so entering a packet is
// a constant-time splice and executing is a single walk, already in key
// order. Nodes come from up to 16 blocks (16 nodes, then doubling); blocks
// stay allocated across frames, so the steady state allocates nothing.
class SGpQueue {
 public:
  static constexpr int kMaxBlocks = 16;
  static constexpr int kFirstBlockNodes = 16;

  struct Node {
    Node* next;
    SGpObj* packet;  // null for a bucket's sentinel
  };

  SGpQueue() = default;
  virtual ~SGpQueue() = default;
  SGpQueue(const SGpQueue&) = delete;
  SGpQueue& operator=(const SGpQueue&) = delete;

  // 2^bits buckets, frees the node blocks beyond the first and allocates
  // block 0 afresh. 0, or -1 when memory runs out.
  virtual int Create(int bits);
  // Links the whole chain of sub behind bucket key's current tail. A queue
  // already spliced into this one since this one's last Reset is not
  // spliced again (its chain would close into a loop).
  virtual void Splice(int key, SGpQueue* sub);
  // Enters obj behind the bucket's packets / before them. A queue whose node
  // blocks are exhausted drops the packet silently.
  virtual void Append(int key, SGpObj* obj);
  virtual void Prepend(int key, SGpObj* obj);
  // Empties every bucket and rewinds the node pool.
  virtual void Reset();
  // Executes every entered packet: key 63 (the highest) first, key 0 last.
  virtual void Execute();
  // A whole queue can be entered like a packet: splices itself into q
  // (null = the graphic manager's main queue), the current queue, or the
  // current queue under the default key.
  virtual void EnterQueue(SGpQueue* q, int key);
  virtual void Enter(int key);
  virtual void EnterDefault();
  virtual int GetBits() const { return bits_; }
  virtual int GetBucketCount() const { return static_cast<int>(buckets_.size()); }

  // Introspection for tests and statistics.
  int BlockCount() const;         // node blocks allocated so far
  int CurrentBlock() const { return block_; }
  // Every entered packet with the key it was entered under, in the order
  // Execute runs them (a spliced queue's packets under the key it was
  // spliced into).
  std::vector<std::pair<int, SGpObj*>> Entries() const;

 private:
  struct Bucket {
    Node* tail;
    Node sentinel;
  };

  Node* TakeNode();
  void Rethread();

  int bits_ = 0;
  uint32_t mask_ = 0;
  Node* head_ = nullptr;
  std::vector<Bucket> buckets_;
  std::unique_ptr<Node[]> blocks_[kMaxBlocks];
  int used_ = 0;
  int block_ = 0;
  int capacity_ = 0;
  uint32_t generation_ = 0;  // counts this queue's resets
  const SGpQueue* spliceHost_ = nullptr;
  uint32_t spliceGeneration_ = 0;
};
