#include "game/tables/image_slots.h"

#define OSTREL_DEFINE_IMAGE_SLOT(slot, path) \
  SImageSlot slot;                           \
  const ImageDef Def##slot{path, &slot, #slot};
OSTREL_IMAGE_SLOTS(OSTREL_DEFINE_IMAGE_SLOT)
#undef OSTREL_DEFINE_IMAGE_SLOT

namespace {
#define OSTREL_LIST_IMAGE_SLOT(slot, path) &Def##slot,
const ImageDef* const kAllImageDefs[] = {OSTREL_IMAGE_SLOTS(OSTREL_LIST_IMAGE_SLOT)};
#undef OSTREL_LIST_IMAGE_SLOT
}  // namespace

const ImageDef* const* AllImageDefs(std::size_t* count) {
  *count = sizeof(kAllImageDefs) / sizeof(kAllImageDefs[0]);
  return kAllImageDefs;
}
