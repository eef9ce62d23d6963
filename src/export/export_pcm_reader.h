// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ExportPcmReader: the PCM an MP3 export encodes, as one run of sample frames
// (the pieces back to back, each faded as the export asks), read from any
// frame on. Each encoder of a parallel export owns one and uses it on its own
// thread; the readers over a file open a private reader of it (peak_source.h),
// never the program's single stream.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_file_info.h"
#include "export/fades.h"

class ExportPcmReader {
 public:
  virtual ~ExportPcmReader() = default;
  // Moves so that the next frame read is `frame`; false when it cannot.
  virtual bool Seek(int64_t frame) = 0;
  // Reads up to `maxFrames` interleaved frames; 0 at the end or on a failure.
  virtual int64_t Read(int16_t* out, int64_t maxFrames) = 0;
};

using ExportPcmOpener = std::function<std::unique_ptr<ExportPcmReader>()>;

// One stretch of the source in the run: `frames` frames from source frame
// `sourceFrame`.
struct ExportPcmPiece {
  int64_t sourceFrame = 0;
  int64_t frames = 0;
};

// A reader of the pieces of `path` with their fades; null when the file
// cannot be opened.
std::unique_ptr<ExportPcmReader> OpenExportPcmReader(const std::string& path,
                                                     const AudioFileInfo& info,
                                                     std::vector<ExportPcmPiece> pieces,
                                                     const FadeFrames& fades);
