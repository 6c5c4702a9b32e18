// The two fixture models drawn lit and textured through their node trees on
// the OpenGL device, compared with reference pictures.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

#include "platform/gfx_device.h"
#include "platform/window.h"
#include "support/ImageCompare.h"
#include "support/image_files.h"
#include "support/gl_device.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/resource/ModelWriter.h"
#include "vrax/resource/SRsc_Image.h"
#include "vrax/resource/SRsc_Model.h"
#include "vrax/resource/model_fixtures.h"  // tests/vrax/resource

namespace {

constexpr int kW = 160, kH = 120;

// Image resource stand-in for the test: two device textures, a checker and
// a stripe pattern.
class TestImage : public SRsc_Image {
 public:
  explicit TestImage(plat::GfxDevice* d) {
    const plat::Image checker = testsupport::MakeImage(8, 8, [](int x, int y) {
      return ((x / 2 + y / 2) & 1) != 0 ? 0xFFFFFFFFu : 0xFF606060u;
    });
    const plat::Image stripes = testsupport::MakeImage(8, 8, [](int x, int) {
      return x < 4 ? 0xFFFFFFFFu : 0xFFFFC040u;
    });
    d->CreateTextureFromImage(checker, &tex_[0]);
    d->CreateTextureFromImage(stripes, &tex_[1]);
  }
  ~TestImage() override {
    for (plat::Texture* t : tex_) {
      SGpMan::ForgetTexture(t);
      if (t) t->Release();
    }
  }
  int32_t TextureCount() const override { return 2; }
  plat::Texture* GetDeviceTexture(int32_t n) const override { return n >= 0 && n < 2 ? tex_[n] : nullptr; }

 private:
  plat::Texture* tex_[2] = {};
};

class ModelPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::WindowDesc desc;
    desc.width = kW, desc.height = kH, desc.hidden = true;
    if (!window.Create(desc)) OSTREL_SKIP_WITHOUT_GL("no window");
    SGpMan::ResetRenderState();
    SGpMan::SetStartsSound(false);
    SGpDeviceRecord rec;
    rec.window = &window, rec.width = kW, rec.height = kH, rec.holdRate = 0;
    if (SGpMan::CreateDevice(&rec) != 0 || SGpMan::GetDevice()->IsNull()) OSTREL_SKIP_WITHOUT_GL("no GL device");
    dev = SGpMan::GetDevice();
    image = std::make_unique<TestImage>(dev);
    dev->BeginScene();
    dev->Clear(plat::kClearTarget | plat::kClearZBuffer, kClear, 1.0f, 0);
    // Camera at z = -512 looking along +z, y up; one unit is one pixel in
    // the plane z = 0.
    SGpMan::SetClip(16.0f, 4096.0f);
    SGpMan::SetProjection(float(kW), float(kH), 512.0f);
    SGpMan::SetView(SMatrix{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, -1, 0}, {0, 0, -512, 1}}});
    dev->SetRenderState(plat::kRsCullMode, plat::kCullNone);
    dev->SetRenderState(plat::kRsZEnable, 1);
    for (auto s : {plat::kTssMinFilter, plat::kTssMagFilter}) dev->SetTextureStageState(0, s, plat::kTexfPoint);
    plat::Material mat{};
    mat.diffuse = mat.ambient = {1, 1, 1, 1};
    dev->SetMaterial(mat);
    SGpMan::SetAmbient(SGpColour{0.3f, 0.3f, 0.3f, 1.0f});
    SGpMan::EnableLights(1);
    SGpMan::SetLightDirection(0, SVec4{0.4f, -0.3f, 1.0f, 0.0f});
    SGpMan::SetLightColour(0, SGpColour{1.0f, 1.0f, 1.0f, 1.0f});
    SGpMan::SetBlendMode(0, 0.5f);
    SGpMan::SetTexture(image.get(), 0);  // the current image of the materials
  }
  void TearDown() override {
    if (dev != nullptr) dev->EndScene();
    image.reset();
    SGpMan::ReleaseDevice();
    SGpMan::SetStartsSound(true);
    SGpMan::ResetRenderState();
  }
  // Pixels whose place was worked out from the geometry: each shows the
  // clear colour or not.
  struct Probe {
    int x, y;
    bool background;
  };
  void ExpectProbes(const plat::Image& img, std::initializer_list<Probe> probes) {
    for (const Probe& p : probes)
      EXPECT_EQ(testsupport::PixelsUnlike(img, kClear, p.x, p.y, p.x + 1, p.y + 1, 6) == 0, p.background)
          << "(" << p.x << ", " << p.y << ") " << std::hex << testsupport::PixelAt(img, p.x, p.y);
  }
  static constexpr uint32_t kClear = 0xFF203048u;
  plat::Image Shot() {
    plat::Image img;
    EXPECT_EQ(dev->ReadBackBuffer(&img), plat::kOk);
    return img;
  }

  plat::Window window;
  plat::GfxDevice* dev = nullptr;
  std::unique_ptr<TestImage> image;
};

TEST_F(ModelPicture, RigidModelWithScrolledTexture) {
  auto m = modelfix::BuildRigid();
  ASSERT_NE(m, nullptr);
  SGpNode holder;
  SMatrix::Scaling(holder.GetLocal(), 0.75f, 0.75f, 0.75f);
  holder.GetLocal()->m[3][0] = -12.0f;
  m->GetNode(0)->SetParent(&holder);
  ModelApplyMotion(m->GetNode(0), m->NodeCount(), nullptr, SGpMotionCursor{m.get(), 2.0f}, false);
  // Scroll the body's texture for a few frames before the picture.
  m->FlagMesh(0);
  for (int i = 0; i < 4; ++i) m->GetMesh(0)->Execute();
  dev->Clear(plat::kClearTarget | plat::kClearZBuffer, kClear, 1.0f, 0);
  holder.Execute();
  m->GetNode(0)->SetParent(nullptr);
  const plat::Image shot = Shot();
  // Node 0 at frame 2 of its track sits at (2, 4, 6); the holder scales by
  // 0.75 and moves by -12 in x. The square (-40..40 in x and y) spans x
  // -40.5..19.5, y -27..33 at z 4.5, where the camera 516.5 away shows
  // 512/516.5 pixels per unit about (80, 60): pixels 39.9..99.3 across and
  // 27.3..86.8 down. Node 1 (its parent's frame plus x 2) puts the triangle
  // (50, -20) (50, 20) (80, 0) at pixels (108.3, 71.9) (108.3, 42.2) (130.6, 57.0).
  ExpectProbes(shot, {{41, 29, false}, {98, 85, false}, {70, 57, false}, {115, 57, false},
                      {38, 57, true}, {70, 25, true}, {70, 89, true}, {101, 57, true}, {105, 57, true},
                      {133, 57, true}, {5, 5, true}});
  EXPECT_TRUE(testsupport::MatchesGolden(shot, "model_rigid.png", 6, 24));
}

TEST_F(ModelPicture, SkinnedModelBentByItsSecondBone) {
  auto m = modelfix::Build(modelfix::Skinned());
  ASSERT_NE(m, nullptr);
  SGpNode holder;
  SMatrix::Scaling(holder.GetLocal(), 40.0f, 40.0f, 40.0f);
  holder.GetLocal()->m[3][0] = -50.0f, holder.GetLocal()->m[3][1] = -30.0f;
  m->GetNode(0)->SetParent(&holder);
  ModelApplyMotion(m->GetNode(0), m->NodeCount(), nullptr, SGpMotionCursor{m.get(), 7.5f}, false);
  holder.Execute();
  m->GetNode(0)->SetParent(nullptr);
  const plat::Image shot = Shot();
  // The bar's first column (x = 0, y = -0.5 and 0.5) follows bone 0 alone,
  // which stays at rest: scaled by 40 and moved by (-50, -30) it is the
  // left edge at pixel x 30, from y 70 to 110; the bar lies to its right.
  ExpectProbes(shot, {{32, 74, false}, {32, 90, false}, {32, 106, false}, {27, 75, true}, {27, 90, true},
                      {27, 105, true}, {5, 5, true}});
  EXPECT_TRUE(testsupport::MatchesGolden(shot, "model_skinned.png", 6, 24));
}

}  // namespace
