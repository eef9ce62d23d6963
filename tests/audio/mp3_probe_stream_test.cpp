// The MP3 branches of the probe and of the PCM stream reader.
#include <gtest/gtest.h>

#include <fstream>

#include "base/rounding.h"
#include "audio/mp3io.h"
#include "support/mp3_maker.h"
#include "support/pcm_compare.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace {

class Mp3ProbeStreamTest : public ::testing::Test {
 protected:
  void TearDown() override { CloseAudioStream(info_); }

  std::string MakeMp3(const std::string& name, int rate, int channels, uint32_t frames,
                      const Mp3MakerOptions& options = {}) {
    pcm_ = MakeTestSignal(frames, channels, rate);
    const std::string path = dir_.File(name);
    EXPECT_TRUE(WriteMp3File(path, pcm_, rate, channels, options));
    return path;
  }

  std::vector<int16_t> ReadAll(std::vector<uint32_t>* blockBytes = nullptr) {
    std::vector<int16_t> out;
    uint8_t* data = nullptr;
    uint32_t sizeBytes = 0;
    while (ReadAudioBlock(info_, data, sizeBytes)) {
      const auto* samples = reinterpret_cast<const int16_t*>(data);
      out.insert(out.end(), samples, samples + sizeBytes / 2);
      if (blockBytes) blockBytes->push_back(sizeBytes);
    }
    return out;
  }

  TempDir dir_;
  ScriptedDialogs dialogs_;
  AudioFileInfo info_;
  std::vector<int16_t> pcm_;
};

TEST_F(Mp3ProbeStreamTest, ProbeDescribesAnMp3) {
  const std::string path = MakeMp3("song.mp3", 44100, 2, 44100 * 2 + 500);
  ASSERT_TRUE(GetAudioFileInfo(path, info_, dialogs_));
  EXPECT_EQ(info_, (AudioFileInfo{AudioFileInfo::kTypeMp3, 44100, 2, 128, 2011}));
  EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(Mp3ProbeStreamTest, AnMp3TheDecoderRefusesIsReported) {
  const std::string path = dir_.File("broken.MP3");
  std::ofstream(path) << "this is no audio";
  info_ = {7, 7, 7, 7, 7};
  EXPECT_FALSE(GetAudioFileInfo(path, info_, dialogs_));
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].text, "Error while open mp3 file");
  EXPECT_EQ(dialogs_.messages[0].caption, "Error");
  EXPECT_EQ(dialogs_.messages[0].icon, MessageIcon::None);
  EXPECT_EQ(info_, (AudioFileInfo{AudioFileInfo::kTypeMp3, 0, 0, 0, 0}));
}

TEST_F(Mp3ProbeStreamTest, AFailedProbeIntoATemporaryLeavesTheKeptRecordAlone) {
  // The way callers keep the file they have: probe into a temporary and adopt
  // it only on success.
  const std::string good = MakeMp3("good.mp3", 22050, 1, 22050, {.bitrateKbps = 64});
  ASSERT_TRUE(GetAudioFileInfo(good, info_, dialogs_));
  const AudioFileInfo kept = info_;
  const std::string bad = dir_.File("bad.mp3");
  std::ofstream(bad) << "nothing";
  AudioFileInfo candidate = info_;
  EXPECT_FALSE(GetAudioFileInfo(bad, candidate, dialogs_));
  EXPECT_EQ(info_, kept);
  // The kept record still reads its file.
  ASSERT_TRUE(OpenAudioStream(good, info_, 0));
  EXPECT_EQ(ReadAll().size(), 22050u);
}

TEST_F(Mp3ProbeStreamTest, StreamStartsAtTheRequestedMillisecond) {
  const std::string path = MakeMp3("a.mp3", 44100, 2, 44100 * 3);
  ASSERT_TRUE(GetAudioFileInfo(path, info_, dialogs_));
  for (uint32_t startMs : {0u, 333u, 1500u, 2999u}) {
    SCOPED_TRACE(startMs);
    ASSERT_TRUE(OpenAudioStream(path, info_, startMs));
    std::vector<uint32_t> blockBytes;
    const std::vector<int16_t> decoded = ReadAll(&blockBytes);
    const int64_t startFrame = MsToFrames(startMs, 44100);
    ASSERT_EQ(static_cast<int64_t>(decoded.size()), (44100 * 3 - startFrame) * 2);
    for (uint32_t bytes : blockBytes) {
      EXPECT_LE(bytes, kAudioBlockBytes);
      EXPECT_EQ(bytes % 4, 0u);
    }
    const int window = std::min<int>(2000, static_cast<int>(decoded.size() / 2));
    EXPECT_EQ(BestLagFrames(decoded, pcm_, 2, startFrame, window, 100), 0);
    CloseAudioStream(info_);
  }
}

TEST_F(Mp3ProbeStreamTest, AFailedOpenReadsNothingAndClosesHarmlessly) {
  info_ = {AudioFileInfo::kTypeMp3, 44100, 2, 128, 1000};
  EXPECT_FALSE(OpenAudioStream(dir_.File("missing.mp3"), info_, 0));
  uint8_t* data = nullptr;
  uint32_t sizeBytes = 0;
  EXPECT_FALSE(ReadAudioBlock(info_, data, sizeBytes));
  CloseAudioStream(info_);
  CloseAudioStream(info_);
}

TEST_F(Mp3ProbeStreamTest, AFileThatNoLongerMatchesItsRecordIsNotRead) {
  const std::string path = MakeMp3("a.mp3", 44100, 2, 44100);
  ASSERT_TRUE(GetAudioFileInfo(path, info_, dialogs_));
  MakeMp3("a.mp3", 22050, 1, 22050, {.bitrateKbps = 64});
  EXPECT_FALSE(OpenAudioStream(path, info_, 0));
  uint8_t* data = nullptr;
  uint32_t sizeBytes = 0;
  EXPECT_FALSE(ReadAudioBlock(info_, data, sizeBytes));
}

TEST_F(Mp3ProbeStreamTest, StreamsCanFollowOneAnotherAcrossTypes) {
  const std::string mp3 = MakeMp3("a.mp3", 44100, 1, 44100, {.bitrateKbps = 64});
  AudioFileInfo mp3Info;
  ASSERT_TRUE(GetAudioFileInfo(mp3, mp3Info, dialogs_));
  const std::string wav = dir_.File("b.wav");
  WriteWavFile(wav, 8000, 1, MakeTestSignal(8000, 1, 8000));
  AudioFileInfo wavInfo;
  ASSERT_TRUE(GetAudioFileInfo(wav, wavInfo, dialogs_));

  ASSERT_TRUE(OpenAudioStream(mp3, mp3Info, 500));
  // A WAV stream opened without closing the MP3 stream first replaces it.
  ASSERT_TRUE(OpenAudioStream(wav, wavInfo, 0));
  info_ = wavInfo;
  EXPECT_EQ(ReadAll().size(), 8000u);
  ASSERT_TRUE(OpenAudioStream(mp3, mp3Info, 500));
  info_ = mp3Info;
  EXPECT_EQ(ReadAll().size(), 22050u);
}

}  // namespace
