// The bitrates offered for a WAV source are only what the encoder writes. That
// they are written, Info tag included: export_roundtrip_test.
#include <gtest/gtest.h>

#include "audio/mp3io.h"
#include "export/export_options.h"
#include "export/export_pieces.h"
#include "support/export_fakes.h"
#include "support/pcm_compare.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace {

struct ItemsCase {
  int rate, channels;
  const char* items;  // offered for a WAV source, the one selected first last
};

class OfferedBitrates : public ::testing::TestWithParam<ItemsCase> {};

TEST_P(OfferedBitrates, AreOnlyWhatTheEncoderWrites) {
  const AudioFileInfo info{AudioFileInfo::kTypeWav, GetParam().rate, GetParam().channels, 0, 1};
  std::string items;
  for (const std::string& item : BitrateItems(info)) items += item + " ";
  const int initial = InitialBitrateIndex(info);
  items += initial < 0 ? "-" : BitrateItems(info)[static_cast<size_t>(initial)];
  EXPECT_EQ(items, GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(Rates, OfferedBitrates,
                         ::testing::Values(ItemsCase{8000, 1, "32 40 56 64 64"},
                                           ItemsCase{12000, 2, "32 40 56 64 64"},
                                           ItemsCase{22050, 1, "32 40 56 64 80 96 112 128 160 128"},
                                           ItemsCase{96000, 2, "-"}, ItemsCase{44000, 1, "-"}));

}  // namespace
