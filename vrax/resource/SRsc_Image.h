#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "vrax/graphic/SGpState.h"
#include "vrax/io/LoadBudget.h"
#include "vrax/io/SFile.h"
#include "vrax/resource/ImageDecodeAhead.h"
#include "vrax/resource/SRsc.h"

namespace plat {
class Texture;
}

// The image kind ('IMG'): a numbered set of textures, each offered as a
// small packet that binds it on stage 0.
class SRsc_Image : public SRsc {
 public:
  // An image going away is the current one no more (SGpMan).
  ~SRsc_Image() override;
  uint32_t Kind() const override { return RscTag("IMG"); }

  // What entering texture n of this image binds, the one lookup of a
  // picture's texture: the packet that binds texture n where the image has
  // it; where n is past what the image's list names, the packet that binds
  // nothing new (KeepTexturePacket), so that what follows draws with the
  // texture already bound; otherwise (its picture failed, or was never read
  // because one before it failed, or the list itself was not read) the
  // packet that binds none (NoTexturePacket), so that what follows is not
  // drawn with another picture's texture. Never null.
  virtual SGpState_Texture* GetTexturePacket(int32_t n);
  virtual int32_t TextureCount() const { return static_cast<int32_t>(packets_.size()); }
  // How many pictures the image's list names (up to the most an image
  // loads); -1 while that is not known (the list not read, or damaged). An
  // image made in place names the textures it has.
  virtual int32_t ListedCount() const { return TextureCount(); }
  // Whether n is past what the list names: binding it binds nothing new.
  // False while the list is not known. The first such number asked of the
  // image is told in one line that names the list's file, what it names and
  // the number; what follows still draws with the texture bound before it.
  bool PastList(int32_t n);
  virtual SGpState_Texture* GetExtraPacket(int32_t n);
  virtual int32_t ExtraPacketCount() const { return static_cast<int32_t>(extra_.size()); }
  // The device texture n (null when n is not below the count).
  virtual plat::Texture* GetDeviceTexture(int32_t /*n*/) const { return nullptr; }

 protected:
  // Packets keep their addresses while the list grows.
  std::deque<SGpState_Texture> packets_;
  std::deque<SGpState_Texture> extra_;

 private:
  bool toldPastList_ = false;
};

// The image loaded from an image list (".tr"): the list is read first, then
// one texture file per frame (at best), each turned into a texture. Names
// past the first image_list::kMaxImageListNames are left out and told with
// one error line; the image is ready with the textures before them, and
// their numbers are past its list.
//
// A name the list gives again is not read again: its number binds the
// texture made for the name's first line (one texture, one more reference)
// and takes a frame, as a file from the cache would. Each texture's pixels
// (width x height x 4 bytes, as the file's header gives them) are charged
// to the resource's budget before they are made; a texture past it (or past
// what all resources may hold together) fails the image with the
// texture-creation line, as does memory running out. A file that cannot
// hold the picture its header claims is refused before any charge; a
// picture that fails to decode, or whose texture cannot be made, gives its
// charge back at once. A failed image keeps the textures it made, and their
// charge, until it is released. The copies of cached files the decode-ahead
// works on are charged to a budget of their own, and through it to what all
// loads hold together, while the decode-ahead holds them; they and the
// pixels charged for their pictures take free room only (a file that does
// not fit is decoded when it arrives), and give it back, the last list's
// first, to any load that needs it: that file too is then decoded when it
// arrives. The pixels it charged for pictures never made (the list failed or
// ended first) are given back when it stops.
class SRsc_Image_Ex : public SRsc_Image {
 public:
  SRsc_Image_Ex() = default;
  ~SRsc_Image_Ex() override;

  // The 'IMG' factory.
  static SRsc* Create();

  plat::Texture* GetDeviceTexture(int32_t n) const override;
  int32_t ListedCount() const override { return listed_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  void StartDecodeAhead(const std::vector<std::string>& names);
  // Stops the decode-ahead and gives back what it charged for the pictures
  // it has not handed over.
  void StopDecodeAhead();
  // What the decode-ahead holds in the total: its copies and the pixels it
  // charged for pictures not handed over.
  uint64_t HeldAhead() const;
  // Drops decodes ahead, the first lines' first, until bytes are given back
  // or none is left.
  void YieldAhead(uint64_t bytes);
  void QueueTexture(const std::string& name);
  void ReleaseTextures();
  // One loader step (Main without its guard against memory running out).
  void Step();
  void Fail(int line);
  // The texture of the completed texture file, its pixels charged first
  // (unless the decode-ahead charged them); null when it cannot be made,
  // with damaged set when the file's bytes are the reason (a picture its
  // header refuses or that does not decode).
  plat::Texture* MakeTexture(bool* damaged);

  int32_t step_ = 0;  // 0 list, 1 textures, 2 finished, -1 failed
  int32_t listed_ = -1;  // the names the list gives (-1: not read, or damaged)
  size_t cursor_ = 0;
  std::string directory_;
  SFile listFile_;
  SFile textureFile_;
  std::vector<plat::Texture*> textures_;
  std::vector<std::string> names_;  // the name each texture was made for
  std::string pendingName_;         // the name of the texture being made
  int32_t shareOf_ = -1;            // >= 0: pendingName_ is that texture's again
  // The decode-ahead's copies of cached files, given back when it stops.
  LoadBudget copies_{kMaxResourceBytes, &LoadedTotal(), LoadUse::kAhead};
  ImageDecodeAhead decodeAhead_;
  // The pixels the decode-ahead charged for each line's picture and has not
  // handed over to a texture (0: none).
  std::vector<uint64_t> aheadCharges_;
  // The decode-ahead's room, asked for by loads that need it while the
  // decode-ahead runs.
  class AheadRoom : public LoadYielder {
   public:
    explicit AheadRoom(SRsc_Image_Ex* image) : image_(image) {}
    uint64_t HeldAhead() const override { return image_->HeldAhead(); }
    void Yield(uint64_t bytes) override { image_->YieldAhead(bytes); }

   private:
    SRsc_Image_Ex* image_;
  };
  AheadRoom aheadRoom_{this};
};
