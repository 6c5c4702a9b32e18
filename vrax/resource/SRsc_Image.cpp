#include "vrax/resource/SRsc_Image.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

#include "platform/gfx_device.h"
#include "platform/image_decode.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/io/SIOMan.h"
#include "vrax/io/SysUtil.h"
#include "vrax/resource/ImageList.h"

namespace {

constexpr const char* kSource = "VRAX\\Resource\\Win\\SRsc_Image_Ex";

// The packet of a picture that is not there.
class NoTexture : public SGpState_Texture {
 public:
  void Execute() override { SGpMan::SetNoTexture(); }
};

// The packet of a number past an image's list: it binds nothing.
class NothingNew : public SGpState_Texture {
 public:
  void Execute() override {}
};

}  // namespace

void SGpState_Texture::Execute() { SGpMan::SetTexture(owner_, static_cast<int>(index_)); }

SGpState_Texture& NoTexturePacket() {
  static NoTexture none;
  return none;
}

SGpState_Texture& KeepTexturePacket() {
  static NothingNew keep;
  return keep;
}

// Where the current image's list does not name the index, nothing new is
// bound: stage 0 keeps its texture, and a texture missing before stays
// missing.
void SGpMan::SetTexture(SRsc_Image* owner, int index) {
  if (!owner) owner = GetTextureOwner();
  if (owner && owner->PastList(index)) {
    KeepTexture(owner, index);
    return;
  }
  plat::Texture* t = owner && index >= 0 && index < owner->TextureCount() ? owner->GetDeviceTexture(index) : nullptr;
  BindTexture(owner, index, t);
}

void SGpMan::SetPictureTexture(SRsc_Image* image, int index) {
  if (image != nullptr)
    SetTexture(image, index);
  else
    SetNoTexture();
}

SRsc_Image::~SRsc_Image() { SGpMan::ForgetTextureOwner(this); }

bool SRsc_Image::PastList(int32_t n) {
  const int32_t listed = ListedCount();
  if (listed < 0 || (n >= 0 && n < listed)) return false;
  if (!toldPastList_)
    FatalError("%s(%d) : %s names %d pictures, none numbered %d: drawn with the texture bound before it (told once)\n",
               kSource, __LINE__, MakeFileName(GetName(), ".tr").c_str(), listed, n);
  toldPastList_ = true;
  return true;
}

SGpState_Texture* SRsc_Image::GetTexturePacket(int32_t n) {
  if (n >= 0 && n < static_cast<int32_t>(packets_.size())) return &packets_[static_cast<size_t>(n)];
  return PastList(n) ? &KeepTexturePacket() : &NoTexturePacket();
}

SGpState_Texture* SRsc_Image::GetExtraPacket(int32_t n) {
  if (n < 0 || n >= static_cast<int32_t>(extra_.size())) return nullptr;
  return &extra_[static_cast<size_t>(n)];
}

SRsc* SRsc_Image_Ex::Create() { return new (std::nothrow) SRsc_Image_Ex; }

SRsc_Image_Ex::~SRsc_Image_Ex() { ReleaseTextures(); }

plat::Texture* SRsc_Image_Ex::GetDeviceTexture(int32_t n) const {
  if (n < 0 || n >= static_cast<int32_t>(textures_.size())) return nullptr;
  return textures_[static_cast<size_t>(n)];
}

void SRsc_Image_Ex::ReleaseTextures() {
  for (plat::Texture* t : textures_) {
    if (!t) continue;
    SGpMan::ForgetTexture(t);
    t->Release();
  }
  textures_.clear();
}

int32_t SRsc_Image_Ex::Init(SProcArg) {
  step_ = 0;
  listed_ = -1;
  cursor_ = 0;
  shareOf_ = -1;
  names_.clear();
  copies_.Release();
  directory_ = image_list::DirectoryOf(GetName());
  listFile_.SetName(MakeFileName(GetName(), ".tr"));
  listFile_.Load();
  SetInitResult(0);
  return 0;
}

// The texture files the I/O manager's cache already holds are decoded on a
// worker from here on; the rest are decoded when they arrive. Each file is
// copied once, however often the list names it, while the copies fit a
// budget of their own and the total's free room; the pixels its header
// claims are charged to the image's budget here, from free room too, before
// the worker makes them, so that the pictures that fit are the same whether
// the files come from the cache or not; each charge is handed over with its
// picture, or given back (see MakeTexture, YieldAhead and StopDecodeAhead).
// A file left out is decoded (and charged) when it arrives.
void SRsc_Image_Ex::StartDecodeAhead(const std::vector<std::string>& names) {
  SIOMan* io = SIOMan::GetInstance();
  if (!io || io->GetCacheMode() == 0 || names.empty()) return;
  const SCacheArchive& cache = io->Cache();
  std::vector<ImageDecodeAhead::Bytes> files(names.size());
  aheadCharges_.assign(names.size(), 0);
  for (size_t i = 0; i < names.size(); ++i) {
    if (std::find(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(i), names[i]) !=
        names.begin() + static_cast<std::ptrdiff_t>(i))
      continue;  // its texture is the earlier line's
    const std::string path = directory_ + names[i];
    uint32_t bytes = 0;
    if (cache.GetSize(path, &bytes) < 0 || bytes == 0 || !copies_.Charge(bytes)) continue;
    files[i].resize(bytes);
    int w = 0, h = 0;
    if (cache.Lookup(path, files[i].data(), bytes) < 0 || !plat::ReadImageSize(files[i].data(), bytes, &w, &h) ||
        !plat::ImageSizeAllowed(w, h) || !Budget().ChargeAhead(uint64_t(w) * uint64_t(h) * 4)) {
      ImageDecodeAhead::Bytes().swap(files[i]);
      copies_.GiveBack(bytes);
      continue;
    }
    aheadCharges_[i] = uint64_t(w) * uint64_t(h) * 4;
  }
  // Copies that no worker took are gone with files.
  if (!decodeAhead_.Start(std::move(files), aheadCharges_)) {
    copies_.Release();
    return;
  }
  aheadRoom_.Join(LoadedTotal());
}

uint64_t SRsc_Image_Ex::HeldAhead() const {
  uint64_t held = copies_.Used();
  for (const uint64_t bytes : aheadCharges_) held += bytes;
  return held;
}

// Called from inside a charge of any load, this image's own included: it
// only frees and gives back. The copies made first go first: their memory
// lies below the later ones', so the load that asked for the room takes
// those very pages (memory freed at the heap's top goes back to the system,
// and a load would map fresh pages instead, which in a frame that loads
// many large files costs more than the decodes given up).
void SRsc_Image_Ex::YieldAhead(uint64_t bytes) {
  uint64_t given = 0;
  for (size_t i = 0; i < aheadCharges_.size() && given < bytes; ++i) {
    const uint64_t copy = decodeAhead_.Drop(i);
    copies_.GiveBack(copy);
    Budget().GiveBack(aheadCharges_[i]);
    given += copy + aheadCharges_[i];
    aheadCharges_[i] = 0;
  }
}

void SRsc_Image_Ex::StopDecodeAhead() {
  aheadRoom_.Leave();
  decodeAhead_.Stop();
  copies_.Release();
  for (const uint64_t bytes : aheadCharges_) Budget().GiveBack(bytes);
  aheadCharges_.clear();
}

void SRsc_Image_Ex::QueueTexture(const std::string& name) {
  pendingName_ = name;
  // A name given before binds that texture again instead of reading it.
  const auto seen = std::find(names_.begin(), names_.end(), name);
  if (seen != names_.end()) {
    shareOf_ = static_cast<int32_t>(seen - names_.begin());
    return;
  }
  textureFile_.FreeData();
  textureFile_.SetName(directory_ + name);
  textureFile_.Load();
}

// The loader stops for good, failed, before the line is shown: with memory
// gone even the report may not be made.
void SRsc_Image_Ex::Fail(int line) {
  StopDecodeAhead();
  listFile_.FreeData();
  textureFile_.FreeData();
  step_ = -1;
  SetStatus(kRscFailed);
  ReportOpenError(kSource, line);
}

plat::Texture* SRsc_Image_Ex::MakeTexture(bool* damaged) {
  *damaged = false;
  plat::GfxDevice* dev = SGpMan::GetDevice();
  if (!dev) return nullptr;
  const size_t n = textures_.size();
  const void* data = textureFile_.GetData();
  const size_t size = textureFile_.GetSize();
  plat::Texture* tex = nullptr;
  plat::Image image;
  // What the decode-ahead charged for this picture is the loader's now: kept
  // with the texture, given back when none is made from its decode.
  uint64_t charged = 0;
  if (n < aheadCharges_.size()) std::swap(charged, aheadCharges_[n]);
  switch (decodeAhead_.Take(n, data, size, &image)) {
    case ImageDecodeAhead::Result::kDecoded:
      dev->CreateTextureFromImage(std::move(image), &tex);
      if (!tex) Budget().GiveBack(charged);
      return tex;
    case ImageDecodeAhead::Result::kDamaged:
      Budget().GiveBack(charged);
      *damaged = true;
      return nullptr;
    case ImageDecodeAhead::Result::kNone:
      Budget().GiveBack(charged);
      break;
  }
  int w = 0, h = 0;
  if (!plat::ReadImageSize(data, size, &w, &h) || !plat::ImageSizeAllowed(w, h)) {
    *damaged = true;
    return nullptr;
  }
  const uint64_t bytes = uint64_t(w) * uint64_t(h) * 4;
  if (!Budget().Charge(bytes)) return nullptr;
  const int made = dev->CreateTextureFromMemory(data, size, &tex, bytes);
  // A picture that does not decode holds nothing.
  if (!tex) {
    Budget().GiveBack(bytes);
    *damaged = made == plat::kErrInvalidCall;
  }
  return tex;
}

int32_t SRsc_Image_Ex::Main(SProcArg) {
  // Memory running out anywhere in a step fails the image as a texture that
  // could not be made (the list's line while the list is read); nothing
  // leaves the loader.
  try {
    Step();
  } catch (const std::bad_alloc&) {
    try {
      Fail(step_ == 0 ? 84 : 114);
    } catch (const std::bad_alloc&) {
      // Failed without its line.
    }
  }
  return 0;
}

void SRsc_Image_Ex::Step() {
  if (step_ == 0) {
    int32_t st = listFile_.GetState();
    if (st == -1) {
      Fail(59);
      return;
    }
    if (st != 1) return;
    const auto* data = static_cast<const uint8_t*>(listFile_.GetData());
    size_t size = data ? listFile_.GetSize() : 0;
    cursor_ = image_list::SkipSeparators(data, size, 0);
    std::string name;
    if (cursor_ >= size ||
        image_list::ReadName(data, size, &cursor_, true, &name) != image_list::NameResult::kName) {
      if (listFile_.Reject()) {
        // A cache archive's copy: the tree's is read instead.
        listFile_.FreeData();
        listFile_.Load();
        return;
      }
      Fail(84);
      return;
    }
    // What the list names, known once it is read whole (a damaged list
    // fails the image at its damage).
    std::vector<std::string> names;
    listed_ = image_list::Parse(data, size, &names) ? static_cast<int32_t>(names.size()) : -1;
    StartDecodeAhead(names);
    QueueTexture(name);
    step_ = 1;
    return;
  }
  if (step_ != 1) return;

  plat::Texture* tex = nullptr;
  if (shareOf_ >= 0) {
    tex = textures_[static_cast<size_t>(shareOf_)];
    tex->AddRef();
    shareOf_ = -1;
  } else {
    int32_t st = textureFile_.GetState();
    if (st == -1) {
      Fail(102);
      return;
    }
    if (st != 1) return;
    bool damaged = false;
    tex = MakeTexture(&damaged);
    textureFile_.FreeData();
    if (!tex) {
      if (damaged && textureFile_.Reject()) {
        // A cache archive's copy: the tree's is read instead.
        textureFile_.Load();
        return;
      }
      Fail(114);
      return;
    }
  }
  // The texture and its packet are added together or not at all.
  try {
    textures_.push_back(tex);
  } catch (const std::bad_alloc&) {
    tex->Release();
    throw;
  }
  try {
    packets_.emplace_back(this, static_cast<uint32_t>(textures_.size() - 1));
  } catch (const std::bad_alloc&) {
    textures_.pop_back();
    tex->Release();
    throw;
  }
  names_.push_back(pendingName_);

  const auto* data = static_cast<const uint8_t*>(listFile_.GetData());
  size_t size = data ? listFile_.GetSize() : 0;
  cursor_ = image_list::SkipSeparators(data, size, cursor_);
  if (cursor_ >= size || textures_.size() >= image_list::kMaxImageListNames) {
    // Names past the image's last texture are left out, told in one line.
    if (cursor_ < size) ReportOpenError(kSource, 126);
    StopDecodeAhead();
    listFile_.FreeData();
    names_.clear();
    SetStatus(kRscReady);
    step_ = 2;
    return;
  }
  std::string name;
  if (image_list::ReadName(data, size, &cursor_, false, &name) != image_list::NameResult::kName) {
    // A name longer than any texture file name can be: the list is damaged.
    listFile_.Reject();
    Fail(120);
    return;
  }
  QueueTexture(name);
}

int32_t SRsc_Image_Ex::OnDispose(SProcArg) {
  StopDecodeAhead();
  ReleaseTextures();
  listFile_.FreeData();
  textureFile_.FreeData();
  SetStatus(kRscIdle);
  return 0;
}
