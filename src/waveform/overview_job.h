// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// OverviewJob: computes the peak columns of a whole file on worker threads.
//
// The file is split into runs of whole columns, a few per thread; each of the
// `threads` workers reads the runs it takes through its own PeakSource, so
// parts of the file are decoded in parallel and the program's shared PCM
// stream is never touched.
// Finished columns are handed out in small batches through `deliver`, which
// is called on the worker threads: the receiver posts them to the user-
// interface thread (WaveformModel does so by queued call), so the picture
// fills in while the job runs.
//
// Cancel() only raises an atomic flag that every worker tests after each
// block (a few milliseconds of work at most), so it returns at once
// and the workers stop soon after without delivering anything more. The
// destructor cancels and then joins the threads; owners that must not wait
// even that long keep a cancelled job until Finished() (see WaveformModel).
// A damaged or truncated file simply ends a run early: the columns read so
// far are delivered, the rest stay unfilled.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_file_info.h"
#include "waveform/peak_columns.h"

class PeakSource;

class OverviewJob {
 public:
  // Called on a worker thread with columns [firstColumn, firstColumn + size);
  // may be empty (the columns are then computed and dropped).
  using Deliver = std::function<void(int firstColumn, std::vector<ColumnPeak> peaks)>;

  // Starts the workers at once; `columns` > 0, `threads` >= 1.
  OverviewJob(std::string path, AudioFileInfo info, int columns, int threads, Deliver deliver);
  ~OverviewJob();
  OverviewJob(const OverviewJob&) = delete;
  OverviewJob& operator=(const OverviewJob&) = delete;

  // Stops the workers as soon as they next look; never waits.
  void Cancel() { state_->cancelled.store(true, std::memory_order_relaxed); }
  // Every worker has returned (completed, failed or cancelled).
  bool Finished() const { return state_->runningWorkers.load(std::memory_order_acquire) == 0; }
  // Blocks until every worker has returned (benchmarks and tests only).
  void Wait();

  // How many workers a job uses on this machine: one per processor, at
  // least two (a second reader pays off even on one busy core, as one
  // waits for the disk while the other decodes), at most four.
  static int DefaultThreads();

 private:
  struct State {
    std::atomic<bool> cancelled{false};
    std::atomic<int> runningWorkers{0};
    int runs = 1;                 // runs of whole columns, fixed before the workers start
    std::atomic<int> nextRun{0};  // the next run a worker takes
  };
  // One worker: opens its own source and takes runs until none is left.
  static void Run(std::shared_ptr<State> state, const std::string& path, AudioFileInfo info,
                  int columns, const Deliver& deliver);
  // Computes and delivers columns [firstColumn, endColumn), or as many of
  // them as the file yields.
  static void PeakRun(PeakSource& source, int64_t total, int columns, int firstColumn,
                      int endColumn, std::vector<int16_t>& block,
                      const std::function<bool()>& cancelled, const Deliver& deliver);

  std::shared_ptr<State> state_;
  Deliver deliver_;
  std::vector<std::thread> workers_;
};
