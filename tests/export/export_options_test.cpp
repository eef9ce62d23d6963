// The export dialog's rules as plain logic: bitrate list, fade boxes,
// extension and message texts.
#include "export/export_options.h"

#include <gtest/gtest.h>

#include "base/application_error.h"
#include "support/test_files.h"

namespace {

using Items = std::vector<std::string>;

TEST(ExportOptions, BitrateListFollowsTheSource) {
  const AudioFileInfo mp3 = MakeInfo(AudioFileInfo::kTypeMp3, 44100, 2, 0, 192);
  EXPECT_EQ(BitrateItems(mp3), (Items{"As Origin", "32", "40", "56", "64", "80", "96", "112",
                                      "128", "160", "192", "224", "256", "320"}));
  EXPECT_EQ(InitialBitrateIndex(mp3), 0);
  EXPECT_EQ(BitrateOfItem(mp3, 0, "As Origin"), 192u);
  EXPECT_EQ(BitrateOfItem(mp3, 8, "128"), 128u);
  EXPECT_EQ(BitrateItems(MakeInfo(AudioFileInfo::kTypeMp3, 48000, 2)),
            (Items{"As Origin", "32", "40", "56", "64", "80", "96", "112", "128", "160"}));
  const AudioFileInfo wav = MakeInfo(AudioFileInfo::kTypeWav, 44100, 2, 0, 1411);
  const Items items = BitrateItems(wav);
  EXPECT_EQ(items.front(), "32");
  EXPECT_EQ(items.size(), 13u);
  EXPECT_EQ(items[InitialBitrateIndex(wav)], "128");
  EXPECT_EQ(BitrateOfItem(wav, 0, "32"), 32u);
}

TEST(ExportOptions, FadeBoxesTakeDigitsThatFitAnInt32) {
  const struct {
    const char* text;
    bool digitsOnly;
    std::optional<int32_t> seconds;
  } rows[] = {{"007", true, 7},         {"0", true, 0},        {"-1", false, {}},
              {"1.5", false, {}},       {" 1", false, {}},     {"", true, {}},
              {"2147483647", true, 2147483647}, {"2147483648", true, {}},
              {"99999999999999999999", true, {}}};
  for (const auto& row : rows) {
    EXPECT_EQ(FadeTextIsDigitsOnly(row.text), row.digitsOnly) << row.text;
    EXPECT_EQ(FadeSecondsOf(row.text), row.seconds) << row.text;
  }
}

TEST(ExportOptions, ExtensionIsAddedOnlyWhenTheNameHasNoneAndMessagesEndWithAFullStop) {
  EXPECT_EQ(WithDefaultExtension("/music/piece", true), "/music/piece.mp3");
  EXPECT_EQ(WithDefaultExtension("/music/piece", false), "/music/piece.wav");
  EXPECT_EQ(WithDefaultExtension("/music/piece.wav", true), "/music/piece.wav");
  EXPECT_EQ(WithDefaultExtension("/music.d/piece", true), "/music.d/piece.mp3");
  EXPECT_EQ(WithDefaultExtension("piece.", false), "piece.");
  EXPECT_EQ(NotValidIntegerText(""), "'' is not a valid integer value");
  EXPECT_EQ(ApplicationErrorText(NotValidIntegerText("")), "'' is not a valid integer value.");
  EXPECT_EQ(ApplicationErrorText(CannotCreateFileText("/a/b.mp3")), "Cannot create file /a/b.mp3.");
  EXPECT_EQ(ApplicationErrorText("Ends with a bracket)"), "Ends with a bracket)");
  EXPECT_EQ(ApplicationErrorText("Done."), "Done.");
}

}  // namespace
