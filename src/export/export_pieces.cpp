// SPDX-License-Identifier: GPL-3.0-or-later
// Frame counts and piece order of an export; see export_pieces.h.
#include "export/export_pieces.h"

#include <algorithm>

namespace {

// The frames of [from, to), none when to lies at or before from.
uint64_t FramesBetween(SampleIndex from, SampleIndex to) {
  return to > from ? static_cast<uint64_t>(to - from) : 0;
}

}  // namespace

std::vector<ExportPiece> PlanExportPieces(const AudioFileInfo& info, SampleIndex begin,
                                          SampleIndex end, bool exportUnmarked) {
  const SampleIndex fileEnd = std::max(info.LengthFrames, SampleIndex(0));
  begin = std::clamp(begin, SampleIndex(0), fileEnd);
  end = std::clamp(end, SampleIndex(0), fileEnd);
  if (!exportUnmarked) return {{begin, FramesBetween(begin, end), 0}};
  const uint64_t framesAfter = FramesBetween(end, fileEnd);
  return {{SampleIndex(0), FramesBetween(SampleIndex(0), begin), framesAfter},
          {end, framesAfter, 0}};
}

uint64_t TotalFrames(const std::vector<ExportPiece>& pieces) {
  uint64_t total = 0;
  for (const ExportPiece& piece : pieces) total += piece.frames;
  return total;
}
