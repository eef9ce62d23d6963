// MP3 files as other tools and accidents leave them: damaged in the middle,
// cut short, two files joined with `cat` (also of different formats), and
// bitrates that only the whole file tells. The program's own full decode is
// the measure: the reported length, every start and the decode must agree
// with it, and damage must not end it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "audio/mp3_decoder.h"
#include "base/rounding.h"
#include "support/mp3_maker.h"
#include "support/test_files.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes EncodeMp3(const TempDir& dir, int rate, int channels, uint32_t frames,
                const Mp3MakerOptions& options = {}, uint32_t seed = 1) {
  const std::string path = dir.File("part.mp3");
  EXPECT_TRUE(
      WriteMp3File(path, MakeTestSignal(frames, channels, rate, seed), rate, channels, options));
  return ReadFileBytes(path);
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The first frame header at or after `from`.
size_t NextSync(const Bytes& bytes, size_t from) {
  while (from + 1 < bytes.size() && !(bytes[from] == 0xFF && (bytes[from + 1] & 0xE0) == 0xE0)) {
    ++from;
  }
  return from;
}

std::vector<int16_t> DecodeFrom(const std::string& path, int32_t startMs) {
  std::vector<int16_t> out;
  if (SB_InitMP3(path.c_str(), startMs) != 0) return out;
  uint8_t buffer[8192];
  uint32_t sizeBytes = 0;
  while (SB_decodeMP3(buffer, &sizeBytes) == 0) {
    const auto* samples = reinterpret_cast<const int16_t*>(buffer);
    out.insert(out.end(), samples, samples + sizeBytes / 2);
  }
  return out;
}

struct OddFile {
  const char* name;
  // Makes the file's bytes: 6 s of audio in all, 3 s of it in each part.
  std::function<Bytes(const TempDir&)> make;
  int rate;      // of the first part
  int channels;  // of the first part
};

void PrintTo(const OddFile& file, std::ostream* out) { *out << file.name; }

Bytes Joined(Bytes first, const Bytes& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

const OddFile kOddFiles[] = {
    {"ZeroedFrameHeader",
     [](const TempDir& dir) {
       Bytes mp3 = EncodeMp3(dir, 44100, 2, 6 * 44100);
       const size_t at = NextSync(mp3, mp3.size() / 2);
       std::fill_n(mp3.begin() + static_cast<ptrdiff_t>(at), 4, 0);
       return mp3;
     },
     44100, 2},
    {"HoleOf4KiB",
     [](const TempDir& dir) {
       Bytes mp3 = EncodeMp3(dir, 44100, 2, 6 * 44100);
       const auto middle = mp3.begin() + static_cast<ptrdiff_t>(mp3.size() / 2);
       mp3.erase(middle, middle + 4096);
       return mp3;
     },
     44100, 2},
    {"GarbageOf4KiB",
     [](const TempDir& dir) {
       Bytes mp3 = EncodeMp3(dir, 44100, 2, 6 * 44100);
       uint32_t noise = 12345;
       for (size_t i = mp3.size() / 2; i < mp3.size() / 2 + 4096; ++i) {
         noise = noise * 1664525u + 1013904223u;
         mp3[i] = static_cast<uint8_t>(noise >> 24);
       }
       return mp3;
     },
     44100, 2},
    {"CutShortInAFrame",
     [](const TempDir& dir) {
       Bytes mp3 = EncodeMp3(dir, 44100, 2, 6 * 44100);
       mp3.resize(mp3.size() - 1000);
       return mp3;
     },
     44100, 2},
    {"JoinedSameFormat",
     [](const TempDir& dir) {
       return Joined(EncodeMp3(dir, 44100, 2, 3 * 44100), EncodeMp3(dir, 44100, 2, 3 * 44100, {}, 2));
     },
     44100, 2},
    {"JoinedRateChange",
     [](const TempDir& dir) {
       return Joined(EncodeMp3(dir, 44100, 2, 3 * 44100), EncodeMp3(dir, 48000, 2, 3 * 48000, {}, 2));
     },
     44100, 2},
    {"JoinedStereoThenMono",
     [](const TempDir& dir) {
       return Joined(EncodeMp3(dir, 44100, 2, 3 * 44100),
                     EncodeMp3(dir, 44100, 1, 3 * 44100, {.bitrateKbps = 64}, 2));
     },
     44100, 2},
    {"JoinedMonoThenMpeg2Stereo",
     [](const TempDir& dir) {
       return Joined(EncodeMp3(dir, 32000, 1, 3 * 32000, {.bitrateKbps = 64}),
                     EncodeMp3(dir, 22050, 2, 3 * 22050, {.bitrateKbps = 64}, 2));
     },
     32000, 1},
};

class OddMp3Test : public ::testing::TestWithParam<OddFile> {
 protected:
  void TearDown() override { SB_ExitMP3(); }
  TempDir dir_;
};

TEST_P(OddMp3Test, LengthStartsAndDecodeAgreeWithTheFullDecode) {
  const OddFile& file = GetParam();
  const std::string path = dir_.File("odd.mp3");
  WriteBytes(path, file.make(dir_));
  ASSERT_EQ(SB_InitMP3(path.c_str(), 0), 0);
  const Mp3FrameInfo info = GetMp3FrameInfo();
  EXPECT_EQ(info.sampleRate, file.rate);
  EXPECT_EQ(info.channels, file.channels);

  const std::vector<int16_t> full = DecodeFrom(path, 0);
  const int64_t fullFrames = static_cast<int64_t>(full.size()) / file.channels;
  // A 4 KiB hole takes a quarter second with it; nothing else ends early.
  EXPECT_GT(fullFrames, file.rate * 56 / 10);
  EXPECT_EQ(info.lengthMs, FramesToMs(static_cast<double>(fullFrames), file.rate));

  for (int32_t startMs : {700, 2900, 3100, 4400, 5500}) {
    SCOPED_TRACE(startMs);
    const std::vector<int16_t> piece = DecodeFrom(path, startMs);
    const size_t startSample = static_cast<size_t>(MsToFrames(startMs, file.rate)) * file.channels;
    ASSERT_EQ(piece.size(), full.size() - startSample);
    EXPECT_TRUE(std::equal(piece.begin(), piece.end(), full.begin() + startSample));
  }
}

INSTANTIATE_TEST_SUITE_P(Files, OddMp3Test, ::testing::ValuesIn(kOddFiles),
                         [](const auto& info) { return std::string(info.param.name); });

// Half silence, half dense signal: the frames of a VBR file differ widely, so
// no single frame tells the file's bitrate.
std::vector<int16_t> QuietThenLoud() {
  std::vector<int16_t> pcm(44100 * 2 * 2, 0);
  const std::vector<int16_t> loud = MakeTestSignal(44100 * 2, 2, 44100, 7);
  pcm.insert(pcm.end(), loud.begin(), loud.end());
  return pcm;
}

TEST(Mp3BitrateTest, TheAverageComesFromTheAudioFramesAndTheirTime) {
  TempDir dir;
  const std::string path = dir.File("rate.mp3");
  const auto audioKbps = [](size_t bytes) { return static_cast<double>(bytes) * 8.0 / 4.0 / 1000; };
  const auto encode = [&](const Mp3MakerOptions& options) {
    EXPECT_TRUE(WriteMp3File(path, QuietThenLoud(), 44100, 2, options));
    return ReadFileBytes(path);
  };
  const Bytes vbr = encode({.vbr = true, .vbrQuality = 2});
  const Bytes vbrWithoutTag = encode({.vbr = true, .vbrQuality = 2, .infoTag = false});
  const Bytes freeFormat = encode({.bitrateKbps = 200, .freeFormat = true});
  Bytes cbrOfAnotherEncoder = encode({.bitrateKbps = 192});
  // Encoders other than LAME leave the Info tag's VBR method at 0 (unknown).
  const size_t info = std::string(cbrOfAnotherEncoder.begin(), cbrOfAnotherEncoder.begin() + 200)
                          .find("Info");
  ASSERT_NE(info, std::string::npos);
  cbrOfAnotherEncoder[info + 120 + 9] &= 0xF0;
  Bytes vbrWithZeros = vbr;
  vbrWithZeros.resize(vbr.size() + 100000, 0);

  struct Row {
    const char* name;
    const Bytes& bytes;
    double expectedKbps;
    double toleranceKbps;
  } rows[] = {{"VbrWithoutInfoTag", vbrWithoutTag, audioKbps(vbrWithoutTag.size()), 3},
              {"VbrWithTrailingZeros", vbrWithZeros, audioKbps(vbr.size()), 3},
              {"FreeFormat", freeFormat, 200, 1},
              {"CbrOfAnotherEncoder", cbrOfAnotherEncoder, 192, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteBytes(path, row.bytes);
    ASSERT_EQ(SB_InitMP3(path.c_str(), 0), 0);
    EXPECT_NEAR(GetMp3FrameInfo().bitrateKbps, row.expectedKbps, row.toleranceKbps);
    SB_ExitMP3();
  }
}

}  // namespace
