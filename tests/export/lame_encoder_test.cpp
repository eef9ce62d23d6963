// SPDX-License-Identifier: GPL-3.0-or-later
// The encoder's configuration as written: constant bitrate, plain stereo or
// mono, copyright and original, no CRC, no resampling, and the Info tag in the
// first frame, in a frame of its own where the audio frames are too small.
#include <gtest/gtest.h>

#include <cstdio>

#include "export/export_pipeline.h"
#include "support/export_fakes.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace {

std::vector<uint8_t> Export(int rate, int channels, uint32_t kbps) {
  TempDir dir;
  const ExportJob job{.FileInfo = MakeInfo(AudioFileInfo::kTypeWav, rate, channels, 1000),
                      .EndSample = SampleIndex(rate), .SourceFileName = "memory.wav",
                      .OutFileName = dir.File("e.mp3"), .BitrateKbps = kbps};
  MemoryExportSource source(MakeTestSignal(rate, channels, rate), channels);
  RecordingHost host;
  ScriptedDialogs dialogs;
  EXPECT_TRUE(RunExport(job, host, dialogs, source));
  return ReadFileBytes(job.OutFileName);
}

// The frame header at `at` in hex, and whether the first 200 bytes hold the Info tag.
std::string HeaderAt(const std::vector<uint8_t>& mp3, size_t at) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%02x%02x%02x%02x", mp3.at(at), mp3[at + 1], mp3[at + 2],
                mp3[at + 3]);
  const bool tag = std::string(mp3.begin(), mp3.begin() + 200).find("Info") != std::string::npos;
  return hex + std::string(tag ? " Info" : "");
}

TEST(LameEncoder, FramesCarryTheConfiguredSettings) {
  // MPEG-1 layer III, no CRC (fb); 128 kbit/s, 44100 Hz (90); plain stereo, copyright, original
  // (0c). The second frame starts after 144 x 128000 / 44100 bytes without padding.
  const auto stereo = Export(44100, 2, 128);
  EXPECT_EQ(HeaderAt(stereo, 0), "fffb900c Info");
  EXPECT_EQ(HeaderAt(stereo, 417), "fffb900c Info");
  // Mono at 32 kbit/s keeps 48000 Hz (14, mono cc); its 96-byte frames cannot hold the Info tag,
  // which gets a 192-byte 64 kbit/s frame (54) in front.
  const auto mono = Export(48000, 1, 32);
  EXPECT_EQ(HeaderAt(mono, 0), "fffb54cc Info");
  EXPECT_EQ(HeaderAt(mono, 192), "fffb14cc Info");
  // Low rates use MPEG-2 frames (f3): 64 kbit/s at 22050 Hz.
  EXPECT_EQ(HeaderAt(Export(22050, 2, 64), 0), "fff3800c Info");
}

}  // namespace
