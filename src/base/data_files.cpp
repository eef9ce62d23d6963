// SPDX-License-Identifier: GPL-3.0-or-later
// Locates run-time data files beside the executable or in its share folder.
#include "base/data_files.h"

#include <system_error>

std::filesystem::path ExecutableFolder() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : exe.parent_path();
}

std::filesystem::path FindDataFile(const std::string& relative) {
  const std::filesystem::path folder = ExecutableFolder();
  if (folder.empty()) return {};
  std::error_code error;
  for (const std::filesystem::path& candidate :
       {folder / relative, folder / ".." / "share" / "snipola" / relative}) {
    if (std::filesystem::is_regular_file(candidate, error)) return candidate.lexically_normal();
  }
  return {};
}
