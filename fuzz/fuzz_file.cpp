// SPDX-License-Identifier: GPL-3.0-or-later
// The scratch file of a fuzz target: /dev/shm when it exists (no disk writes
// for millions of inputs), else the system temp folder.
#include "fuzz_file.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

std::string WriteFuzzFile(const uint8_t* data, size_t size, const std::string& extension) {
  static const std::string folder = [] {
    std::error_code error;
    if (std::filesystem::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0) {
      return std::string("/dev/shm");
    }
    return std::filesystem::temp_directory_path().string();
  }();
  const std::string path = folder + "/snipola-fuzz-" + std::to_string(::getpid()) + extension;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  if (std::fclose(file) != 0 || !written) std::abort();
  return path;
}
