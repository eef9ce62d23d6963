// The position and length label texts in milliseconds or hours:minutes:seconds; see label_text.h.
#include "app/label_text.h"

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

std::string FileNameText(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return "File Name : " + (slash == std::string::npos ? path : path.substr(slash + 1));
}
