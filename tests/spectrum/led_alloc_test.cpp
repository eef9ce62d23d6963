// Proof that feeding and analysing allocate no memory: this executable counts
// every operator new, and playback-sized feeds across many blocks must not
// add a single one.
#include <gtest/gtest.h>

#include <vector>

#include "spectrum/led.h"
#include "support/allocation_counter.h"
#include "support/spectrum_blocks.h"

namespace {

TEST(SpectrumAllocations, FeedingAndAnalysingAllocateNothing) {
  RecordingLedDisplay display;
  SetLedDisplay(&display);
  SettleSpectrum();
  const std::vector<uint8_t> tone = ToneBlock(300, 20000);
  const int picturesBefore = display.pictures();

  const uint64_t before = ProcessAllocations();
  for (int i = 0; i < 50; ++i) {
    SpectrumFeed(tone.data(), kSpectrumBlockBytes);
    SpectrumFeed(tone.data(), 3000);
    SpectrumFeed(tone.data() + 3000, 5192);
  }
  const uint64_t after = ProcessAllocations();
  SetLedDisplay(nullptr);

  EXPECT_EQ(display.pictures() - picturesBefore, 100);
  EXPECT_EQ(after - before, 0);
}

TEST(SpectrumAllocations, TheCounterSeesAllocations) {
  const uint64_t before = ProcessAllocations();
  // The volatile pointer keeps the compiler from eliding the allocation.
  std::vector<int>* volatile value = new std::vector<int>(10);
  const uint64_t after = ProcessAllocations();
  delete value;
  EXPECT_GE(after - before, 1);
}

}  // namespace
