// The export's output: nothing reaches the target before a clean commit, the
// same-file and replaceability checks, and the WAV and RIFF writers' bytes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "export/output_file.h"
#include "export/wav_writer.h"
#include "support/export_fakes.h"
#include "support/test_files.h"

namespace fs = std::filesystem;

namespace {

void Commit(const std::string& path, const std::string& text) {
  OutputFile file;
  ASSERT_TRUE(file.Create(path));
  ASSERT_TRUE(file.Write(text.data(), text.size()));
  ASSERT_TRUE(file.Commit());
}

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
  Commit(longest, "new");
  EXPECT_EQ(ReadText(longest), "new");
}

TEST(OutputFile, WriteAtPatchesBytesAlreadyWrittenAcrossTheBuffer) {
  TempDir dir;
  OutputFile file;
  ASSERT_TRUE(file.Create(dir.File("big.bin")));
  const std::vector<uint8_t> block(100000, 'a');
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(file.Write(block.data(), block.size()));
  ASSERT_TRUE(file.WriteAt(2, "XY", 2));
  ASSERT_TRUE(file.Write("z", 1));
  EXPECT_FALSE(file.WriteAt(500000, "no", 2));  // beyond what was written
  file.Abandon();
  EXPECT_EQ(FilesIn(dir.path()), 0u);
  OutputFile again;
  ASSERT_TRUE(again.Create(dir.File("big.bin")));
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(again.Write(block.data(), block.size()));
  ASSERT_TRUE(again.WriteAt(2, "XY", 2));
  ASSERT_TRUE(again.Write("z", 1));
  ASSERT_TRUE(again.Commit());
  const auto bytes = ReadFileBytes(dir.File("big.bin"));
  ASSERT_EQ(bytes.size(), 500001u);
  EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 5), "aXYa");
  EXPECT_EQ(bytes[500000], 'z');
}

TEST(OutputFile, CreateFailsInAMissingOrLockedFolderAndAFullDiskFailsTheCommit) {
  TempDir dir(TempDir::Where::SystemTemp);
  OutputFile missing;
  EXPECT_FALSE(missing.Create(dir.File("missing/song.mp3")));
  const fs::path folder = dir.path() / "locked";
  fs::create_directory(folder);
  ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
  fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const std::string locked = (folder / "song.mp3").string();
  EXPECT_EQ(RunInChild([&] { return OutputFile().Create(locked) ? 1 : 0; }, true), 0);
  EXPECT_TRUE(fs::is_empty(folder));

  const std::string target = dir.File("song.wav");
  WriteText(target, "old");
  OutputFile file;
  ASSERT_TRUE(file.Create(target));
  bool ok = true;
  {
    FileSizeLimit limit(100 * 1024);
    const std::vector<uint8_t> block(8192, 1);
    for (int i = 0; i < 50; ++i) ok = file.Write(block.data(), block.size()) && ok;
    ok = file.Close() && ok;
  }
  EXPECT_FALSE(ok);
  EXPECT_TRUE(file.Failed());
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(ReadText(target), "old");
  EXPECT_EQ(FilesIn(dir.path()), 2u);  // the target and the locked folder
}

TEST(OutputFile, SameFileAndReplaceability) {
  TempDir dir;
  const std::string source = dir.File("song.mp3");
  WriteText(source, "x");
  fs::create_symlink(source, dir.path() / "link.mp3");
  const fs::path cwd = fs::current_path();
  fs::current_path(dir.path());
  const bool throughMissingFolder = IsSameFile("./sub/../song.mp3", source);
  const bool notCreated = IsSameFile("other.mp3", source);
  fs::create_directory("sub");
  const bool throughFolder = IsSameFile("sub/../song.mp3", source);
  fs::current_path(cwd);
  EXPECT_FALSE(throughMissingFolder);  // "sub" did not exist yet: the path names nothing
  EXPECT_FALSE(notCreated);
  EXPECT_TRUE(throughFolder);
  EXPECT_TRUE(IsSameFile(dir.File("link.mp3"), source));
  EXPECT_FALSE(IsSameFile(dir.File("SONG.MP3"), source));
  fs::create_directory(dir.path() / "b.mp3");
  EXPECT_TRUE(CanReplaceFile(source));
  EXPECT_FALSE(CanReplaceFile(dir.File("b.mp3")));
}

std::vector<uint8_t> WriteWav(const std::string& path, int rate, int channels,
                              const std::vector<uint8_t>& pcm) {
  OutputFile file;
  EXPECT_TRUE(file.Create(path));
  WavWriter wav(file);
  EXPECT_TRUE(wav.Create(MakeInfo(AudioFileInfo::kTypeWav, rate, channels)));
  if (!pcm.empty()) {
    EXPECT_TRUE(wav.Append(pcm.data(), static_cast<uint32_t>(pcm.size())));
  }
  EXPECT_TRUE(wav.Finish());
  EXPECT_TRUE(file.Commit());
  return ReadFileBytes(path);
}

TEST(WavWriter, HeaderIsTheFortySixBytesOfTheSourceFormatThenThePcm) {
  TempDir dir;
  using B = std::vector<uint8_t>;
  const B empty = {'R', 'I', 'F', 'F', 38, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                   18, 0, 0, 0, 1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 0x02, 0,
                   4, 0, 16, 0, 0, 0, 'd', 'a', 't', 'a', 0, 0, 0, 0};
  EXPECT_EQ(WriteWav(dir.File("a.wav"), 44100, 2, {}), empty);
  // 22050 Hz mono over an old, longer file: 44100 bytes a second, 2 a frame.
  WriteWavFile(dir.File("b.wav"), 44100, 2, std::vector<int16_t>(100000, 7));
  const B pcm(401, 0x11);
  B expected = {'R', 'I', 'F', 'F', 0xB8, 1, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                18, 0, 0, 0, 1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0,
                2, 0, 16, 0, 0, 0, 'd', 'a', 't', 'a', 0x91, 1, 0, 0};
  expected.resize(46 + pcm.size(), 0x11);
  expected.push_back(0);  // the odd chunk's pad byte, counted by the RIFF size only
  EXPECT_EQ(WriteWav(dir.File("b.wav"), 22050, 1, pcm), expected);
}

TEST(WavWriter, FullDiskIsReportedByAppendOrFinish) {
  TempDir dir;
  OutputFile file;
  ASSERT_TRUE(file.Create(dir.File("full.wav")));
  WavWriter wav(file);
  ASSERT_TRUE(wav.Create(MakeInfo(AudioFileInfo::kTypeWav, 44100, 2)));
  bool ok = true;
  {
    FileSizeLimit limit(64 * 1024);
    const std::vector<uint8_t> block(8192, 3);
    for (int i = 0; i < 100 && ok; ++i) ok = wav.Append(block.data(), 8192);
    ok = ok && wav.Finish() && file.Close();
  }
  EXPECT_FALSE(ok);
  EXPECT_FALSE(file.Commit());
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

}  // namespace
