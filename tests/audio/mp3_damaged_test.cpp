// Damaged, cut-short and joined (`cat`) MP3s: length and every start agree
// with the program's own full decode, which damage does not end; bitrates
// come from the whole file's audio frames.
#include <gtest/gtest.h>

#include <fstream>

#include "audio/mp3_decoder.h"
#include "base/rounding.h"
#include "support/mp3_maker.h"
#include "support/test_files.h"

namespace {

struct Part {
  int rate = 0, channels = 0, kbps = 0;
};
// Two parts of 3 s, or one of 6 s whose middle loses `holeBytes`, gets
// `zeroBytes` zeros at a frame header, or whose end loses `cutBytes`.
struct OddFile {
  const char* name;
  Part first, second;
  int zeroBytes = 0, holeBytes = 0, cutBytes = 0;
};

std::vector<uint8_t> Encode(Part part, int seconds, Mp3MakerOptions options = {}) {
  TempDir dir;
  std::vector<int16_t> pcm = MakeTestSignal(part.rate * seconds, part.channels, part.rate);
  if (options.vbr) std::fill_n(pcm.begin(), pcm.size() / 2, 0);  // frames differ widely
  options.bitrateKbps = part.kbps;
  EXPECT_TRUE(WriteMp3File(dir.File("a.mp3"), pcm, part.rate, part.channels, options));
  return ReadFileBytes(dir.File("a.mp3"));
}

std::string Write(const TempDir& dir, const std::vector<uint8_t>& bytes) {
  std::ofstream(dir.File("odd.mp3"), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return dir.File("odd.mp3");
}

std::vector<int16_t> DecodeFrom(const std::string& path, int32_t startMs) {
  std::vector<int16_t> out;
  int16_t block[4096];
  uint32_t bytes = 0;
  EXPECT_EQ(SB_InitMP3(path.c_str(), startMs), 0);
  while (SB_decodeMP3(reinterpret_cast<uint8_t*>(block), &bytes) == 0) {
    out.insert(out.end(), block, block + bytes / 2);
  }
  return out;
}

class OddMp3Test : public ::testing::TestWithParam<OddFile> {};

TEST_P(OddMp3Test, LengthAndStartsAgreeWithTheFullDecode) {
  const OddFile& file = GetParam();
  std::vector<uint8_t> mp3 = Encode(file.first, file.second.rate > 0 ? 3 : 6);
  if (file.second.rate > 0) {
    const std::vector<uint8_t> second = Encode(file.second, 3);
    mp3.insert(mp3.end(), second.begin(), second.end());
  }
  size_t middle = mp3.size() / 2;
  while (file.zeroBytes > 0 && (mp3[middle] != 0xFF || mp3[middle + 1] < 0xE0)) ++middle;
  std::fill_n(mp3.begin() + middle, file.zeroBytes, 0);
  mp3.erase(mp3.begin() + middle, mp3.begin() + middle + file.holeBytes);
  mp3.resize(mp3.size() - file.cutBytes);
  TempDir dir;
  const std::string path = Write(dir, mp3);

  const std::vector<int16_t> full = DecodeFrom(path, 0);
  const int rate = file.first.rate;
  const int64_t frames = static_cast<int64_t>(full.size()) / file.first.channels;
  const Mp3FrameInfo info = GetMp3FrameInfo();
  EXPECT_EQ(
      std::vector({info.sampleRate, info.channels, info.lengthMs}),
      std::vector({rate, file.first.channels, static_cast<int32_t>(FramesToMs(frames, rate))}));
  EXPECT_GT(frames, rate * 56 / 10);  // a 4 KiB hole takes a quarter second
  for (int32_t startMs : {700, 2900, 3100, 4400, 5500}) {
    const auto start = full.begin() + MsToFrames(startMs, rate) * file.first.channels;
    EXPECT_EQ(DecodeFrom(path, startMs), std::vector<int16_t>(start, full.end())) << startMs;
  }
  SB_ExitMP3();
}

const Part kStereo{44100, 2, 128};
INSTANTIATE_TEST_SUITE_P(
    Files, OddMp3Test,
    ::testing::Values(OddFile{"ZeroedFrameHeader", kStereo, {}, 4},
                      OddFile{"Hole", kStereo, {}, 0, 4096},
                      OddFile{"CutShortInAFrame", kStereo, {}, 0, 0, 1000},
                      OddFile{"JoinedSameFormat", kStereo, kStereo},
                      OddFile{"JoinedRateChange", kStereo, {48000, 2, 128}},
                      OddFile{"JoinedStereoThenMono", kStereo, {44100, 1, 64}},
                      OddFile{"JoinedMonoThenMpeg2Stereo", {32000, 1, 64}, {22050, 2, 64}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Mp3BitrateTest, IsTheAudioFramesAverageOrTheConstantFrameBitrate) {
  const std::vector<uint8_t> vbr = Encode(kStereo, 4, {.vbr = true, .vbrQuality = 2});
  std::vector<uint8_t> vbrWithZeros = vbr, otherEncodersCbr = Encode({44100, 2, 192}, 4);
  vbrWithZeros.resize(vbr.size() + 100000, 0);
  // Encoders other than LAME leave the Info tag's VBR method at 0 (unknown).
  otherEncodersCbr
      [std::string(otherEncodersCbr.begin(), otherEncodersCbr.begin() + 99).find("Info") + 129] = 0;
  const std::vector<uint8_t> withoutTag =
      Encode(kStereo, 4, {.vbr = true, .vbrQuality = 2, .infoTag = false});
  const std::tuple<std::vector<uint8_t>, double, double> rows[] = {
      // bytes, kbit/s, tolerance
      {withoutTag, withoutTag.size() / 500.0, 3},
      {vbrWithZeros, vbr.size() / 500.0, 3},
      {Encode({44100, 2, 200}, 4, {.freeFormat = true}), 200, 1},
      {otherEncodersCbr, 192, 0}};
  TempDir dir;
  for (const auto& [bytes, kbps, tolerance] : rows) {
    ASSERT_EQ(SB_InitMP3(Write(dir, bytes).c_str(), 0), 0);
    EXPECT_NEAR(GetMp3FrameInfo().bitrateKbps, kbps, tolerance) << kbps;
  }
  SB_ExitMP3();
}

}  // namespace
