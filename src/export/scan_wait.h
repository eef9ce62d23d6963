// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The export of an MP3 whose scan still runs: the export waits for the scan
// inside its own progress display (the bar shows the scan's share, the time
// text "scanning N %"), processing messages between looks, and then works on
// the exact length. UI thread.
#include <optional>

#include "audio/mp3_scan_index.h"
#include "export/export_pipeline.h"

class Dialogs;

// Shown when the scan ends without the exact length (the file cannot be
// decoded to its end, or the scan was stopped).
inline constexpr const char* kScanFailedText =
    "The file could not be scanned to its end, so it cannot be exported.";
// Shown when the marked piece lies wholly beyond the exact end.
inline constexpr const char* kNothingLeftText =
    "The marked piece lies beyond the end of the file, so there is nothing to export.";

// The scan's exact facts, or nullopt when it ended without them.
std::optional<Mp3StreamFacts> WaitForScan(const Mp3ScanIndex& scan, ExportHost& host);

// The job on the exact length: its record's length and bitrate, and marks
// within the file, an end mark at or past the estimated end becoming the
// exact end. False when nothing of the file is left to export.
bool AdoptExactLength(ExportJob& job, const Mp3StreamFacts& facts);

// Both, for the export dialog's Go: false after an error box (caption
// "Error") when the export cannot go ahead.
bool WaitForExactLength(ExportJob& job, const Mp3ScanIndex& scan, ExportHost& host,
                        Dialogs& dialogs);
