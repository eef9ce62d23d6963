// The decoder functions over libmpg123, on MP3s encoded from known PCM.
#include "audio/mp3_decoder.h"

#include <gtest/gtest.h>

#include <fstream>

#include "base/rounding.h"
#include "support/mp3_maker.h"
#include "support/pcm_compare.h"
#include "support/test_files.h"

namespace {

struct Decoded {
  std::vector<int16_t> samples;
  std::vector<uint32_t> blockBytes;
};

// Decodes from the open stream to its end.
Decoded DecodeToEnd() {
  Decoded out;
  uint8_t buffer[8192];
  uint32_t sizeBytes = 0;
  while (SB_decodeMP3(buffer, &sizeBytes) == 0) {
    out.blockBytes.push_back(sizeBytes);
    const auto* samples = reinterpret_cast<const int16_t*>(buffer);
    out.samples.insert(out.samples.end(), samples, samples + sizeBytes / 2);
  }
  return out;
}

struct FrameInfo {
  int32_t sampleRate = -1, channels = -1, bitrateKbps = -1, lengthMs = -1;
};

FrameInfo GetFrameInfo() {
  FrameInfo info;
  SB_GetFrameInfo(&info.sampleRate, &info.channels, &info.bitrateKbps, &info.lengthMs);
  return info;
}

// One encoding of the test signal; the table covers MPEG-1, 2 and 2.5,
// mono and stereo, CBR and VBR.
struct Encoding {
  const char* name;
  int sampleRate;
  int channels;
  Mp3MakerOptions options;
};

void PrintTo(const Encoding& encoding, std::ostream* out) { *out << encoding.name; }

class Mp3DecoderFormatTest : public ::testing::TestWithParam<Encoding> {
 protected:
  void SetUp() override {
    const Encoding& e = GetParam();
    frames_ = static_cast<uint32_t>(e.sampleRate * 3 + 123);  // 3 s and a bit
    pcm_ = MakeTestSignal(frames_, e.channels, e.sampleRate);
    path_ = dir_.File("a.mp3");
    ASSERT_TRUE(WriteMp3File(path_, pcm_, e.sampleRate, e.channels, e.options));
  }
  void TearDown() override { SB_ExitMP3(); }

  TempDir dir_;
  uint32_t frames_ = 0;
  std::vector<int16_t> pcm_;
  std::string path_;
};

TEST_P(Mp3DecoderFormatTest, ReportsTheFormatAndTheExactLength) {
  ASSERT_EQ(SB_InitMP3(path_.c_str(), 0), 0);
  const FrameInfo info = GetFrameInfo();
  EXPECT_EQ(info.sampleRate, GetParam().sampleRate);
  EXPECT_EQ(info.channels, GetParam().channels);
  EXPECT_EQ(info.lengthMs, FramesToMs(frames_, GetParam().sampleRate));
  if (!GetParam().options.vbr) {
    EXPECT_EQ(info.bitrateKbps, GetParam().options.bitrateKbps);
  }
  // The whole decode gives back exactly the frames that were encoded.
  const Decoded decoded = DecodeToEnd();
  EXPECT_EQ(decoded.samples.size(), pcm_.size());
}

TEST_P(Mp3DecoderFormatTest, BlocksAreWholeFramesOfAtMost8192Bytes) {
  ASSERT_EQ(SB_InitMP3(path_.c_str(), 0), 0);
  const Decoded decoded = DecodeToEnd();
  ASSERT_FALSE(decoded.blockBytes.empty());
  for (uint32_t bytes : decoded.blockBytes) {
    EXPECT_LE(bytes, 8192u);
    EXPECT_EQ(bytes % (2u * GetParam().channels), 0u);
  }
}

TEST_P(Mp3DecoderFormatTest, DecodingFromAnyStartLinesUpWithTheEncodedPcm) {
  const int rate = GetParam().sampleRate;
  const int channels = GetParam().channels;
  for (int32_t startMs : {0, 1, 250, 1001, 1777, 2500}) {
    SCOPED_TRACE(startMs);
    ASSERT_EQ(SB_InitMP3(path_.c_str(), startMs), 0);
    const Decoded decoded = DecodeToEnd();
    const int64_t startFrame = MsToFrames(startMs, rate);
    ASSERT_EQ(static_cast<int64_t>(decoded.samples.size()), (frames_ - startFrame) * channels);
    const int window = rate / 10;
    EXPECT_EQ(BestLagFrames(decoded.samples, pcm_, channels, startFrame, window, rate / 200), 0);
    EXPECT_GT(SnrDb(decoded.samples, pcm_, channels, startFrame, window), 6.0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, Mp3DecoderFormatTest,
    ::testing::Values(Encoding{"Mpeg1Stereo44100Cbr128", 44100, 2, {.bitrateKbps = 128}},
                      Encoding{"Mpeg1Mono48000Cbr96", 48000, 1, {.bitrateKbps = 96}},
                      Encoding{"Mpeg1Stereo32000Vbr", 32000, 2, {.vbr = true}},
                      Encoding{"Mpeg2Mono22050Cbr64", 22050, 1, {.bitrateKbps = 64}},
                      Encoding{"Mpeg2Stereo24000Vbr", 24000, 2, {.vbr = true}},
                      Encoding{"Mpeg25Mono11025Cbr32", 11025, 1, {.bitrateKbps = 32}},
                      Encoding{"Mpeg25Stereo8000Cbr24", 8000, 2, {.bitrateKbps = 24}}),
    [](const auto& info) { return std::string(info.param.name); });

class Mp3DecoderTest : public ::testing::Test {
 protected:
  void TearDown() override { SB_ExitMP3(); }
  TempDir dir_;
};

TEST_F(Mp3DecoderTest, TagsAroundTheAudioChangeNothing) {
  const std::vector<int16_t> pcm = MakeTestSignal(44100 * 4, 2, 44100);
  const std::string plain = dir_.File("plain.mp3");
  const std::string tagged = dir_.File("tagged.mp3");
  Mp3MakerOptions options{.vbr = true};
  ASSERT_TRUE(WriteMp3File(plain, pcm, 44100, 2, options));
  options.id3v2Bytes = 5000;
  options.id3v1 = true;
  options.apeTag = true;
  ASSERT_TRUE(WriteMp3File(tagged, pcm, 44100, 2, options));

  ASSERT_EQ(SB_InitMP3(plain.c_str(), 1000), 0);
  const FrameInfo plainInfo = GetFrameInfo();
  const Decoded plainPcm = DecodeToEnd();
  ASSERT_EQ(SB_InitMP3(tagged.c_str(), 1000), 0);
  const FrameInfo taggedInfo = GetFrameInfo();
  const Decoded taggedPcm = DecodeToEnd();
  EXPECT_EQ(taggedInfo.lengthMs, plainInfo.lengthMs);
  EXPECT_EQ(taggedInfo.bitrateKbps, plainInfo.bitrateKbps);
  EXPECT_EQ(taggedPcm.samples, plainPcm.samples);
}

TEST_F(Mp3DecoderTest, FilesWithoutMpegAudioAreRefused) {
  const std::string text = dir_.File("text.mp3");
  std::ofstream(text) << std::string(5000, 'x');
  const std::string empty = dir_.File("empty.mp3");
  std::ofstream{empty};
  const std::string zeros = dir_.File("zeros.mp3");
  std::ofstream(zeros) << std::string(100000, '\0');
  for (const std::string& path :
       {text, empty, zeros, dir_.File("missing.mp3"), dir_.path().string()}) {
    EXPECT_NE(SB_InitMP3(path.c_str(), 0), 0) << path;
    uint8_t buffer[8192];
    uint32_t sizeBytes = 99;
    EXPECT_NE(SB_decodeMP3(buffer, &sizeBytes), 0) << path;
    EXPECT_EQ(sizeBytes, 0u);
    EXPECT_EQ(GetFrameInfo().sampleRate, 0);
    SB_ExitMP3();
  }
}

TEST_F(Mp3DecoderTest, ExitWithoutInitAndTwiceIsHarmless) {
  SB_ExitMP3();
  SB_ExitMP3();
  uint8_t buffer[8192];
  uint32_t sizeBytes = 0;
  EXPECT_NE(SB_decodeMP3(buffer, &sizeBytes), 0);
}

TEST_F(Mp3DecoderTest, StartAtOrPastTheEndDecodesNothing) {
  const std::string path = dir_.File("a.mp3");
  ASSERT_TRUE(WriteMp3File(path, MakeTestSignal(44100, 2, 44100), 44100, 2));
  for (int32_t startMs : {1000, 1001, 100000}) {
    ASSERT_EQ(SB_InitMP3(path.c_str(), startMs), 0);
    EXPECT_TRUE(DecodeToEnd().samples.empty()) << startMs;
  }
}

TEST_F(Mp3DecoderTest, ASecondInitReplacesTheFirstStream) {
  const std::string a = dir_.File("a.mp3");
  const std::string b = dir_.File("b.mp3");
  ASSERT_TRUE(WriteMp3File(a, MakeTestSignal(44100, 2, 44100), 44100, 2));
  ASSERT_TRUE(WriteMp3File(b, MakeTestSignal(22050, 1, 22050), 22050, 1, {.bitrateKbps = 64}));
  ASSERT_EQ(SB_InitMP3(a.c_str(), 0), 0);
  ASSERT_EQ(SB_InitMP3(b.c_str(), 0), 0);
  EXPECT_EQ(GetFrameInfo().channels, 1);
  EXPECT_EQ(DecodeToEnd().samples.size(), 22050u);
}

TEST_F(Mp3DecoderTest, AFileRewrittenSinceItsScanIsScannedAgain) {
  const std::string path = dir_.File("a.mp3");
  ASSERT_TRUE(WriteMp3File(path, MakeTestSignal(44100, 2, 44100), 44100, 2));
  ASSERT_EQ(SB_InitMP3(path.c_str(), 0), 0);
  EXPECT_EQ(GetFrameInfo().lengthMs, 1000);
  SB_ExitMP3();
  ASSERT_TRUE(WriteMp3File(path, MakeTestSignal(3 * 44100, 2, 44100), 44100, 2));
  ASSERT_EQ(SB_InitMP3(path.c_str(), 2000), 0);
  EXPECT_EQ(GetFrameInfo().lengthMs, 3000);
  EXPECT_EQ(DecodeToEnd().samples.size(), 44100u * 2);
}

}  // namespace
