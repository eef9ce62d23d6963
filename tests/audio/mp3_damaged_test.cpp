// Damaged, cut-short, joined (`cat`) and odd MP3s: length and every start
// agree with the program's own full decode, which damage does not end; the
// bitrate is the frames' own or the audio bytes' average.
#include <gtest/gtest.h>

#include "audio/mp3_decoder.h"
#include "base/rounding.h"
#include "support/mp3_maker.h"
#include "support/riff_bytes.h"
#include "support/test_files.h"

namespace {

struct Part {
  int rate = 0, channels = 0, kbps = 0;
};
// One part of 6 s, or two of 3 s. Damage in the middle: `zeroBytes` zeros at
// a frame header or a hole of `holeBytes`; at the end `cutBytes` cut off (or
// zeros added, when negative). `otherEncoder` leaves the Info tag's VBR
// method unknown, as encoders other than LAME do. `kbps` 0: the average.
struct OddFile {
  const char* name;
  Part first, second;
  int kbps = 0;
  Mp3MakerOptions options = {};
  int zeroBytes = 0, holeBytes = 0, cutBytes = 0;
  bool otherEncoder = false;
};

std::vector<uint8_t> Encode(const TempDir& dir, Part part, int seconds, Mp3MakerOptions options) {
  std::vector<int16_t> pcm = MakeTestSignal(part.rate * seconds, part.channels, part.rate);
  if (options.vbr) std::fill_n(pcm.begin(), pcm.size() / 2, 0);  // frames differ widely
  options.bitrateKbps = part.kbps;
  EXPECT_TRUE(WriteMp3File(dir.File("a.mp3"), pcm, part.rate, part.channels, options));
  return ReadFileBytes(dir.File("a.mp3"));
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

void PrintTo(const OddFile& file, std::ostream* out) { *out << file.name; }

class OddMp3Test : public ::testing::TestWithParam<OddFile> {};

TEST_P(OddMp3Test, LengthStartsAndBitrateAgreeWithTheWholeFile) {
  const OddFile& file = GetParam();
  TempDir dir;
  std::vector<uint8_t> mp3 = Encode(dir, file.first, file.second.rate > 0 ? 3 : 6, file.options);
  if (file.second.rate > 0) {
    const std::vector<uint8_t> second = Encode(dir, file.second, 3, {});
    mp3.insert(mp3.end(), second.begin(), second.end());
  }
  const double averageKbps = static_cast<double>(mp3.size()) * 8 / 6000;
  size_t middle = mp3.size() / 2;
  while (file.zeroBytes > 0 && (mp3[middle] != 0xFF || mp3[middle + 1] < 0xE0)) ++middle;
  std::fill_n(mp3.begin() + middle, file.zeroBytes, 0);
  mp3.erase(mp3.begin() + middle, mp3.begin() + middle + file.holeBytes);
  mp3.resize(mp3.size() - file.cutBytes, 0);
  if (file.otherEncoder) mp3[std::string(mp3.begin(), mp3.begin() + 99).find("Info") + 129] = 0;
  const std::string path = dir.File("odd.mp3");
  WriteBytesToFile(path, mp3);

  const std::vector<int16_t> full = DecodeFrom(path, 0);
  const int rate = file.first.rate;
  const int64_t frames = static_cast<int64_t>(full.size()) / file.first.channels;
  const Mp3FrameInfo info = GetMp3FrameInfo();
  EXPECT_EQ(
      std::vector({info.sampleRate, info.channels, info.lengthMs}),
      std::vector({rate, file.first.channels, static_cast<int32_t>(FramesToMs(frames, rate))}));
  EXPECT_GT(frames, rate * 56 / 10);  // a 4 KiB hole takes a quarter second
  EXPECT_NEAR(info.bitrateKbps, file.kbps > 0 ? file.kbps : averageKbps, file.kbps > 0 ? 0 : 2);
  for (int32_t startMs : {700, 2900, 3100, 4400, 5500}) {
    const auto start = full.begin() + MsToFrames(startMs, rate) * file.first.channels;
    const std::vector<int16_t> piece = DecodeFrom(path, startMs);
    ASSERT_EQ(piece.size(), static_cast<size_t>(full.end() - start)) << startMs;
    // After a jump the library may round a sample differently, by one step.
    EXPECT_TRUE(std::equal(piece.begin(), piece.end(), start, [](int a, int b) {
      return std::abs(a - b) <= 1;
    })) << startMs;
  }
  SB_ExitMP3();
}

const Part kStereo{44100, 2, 128};
const Mp3MakerOptions kVbr{.vbr = true, .vbrQuality = 2};
INSTANTIATE_TEST_SUITE_P(
    Files, OddMp3Test,
    ::testing::Values(OddFile{"ZeroedFrameHeader", kStereo, {}, 128, {}, 4},
                      OddFile{"Hole", kStereo, {}, 128, {}, 0, 4096},
                      OddFile{"CutShortInAFrame", kStereo, {}, 128, {}, 0, 0, 1000},
                      OddFile{"JoinedSameFormat", kStereo, kStereo, 128},
                      OddFile{"JoinedRateChange", kStereo, {48000, 2, 128}},
                      OddFile{"JoinedStereoThenMono", kStereo, {44100, 1, 64}},
                      OddFile{"JoinedMonoThenMpeg2Stereo", {32000, 1, 64}, {22050, 2, 64}},
                      OddFile{"VbrWithoutInfoTag", kStereo, {}, 0, {.vbr = true, .infoTag = false}},
                      OddFile{"VbrWithTrailingZeros", kStereo, {}, 0, kVbr, 0, 0, -100000},
                      OddFile{
                          "LowBitrateVbr", {44100, 1, 0}, {}, 0, {.vbr = true, .vbrQuality = 9}},
                      OddFile{"FreeFormat", {44100, 2, 200}, {}, 0, {.freeFormat = true}},
                      OddFile{"OtherEncodersCbr", {44100, 2, 192}, {}, 192, {}, 0, 0, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
