// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The export's time text: elapsed time and an estimate of the time remaining,
// refreshed at most about once a second.
//
// The estimate of the whole export is elapsed x total frames / done frames.
// The MP3 route writes "Elapsed: hh:mm:ss, Remain: hh:mm:ss", the WAV route
// "Used hh:mm:ss, Left hh:mm:ss". A refresh that falls due before any frame is
// done has nothing to estimate from and shows nothing new.
#include <cstdint>
#include <optional>
#include <string>

enum class ExportRoute { Mp3, Wav };

// The text for `elapsedMs` with `estimatedTotalMs` for the whole export.
std::string ExportTimeText(ExportRoute route, int64_t elapsedMs, int64_t estimatedTotalMs);

class ExportClock {
 public:
  ExportClock(ExportRoute route, uint32_t startTickMs) : route_(route), startTickMs_(startTickMs) {}

  // A new text when one is due at tickMs, otherwise nothing.
  std::optional<std::string> Refresh(uint32_t tickMs, uint64_t doneFrames, uint64_t totalFrames);

  int64_t LastShownMs() const { return lastShownMs_; }
  int64_t EstimatedTotalMs() const { return estimatedTotalMs_; }

 private:
  ExportRoute route_;
  uint32_t startTickMs_;
  int64_t lastShownMs_ = 0;
  int64_t estimatedTotalMs_ = 0;
};
