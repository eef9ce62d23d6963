// Frame counts and piece order of an export; see export_pieces.h.
#include "export/export_pieces.h"

#include "base/rounding.h"

uint64_t FramesOfMs(int64_t ms, int32_t sampleRate) {
  if (ms <= 0 || sampleRate <= 0) return 0;
  return static_cast<uint64_t>(
      MsToFrames(static_cast<double>(static_cast<uint32_t>(ms)), sampleRate));
}

std::vector<ExportPiece> PlanExportPieces(const AudioFileInfo& info, int32_t markBeginMs,
                                          int32_t markEndMs, bool exportUnmarked) {
  const int64_t begin = markBeginMs;
  const int64_t end = markEndMs;
  if (!exportUnmarked) {
    return {{static_cast<uint32_t>(begin < 0 ? 0 : begin), FramesOfMs(end - begin, info.SampleRate),
             0}};
  }
  const uint64_t framesBefore = FramesOfMs(begin, info.SampleRate);
  const uint64_t framesAfter = FramesOfMs(int64_t{info.LengthMs} - end, info.SampleRate);
  return {{0, framesBefore, framesAfter},
          {static_cast<uint32_t>(end < 0 ? 0 : end), framesAfter, 0}};
}

uint64_t TotalFrames(const std::vector<ExportPiece>& pieces) {
  uint64_t total = 0;
  for (const ExportPiece& piece : pieces) total += piece.frames;
  return total;
}
