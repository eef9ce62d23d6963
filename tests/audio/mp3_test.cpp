// MP3 files from the decoder functions over libmpg123 up to the probe and the
// PCM stream, on MP3s encoded from known PCM (each encoded once per run).
#include <gtest/gtest.h>

#include <fstream>

#include "audio/mp3_decoder.h"
#include "audio/mp3io.h"
#include "base/rounding.h"
#include "support/mp3_maker.h"
#include "support/pcm_compare.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace {

// Decodes from the open stream to its end; `blockBytes` gets every block's size.
std::vector<int16_t> DecodeToEnd(std::vector<uint32_t>* blockBytes = nullptr) {
  std::vector<int16_t> out;
  uint8_t buffer[8192];
  uint32_t sizeBytes = 0;
  while (SB_decodeMP3(buffer, &sizeBytes) == 0) {
    if (blockBytes) blockBytes->push_back(sizeBytes);
    const auto* samples = reinterpret_cast<const int16_t*>(buffer);
    out.insert(out.end(), samples, samples + sizeBytes / 2);
  }
  return out;
}

// Reads a probed file's whole stream from `startMs` through the program's reader.
std::vector<int16_t> StreamToEnd(const std::string& path, const AudioFileInfo& info, uint32_t startMs) {
  std::vector<int16_t> out;
  if (!OpenAudioStream(path, info, startMs)) return out;
  uint8_t* data = nullptr;
  uint32_t bytes = 0;
  while (ReadAudioBlock(info, data, bytes)) {
    const auto* samples = reinterpret_cast<const int16_t*>(data);
    out.insert(out.end(), samples, samples + bytes / 2);
  }
  CloseAudioStream(info);
  return out;
}

// MPEG-1, 2 and 2.5, mono and stereo, CBR and VBR.
struct Encoding {
  const char* name;
  int rate;
  int channels;
  Mp3MakerOptions options;
};

class Mp3Format : public ::testing::TestWithParam<Encoding> {
 protected:
  void TearDown() override { SB_ExitMP3(); }
};

TEST_P(Mp3Format, GivesTheFormatTheExactLengthAndPcmInPlaceFromAnyStart) {
  const Encoding& e = GetParam();
  const uint32_t frames = static_cast<uint32_t>(e.rate * 3 + 123);
  const EncodedMp3& mp3 = CachedMp3(e.rate, e.channels, frames, e.options);
  ASSERT_EQ(SB_InitMP3(mp3.path.c_str(), 0), 0);
  const Mp3FrameInfo info = GetMp3FrameInfo();
  EXPECT_EQ(info.sampleRate, e.rate);
  EXPECT_EQ(info.channels, e.channels);
  EXPECT_EQ(info.lengthMs, FramesToMs(frames, e.rate));
  if (!e.options.vbr) {
    EXPECT_EQ(info.bitrateKbps, e.options.bitrateKbps);
  }
  std::vector<uint32_t> blockBytes;
  EXPECT_EQ(DecodeToEnd(&blockBytes).size(), mp3.pcm.size());
  for (uint32_t bytes : blockBytes) {
    EXPECT_LE(bytes, 8192u);
    EXPECT_EQ(bytes % (2u * e.channels), 0u);
  }
  for (int32_t startMs : {1, 1001, 2500}) {
    ASSERT_EQ(SB_InitMP3(mp3.path.c_str(), startMs), 0);
    const std::vector<int16_t> decoded = DecodeToEnd();
    const int64_t startFrame = MsToFrames(startMs, e.rate);
    ASSERT_EQ(static_cast<int64_t>(decoded.size()), (frames - startFrame) * e.channels) << startMs;
    const int window = e.rate / 10;
    EXPECT_EQ(BestLagFrames(decoded, mp3.pcm, e.channels, startFrame, window, e.rate / 200), 0);
    EXPECT_GT(SnrDb(decoded, mp3.pcm, e.channels, startFrame, window), 6.0) << startMs;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, Mp3Format,
    ::testing::Values(Encoding{"Mpeg1Stereo44100Cbr128", 44100, 2, {.bitrateKbps = 128}},
                      Encoding{"Mpeg1Mono48000Cbr96", 48000, 1, {.bitrateKbps = 96}},
                      Encoding{"Mpeg1Stereo32000Vbr", 32000, 2, {.vbr = true}},
                      Encoding{"Mpeg2Mono22050Cbr64", 22050, 1, {.bitrateKbps = 64}},
                      Encoding{"Mpeg2Stereo24000Vbr", 24000, 2, {.vbr = true}},
                      Encoding{"Mpeg25Mono11025Cbr32", 11025, 1, {.bitrateKbps = 32}},
                      Encoding{"Mpeg25Stereo8000Cbr24", 8000, 2, {.bitrateKbps = 24}}),
    [](const auto& info) { return std::string(info.param.name); });

class Mp3 : public ::testing::Test {
 protected:
  void TearDown() override { SB_ExitMP3(); }
  TempDir dir_;
  ScriptedDialogs dialogs_;
};

// Short files, so that tags miscounted as audio would show.
TEST_F(Mp3, TagsAroundTheAudioChangeNothing) {
  const EncodedMp3& plain = CachedMp3(44100, 2, 22050, {.vbr = true});
  const EncodedMp3& tagged =
      CachedMp3(44100, 2, 22050, {.vbr = true, .id3v2Bytes = 5000, .id3v1 = true, .apeTag = true});
  ASSERT_EQ(SB_InitMP3(plain.path.c_str(), 100), 0);
  const Mp3FrameInfo plainInfo = GetMp3FrameInfo();
  const std::vector<int16_t> plainPcm = DecodeToEnd();
  ASSERT_EQ(SB_InitMP3(tagged.path.c_str(), 100), 0);
  EXPECT_EQ(GetMp3FrameInfo().lengthMs, plainInfo.lengthMs);
  EXPECT_EQ(GetMp3FrameInfo().bitrateKbps, plainInfo.bitrateKbps);
  EXPECT_EQ(DecodeToEnd(), plainPcm);
}

TEST_F(Mp3, FilesWithoutMpegAudioAreRefusedAndDecodeNothing) {
  SB_ExitMP3();  // without a stream, and twice, exit is harmless
  WriteText(dir_.File("text.mp3"), std::string(5000, 'x'));
  WriteText(dir_.File("empty.mp3"), "");
  WriteText(dir_.File("zeros.mp3"), std::string(100000, '\0'));
  for (const std::string& path : {dir_.File("text.mp3"), dir_.File("empty.mp3"),
                                  dir_.File("zeros.mp3"), dir_.File("missing.mp3"), dir_.path().string()}) {
    EXPECT_NE(SB_InitMP3(path.c_str(), 0), 0) << path;
    uint8_t buffer[8192];
    uint32_t sizeBytes = 99;
    EXPECT_NE(SB_decodeMP3(buffer, &sizeBytes), 0) << path;
    EXPECT_EQ(sizeBytes, 0u);
    EXPECT_EQ(GetMp3FrameInfo().sampleRate, 0);
    SB_ExitMP3();
  }
}

TEST_F(Mp3, StartsPastTheEndOtherFilesAndRewrittenFilesAreHandled) {
  const EncodedMp3& second = CachedMp3(44100, 2, 44100);
  for (int32_t startMs : {1000, 1001, 100000}) {
    ASSERT_EQ(SB_InitMP3(second.path.c_str(), startMs), 0);
    EXPECT_TRUE(DecodeToEnd().empty()) << startMs;
  }
  // A second init replaces the first stream.
  ASSERT_EQ(SB_InitMP3(second.path.c_str(), 0), 0);
  ASSERT_EQ(SB_InitMP3(CachedMp3(22050, 1, 22050, {.bitrateKbps = 64}).path.c_str(), 0), 0);
  EXPECT_EQ(GetMp3FrameInfo().channels, 1);
  EXPECT_EQ(DecodeToEnd().size(), 22050u);
  // A file rewritten since its scan is scanned again.
  const std::string path = dir_.File("a.mp3");
  ASSERT_TRUE(WriteMp3File(path, MakeTestSignal(44100, 2, 44100), 44100, 2));
  ASSERT_EQ(SB_InitMP3(path.c_str(), 0), 0);
  SB_ExitMP3();
  ASSERT_TRUE(WriteMp3File(path, MakeTestSignal(3 * 44100, 2, 44100), 44100, 2));
  ASSERT_EQ(SB_InitMP3(path.c_str(), 2000), 0);
  EXPECT_EQ(GetMp3FrameInfo().lengthMs, 3000);
  EXPECT_EQ(DecodeToEnd().size(), 44100u * 2);
}

TEST_F(Mp3, ProbeDescribesAnMp3AndReportsOneTheDecoderRefuses) {
  const EncodedMp3& song = CachedMp3(44100, 2, 44100 * 2 + 500);
  AudioFileInfo info;
  ASSERT_TRUE(GetAudioFileInfo(song.path, info, dialogs_));
  EXPECT_EQ(info, MakeInfo(AudioFileInfo::kTypeMp3, 44100, 2, 2011, 128));
  EXPECT_TRUE(dialogs_.messages.empty());
  // The stream starts at the asked millisecond.
  const std::vector<int16_t> decoded = StreamToEnd(song.path, info, 333);
  const int64_t startFrame = MsToFrames(333, 44100);
  ASSERT_EQ(static_cast<int64_t>(decoded.size()), (44100 * 2 + 500 - startFrame) * 2);
  EXPECT_EQ(BestLagFrames(decoded, song.pcm, 2, startFrame, 2000, 100), 0);

  WriteText(dir_.File("broken.MP3"), "this is no audio");
  AudioFileInfo candidate = info;
  EXPECT_FALSE(GetAudioFileInfo(dir_.File("broken.MP3"), candidate, dialogs_));
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].text, "Error while open mp3 file");
  EXPECT_EQ(dialogs_.messages[0].caption, "Error");
  EXPECT_EQ(candidate, MakeInfo(AudioFileInfo::kTypeMp3, 0, 0));
  // The record kept from before the failed probe still reads its file.
  EXPECT_EQ(StreamToEnd(song.path, info, 0).size(), song.pcm.size());
}

TEST_F(Mp3, StreamRefusesAFileThatNoLongerMatchesItsRecordAndFollowsOtherTypes) {
  const std::string path = dir_.File("a.mp3");
  ASSERT_TRUE(WriteMp3File(path, MakeTestSignal(44100, 2, 44100), 44100, 2));
  AudioFileInfo info;
  ASSERT_TRUE(GetAudioFileInfo(path, info, dialogs_));
  ASSERT_TRUE(WriteMp3File(path, MakeTestSignal(22050, 1, 22050), 22050, 1, {.bitrateKbps = 64}));
  EXPECT_FALSE(OpenAudioStream(path, info, 0));
  uint8_t* data = nullptr;
  uint32_t sizeBytes = 0;
  EXPECT_FALSE(ReadAudioBlock(info, data, sizeBytes));
  CloseAudioStream(info);

  const EncodedMp3& mp3 = CachedMp3(44100, 1, 44100, {.bitrateKbps = 64});
  AudioFileInfo mp3Info, wavInfo;
  ASSERT_TRUE(GetAudioFileInfo(mp3.path, mp3Info, dialogs_));
  const std::string wav = dir_.File("b.wav");
  WriteWavFile(wav, 8000, 1, MakeTestSignal(8000, 1, 8000));
  ASSERT_TRUE(GetAudioFileInfo(wav, wavInfo, dialogs_));
  // A WAV stream opened without closing the MP3 stream first replaces it.
  ASSERT_TRUE(OpenAudioStream(mp3.path, mp3Info, 500));
  EXPECT_EQ(StreamToEnd(wav, wavInfo, 0).size(), 8000u);
  EXPECT_EQ(StreamToEnd(mp3.path, mp3Info, 500).size(), 22050u);
}

}  // namespace
