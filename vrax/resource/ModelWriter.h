#pragma once
// Writes model files (".bma") and texture-animation files (".tca") from the
// plain data of ModelFile.h, in exactly the layout ParseModelFile reads. The
// stand-in data generator and the tests build their models with it.
#include <cstdint>
#include <vector>

#include "vrax/resource/ModelFile.h"

// The version tag written when ModelFile::hasTag is set: "BMA1.1" with the
// version flag, "BMA1.0" without.
std::vector<uint8_t> WriteModelFile(const ModelFile& model);
// A ".tca" node table (for models with the version flag).
std::vector<uint8_t> WriteTexAnimNodeTable(const ModelTexAnim& table);
// A ".tca" file of a model without the version flag: the scroll of
// material 0.
std::vector<uint8_t> WriteTexAnimScroll(float scrollU, float scrollV);
