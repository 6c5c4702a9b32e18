#include "support/NothrowNewFails.h"

#include "support/ReplacedNew.h"

namespace testsupport {

NothrowNewFails::NothrowNewFails(int n) {
  replaced_new::State().nothrowLeft = n;
  replaced_new::State().nothrowRefused = 0;
}

NothrowNewFails::~NothrowNewFails() { replaced_new::State().nothrowLeft = 0; }

int NothrowNewFails::Refused() const { return replaced_new::State().nothrowRefused; }

}  // namespace testsupport
