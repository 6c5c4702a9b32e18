#include "game/core/CoinCounter.h"

namespace {
CoinCounter* g_coinCounter = nullptr;
}

CoinCounter::CoinCounter() { g_coinCounter = this; }

CoinCounter::~CoinCounter() {
  if (g_coinCounter == this) g_coinCounter = nullptr;
}

CoinCounter* GetCoinCounter() { return g_coinCounter; }
