#include "audio/riff_reader.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/riff_bytes.h"
#include "support/test_files.h"

namespace {

class RiffReaderTest : public ::testing::Test {
 protected:
  std::string Write(const Bytes& bytes) {
    const std::string path = dir_.File("file.wav");
    WriteBytesToFile(path, bytes);
    return path;
  }
  TempDir dir_;
  RiffReader reader_;
};

TEST_F(RiffReaderTest, FindsChildChunksInAnyOrderAndSkipsOddPadding) {
  const std::string path = Write(RiffWaveBytes({RiffChunkBytes("LIST", CountingBytes(5)),
                                                RiffChunkBytes("data", CountingBytes(4, 10)),
                                                RiffChunkBytes("fmt ", CountingBytes(3, 20))}));
  ASSERT_TRUE(reader_.Open(path));
  RiffChunk riff;
  ASSERT_TRUE(reader_.DescendRiff(MakeFourCC("WAVE"), riff));
  EXPECT_EQ(riff.formType, MakeFourCC("WAVE"));
  EXPECT_EQ(riff.dataOffset, 12);

  RiffChunk fmt;
  ASSERT_TRUE(reader_.DescendChunk(MakeFourCC("fmt "), riff, fmt));
  EXPECT_EQ(fmt.sizeBytes, 3u);
  // LIST (8 + 5 + pad) and data (8 + 4) come first.
  EXPECT_EQ(fmt.dataOffset, 12 + 14 + 12 + 8);
  uint8_t body[3];
  ASSERT_EQ(reader_.Read(body, 3), 3);
  EXPECT_EQ(body[0], 20);
  EXPECT_EQ(body[2], 22);

  ASSERT_TRUE(reader_.Seek(riff.dataOffset));
  RiffChunk data;
  ASSERT_TRUE(reader_.DescendChunk(MakeFourCC("data"), riff, data));
  EXPECT_EQ(data.dataOffset, 12 + 14 + 8);
  EXPECT_EQ(reader_.Tell(), data.dataOffset);
}

TEST_F(RiffReaderTest, ChunksAfterTheEndOfTheRiffChunkAreNotItsChildren) {
  Bytes bytes = RiffWaveBytes({RiffChunkBytes("fmt ", CountingBytes(16))});
  const Bytes outside = RiffChunkBytes("data", CountingBytes(8));
  bytes.insert(bytes.end(), outside.begin(), outside.end());
  ASSERT_TRUE(reader_.Open(Write(bytes)));
  RiffChunk riff, chunk;
  ASSERT_TRUE(reader_.DescendRiff(MakeFourCC("WAVE"), riff));
  EXPECT_FALSE(reader_.DescendChunk(MakeFourCC("data"), riff, chunk));
}

TEST_F(RiffReaderTest, SearchEndsAtTheEndOfTheFileWhenSizesClaimMore) {
  // The RIFF size and a chunk size both claim far more than the file holds.
  Bytes bytes = RiffWaveBytes({RiffChunkBytes("LIST", CountingBytes(6), 0x7FFFFFF0u)});
  bytes[4] = bytes[5] = bytes[6] = bytes[7] = 0xFF;
  ASSERT_TRUE(reader_.Open(Write(bytes)));
  RiffChunk riff, chunk;
  ASSERT_TRUE(reader_.DescendRiff(MakeFourCC("WAVE"), riff));
  EXPECT_FALSE(reader_.DescendChunk(MakeFourCC("data"), riff, chunk));
  RiffChunk list;
  ASSERT_TRUE(reader_.Seek(riff.dataOffset));
  ASSERT_TRUE(reader_.DescendChunk(MakeFourCC("LIST"), riff, list));
  EXPECT_EQ(list.endOffset, list.dataOffset + 0x7FFFFFF0);
}

TEST_F(RiffReaderTest, AnotherFormOrNoRiffAtAllIsNotFound) {
  RiffChunk riff;
  Bytes avi = RiffWaveBytes({});
  avi[8] = 'A';
  avi[9] = 'V';
  avi[10] = 'I';
  avi[11] = ' ';
  ASSERT_TRUE(reader_.Open(Write(avi)));
  EXPECT_FALSE(reader_.DescendRiff(MakeFourCC("WAVE"), riff));
  ASSERT_TRUE(reader_.Open(Write(CountingBytes(100))));
  EXPECT_FALSE(reader_.DescendRiff(MakeFourCC("WAVE"), riff));
  ASSERT_TRUE(reader_.Open(Write({})));
  EXPECT_FALSE(reader_.DescendRiff(MakeFourCC("WAVE"), riff));
}

TEST_F(RiffReaderTest, ReadsStopAtTheEndOfTheFileAndSeeksStayInside) {
  ASSERT_TRUE(reader_.Open(Write(CountingBytes(10))));
  EXPECT_EQ(reader_.FileSizeBytes(), 10);
  uint8_t buffer[16];
  EXPECT_TRUE(reader_.Seek(6));
  EXPECT_EQ(reader_.Read(buffer, 16), 4);
  EXPECT_EQ(buffer[0], 6);
  EXPECT_EQ(reader_.Read(buffer, 16), 0);
  EXPECT_FALSE(reader_.Seek(11));
  EXPECT_FALSE(reader_.Seek(-1));
  EXPECT_TRUE(reader_.Seek(10));
}

TEST_F(RiffReaderTest, EveryCallFailsWithoutAnOpenFile) {
  EXPECT_FALSE(reader_.Open(dir_.File("missing.wav")));
  EXPECT_FALSE(reader_.Open(dir_.path().string()));  // a folder is no RIFF file
  EXPECT_FALSE(reader_.IsOpen());
  RiffChunk chunk;
  uint8_t buffer[4];
  EXPECT_FALSE(reader_.DescendRiff(MakeFourCC("WAVE"), chunk));
  EXPECT_FALSE(reader_.DescendChunk(MakeFourCC("data"), chunk, chunk));
  EXPECT_EQ(reader_.Read(buffer, 4), -1);
  EXPECT_FALSE(reader_.Seek(0));
  reader_.Close();
  reader_.Close();
}

TEST_F(RiffReaderTest, ReachesChunksBeyondTwoGigabytesOfOffset) {
  // A sparse file: a JUNK chunk of 3.5 GB, then a small data chunk at an offset
  // beyond what a signed 32-bit offset reaches.
  const std::string path = dir_.File("big.wav");
  const uint32_t junkBytes = 0xE0000000u;
  {
    std::ofstream out(path, std::ios::binary);
    Bytes head = RiffWaveBytes({});
    head[4] = head[5] = head[6] = head[7] = 0xFF;
    const Bytes junkHeader = RiffChunkBytes("JUNK", {}, junkBytes);
    head.insert(head.end(), junkHeader.begin(), junkHeader.end());
    out.write(reinterpret_cast<const char*>(head.data()),
              static_cast<std::streamsize>(head.size()));
    out.seekp(static_cast<std::streamoff>(head.size()) + junkBytes);
    const Bytes data = RiffChunkBytes("data", CountingBytes(4, 7));
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
    ASSERT_TRUE(out.good()) << "the file system holds no sparse file this large";
  }
  ASSERT_TRUE(reader_.Open(path));
  RiffChunk riff, data;
  ASSERT_TRUE(reader_.DescendRiff(MakeFourCC("WAVE"), riff));
  ASSERT_TRUE(reader_.DescendChunk(MakeFourCC("data"), riff, data));
  EXPECT_EQ(data.dataOffset, 12 + 8 + int64_t{junkBytes} + 8);
  uint8_t body[4];
  ASSERT_EQ(reader_.Read(body, 4), 4);
  EXPECT_EQ(body[3], 10);
}

}  // namespace
