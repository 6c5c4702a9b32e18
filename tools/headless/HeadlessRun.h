#pragma once
// The whole program without a screen, for the tools that run it for a long
// time or compare runs: started as from the command line with a hidden
// window, the null device (or OpenGL off screen), dummy audio, unpaced
// frames and a fresh temporary save directory (so no settings or ranking of
// an earlier run change the play). Every error box text is counted and
// still printed on standard error.
#include <cstdint>
#include <string>
#include <vector>

#include "game/core/WinMain.h"
#include "platform/message_box.h"

class Game;

namespace headless {

class Run {
 public:
  // paced: the graphic manager holds the frame rate as in a window (the
  // frame-pacing benchmark); otherwise frames run as fast as they can.
  // drawStates: a draw-state file to start with (an earlier run's
  // DrawStateFile()), as a machine that has run the game before has one;
  // none when empty.
  explicit Run(bool nullDevice = true, bool paced = false, const std::vector<uint8_t>& drawStates = {});
  ~Run();
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  bool Ok() const { return ok_; }
  const std::string& Failure() const { return app_.Failure(); }
  // One frame (the window's messages, then one kernel step); false once the
  // program has asked to quit.
  bool Step();
  int64_t Frames() const { return frames_; }
  // The error box texts seen so far.
  const std::vector<std::string>& Errors() const { return errors_; }
  // The draw states met so far, as the draw-state file holds them.
  std::vector<uint8_t> DrawStateFile() const;

  // Runs until the start-up is done (the notice scene), then takes the
  // attract scenes away so nothing but what the caller starts runs next.
  // False when the notice never came.
  bool ToQuietStart();
  // After ToQuietStart: requests stage n (1 to 5) with its recorded play
  // "common\PlayNN.rpd" driving the ship, which enters as in a play (stage
  // 1 with the intro flight). Returns the play's frame count, 0 when its
  // file did not load.
  int StartRecordedPlay(int stage);

 private:
  std::string saveDir_;
  Application app_;
  plat::MessageBoxHook oldHook_;
  std::vector<std::string> errors_;
  bool ok_ = false;
  bool quit_ = false;
  int64_t frames_ = 0;
};

}  // namespace headless
