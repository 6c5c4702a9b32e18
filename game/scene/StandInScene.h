#pragma once
// Common ground of the scenes that are not built yet: each shows nothing,
// keeps its argument, counts kFrames frames and then calls TimeUp (by
// default it ends itself). When it is disposed it calls Next so that the
// scene can tell the game root what follows it.
#include <cstdint>

#include "vrax/kernel/SProc.h"

class Game;

class StandInScene : public SProc {
 public:
  static constexpr int32_t kFrames = 60;

  int32_t GetArgument() const { return argument_; }

 protected:
  // name: the process name the scene gives itself on Init.
  explicit StandInScene(const char* name) : sceneName_(name) {}

  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

  // Called at the end of Init when a game root exists.
  virtual void Started(Game&) {}
  // Called on the kFrames-th frame; ends the scene unless overridden.
  virtual void TimeUp() { Kill(0); }
  // Called on disposal when a game root exists.
  virtual void Next(Game&) {}

  // True when the coin counter holds a credit.
  static bool CreditPresent();

 private:
  const char* sceneName_;
  int32_t argument_ = 0;
  int32_t frame_ = 0;
};
