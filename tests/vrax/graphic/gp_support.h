#pragma once
#include <string>
#include <utility>
#include <vector>

#include "platform/gfx_device.h"
#include "platform/message_box.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpState.h"

// A null device created through the graphic manager's module for the scope
// of a test, with the render state and the save stacks reset around it and
// every error box collected instead of printed.
class NullDeviceScope {
 public:
  NullDeviceScope() {
    SGpMan::ResetRenderState();
    sgp_stacks::Clear();
    SGpMan::SetStartsSound(false);
    SGpDeviceRecord rec;
    rec.holdRate = 0;
    ok = SGpMan::CreateDevice(&rec) == 0;
    plat::SetMessageBoxQuiet(true);
    plat::SetMessageBoxHook([this](const std::string&, const std::string& text) { errors.push_back(text); });
  }
  ~NullDeviceScope() {
    plat::SetMessageBoxHook(nullptr);
    plat::SetMessageBoxQuiet(false);
    SGpMan::ReleaseDevice();
    SGpMan::ResetRenderState();
    sgp_stacks::Clear();
    SGpMan::SetStartsSound(true);
  }
  plat::GfxDevice* dev() const { return SGpMan::GetDevice(); }
  uint32_t rs(uint32_t s) const { return dev()->GetRenderState(s); }
  uint32_t tss(uint32_t stage, uint32_t s) const { return dev()->GetTextureStageState(stage, s); }
  plat::Light light(uint32_t i) const {
    plat::Light l{};
    dev()->GetLight(i, &l);
    return l;
  }
  bool lightOn(uint32_t i) const {
    bool on = false;
    dev()->GetLightEnable(i, &on);
    return on;
  }

  bool ok = false;
  std::vector<std::string> errors;
};

// A packet that records its tag into a shared log when executed.
struct Tag : SGpObj {
  Tag(std::vector<std::string>* log, std::string name) : log(log), name(std::move(name)) {}
  void Execute() override { log->push_back(name); }
  std::vector<std::string>* log;
  std::string name;
};
