#pragma once
#include <cstdint>
#include <vector>

#include "platform/frame_pacer.h"
#include "platform/gfx_device.h"
#include "platform/window.h"
#include "vrax/graphic/SGpObj.h"
#include "vrax/graphic/SMath.h"
#include "vrax/graphic/SGpPacket.h"
#include "vrax/graphic/SGpQueue.h"
#include "vrax/kernel/SProc.h"

namespace plat {
class Window;
}
class SGpState_Block;
class SRsc_Image;

// Colours of the render-state setters: r, g, b, a as floats 0..1.
using SGpColour = plat::ColourValue;

// The device creation record, given as SGpMan's EVENT_INIT argument.
struct SGpDeviceRecord {
  plat::Window* window = nullptr;  // null: the null device (draws nothing)
  uint32_t adapter = 0;
  int32_t width = 640;   // back buffer: 640x480, or 1280x720 in high resolution
  int32_t height = 480;
  uint8_t fullScreen = 0;  // non-zero: full screen, presents ask to wait for vsync
  uint8_t holdRate = 1;    // non-zero: hold the frame rate
  uint8_t spare[2] = {0, 0};
};

// What the end of a frame asks of the arcade service and of the game: the
// hardware-error check, the test-mode query, the shared status word and the
// service's count-down overlay. The start-up installs the real one; without
// one there is no overlay and never a hardware error.
class SGpFrameServices {
 public:
  virtual ~SGpFrameServices() = default;
  virtual bool IsHighResolution() { return false; }
  virtual bool IsScreenVertical() { return false; }
  virtual bool CheckHardwareError() { return false; }
  virtual bool IsTestMode() { return false; }
  virtual int32_t ReadSharedStatus() { return -1; }  // -1: no count-down
  // The overlay: created once with the device, destroyed with it.
  virtual void CreateOverlay(plat::GfxDevice* /*device*/, bool /*highRes*/, bool /*vertical*/) {}
  virtual void DestroyOverlay() {}
  virtual bool HasOverlay() { return false; }
  virtual bool OverlayLoaded() { return false; }  // its image loader finished
  virtual bool OverlayIdle() { return true; }
  virtual void DrawOverlayBackground() {}
  virtual void RenderOverlay(int32_t /*status*/) {}
};

// The graphic manager: owns the device and turns every kernel step into one
// presented frame. EVENT_DRAW resets the draw queue and the packet memory and
// enters the default state block under key 63; user event 7 clears and
// begins the scene; EVENT_BEGIN executes the queue, draws the service
// overlay, ends the scene, holds the frame rate and presents.
//
// The device and the render state are module-level (static members): the
// render-state setters can be called from any drawing code.
class SGpMan : public SProc {
 public:
  static constexpr int kQueueBits = 6;
  static constexpr int kPacketBytes = 262144;
  static constexpr uint32_t kPacketAlign = 16;
  static constexpr int kDefaultBlockKey = 63;
  static constexpr float kFramePeriod = plat::FramePacer::kFramePeriod;
  static constexpr int kMaxDefaultPackets = 64;

  SGpMan();
  ~SGpMan() override;

  // --- the process's own fields -------------------------------------------
  SGpQueue* GetQueue() const { return queue_; }
  SGpPacket* GetPacketMemory() const { return packet_; }
  // The queue into which SGpObj::Enter / EnterDefault put packets.
  SGpQueue* GetCurrentQueue() const { return current_; }
  int GetDefaultKey() const { return defaultKey_; }
  void SetDefaultKey(int key) { defaultKey_ = key; }
  int GetDefaultPacketCount() const { return defaultCount_; }
  // A non-zero request keeps the next frame from being shown (see FrameEnd).
  uint8_t GetPresentSkip() const { return presentSkip_; }
  // The shake level: the game clears it every frame and explosions raise it.
  float GetShakeLevel() const { return shakeLevel_; }
  void SetShakeLevel(float v) { shakeLevel_ = v; }
  void SetPresentSkip(uint8_t v) { presentSkip_ = v; }

  // --- device and frame (module level) -------------------------------------
  // 0, or -1 when no device could be created or the sound player failed.
  static int32_t CreateDevice(const SGpDeviceRecord* record);
  static plat::GfxDevice* GetDevice();
  static void SetViewport43();
  static void SetViewportFull();
  static void FrameBegin();
  static void FrameEnd();
  static void ReleaseDevice();
  // True while the frame being drawn will not be shown: primitives and
  // meshes draw nothing then.
  static bool IsPresentSkipped();
  static bool HardwareErrorLatched();
  static void SetFrameServices(SGpFrameServices* services);  // null: none
  // Whether device creation starts the sound player (SSndMan::Init) and
  // release stops its thread; on by default. Tests of drawing alone turn it
  // off.
  static void SetStartsSound(bool on);
  // Performance-counter ticks >> 8, low 32 bits, and a tick difference in
  // frame periods. The frame hold spins until more than one period has
  // passed since the last present, measured with these two: in a window
  // before the present, in full screen after it (the present's own time,
  // a wait for the vertical blank or none, counts within the period).
  static uint32_t ReadPerfTicks();
  static float TicksToFrames(uint32_t ticks);
  // The counter the frame hold reads (null: the performance counter); tests
  // give a counter of their own.
  static void SetPerfCounter(int64_t (*counter)());
  // The full-screen refresh rate: of the modes of that size, the one nearest
  // 60 Hz (the first listed on a tie); 0 when no mode has that size.
  static int PickRefreshRate(const std::vector<plat::DisplayMode>& modes, int width, int height);

  // --- transform cache (module level) --------------------------------------
  static void SetView(const SMatrix& m);
  static void SetWorld(const SMatrix& m);
  static void SetWorldView(const SMatrix& m);
  static void MultiplyWorld(const SMatrix& m);
  static const SMatrix& GetWorld();
  static const SMatrix& GetView();
  static const SMatrix& GetViewInverse();
  static const SMatrix& GetWorldView();
  static const SMatrix& GetWorldViewInverse();
  static int InverseCount();  // inversions computed so far (for tests)

  // Projection from the virtual screen: distance 0 gives an orthographic
  // width x height projection, otherwise a perspective in which the plane at
  // the eye distance maps one unit to one pixel of a 640x480 screen.
  static void SetProjection(float width, float height, float distance, float fourth = 0.0f);
  static void SetClip(float nearZ, float farZ);
  static void SetViewRect(float x, float y, float width, float height);
  static const float* GetViewParams();  // width, height, distance, fourth
  static float GetClipNear();
  static float GetClipFar();
  static const float* GetViewRect();  // x, y, width, height
  static const SMatrix& GetProjection();

  // --- render states (module level); each records its values first ---------
  static void SetZMode(int mode);
  static void SetBlendMode(int mode, float alpha);
  static void SetAlphaTest(int mode, float reference);  // negative: keep current
  static void SetCull(int mode);
  static void SetAmbient(const SGpColour& c);
  static void SetTextureFactor(const SGpColour& c);
  static void SetFogEnable(uint8_t flag);
  static void SetFogRange(float start, float end);
  static void SetFogColour(const SGpColour& c);
  static void EnableLights(uint32_t mask);
  static void SetLightDirection(int i, const SVec4& v);
  static void SetLightColour(int i, const SGpColour& c);
  // A non-null owner becomes the current image (null: keep it); texture
  // index of the current image goes to stage 0 unless it is already there;
  // the index is recorded in any case. An index past what the image's list
  // names binds nothing new (KeepTexture); an index the list names that the
  // image has no texture for leaves textured primitives and model materials
  // undrawn (see BindTexture). Defined with the image resource.
  static void SetTexture(SRsc_Image* owner, int index);
  // A picture's texture: texture index of image, where a slot holds one;
  // without an image, none (SetNoTexture), never the current image's.
  static void SetPictureTexture(SRsc_Image* image, int index);
  // The device half of SetTexture: records owner (when not null) and index,
  // and gives texture (when not null) to stage 0 unless it is already there.
  // Without a texture (a picture that failed or was never read) stage 0
  // keeps what it holds, and textured primitives and model materials draw
  // nothing until a texture is bound again (TextureMissing); untextured
  // primitives do not read the stage. With no image current either, only
  // the index is recorded.
  static void BindTexture(SRsc_Image* owner, int index, plat::Texture* texture);
  // An index past the image's list: records owner (when not null) and index
  // only. Stage 0 keeps its texture, which what follows draws with, and a
  // texture missing before stays missing.
  static void KeepTexture(SRsc_Image* owner, int index);
  // Where a picture is not there (NoTexturePacket): no image is current and
  // the texture asked for is missing, so that neither the sprites nor the
  // models after it take another picture's texture; stage 0 keeps what it
  // holds.
  static void SetNoTexture();

  static int GetZMode();
  static int GetBlendMode();
  static float GetBlendAlpha();
  static int GetAlphaTestMode();
  static float GetAlphaReference();
  static int GetCullMode();
  static const SGpColour& GetAmbient();
  static uint32_t GetLightEnable();
  static const SVec4& GetLightDirection(int i);
  static const SGpColour& GetLightColour(int i);
  static SRsc_Image* GetTextureOwner();
  static int GetTextureIndex();
  // Whether the texture last asked for (SetTexture, BindTexture,
  // SetNoTexture) was not there.
  static bool TextureMissing();
  // Forgets the texture last given to the device (a resource that owned it
  // is going away).
  static void ForgetTexture(plat::Texture* texture);
  // Forgets the current image where it is this one (it is going away), so
  // that a texture asked of the current image later reads nothing of it.
  static void ForgetTextureOwner(const SRsc_Image* owner);

  // Preset orientation n (0..6) of the world presets (SMatrix::SetPreset).
  static void GetPresetMatrix(int n, SMatrix* out);
  // Writes the preset matrices into the WorldPresets packets.
  static void InitPresets();

  // Colour channels 0..1 (clamped; NaN counts as 0) packed as 0xAARRGGBB,
  // each channel x 255 rounded to nearest.
  static uint32_t PackColour(float r, float g, float b, float a);

  // Back to the values the module has before any device exists, the
  // hardware-error latch included (tests).
  static void ResetRenderState();

 protected:
  int32_t Draw(SProcArg arg) override;
  int32_t Begin(SProcArg arg) override;
  int32_t Init(SProcArg arg) override;  // arg: const SGpDeviceRecord*
  int32_t OnDispose(SProcArg arg) override;
  int32_t User(int32_t code, SProcArg arg) override;

 private:
  void BuildDefaultBlock();
  void AddDefaultPacket(SGpObj* p);

  SGpQueue* queue_ = nullptr;
  SGpPacket* packet_ = nullptr;
  SGpQueue* current_ = nullptr;
  int defaultKey_ = 0;
  SGpState_Block* defaultBlock_ = nullptr;
  SGpObj* defaults_[kMaxDefaultPackets] = {};
  int defaultCount_ = 0;
  uint8_t presentSkip_ = 0;
  float shakeLevel_ = 0.0f;
};

// The graphic manager (null when none exists).
SGpMan* GetGpMan();
