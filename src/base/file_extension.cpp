// SPDX-License-Identifier: GPL-3.0-or-later
// The extension of a path's file name; see file_extension.h.
#include "base/file_extension.h"

std::string FileExtension(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return path.substr(dot);
}

std::string LowerCaseExtension(const std::string& path) {
  std::string extension = FileExtension(path);
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return extension;
}
