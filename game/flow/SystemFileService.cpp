// The settings words the network service decides: its coin credit sets the
// coin unit and the coins to continue. Declared with the settings file
// (game/core/SystemFile.h), which applies it whenever the service-coins
// word is set.
#include "game/core/SystemFile.h"

#include "cabinet/QvtBTUtil.h"
#include "cabinet/ServiceClient.h"

void ApplyServiceCoinSettings(int32_t* settings) {
  settings[SettingsWord::serviceCoins] = 1;
  settings[SettingsWord::creditsPerUnit] = 1;
  const QvtBTUtil* client = GetServiceClient();
  const uint32_t c = client ? client->GetCoinCredit() : 1u;
  if (c != 0) {
    settings[SettingsWord::coinUnit] = static_cast<int32_t>(c);
    settings[SettingsWord::continueCoins] = static_cast<int32_t>(c);
    settings[SettingsWord::coinPlay] = 1;
  } else {
    settings[SettingsWord::coinUnit] = 1;
    settings[SettingsWord::continueCoins] = 1;
    settings[SettingsWord::coinPlay] = 0;
  }
}
