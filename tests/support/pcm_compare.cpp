// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/pcm_compare.h"

#include <algorithm>
#include <cmath>
#include <limits>

int BestLagFrames(const std::vector<int16_t>& decoded, const std::vector<int16_t>& original,
                  int channels, int64_t expectedStartFrame, int windowFrames, int maxLagFrames) {
  const int64_t originalFrames = static_cast<int64_t>(original.size()) / channels;
  double bestScore = -std::numeric_limits<double>::infinity();
  int bestLag = maxLagFrames + 1;
  for (int lag = -maxLagFrames; lag <= maxLagFrames; ++lag) {
    const int64_t start = expectedStartFrame + lag;
    if (start < 0 || start + windowFrames > originalFrames) continue;
    double product = 0;
    double energy = 0;
    for (int64_t i = 0; i < static_cast<int64_t>(windowFrames) * channels; ++i) {
      const double o = original[static_cast<size_t>(start * channels + i)];
      product += o * decoded[static_cast<size_t>(i)];
      energy += o * o;
    }
    const double score = energy > 0 ? product / std::sqrt(energy) : 0;
    if (score > bestScore) {
      bestScore = score;
      bestLag = lag;
    }
  }
  return bestLag;
}

double SnrDb(const std::vector<int16_t>& decoded, const std::vector<int16_t>& original,
             int channels, int64_t startFrame, int windowFrames) {
  double signal = 0;
  double noise = 0;
  for (int64_t i = 0; i < static_cast<int64_t>(windowFrames) * channels; ++i) {
    const double o = original[static_cast<size_t>(startFrame * channels + i)];
    const double d = decoded[static_cast<size_t>(i)] - o;
    signal += o * o;
    noise += d * d;
  }
  return 10.0 * std::log10(signal / std::max(noise, 1.0));
}
