#pragma once
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/ErrorBox.h"

// A fresh temporary directory, removed with everything in it.
struct IoTempDir {
  std::string path;
  IoTempDir() {
    char tmpl[] = "/tmp/vrax_io_XXXXXX";
    path = mkdtemp(tmpl);
  }
  ~IoTempDir() { std::filesystem::remove_all(path); }
  void Write(const std::string& rel, const std::vector<uint8_t>& bytes) const {
    std::filesystem::path p = path + "/" + rel;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                             static_cast<std::streamsize>(bytes.size()));
  }
  std::vector<uint8_t> Read(const std::string& rel) const {
    std::ifstream f(path + "/" + rel, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
  }
};

using testsupport::ErrorBoxCatcher;
