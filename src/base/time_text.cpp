#include "base/time_text.h"

std::string ZeroPad2(const std::string& text) { return text.size() == 1 ? "0" + text : text; }

std::string SecondsToClock(int32_t seconds) {
  const int32_t hours = seconds / 3600;
  const int32_t minutes = (seconds % 3600) / 60;
  const int32_t secs = seconds % 60;
  return ZeroPad2(std::to_string(hours)) + ":" + ZeroPad2(std::to_string(minutes)) + ":" +
         ZeroPad2(std::to_string(secs));
}
