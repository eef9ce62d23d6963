// SPDX-License-Identifier: GPL-3.0-or-later
// The elapsed/remaining text of an export; see export_time_text.h.
#include "export/export_time_text.h"

#include "base/rounding.h"
#include "base/time_text.h"

std::string ExportTimeText(ExportRoute route, int64_t elapsedMs, int64_t estimatedTotalMs) {
  const bool mp3 = route == ExportRoute::Mp3;
  return std::string(mp3 ? "Elapsed: " : "Used ") +
         SecondsToClock(static_cast<int32_t>(elapsedMs / 1000)) + (mp3 ? ", Remain: " : ", Left ") +
         SecondsToClock(static_cast<int32_t>((estimatedTotalMs - elapsedMs) / 1000));
}

std::optional<std::string> ExportClock::Refresh(uint32_t tickMs, uint64_t doneFrames,
                                                uint64_t totalFrames) {
  // The tick counter wraps at 32 bits; the unsigned difference stays right.
  const int64_t elapsedMs = static_cast<uint32_t>(tickMs - startTickMs_);
  if (elapsedMs - lastShownMs_ < 1000) return std::nullopt;
  if (doneFrames == 0) return std::nullopt;
  lastShownMs_ = elapsedMs;
  estimatedTotalMs_ =
      RoundHalfEven(static_cast<double>(lastShownMs_ * static_cast<int64_t>(totalFrames)) /
                    static_cast<double>(doneFrames));
  return ExportTimeText(route_, lastShownMs_, estimatedTotalMs_);
}
