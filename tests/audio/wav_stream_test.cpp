// The WAV branch of the PCM stream reader.
#include <gtest/gtest.h>

#include <cstring>

#include "audio/mp3io.h"
#include "support/riff_bytes.h"
#include "support/test_files.h"

namespace {

// Reads the whole stream; `blockSizes` records every block's size.
Bytes ReadAll(const AudioFileInfo& info, std::vector<uint32_t>* blockSizes = nullptr) {
  Bytes out;
  uint8_t* data = nullptr;
  uint32_t sizeBytes = 0;
  while (ReadAudioBlock(info, data, sizeBytes)) {
    out.insert(out.end(), data, data + sizeBytes);
    if (blockSizes) blockSizes->push_back(sizeBytes);
  }
  return out;
}

Bytes Slice(const Bytes& bytes, size_t from) { return Bytes(bytes.begin() + from, bytes.end()); }

class WavStreamTest : public ::testing::Test {
 protected:
  void TearDown() override { CloseAudioStream(info_); }

  // Writes a WAV with a 16-byte format chunk, `samples` as data and the
  // given chunks after it; sets info_ as the probe would.
  std::string Write(int32_t rate, int32_t channels, const Bytes& samples,
                    const std::vector<Bytes>& after = {}) {
    std::vector<Bytes> chunks = {FormatChunkBytes({.channels = static_cast<uint16_t>(channels),
                                                   .sampleRate = static_cast<uint32_t>(rate)}),
                                 RiffChunkBytes("data", samples)};
    chunks.insert(chunks.end(), after.begin(), after.end());
    const std::string path = dir_.File("a.wav");
    WriteBytesToFile(path, RiffWaveBytes(chunks));
    info_ = {AudioFileInfo::kTypeWav, rate, channels, 0, 0};
    return path;
  }

  TempDir dir_;
  AudioFileInfo info_;
};

TEST_F(WavStreamTest, BlocksAre8192BytesExceptTheLastAndStartAtTheData) {
  const Bytes samples = CountingBytes(3 * 8192 + 100, 3);
  const std::string path = Write(44100, 2, samples);
  ASSERT_TRUE(OpenAudioStream(path, info_, 0));
  std::vector<uint32_t> sizes;
  EXPECT_EQ(ReadAll(info_, &sizes), samples);
  EXPECT_EQ(sizes, (std::vector<uint32_t>{8192, 8192, 8192, 100}));
}

TEST_F(WavStreamTest, EveryBlockIsTheSameBuffer) {
  const std::string path = Write(44100, 1, CountingBytes(3 * 8192));
  ASSERT_TRUE(OpenAudioStream(path, info_, 0));
  uint8_t* first = nullptr;
  uint8_t* data = nullptr;
  uint32_t sizeBytes = 0;
  ASSERT_TRUE(ReadAudioBlock(info_, first, sizeBytes));
  while (ReadAudioBlock(info_, data, sizeBytes)) EXPECT_EQ(data, first);
}

TEST_F(WavStreamTest, StartAt1500MsInA22050HzMonoFileSkips66150Bytes) {
  const Bytes samples = CountingBytes(2 * 22050 * 2, 1);
  const std::string path = Write(22050, 1, samples);
  ASSERT_TRUE(OpenAudioStream(path, info_, 1500));
  EXPECT_EQ(ReadAll(info_), Slice(samples, 66150));
}

TEST_F(WavStreamTest, StartFrameRoundsHalfToEven) {
  // 44100 Hz: 5 ms is 220.5 frames (220), 15 ms is 661.5 frames (662).
  const Bytes samples = CountingBytes(4000, 1);
  const std::string path = Write(44100, 1, samples);
  ASSERT_TRUE(OpenAudioStream(path, info_, 5));
  EXPECT_EQ(ReadAll(info_), Slice(samples, 440));
  ASSERT_TRUE(OpenAudioStream(path, info_, 15));
  EXPECT_EQ(ReadAll(info_), Slice(samples, 1324));
}

TEST_F(WavStreamTest, StartAtOrPastTheEndGivesNoBlock) {
  const std::string path = Write(8000, 2, CountingBytes(32000));  // exactly 1 s
  for (uint32_t startMs : {1000u, 1001u, 4000000000u}) {
    OpenAudioStream(path, info_, startMs);
    uint8_t* data = nullptr;
    uint32_t sizeBytes = 0;
    EXPECT_FALSE(ReadAudioBlock(info_, data, sizeBytes)) << startMs;
  }
}

TEST_F(WavStreamTest, ChunksAfterTheDataNeverComeOutAsSamples) {
  const Bytes samples = CountingBytes(8192 + 400, 5);
  const std::string path = Write(44100, 2, samples,
                                 {RiffChunkBytes("LIST", CountingBytes(999, 200)),
                                  RiffChunkBytes("id3 ", CountingBytes(128, 100))});
  ASSERT_TRUE(OpenAudioStream(path, info_, 0));
  EXPECT_EQ(ReadAll(info_), samples);
}

TEST_F(WavStreamTest, ADataChunkLongerThanTheFileDeliversTheBytesPresent) {
  const Bytes samples = CountingBytes(10000, 9);
  const std::string path = dir_.File("cut.wav");
  WriteBytesToFile(path,
                   RiffWaveBytes({FormatChunkBytes({}), RiffChunkBytes("data", samples, 1000000)}));
  info_ = {AudioFileInfo::kTypeWav, 44100, 2, 1378, 0};
  ASSERT_TRUE(OpenAudioStream(path, info_, 0));
  EXPECT_EQ(ReadAll(info_), samples);
}

TEST_F(WavStreamTest, ATornLastFrameIsNotDelivered) {
  // Stereo frames are 4 bytes; 10 bytes hold two whole frames.
  const Bytes samples = CountingBytes(10, 1);
  const std::string path = Write(44100, 2, samples);
  ASSERT_TRUE(OpenAudioStream(path, info_, 0));
  EXPECT_EQ(ReadAll(info_), Bytes(samples.begin(), samples.begin() + 8));
}

TEST_F(WavStreamTest, AFailedOpenReadsNothingAndClosesHarmlessly) {
  info_ = {AudioFileInfo::kTypeWav, 44100, 2, 1378, 1000};
  EXPECT_FALSE(OpenAudioStream(dir_.File("missing.wav"), info_, 0));
  uint8_t* data = nullptr;
  uint32_t sizeBytes = 0;
  EXPECT_FALSE(ReadAudioBlock(info_, data, sizeBytes));
  CloseAudioStream(info_);
  CloseAudioStream(info_);
}

TEST_F(WavStreamTest, UnknownTypeOrNoStreamReadsNothing) {
  const std::string path = Write(44100, 2, CountingBytes(400));
  uint8_t* data = nullptr;
  uint32_t sizeBytes = 0;
  EXPECT_FALSE(ReadAudioBlock(info_, data, sizeBytes));
  AudioFileInfo unknown = info_;
  unknown.FileType = AudioFileInfo::kTypeNone;
  EXPECT_FALSE(OpenAudioStream(path, unknown, 0));
  EXPECT_FALSE(ReadAudioBlock(unknown, data, sizeBytes));
  CloseAudioStream(unknown);
}

TEST_F(WavStreamTest, ReadsAfterCloseGiveNothingAndASecondCloseDoesNothing) {
  const std::string path = Write(44100, 2, CountingBytes(20000));
  ASSERT_TRUE(OpenAudioStream(path, info_, 0));
  CloseAudioStream(info_);
  CloseAudioStream(info_);
  uint8_t* data = nullptr;
  uint32_t sizeBytes = 0;
  EXPECT_FALSE(ReadAudioBlock(info_, data, sizeBytes));
}

TEST_F(WavStreamTest, OpeningAgainReplacesTheOpenStream) {
  const Bytes first = CountingBytes(1000, 1);
  const Bytes second = CountingBytes(2000, 77);
  const std::string a = Write(44100, 2, first);
  const std::string b = dir_.File("b.wav");
  WriteBytesToFile(b, RiffWaveBytes({FormatChunkBytes({}), RiffChunkBytes("data", second)}));
  ASSERT_TRUE(OpenAudioStream(a, info_, 0));
  ASSERT_TRUE(OpenAudioStream(b, info_, 0));
  EXPECT_EQ(ReadAll(info_), second);
}

}  // namespace
