#include "vrax/kernel/SKernel.h"

#include "vrax/io/SysUtil.h"

SKernel* SKernel::s_instance = nullptr;

namespace {
SKernel::StartHook g_startHook = nullptr;
SKernel::EndHook g_endHook = nullptr;
}  // namespace

void SKernel::SetPlatformHooks(StartHook start, EndHook end) {
  g_startHook = start;
  g_endHook = end;
}

SKernel::SKernel() {
  SetStatic(true);
  s_instance = this;
}

SKernel::~SKernel() {
  if (s_instance == this) s_instance = nullptr;
}

int32_t SKernel::Start() {
  if (g_startHook != nullptr && g_startHook() < 0) return -1;
  DebugPrint("VRAX library\n");
  return StartRoot(0);
}

int32_t SKernel::Init(SProcArg) {
  DebugPrint("%s %s", GetName().c_str(), "initialize... ");
  SetName("VRAX Kernel");
  int32_t r = ListCount() >= kListCount ? 0 : CreateLists(kListCount - ListCount());
  SetInitResult(r);
  DebugPrint(r == 0 ? "completed\n" : "failed\n");
  return r;
}

void SKernel::BroadcastList(int32_t n, int32_t code, SProcArg arg) {
  if (SProcList* l = GetList(n)) l->Broadcast(code, arg);
}

int32_t SKernel::Draw(SProcArg arg) {
  for (int32_t n = 0; n < kListCount; ++n) BroadcastList(n, EVENT_DRAW, arg);
  for (int32_t n = 0; n < kListCount; ++n) {
    if (n != kGameList) BroadcastList(n, kFrameUserEvent, arg);
  }
  return 0;
}

void SKernel::FrameEvent(int32_t code, SProcArg arg) {
  for (int32_t n = 0; n < kListCount; ++n) {
    if (n == kGameList && IsPaused()) continue;
    BroadcastList(n, code, arg);
  }
}

int32_t SKernel::Begin(SProcArg arg) {
  FrameEvent(EVENT_BEGIN, arg);
  return 0;
}

int32_t SKernel::Main(SProcArg arg) {
  FrameEvent(EVENT_MAIN, arg);
  return 0;
}

int32_t SKernel::End(SProcArg arg) {
  FrameEvent(EVENT_END, arg);
  pause_ = requestedPause_;
  return 0;
}

int32_t SKernel::KillChildren(SProcArg) {
  BroadcastAll(EVENT_KILL, 0);
  return 0;
}

int32_t SKernel::OnDispose(SProcArg) {
  DebugPrint("%s %s", GetName().c_str(), "...disposed\n");
  if (g_endHook != nullptr) g_endHook();
  return 0;
}
