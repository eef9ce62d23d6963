// SPDX-License-Identifier: GPL-3.0-or-later
// The export dialog's rules as plain logic: bitrate list (only what the encoder
// writes: export_roundtrip_test), fade boxes and the added extension.
#include "export/export_options.h"

#include <gtest/gtest.h>

#include "support/test_files.h"

namespace {

using Items = std::vector<std::string>;

TEST(ExportOptions, BitrateListFollowsTheSourceFadesFitAnInt32AndAnExtensionIsAddedIfNone) {
  const AudioFileInfo mp3 = MakeInfo(AudioFileInfo::kTypeMp3, 44100, 2, 0, 192);
  EXPECT_EQ(BitrateItems(mp3), (Items{"As Origin", "32", "40", "56", "64", "80", "96", "112",
                                      "128", "160", "192", "224", "256", "320"}));
  EXPECT_TRUE(InitialBitrateIndex(mp3) == 0 && BitrateOfItem(mp3, 0, "As Origin") == 192u);
  EXPECT_EQ(BitrateItems(MakeInfo(AudioFileInfo::kTypeMp3, 48000, 2)),
            (Items{"As Origin", "32", "40", "56", "64", "80", "96", "112", "128", "160"}));
  EXPECT_EQ(BitrateOfItem(MakeInfo(AudioFileInfo::kTypeWav, 44100, 2), 0, "32"), 32u);
  // {rate, channels, offered for a WAV source with the one selected first last}
  for (auto [rate, channels, expected] :
       {std::tuple{8000, 1, "32 40 56 64 64"},
        {44100, 2, "32 40 56 64 80 96 112 128 160 192 224 256 320 128"},
        {22050, 1, "32 40 56 64 80 96 112 128 160 128"},
        {96000, 2, "-"}, {44000, 1, "-"}}) {
    const AudioFileInfo info = MakeInfo(AudioFileInfo::kTypeWav, rate, channels);
    std::string offered;
    for (const std::string& item : BitrateItems(info)) offered += item + " ";
    const int initial = InitialBitrateIndex(info);
    offered += initial < 0 ? "-" : BitrateItems(info)[static_cast<size_t>(initial)];
    EXPECT_EQ(offered, expected) << rate;
  }
  EXPECT_TRUE(FadeSecondsOf("2147483647") == 2147483647 && !FadeSecondsOf("2147483648"));
  EXPECT_FALSE(FadeTextIsDigitsOnly(" 1") || FadeTextIsDigitsOnly("-1"));
  EXPECT_EQ(WithDefaultExtension("/music.d/piece", true), "/music.d/piece.mp3");
  EXPECT_EQ(WithDefaultExtension("piece.", false), "piece.");
}

}  // namespace
