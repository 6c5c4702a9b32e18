#pragma once
// What the scenes outside play share: the load sequence of their resources
// (resource group 1 over the shared scene buffer, the scene's request table
// and its cache archive, built on the first run), a process driven by a
// behaviour machine (EVENT_MAIN runs it with the frame code, EVENT_DRAW
// notifies it), and small helpers for their fades, sounds, quads and pad
// presses.
#include <cstdint>

#include "game/core/Behavior.h"
#include "vrax/kernel/SProc.h"

struct SGpRect;
struct SRscRequest;
class SGpObj_Prim;

// Resource group of the scenes and the size of the buffer handed to it.
inline constexpr int32_t kSceneResourceGroup = 1;
inline constexpr uint32_t kSceneBufferSize = 0xC0000;
void* SceneBuffer();

// Group 1 released onto the shared buffer, the table (may be null) loaded
// into it, then the cache archive step of LoadSceneCache.
void LoadSceneResources(const SRscRequest* table, const char* cacheName);
// Loads the cache archive; when it is missing or bad, every pending
// resource is read file by file into a fresh cache that is then saved as
// the archive. Every pending resource has loaded when it returns.
void LoadSceneCache(const char* cacheName);
// Group 1 released, with no buffer.
void ReleaseSceneResources();
// No resource load is pending (true without a resource manager).
bool SceneResourcesLoaded();

// A scene process: its behaviour machine calls Handler(code, state).
class SceneProc : public SProc {
 public:
  class SceneBehavior : public Behavior {
   public:
    explicit SceneBehavior(SceneProc* owner) : owner_(owner) {}
    int32_t Handle(int32_t code, int32_t state) override { return owner_->Handler(code, state); }

   private:
    SceneProc* owner_;
  };

  int32_t GetSceneState() const { return behavior.GetState(); }

 protected:
  // EVENT_DRAW: the machine's notify code on the current state.
  int32_t Draw(SProcArg arg) override;
  // EVENT_MAIN: one run with the frame code.
  int32_t Main(SProcArg arg) override;
  virtual int32_t Handler(int32_t code, int32_t state) = 0;
  // State 0 of a scene: the screen black at once on enter, a change to
  // state next once no load is pending, a fade in over fadeFrames on leave.
  // True for the leave code, when the scene builds what it shows.
  bool LoadingState(int32_t code, int32_t next, int32_t fadeFrames);

  SceneBehavior behavior{this};
};

// The full-screen fade of draw layer 0 towards level (0 black, 1 clear).
void SceneFade(float level, int32_t frames);
// Sound effect n of the common bank, unless the sound-off flag is set.
void ScenePlaySe(int32_t n);
// Stops sound effect n, unless the sound-off flag is set.
void SceneStopSe(int32_t n);
// The graphic manager's default draw key.
void SceneDrawKey(int32_t key);
// Whether an input of the game root's first pad went down in this frame.
bool ScenePressed(int32_t input);

// Writes one quad at the primitive's cursor: corners (x0, y0), (x1, y0),
// (x0, y1), (x1, y1) at depth z, each with the matching corner of rect (none:
// no texture coordinates) and the colour rgba.
void PutSceneQuad(SGpObj_Prim& q, float x0, float y0, float x1, float y1, float z, const SGpRect* rect,
                  const float* rgba);
// A primitive holding just that quad (room made when it has none).
void SetSceneQuad(SGpObj_Prim& q, float x0, float y0, float x1, float y1, float z, const SGpRect* rect,
                  const float* rgba);
// Enters the texture packet of rect's texture, when its image is loaded
// (SRsc_Image::GetTexturePacket: where its picture failed, the textured
// quads after it draw nothing).
void EnterSceneTexture(const SGpRect& rect);

inline constexpr float kSceneWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
