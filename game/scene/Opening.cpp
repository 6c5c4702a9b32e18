#include "game/scene/Opening.h"

#include <algorithm>
#include <cmath>

#include "game/core/Game.h"
#include "game/tables/font_tables.h"
#include "game/tables/scene_tables.h"
#include "vrax/graphic/SMath.h"

namespace {

constexpr float kPi = 3.14159265358979f;

// The opening's sprite parts by role; the numbered families (intro backs,
// intro pictures, intro labels a/b, strips, finale pictures) are indexed
// from 0.
const SGpRect& OpeningScroll() { return SprOpening_1[0]; }
const SGpRect& OpeningPanA() { return SprOpening_1[1]; }
const SGpRect& OpeningPanB() { return SprOpening_1[2]; }
const SGpRect& OpeningIntroBack(int i) { return SprOpening_1[3 + i]; }
const SGpRect& OpeningFinaleBack() { return SprOpening_1[7]; }
const SGpRect& OpeningOverlay() { return SprOpening_2[0]; }
const SGpRect& OpeningIntroPicture(int i) { return SprOpening_2[1 + i]; }
const SGpRect& OpeningFinaleZoom() { return SprOpening_2[5]; }
const SGpRect& OpeningFinale(int i) { return SprOpening_2[6 + i]; }
const SGpRect& OpeningStrip(int i) { return SprOpening_3[i]; }
const SGpRect& OpeningZoomStrip() { return SprOpening_3[5]; }
const SGpRect& OpeningIntroLabel(int intro, int second) { return SprOpening_3[6 + 2 * intro + second]; }

// The part with its corners taken bottom-left, top-left, bottom-right,
// top-right: the picture shown a quarter turn clockwise.
SGpRect Turned(const SGpRect& r) {
  SGpRect t = r;
  t.uTL = r.uBL, t.vTL = r.vBL;
  t.uTR = r.uTL, t.vTR = r.vTL;
  t.uBL = r.uBR, t.vBL = r.vBR;
  t.uBR = r.uTR, t.vBR = r.vTR;
  return t;
}

void Flash(int32_t frames) {
  SceneFade(2.0f, 0);
  SceneFade(1.0f, frames);
}

void Colour(float* rgba, float alpha) {
  rgba[0] = rgba[1] = rgba[2] = 1.0f;
  rgba[3] = alpha;
}

void Alloc(SGpObj_PrimQuad& q, int quads) {
  q.AllocPrims(quads);
  q.SetActiveCount(0);
}

void EnterWithTexture(const SGpRect& rect, SGpObj& packet) {
  EnterSceneTexture(rect);
  packet.EnterDefault();
}

// Captions of the prologue: frames from and to, part, half width and
// height, turned.
struct PrologueCaption {
  int32_t from, to, strip;
  float halfW, halfH;
  bool turned;
};
constexpr PrologueCaption kPrologueCaptions[] = {
    {50, 135, 0, 25, 156, false},  {155, 260, 1, 25, 268, false}, {280, 385, 2, 48, 198, false},
    {395, 510, 3, 51, 162, true},  {530, 640, 4, 25, 127, true},
};

// The introductions' label quads: x ranges and the y offsets about the
// animated y1 (drop) and y2 (rise), the drop start and rate, the rise rate
// and floor.
struct IntroLayout {
  float x1a, x1b, y1top, y1bottom;
  float x2a, x2b;
  float dropFrom, dropRate;
  float riseRate, riseFloor;
};
constexpr IntroLayout kIntro[4] = {
    {-160, -60, -300, 100, 60, 160, -300, 42.857143f, 44.285713f, -10},
    {-160, -30, -200, 50, 60, 220, -400, 57.142857f, 42.857143f, 0},
    {60, 160, -200, -100, -160, -60, -400, 57.142857f, 47.142857f, -30},
    {60, 160, -200, 50, -160, -60, -400, 57.142857f, 42.857143f, 0},
};

}  // namespace

int32_t Opening::Init(SProcArg) {
  SetName("Opening");
  LoadSceneResources(RscTableOpening, kOpeningCacheArchive);
  textFrame_ = 0;
  attractText_.Init(&FontSmall, 64);
  attractText_.SetSpacing(1.0f, 0.0f);
  attractText_.SetOrigin(-126.0f, -10.0f, 0.0f);
  attractText_.Printf("%s", " INSERT COIN(S) \n");
  behavior.Enter();
  return 0;
}

int32_t Opening::Draw(SProcArg) {
  SceneDrawKey(1);
  behavior.Notify();
  const int32_t state = behavior.GetState();
  if (state >= STATE_PROLOGUE && state <= STATE_FINALE) {
    attractText_.Printf("%s", AttractPromptLine(textFrame_, AttractFreePlay()));
    attractText_.Enter(0);
    ++textFrame_;
  }
  AttractInterrupt(*this);
  return 0;
}

int32_t Opening::OnDispose(SProcArg) {
  ReleaseSceneResources();
  if (Game* g = GetGame()) g->ChangeScene(SCENE_TITLE);
  return 0;
}

int32_t Opening::Handler(int32_t code, int32_t state) {
  if (state == STATE_LOAD) {
    if (code == Behavior::CODE_ENTER) SceneFade(0.0f, 0);
    if (code == Behavior::CODE_FRAME && SceneResourcesLoaded()) behavior.ChangeState(STATE_PROLOGUE);
    if (code == Behavior::CODE_LEAVE) SceneFade(1.0f, 30);
    return code != Behavior::CODE_NOTIFY;
  }
  if (state < STATE_LOAD || state > STATE_WHITE_OUT) return 0;
  if (code == Behavior::CODE_LEAVE) return 1;
  switch (state) {
    case STATE_PROLOGUE: return Prologue(code);
    case STATE_ZOOM: return Zoom(code);
    case STATE_FINALE: return Finale(code);
    case STATE_WHITE_OUT: return WhiteOut(code);
    default: return Introduction(code, state);
  }
}

bool Opening::Prologue(int32_t code) {
  float rgba[4];
  if (code == Behavior::CODE_ENTER) {
    frame = 0;
    panFrame_ = 0;
    for (SGpObj_PrimQuad* q : {&layerB_, &layerA_, &layerC_, &captionQuads_}) Alloc(*q, 1);
    return true;
  }
  if (code == Behavior::CODE_NOTIFY) {
    EnterWithTexture(OpeningScroll(), layerB_);
    EnterWithTexture(OpeningOverlay(), layerA_);
    if (frame >= 30 && frame <= 270) EnterWithTexture(OpeningPanA(), layerC_);
    if (frame >= 280 && frame <= 520) EnterWithTexture(OpeningPanB(), layerC_);
    if (currentCaption_) EnterWithTexture(*currentCaption_, captionQuads_);
    return true;
  }
  const int32_t f = ++frame;
  const float ff = static_cast<float>(f);
  Colour(rgba, f < 660 ? 1.0f : std::max(0.0f, 1.0f - static_cast<float>(f - 660) * 0.05f));
  const float s = ff * -0.35f;
  SetSceneQuad(layerB_, -240.0f, s - 320.0f, 240.0f, s + 560.0f, 0.0f, &OpeningScroll(), rgba);
  const float a = ff * 0.6f;
  SetSceneQuad(layerA_, -300.0f, a - 800.0f, 300.0f, a - 50.0f, 0.0f, &OpeningOverlay(), kSceneWhite);
  // The two panning pictures share one counter, restarted for the second.
  for (int pan = 0; pan < 2; ++pan) {
    const int32_t from = pan == 0 ? 30 : 280, to = pan == 0 ? 270 : 520;
    if (f < from || f > to) continue;
    const float p = static_cast<float>(panFrame_++);
    if (f == to) panFrame_ = 0;
    const float alpha = f <= from + 30  ? static_cast<float>(f - from) / 30.0f
                        : f >= to - 30 ? 1.0f - static_cast<float>(f - (to - 30)) / 30.0f
                                       : 1.0f;
    Colour(rgba, alpha);
    if (pan == 0)
      SetSceneQuad(layerC_, p - 500.0f, -240.0f, p + 300.0f, 240.0f, 0.0f, &OpeningPanA(), rgba);
    else
      SetSceneQuad(layerC_, -p - 300.0f, -240.0f, -p + 500.0f, 240.0f, 0.0f, &OpeningPanB(), rgba);
  }
  currentCaption_ = nullptr;
  for (const PrologueCaption& c : kPrologueCaptions) {
    if (f < c.from || f > c.to) continue;
    currentCaption_ = &OpeningStrip(c.strip);
    const SGpRect turned = Turned(*currentCaption_);
    SetSceneQuad(captionQuads_, -c.halfW, -c.halfH, c.halfW, c.halfH, 0.0f, c.turned ? &turned : currentCaption_,
                 kSceneWhite);
  }
  if (f == 690) SceneFade(0.0f, 30);
  if (f == kPrologueFrames) behavior.ChangeState(STATE_ZOOM);
  return true;
}

bool Opening::Zoom(int32_t code) {
  if (code == Behavior::CODE_ENTER) {
    SceneFade(1.0f, 0);
    frame = 0;
    return true;
  }
  if (code == Behavior::CODE_NOTIFY) {
    if (currentCaption_) EnterWithTexture(*currentCaption_, captionQuads_);
    return true;
  }
  const int32_t f = ++frame;
  float alpha = 1.0f;
  currentCaption_ = nullptr;
  if (f <= 120) {
    float z;
    if (f <= 30) {
      z = static_cast<float>(f) * 13.333333f - 500.0f;
    } else if (f <= 90) {
      z = static_cast<float>(f - 30) * 1.6666666f - 100.0f;
    } else {
      const float t = static_cast<float>(f - 90) / 30.0f * (kPi / 2.0f);
      z = (1.0f - std::cos(t)) * 500.0f;
      alpha = 1.0f - std::sin(t);
    }
    currentCaption_ = &OpeningZoomStrip();
    float rgba[4];
    Colour(rgba, alpha);
    const SGpRect turned = Turned(OpeningZoomStrip());
    SetSceneQuad(captionQuads_, -27.0f, -161.0f, 27.0f, 161.0f, z, &turned, rgba);
  }
  if (f == kZoomFrames) behavior.ChangeState(STATE_INTRO1);
  return true;
}

bool Opening::Introduction(int32_t code, int32_t state) {
  const int i = state - STATE_INTRO1;
  if (code == Behavior::CODE_ENTER) {
    Flash(5);
    frame = 0;
    SetSceneQuad(layerB_, -240.0f, -320.0f, 240.0f, 320.0f, 0.0f, &OpeningIntroBack(i), kSceneWhite);
    if (state == STATE_INTRO1) Alloc(captionQuads_, 2);
    return true;
  }
  if (code == Behavior::CODE_NOTIFY) {
    EnterWithTexture(OpeningIntroBack(i), layerB_);
    EnterWithTexture(OpeningIntroPicture(i), layerA_);
    if (frame >= 20) EnterWithTexture(OpeningIntroLabel(0, 0), captionQuads_);  // texture 2
    return true;
  }
  const int32_t g = frame;
  const float m = std::sin(static_cast<float>(g) * 0.008333333f * (kPi / 2.0f));
  if (g >= kIntroLast) behavior.ChangeState(state == STATE_INTRO1 + 3 ? STATE_FINALE : state + 1);
  const int32_t f = ++frame;
  // The picture slides across (introductions 1 and 2) or along (3 and 4).
  if (i < 2) {
    const float x = i == 0 ? 50.0f - 100.0f * m : 130.0f * m - 80.0f;
    SetSceneQuad(layerA_, x - 240.0f, -320.0f, x + 240.0f, 320.0f, 0.0f, &OpeningIntroPicture(i), kSceneWhite);
  } else {
    const float v = i == 2 ? 115.0f * m - 100.0f : 100.0f - 115.0f * m;
    SetSceneQuad(layerA_, -240.0f, v - 320.0f, 240.0f, v + 420.0f, 0.0f, &OpeningIntroPicture(i), kSceneWhite);
  }
  if (f >= 20) {
    const IntroLayout& l = kIntro[i];
    captionQuads_.Seek(0, 0);
    const float y1 = std::min(0.0f, static_cast<float>(f - 20) * l.dropRate + l.dropFrom);
    PutSceneQuad(captionQuads_, l.x1a, y1 + l.y1top, l.x1b, y1 + l.y1bottom, 0.0f, &OpeningIntroLabel(i, 0),
                 kSceneWhite);
    int quads = 1;
    if (f >= 25) {
      const float y2 = std::max(l.riseFloor, 300.0f - static_cast<float>(f - 25) * l.riseRate);
      PutSceneQuad(captionQuads_, l.x2a, y2 + 20.0f, l.x2b, y2 + 300.0f, 0.0f, &OpeningIntroLabel(i, 1), kSceneWhite);
      quads = 2;
    }
    captionQuads_.SetActiveCount(quads);
  }
  return true;
}

bool Opening::Finale(int32_t code) {
  if (code == Behavior::CODE_ENTER) {
    Flash(5);
    frame = 0;
    Alloc(lightBand_, 5);
    SMatrix rotation;
    SMatrix::RotationZ(&rotation, -0.083f * 2.0f * kPi);
    bandTransform_.SetMatrix(rotation);
    SetSceneQuad(layerB_, -240.0f, -320.0f, 240.0f, 320.0f, 0.0f, &OpeningFinaleBack(), kSceneWhite);
    return true;
  }
  if (code == Behavior::CODE_NOTIFY) {
    if (frame <= 120) {
      EnterWithTexture(OpeningFinaleBack(), layerB_);
      EnterWithTexture(OpeningFinaleZoom(), layerC_);
    }
    if (currentCaption_) EnterWithTexture(*currentCaption_, layerA_);
    if (frame > 120) {
      bandTransform_.EnterDefault();
      lightBand_.EnterDefault();
    }
    return true;
  }
  const float zc = static_cast<float>(frame) * -0.8333333f;
  const int32_t f = ++frame;
  SetSceneQuad(layerC_, -240.0f, -320.0f, 240.0f, 420.0f, zc, &OpeningFinaleZoom(), kSceneWhite);
  const float za = static_cast<float>(f) * -0.41666666f;
  currentCaption_ = f > 120 ? &OpeningFinale(2) : f > 80 ? &OpeningFinale(1) : f > 30 ? &OpeningFinale(0) : nullptr;
  if (currentCaption_) SetSceneQuad(layerA_, -240.0f, -320.0f, 240.0f, 420.0f, za, currentCaption_, kSceneWhite);
  if (f == 30 || f == 55 || f == 80 || f == 100 || f == 120) Flash(7);
  if (f >= 120) {
    float r = static_cast<float>(f - 120) * 0.025f;
    if (r > 1.0f) {
      r = 1.0f;
      SceneFade(2.0f, 0);
      behavior.ChangeState(STATE_WHITE_OUT);
    }
    const float k = 1.0f - std::cos(r * (kPi / 2.0f));
    const float A = 20.0f + 420.0f * k, B = 60.0f + 420.0f * k, C = 80.0f + 440.0f * k;
    // Quad rows: top y and alpha, bottom y and alpha.
    const float rows[5][4] = {{-A, 1.0f, A, 1.0f}, {-B, 0.4f, 0.0f, 1.0f}, {0.0f, 1.0f, B, 0.4f},
                              {-C, 0.1f, 0.0f, 1.0f}, {0.0f, 1.0f, C, 0.1f}};
    lightBand_.Seek(0, 0);
    for (const auto& row : rows) {
      const float top[4] = {1.0f, 1.0f, 1.0f, row[1]}, bottom[4] = {1.0f, 1.0f, 1.0f, row[3]};
      lightBand_.Vertex(-400.0f, row[0], top);
      lightBand_.Vertex(400.0f, row[0], top);
      lightBand_.Vertex(-400.0f, row[2], bottom);
      lightBand_.Vertex(400.0f, row[2], bottom);
    }
    lightBand_.SetActiveCount(5);
  }
  return true;
}

bool Opening::WhiteOut(int32_t code) {
  if (code == Behavior::CODE_ENTER) {
    frame = 0;
  } else if (code == Behavior::CODE_FRAME) {
    if (frame == 40) SceneFade(0.0f, 60);
    if (frame == 100) Kill(0);
    ++frame;
  }
  return true;
}
