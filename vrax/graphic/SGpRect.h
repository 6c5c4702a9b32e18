#pragma once
// Sprite parts (one rectangle of one texture) and key lists (animations of
// parts). Both are plain records so that the sprite tables can be constant
// data built at compile time: every constructor here is constexpr.
#include <cstdint>

#include "vrax/graphic/SGpKeyRef.h"

class SImageSlot;
class SGpState_Texture;

// One corner's texture coordinates.
struct SGpUV {
  float u = 0.0f;
  float v = 0.0f;
};

// A sprite part. `image` is the address of the global image slot that the
// resource manager fills when the image is loaded (it reads null once the
// image is released); `id` is the texture's
// index within that image. The right and bottom coordinates address the last
// texel column and row (x + w - 1), not the edge (x + w).
struct SGpRect {
  SImageSlot* image = nullptr;
  uint32_t id = 0;
  float pivotX = 0.0f, pivotY = 0.0f;
  float width = 0.0f, height = 0.0f;
  float uTL = 0.0f, vTL = 0.0f;
  float uTR = 0.0f, vTR = 0.0f;
  float uBL = 0.0f, vBL = 0.0f;
  float uBR = 0.0f, vBR = 0.0f;

  constexpr SGpRect() = default;

  // Pivot at the centre of the part.
  constexpr SGpRect(SImageSlot* img, uint32_t texId, float texW, float texH, float x, float y,
                    float w, float h, bool flipU = false, bool flipV = false)
      : SGpRect(img, texId, texW, texH, x, y, w, h, w * 0.5f, h * 0.5f, flipU, flipV) {}

  // Pivot given in pixels from the part's top-left corner.
  constexpr SGpRect(SImageSlot* img, uint32_t texId, float texW, float texH, float x, float y,
                    float w, float h, float px, float py, bool flipU, bool flipV)
      : image(img), id(texId), pivotX(px), pivotY(py), width(w), height(h) {
    const float left = x / texW;
    const float right = (x + w - 1.0f) / texW;
    const float top = y / texH;
    const float bottom = (y + h - 1.0f) / texH;
    uTL = uBL = flipU ? right : left;
    uTR = uBR = flipU ? left : right;
    vTL = vTR = flipV ? bottom : top;
    vBL = vBR = flipV ? top : bottom;
  }

  // Corner i in the order top-left, top-right, bottom-left, bottom-right.
  constexpr SGpUV Corner(int i) const {
    switch (i) {
      case 0: return {uTL, vTL};
      case 1: return {uTR, vTR};
      case 2: return {uBL, vBL};
      default: return {uBR, vBR};
    }
  }

  // The four corners in the same order.
  constexpr void GetCorners(SGpUV out[4]) const {
    for (int i = 0; i < 4; ++i) out[i] = Corner(i);
  }

  // The packet that binds the part's texture: texture `id`, or `index`, of
  // the image in the slot (SRsc_Image::GetTexturePacket); null while the
  // image is not loaded.
  SGpState_Texture* GetTexture() const { return GetTexture(static_cast<int>(id)); }
  SGpState_Texture* GetTexture(int index) const;

  // The part's key reference: animation `id` of its image slot, whose
  // application is the packet that binds the part's texture (null while the
  // image is not loaded); entering it binds that texture for the packets
  // that follow.
  SGpKeyRef KeyRef() const;
};

// One pair of a key list: a part and how long it is shown, in the unit of the
// time steps given to the track (frames in the game). A list is an array of
// these ended by a pair whose part is null; 65536.0 keeps a part for good.
struct SGpKeyList {
  const SGpRect* part = nullptr;
  float time = 0.0f;
};

// A part read as a grid of equal cells, row by row (bitmap fonts).
struct SGpRectGrid {
  const SGpRect* part = nullptr;
  float cellW = 0.0f;
  float cellH = 0.0f;
  uint8_t first = 0;  // character code of cell 0

  // Number of columns: the part's width over the cell width, rounded.
  int Columns() const;

  // Corners of cell `index` (top-left, top-right, bottom-left, bottom-right).
  // The index is taken relative to `first` as an unsigned byte, so an index
  // below `first` wraps to the high cells. A grid without a part or with a
  // degenerate cell size writes the part's own corners (or zeros).
  void GetCellUV(int index, SGpUV out[4]) const;
};
