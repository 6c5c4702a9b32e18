#include "cabinet/QvtCountDownRenderer.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <utility>

#include "platform/clock.h"
#include "platform/dds_image.h"
#include "platform/file_io.h"
#include "platform/paths.h"

namespace {

using Layout = QvtCountDownRenderer::Layout;

// By high resolution + 3 x vertical; entries 2 and 5 are never selected.
constexpr Layout kLayouts[6] = {
    {1024, 256, {0, 140, 640, 200, 0, 0}, {101, 189, 52, 64}, {147, 189, 52, 64},
     {{644, 0}, {696, 0}, {750, 0}, {802, 0}, {854, 0}, {906, 0}, {960, 0}, {644, 64}, {696, 64}, {750, 64}}},
    {2048, 512, {0, 204, 1280, 312, 0, 0}, {264, 279, 84, 108}, {339, 279, 84, 108},
     {{0, 316}, {84, 316}, {168, 316}, {252, 316}, {336, 316}, {420, 316}, {504, 316}, {588, 316}, {672, 316},
      {756, 316}}},
    {},
    {256, 512, {223, 0, 195, 480, 61, 0}, {320, 64, 54, 43}, {320, 99, 54, 43},
     {{6, 0}, {6, 44}, {6, 88}, {6, 132}, {6, 176}, {6, 220}, {6, 264}, {6, 308}, {6, 352}, {6, 396}}},
    {512, 1024, {484, 0, 312, 768, 200, 0}, {640, 96, 88, 71}, {640, 156, 88, 71},
     {{111, 0}, {111, 72}, {111, 144}, {111, 216}, {111, 288}, {111, 360}, {111, 432}, {111, 504}, {111, 576},
      {111, 648}}},
    {},
};

constexpr const char* kSidePaths[4] = {
    "Data/Lumora/OSTREL_GAME_SIDE_Small_Left.bmp",
    "Data/Lumora/OSTREL_GAME_SIDE_Small_Right.bmp",
    "Data/Lumora/OSTREL_GAME_SIDE_Left_S.bmp",
    "Data/Lumora/OSTREL_GAME_SIDE_Right.bmp",
};
constexpr float kSideNominal[4][2] = {{140, 480}, {140, 480}, {370, 720}, {370, 720}};
// Left and right records per resolution.
constexpr QvtCountDownRenderer::SideRecord kSides[2][2] = {
    {{0, 140, 480, 0, 0}, {1, 140, 480, 0, 0}},
    {{2, 370, 720, 0, 0}, {3, 370, 720, 0, 0}},
};

// A quad from a screen rectangle and a source rectangle of the same size.
void Quad(float x, float y, float w, float h, float sx, float sy, float texW, float texH, float yScale,
          uint32_t colour, QvtCountDownRenderer::Vertex* v) {
  const float y0 = y * yScale, y1 = (y + h) * yScale;
  const float u0 = sx / texW, u1 = (sx + w) / texW, v0 = sy / texH, v1 = (sy + h) / texH;
  v[0] = {x, y0, 0.0f, 1.0f, colour, u0, v0};
  v[1] = {x, y1, 0.0f, 1.0f, colour, u0, v1};
  v[2] = {x + w, y0, 0.0f, 1.0f, colour, u1, v0};
  v[3] = {x + w, y1, 0.0f, 1.0f, colour, u1, v1};
}

}  // namespace

const QvtCountDownRenderer::Layout& QvtCountDownRenderer::GetLayout(bool high, bool vertical) {
  return kLayouts[(high ? 1 : 0) + 3 * (vertical ? 1 : 0)];
}

const float (*QvtCountDownRenderer::SideNominal())[2] { return kSideNominal; }

std::string QvtCountDownRenderer::PanelFileName(bool high, bool vertical) {
  return std::string("QvtCountDownRenderer") + (high ? "_HD" : "_SD") + (vertical ? "_V" : "") + ".dds";
}

const char* QvtCountDownRenderer::SideImagePath(uint32_t index) { return index < 4 ? kSidePaths[index] : ""; }

QvtCountDownRenderer::QvtCountDownRenderer(plat::GfxDevice* device, uint32_t highResolution, uint8_t vertical,
                                           plat::MsClock* clock, FileCharges* charges)
    : device_(device),
      vertical_(vertical ? 1 : 0),
      high_(highResolution ? 1 : 0),
      clock_(clock ? clock : &plat::SystemClock()),
      charges_(charges) {
  const std::string path = plat::MapPath("Data/" + PanelFileName(high_ != 0, vertical_ != 0));
  // The file's size is charged here, before the loader makes room for it;
  // the loader reads at most that many bytes (a file that is not there, is
  // empty, too large or not charged is not read).
  uint64_t size = 0;
  if (plat::LookAtFile(path, &size) == plat::FileProblem::kNone && size > 0 && size <= kMaxPanelFileBytes &&
      Take(size))
    fileCharge_ = size;
  const uint64_t room = fileCharge_;
  // The loader writes only the file image; the main thread reads it after
  // the thread's end.
  loader_.Start([this, path, room](plat::Thread&) -> uint32_t {
    if (room == 0) return 1;
    std::vector<uint8_t> bytes;
    try {
      bytes.resize(static_cast<size_t>(room));
    } catch (const std::bad_alloc&) {
      return 1;
    }
    if (plat::ReadFileInto(path, bytes.data(), bytes.size()) != plat::FileProblem::kNone) return 1;
    fileImage_ = std::move(bytes);
    return 0;
  });
}

QvtCountDownRenderer::~QvtCountDownRenderer() {
  loader_.Join();
  GiveBack(fileCharge_);
  if (texture_) texture_->Release();
  for (plat::Texture* t : sides_)
    if (t) t->Release();
}

bool QvtCountDownRenderer::PollLoader() {
  if (!loader_.Started()) return true;
  if (loader_.IsRunning()) return false;
  loader_.Join();
  if (!fileImage_.empty() && device_) {
    plat::Image img;
    if (plat::DecodeDds(fileImage_.data(), fileImage_.size(), &img)) device_->CreateTextureFromImage(img, &texture_);
  }
  fileImage_.clear();
  fileImage_.shrink_to_fit();
  GiveBack(fileCharge_);
  fileCharge_ = 0;
  return true;
}

bool QvtCountDownRenderer::IsIdle() const { return !loader_.Started() && !texture_; }

bool QvtCountDownRenderer::HasSideTextures() const {
  return std::all_of(std::begin(sides_), std::end(sides_), [](plat::Texture* t) { return t != nullptr; });
}

bool QvtCountDownRenderer::Fade(uint32_t v, uint32_t* alpha) {
  const uint32_t now = clock_->NowMs();
  const uint64_t ramp = uint64_t(now - fadeStart_) * 255 / kRampMs;
  switch (fadeState_) {
    case kHidden:
      if (v == kNone) return false;
      fadeState_ = kFadingIn;
      fadeStart_ = now;
      value_ = v;
      *alpha = 0;
      return true;
    case kFadingIn:
      if (v != kNone) value_ = v;
      if (ramp >= 255) {
        fadeState_ = kShown;
        *alpha = 255;
      } else {
        *alpha = static_cast<uint32_t>(ramp);
      }
      return true;
    case kShown:
      if (v != kNone) {
        value_ = v;
      } else {
        fadeState_ = kFadingOut;
        fadeStart_ = now;
      }
      *alpha = 255;
      return true;
    default:  // fading out: the last value stays
      if (ramp >= 255) {
        fadeState_ = kHidden;
        return false;
      }
      *alpha = 255 - static_cast<uint32_t>(ramp);
      return true;
  }
}

uint32_t QvtCountDownRenderer::Seconds(uint32_t valueMs) {
  return static_cast<uint32_t>(std::min<uint64_t>((uint64_t(valueMs) + 999) / 1000, 99));
}

int QvtCountDownRenderer::BuildCountDown(uint32_t valueMs, uint32_t alpha, Vertex out[3][4]) const {
  const Layout& l = GetLayout(high_ != 0, vertical_ != 0);
  const float yScale = high_ && vertical_ ? 0.9375f : 1.0f;
  const uint32_t colour = (alpha & 0xFFu) << 24 | 0x00FFFFFFu;
  Quad(l.panel[0], l.panel[1], l.panel[2], l.panel[3], l.panel[4], l.panel[5], l.texW, l.texH, yScale, colour,
       out[0]);
  const uint32_t s = Seconds(valueMs);
  int n = 1;
  if (s / 10 != 0) {
    const float* src = l.digit[s / 10];
    Quad(l.tens[0], l.tens[1], l.tens[2], l.tens[3], src[0], src[1], l.texW, l.texH, yScale, colour, out[n++]);
  }
  const float* src = l.digit[s % 10];
  Quad(l.units[0], l.units[1], l.units[2], l.units[3], src[0], src[1], l.texW, l.texH, yScale, colour, out[n++]);
  return n;
}

void QvtCountDownRenderer::BuildSideQuad(const SideRecord& side, float x, float y, Vertex* v,
                                         const float (*nominal)[2]) {
  const float u1 = side.width / nominal[side.image][0], v1 = side.height / nominal[side.image][1];
  v[0] = {x, y, 0.0f, 1.0f, 0xFFFFFFFFu, 0.0f, 0.0f};
  v[1] = {x, y + side.height, 0.0f, 1.0f, 0xFFFFFFFFu, 0.0f, v1};
  v[2] = {x + side.width, y, 0.0f, 1.0f, 0xFFFFFFFFu, u1, 0.0f};
  v[3] = {x + side.width, y + side.height, 0.0f, 1.0f, 0xFFFFFFFFu, u1, v1};
}

void QvtCountDownRenderer::SaveAndSetState() {
  plat::GfxDevice* d = device_;
  savedTexture_ = d->GetTexture(0);
  if (savedTexture_) savedTexture_->AddRef();
  saved_ = d->GetState();
  savedFvf_ = d->GetVertexShader();
  d->SetRenderState(plat::kRsAlphaBlendEnable, 1);
  d->SetRenderState(plat::kRsSrcBlend, plat::kBlendSrcAlpha);
  d->SetRenderState(plat::kRsDestBlend, plat::kBlendInvSrcAlpha);
  d->SetRenderState(plat::kRsAlphaTestEnable, 1);
  d->SetRenderState(plat::kRsAlphaFunc, plat::kCmpGreater);
  d->SetRenderState(plat::kRsAlphaRef, 1);
  d->SetRenderState(plat::kRsCullMode, plat::kCullNone);
  d->SetRenderState(plat::kRsZEnable, 0);
  d->SetRenderState(plat::kRsLighting, 0);
  d->SetTextureStageState(0, plat::kTssColourOp, plat::kTopModulate);
  d->SetTextureStageState(0, plat::kTssColourArg1, plat::kTaTexture);
  d->SetTextureStageState(0, plat::kTssColourArg2, plat::kTaDiffuse);
  d->SetTextureStageState(0, plat::kTssAlphaOp, plat::kTopModulate);
  d->SetTextureStageState(0, plat::kTssAlphaArg1, plat::kTaTexture);
  d->SetTextureStageState(0, plat::kTssAlphaArg2, plat::kTaDiffuse);
  d->SetTextureStageState(0, plat::kTssMinFilter, plat::kTexfLinear);
  d->SetTextureStageState(0, plat::kTssMagFilter, plat::kTexfLinear);
  d->SetVertexShader(plat::kFvfScreenColourTex);
}

void QvtCountDownRenderer::RestoreState() {
  device_->SetState(saved_);
  device_->SetVertexShader(savedFvf_);
  device_->SetTexture(0, savedTexture_);
  if (savedTexture_) savedTexture_->Release();
  savedTexture_ = nullptr;
}

void QvtCountDownRenderer::DrawQuad(const Vertex* v4) {
  device_->DrawPrimitiveUp(plat::kPtTriangleStrip, 2, v4, sizeof(Vertex));
}

void QvtCountDownRenderer::DrawBackground() {
  if (vertical_ || !device_) return;
  PollLoader();
  if (!texture_) return;
  for (uint32_t i = 0; i < 4; ++i)
    if (!sides_[i] && !sideRefused_[i]) LoadSide(i);
  // A missing side image: none this frame, the load is tried again next.
  if (!HasSideTextures()) return;
  SaveAndSetState();
  const SideRecord& left = kSides[high_][0];
  const SideRecord& right = kSides[high_][1];
  const float screenW = high_ ? 1280.0f : 640.0f;
  Vertex v[4];
  BuildSideQuad(left, 0.0f, 0.0f, v, kSideNominal);
  device_->SetTexture(0, sides_[left.image]);
  DrawQuad(v);
  BuildSideQuad(right, screenW - right.width, 0.0f, v, kSideNominal);
  device_->SetTexture(0, sides_[right.image]);
  DrawQuad(v);
  RestoreState();
}

void QvtCountDownRenderer::LoadSide(uint32_t i) {
  const std::string path = plat::MapPath(kSidePaths[i]);
  uint64_t size = 0;
  plat::FileProblem problem = plat::LookAtFile(path, &size);
  if (problem == plat::FileProblem::kMissing) return;
  if (problem == plat::FileProblem::kNone && size > kMaxSideFileBytes) problem = plat::FileProblem::kTooLarge;
  // The file is charged while this call holds it.
  struct Held {
    QvtCountDownRenderer* r;
    uint64_t bytes = 0;
    ~Held() { r->GiveBack(bytes); }
  } held{this};
  std::vector<uint8_t> bytes;
  const bool charged = problem == plat::FileProblem::kNone && Take(size);
  if (charged) {
    held.bytes = size;
    try {
      bytes.resize(static_cast<size_t>(size));
      problem = plat::ReadFileInto(path, bytes.data(), bytes.size());
    } catch (const std::bad_alloc&) {
      problem = plat::FileProblem::kUnreadable;
    }
  }
  if (problem == plat::FileProblem::kMissing) return;  // gone since it was looked at
  std::string why;
  plat::Image img;
  int w = 0, h = 0;
  const int maxW = static_cast<int>(kSideNominal[i][0]) * kMaxSideScale;
  const int maxH = static_cast<int>(kSideNominal[i][1]) * kMaxSideScale;
  if (problem != plat::FileProblem::kNone) {
    why = plat::DescribeFileProblem(problem);
  } else if (!charged) {
    why = "cannot be read: its " + std::to_string(size) + " bytes pass what loaded files may hold";
  } else if (!plat::ReadBmpSize(bytes.data(), bytes.size(), &w, &h, &why)) {
    why = "is refused: " + why;
  } else if (w > maxW || h > maxH) {
    why = "is refused: " + std::to_string(w) + "x" + std::to_string(h) + " is more than twice the " +
          std::to_string(maxW / kMaxSideScale) + "x" + std::to_string(maxH / kMaxSideScale) + " it is drawn at";
  } else if (!plat::DecodeBmp(bytes.data(), bytes.size(), &img, &why)) {
    why = "is refused: " + why;
  } else {
    device_->CreateTextureFromImage(std::move(img), &sides_[i]);
    return;
  }
  // Told once; a file that is there but unusable is not read again.
  sideRefused_[i] = true;
  std::fprintf(stderr, "count-down side image %s %s\n", path.c_str(), why.c_str());
}

void QvtCountDownRenderer::Render(int32_t status) {
  const uint32_t value = static_cast<uint32_t>(status);
  PollLoader();
  if (!texture_ || !device_) return;
  uint32_t alpha = 0;
  if (!Fade(value, &alpha)) return;
  SaveAndSetState();
  device_->SetTexture(0, texture_);
  Vertex quads[3][4];
  const int n = BuildCountDown(value_, alpha, quads);
  for (int i = 0; i < n; ++i) DrawQuad(quads[i]);
  RestoreState();
}
