// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Comparing decoded PCM with the PCM that was encoded: where the decoded piece lines up best
// (cross-correlation over a range of lags) and how close it is there.
#include <cstdint>
#include <vector>

// The lag (in frames, within +-maxLagFrames) at which `decoded` correlates best with `original`
// taken from frame `expectedStartFrame` + lag. Compares the first `windowFrames` frames of
// `decoded`, all channels. A perfectly placed decode gives 0.
int BestLagFrames(const std::vector<int16_t>& decoded, const std::vector<int16_t>& original,
                  int channels, int64_t expectedStartFrame, int windowFrames, int maxLagFrames);
// Signal-to-noise ratio in dB of `decoded` against `original` from frame
// `startFrame`, over the first `windowFrames` frames.
double SnrDb(const std::vector<int16_t>& decoded, const std::vector<int16_t>& original,
             int channels, int64_t startFrame, int windowFrames);
