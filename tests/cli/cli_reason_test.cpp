// SPDX-License-Identifier: GPL-3.0-or-later
// A file snipola-cli cannot use gets the program's own message and, on a
// second line, the reason.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli_command.h"
#include "support/riff_bytes.h"
#include "support/test_files.h"

namespace {

Bytes Wave(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, bool data = true) {
  std::vector<Bytes> chunks = {FormatChunkBytes({tag, channels, rate, bits, 16})};
  if (data) chunks.push_back(RiffChunkBytes("data", CountingBytes(400)));
  return RiffWaveBytes(chunks);
}

TEST(CliReason, FollowsTheMessageOnASecondLine) {
  const std::string mp3InWav =
      "MP3 data inside a WAV file: only 16-bit PCM WAV files can be read\n";
  const std::string cantEncode = "Can't start the MP3 encoder\n";
  const struct {
    const char* fileName;
    Bytes bytes;
    const char* command;  // "info", or "cut" to an MP3
    std::string err;
  } rows[] = {
      {"a.wav", Wave(1, 1, 8000, 8), "info",
       "File Error !\n8-bit samples: only 16-bit PCM WAV files can be read\n"},
      {"a.wav", Wave(0x55, 2, 44100, 0), "info", "File Error !\n" + mp3InWav},
      {"a.wav", Wave(0x55, 2, 44100, 16), "info", "File Error !\n" + mp3InWav},
      {"a.wav", Wave(1, 6, 48000, 16), "info",
       "File Error !\n6 channels: only mono and stereo files can be read\n"},
      {"a.wav", Wave(1, 2, 44100, 16, false), "info", "File Error !\nno data chunk\n"},
      {"a.mp3", Wave(1, 2, 44100, 16), "info",
       "Error while open mp3 file\nno MPEG audio frames found\n"},
      {"a.wav", Wave(1, 2, 96000, 16), "cut",
       cantEncode + "96000 Hz cannot be encoded as MP3: MP3 holds 8000 to 48000 Hz\n"},
      {"a.wav", Wave(1, 1, 44000, 16), "cut",
       cantEncode + "44000 Hz is not an MP3 sample rate: 8000 11025 12000 16000 22050 24000 "
                    "32000 44100 48000\n"}};
  for (const auto& row : rows) {
    TempDir dir;
    const std::string path = dir.File(row.fileName);
    WriteBytesToFile(path, row.bytes);
    CliArgs args = {row.command, path};
    if (std::string(row.command) == "cut") args.insert(args.end(), {"-o", dir.File("out.mp3")});
    std::ostringstream out, err;
    EXPECT_EQ(RunCli(args, out, err), 1) << row.err;
    EXPECT_EQ(err.str(), row.err);
  }
}

}  // namespace
