#include "cabinet/ServiceClient.h"

#include <atomic>

#include "cabinet/QvtBTUtil.h"

namespace {
std::atomic<QvtBTUtil*> g_client{nullptr};
}

QvtBTUtil* GetServiceClient() { return g_client.load(); }

void SetServiceClient(QvtBTUtil* client) { g_client = client; }

bool IsHighResolution() {
  QvtBTUtil* c = g_client.load();
  return c && c->GetResolution() != 0;
}

bool IsScreenVertical() {
  QvtBTUtil* c = g_client.load();
  return c && c->GetScreenVertical() != 0;
}
