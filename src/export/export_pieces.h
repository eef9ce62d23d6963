// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pieces of an export: which stretches of the source go into the output,
// in order, and how many sample frames each holds.
//
// Every piece lies on the source's sample timeline. A marked export is the one
// piece [begin, end); an unmarked export is [0, begin) followed by
// [end, end of file). So the piece and the rest together are the whole file,
// every frame exactly once, and a piece that ends at the file's end holds its
// last frame. Marks are kept within the file, and a stretch that would be
// negative (end before begin) holds no frame.
#include <cstdint>
#include <vector>

#include "audio/audio_file_info.h"
#include "base/sample_index.h"

struct ExportPiece {
  SampleIndex start;
  uint64_t frames = 0;
  uint64_t pendingFrames = 0;  // frames of the pieces that follow this one

  bool operator==(const ExportPiece&) const = default;
};

std::vector<ExportPiece> PlanExportPieces(const AudioFileInfo& info, SampleIndex begin,
                                          SampleIndex end, bool exportUnmarked);

// The frames of all pieces together.
uint64_t TotalFrames(const std::vector<ExportPiece>& pieces);
