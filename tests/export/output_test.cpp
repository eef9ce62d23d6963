// SPDX-License-Identifier: GPL-3.0-or-later
// The export's output file: nothing reaches the target before a clean commit
// and a temporary never stays; the WAV writer's bytes, also past 4 GiB. Full disks:
// export_pipeline_test; sizes patched past the buffer: export_roundtrip_test.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "export/output_file.h"
#include "export/wav_writer.h"
#include "support/test_files.h"

namespace fs = std::filesystem;

namespace {

TEST(OutputFile, TargetIsUntouchedUntilCommitAndATemporaryNeverStays) {
  TempDir dir;
  const std::string target = dir.File("song.mp3");
  WriteText(target, "old");
  ASSERT_TRUE(OutputFile().Create(target));  // dropped unfinished
  EXPECT_EQ(FilesIn(dir.path()), 1u);
  OutputFile file;
  ASSERT_TRUE(file.Create(target) && file.Write("new contents", 12) && file.Close());
  EXPECT_EQ(ReadText(target), "old");
  EXPECT_TRUE(fs::exists(file.TempPath()));
  ASSERT_TRUE(file.Commit());
  EXPECT_TRUE(ReadText(target) == "new contents" && FilesIn(dir.path()) == 1u);
  // The temporary's name, made from the target's, fits even when the target's is at the limit.
  const long nameMax = ::pathconf(dir.path().c_str(), _PC_NAME_MAX);
  const std::string longest = dir.File(std::string(static_cast<size_t>(nameMax) - 4, 'x') + ".wav");
  // A new file gets read and write for all, less what the user's umask takes away.
  const mode_t umaskBefore = ::umask(022);
  const bool committed = file.Create(longest) && file.Write("new", 3) && file.Commit();
  ::umask(umaskBefore);
  ASSERT_TRUE(committed);
  EXPECT_EQ(ReadText(longest), "new");
  using enum fs::perms;
  EXPECT_EQ(fs::status(longest).permissions(), owner_read | owner_write | group_read | others_read);
}

TEST(WavWriter, HeaderIsTheFortySixBytesOfTheSourceFormatThenThePcm) {
  TempDir dir;
  using B = std::vector<uint8_t>;
  const auto write = [&](int rate, int channels, const B& pcm) {
    OutputFile file;
    EXPECT_TRUE(file.Create(dir.File("a.wav")));
    WavWriter wav(file);
    EXPECT_TRUE(wav.Create(MakeInfo(AudioFileInfo::kTypeWav, rate, channels)));
    EXPECT_TRUE(pcm.empty() || wav.Append(pcm.data(), static_cast<uint32_t>(pcm.size())));
    EXPECT_TRUE(wav.Finish() && file.Commit());
    return ReadFileBytes(dir.File("a.wav"));
  };
  const B empty = {'R', 'I', 'F', 'F', 38, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                   18, 0, 0, 0, 1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 0x02, 0,
                   4, 0, 16, 0, 0, 0, 'd', 'a', 't', 'a', 0, 0, 0, 0};
  const B pcm(401, 0x11);  // 22050 Hz mono: 44100 bytes a second, 2 a frame
  B expected = {'R', 'I', 'F', 'F', 0xB8, 1, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                18, 0, 0, 0, 1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0,
                2, 0, 16, 0, 0, 0, 'd', 'a', 't', 'a', 0x91, 1, 0, 0};
  expected.resize(46 + pcm.size(), 0x11);
  expected.push_back(0);  // the odd chunk's pad byte, counted by the RIFF size only
  EXPECT_EQ(write(22050, 1, pcm), expected);
  EXPECT_EQ(write(44100, 2, {}), empty);  // over the longer file just written
}

// Planned past 4 GiB: a JUNK chunk keeps room for ds64. A file that then passes 4 GiB becomes RF64
// with its sizes in ds64 (read back: wav_test), one that stays below keeps RIFF; the most a plain
// header holds has none. The gigabytes are a hole in a sparse file.
TEST(WavWriter, PastFourGibibytesTheFileBecomesRf64) {
  TempDir dir;
  const uint64_t big = (uint64_t{1} << 32) + 4;
  const auto le = [](uint64_t value, int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i) bytes += static_cast<char>(i < 8 ? value >> (8 * i) : 0);
    return bytes;
  };
  const std::string rf64 = "RF64" + le(~0u, 4) + "WAVEds64" + le(28, 4) + le(74 + big, 8) +
                           le(big, 8) + le(big / 4, 8) + le(0, 4) + "fmt ";
  const std::string riff = "RIFF" + le(74 + 1000, 4) + "WAVEJUNK" + le(28, 4) + le(0, 28) + "fmt ";
  const uint64_t most = (uint64_t{1} << 32) - 40;  // the most a plain RIFF of 46 bytes holds
  const std::string plain = "RIFF" + le(most + 38, 4) + "WAVEfmt ";
  for (const auto& [planned, dataBytes, head, dataSize] :
       {std::tuple{big, big, rf64, ~0u}, {big, 1000, riff, 1000}, {most, most, plain, ~39u}}) {
    OutputFile file;
    WavWriter wav(file);
    const uint8_t pcm[4] = {1, 2, 3, 4};
    ASSERT_TRUE(file.Create(dir.File("big.wav")) &&
                wav.Create(MakeInfo(AudioFileInfo::kTypeWav, 44100, 2), planned) &&
                wav.Append(pcm, 4) && file.AppendZeros(dataBytes - 4) && wav.Finish() &&
                file.Commit());
    std::string header(82, '\0');
    std::ifstream(dir.File("big.wav"), std::ios::binary).read(header.data(), 82);
    EXPECT_EQ(header.substr(0, head.size()) + header.substr(header.find("data"), 8),
              head + "data" + le(dataSize, 4));
  }
}

}  // namespace
