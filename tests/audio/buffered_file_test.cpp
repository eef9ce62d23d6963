#include "audio/buffered_file.h"

#include <gtest/gtest.h>

#include "support/riff_bytes.h"
#include "support/test_files.h"

namespace {

// Reads and seeks mixed the way a frame scanner uses them must give the
// file's bytes at the positions asked for, across buffer refills.
TEST(BufferedFile, ReadsAndSeeksAgreeWithTheFileAcrossRefills) {
  TempDir dir;
  const std::string path = dir.File("f.bin");
  const Bytes bytes = CountingBytes(300000, 3);
  WriteBytesToFile(path, bytes);
  struct stat status {};
  auto file = BufferedFile::Open(path, status);
  ASSERT_TRUE(file);
  EXPECT_EQ(status.st_size, 300000);

  uint8_t header[4];
  off_t position = 0;
  while (position + 4 <= 300000) {  // 4-byte header, then skip a 413-byte body
    ASSERT_EQ(file->Read(header, 4), 4);
    ASSERT_EQ(header[0], bytes[static_cast<size_t>(position)]);
    ASSERT_EQ(header[3], bytes[static_cast<size_t>(position) + 3]);
    position = file->Seek(413, SEEK_CUR);
    ASSERT_EQ(position % 417, 0);
  }
  std::vector<uint8_t> large(200000);
  ASSERT_EQ(file->Seek(1000, SEEK_SET), 1000);
  ASSERT_EQ(file->Read(large.data(), large.size()), 200000);
  EXPECT_TRUE(std::equal(large.begin(), large.end(), bytes.begin() + 1000));
  ASSERT_EQ(file->Seek(999, SEEK_SET), 999);  // back by one: into the old position
  ASSERT_EQ(file->Read(header, 1), 1);
  EXPECT_EQ(header[0], bytes[999]);
  EXPECT_EQ(file->Seek(-10, SEEK_END), 299990);
  EXPECT_EQ(file->Read(large.data(), 100), 10);
  EXPECT_EQ(large[9], bytes[299999]);
  EXPECT_EQ(file->Read(large.data(), 100), 0);
  EXPECT_EQ(file->Seek(-1, SEEK_SET), -1);
}

TEST(BufferedFile, OnlyRegularFilesOpen) {
  TempDir dir;
  struct stat status {};
  EXPECT_FALSE(BufferedFile::Open(dir.File("missing"), status));
  EXPECT_FALSE(BufferedFile::Open(dir.path().string(), status));
}

}  // namespace
