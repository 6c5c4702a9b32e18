// The fans of jets in the break-ups of bosses 10 and 16. Each jet's matrix
// is the identity rotated about z by the jet's own turn and then about x by
// the fan's tilt (each rotation R taking the matrix to R x matrix); a jet
// throws its sprites along its matrix's -z axis, so the jets of one fan
// leave in as many directions as they have z turns.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "boss_fight.h"
#include "game/effect/EfxElements.h"
#include "game/enemy/boss10/Boss10.h"
#include "game/enemy/boss16/Boss16.h"
#include "support/WeaponRig.h"

namespace {

struct Dir {
  double x, y, z;
};

// -z of Rx(tx) x Rz(tz) (turns), row-vector convention: Rz's rows (c, s, 0),
// (-s, c, 0), (0, 0, 1) and Rx's (1, 0, 0), (0, c, s), (0, -s, c). The z row
// of the product is Rx's z row (0, -sx, cx) times Rz: (sx sz, -sx cz, cx).
Dir JetAxis(double tz, double tx) {
  const double sz = std::sin(2.0 * M_PI * tz), cz = std::cos(2.0 * M_PI * tz);
  const double sx = std::sin(2.0 * M_PI * tx), cx = std::cos(2.0 * M_PI * tx);
  return Dir{-sx * sz, sx * cz, -cx};
}

// The live jet sprites of one kind (start colour, green or white, and
// damping), as unit vectors of their throw.
std::vector<Dir> Jets(const EfxMan& efx, float green, float damping) {
  std::vector<Dir> out;
  for (const SObject* o = efx.Live(1).HeadObj(); o != nullptr; o = o->GetNext()) {
    const auto* e = static_cast<const EfxSprite*>(o);
    const bool kind = e->colour[0] == 1.0f - green && e->colour[1] == 1.0f && e->colour[2] == 1.0f - green &&
                      e->colour[3] == 0.0f && e->lifeA == 20 && e->lifeB == 10 && e->damping == damping;
    const SVec4& v = e->velocity2;
    const double n = std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
    if (kind && n > 0.0) out.push_back(Dir{v.x / n, v.y / n, v.z / n});
  }
  return out;
}

// Jets whose throw lies within about 18 degrees of the axis.
int Along(const std::vector<Dir>& jets, const Dir& axis) {
  int n = 0;
  for (const Dir& d : jets) n += d.x * axis.x + d.y * axis.y + d.z * axis.z >= 0.95;
  return n;
}

// Boss 10 at count 125: for k = -8 to 8 a matrix rotated about z by 0.02 k
// and about x by 0.2 turn, each with a green four-jet burst (damping 0.9).
// The outer jets of the fan leave 0.16 turn either side of its middle.
TEST(BossFans, TypeTenDebrisFansOutRoundItsTilt) {
  testsupport::WeaponRig rig;
  bossfight::BossStage stage(3, "osr_bs08", 245760);
  ASSERT_TRUE(stage.ok);
  ModelInstance model;
  ASSERT_EQ(model.Bind(stage.mdl.get()), 0);
  auto* show = new BossPartsObjectT10(&model);
  rig.Adopt(show);
  while (show->timer.GetCount() <= 125) rig.Run(1);
  const std::vector<Dir> jets = Jets(rig.efx, 1.0f, 0.9f);
  ASSERT_EQ(jets.size(), 17u * 4u);
  for (int k : {-8, 0, 8}) EXPECT_GE(Along(jets, JetAxis(0.02 * k, 0.2)), 4) << k;
}

// Boss 16 from count 10: nine green rays (damping 0.8) rotated about z by
// 0.04 k - 0.2 (k = -4 to 4) and seven white sparks (damping 0.9) by
// 0.03 k - 0.2 (k = -3 to 3), all tilted 0.1 turn about x; each jet throws
// one sprite a frame.
TEST(BossFans, TypeSixteenRaysAndSparksFanOutRoundTheirTilt) {
  bossfight::BossStage stage(5, "osr_bs14", 57344);
  ASSERT_TRUE(stage.ok);
  ModelInstance model;
  ASSERT_EQ(model.Bind(stage.mdl.get()), 0);
  // The rig last: the show it ends takes its packets off the model's nodes.
  testsupport::WeaponRig rig;
  auto* show = new BossPartsObjectT16(&model);
  rig.Adopt(show);
  while (show->timer.GetCount() <= 12) rig.Run(1);
  const std::vector<Dir> rays = Jets(rig.efx, 1.0f, 0.8f);
  const std::vector<Dir> sparks = Jets(rig.efx, 0.0f, 0.9f);
  ASSERT_GE(rays.size(), 9u);
  ASSERT_GE(sparks.size(), 7u);
  for (int k : {-4, 0, 4}) EXPECT_GE(Along(rays, JetAxis(0.04 * k - 0.2, 0.1)), 1) << k;
  for (int k : {-3, 0, 3}) EXPECT_GE(Along(sparks, JetAxis(0.03 * k - 0.2, 0.1)), 1) << k;
}

}  // namespace
