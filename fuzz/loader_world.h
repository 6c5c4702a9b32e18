#pragma once
// The engine's managers as the start-up adds them (the graphic manager on
// the null device, the I/O and resource managers, the sound player on a
// manual null device), for the fuzz targets that run a resource's loader on
// their input as the game runs it. Files come from the I/O manager's cache
// (held as they are, or as LZ blocks); any other name is looked for under a
// data directory that does not exist, and so is missing. Made once and never
// torn down. Everything a load holds is charged to the shared total
// (LoadedTotal()), the cache's entries too; Release checks it is given back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/sound_device.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/io/LoadBudget.h"
#include "vrax/io/SIOMan.h"
#include "vrax/kernel/SKernel.h"
#include "vrax/resource/SRscMan.h"
#include "vrax/sound/SSndMan.h"

namespace fuzzsupport {

class LoaderWorld {
 public:
  using Files = std::vector<std::pair<std::string, std::vector<uint8_t>>>;
  // A cache entry's name, its stored bytes and whether they are an LZ block.
  struct Entry {
    std::string name;
    std::vector<uint8_t> bytes;
    bool packed = false;
  };

  static LoaderWorld& Get() {
    static LoaderWorld* world = new LoaderWorld;
    return *world;
  }

  // Puts the files into the cache (emptied first), requests a resource of
  // the kind for the path in group 1 and waits until every loader settled,
  // as a scene start does. The resource, or null when none was made.
  SRsc* Load(uint32_t tag, const char* path, const Files& files) {
    std::vector<Entry> entries;
    for (const auto& [name, bytes] : files) entries.push_back({name, bytes, false});
    return Load(tag, path, entries);
  }
  SRsc* Load(uint32_t tag, const char* path, const std::vector<Entry>& entries) {
    io_.CacheClear();
    for (const Entry& e : entries)
      io_.Cache().AddEntry(e.name, e.bytes.data(), static_cast<uint32_t>(e.bytes.size()), e.packed ? 1 : 0);
    SRsc* r = rm_.CreateResource(1, tag, path, 0, 0, 0, 0);
    rm_.Sync(1);
    return r;
  }

  // Releases group 1; its resources are disposed over the next frames.
  // Traps when anything stays charged to the shared total once its owner
  // is gone: with the resources released only the cache's entries are
  // held, and with the cache emptied nothing.
  void Release() {
    rm_.ReleaseGroup(1, nullptr, 0);
    for (int i = 0; i < 2; ++i) kernel_.Step();
    if (LoadedTotal().Used() != io_.Cache().ChargedBytes()) __builtin_trap();
    io_.CacheClear();
    if (LoadedTotal().Used() != 0) __builtin_trap();
  }

 private:
  LoaderWorld() {
    plat::SetMessageBoxQuiet(true);
    plat::SetDataDir("/nonexistent-ostrel-fuzz-data");
    SGpMan::SetStartsSound(false);
    SSndMan::InitWithDevice(plat::SoundDevice::OpenNull(plat::NullMode::kManual), false);
    kernel_.Start();
    for (SProc* p : {static_cast<SProc*>(&gp_), static_cast<SProc*>(&io_), static_cast<SProc*>(&rm_)})
      p->SetStatic(true);
    SGpDeviceRecord rec;
    rec.holdRate = 0;
    kernel_.AddChild(0, &gp_, reinterpret_cast<SProcArg>(&rec));
    kernel_.AddChild(3, &io_, 0);
    kernel_.AddChild(3, &rm_, 0);
    io_.SetDataPath("Data//");
    io_.SetCacheMode(2, 1u << 24, 0, 0);
    kernel_.Step();
  }

  SKernel kernel_;
  SGpMan gp_;
  SIOMan io_;
  SRscMan rm_;
};

}  // namespace fuzzsupport
