// A file snipola-cli cannot use gets the program's own message and, on a
// second line, the reason.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli_command.h"
#include "support/riff_bytes.h"
#include "support/test_files.h"

namespace {

struct ReasonCase {
  const char* fileName;
  std::vector<Bytes> chunks;  // of a RIFF WAVE file; none: no file at all
  const char* command;        // "info", or "cut" to an MP3
  std::string err;
};

Bytes Format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
  return FormatChunkBytes({tag, channels, rate, bits, 16});
}

class CliReason : public ::testing::TestWithParam<ReasonCase> {};

TEST_P(CliReason, FollowsTheMessageOnASecondLine) {
  const ReasonCase& row = GetParam();
  TempDir dir;
  const std::string path = dir.File(row.fileName);
  if (!row.chunks.empty()) WriteBytesToFile(path, RiffWaveBytes(row.chunks));
  CliArgs args = {row.command, path};
  if (std::string(row.command) == "cut") args.insert(args.end(), {"-o", dir.File("out.mp3")});
  std::ostringstream out, err;
  EXPECT_EQ(RunCli(args, out, err), 1);
  EXPECT_EQ(err.str(), row.err);
}

const Bytes kData = RiffChunkBytes("data", CountingBytes(400));
constexpr const char* kOnly16 = " samples: only 16-bit PCM WAV files can be read\n";

INSTANTIATE_TEST_SUITE_P(
    Files, CliReason,
    ::testing::Values(
        ReasonCase{"a.wav",
                   {Format(1, 1, 8000, 8), kData},
                   "info",
                   std::string("File Error !\n8-bit") + kOnly16},
        ReasonCase{"a.wav",
                   {Format(7, 1, 8000, 8), kData},
                   "cut",
                   std::string("File Error !\n8-bit \u00b5-law") + kOnly16},
        ReasonCase{"a.wav",
                   {Format(1, 6, 48000, 16), kData},
                   "info",
                   "File Error !\n6 channels: only mono and stereo files can be read\n"},
        ReasonCase{"a.wav", {Format(1, 2, 44100, 16)}, "info", "File Error !\nno data chunk\n"},
        ReasonCase{"a.wav", {}, "info", "Error while open wav file\nNo such file or directory\n"},
        ReasonCase{"a.mp3",
                   {Format(1, 2, 44100, 16), kData},
                   "info",
                   "Error while open mp3 file\nno MPEG audio frames found\n"},
        ReasonCase{"a.wav",
                   {Format(1, 2, 96000, 16), kData},
                   "cut",
                   "Can't start the MP3 encoder\n96000 Hz cannot be encoded as MP3: MP3 holds "
                   "8000 to 48000 Hz\n"},
        ReasonCase{"a.wav",
                   {Format(1, 1, 44000, 16), kData},
                   "cut",
                   "Can't start the MP3 encoder\n44000 Hz is not an MP3 sample rate: 8000 11025 "
                   "12000 16000 22050 24000 32000 44100 48000\n"}));

TEST(CliCut, RatesWithoutTheUsualBitratesStillCut) {
  TempDir dir;
  WriteWavFile(dir.File("low.wav"), 8000, 1, MakeTestSignal(8000, 1, 8000));
  WriteWavFile(dir.File("high.wav"), 96000, 2, MakeTestSignal(9600, 2, 96000));
  std::ostringstream out, err;
  EXPECT_EQ(RunCli({"cut", dir.File("low.wav"), "-o", dir.File("low.mp3")}, out, err), 0);
  EXPECT_EQ(RunCli({"cut", dir.File("high.wav"), "-o", dir.File("high.wav.wav")}, out, err), 0);
  EXPECT_EQ(RunCli({"info", dir.File("low.mp3")}, out, err), 0);
  EXPECT_NE(out.str().find("bitrate_kbps: 64\n"), std::string::npos) << out.str() << err.str();
}

}  // namespace
