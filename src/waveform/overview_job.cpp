// SPDX-License-Identifier: GPL-3.0-or-later
#include "waveform/overview_job.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "audio/peak_source.h"
#include "base/rounding.h"

namespace {

// Frames per read: 256 KiB of 16-bit stereo, big enough that a WAV read is one
// large copy, small enough that a cancel is seen within a few milliseconds
// (an MP3 block at a quarter of its rate is six seconds of sound).
constexpr int64_t kBlockFrames = 65536;
// A batch goes out after this long, so the picture grows visibly and the
// user-interface thread gets a handful of updates a second, not thousands.
constexpr auto kDeliverEvery = std::chrono::milliseconds(40);
// Runs of columns per worker. The workers take runs from a common counter,
// so one that the machine serves more slowly than the others holds up the
// end of the job by one short run, not by its whole share.
constexpr int kRunsPerWorker = 4;

}  // namespace

OverviewJob::OverviewJob(std::string path, AudioFileInfo info, int columns, int threads,
                         Deliver deliver)
    : state_(std::make_shared<State>()), deliver_(std::move(deliver)) {
  threads = std::clamp(threads, 1, std::max(columns, 1));
  state_->runs = std::min(columns, threads * kRunsPerWorker);
  state_->runningWorkers.store(threads, std::memory_order_release);
  for (int t = 0; t < threads; ++t) {
    // Each worker gets its own copies; the job's deliver_ outlives them
    // because the destructor joins.
    workers_.emplace_back(&OverviewJob::Run, state_, path, info, columns, std::cref(deliver_));
  }
}

OverviewJob::~OverviewJob() {
  Cancel();
  Wait();
}

void OverviewJob::Wait() {
  for (std::thread& worker : workers_) {
    if (worker.joinable()) worker.join();
  }
}

int OverviewJob::DefaultThreads() {
  return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 2, 4);
}

void OverviewJob::Run(std::shared_ptr<State> state, const std::string& path, AudioFileInfo info,
                      int columns, const Deliver& deliver) {
  struct Done {
    State& state;
    ~Done() { state.runningWorkers.fetch_sub(1, std::memory_order_acq_rel); }
  } done{*state};
  const auto cancelled = [&] { return state->cancelled.load(std::memory_order_relaxed); };

  std::unique_ptr<PeakSource> source = OpenPeakSource(path, info);
  if (!source || cancelled() || source->SampleRate() <= 0) return;
  // The columns divide the file's length as the probe found it (at this
  // reader's rate), not what this reader finds: a file cut short since it was
  // opened then fills only its left part, and marks still land where the
  // sample timeline puts them.
  const int64_t total =
      info.SampleRate > 0 ? info.LengthFrames.Frame() * source->SampleRate() / info.SampleRate : 0;
  if (total <= 0) return;
  const int channels = source->Channels();
  std::vector<int16_t> block(static_cast<size_t>(kBlockFrames) * channels);
  // A run that a damaged file cuts short does not stop the worker: a later
  // run may lie in a readable stretch again.
  for (int run = state->nextRun++; run < state->runs && !cancelled(); run = state->nextRun++) {
    PeakRun(*source, total, columns, columns * run / state->runs, columns * (run + 1) / state->runs,
            block, cancelled, deliver);
  }
}

void OverviewJob::PeakRun(PeakSource& source, int64_t total, int columns, int firstColumn,
                          int endColumn, std::vector<int16_t>& block,
                          const std::function<bool()>& cancelled, const Deliver& deliver) {
  const int channels = source.Channels();
  std::vector<ColumnPeak> batch;
  int batchFirst = firstColumn;
  auto lastDeliver = std::chrono::steady_clock::now();
  const auto flush = [&] {
    if (batch.empty() || cancelled()) return;
    const int count = static_cast<int>(batch.size());
    if (deliver) deliver(batchFirst, std::exchange(batch, {}));
    batch.clear();
    batchFirst += count;
    lastDeliver = std::chrono::steady_clock::now();
  };

  int column = firstColumn;
  ColumnPeak peak;
  int64_t frame = ColumnFirstFrame(firstColumn, columns, total);
  const int64_t endFrame = ColumnFirstFrame(endColumn, columns, total);
  if (!source.Seek(frame)) return;
  while (frame < endFrame && column < endColumn && !cancelled()) {
    const int64_t got = source.Read(block.data(), std::min(kBlockFrames, endFrame - frame));
    if (got <= 0) break;
    // Split the block at column boundaries; a column may span many blocks.
    int64_t at = 0;
    while (at < got && column < endColumn) {
      const int64_t boundary = ColumnFirstFrame(column + 1, columns, total);
      const int64_t take = std::min(got - at, boundary - (frame + at));
      WidenPeak(peak, block.data() + at * channels, static_cast<size_t>(take * channels));
      at += take;
      if (frame + at >= boundary) {
        batch.push_back(peak);
        peak = {};
        ++column;
      }
    }
    frame += got;
    if (std::chrono::steady_clock::now() - lastDeliver >= kDeliverEvery) flush();
  }
  // A run cut short (end of what a damaged file yields) still shows the
  // column it was in.
  if (peak.filled && column < endColumn) batch.push_back(peak);
  flush();
}
