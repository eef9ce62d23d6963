// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ExportLossless: the pipeline's route for a lossless MP3 export (the
// "Lossless" bitrate item, `snipola-cli cut --lossless`): the marked piece
// copied frame by frame by CutLosslessly, with the progress bar, the time
// text and the message pump of the other routes, and the same
// temporary-file-then-rename output.
//
// The piece is the same [BeginSample, EndSample) as for a re-encoding
// export (export_pieces.h). A lossless export copies
// frames as they are, so it has one piece and no fades; a job that asks for
// either, or whose source is no MP3 file, is refused with kLosslessOptionsText
// or kLosslessNeedsMp3Text. A source that cannot be cut shows why (free format,
// not layer III, damaged frames inside the piece, a change of format or a
// join it cannot copy across, nothing inside the marks). After the cut the
// written file is walked again: unless its frames and tag give exactly the
// planned samples, the export fails. Every failure shows one message and
// leaves nothing behind.
#include <cstdint>
#include <string>

#include "export/export_pipeline.h"

inline constexpr const char* kLosslessNeedsMp3Text = "Lossless export needs an MP3 source";
inline constexpr const char* kLosslessOptionsText =
    "Lossless export copies the marked piece as it is: it cannot fade or export the unmarked "
    "part";
inline constexpr const char* kLosslessFreeFormatText =
    "Lossless export is not possible for a free-format MP3; choose a bitrate instead";
inline constexpr const char* kLosslessNotLayer3Text =
    "Lossless export needs MPEG layer III audio; choose a bitrate instead";
inline constexpr const char* kLosslessDamagedText =
    "Lossless export is not possible: the MP3 frames are damaged inside the marked piece; choose "
    "a bitrate instead";
inline constexpr const char* kLosslessEmptyText =
    "Nothing to export: the marked piece lies beyond the end of the audio";
// The join or change lies `atMs` into the file.
std::string LosslessAcrossJoinText(int64_t atMs);
std::string LosslessFormatChangeText(int64_t atMs);
// The written cut does not decode to the samples planned.
std::string LosslessShortText(int64_t plannedSamples, int64_t writtenSamples);

bool ExportLossless(const ExportJob& job, ExportHost& host, Dialogs& dialogs);
