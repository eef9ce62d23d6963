// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Mp3Scanner: measures one MP3 file on a worker thread of its own, with a
// decoder of its own, while the program goes on working with the header
// estimate. Its Mp3ScanIndex exists from the start, so playback and export
// can read the parts already scanned and seek exactly in them.
//
// The two callbacks run on the worker thread: `progress` about every
// megabyte read, `finished` once at the end (not after a stop). Callers on
// the UI thread hand them on by queued calls. Stop() (and the destructor)
// ends the scan at the worker's next read of the file, a few milliseconds
// away, so destroying a scanner never keeps the UI thread waiting.
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "audio/mp3_scan_index.h"

class Mp3Scanner {
 public:
  // fraction: share of the scan done (0 to 1); knownFrames: sample frames
  // from the start whose positions are exact now.
  using Progress = std::function<void(double fraction, int64_t knownFrames)>;
  // The exact facts, or nullopt when the file could not be decoded.
  using Finished = std::function<void(std::optional<Mp3StreamFacts> facts)>;

  Mp3Scanner(std::string path, Progress progress, Finished finished);
  ~Mp3Scanner();
  Mp3Scanner(const Mp3Scanner&) = delete;
  Mp3Scanner& operator=(const Mp3Scanner&) = delete;

  std::shared_ptr<Mp3ScanIndex> Index() const { return index_; }
  void Stop() { stop_.store(true, std::memory_order_relaxed); }

 private:
  void Run(const std::string& path, const Progress& progress, const Finished& finished);

  std::shared_ptr<Mp3ScanIndex> index_ = std::make_shared<Mp3ScanIndex>();
  std::atomic<bool> stop_{false};
  std::thread worker_;  // last: it starts when everything else exists
};
