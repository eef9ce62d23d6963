// SPDX-License-Identifier: GPL-3.0-or-later
// The bundled demo clip: 30 s of stereo at 44.1 kHz, peaking near -2 dBFS without clipping,
// faded in from and out to silence, with sound in every second between the fades.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/entry/demo_clip_synth.h"

TEST(DemoClip, IsThirtySecondsOfStereoAtAFairLevelBetweenFades) {
  const std::vector<int16_t> clip = SynthesiseDemoClip();
  constexpr size_t kSecond = kDemoSampleRate * kDemoChannels, kTenMs = kSecond / 100;
  ASSERT_EQ(clip.size(), 30 * kSecond);
  int peak = 0, edgePeak = 0;
  size_t differing = 0;
  std::vector<double> energy(30);
  for (size_t i = 0; i < clip.size(); ++i) {
    peak = std::max(peak, std::abs(int{clip[i]}));
    if (i < kTenMs || i >= clip.size() - kTenMs) edgePeak = std::max(edgePeak, std::abs(int{clip[i]}));
    differing += i % 2 == 0 && clip[i] != clip[i + 1];  // panned and in a room
    energy[i / kSecond] += std::pow(clip[i], 2.0);
  }
  EXPECT_TRUE(peak <= 26214 && peak >= 24000) << peak;  // 0.8 of full scale, before the fades
  EXPECT_LE(edgePeak, 600);  // the first and last 10 ms: the ends of the fades
  EXPECT_EQ(clip.front(), 0);
  EXPECT_GT(differing, clip.size() / 4);
  for (size_t second = 1; second < 27; ++second) {
    EXPECT_GT(std::sqrt(energy[second] / kSecond), 1000) << second;
  }
}
