#pragma once
// The pieces of an export: which stretches of the source go into the output,
// in order, and how many sample frames each holds.
//
// A marked export is one piece from MarkBegin with the frames of
// MarkEnd - MarkBegin. An unmarked export is the piece from 0 with the frames
// before MarkBegin followed by the piece from MarkEnd with the frames from
// MarkEnd to the file's end. Every count is ms / 1000 x SampleRate rounded
// half to even, the milliseconds taken as unsigned; a stretch that would be
// negative (a mark beyond the file's length) counts as 0.
#include <cstdint>
#include <vector>

#include "audio/audio_file_info.h"

struct ExportPiece {
  uint32_t startMs = 0;
  uint64_t frames = 0;
  uint64_t pendingFrames = 0;  // frames of the pieces that follow this one

  bool operator==(const ExportPiece&) const = default;
};

// Frames of `ms` milliseconds at `sampleRate`.
uint64_t FramesOfMs(int64_t ms, int32_t sampleRate);

std::vector<ExportPiece> PlanExportPieces(const AudioFileInfo& info, int32_t markBeginMs,
                                          int32_t markEndMs, bool exportUnmarked);

// The frames of all pieces together.
uint64_t TotalFrames(const std::vector<ExportPiece>& pieces);
