#include "vrax/graphic/SGpObj.h"

#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpQueue.h"

namespace {
SGpQueue* MainQueue() {
  SGpMan* m = GetGpMan();
  return m ? m->GetQueue() : nullptr;
}
SGpQueue* CurrentQueue() {
  SGpMan* m = GetGpMan();
  return m ? m->GetCurrentQueue() : nullptr;
}
int DefaultKey() {
  SGpMan* m = GetGpMan();
  return m ? m->GetDefaultKey() : 0;
}
}  // namespace

void SGpObj::EnterQueue(SGpQueue* q, int key) {
  if (!q) q = MainQueue();
  if (q) q->Append(key, this);
}

void SGpObj::Enter(int key) {
  if (SGpQueue* q = CurrentQueue()) q->Append(key, this);
}

void SGpObj::EnterDefault() {
  if (SGpQueue* q = CurrentQueue()) q->Append(DefaultKey(), this);
}

void SGpObj::EnterQueueFront(SGpQueue* q, int key) {
  if (!q) q = MainQueue();
  if (q) q->Prepend(key, this);
}

void SGpObj::EnterFront(int key) {
  if (SGpQueue* q = CurrentQueue()) q->Prepend(key, this);
}

void SGpObj::EnterDefaultFront() {
  if (SGpQueue* q = CurrentQueue()) q->Prepend(DefaultKey(), this);
}

void SGpQueue::EnterQueue(SGpQueue* q, int key) {
  if (!q) q = MainQueue();
  if (q) q->Splice(key, this);
}

void SGpQueue::Enter(int key) {
  if (SGpQueue* q = CurrentQueue()) q->Splice(key, this);
}

void SGpQueue::EnterDefault() {
  if (SGpQueue* q = CurrentQueue()) q->Splice(DefaultKey(), this);
}
