#include "game/scene/TutorialParts.h"

#include <cmath>

#include "game/scene/SceneFrame.h"
#include "vrax/graphic/SGpRect.h"

void CaptionPanel::Init(const SGpRect* table) {
  table_ = table;
  previous_ = current_ = table;
  counter_ = kTransitionFrames;
  for (SGpObj_PrimQuad& q : quads_) q.AllocPrims(1);
}

void CaptionPanel::Show(int32_t n) {
  if (!table_ || n < 0 || n >= kCaptions) return;
  // The first caption has none before it: it squeezes itself.
  previous_ = &table_[n > 0 ? n - 1 : 0];
  current_ = &table_[n];
  counter_ = 0;
}

void CaptionPanel::Build() {
  if (!current_) return;
  const float t = static_cast<float>(counter_);
  if (counter_ < kTransitionFrames) ++counter_;
  const float y = 242.0f - t * 3.95f;
  SetSceneQuad(quads_[0], -205.0f, 163.0f, 202.0f, y, 0.0f, previous_, kSceneWhite);
  SetSceneQuad(quads_[1], -205.0f, y, 202.0f, 242.0f, 0.0f, current_, kSceneWhite);
}

void CaptionPanel::Enter() {
  if (!current_) return;
  EnterSceneTexture(*previous_);
  quads_[0].EnterDefault();
  EnterSceneTexture(*current_);
  quads_[1].EnterDefault();
}

bool TutorialBlinkOn(int32_t counter) { return counter % 15 < 9; }

void TutorialMarker::Init(const SGpRect* rect) {
  rect_ = rect;
  Set(false, 0.0f, 0.0f);
}

void TutorialMarker::Set(bool enabled, float x, float y) {
  enabled_ = enabled;
  x_ = x;
  y_ = y;
  blink_ = 0;
}

void TutorialMarker::Build() {
  shown_ = false;
  if (!enabled_ || !rect_) return;
  const float hw = rect_->width * 0.5f, hh = rect_->height * 0.5f;
  SetSceneQuad(quad_, x_ - hw, y_ - hh, x_ + hw, y_ + hh, 0.0f, rect_, kSceneWhite);
  shown_ = TutorialBlinkOn(blink_++);
}

void TutorialMarker::Enter() {
  if (!shown_) return;
  EnterSceneTexture(*rect_);
  quad_.EnterDefault();
}

void TutorialRing::Set(bool enabled, float radius, float x, float y) {
  enabled_ = enabled;
  radius_ = radius;
  x_ = x;
  y_ = y;
  blink_ = 0;
}

void TutorialRing::Build() {
  shown_ = false;
  if (!enabled_) return;
  if (quads_.GetPrimCapacity() < kSegments) quads_.AllocPrims(kSegments);
  static constexpr float kRed[4] = {1.0f, 0.0f, 0.0f, 1.0f};
  const float inner = radius_ - 4.0f;
  quads_.Seek(0, 0);
  for (int i = 0; i < kSegments; ++i) {
    const float a0 = 2.0f * 3.14159265f * static_cast<float>(i) / kSegments;
    const float a1 = 2.0f * 3.14159265f * static_cast<float>(i + 1) / kSegments;
    const float pts[4][2] = {{std::cos(a0) * radius_, std::sin(a0) * radius_},
                             {std::cos(a1) * radius_, std::sin(a1) * radius_},
                             {std::cos(a0) * inner, std::sin(a0) * inner},
                             {std::cos(a1) * inner, std::sin(a1) * inner}};
    for (const auto& p : pts) {
      quads_.SetPos(x_ + p[0], y_ + p[1], 0.0f);
      quads_.SetColour(kRed);
      quads_.Next();
    }
  }
  quads_.SetActiveCount(kSegments);
  shown_ = TutorialBlinkOn(blink_++);
}

void TutorialRing::Enter() {
  if (shown_) quads_.EnterDefault();
}
