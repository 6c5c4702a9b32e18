#pragma once
#include <string>
#include <vector>

#include "platform/message_box.h"

// Collects the texts of the error box while it lives, keeping stderr quiet.
namespace testsupport {

struct ErrorBoxCatcher {
  std::vector<std::string> texts;
  plat::MessageBoxHook old;
  ErrorBoxCatcher() {
    plat::SetMessageBoxQuiet(true);
    old = plat::SetMessageBoxHook([this](const std::string&, const std::string& t) { texts.push_back(t); });
  }
  ~ErrorBoxCatcher() {
    plat::SetMessageBoxHook(old);
    plat::SetMessageBoxQuiet(false);
  }
  ErrorBoxCatcher(const ErrorBoxCatcher&) = delete;
  ErrorBoxCatcher& operator=(const ErrorBoxCatcher&) = delete;
  // How many collected texts contain `part`.
  int Count(const std::string& part) const {
    int n = 0;
    for (const auto& t : texts) n += t.find(part) != std::string::npos;
    return n;
  }
};

}  // namespace testsupport
