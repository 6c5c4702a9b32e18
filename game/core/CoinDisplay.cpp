#include "game/core/CoinDisplay.h"

#include <cstdio>
#include <cstring>

#include "game/core/CoinCounter.h"
#include "game/tables/font_tables.h"
#include "vrax/graphic/SGpState.h"

namespace {

// The credit line and the prompt lie on top of every other layer, under
// the identity world state entered there. (The default key is whatever the
// last drawer left: in play and in the attract scenes the effect manager's
// additive ribbon layer, which every screen layer covers.)
constexpr int32_t kTextKey = 0;
constexpr float kLineY = 300.0f;
// Half the glyph width of the coin font: the line is centred on x = 0.
constexpr float kHalfGlyph = 7.0f;
constexpr int kLineCapacity = 32;
constexpr int kPromptCapacity = 64;

}  // namespace

float CoinDisplay::LineAlpha(int32_t mode, int32_t frames, bool forceVisible) {
  if (forceVisible || mode == CoinCounter::MODE_ATTRACT || mode == CoinCounter::MODE_CONTINUE) return 1.0f;
  if (frames < kShowFrames) return 1.0f;
  if (frames < kShowFrames + kFadeFrames)
    return 1.0f - static_cast<float>(frames - kShowFrames) / static_cast<float>(kFadeFrames);
  return 0.0f;
}

int32_t CoinDisplay::Init(SProcArg) {
  SetName("CoinDisplay");
  line_.Init(&FontSmall, kLineCapacity);
  line_.SetScale(1.0f, 1.0f);
  prompt_.Init(&FontSmall, kPromptCapacity);
  prompt_.SetScale(1.0f, 1.0f);
  framesSinceChange_ = 240;
  forceVisible = 0;
  lineText_[0] = promptText_[0] = 0;
  return 0;
}

int32_t CoinDisplay::Draw(SProcArg) {
  lineText_[0] = promptText_[0] = 0;
  const CoinCounter* counter = GetCoinCounter();
  if (counter == nullptr) return 0;
  if (framesSinceChange_ < INT32_MAX) ++framesSinceChange_;
  WorldPresets[1].Enter(kTextKey);
  shownCredits_ = counter->GetCredits();
  shownRemainder_ = counter->GetRemainder();
  if (shownCredits_ != seenCredits_ || shownRemainder_ != seenRemainder_ || counter->GetCoinEvent() != 0) {
    framesSinceChange_ = 0;
    seenCredits_ = shownCredits_;
    seenRemainder_ = shownRemainder_;
  }
  if (shownCredits_ > 8) {
    shownCredits_ = 9;
    shownRemainder_ = 0;
  }
  const int32_t mode = counter->GetMode();
  if (mode == CoinCounter::MODE_HIDDEN || mode == CoinCounter::MODE_IDLE) return 0;
  BuildLine();
  BuildPrompt();
  return 0;
}

void CoinDisplay::BuildLine() {
  const CoinCounter& c = *GetCoinCounter();
  const int32_t unit = CoinCounter::CoinsToStart();
  if (c.IsFreePlay())
    std::snprintf(lineText_, sizeof lineText_, "FREE PLAY");
  else if (c.GetMode() == CoinCounter::MODE_CONTINUE && c.CanStart())
    std::snprintf(lineText_, sizeof lineText_, "ENJOY");
  else if (unit == 1)
    std::snprintf(lineText_, sizeof lineText_, "CREDIT(S) %d", shownCredits_);
  else
    std::snprintf(lineText_, sizeof lineText_, "CREDIT(S) %d %d/%d", shownCredits_, shownRemainder_, unit);
  const float alpha = LineAlpha(c.GetMode(), framesSinceChange_, forceVisible != 0);
  line_.SetOrigin(-kHalfGlyph * static_cast<float>(std::strlen(lineText_)), kLineY, 0.0f);
  line_.SetColour(1.0f, 1.0f, 1.0f, alpha);
  line_.Printf("%s", lineText_);
  line_.Enter(kTextKey);
}

void CoinDisplay::BuildPrompt() {
  const CoinCounter& c = *GetCoinCounter();
  const int32_t unit = CoinCounter::CoinsToStart();
  const int32_t toContinue = CoinCounter::CoinsToContinue();
  const bool freePlay = c.IsFreePlay();
  float x = -168.0f, y = -20.0f;
  char* out = promptText_;
  const size_t room = sizeof promptText_;
  switch (c.GetMode()) {
    case CoinCounter::MODE_ATTRACT:
      if (freePlay) {
        if (c.GetTotalCoins() > 0 || c.serviceCredits > 0)
          std::snprintf(out, room, "%s%s%s%s", "      - FREE PLAY -        \n", "                           \n",
                        "    PRESS START BUTTON      \n", "        TO START !          \n");
      } else if (c.GetCredits() < 1) {
        if (c.GetTotalCoins() > 0)
          std::snprintf(out, room, "      ADD %d COIN(S)        \n%s%s", unit - c.GetRemainder(),
                        "                          \n", "        TO START !          \n");
      } else {
        std::snprintf(out, room, "%s%s", "    PRESS START BUTTON      \n", "        TO START !          \n");
      }
      break;
    case CoinCounter::MODE_START:
      std::snprintf(out, room, "       START GAME !\n");
      break;
    case CoinCounter::MODE_CONTINUE:
      x = -210.0f, y = 260.0f;
      if (freePlay || c.CanStart())
        std::snprintf(out, room, "PRESS START BUTTON TO CONTINUE");
      else if (c.GetTotalCoins() < 1)
        std::snprintf(out, room, "INSERT %d COIN(S) TO CONTINUE", toContinue);
      else
        std::snprintf(out, room, "   ADD %d COIN(S) TO CONTINUE", toContinue - c.GetTotalCoins());
      break;
    default:
      break;
  }
  prompt_.SetOrigin(x, y, 0.0f);
  prompt_.SetColour(1.0f, 1.0f, 1.0f, 1.0f);
  prompt_.Printf("%s", promptText_);
  prompt_.Enter(kTextKey);
}
