// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the INI reader and writer over arbitrary file contents. After
// writing two keys into a section, reading them back must give exactly the
// written values, and writing the same values again must leave the file as it
// is, whatever else the file held.
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "app/ini_file.h"
#include "fuzz_file.h"

namespace {

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = WriteFuzzFile(data, size, ".ini");
  for (const char* section : {"Main", "Set", ""}) {
    for (const char* key : {"Key", "UseSecond", "Left"}) ReadIniValue(path, section, key);
  }
  const std::vector<std::pair<std::string, std::string>> values = {{"Left", "120"},
                                                                   {"Path", "/a b/c=d.mp3"}};
  if (!WriteIniValues(path, "Set", values)) std::abort();
  for (const auto& [key, value] : values) {
    if (ReadIniValue(path, "Set", key) != value) std::abort();
  }
  const std::string once = FileText(path);
  if (!WriteIniValues(path, "Set", values) || FileText(path) != once) std::abort();
  return 0;
}
