#include "support/NewFails.h"

#include "support/ReplacedNew.h"

namespace testsupport {

NewFails::NewFails(size_t bytes) {
  replaced_new::State().failFrom = bytes;
  replaced_new::State().refusedLarge = 0;
}

NewFails::~NewFails() { replaced_new::State().failFrom = 0; }

int NewFails::Refused() const { return replaced_new::State().refusedLarge; }

}  // namespace testsupport
