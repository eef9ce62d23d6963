// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// EncodeParallelMp3: one constant-bitrate MP3 stream made by several LAME
// encoders at once, one segment of the export's samples each, joined so that
// it decodes as if one encoder had made it.
//
// The segments meet at frame edges of the output's frame grid. Every encoder
// but the first starts kLeadFrames frames before its segment, so that its
// analysis and bit reservoir have settled when the segment starts, and every
// encoder but the last runs on past its segment's end until it meets a frame j
// where the join with the next one is clean (seam_joiner.h); the first
// kMaxSeamSearchFrames frames of the next encoder are searched, so the
// overlap grows until one qualifies. As all encoders see the same samples on
// the same grid, frame j of each stream codes the same samples.
//
// Each encoder reads through its own reader and writes its frames to an
// unnamed temporary file; the caller's output then receives the Info tag
// frame (frame count, byte count, encoder delay, the last encoder's padding,
// the music CRC) and the frames of every stream between its seams, so memory
// does not grow with the export's length.
#include <atomic>
#include <cstdint>
#include <vector>

#include "export/export_pcm_reader.h"

class OutputFile;

inline constexpr int kLeadFrames = 32;
inline constexpr int kMaxSeamSearchFrames = 2048;

// How the joins are made. Everything but Clean is a fault made on purpose, to
// show that a seam check finds it.
enum class SeamJoin {
  Clean,
  // A seam in the second encoder's lead-in, where it has just started from
  // silence (block types that differ from the first stream's), as soon as
  // the reservoir fits.
  Unsettled,
  // That seam, and the first stream's bytes stay where frame j expects its
  // reservoir.
  UnsettledReservoirNotMoved,
};

struct ParallelMp3Job {
  int32_t sampleRate = 0;
  int32_t channels = 0;
  uint32_t bitrateKbps = 0;
  int64_t totalFrames = 0;  // sample frames of the export
  int encoders = 2;
  SeamJoin join = SeamJoin::Clean;
  // Set from another thread to stop every encoder soon: the result is then
  // Cancelled.
  const std::atomic<bool>* cancel = nullptr;
};

enum class ParallelMp3Result {
  Done,
  EncoderStartFailed,
  SourceFailed,
  WriteFailed,
  NoCleanSeam,
  Cancelled
};

// Encodes the export into `file` (created, left open) with job.encoders
// encoders on their own threads; blocks until all are done. doneFrames counts
// the export's frames encoded so far, for a progress display on another
// thread. seamFrames, when given, receives the frame j of every seam (audio
// frames after the tag frame, from 0).
ParallelMp3Result EncodeParallelMp3(const ParallelMp3Job& job, const ExportPcmOpener& open,
                                    OutputFile& file, std::atomic<int64_t>& doneFrames,
                                    std::vector<int64_t>* seamFrames = nullptr);
