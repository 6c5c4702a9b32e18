#pragma once
// The check that what the game draws reaches the screen where it is put: at
// one still moment (the game paused), each thing is taken away in turn and
// the picture taken again; each must change pixels, and the change must lie
// in the box where the thing stands and fill a stated share of it (a thing
// cut in half fails).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/Headless.h"

class EfxSprite;
class SGpObj;

namespace testsupport {

// Pixels [x0, x1) x [y0, y1) of the 640 x 480 picture.
struct PixelBox {
  int x0 = 0, y0 = 0, x1 = 640, y1 = 480;
};

// The pixels that hold the play rectangle [x0, x1] x [y0, y1] (0.75 pixels
// a unit about (320, 240)), widened by `slack` pixels each side for the
// filtering at the edges, within the picture.
PixelBox PlayBox(float x0, float y0, float x1, float y1, int slack = 1);

struct DrawnThing {
  std::string what;
  std::function<void()> remove;  // takes the thing away (it stays away)
  PixelBox where{};              // where its numbers put it
  int64_t atLeast = 1;           // changed pixels it must make inside the box
  // Changed pixels allowed outside the box: a thing whose removal shows what
  // it covered changes nothing else.
  int64_t outside = 0;
  // The least share of `of` pixels (0: of the box's pixels) that must change
  // inside the box; `of` is the thing's own footprint where the box is loose
  // (it holds every place the thing may take).
  double share = 0.0;
  int64_t of = 0;
  // A sky or backdrop: its removal reveals nothing but what stood behind it,
  // the dark of the empty view, so no pixel grows brighter (what stands
  // before it keeps its colour or loses the backdrop under it).
  bool backdrop = false;
};

// What one removal changed; `brighter`: changed pixels that grew brighter.
struct DrawnChange {
  int64_t inside = 0, outside = 0, brighter = 0;
  PixelBox changed{640, 480, 0, 0};  // the box that holds every changed pixel
};

// Takes the things away in their order (the earlier ones stay away, so a
// thing drawn over another is taken first), running `settle` frames after
// each, and checks each change. The picture must stand still, frame after
// frame, before the first removal. Each change is written to the test's output and returned.
std::vector<DrawnChange> ExpectEachChangesThePicture(Headless& h, const std::vector<DrawnThing>& things,
                                                     int settle = 2);

// Removals. Kills the process (its children with it).
std::function<void()> KillProcess(SProc* p);
// Whether two colours (red, green, blue, alpha) agree to within 1e-4 each:
// effect sprites are picked by the colours they were spawned with.
bool SameColour(const float* a, const float* b);
// Hides the effect manager's live sprites that `which` picks: their
// requests lose their part, so nothing draws them while the game is paused.
std::function<void()> HideEfxSprites(std::function<bool(const EfxSprite&)> which);
// Takes the packets that `which(key, packet)` picks out of every frame's
// draw queue from now on (with those dropped before).
std::function<void()> DropPackets(Headless& h, std::function<bool(int, SGpObj*)> which);

}  // namespace testsupport
