// SPDX-License-Identifier: GPL-3.0-or-later
// The position and length label texts in milliseconds or hours:minutes:seconds; see label_text.h.
#include "app/label_text.h"

#include "base/dialogs.h"
#include "base/time_text.h"

std::string PositionText(const std::string& prefix, int64_t valueMs, bool useSecond) {
  if (useSecond) {
    return prefix + SecondsToClock(static_cast<int32_t>(valueMs / 1000));
  }
  return prefix + std::to_string(valueMs) + " ms";
}

std::string FileLengthText(int32_t lengthMs, bool useSecond) {
  if (useSecond) {
    return PositionText(kLengthPrefix, lengthMs, true);
  }
  return kLengthPrefix + std::to_string(static_cast<uint32_t>(lengthMs)) + " ms";
}

namespace {

std::string NamePart(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string FileNameText(const std::string& path) { return "File Name : " + NamePart(path); }

std::string WindowTitleText(const std::string& path) {
  return path.empty() ? kApplicationTitle : NamePart(path) + " \u2014 " + kApplicationTitle;
}
