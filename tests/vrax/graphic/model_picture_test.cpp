// The two fixture models drawn lit and textured through their node trees on
// the OpenGL device, compared with reference pictures.
#include <gtest/gtest.h>

#include <memory>

#include "platform/gfx_device.h"
#include "platform/window.h"
#include "support/ImageCompare.h"
#include "support/image_files.h"
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
    if (!window.Create(desc)) GTEST_SKIP() << "no window";
    SGpMan::ResetRenderState();
    SGpMan::SetStartsSound(false);
    SGpDeviceRecord rec;
    rec.window = &window, rec.width = kW, rec.height = kH, rec.holdRate = 0;
    if (SGpMan::CreateDevice(&rec) != 0 || SGpMan::GetDevice()->IsNull()) GTEST_SKIP() << "no GL device";
    dev = SGpMan::GetDevice();
    image = std::make_unique<TestImage>(dev);
    dev->BeginScene();
    dev->Clear(plat::kClearTarget | plat::kClearZBuffer, 0xFF203048u, 1.0f, 0);
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
  dev->Clear(plat::kClearTarget | plat::kClearZBuffer, 0xFF203048u, 1.0f, 0);
  holder.Execute();
  m->GetNode(0)->SetParent(nullptr);
  EXPECT_TRUE(testsupport::MatchesGolden(Shot(), "model_rigid.png", 6, 24));
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
  EXPECT_TRUE(testsupport::MatchesGolden(Shot(), "model_skinned.png", 6, 24));
}

}  // namespace
