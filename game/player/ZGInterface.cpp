#include "game/player/ZGInterface.h"

#include <cmath>

#include "game/core/Game.h"
#include "game/effect/EfxMan.h"
#include "game/player/ChainCounter.h"
#include "game/player/Player.h"
#include "game/stage/MapMng.h"
#include "game/tables/effect_tables.h"
#include "game/tables/font_tables.h"
#include "vrax/graphic/SGpState.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr int32_t kPanelKey = 3;
constexpr int32_t kOverlayKey = 2;
constexpr int32_t kWorldKey = 1;
constexpr int32_t kMaskKey = 0;
constexpr int32_t kIconSheet = 3;
constexpr int kTextCapacity = 64;
constexpr int kBannerCapacity = 128;
// Lock-on gauge: the cooldown after a lock-on, and the eased value at which
// the gauge counts as full.
constexpr float kLockOnFull = 0.98f;

// Parts of the panel table.
enum PanelPart : int { kFramePart = 0, kGaugePart = 1, kLockPart = 2, kGaugeOverPart = 3, kLockOverPart = 4,
                       kLabelPartA = 6, kLabelPartB = 7 };

const SGpRect& PanelRect(int i) { return SprGameIf00_1[i]; }

// Quad q of prim from (x0, y0) to (x1, y1) with the corner coordinates
// uv[4] (top-left, top-right, bottom-left, bottom-right) and one colour.
void LayQuad(SGpObj_PrimQuad& prim, int q, float x0, float y0, float x1, float y1, const SGpUV* uv,
             const float* colour) {
  const float xs[4] = {x0, x1, x0, x1};
  const float ys[4] = {y0, y0, y1, y1};
  prim.Seek(q, 0);
  for (int i = 0; i < 4; ++i) {
    prim.SetPos(xs[i], ys[i], 0.0f);
    prim.SetUV(uv[i].u, uv[i].v);
    prim.SetColour(colour);
    prim.Next();
  }
}

void LayPart(SGpObj_PrimQuad& prim, int q, float x0, float y0, float x1, float y1, const SGpRect& part,
             const float* colour) {
  SGpUV uv[4];
  part.GetCorners(uv);
  LayQuad(prim, q, x0, y0, x1, y1, uv, colour);
}

void ColourQuad(SGpObj_PrimQuad& prim, int q, float r, float g, float b, float a) {
  prim.Seek(q, 0);
  for (int i = 0; i < 4; ++i) {
    prim.SetColour(r, g, b, a);
    prim.Next();
  }
}

// Allocated at every INIT: the interface outlives a device when a second
// run starts in the same process, and a primitive draws only through
// buffers of the device in use.
void Reserve(SGpObj_Prim& prim, int quads) {
  prim.AllocPrims(quads);
  prim.SetActiveCount(quads);
}

void EnterTexture(const SGpRect& part, int32_t key) {
  if (SGpObj* tex = part.GetTexture()) tex->Enter(key);
}

constexpr float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};

}  // namespace

ZGInterface::ZGInterface() = default;

int32_t ZGInterface::DisplayedStage(int32_t stage) {
  if (stage >= 1 && stage <= 5) return stage;
  if (stage >= 101 && stage <= 103) return stage - 100;
  return 1;
}

float ZGInterface::GaugeTarget(float power) { return power >= 4.0f ? 1.0f : power - std::floor(power); }

int32_t ZGInterface::BannerPhaseOf(int32_t s, int32_t left, int32_t* elapsed) {
  if (s == 3) {
    if (left > 90) return *elapsed = 120 - left, BANNER_FADE_IN;
    return *elapsed = 90 - left, BANNER_EXIT;
  }
  if (left > 270) return *elapsed = 300 - left, BANNER_FADE_IN;
  if (left > 90) return *elapsed = 270 - left, BANNER_CHOICE;
  return *elapsed = 90 - left, BANNER_EXIT;
}

int32_t ZGInterface::CommittedSide(int32_t s, int32_t routeWord) {
  // The right route is word 0 in stages 1 and 2 and word 1 in stage 3;
  // stages 4 and 5 have one path and always show the left.
  const bool right = (s <= 2 && routeWord == 0) || (s == 3 && routeWord == 1);
  return right ? SIDE_RIGHT : SIDE_LEFT;
}

// ============================================================ calls

void ZGInterface::ResetPanel() {
  frameCount_ = 0;
  gaugeSeen_ = gaugeShown_ = 0.0f;
  bannerBlink_ = 0;
  bannerFrames_ = 0;
  bannerChoice_ = SIDE_NONE;
}

void ZGInterface::SetStageTimer() {
  // Stage 3 (it has no choice) shows its banner for 120 frames; every other
  // stage number, the demo plays' 101 to 103 among them, for 300.
  const Game* g = GetGame();
  bannerFrames_ = (g != nullptr && g->stage == 3) ? 120 : 300;
}

void ZGInterface::LifeLostEffect() {
  const Game* g = GetGame();
  if (g == nullptr || g->lives < 0) return;
  const SVec4 at{30.0f * static_cast<float>(g->lives) - 225.0f, -240.0f, 0.0f, 1.0f};
  g_EfxMan.SpawnSpriteDir(kIconSheet, &at, &SprGameIf00_4DescB, 0.0f, 1.0f, 1.0f, nullptr, nullptr, 0.0f, 1);
  static constexpr float kFrom[4] = {0.9f, 0.1f, 0.1f, 0.9f};
  static constexpr float kTo[4] = {0.4f, 0.1f, 0.1f, 0.3f};
  SMatrix m = kIdentityMatrix;
  m.m[3][0] = at.x, m.m[3][1] = at.y;
  g_EfxMan.SpawnC(1, 1, &m, 10.0f, 30.0f, 3.0f, 3.0f, kFrom, kTo, 20, nullptr);
}

void ZGInterface::DrawScorePanel() {
  StepPowerGauge();
  StepLockOnGauge();
}

void ZGInterface::DrawTutorialPanel() {
  WorldPresets[1].Enter(kPanelKey);
  EnterTexture(PanelRect(kFramePart), kPanelKey);
  panel_.Enter(kPanelKey);
  EnterTexture(PanelRect(kFramePart), kOverlayKey);
  gaugeOverlay_.Enter(kOverlayKey);
}

// ============================================================ events

int32_t ZGInterface::Init(SProcArg) {
  SetName("Interface");
  ramp_.Reset();
  insertText_.Init(&FontLarge, kTextCapacity);
  insertText_.SetScale(1.0f, 1.0f);
  insertText_.SetColour(1.0f, 1.0f, 1.0f, 1.0f);
  insertText_.SetOrigin(-96.0f, 139.7f, 0.0f);
  insertText_.Printf("INSERT COIN(S)");
  if (ListCount() < 3) CreateLists(3 - ListCount());
  if (coins_.GetParent() == nullptr) {
    coins_.SetStatic(true);
    AddChild(1, &coins_, 0);
  }
  scoreText_.Init(&SprFontDesc[2], kTextCapacity);
  bannerText_.Init(&SprRouteNameDesc, kBannerCapacity);
  BuildQuads();
  ResetPanel();
  return 0;
}

void ZGInterface::BuildQuads() {
  Reserve(panel_, 3);
  LayPart(panel_, 0, -240.0f, -320.0f, -57.0f, -257.0f, PanelRect(kFramePart), kWhite);
  LayPart(panel_, 1, -240.0f, -320.0f, -140.0f, -220.0f, PanelRect(kGaugePart), kWhite);
  LayPart(panel_, 2, -239.0f, -318.0f, -182.0f, -261.0f, PanelRect(kLockPart), kWhite);
  Reserve(scoreLabels_, 2);
  LayPart(scoreLabels_, 0, 2.0f, -313.0f, 62.0f, -297.0f, PanelRect(kLabelPartA), kWhite);
  LayPart(scoreLabels_, 1, 2.0f, -291.0f, 62.0f, -275.0f, PanelRect(kLabelPartB), kWhite);
  Reserve(gaugeOverlay_, 2);
  LayPart(gaugeOverlay_, 0, -240.0f, -320.0f, -140.0f, -220.0f, PanelRect(kGaugeOverPart), kWhite);
  LayPart(gaugeOverlay_, 1, -239.0f, -318.0f, -182.0f, -261.0f, PanelRect(kLockOverPart), kWhite);
  Reserve(masks_, 4);
  static constexpr float kMasks[4][4] = {
      {-541.0f, -621.0f, 540.0f, -320.0f}, {-541.0f, 321.0f, 540.0f, 622.0f},
      {-540.0f, -321.0f, -240.0f, 321.0f}, {240.0f, -321.0f, 540.0f, 321.0f}};
  static constexpr float kBlack[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  static constexpr SGpUV kNoUV[4] = {};
  for (int i = 0; i < 4; ++i) LayQuad(masks_, i, kMasks[i][0], kMasks[i][1], kMasks[i][2], kMasks[i][3], kNoUV, kBlack);
  // The banner's plate and its two arrows at y = -210 (at 0.6 of their
  // size), and two pointers below them: all five while the choice blinks
  // on, the first three while it blinks off.
  Reserve(bannerArrows_, 5);
  static constexpr float kArrows[5][3] = {
      {0.0f, -210.0f, 0.6f}, {-178.0f * 0.6f, -210.0f, 0.6f}, {178.0f * 0.6f, -210.0f, 0.6f},
      {-95.0f, -144.0f, 1.0f}, {95.0f, -126.0f, 1.0f}};
  for (int i = 0; i < 5; ++i) {
    const SGpRect& part = SprGameIf00_2[i];
    const float hw = part.width * 0.5f * kArrows[i][2], hh = part.height * 0.5f * kArrows[i][2];
    LayPart(bannerArrows_, i, kArrows[i][0] - hw, kArrows[i][1] - hh, kArrows[i][0] + hw, kArrows[i][1] + hh, part,
            kWhite);
  }
}

int32_t ZGInterface::Main(SProcArg) {
  ++frameCount_;
  ramp_.Run();
  if (IsShown()) {
    DrawScorePanel();
    SpawnIcons();
    PrintScore();
  }
  BroadcastAll(EVENT_MAIN, 0);
  return 0;
}

void ZGInterface::StepPowerGauge() {
  const float p = g_Player.power;
  const float target = GaugeTarget(p);
  if (static_cast<int32_t>(p) > static_cast<int32_t>(gaugeSeen_)) gaugeShown_ = target;
  gaugeSeen_ = p;
  if (gaugeShown_ < target)
    gaugeShown_ = std::fmin(gaugeShown_ + 0.01f, target);
  else if (gaugeShown_ > target)
    gaugeShown_ = std::fmax(gaugeShown_ - 0.02f, 0.0f);
  const SGpRect& part = PanelRect(kGaugePart);
  const float w = 115.0f * gaugeShown_;
  const float u1 = part.uTL + w / 256.0f;
  const SGpUV uv[4] = {{part.uTL, part.vTL}, {u1, part.vTR}, {part.uBL, part.vBL}, {u1, part.vBR}};
  LayQuad(panel_, 1, -179.0f, -293.0f, -179.0f + w, -280.0f, uv, kWhite);
  ColourQuad(gaugeOverlay_, 0, 0.0f, 0.0f, 0.0f, 0.0f);
  ColourQuad(gaugeOverlay_, 1, 0.0f, 0.0f, 0.0f, 0.0f);
}

void ZGInterface::StepLockOnGauge() {
  // A cooldown of 0 frames would divide by zero: the gauge then stands full.
  const float full = static_cast<float>(Player::kLockOnCooldown);
  const float left = static_cast<float>(g_Player.lockOnCooldown);
  const float r = full > 0.0f ? std::fmin(1.0f, (full - left) / full) : 1.0f;
  float& e = g_ChainCounter.gaugeValue;
  e = e + (r - e) * 0.1f;
  const SGpRect& part = PanelRect(kLockPart);
  if (e < kLockOnFull) {
    g_ChainCounter.gaugeBlink = 0;
    const float vTop = part.vBL - (part.vBL - part.vTL) * e;
    const SGpUV uv[4] = {{part.uTL, vTop}, {part.uTR, vTop}, {part.uBL, part.vBL}, {part.uBR, part.vBR}};
    const float colour[4] = {1.0f, 1.0f, 1.0f, e};
    LayQuad(panel_, 2, -239.0f, -261.0f - 57.0f * e, -182.0f, -261.0f, uv, colour);
    ColourQuad(gaugeOverlay_, 1, 1.0f, 1.0f, 1.0f, e);
    return;
  }
  const int32_t blink = ++g_ChainCounter.gaugeBlink;
  LayPart(panel_, 2, -239.0f, -318.0f, -182.0f, -261.0f, part, kWhite);
  ColourQuad(gaugeOverlay_, 1, 1.0f, 1.0f, 1.0f, 0.625f + 0.375f * std::cos(static_cast<float>(blink) * kPi / 16.0f));
  if ((blink & 7) == 0) {
    static constexpr float kFrom[4] = {1.0f, 0.95f, 0.75f, 0.4f};
    static constexpr float kTo[4] = {1.0f, 0.95f, 0.75f, 0.0f};
    const SVec4 at{-211.0f, -290.0f, 0.0f, 1.0f};
    // Size 6 x 6: it fades over its 6 frames and goes after 6 more.
    g_EfxMan.SpawnSprite(kIconSheet, &at, SprEfx_2Keys, kFrom, kTo, 6, 6, 0.0f, 6.0f, 6.0f, nullptr, nullptr, 0.0f,
                         1);
  }
}

void ZGInterface::SpawnIcons() {
  const Game* g = GetGame();
  if (g == nullptr) return;
  const int32_t f = frameCount_ % 90;
  float rotation = 0.0f, scale = 1.0f;
  if (f < 40) {
    const float t = static_cast<float>(f) * 0.025f;
    rotation = (t * 0.015f - 0.015f) + (1.0f - t) * std::sin(static_cast<float>(f) * 0.6283185f) * 0.015f;
    scale = 0.8f + 0.2f * t;
  }
  const float slide = SlideOffset();
  for (int32_t i = 0; i < g->lives; ++i) {
    const SVec4 at{30.0f * static_cast<float>(i) - 225.0f, -240.0f - slide, 0.0f, 1.0f};
    g_EfxMan.SpawnSpriteDir(kIconSheet, &at, &SprGameIf00_4DescA, rotation, scale, scale, nullptr, nullptr, 0.0f, 1);
  }
  static constexpr float kBombColour[4] = {0.9f, 0.9f, 0.95f, 0.9f};
  const SGpKeyList* keys = SprGameIf00_3Keys + 2 * ((frameCount_ / 4) % 3);
  for (int32_t i = 0; i < g->bombs; ++i) {
    const SVec4 at{225.0f, 300.0f - 16.0f * static_cast<float>(i) + slide, 0.0f, 1.0f};
    g_EfxMan.SpawnSprite(kIconSheet, &at, keys, kBombColour, kBombColour, 0, 0, 0.0f, 0.5f, 0.5f, nullptr, nullptr,
                         0.0f, 1);
  }
}

void ZGInterface::PrintScore() {
  Game* g = GetGame();
  if (g == nullptr) return;
  uint32_t* r = g->record;
  // The high score follows the score as an unsigned pair, overflow first.
  if (r[REC_OVERFLOW] > r[REC_HIGH_OVERFLOW]) {
    r[REC_HIGH_OVERFLOW] = r[REC_OVERFLOW];
    r[REC_HIGH_SCORE] = r[REC_SCORE];
  } else if (r[REC_OVERFLOW] == r[REC_HIGH_OVERFLOW] && r[REC_SCORE] > r[REC_HIGH_SCORE]) {
    r[REC_HIGH_SCORE] = r[REC_SCORE];
  }
  scoreText_.SetOrigin(66.0f, -314.0f, 0.0f);
  scoreText_.Printf("%u", r[REC_HIGH_OVERFLOW]);
  scoreText_.SetOrigin(80.0f, -314.0f, 0.0f);
  scoreText_.PrintfAppend("%09u", r[REC_HIGH_SCORE]);
  scoreText_.SetOrigin(66.0f, -293.0f, 0.0f);
  scoreText_.PrintfAppend("%u", r[REC_OVERFLOW]);
  scoreText_.SetOrigin(80.0f, -293.0f, 0.0f);
  scoreText_.PrintfAppend("%09u", r[REC_SCORE]);
}

int32_t ZGInterface::Draw(SProcArg) {
  WorldPresets[1].Enter(kWorldKey);
  if (IsShown()) {
    // The display's packets stand slid up by the ramp; the identity comes
    // back behind them for whatever the two keys draw next.
    SMatrix m = kIdentityMatrix;
    m.m[3][1] = -SlideOffset();
    slideWorld_.SetMatrix(m);
    slideWorld_.Enter(kPanelKey);
    scoreText_.Enter(kPanelKey);
    EnterTexture(PanelRect(kFramePart), kPanelKey);
    panel_.Enter(kPanelKey);
    scoreLabels_.Enter(kPanelKey);
    slideWorld_.Enter(kOverlayKey);
    EnterTexture(PanelRect(kFramePart), kOverlayKey);
    gaugeOverlay_.Enter(kOverlayKey);
    WorldPresets[1].Enter(kOverlayKey);
    DrawBanner();
    WorldPresets[1].Enter(kPanelKey);
  }
  const Game* g = GetGame();
  const int32_t view = g != nullptr ? g->GetViewMode() : 10;
  if (view != 2 && view != 5) {
    WorldPresets[1].Enter(kMaskKey);
    masks_.Enter(kMaskKey);
  }
  if (SProcList* l = GetList(1)) l->Broadcast(EVENT_DRAW, 0);
  if (SProcList* l = GetList(0)) l->Broadcast(EVENT_DRAW, 0);
  return 0;
}

void ZGInterface::DrawBanner() {
  const Game* g = GetGame();
  if (g == nullptr) return;
  if (!g->IsPaused()) --bannerFrames_;
  if (bannerFrames_ < 1) return;
  if (bannerBlink_ > 0) --bannerBlink_;
  const int32_t s = DisplayedStage(g->stage);
  int32_t elapsed = 0;
  const int32_t phase = BannerPhaseOf(s, bannerFrames_, &elapsed);
  const int32_t current = PlayerPos.x <= 0.0f ? SIDE_LEFT : SIDE_RIGHT;
  // Alpha of the left and right glyphs (below 0: not drawn), the y of each,
  // and whether a side shows its backing glyph.
  float alpha[2] = {0.0f, 0.0f};  // [0] right, [1] left
  float y[2] = {-200.0f, -200.0f};
  bool backing[2] = {false, false};
  bannerArrows_.SetActiveCount(0);
  if (phase == BANNER_FADE_IN) {
    alpha[0] = alpha[1] = 0.45f * static_cast<float>(elapsed) / 30.0f;
    bannerChoice_ = current;
  } else if (phase == BANNER_CHOICE) {
    if (current != bannerChoice_) {
      bannerBlink_ = 10;
      bannerChoice_ = current;
    }
    if (elapsed == 1) g_MapMng.branchLatch = 2;
    alpha[current] = (bannerBlink_ & 2) != 0 ? 0.45f : 1.0f;
    alpha[1 - current] = 0.45f;
    bannerArrows_.SetActiveCount((elapsed & 15) <= 7 ? 5 : 3);
  } else {
    if (elapsed == 0) g_MapMng.BranchTaken();
    const int32_t committed = CommittedSide(s, g_MapMng.branchLatch);
    if (elapsed < 60) {
      alpha[committed] = 1.0f;
      backing[committed] = (elapsed & 2) == 0;
      alpha[1 - committed] = 0.45f - 0.0075f * static_cast<float>(elapsed);
    } else {
      const float k = static_cast<float>(elapsed - 60) / 30.0f;
      const float lift = std::sin(k * kPi / 2.0f);
      y[committed] = -200.0f + 20.0f * lift * lift;
      alpha[committed] = 1.0f - k;
      alpha[1 - committed] = -1.0f;
    }
  }
  bannerText_.Clear();
  static constexpr float kX[2] = {145.0f, -200.0f};
  const char codes[2] = {static_cast<char>(2 * s), static_cast<char>(2 * s - 1)};
  for (int side = 1; side >= 0; --side) {
    if (backing[side]) {
      const char plate[2] = {static_cast<char>(kBackingGlyph), 0};
      bannerText_.SetOrigin(kX[side], -200.0f, 0.0f);
      bannerText_.SetColour(1.0f, 1.0f, 1.0f, 0.3f);
      bannerText_.PutString(plate);
    }
    if (alpha[side] <= 0.0f) continue;
    const char glyph[2] = {codes[side], 0};
    bannerText_.SetOrigin(kX[side], y[side], 0.0f);
    bannerText_.SetColour(1.0f, 1.0f, 1.0f, alpha[side]);
    bannerText_.PutString(glyph);
  }
  bannerText_.Enter(kPanelKey);
  if (bannerArrows_.GetActiveCount() > 0) {
    EnterTexture(SprGameIf00_2[0], kPanelKey);
    bannerArrows_.Enter(kPanelKey);
  }
}
