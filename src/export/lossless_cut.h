// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CutLosslessly: writes a piece of an MP3 file without decoding it, so that a
// gapless decoder gives back exactly the piece's samples.
//
// The output is, in order: the source's ID3v2 tags (lossless_tags.h); a new
// Xing/Info frame with a LAME tag (frame and byte counts, seek table, encoder
// delay and padding, music and tag CRCs); when needed, lead frames (see
// lossless_plan.h); the source's frames byte for byte from the first warm-up
// frame to the frame that puts out the last wanted sample (an Info frame
// among them made a frame of silence); the tags that followed the source's
// last frame (APEv2, Lyrics3, ID3v1).
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
#include <memory>
#include <string>

#include "export/lossless_plan.h"

class OutputFile;

enum class LosslessCutError {
  None,
  CannotRead,    // the source cannot be opened or read
  NotLayer3,     // no MPEG layer III audio found
  FreeFormat,    // free-format stream: frame sizes are not in the headers
  Damaged,       // the frame sequence breaks before the piece ends
  Empty,         // the piece holds no sample of the source
  AcrossJoin,    // the piece runs past the end of a joined file's first part to a frame's middle
  FormatChange,  // the piece's frames change version, rate or channel mode
  CannotWrite,
};

struct LosslessCutResult {
  LosslessCutError error = LosslessCutError::None;
  LosslessPlan plan;
  int leadFrames = 0;
  uint64_t copiedSourceOffset = 0;  // where the copied frames start in the source
  uint64_t copiedOutputOffset = 0;  // and in the output
  uint64_t copiedBytes = 0;
  int64_t atSample = 0;  // FormatChange, AcrossJoin: where, on the source's timeline
};

// Called now and then with the frames walked so far and the frames to walk.
using LosslessProgress = std::function<void(uint64_t doneFrames, uint64_t totalFrames)>;

// A walk of the whole file first finds its frames as the decoder counts
// them (passing tags and damage; see mp3_frame_reader.h), so that the marks
// map to frames on the decoder's timeline of the whole file (lame_tag.h:
// joined files too), and refuses before writing a piece whose frames cannot
// be one exact stream: damage among them, a change of format at or before
// them (the decoder puts later parts out in the first part's format), or a
// piece that runs past the end of a joined file's first part but not to the
// end of the stream. The output's Info frame states the part it ends, then.
//
// `census`, when given, is that walk taken before (TakeLosslessCensus), so
// that many cuts of one file walk it once. With it a cut that starts far
// into the file also reads only from a little before its piece.
struct LosslessCensus;
LosslessCutResult CutLosslessly(const std::string& sourcePath, int64_t beginSample,
                                int64_t sampleCount, OutputFile& output,
                                const LosslessProgress& progress,
                                const LosslessCensus* census = nullptr);

// The walk of the whole file at `sourcePath` that every cut begins with; a
// file that cannot be walked gives a census that makes every cut fail as it
// would have.
std::shared_ptr<const LosslessCensus> TakeLosslessCensus(const std::string& sourcePath);

// The samples a gapless decoder gets from the MP3 file at `path` by its tag
// and frames, as for a source; -1 when it has no frame count or its frames
// are damaged or change format. Checks a written cut against its plan.
int64_t LosslessCutSamples(const std::string& path);
