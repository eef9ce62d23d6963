// SPDX-License-Identifier: GPL-3.0-or-later
// The bundled demo clip: 30 s of stereo at 44.1 kHz, peaking near -2 dBFS without clipping,
// faded in from and out to silence, with sound in every second between the fades.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/entry/demo_clip_synth.h"

TEST(DemoClip, IsThirtySecondsOfStereoAtAFairLevelBetweenFades) {
  const std::vector<int16_t> clip = SynthesiseDemoClip();
  ASSERT_EQ(clip.size(), size_t{30} * kDemoSampleRate * kDemoChannels);
  int peak = 0;
  size_t differing = 0;
  for (size_t i = 0; i < clip.size(); i += 2) {
    peak = std::max({peak, std::abs(int{clip[i]}), std::abs(int{clip[i + 1]})});
    differing += clip[i] != clip[i + 1];
  }
  EXPECT_LE(peak, 26214);  // 0.8 of full scale
  EXPECT_GE(peak, 24000);
  EXPECT_GT(differing, clip.size() / 4);  // panned and in a room: the channels differ
  EXPECT_EQ(clip.front(), 0);
  EXPECT_LE(std::abs(int{clip[clip.size() - 2]}), 2);
  // The first 10 ms are a quiet start of the fade-in, the last 10 ms the end of the fade-out.
  for (size_t i = 0; i < 882; ++i) {
    EXPECT_LE(std::abs(int{clip[i]}), 600) << i;
    EXPECT_LE(std::abs(int{clip[clip.size() - 1 - i]}), 600) << i;
  }
  for (size_t second = 1; second < 27; ++second) {
    double energy = 0;
    for (int i = 0; i < kDemoSampleRate * kDemoChannels; ++i) {
      energy += std::pow(clip[second * kDemoSampleRate * kDemoChannels + i], 2.0);
    }
    EXPECT_GT(std::sqrt(energy / (kDemoSampleRate * kDemoChannels)), 1000) << second;
  }
}
