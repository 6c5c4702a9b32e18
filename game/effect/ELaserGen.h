#pragma once
// The enemy laser generator, named "ELaserGen". The laser itself is not
// built yet: this stand-in has the record constructor the enemies' script
// step calls and lives for no longer than its owner lets it.
#include "vrax/graphic/SMath.h"
#include "vrax/kernel/SProc.h"

struct GeneratorRecord;

class ELaserGen : public SProc {
 public:
  // From a laser record: the origin matrix is copied, the laser stays where
  // it was made.
  ELaserGen(const SMatrix* origin, const GeneratorRecord* /*record*/) : own_(*origin) {}

 protected:
  int32_t Init(SProcArg /*arg*/) override {
    SetName("ELaserGen");
    SetInitResult(0);
    return 0;
  }

 private:
  SMatrix own_;
};
