#include "game/effect/ScriptedProc.h"

void ScriptedProc::AttachDrawA(const SMatrix*, float, float, float, float, const float*) {}
void ScriptedProc::AttachDrawB(const SMatrix*, float, float, float, float, const float*, int32_t) {}
void ScriptedProc::EfxBurstC(float, float, float, float, int32_t, int32_t) {}
void ScriptedProc::EfxBurstD(float, float, float, float, int32_t, int32_t) {}
int32_t ScriptedProc::Init(SProcArg) { return SendScript(kCodeInit); }
int32_t ScriptedProc::Draw(SProcArg) {
  SendScript(kCodeDraw);
  BroadcastAll(EVENT_DRAW, 0);
  return 0;
}
int32_t ScriptedProc::Main(SProcArg) {
  SendScript(kCodeMain);
  BroadcastAll(EVENT_MAIN, 0);
  return 0;
}
int32_t ScriptedProc::OnDispose(SProcArg) { return 0; }
int32_t ScriptedProc::SendScript(int32_t code) { return SendEvent(code, 0); }
void ScriptedProc::Burst(float, float, float, float, int32_t, int32_t, bool) {}
