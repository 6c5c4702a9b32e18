#include "vrax/resource/SRsc_Image.h"

#include <new>
#include <utility>

#include "platform/gfx_device.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/io/SIOMan.h"
#include "vrax/io/SysUtil.h"
#include "vrax/resource/ImageList.h"

namespace {
constexpr const char* kSource = "VRAX\\Resource\\Win\\SRsc_Image_Ex";
}

void SGpState_Texture::Execute() { SGpMan::SetTexture(owner_, static_cast<int>(index_)); }

void SGpMan::SetTexture(SRsc_Image* owner, int index) {
  if (!owner) owner = GetTextureOwner();
  plat::Texture* t = owner && index >= 0 && index < owner->TextureCount() ? owner->GetDeviceTexture(index) : nullptr;
  BindTexture(owner, index, t);
}

SGpState_Texture* SRsc_Image::GetTexturePacket(int32_t n) {
  if (n < 0 || n >= static_cast<int32_t>(packets_.size())) return nullptr;
  return &packets_[static_cast<size_t>(n)];
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
  cursor_ = 0;
  directory_ = image_list::DirectoryOf(GetName());
  listFile_.SetName(MakeFileName(GetName(), ".tr"));
  listFile_.Load();
  SetInitResult(0);
  return 0;
}

// The texture files the I/O manager's cache already holds are decoded on a
// worker from here on; the rest are decoded when they arrive.
void SRsc_Image_Ex::StartDecodeAhead(const uint8_t* list, size_t size) {
  SIOMan* io = SIOMan::GetInstance();
  std::vector<std::string> names;
  if (!io || io->GetCacheMode() == 0 || !image_list::Parse(list, size, &names)) return;
  const SCacheArchive& cache = io->Cache();
  std::vector<std::vector<uint8_t>> files(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string path = directory_ + names[i];
    uint32_t bytes = 0;
    if (cache.GetSize(path, &bytes) < 0 || bytes == 0) continue;
    files[i].resize(bytes);
    if (cache.Lookup(path, files[i].data(), bytes) < 0) files[i].clear();
  }
  decodeAhead_.Start(std::move(files));
}

void SRsc_Image_Ex::QueueTexture(const std::string& name) {
  textureFile_.FreeData();
  textureFile_.SetName(directory_ + name);
  textureFile_.Load();
}

int32_t SRsc_Image_Ex::Main(SProcArg) {
  if (step_ == 0) {
    int32_t st = listFile_.GetState();
    if (st == -1) {
      ReportOpenError(kSource, 59);
      step_ = -1;
      return 0;
    }
    if (st != 1) return 0;
    const auto* data = static_cast<const uint8_t*>(listFile_.GetData());
    size_t size = data ? listFile_.GetSize() : 0;
    cursor_ = image_list::SkipSeparators(data, size, 0);
    std::string name;
    if (cursor_ >= size ||
        image_list::ReadName(data, size, &cursor_, true, &name) != image_list::NameResult::kName) {
      ReportOpenError(kSource, 84);
      listFile_.FreeData();
      step_ = -1;
      return 0;
    }
    StartDecodeAhead(data, size);
    QueueTexture(name);
    step_ = 1;
    return 0;
  }
  if (step_ != 1) return 0;

  int32_t st = textureFile_.GetState();
  if (st == -1) {
    decodeAhead_.Stop();
    ReportOpenError(kSource, 102);
    listFile_.FreeData();
    step_ = -1;
    return 0;
  }
  if (st != 1) return 0;
  plat::Texture* tex = nullptr;
  plat::GfxDevice* dev = SGpMan::GetDevice();
  int r = -1;
  if (dev) {
    plat::Image image;
    switch (decodeAhead_.Take(textures_.size(), textureFile_.GetData(), textureFile_.GetSize(), &image)) {
      case ImageDecodeAhead::Result::kDecoded:
        r = dev->CreateTextureFromImage(std::move(image), &tex);
        break;
      case ImageDecodeAhead::Result::kDamaged:
        break;
      case ImageDecodeAhead::Result::kNone:
        r = dev->CreateTextureFromMemory(textureFile_.GetData(), textureFile_.GetSize(), &tex);
        break;
    }
  }
  textureFile_.FreeData();
  if (r < 0 || !tex) {
    decodeAhead_.Stop();
    ReportOpenError(kSource, 114);
    listFile_.FreeData();
    step_ = -1;
    return 0;
  }
  packets_.emplace_back(this, static_cast<uint32_t>(textures_.size()));
  textures_.push_back(tex);

  const auto* data = static_cast<const uint8_t*>(listFile_.GetData());
  size_t size = data ? listFile_.GetSize() : 0;
  cursor_ = image_list::SkipSeparators(data, size, cursor_);
  if (cursor_ >= size || textures_.size() >= image_list::kMaxImageListNames) {
    // Names past the image's last texture are left out, told in one line.
    if (cursor_ < size) ReportOpenError(kSource, 126);
    decodeAhead_.Stop();
    listFile_.FreeData();
    SetStatus(kRscReady);
    step_ = 2;
    return 0;
  }
  std::string name;
  if (image_list::ReadName(data, size, &cursor_, false, &name) != image_list::NameResult::kName) {
    // A name longer than any texture file name can be: the list is damaged.
    decodeAhead_.Stop();
    ReportOpenError(kSource, 120);
    listFile_.FreeData();
    step_ = -1;
    return 0;
  }
  QueueTexture(name);
  return 0;
}

int32_t SRsc_Image_Ex::OnDispose(SProcArg) {
  decodeAhead_.Stop();
  ReleaseTextures();
  listFile_.FreeData();
  textureFile_.FreeData();
  SetStatus(kRscIdle);
  return 0;
}
