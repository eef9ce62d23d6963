// The export's output file: nothing reaches the target before a clean
// commit, and the same-file and replaceability checks.
#include "export/output_file.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "support/export_fakes.h"
#include "support/test_files.h"

namespace fs = std::filesystem;

namespace {

void WriteText(const std::string& path, const std::string& text) {
  OutputFile file;
  ASSERT_TRUE(file.Create(path));
  ASSERT_TRUE(file.Write(text.data(), text.size()));
  ASSERT_TRUE(file.Commit());
}

std::string ReadText(const std::string& path) {
  const auto bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

TEST(OutputFile, TargetIsUntouchedUntilCommit) {
  TempDir dir;
  const std::string target = dir.File("song.mp3");
  WriteText(target, "old");
  OutputFile file;
  ASSERT_TRUE(file.Create(target));
  ASSERT_TRUE(file.Write("new contents", 12));
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(ReadText(target), "old");
  EXPECT_TRUE(fs::exists(file.TempPath()));
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadText(target), "new contents");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(OutputFile, DestroyingWithoutCommitRemovesTheTemporaryFile) {
  TempDir dir;
  const std::string target = dir.File("song.wav");
  WriteText(target, "old");
  {
    OutputFile file;
    ASSERT_TRUE(file.Create(target));
    ASSERT_TRUE(file.Write("half", 4));
  }
  EXPECT_EQ(ReadText(target), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
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
  OutputFile again;
  ASSERT_TRUE(again.Create(dir.File("big.bin")));
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(again.Write(block.data(), block.size()));
  ASSERT_TRUE(again.WriteAt(2, "XY", 2));
  ASSERT_TRUE(again.Write("z", 1));
  ASSERT_TRUE(again.Commit());
  const auto bytes = ReadFileBytes(dir.File("big.bin"));
  ASSERT_EQ(bytes.size(), 500001u);
  EXPECT_EQ(bytes[1], 'a');
  EXPECT_EQ(bytes[2], 'X');
  EXPECT_EQ(bytes[3], 'Y');
  EXPECT_EQ(bytes[500000], 'z');
}

TEST(OutputFile, TargetWithTheLongestNameTheFolderAllowsCanBeWritten) {
  // The temporary file's name is made from the target's; it must stay within
  // the file system's limit on a name even when the target's name is at it.
  TempDir dir;
  const long nameMax = ::pathconf(dir.path().c_str(), _PC_NAME_MAX);
  ASSERT_GT(nameMax, 4);
  const std::string target = dir.File(std::string(static_cast<size_t>(nameMax) - 4, 'x') + ".wav");
  WriteText(target, "new");
  EXPECT_EQ(ReadText(target), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(OutputFile, CreateFailsInAMissingFolder) {
  TempDir dir;
  OutputFile file;
  EXPECT_FALSE(file.Create(dir.File("missing/song.mp3")));
}

TEST(OutputFile, CreateFailsInAFolderWithoutWritePermission) {
  TempDir dir(TempDir::Where::SystemTemp);
  const fs::path folder = dir.path() / "locked";
  fs::create_directory(folder);
  ::chown(folder.c_str(), 65534, 65534);
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read |
                              fs::perms::others_exec);
  const std::string target = (folder / "song.mp3").string();
  const int created = RunInChild(
      [&] {
        OutputFile file;
        return file.Create(target) ? 1 : 0;
      },
      true);
  EXPECT_EQ(created, 0);
  EXPECT_TRUE(fs::is_empty(folder));
}

TEST(OutputFile, AFullDiskFailsTheExportAndKeepsTheOldTarget) {
  TempDir dir;
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
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(SameFile, RecognisesTheSameFileUnderOtherSpellings) {
  TempDir dir;
  const std::string source = dir.File("song.mp3");
  WriteText(source, "x");
  fs::create_symlink(source, dir.path() / "link.mp3");
  const fs::path cwd = fs::current_path();
  fs::current_path(dir.path());
  const bool relative = IsSameFile("./sub/../song.mp3", source);
  const bool notCreated = IsSameFile("other.mp3", source);
  fs::create_directory("sub");
  const bool throughFolder = IsSameFile("sub/../song.mp3", source);
  fs::current_path(cwd);
  EXPECT_FALSE(relative);  // "sub" did not exist yet, so the path names nothing
  EXPECT_TRUE(throughFolder);
  EXPECT_FALSE(notCreated);
  EXPECT_TRUE(IsSameFile(dir.File("link.mp3"), source));
  EXPECT_TRUE(IsSameFile(dir.File("./song.mp3"), source));
  EXPECT_FALSE(IsSameFile(dir.File("SONG.MP3"), source));
}

TEST(CanReplaceFile, RefusesAFolderAndAcceptsAFileInAWritableFolder) {
  TempDir dir;
  WriteText(dir.File("a.mp3"), "x");
  fs::create_directory(dir.path() / "b.mp3");
  EXPECT_TRUE(CanReplaceFile(dir.File("a.mp3")));
  EXPECT_FALSE(CanReplaceFile(dir.File("b.mp3")));
}

}  // namespace
