// The export's output file: nothing reaches the target before a clean commit,
// a temporary never stays, bytes already written can be patched, and the WAV
// writer's bytes. Full disks and locked folders are tested through the
// pipeline (export_pipeline_test), which reports them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "export/output_file.h"
#include "export/wav_writer.h"
#include "support/test_files.h"

namespace fs = std::filesystem;

namespace {

TEST(OutputFile, TargetIsUntouchedUntilCommitAndATemporaryNeverStays) {
  TempDir dir;
  const std::string target = dir.File("song.mp3");
  WriteText(target, "old");
  {
    OutputFile dropped;
    ASSERT_TRUE(dropped.Create(target));
    ASSERT_TRUE(dropped.Write("half", 4));
  }
  EXPECT_EQ(FilesIn(dir.path()), 1u);
  OutputFile file;
  ASSERT_TRUE(file.Create(target));
  ASSERT_TRUE(file.Write("new contents", 12));
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(ReadText(target), "old");
  EXPECT_TRUE(fs::exists(file.TempPath()));
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadText(target), "new contents");
  EXPECT_EQ(FilesIn(dir.path()), 1u);
  // The temporary's name is made from the target's and must stay within the
  // file system's limit even when the target's name is at it.
  const long nameMax = ::pathconf(dir.path().c_str(), _PC_NAME_MAX);
  const std::string longest = dir.File(std::string(static_cast<size_t>(nameMax) - 4, 'x') + ".wav");
  OutputFile longFile;
  ASSERT_TRUE(longFile.Create(longest));
  ASSERT_TRUE(longFile.Write("new", 3) && longFile.Commit());
  EXPECT_EQ(ReadText(longest), "new");
  EXPECT_FALSE(OutputFile().Create(dir.File("missing/song.mp3")));
}

TEST(OutputFile, WriteAtPatchesBytesAlreadyWrittenAcrossTheBuffer) {
  TempDir dir;
  OutputFile file;
  ASSERT_TRUE(file.Create(dir.File("big.bin")));
  const std::vector<uint8_t> block(100000, 'a');
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(file.Write(block.data(), block.size()));
  ASSERT_TRUE(file.WriteAt(2, "XY", 2) && file.Write("z", 1));
  ASSERT_TRUE(file.Commit());
  const auto bytes = ReadFileBytes(dir.File("big.bin"));
  ASSERT_EQ(bytes.size(), 500001u);
  EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 5), "aXYa");
  EXPECT_EQ(bytes[500000], 'z');
  ASSERT_TRUE(file.Create(dir.File("short.bin")) && file.Write("ab", 2));
  EXPECT_FALSE(file.WriteAt(1, "no", 2));  // beyond what was written
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
  // 22050 Hz mono: 44100 bytes a second, 2 a frame.
  const B pcm(401, 0x11);
  B expected = {'R', 'I', 'F', 'F', 0xB8, 1, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                18, 0, 0, 0, 1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0,
                2, 0, 16, 0, 0, 0, 'd', 'a', 't', 'a', 0x91, 1, 0, 0};
  expected.resize(46 + pcm.size(), 0x11);
  expected.push_back(0);  // the odd chunk's pad byte, counted by the RIFF size only
  EXPECT_EQ(write(22050, 1, pcm), expected);
  EXPECT_EQ(write(44100, 2, {}), empty);  // over the longer file just written
}

}  // namespace
