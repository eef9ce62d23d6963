// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SilenceFinder: finds the quiet stretches of a file and the pieces they
// split it into, on worker threads.
//
// The file is split into one part per worker; each worker decodes its part
// through a reader of its own (audio/peak_source.h; an MP3 at the reduced
// rate the waveform overview uses: the level of the sound is all it needs)
// and notes every run of frames whose every channel stays below the
// threshold. Runs that meet at a part's edge are joined, runs shorter than
// the minimum silence dropped, and the pieces cut inside the rest
// (PiecesOfSilences). The result goes to `done` once, on a worker thread:
// the receiver posts it to the user-interface thread.
//
// Stop() only raises a flag the workers test after every block, so it
// returns at once and `done` is not called afterwards; the destructor stops
// and joins the workers.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_file_info.h"
#include "split/split_pieces.h"

struct SilenceSettings {
  double ThresholdDb = -48.0;      // dBFS: quieter than this is silence
  double MinSilenceSeconds = 0.5;  // shorter quiet runs are not silences
  double CutAt = 0.5;              // where in a silence to cut: 0 its start, 1 its end
  double MinPieceSeconds = 0.0;    // a cut that would leave a shorter piece is dropped
  bool Trim = false;               // cut the silence off both ends of every piece
};

// One quiet stretch [Begin, End) on the source's sample timeline.
struct Silence {
  SampleIndex Begin{};
  SampleIndex End{};

  bool operator==(const Silence&) const = default;
};

struct SilenceResult {
  std::vector<Silence> Silences;  // every silence found, in order
  SplitPieces Pieces;             // or why the file cannot be read
};

// The settings checked: "the threshold must lie below 0 dBFS", "the cut
// position must lie between 0 and 1", ...; empty when they are usable.
std::string CheckSilenceSettings(const SilenceSettings& settings);

// The 16-bit level below which a sample counts as silent.
int32_t SilenceLevel(double thresholdDb);

// The pieces that silences make of a file of info.LengthFrames frames: a cut
// at CutAt of every silence that lies inside the file (not one that touches
// its start or end), dropping a cut that would leave a piece shorter than
// MinPieceSeconds; with Trim each piece loses the silence at its ends
// (silences at the file's start and end too), so the pieces no longer cover
// the whole file.
std::vector<SplitPiece> PiecesOfSilences(const AudioFileInfo& info,
                                         const std::vector<Silence>& silences,
                                         const SilenceSettings& settings);

// Notes the quiet runs in a stream of interleaved frames read block by
// block; what a worker runs over its part.
class QuietRunTracker {
 public:
  QuietRunTracker(int channels, int32_t level, int64_t firstFrame);
  void Feed(const int16_t* frames, int64_t count);
  // Ends the stream: a run still open ends at the last frame fed.
  std::vector<Silence> Finish();

 private:
  int channels_;
  int32_t level_;
  int64_t next_;           // the index of the next frame fed
  int64_t runStart_ = -1;  // where the open quiet run began, or -1
  std::vector<Silence> runs_;
};

// Joins runs that touch (from neighbouring parts) and keeps those at least
// minFrames long.
std::vector<Silence> JoinQuietRuns(std::vector<Silence> runs, int64_t minFrames);

class SilenceFinder {
 public:
  using Done = std::function<void(SilenceResult result)>;

  // Starts `threads` (>= 1) workers at once. Settings must have passed
  // CheckSilenceSettings.
  SilenceFinder(std::string path, AudioFileInfo info, SilenceSettings settings, int threads,
                Done done);
  ~SilenceFinder();
  SilenceFinder(const SilenceFinder&) = delete;
  SilenceFinder& operator=(const SilenceFinder&) = delete;

  // Stops the workers as soon as they next look; never waits. `done` is not
  // called by a worker that sees the flag; one already inside `done` goes on,
  // so a receiver that stopped a finder drops what still arrives.
  void Stop() { state_->stopped.store(true, std::memory_order_relaxed); }
  bool Finished() const { return state_->running.load(std::memory_order_acquire) == 0; }
  // Blocks until every worker has returned (command line, benchmarks, tests).
  void Wait();

  // Workers on this machine: one per processor, at least one, at most eight.
  static int DefaultThreads();

 private:
  struct State {
    std::atomic<bool> stopped{false};
    std::atomic<int> running{0};
  };
  struct Shared;
  std::shared_ptr<State> state_;
  std::shared_ptr<Shared> shared_;
  std::vector<std::thread> workers_;
};
