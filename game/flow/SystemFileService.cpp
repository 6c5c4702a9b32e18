// The settings words the network service decides: its coin credit sets the
// coin unit and the coins to continue. Declared with the settings file
// (game/core/SystemFile.h), which applies it whenever the service-coins
// word is set.
#include "game/core/SystemFile.h"

#include "cabinet/QvtBTUtil.h"
#include "cabinet/ServiceClient.h"

void ApplyServiceCoinSettings(int32_t* settings) {
  settings[kSetServiceCoins] = 1;
  settings[kSetCreditsPerUnit] = 1;
  const QvtBTUtil* client = GetServiceClient();
  const uint32_t c = client ? client->GetCoinCredit() : 1u;
  if (c != 0) {
    settings[kSetCoinUnit] = static_cast<int32_t>(c);
    settings[kSetContinueCoins] = static_cast<int32_t>(c);
    settings[kSetCoinPlay] = 1;
  } else {
    settings[kSetCoinUnit] = 1;
    settings[kSetContinueCoins] = 1;
    settings[kSetCoinPlay] = 0;
  }
}
