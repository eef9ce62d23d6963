// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Mp3ScanIndex: what the scan of one MP3 file has learned so far, shared by
// the worker that scans (the only writer) and the readers of the same file
// (playback, export), which seek by it while the scan goes on.
//
// The scan runs in two passes. The header pass reads every frame header: it
// gives the library's frame index and tells whether the library's own sample
// arithmetic can be trusted (one stream, no damage, an Info tag that agrees
// with the frames). If it can, every position is known when that pass ends.
// Otherwise the decode pass decodes the whole file once, and positions are
// known up to the samples decoded so far; on the way it leaves checkpoints
// (the library's frame number there and the samples that follow), from which
// a seek restarts the decoder instead of decoding from the first sample.
//
// Thread-safe: every member takes the lock, held only to copy small values.
#include <sys/types.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

// The file's format and exact length, as a full scan measured them.
struct Mp3StreamFacts {
  int32_t sampleRate = 0;    // Hz
  int32_t channels = 0;      // 1 or 2
  int32_t bitrateKbps = 0;   // frame bitrate, or the average for VBR/ABR
  int64_t lengthFrames = 0;  // sample frames of real audio
  int32_t lengthMs = 0;      // lengthFrames in milliseconds, rounded half to even
  bool exact = false;        // false: an estimate from the headers at the start
};

// A place in the full decode of a file whose positions are not trusted.
struct Mp3Checkpoint {
  int64_t frame = 0;                // sample frames decoded before it
  off_t mpegFrame = 0;              // the library's frame number there
  std::vector<uint8_t> firstBytes;  // the samples that follow it: kCheckpointBytes
  bool operator==(const Mp3Checkpoint&) const = default;
};
// A checkpoint is left after every this many MPEG frames, marked by this
// many bytes of the samples after it (64 stereo frames).
constexpr off_t kCheckpointEveryMpegFrames = 64;
constexpr size_t kCheckpointBytes = 256;

class Mp3ScanIndex {
 public:
  // --- Written by the scanning thread.
  void SetFrameIndex(std::vector<off_t> offsets, off_t step, bool trusted);
  void AddCheckpoint(Mp3Checkpoint point);
  void SetDecodedFrames(int64_t frames);
  void Finish(const Mp3StreamFacts& facts);
  void SetProgress(double fraction);
  // The scan stopped or failed: it will never finish.
  void SetEnded();

  // --- Read by any thread.
  bool Trusted() const;
  void FrameIndex(std::vector<off_t>& offsets, off_t& step) const;
  // Sample frames from the start whose positions are known exactly: none
  // before the header pass, all of them for a trusted file or a finished
  // scan, else those decoded so far.
  int64_t KnownFrames() const;
  std::optional<Mp3StreamFacts> FinishedFacts() const;
  double Progress() const;  // share of the scan done, 0 to 1
  bool Ended() const;       // finished, stopped or failed
  // The last checkpoint at or before `frame`.
  std::optional<Mp3Checkpoint> CheckpointAtOrBefore(int64_t frame) const;

 private:
  mutable std::mutex mutex_;
  std::vector<off_t> offsets_;
  off_t step_ = 0;
  bool hasIndex_ = false;
  bool trusted_ = false;
  int64_t decodedFrames_ = 0;
  std::vector<Mp3Checkpoint> checkpoints_;
  std::optional<Mp3StreamFacts> facts_;
  double progress_ = 0.0;
  bool ended_ = false;
};
