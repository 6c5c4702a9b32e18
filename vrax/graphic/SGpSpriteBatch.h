#pragma once
// Draws many sprites with few draw calls: requests (cells of the global
// sprite pool) are linked into the batch's list; executing the batch writes
// one quad per request into one primitive per texture and draws each
// primitive once. The primitives keep their size between frames, so after
// the first frames nothing is allocated.
#include <cstdint>
#include <vector>

#include "vrax/graphic/SGpObj.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SGpSpriteCell.h"

class SRsc_Image;

class SGpSpriteBatch : public SGpObj {
 public:
  struct Entry {
    SRsc_Image* image;
    uint32_t texture;
    SGpObj_PrimQuadFill* prim;  // owned
  };

  // Quads a new texture's primitive starts with; it doubles when full.
  static constexpr int kInitialQuads = 32;
  // Largest primitive (16-bit indices): a texture's requests beyond this
  // many quads are not drawn in that frame.
  static constexpr int kMaxQuads = SGpObj_Prim::kMaxVertices / 4;

  SGpSpriteBatch() = default;
  ~SGpSpriteBatch() override;
  SGpSpriteBatch(const SGpSpriteBatch&) = delete;
  SGpSpriteBatch& operator=(const SGpSpriteBatch&) = delete;

  void Execute() override;

  virtual SObjList* GetList() { return &list_; }
  // Deletes every texture's primitive and empties the table.
  virtual void Clear();
  // A cell from the global pool linked at the back (front) of the list, or
  // null when the pool is full.
  virtual SGpSpriteCell* AddBack();
  virtual SGpSpriteCell* AddFront();

  int GetEntryCount() const { return static_cast<int>(table_.size()); }
  const Entry& GetEntry(int i) const { return table_[static_cast<size_t>(i)]; }

  // Writes the quads of every request into the table's primitives without
  // drawing (the first half of Execute).
  void Build();

 private:
  SObjList list_;
  std::vector<Entry> table_;
};
