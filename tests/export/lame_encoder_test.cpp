// The encoder library interface: the frames it writes carry the settings of
// the configuration (constant bitrate, plain stereo or mono, copyright and
// original, no CRC, no resampling) and the Info tag lands in the first frame.
#include "export/lame_encoder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "support/test_files.h"

namespace {

struct Encoded {
  uint32_t samplesPerChunk = 0;
  uint32_t outputBufferBytes = 0;
  std::vector<uint8_t> mp3;
};

Encoded Encode(int rate, int channels, uint32_t kbps, uint32_t frames) {
  BE_CONFIG config;
  MakeExportEncoderConfig(config, rate, channels, kbps);
  Encoded result;
  HBE_STREAM stream = nullptr;
  EXPECT_EQ(beInitStream(&config, &result.samplesPerChunk, &result.outputBufferBytes, &stream),
            BE_ERR_SUCCESSFUL);
  const auto pcm = MakeTestSignal(frames, channels, rate);
  std::vector<uint8_t> out(2 * result.outputBufferBytes);
  for (size_t at = 0; at < pcm.size(); at += result.samplesPerChunk) {
    const uint32_t count =
        static_cast<uint32_t>(std::min<size_t>(result.samplesPerChunk, pcm.size() - at));
    uint32_t bytes = result.outputBufferBytes;
    EXPECT_EQ(beEncodeChunk(stream, count, pcm.data() + at, out.data(), &bytes), BE_ERR_SUCCESSFUL);
    result.mp3.insert(result.mp3.end(), out.begin(), out.begin() + bytes);
  }
  uint32_t bytes = result.outputBufferBytes;
  EXPECT_EQ(beDeinitStream(stream, out.data(), &bytes), BE_ERR_SUCCESSFUL);
  result.mp3.insert(result.mp3.end(), out.begin(), out.begin() + bytes);
  EXPECT_EQ(beCloseStream(stream), BE_ERR_SUCCESSFUL);
  TempDir dir;
  const std::string path = dir.File("e.mp3");
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(result.mp3.data()),
             static_cast<std::streamsize>(result.mp3.size()));
  EXPECT_EQ(beWriteVBRHeader(path.c_str()), BE_ERR_SUCCESSFUL);
  result.mp3 = ReadFileBytes(path);
  return result;
}

// Header fields of the MP3 frame that starts at `at`.
struct FrameHeader {
  int versionBits, layerBits, noCrc, bitrateIndex, rateIndex, mode, copyright, original;
};

FrameHeader HeaderAt(const std::vector<uint8_t>& mp3, size_t at) {
  EXPECT_EQ(mp3[at], 0xFF);
  EXPECT_EQ(mp3[at + 1] & 0xE0, 0xE0);
  return {(mp3[at + 1] >> 3) & 3, (mp3[at + 1] >> 1) & 3, mp3[at + 1] & 1,
          mp3[at + 2] >> 4,       (mp3[at + 2] >> 2) & 3, mp3[at + 3] >> 6,
          (mp3[at + 3] >> 3) & 1, (mp3[at + 3] >> 2) & 1};
}

bool HasInfoTag(const Encoded& e) {
  return std::string(e.mp3.begin(), e.mp3.begin() + 64).find("Info") != std::string::npos;
}

TEST(LameEncoder, FramesCarryTheConfiguredSettings) {
  const Encoded stereo = Encode(44100, 2, 128, 44100);
  EXPECT_EQ(stereo.samplesPerChunk, 2304u);
  EXPECT_EQ(stereo.outputBufferBytes, 1152u * 5 / 4 + 7200 + 512);
  EXPECT_TRUE(HasInfoTag(stereo));
  // The second frame starts after 144 x 128000 / 44100 bytes without padding.
  for (size_t at : {size_t{0}, size_t{417}}) {
    const FrameHeader h = HeaderAt(stereo.mp3, at);
    // MPEG-1 layer III, no CRC, 128 kbit/s, 44100 Hz, plain stereo, copyright, original.
    EXPECT_EQ((std::vector<int>{h.versionBits, h.layerBits, h.noCrc, h.bitrateIndex, h.rateIndex,
                                h.mode, h.copyright, h.original}),
              (std::vector<int>{3, 1, 1, 9, 0, 0, 1, 1}));
  }
  // Mono at a low bitrate keeps the source rate (48000 Hz); its 96-byte
  // frames cannot hold the Info tag, which gets a 192-byte 64 kbit/s frame.
  const Encoded mono = Encode(48000, 1, 32, 48000);
  EXPECT_EQ(mono.samplesPerChunk, 1152u);
  EXPECT_TRUE(HasInfoTag(mono));
  EXPECT_EQ(HeaderAt(mono.mp3, 0).bitrateIndex, 5);
  const FrameHeader m = HeaderAt(mono.mp3, 192);
  EXPECT_EQ((std::vector<int>{m.versionBits, m.rateIndex, m.mode, m.bitrateIndex}),
            (std::vector<int>{3, 1, 3, 1}));
  // Low rates use MPEG-2 frames of half the size.
  const Encoded low = Encode(22050, 2, 64, 22050);
  EXPECT_EQ(low.samplesPerChunk, 1152u);
  EXPECT_EQ(HeaderAt(low.mp3, 0).versionBits, 2);
}

TEST(LameEncoder, AVbrHeaderWithoutAClosedStreamFails) {  // rates: export_pipeline_test
  TempDir dir;
  EXPECT_NE(beWriteVBRHeader(dir.File("none.mp3").c_str()), BE_ERR_SUCCESSFUL);
}

}  // namespace
