// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The MP3 route of an export on several encoders at once
// (parallel_mp3_encoder.h), with the same progress, messages and commit as
// the route on one encoder (export_pipeline.h).
#include <cstdint>
#include <optional>

#include "export/export_pipeline.h"

// Exports shorter than this keep one encoder: the lead-in and the joins would
// cost more than a second encoder saves.
inline constexpr int64_t kParallelMinSeconds = 20;
// No encoder gets a shorter segment than this.
inline constexpr int64_t kSegmentMinSeconds = 10;

// How many encoders an MP3 export of `totalFrames` at `sampleRate` uses:
// `jobs` when above 0, else one per core (`cores`), but one for an export
// under kParallelMinSeconds and never so many that a segment gets shorter
// than kSegmentMinSeconds.
int ExportEncoderCount(int64_t totalFrames, int32_t sampleRate, int jobs, unsigned cores);

// Runs the job's MP3 route with `encoders` encoders on worker threads while
// the calling thread shows the progress and pumps the host's messages. True
// when the target holds the finished file; false after a message; nothing
// when the encoders found no clean seam, so that one encoder has to do it.
std::optional<bool> ExportMP3Parallel(const ExportJob& job, ExportHost& host, Dialogs& dialogs,
                                      int encoders);
