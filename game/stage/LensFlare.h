#pragma once
// The lens flare of the last stages: a row of glow sprites along the line
// from a bright light's place on the screen through the screen centre. Each
// element is respawned every frame as a one-frame effect sprite.
#include <cstdint>
#include <vector>

#include "vrax/graphic/SMath.h"

struct SGpKeyList;

// One flare element: its place along the flare line (1.0 at the light, 0.0
// at the screen centre, negative beyond it), its size (the sprite is drawn
// at ten times it), which of the four flare sprites, and its colour.
struct LensFlareElem {
  float position;
  float size;
  int32_t kind;
  float r, g, b, a;
};

class LensFlare {
 public:
  // Records of the full flare; the first is the glow on the light itself.
  static constexpr int kElemCount = 16;

  // firstElem: the stage 4 sky leaves out the glow on the light (1).
  explicit LensFlare(int firstElem = 0) { Build(firstElem); }

  // Fills the element list from the flare table.
  void Build(int firstElem = 0);
  const std::vector<LensFlareElem>& Elems() const { return elems_; }

  // The screen place of a world position through the rail camera: its view
  // matrix, a divide by w, its projection, a divide by w again; the result
  // scaled by (480, 640).
  static SVec2 Project(const SVec3& world);
  // How far a screen place lies outside the middle: the larger of dx and dy,
  // where dx is x - 240 cut to a whole number for x above 240, 0 at 240 and
  // -x cut to a whole number below it (dy the same with y and 320).
  static int32_t EdgeDistance(float x, float y);
  // The key list of a flare sprite kind (0 to 3); null for other kinds.
  static const SGpKeyList* Keys(int32_t kind);
  // One element's sprite at screen place (x, y) scaled by its position
  // along the line, with the element's colour and the given alpha, living
  // one frame.
  static void SpawnElem(const LensFlareElem& e, uint32_t sheet, float x, float y, float alpha);

  // Every element with alpha x the light's fade (1 - min(d, 400) x 0.0025,
  // more than 1 for a light inside the middle) x the factor of its kind,
  // clamped to 0..1: kind 3 on sheetGlow with glowFactor, kinds 0 to 2 on
  // sheetRing with ringFactor.
  void Draw(uint32_t sheetGlow, float glowFactor, uint32_t sheetRing, float ringFactor, float x, float y) const;

 private:
  std::vector<LensFlareElem> elems_;
};
