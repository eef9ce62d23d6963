// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/tag_edits.h"

#include <algorithm>
#include <cctype>
#include <iterator>

std::optional<std::string> AddTagOption(const std::string& argument, TagEdits& edits) {
  const size_t equals = argument.find('=');
  if (equals == std::string::npos || equals == 0) return "--tag needs KEY=VALUE";
  std::string key = argument.substr(0, equals);
  std::transform(key.begin(), key.end(), key.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (std::find(std::begin(kTagKeys), std::end(kTagKeys), key) == std::end(kTagKeys)) {
    std::string known;
    for (const char* name : kTagKeys) known += (known.empty() ? "" : ", ") + std::string(name);
    return "unknown tag key '" + key + "' (use " + known + ")";
  }
  edits.Values[key] = argument.substr(equals + 1);
  return std::nullopt;
}
