#pragma once
#include <string>
#include <vector>

#include "support/ErrorBox.h"
#include "support/TempDir.h"

// A fresh temporary directory, removed with everything in it, read and
// written in bytes.
struct IoTempDir : testsupport::TempDir {
  IoTempDir() : TempDir("vrax_io"), path(Path()) {}
  const std::string path;
  void Write(const std::string& rel, const std::vector<uint8_t>& bytes) const {
    TempDir::Write(rel, std::string(bytes.begin(), bytes.end()));
  }
  std::vector<uint8_t> Read(const std::string& rel) const {
    const std::string s = TempDir::Read(rel);
    return std::vector<uint8_t>(s.begin(), s.end());
  }
};

using testsupport::ErrorBoxCatcher;
