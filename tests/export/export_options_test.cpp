// The export dialog's rules as plain logic: bitrate list, fade boxes,
// extension and message texts.
#include "export/export_options.h"

#include <gtest/gtest.h>

#include "base/application_error.h"

namespace {

AudioFileInfo Source(int type, int rate, int bitrate = 192) {
  AudioFileInfo info;
  info.FileType = type;
  info.SampleRate = rate;
  info.Channels = 2;
  info.Bitrate = bitrate;
  return info;
}

TEST(BitrateOfItem, AsOriginIsTheSourceBitrate) {
  const AudioFileInfo mp3 = Source(AudioFileInfo::kTypeMp3, 44100, 192);
  EXPECT_EQ(BitrateOfItem(mp3, 0, "As Origin"), 192u);
  EXPECT_EQ(BitrateOfItem(mp3, 8, "128"), 128u);
  EXPECT_EQ(BitrateOfItem(Source(AudioFileInfo::kTypeWav, 44100), 0, "32"), 32u);
}

struct FadeCase {
  std::string name;
  std::string text;
  bool digitsOnly;
  std::optional<int32_t> seconds;
};

class FadeBox : public ::testing::TestWithParam<FadeCase> {};

TEST_P(FadeBox, ChecksAndConverts) {
  EXPECT_EQ(FadeTextIsDigitsOnly(GetParam().text), GetParam().digitsOnly);
  EXPECT_EQ(FadeSecondsOf(GetParam().text), GetParam().seconds);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FadeBox,
    ::testing::Values(FadeCase{"LeadingZeros", "007", true, 7}, FadeCase{"Zero", "0", true, 0},
                      FadeCase{"Negative", "-1", false, {}}, FadeCase{"Fraction", "1.5", false, {}},
                      FadeCase{"LeadingBlank", " 1", false, {}}, FadeCase{"Empty", "", true, {}},
                      FadeCase{"Int32Max", "2147483647", true, 2147483647},
                      FadeCase{"AboveInt32", "2147483648", true, {}},
                      FadeCase{"FarAboveInt64", "99999999999999999999", true, {}}),
    [](const auto& info) { return info.param.name; });

TEST(WithDefaultExtension, AppendsOnlyWhenTheNameHasNone) {
  EXPECT_EQ(WithDefaultExtension("/music/piece", true), "/music/piece.mp3");
  EXPECT_EQ(WithDefaultExtension("/music/piece", false), "/music/piece.wav");
  EXPECT_EQ(WithDefaultExtension("/music/piece.wav", true), "/music/piece.wav");
  EXPECT_EQ(WithDefaultExtension("/music.d/piece", true), "/music.d/piece.mp3");
  EXPECT_EQ(WithDefaultExtension("piece.", false), "piece.");
}

TEST(ExportMessages, TextsAndTheApplicationBoxFullStop) {
  EXPECT_EQ(NotValidIntegerText(""), "'' is not a valid integer value");
  EXPECT_EQ(ApplicationErrorText(NotValidIntegerText("")), "'' is not a valid integer value.");
  EXPECT_EQ(ApplicationErrorText(CannotCreateFileText("/a/b.mp3")), "Cannot create file /a/b.mp3.");
  EXPECT_EQ(ApplicationErrorText("Ends with a bracket)"), "Ends with a bracket)");
  EXPECT_EQ(ApplicationErrorText("Done."), "Done.");
}

}  // namespace
