// The lossless plan for every begin offset over many frames, in each stream
// format: the new delay and padding fit the LAME tag's 12 bits, the lead and
// warm-up frames fit the four frames libmpg123 decodes before its first
// output, the warm-up frames are there, and a deep bit reservoir gets its
// carrier frame.
#include <gtest/gtest.h>

#include "export/lossless_plan.h"

TEST(LosslessPlan, DelayPaddingAndWarmUpFitEveryBegin) {
  struct Format {
    int samplesPerFrame;
    int phaseFrames;
    int64_t skipSamples;
  } formats[] = {{1152, 1, 1105}, {1152, 2, 1105}, {1152, 2, 0}, {576, 2, 1105}, {576, 4, 0}};
  for (const Format& format : formats) {
    const int warmUp = format.samplesPerFrame == 1152 ? 1 : 2;
    for (int64_t begin = 0; begin < 30 * format.samplesPerFrame; begin += 5) {
      SCOPED_TRACE(testing::Message() << format.samplesPerFrame << "/" << format.phaseFrames
                                      << "/" << format.skipSamples << " begin " << begin);
      LosslessPlan plan;
      ASSERT_TRUE(PlanLosslessCut({format.skipSamples, INT64_MAX}, format.samplesPerFrame,
                                  format.phaseFrames, begin, 3000, plan));
      EXPECT_EQ(plan.beginFrame * format.samplesPerFrame + plan.beginOffset,
                begin + format.skipSamples);
      EXPECT_TRUE(plan.firstFrame == 0 || plan.beginFrame - plan.firstFrame >= warmUp);
      for (int mainDataBegin : {0, 300}) {
        const int lead = plan.LeadFrames(mainDataBegin);
        EXPECT_LE(lead + plan.beginFrame - plan.firstFrame, 4);
        EXPECT_TRUE(plan.firstFrame == 0 || mainDataBegin == 0 || lead >= 1);
        EXPECT_GE(plan.EncoderDelay(lead), 0);
        EXPECT_LE(plan.EncoderDelay(lead), 4095);
        EXPECT_GE(plan.EncoderPadding(lead), 529);
        EXPECT_LE(plan.EncoderPadding(lead), 529 + format.samplesPerFrame - 1);
      }
    }
  }
}
