#include <gtest/gtest.h>

#include "vrax/resource/SRscMan.h"
#include "vrax/resource/SRscSlot.h"
#include "vrax/resource/SRsc_Image.h"
#include "vrax/resource/SRsc_Model.h"

namespace {

TEST(RscSlot, TableTargetFillsACheckedHandleOfItsKindOnly) {
  SRscSlot<SRsc_Image> slot;
  auto* image = new SRsc_Image_Ex();
  slot.Target().Put(image);
  EXPECT_EQ(slot.Get(), image);
  EXPECT_EQ(slot.Ready(), nullptr);  // idle, not ready
  image->SetStatus(kRscReady);
  EXPECT_EQ(slot.Ready(), image);
  delete image;  // the group was released
  EXPECT_EQ(slot.Get(), nullptr);

  // A resource of another kind written into the slot is not taken.
  SRsc_Model_Ex model;
  slot.Target().Put(&model);
  EXPECT_EQ(slot.Get(), nullptr);
  slot.Set(nullptr);
  EXPECT_EQ(slot.Get(), nullptr);
}

// A table row fills its slot when the resource is created: a resource
// released before anyone read the slot leaves it empty, never dangling.
TEST(RscSlot, ResourceReleasedBeforeTheFirstReadLeavesTheSlotEmpty) {
  SRscSlot<SRsc_Image> slot;
  SRsc* raw = nullptr;
  const SRscRequest rows[] = {{slot.Target(), RscTag("IMG"), "a", 0, 0, 0, 0},
                              {&raw, RscTag("IMG"), "b", 0, 0, 0, 0},
                              {nullptr, 0, nullptr, 0, 0, 0, 0}};
  auto* image = new SRsc_Image_Ex();
  rows[0].target.Put(image);
  rows[1].target.Put(image);
  EXPECT_EQ(raw, image);
  EXPECT_FALSE(rows[2].target);
  delete image;
  EXPECT_EQ(slot.Get(), nullptr);
}

}  // namespace
