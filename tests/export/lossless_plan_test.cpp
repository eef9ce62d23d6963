// The lossless plan for every begin offset over many frames in each stream
// format: delay and padding fit the LAME tag's 12 bits, lead and warm-up
// frames fit the 4 frames libmpg123 decodes before its first output, the
// warm-up is there, and a reservoir that reaches back gets its carrier.
#include <gtest/gtest.h>

#include "export/lossless_plan.h"

TEST(LosslessPlan, DelayPaddingAndWarmUpFitEveryBegin) {
  for (auto [spf, phase, skip] :
       {std::tuple{1152, 1, 1105}, {1152, 2, 0}, {576, 2, 1105}, {576, 4, 0}}) {
    for (int64_t begin = 0; begin < 30 * spf; begin += 5) {
      SCOPED_TRACE(testing::Message() << spf << "/" << phase << "/" << skip << " at " << begin);
      LosslessPlan plan;
      ASSERT_TRUE(PlanLosslessCut({skip, INT64_MAX}, spf, phase, begin, 3000, plan));
      EXPECT_EQ(plan.beginFrame * spf + plan.beginOffset, begin + skip);
      EXPECT_TRUE(plan.firstFrame == 0 || plan.beginFrame - plan.firstFrame >= 1152 / spf);
      for (int mainDataBegin : {0, 300}) {
        const int lead = plan.LeadFrames(mainDataBegin);
        EXPECT_LE(lead + plan.beginFrame - plan.firstFrame, 4);
        EXPECT_TRUE(plan.firstFrame == 0 || mainDataBegin == 0 || lead >= 1);
        EXPECT_TRUE(plan.EncoderDelay(lead) >= 0 && plan.EncoderDelay(lead) <= 4095);
        EXPECT_TRUE(plan.EncoderPadding(lead) >= 529 && plan.EncoderPadding(lead) < 529 + spf);
      }
    }
  }
}
