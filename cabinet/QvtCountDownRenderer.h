#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx_device.h"
#include "platform/thread.h"

namespace plat {
class MsClock;
}

// Draws the network service's count-down over the game: a panel image with
// a two-digit number of seconds that fades in when the service starts a
// count-down and out when it ends, and, on a horizontal screen outside the
// test mode, two side images at the screen edges. It draws straight through
// the graphics device after the draw queue has run, saving the device state
// before and restoring it after.
//
// The panel file ("QvtCountDownRenderer_SD.dds", "_SD_V", "_HD", "_HD_V" for
// standard or high resolution, horizontal or vertical screen) is read from
// the data directory on a short-lived thread; the side images are BMP files
// under "Data/Lumora". Without a readable panel file the renderer stays idle
// for good. A missing side image is looked for again at every draw; one that
// is there but cannot be used (not a regular file, damaged, a header that
// claims a larger picture than any reader takes, or a picture more than
// kMaxSideScale times its size on screen) is told in one line on standard
// error and not read again, and the side images stay undrawn.
//
// The files are charged to what all loads hold together while they are
// held (see FileCharges): the panel file from before its thread makes room
// for it until the panel texture is made from it, a side image file while
// it is read and decoded. A panel file the charge refuses leaves the
// renderer idle, as an unreadable one does; a side image file it refuses
// is told once and not read again, as an unusable one is.
class QvtCountDownRenderer {
 public:
  static constexpr uint32_t kRampMs = 300;
  static constexpr uint32_t kNone = 0xFFFFFFFFu;  // no count-down
  // Largest panel file and largest side image file read.
  static constexpr size_t kMaxPanelFileBytes = size_t(64) << 20;
  static constexpr size_t kMaxSideFileBytes = size_t(64) << 20;
  // What the files are charged to: the game gives the engine's total of
  // what all loads hold together. Asked only on the thread that made the
  // renderer and draws with it, never on the loader's: the panel file's
  // size is charged before the loader starts and given back after it
  // ended. Take is asked before room is made for a file; a file held
  // gives back exactly what it took.
  class FileCharges {
   public:
    virtual ~FileCharges() = default;
    virtual bool Take(uint64_t bytes) = 0;
    virtual void GiveBack(uint64_t bytes) = 0;
  };
  // A side image is drawn whole into its rectangle at the screen's edge
  // (SideNominal: 140 x 480 or 370 x 720), filtered bilinearly from its one
  // level: each screen pixel reads the two texels nearest its centre in each
  // direction, so a picture more than twice as wide or tall as its rectangle
  // has texels that no screen pixel reads. Such a picture is refused from its
  // header, before its pixels are made, which holds the four side textures to
  // about 10 MB (2 x 280 x 960 and 2 x 740 x 1440 pixels) whatever their files
  // claim.
  static constexpr int kMaxSideScale = 2;
  enum FadeState : uint32_t { kHidden = 0, kFadingIn = 1, kShown = 2, kFadingOut = 3 };

  // 28-byte screen vertex: x, y (pixels), z = 0, rhw = 1, colour, u, v.
  struct Vertex {
    float x, y, z, rhw;
    uint32_t colour;
    float u, v;
  };
  static_assert(sizeof(Vertex) == 28, "screen vertex");

  // A panel layout: texture size, panel (screen x, y, w, h, source x, y),
  // the screen rectangles (x, y, w, h) of the tens and units digits, and the
  // source corner of each digit 0-9 (a digit's source has its screen size).
  struct Layout {
    float texW, texH;
    float panel[6];
    float tens[4];
    float units[4];
    float digit[10][2];
  };
  static const Layout& GetLayout(bool high, bool vertical);
  // Nominal sizes of the four side images.
  static const float (*SideNominal())[2];

  // One side image: which file, its size on screen and its source corner.
  struct SideRecord {
    uint32_t image;
    float width, height, srcX, srcY;
  };

  // clock: the millisecond clock of the fades (null: the system clock).
  // charges: what the files are charged to (null: not charged); it
  // outlives the renderer.
  QvtCountDownRenderer(plat::GfxDevice* device, uint32_t highResolution, uint8_t vertical,
                       plat::MsClock* clock = nullptr, FileCharges* charges = nullptr);
  ~QvtCountDownRenderer();
  QvtCountDownRenderer(const QvtCountDownRenderer&) = delete;
  QvtCountDownRenderer& operator=(const QvtCountDownRenderer&) = delete;

  // True once the loader has ended (or there was none); the first call after
  // it ended turns the file into the panel texture.
  bool PollLoader();
  bool IsIdle() const;
  // The fade machine: value in milliseconds or kNone; true means draw, with
  // the alpha.
  bool Fade(uint32_t value, uint32_t* alpha);
  // The quad of one side image at (x, y); nominal: the four images' sizes.
  static void BuildSideQuad(const SideRecord& side, float x, float y, Vertex* out4, const float (*nominal)[2]);
  void DrawBackground();
  // The count-down for a status word (milliseconds, taken unsigned; -1 is
  // none).
  void Render(int32_t status);

  // Whole seconds shown for a value: rounded up, at most 99 (two digits).
  static uint32_t Seconds(uint32_t valueMs);
  // The quads of the count-down (panel, then tens digit when not 0, then
  // units digit) for a value and alpha; returns how many.
  int BuildCountDown(uint32_t valueMs, uint32_t alpha, Vertex out[3][4]) const;
  static std::string PanelFileName(bool high, bool vertical);
  static const char* SideImagePath(uint32_t index);

  uint32_t GetFadeState() const { return fadeState_; }
  uint32_t GetValue() const { return value_; }
  bool HasTexture() const { return texture_ != nullptr; }
  bool HasSideTextures() const;
  bool HasSideTexture(uint32_t index) const { return index < 4 && sides_[index] != nullptr; }

 private:
  void SaveAndSetState();
  void RestoreState();
  void DrawQuad(const Vertex* v4);
  // Reads side image i and makes its texture; a file that is there but
  // unusable marks it refused.
  void LoadSide(uint32_t i);
  bool Take(uint64_t bytes) { return charges_ == nullptr || charges_->Take(bytes); }
  void GiveBack(uint64_t bytes) {
    if (charges_ != nullptr && bytes != 0) charges_->GiveBack(bytes);
  }

  plat::GfxDevice* device_;
  uint8_t vertical_;
  uint32_t high_;
  plat::MsClock* clock_;
  FileCharges* charges_;
  plat::Thread loader_;
  std::vector<uint8_t> fileImage_;
  uint64_t fileCharge_ = 0;  // taken for the panel file, until it is freed
  plat::Texture* texture_ = nullptr;
  plat::Texture* sides_[4] = {};
  bool sideRefused_[4] = {};
  uint32_t fadeState_ = kHidden;
  uint32_t fadeStart_ = 0;
  uint32_t value_ = 0;
  // Saved around a draw.
  plat::DeviceState saved_{};
  uint32_t savedFvf_ = 0;
  plat::Texture* savedTexture_ = nullptr;
};
