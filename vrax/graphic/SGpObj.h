#pragma once

class SGpQueue;

// A drawable packet: entered into a draw queue under a key (0..63) while the
// frame is being built, executed when the graphic manager runs the queue.
// Render-state packets, primitives, sprites and the game's own drawables all
// derive from it. The packet holds no data of its own.
class SGpObj {
 public:
  virtual ~SGpObj() = default;

  // Appends this packet to q under key; a null q means the graphic manager's
  // main queue.
  virtual void EnterQueue(SGpQueue* q, int key);
  // Appends to the graphic manager's current queue under key.
  virtual void Enter(int key);
  // Appends to the current queue under the graphic manager's default key.
  virtual void EnterDefault();
  // The same three, entering at the front of the key's bucket.
  virtual void EnterQueueFront(SGpQueue* q, int key);
  virtual void EnterFront(int key);
  virtual void EnterDefaultFront();
  // Draws or applies the packet.
  virtual void Execute() {}
};
