// The effect manager's packets per draw key, on a graphic manager over the
// null device, counted by hand from the drawing rules: owned rings under key
// 4, the streaks' three shared packets under 6, free rings and discs under 8,
// ribbons under 13; sprites and the elements that only spawn others enter
// nothing of their own.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "efx_fixture.h"
#include "game/effect/EfxTables.h"
#include "game/tables/image_slots.h"
#include "vrax/resource/SRsc_Image.h"

namespace {

// An image holding one texture packet (no device texture): enough for the
// effect texture and the ribbon rectangles to have their packets.
class OnePacketImage : public SRsc_Image {
 public:
  OnePacketImage() { packets_.emplace_back(this, 0); }
};

class EfxDrawWorld : public testsupport::EfxWorld {
 protected:
  void SetUp() override {
    withGraphics = true;
    EfxWorld::SetUp();
    savedEfx = ImgEfx, savedEfx08 = ImgEfx08;
    ImgEfx = &effectImage;  // the effect texture
    ImgEfx08 = &ribbonImage;  // the tendril rectangles
  }
  void TearDown() override {
    ImgEfx = savedEfx, ImgEfx08 = savedEfx08;
    EfxWorld::TearDown();
  }
  // One EVENT_DRAW of the manager into an emptied queue: the packets it
  // entered, by key (keys without packets left out).
  std::map<int, int> Draw() {
    SGpQueue* q = gp->GetQueue();
    q->Reset();
    efx.SendEvent(SProc::EVENT_DRAW, 0);
    std::map<int, int> byKey;
    for (const auto& [key, packet] : q->Entries()) ++byKey[key];
    return byKey;
  }

  OnePacketImage effectImage, ribbonImage;
  SRsc_Image* savedEfx = nullptr;
  SRsc_Image* savedEfx08 = nullptr;
};

constexpr SVec4 kOrigin{0.0f, 0.0f, 0.0f, 1.0f};
constexpr float kWhite[4] = {1, 1, 1, 1};

TEST_F(EfxDrawWorld, PacketsPerDrawKey) {
  auto* owner = new SProc;
  root.AddChild(0, owner, 0);
  const SMatrix m = kIdentityMatrix;
  const SVec4 v{1.0f, 0.0f, 0.0f, 0.0f}, far{100.0f, 0.0f, 0.0f, 1.0f};
  struct Case {
    const char* name;
    std::function<void()> spawn;
    std::map<int, int> want;
  };
  const Case cases[] = {
      // Nothing live: key 6 still takes the texture, the world state and the
      // empty streak primitive; keys 4 and 8 their texture (8 twice: rings,
      // then discs); key 13 the world state.
      {"none", [] {}, {{4, 1}, {6, 3}, {8, 2}, {13, 1}}},
      // Five streaks share key 6's three packets; sprites enter nothing.
      {"streaks and sprites",
       [&] {
         for (int i = 0; i < 5; ++i) efx.SpawnB(static_cast<uint32_t>(i), &kOrigin, &v, 20, 1.0f);
         for (int i = 0; i < 4; ++i)
           efx.SpawnSprite(6, &kOrigin, EfxKeyList7, nullptr, nullptr, 20, 20, 0, 1, 1, nullptr, nullptr, 0, 1);
       },
       {{4, 1}, {6, 3}, {8, 2}, {13, 1}}},
      // Key 4: texture + 2 owned rings x 2. Key 8: texture + 3 free rings x 2,
      // then texture + 3 discs (one plus the glow's two) x 2.
      {"rings and discs",
       [&] {
         efx.SpawnC(1, 1, &m, 8, 64, 0, 8, kWhite, kWhite, 20, nullptr);
         efx.SpawnC(0, 0, &m, 8, 64, 0, 8, kWhite, kWhite, 20, &v);
         efx.SpawnC2(1, 2, &m, 8, 64, 0, 8, kWhite, kWhite, 20, nullptr, nullptr);
         efx.SpawnC3(1, 1, &m, 8, 64, 0, 8, kWhite, kWhite, 20, owner, nullptr);
         efx.SpawnC3(0, 1, &m, 8, 64, 0, 8, kWhite, kWhite, 20, owner, nullptr);
         efx.SpawnD(1, 1, &m, 8, 64, kWhite, kWhite, 20, nullptr);
         efx.SpawnE(&kOrigin, 1, 32.0f, 20, nullptr);
       },
       {{4, 1 + 2 * 2}, {6, 3}, {8, 1 + 3 * 2 + 1 + 3 * 2}, {13, 1}}},
      // Key 13: the world state, then texture + primitive for each ribbon of
      // two points or more: the tendril's (three points after its step) and
      // one of two points; a ribbon of one point enters nothing.
      {"ribbons",
       [&] {
         efx.SpawnF(1, &kOrigin, &far, 4.0f, 4.0f, 3.0f, 20);
         EfxRibbon* two = efx.SpawnRibbon(8, 0.9f, 0);
         EfxMan::AddRibbonPoint(two, &kOrigin, 2.0f, EfxTendrilRect(0, 0));
         EfxMan::AddRibbonPoint(two, &far, 2.0f, EfxTendrilRect(0, 1));
         EfxRibbon* one = efx.SpawnRibbon(8, 0.9f, 0);
         EfxMan::AddRibbonPoint(one, &kOrigin, 2.0f, EfxTendrilRect(0, 0));
       },
       {{4, 1}, {6, 3}, {8, 2}, {13, 1 + 2 * 2}}},
      // A sequence's first step spawns smoke and streaks only.
      {"sequence", [&] { efx.SpawnRandom(7, &kOrigin, 0.0f, nullptr); }, {{4, 1}, {6, 3}, {8, 2}, {13, 1}}},
  };
  for (const Case& c : cases) {
    efx.ClearAll();
    gp->SetDefaultKey(0);
    c.spawn();
    Step(1);  // builds the shapes, lays the tendril's points
    EXPECT_EQ(Draw(), c.want) << c.name;
    // The ribbons leave the default key at 13.
    EXPECT_EQ(gp->GetDefaultKey(), 13) << c.name;
  }
  EXPECT_EQ(efx.LiveCount(8), 1);  // the sequence is still running
}

}  // namespace
