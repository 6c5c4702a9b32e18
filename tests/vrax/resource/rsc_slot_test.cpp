#include <gtest/gtest.h>

#include "vrax/resource/SRscSlot.h"
#include "vrax/resource/SRsc_Image.h"
#include "vrax/resource/SRsc_Model.h"

namespace {

TEST(RscSlot, TableTargetBecomesACheckedHandleOfItsKindOnly) {
  SRscSlot<SRsc_Image> slot;
  auto* image = new SRsc_Image_Ex();
  *slot.Target() = image;
  EXPECT_EQ(slot.Get(), image);
  EXPECT_EQ(slot.Ready(), nullptr);  // idle, not ready
  image->SetStatus(kRscReady);
  EXPECT_EQ(slot.Ready(), image);
  delete image;  // the group was released
  EXPECT_EQ(slot.Get(), nullptr);

  // A resource of another kind written into the slot is not taken.
  SRsc_Model_Ex model;
  *slot.Target() = &model;
  EXPECT_EQ(slot.Get(), nullptr);
  slot.Set(nullptr);
  EXPECT_EQ(slot.Get(), nullptr);
}

}  // namespace
