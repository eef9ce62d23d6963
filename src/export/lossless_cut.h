#pragma once
// CutLosslessly: writes a piece of an MP3 file without decoding it, so that a
// gapless decoder gives back exactly the piece's samples.
//
// The output is, in order: the source's ID3v2 tags as they are; a new
// Xing/Info frame with a LAME tag (frame and byte counts, seek table, encoder
// delay and padding, music and tag CRCs); when needed, lead frames (see
// lossless_plan.h); the source's frames byte for byte from the first warm-up
// frame to the frame that puts out the last wanted sample; the source's
// ID3v1 tag, if any.
//
// A lead frame has the source's version, rate and mode, side information of
// zeros (main_data_begin 0, every granule 0 bits long, so it decodes to
// silence and leaves the decoder's state at rest) and the smallest bitrate
// whose main-data area holds what it carries. The last one carries the bytes
// the first copied frame takes from the frames before it (its
// main_data_begin) at the end of its area, so the copied frame finds its bit
// reservoir exactly as in the source.
//
// The file is read once from its start to the last copied frame through a
// small buffer; the output goes to the caller's OutputFile, the Info frame
// written last into the place kept for it. Memory does not grow with the
// file.
#include <cstdint>
#include <functional>
#include <string>

#include "export/lossless_plan.h"

class OutputFile;

enum class LosslessCutError {
  None,
  CannotRead,  // the source cannot be opened or read
  NotLayer3,   // no MPEG layer III audio found
  FreeFormat,  // free-format stream: frame sizes are not in the headers
  Damaged,     // the frame sequence breaks before the piece ends
  Empty,       // the piece holds no sample of the source
  CannotWrite,
};

struct LosslessCutResult {
  LosslessCutError error = LosslessCutError::None;
  LosslessPlan plan;
  int leadFrames = 0;
  uint64_t copiedSourceOffset = 0;  // where the copied frames start in the source
  uint64_t copiedOutputOffset = 0;  // and in the output
  uint64_t copiedBytes = 0;
};

// Called now and then with the frames walked so far and the frames to walk.
using LosslessProgress = std::function<void(uint64_t doneFrames, uint64_t totalFrames)>;

LosslessCutResult CutLosslessly(const std::string& sourcePath, int64_t beginSample,
                                int64_t sampleCount, OutputFile& output,
                                const LosslessProgress& progress);
