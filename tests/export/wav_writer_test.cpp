// The WAV writer's bytes and the RIFF writer's size patching and padding.
#include "export/wav_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/export_fakes.h"
#include "support/test_files.h"

namespace {

uint32_t Le32(const std::vector<uint8_t>& bytes, size_t offset) {
  return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
         static_cast<uint32_t>(bytes[offset + 3]) << 24;
}
uint16_t Le16(const std::vector<uint8_t>& bytes, size_t offset) {
  return static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}
std::string Tag(const std::vector<uint8_t>& bytes, size_t offset) {
  return std::string(bytes.begin() + offset, bytes.begin() + offset + 4);
}

std::vector<uint8_t> WriteWav(const std::string& path, const AudioFileInfo& info,
                              const std::vector<uint8_t>& pcm) {
  OutputFile file;
  EXPECT_TRUE(file.Create(path));
  WavWriter wav(file);
  EXPECT_TRUE(wav.Create(info));
  if (!pcm.empty()) {
    EXPECT_TRUE(wav.Append(pcm.data(), static_cast<uint32_t>(pcm.size())));
  }
  EXPECT_TRUE(wav.Finish());
  EXPECT_TRUE(file.Commit());
  return ReadFileBytes(path);
}

AudioFileInfo Info(int rate, int channels) {
  AudioFileInfo info;
  info.FileType = AudioFileInfo::kTypeWav;
  info.SampleRate = rate;
  info.Channels = channels;
  return info;
}

TEST(WavWriter, EmptyExportIsTheWholeFortySixByteHeader) {
  TempDir dir;
  const auto bytes = WriteWav(dir.File("out.wav"), Info(44100, 2), {});
  const std::vector<uint8_t> expected = {
      'R', 'I', 'F', 'F', 38, 0, 0,   0,   'W',  'A',  'V', 'E', 'f',  'm',  't',  ' ',
      18,  0,   0,   0,   1,  0, 2,   0,   0x44, 0xAC, 0,   0,   0x10, 0xB1, 0x02, 0,
      4,   0,   16,  0,   0,  0, 'd', 'a', 't',  'a',  0,   0,   0,    0};
  EXPECT_EQ(bytes, expected);
}

struct FormatCase {
  int rate;
  int channels;
  uint32_t bytesPerSecond;
  uint16_t blockAlign;
};

class WavWriterFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(WavWriterFormat, FormatFieldsFollowTheSource) {
  const FormatCase c = GetParam();
  TempDir dir;
  const std::vector<uint8_t> pcm(400, 0x11);
  const auto bytes = WriteWav(dir.File("out.wav"), Info(c.rate, c.channels), pcm);
  ASSERT_EQ(bytes.size(), 446u);
  EXPECT_EQ(Tag(bytes, 0), "RIFF");
  EXPECT_EQ(Le32(bytes, 4), 438u);
  EXPECT_EQ(Tag(bytes, 8), "WAVE");
  EXPECT_EQ(Tag(bytes, 12), "fmt ");
  EXPECT_EQ(Le32(bytes, 16), 18u);
  EXPECT_EQ(Le16(bytes, 20), 1);
  EXPECT_EQ(Le16(bytes, 22), c.channels);
  EXPECT_EQ(Le32(bytes, 24), static_cast<uint32_t>(c.rate));
  EXPECT_EQ(Le32(bytes, 28), c.bytesPerSecond);
  EXPECT_EQ(Le16(bytes, 32), c.blockAlign);
  EXPECT_EQ(Le16(bytes, 34), 16);
  EXPECT_EQ(Le16(bytes, 36), 0);
  EXPECT_EQ(Tag(bytes, 38), "data");
  EXPECT_EQ(Le32(bytes, 42), 400u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 46, bytes.end()), pcm);
}

INSTANTIATE_TEST_SUITE_P(Sources, WavWriterFormat,
                         ::testing::Values(FormatCase{22050, 1, 44100, 2},
                                           FormatCase{44100, 2, 176400, 4},
                                           FormatCase{48000, 2, 192000, 4}),
                         [](const auto& info) {
                           return "Rate" + std::to_string(info.param.rate) + "Channels" +
                                  std::to_string(info.param.channels);
                         });

TEST(RiffWriter, OddChunkIsPaddedAndTheParentCountsThePad) {
  TempDir dir;
  OutputFile file;
  ASSERT_TRUE(file.Create(dir.File("odd.riff")));
  RiffWriter riff(file);
  RiffChunk outer, inner;
  ASSERT_TRUE(riff.CreateRiff(outer, FourCC("TEST")));
  ASSERT_TRUE(riff.CreateChunk(inner, FourCC("abcd"), 0));
  ASSERT_TRUE(riff.Write("xyz", 3));
  ASSERT_TRUE(riff.Ascend(inner));
  ASSERT_TRUE(riff.Ascend(outer));
  ASSERT_TRUE(file.Commit());
  const auto bytes = ReadFileBytes(dir.File("odd.riff"));
  ASSERT_EQ(bytes.size(), 24u);
  EXPECT_EQ(Le32(bytes, 4), 16u);  // "TEST" + 8-byte header + 3 bytes + pad
  EXPECT_EQ(Le32(bytes, 16), 3u);  // the chunk's own size leaves the pad out
  EXPECT_EQ(bytes[23], 0);
}

TEST(WavWriter, ReplacingAnExistingFileLeavesNoTraceOfIt) {
  TempDir dir;
  const std::string path = dir.File("out.wav");
  WriteWavFile(path, 44100, 2, std::vector<int16_t>(100000, 7));
  const auto bytes = WriteWav(path, Info(44100, 2), std::vector<uint8_t>(8, 1));
  EXPECT_EQ(bytes.size(), 54u);
}

TEST(WavWriter, FullDiskIsReportedByAppendOrFinish) {
  TempDir dir;
  OutputFile file;
  ASSERT_TRUE(file.Create(dir.File("full.wav")));
  WavWriter wav(file);
  ASSERT_TRUE(wav.Create(Info(44100, 2)));
  bool ok;
  {
    FileSizeLimit limit(64 * 1024);
    const std::vector<uint8_t> block(8192, 3);
    ok = true;
    for (int i = 0; i < 100 && ok; ++i) ok = wav.Append(block.data(), 8192);
    ok = ok && wav.Finish() && file.Close();
  }
  EXPECT_FALSE(ok);
  EXPECT_FALSE(file.Commit());
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
