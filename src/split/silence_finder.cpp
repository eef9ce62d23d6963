// SPDX-License-Identifier: GPL-3.0-or-later
// Silence finding on worker threads; see silence_finder.h.
#include "split/silence_finder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <mutex>

#include "audio/peak_source.h"
#include "base/rounding.h"

namespace {

// Frames per read, as for the waveform overview: a stop is seen within a few
// milliseconds.
constexpr int64_t kBlockFrames = 65536;
// Parts per worker: the workers take parts from a common counter, so a worker
// the machine serves more slowly holds up the end by one short part.
constexpr int kPartsPerWorker = 4;

int64_t SecondsToFrames(double seconds, int32_t rate) {
  return RoundHalfEven(seconds * static_cast<double>(rate));
}

}  // namespace

std::string CheckSilenceSettings(const SilenceSettings& settings) {
  if (!(settings.ThresholdDb < 0.0) || !(settings.ThresholdDb >= -96.0)) {
    return "the threshold must lie between -96 and 0 dBFS";
  }
  if (!(settings.MinSilenceSeconds > 0.0) || !(settings.MinSilenceSeconds <= 3600.0)) {
    return "the minimum silence must be above 0 seconds";
  }
  if (!(settings.CutAt >= 0.0) || !(settings.CutAt <= 1.0)) {
    return "the cut position must lie between 0 and 1";
  }
  if (!(settings.MinPieceSeconds >= 0.0) || !(settings.MinPieceSeconds <= 360000.0)) {
    return "the minimum piece length must not be negative";
  }
  return {};
}

int32_t SilenceLevel(double thresholdDb) {
  return static_cast<int32_t>(RoundHalfEven(32768.0 * std::pow(10.0, thresholdDb / 20.0)));
}

std::vector<SplitPiece> PiecesOfSilences(const AudioFileInfo& info,
                                         const std::vector<Silence>& silences,
                                         const SilenceSettings& settings) {
  const SampleIndex length = info.LengthFrames;
  const int64_t minPiece = SecondsToFrames(settings.MinPieceSeconds, info.SampleRate);
  struct Cut {
    SampleIndex at;
    Silence silence;
  };
  std::vector<Cut> cuts;
  SampleIndex last(0);
  for (const Silence& silence : silences) {
    if (silence.Begin <= SampleIndex(0) || silence.End >= length) continue;
    const SampleIndex at =
        silence.Begin +
        RoundHalfEven(static_cast<double>(silence.End - silence.Begin) * settings.CutAt);
    if (at <= last || at - last < minPiece) continue;
    cuts.push_back(Cut{at, silence});
    last = at;
  }
  // The last piece too must be long enough: its cut goes, it joins the one before.
  if (!cuts.empty() && length - cuts.back().at < minPiece) cuts.pop_back();

  std::vector<SplitPiece> pieces;
  SampleIndex begin(0);
  SampleIndex trimmedBegin(0);
  if (settings.Trim && !silences.empty() && silences.front().Begin <= SampleIndex(0)) {
    trimmedBegin = silences.front().End;
  }
  for (size_t i = 0; i <= cuts.size(); ++i) {
    const SampleIndex end = i < cuts.size() ? cuts[i].at : length;
    SampleIndex trimmedEnd = end;
    if (settings.Trim) {
      if (i < cuts.size()) {
        trimmedEnd = cuts[i].silence.Begin;
      } else if (!silences.empty() && silences.back().End >= length) {
        trimmedEnd = silences.back().Begin;
      }
    }
    const SampleIndex from = settings.Trim ? trimmedBegin : begin;
    if (trimmedEnd > from) pieces.push_back(SplitPiece{from, trimmedEnd, {}, {}});
    begin = end;
    trimmedBegin = i < cuts.size() ? cuts[i].silence.End : end;
  }
  return pieces;
}

QuietRunTracker::QuietRunTracker(int channels, int32_t level, int64_t firstFrame)
    : channels_(channels), level_(level), next_(firstFrame) {}

void QuietRunTracker::Feed(const int16_t* frames, int64_t count) {
  for (int64_t f = 0; f < count; ++f, ++next_) {
    bool quiet = true;
    for (int c = 0; c < channels_; ++c) {
      if (std::abs(static_cast<int32_t>(frames[f * channels_ + c])) >= level_) quiet = false;
    }
    if (quiet && runStart_ < 0) runStart_ = next_;
    if (!quiet && runStart_ >= 0) {
      runs_.push_back(Silence{SampleIndex(runStart_), SampleIndex(next_)});
      runStart_ = -1;
    }
  }
}

std::vector<Silence> QuietRunTracker::Finish() {
  if (runStart_ >= 0) runs_.push_back(Silence{SampleIndex(runStart_), SampleIndex(next_)});
  runStart_ = -1;
  return std::move(runs_);
}

std::vector<Silence> JoinQuietRuns(std::vector<Silence> runs, int64_t minFrames) {
  std::vector<Silence> joined;
  for (const Silence& run : runs) {
    if (!joined.empty() && joined.back().End >= run.Begin) {
      joined.back().End = std::max(joined.back().End, run.End);
    } else {
      joined.push_back(run);
    }
  }
  std::erase_if(joined, [&](const Silence& s) { return s.End - s.Begin < minFrames; });
  return joined;
}

struct SilenceFinder::Shared {
  std::string path;
  AudioFileInfo info;
  SilenceSettings settings;
  Done done;
  int parts = 1;
  std::atomic<int> nextPart{0};
  std::atomic<int> working{0};  // workers still reading; the last one puts the parts together
  std::atomic<bool> failed{false};
  std::mutex mutex;
  std::vector<std::vector<Silence>> partRuns;  // on the full-rate timeline
};

SilenceFinder::SilenceFinder(std::string path, AudioFileInfo info, SilenceSettings settings,
                             int threads, Done done)
    : state_(std::make_shared<State>()), shared_(std::make_shared<Shared>()) {
  threads = std::max(threads, 1);
  shared_->path = std::move(path);
  shared_->info = info;
  shared_->settings = settings;
  shared_->done = std::move(done);
  shared_->parts = threads * kPartsPerWorker;
  shared_->partRuns.resize(static_cast<size_t>(shared_->parts));
  state_->running.store(threads, std::memory_order_release);
  shared_->working.store(threads);
  for (int t = 0; t < threads; ++t) {
    workers_.emplace_back([state = state_, shared = shared_] {
      struct Returned {
        State& state;
        ~Returned() { state.running.fetch_sub(1, std::memory_order_acq_rel); }
      } returned{*state};
      const auto stopped = [&] { return state->stopped.load(std::memory_order_relaxed); };
      const AudioFileInfo& info = shared->info;
      std::unique_ptr<PeakSource> source = OpenPeakSource(shared->path, info);
      if (!source || source->SampleRate() <= 0 || info.SampleRate <= 0) shared->failed = true;
      const int32_t level = SilenceLevel(shared->settings.ThresholdDb);
      const int64_t rate = source ? source->SampleRate() : 1;
      // The parts divide the file's length as the probe found it, at this
      // reader's rate; the runs go back onto the full-rate timeline.
      const int64_t total = info.LengthFrames.Frame() * rate / std::max(info.SampleRate, 1);
      const auto full = [&](SampleIndex at) {
        return SampleIndex(
            std::min(at.Frame() * info.SampleRate / rate, info.LengthFrames.Frame()));
      };
      std::vector<int16_t> block;
      if (source) block.resize(static_cast<size_t>(kBlockFrames * source->Channels()));
      for (int part;
           !shared->failed && !stopped() && (part = shared->nextPart++) < shared->parts;) {
        const int64_t first = total * part / shared->parts;
        const int64_t end = total * (part + 1) / shared->parts;
        QuietRunTracker tracker(source->Channels(), level, first);
        int64_t frame = first;
        if (!source->Seek(first)) frame = -1;
        while (frame >= 0 && frame < end && !stopped()) {
          const int64_t got = source->Read(block.data(), std::min(kBlockFrames, end - frame));
          if (got <= 0) break;
          tracker.Feed(block.data(), got);
          frame += got;
        }
        if (frame < end) {
          shared->failed = true;
          break;
        }
        std::vector<Silence> runs = tracker.Finish();
        for (Silence& run : runs) run = Silence{full(run.Begin), full(run.End)};
        std::lock_guard lock(shared->mutex);
        shared->partRuns[static_cast<size_t>(part)] = std::move(runs);
      }
      // The last worker to finish puts the parts together.
      if (shared->working.fetch_sub(1) != 1 || stopped()) return;
      SilenceResult result;
      if (shared->failed) {
        result.Pieces.Reason = "Cannot read file " + shared->path;
      } else {
        std::vector<Silence> all;
        for (const auto& runs : shared->partRuns) all.insert(all.end(), runs.begin(), runs.end());
        result.Silences = JoinQuietRuns(
            std::move(all), SecondsToFrames(shared->settings.MinSilenceSeconds, info.SampleRate));
        result.Pieces.Pieces = PiecesOfSilences(info, result.Silences, shared->settings);
        if (result.Pieces.Pieces.empty()) {
          result.Pieces.Reason = "the file holds no sound above the threshold";
        }
      }
      if (shared->done) shared->done(std::move(result));
    });
  }
}

SilenceFinder::~SilenceFinder() {
  Stop();
  Wait();
}

void SilenceFinder::Wait() {
  for (std::thread& worker : workers_) {
    if (worker.joinable()) worker.join();
  }
}

int SilenceFinder::DefaultThreads() {
  return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 8);
}
