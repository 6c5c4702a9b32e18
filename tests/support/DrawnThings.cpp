#include "support/DrawnThings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "game/effect/EfxMan.h"
#include "support/ImageCompare.h"
#include "vrax/graphic/SGpSpriteCell.h"

namespace testsupport {

PixelBox PlayBox(float x0, float y0, float x1, float y1, int slack) {
  return PixelBox{std::max(0, static_cast<int>(std::floor(320.0f + 0.75f * x0)) - slack),
                  std::max(0, static_cast<int>(std::floor(240.0f + 0.75f * y0)) - slack),
                  std::min(640, static_cast<int>(std::ceil(320.0f + 0.75f * x1)) + slack),
                  std::min(480, static_cast<int>(std::ceil(240.0f + 0.75f * y1)) + slack)};
}

bool SameColour(const float* a, const float* b) {
  for (int i = 0; i < 4; ++i)
    if (std::fabs(a[i] - b[i]) > 1e-4f) return false;
  return true;
}

std::vector<DrawnChange> ExpectEachChangesThePicture(Headless& h, const std::vector<DrawnThing>& things,
                                                     int settle) {
  std::vector<DrawnChange> changes;
  plat::Image before, still;
  h.Step(settle);
  if (!h.Screenshot(&before)) {
    ADD_FAILURE() << "no picture";
    return changes;
  }
  // Every frame of twice the settling time is the same picture: nothing
  // moves or blinks on a clock of its own.
  for (int f = 1; f <= 2 * settle; ++f) {
    h.Step();
    h.Screenshot(&still);
    EXPECT_TRUE(ImagesMatch(still, before, 0)) << "the picture does not stand still " << f << " frames on";
  }
  for (const DrawnThing& t : things) {
    t.remove();
    h.Step(settle);
    plat::Image after;
    if (!h.Screenshot(&after)) {
      ADD_FAILURE() << t.what << ": no picture";
      return changes;
    }
    DrawnChange c;
    PixelBox changed{after.width, after.height, 0, 0};
    for (int y = 0; y < after.height; ++y)
      for (int x = 0; x < after.width; ++x) {
        const uint32_t now = PixelAt(after, x, y), was = PixelAt(before, x, y);
        if (now == was) continue;
        for (int shift : {0, 8, 16})
          if (int((now >> shift) & 0xFF) > int((was >> shift) & 0xFF) + 2) {
            ++c.brighter;
            break;
          }
        const bool in = x >= t.where.x0 && x < t.where.x1 && y >= t.where.y0 && y < t.where.y1;
        (in ? c.inside : c.outside)++;
        changed = PixelBox{std::min(changed.x0, x), std::min(changed.y0, y), std::max(changed.x1, x + 1),
                           std::max(changed.y1, y + 1)};
      }
    const int64_t of = t.of > 0 ? t.of : int64_t(t.where.x1 - t.where.x0) * (t.where.y1 - t.where.y0);
    std::printf("[ drawn    ] %s: %lld pixels inside (%d,%d)-(%d,%d) (%.3f of %lld), %lld outside; all within "
                "(%d,%d)-(%d,%d)\n",
                t.what.c_str(), static_cast<long long>(c.inside), t.where.x0, t.where.y0, t.where.x1, t.where.y1,
                of > 0 ? double(c.inside) / double(of) : 0.0, static_cast<long long>(of),
                static_cast<long long>(c.outside), changed.x0, changed.y0, changed.x1, changed.y1);
    c.changed = changed;
    EXPECT_GE(c.inside, t.atLeast) << t.what << " changes too little where it stands";
    EXPECT_GE(double(c.inside), t.share * double(of)) << t.what << " changes too little of its place";
    EXPECT_LE(c.outside, t.outside) << t.what << " changes the picture outside its place";
    if (t.backdrop) {
      std::printf("[ drawn    ] %s: %lld pixels grew brighter\n", t.what.c_str(), static_cast<long long>(c.brighter));
      EXPECT_EQ(c.brighter, 0) << t.what << " removed reveals what it hid";
    }
    changes.push_back(c);
    before = std::move(after);
  }
  return changes;
}

std::function<void()> KillProcess(SProc* p) {
  return [p] {
    ASSERT_NE(p, nullptr);
    p->Kill(0);
  };
}

std::function<void()> HideEfxSprites(std::function<bool(const EfxSprite&)> which) {
  return [which = std::move(which)] {
    EfxMan* efx = EfxMan::Instance();
    ASSERT_NE(efx, nullptr);
    int hidden = 0;
    for (SObject* o = efx->Live(1).HeadObj(); o != nullptr; o = o->GetNext()) {
      auto* s = static_cast<EfxSprite*>(o);
      if (s->Sprite() == nullptr || !which(*s)) continue;
      s->Sprite()->part = nullptr;
      ++hidden;
    }
    EXPECT_GT(hidden, 0) << "no effect sprite to hide";
  };
}

std::function<void()> DropPackets(Headless& h, std::function<bool(int, SGpObj*)> which) {
  return [&h, which = std::move(which)] { h.DropPackets(which); };
}

}  // namespace testsupport
