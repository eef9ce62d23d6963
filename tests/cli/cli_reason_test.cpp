// A file snipola-cli cannot use gets the program's own message and, on a
// second line, the reason.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/cli_command.h"
#include "support/riff_bytes.h"
#include "support/test_files.h"

namespace {

struct ReasonCase {
  const char* name;
  const char* fileName;
  std::vector<Bytes> chunks;  // of a RIFF WAVE file; none: no file at all
  const char* command;        // "info", or "cut" to an MP3
  const char* err;
};

Bytes Format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
  return FormatChunkBytes({tag, channels, rate, bits, 16});
}

Bytes Data() { return RiffChunkBytes("data", CountingBytes(400)); }

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
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.mp3")));
}

INSTANTIATE_TEST_SUITE_P(
    Files, CliReason,
    ::testing::Values(
        ReasonCase{"EightBit", "a.wav", {Format(1, 1, 8000, 8), Data()}, "info",
                   "File Error !\n8-bit samples: only 16-bit PCM WAV files can be read\n"},
        ReasonCase{"MuLaw", "a.wav", {Format(7, 1, 8000, 8), Data()}, "cut",
                   "File Error !\n8-bit \u00b5-law samples: only 16-bit PCM WAV files can be read\n"},
        ReasonCase{"Float", "a.wav", {Format(3, 2, 44100, 32), Data()}, "info",
                   "File Error !\n32-bit float samples: only 16-bit PCM WAV files can be read\n"},
        ReasonCase{"SixChannels", "a.wav", {Format(1, 6, 48000, 16), Data()}, "info",
                   "File Error !\n6 channels: only mono and stereo files can be read\n"},
        ReasonCase{"NoData", "a.wav", {Format(1, 2, 44100, 16)}, "info",
                   "File Error !\nno data chunk\n"},
        ReasonCase{"Missing", "a.wav", {}, "info",
                   "Error while open wav file\nNo such file or directory\n"},
        ReasonCase{"NotMp3", "a.mp3", {Format(1, 2, 44100, 16), Data()}, "info",
                   "Error while open mp3 file\nno MPEG audio frames found\n"},
        ReasonCase{"OtherType", "a.ogg", {}, "info",
                   "We can only accept mp3 and wav file\nonly files named .mp3 or .wav can be "
                   "read\n"},
        ReasonCase{"TooFastForMp3", "a.wav", {Format(1, 2, 96000, 16), Data()}, "cut",
                   "Can't start the MP3 encoder\n96000 Hz cannot be encoded as MP3: MP3 holds "
                   "8000 to 48000 Hz\n"},
        ReasonCase{"OddRate", "a.wav", {Format(1, 1, 44000, 16), Data()}, "cut",
                   "Can't start the MP3 encoder\n44000 Hz is not an MP3 sample rate: 8000 11025 "
                   "12000 16000 22050 24000 32000 44100 48000\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
