#include "support/EngineWorld.h"

#include "platform/sound_device.h"
#include "support/gl_device.h"
#include "vrax/sound/SSndMan.h"

namespace testsupport {

void EngineWorld::SetUp() {
  SGpMan::ResetRenderState();
  SGpMan::SetStartsSound(false);
  if (withSound) {
    ASSERT_EQ(SSndMan::InitWithDevice(plat::SoundDevice::OpenNull(plat::NullMode::kManual), false), 0);
  }
  ASSERT_EQ(kernel.Start(), 0);
  for (SProc* p : {static_cast<SProc*>(&gp), static_cast<SProc*>(&io), static_cast<SProc*>(&rm)}) p->SetStatic(true);
  SGpDeviceRecord rec;
  rec.window = window;
  rec.holdRate = 0;
  if (window != nullptr) {
    if (kernel.AddChild(0, &gp, reinterpret_cast<SProcArg>(&rec)) != 0) OSTREL_SKIP_WITHOUT_GL("no OpenGL device");
  } else {
    ASSERT_EQ(kernel.AddChild(0, &gp, reinterpret_cast<SProcArg>(&rec)), 0);
  }
  ASSERT_EQ(kernel.AddChild(3, &io, 0), 0);
  ASSERT_EQ(kernel.AddChild(3, &rm, 0), 0);
  io.SetDataPath("Data//");
  kernel.Step();
}

void EngineWorld::TearDown() {
  kernel.Kill(0);
  kernel.Dispose();
  if (withSound) SSndMan::ReleaseDevice();
  SGpMan::SetStartsSound(true);
  SGpMan::ResetRenderState();
}

}  // namespace testsupport
