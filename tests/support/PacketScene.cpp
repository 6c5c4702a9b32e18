#include "support/PacketScene.h"

#include "support/gl_device.h"

namespace testsupport {

int32_t PacketScene::Init(SProcArg) {
  SetName("Scene");
  SetInitResult(0);
  return 0;
}

int32_t PacketScene::Draw(SProcArg) {
  for (auto& [key, obj] : entries) obj->Enter(key);
  return 0;
}

void AddPlayLayer(PacketScene* scene, SGpState_View* view, SGpState_Clip* clip, float clipFar, bool blend,
                  int key) {
  view->SetMatrix(SMatrix{{{1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 0}, {0, 0, -512, 1}}});
  clip->Set(8.0f, clipFar);
  for (SGpObj* p : {static_cast<SGpObj*>(view), static_cast<SGpObj*>(clip),
                    static_cast<SGpObj*>(&WorldPresets[1]), static_cast<SGpObj*>(GetZModePreset(4))})
    scene->entries.push_back({key, p});
  if (blend) scene->entries.push_back({key, &BlendPresets[1]});
}

void GlSceneWorld::SetUp() {
  plat::WindowDesc desc;
  desc.width = 640;
  desc.height = 480;
  desc.hidden = true;
  if (!window.Create(desc)) OSTREL_SKIP_WITHOUT_GL("no window");
  SGpMan::ResetRenderState();
  SGpMan::SetStartsSound(false);
  ASSERT_EQ(kernel.Start(), 0);
  gp.SetStatic(true);
  scene.SetStatic(true);
  SGpDeviceRecord rec;
  rec.window = &window;
  rec.holdRate = 0;
  if (kernel.AddChild(0, &gp, reinterpret_cast<SProcArg>(&rec)) != 0) OSTREL_SKIP_WITHOUT_GL("no GL device");
  ASSERT_EQ(kernel.AddChild(2, &scene, 0), 0);
  kernel.Step();
  AddPlayLayer(&scene, &view, &clip, clipFar, blend);
}

void GlSceneWorld::TearDown() {
  kernel.Kill(0);
  kernel.Dispose();
  SGpMan::SetStartsSound(true);
  SGpMan::ResetRenderState();
}

}  // namespace testsupport
