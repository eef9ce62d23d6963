// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The quietest point near a mark, so that a cut falls into the pause between
// two words or two notes. The level of a 10 ms window is the mean square of
// its samples over all channels; the windows are laid edge to edge around the
// mark, the one centred on it first, and reach at most 200 ms to either side.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "audio/audio_file_info.h"
#include "audio/mp3_scan_index.h"

inline constexpr int32_t kQuietReachMs = 200;
inline constexpr int32_t kQuietWindowMs = 10;

// Picks the window: `samples` are interleaved frames of `channels` channels,
// `markFrame` the mark's frame among them. The centre frame of the quietest
// window of `windowFrames` frames (windows cut short by the ends of `samples`
// count by their mean), the nearer one of equals; nullopt when none is
// strictly quieter than the window at the mark.
std::optional<int64_t> QuietestWindowCentre(std::span<const int16_t> samples, int channels,
                                            int64_t windowFrames, int64_t markFrame);

// Decodes the 400 ms around markMs with a stream of its own (never the one
// playback or a scan reads) and returns where the mark moves: markMs when no
// point is quieter or the file cannot be read there.
int32_t QuietestPointNear(const std::string& fileName, const AudioFileInfo& info,
                          std::shared_ptr<Mp3ScanIndex> scan, int32_t markMs);
