// Gathering blocks into encoder chunks.
#include "export/mp3_chunker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Recorder {
  std::vector<std::string> chunks;
  bool answer = true;
  bool operator()(const uint8_t* chunk) {
    chunks.emplace_back(reinterpret_cast<const char*>(chunk), 8);
    return answer;
  }
};

bool Feed(Mp3Chunker& chunker, const std::string& block, Recorder& recorder) {
  return chunker.Feed(reinterpret_cast<const uint8_t*>(block.data()),
                      static_cast<uint32_t>(block.size()), std::ref(recorder));
}

std::string Pending(const Mp3Chunker& chunker) {
  return std::string(reinterpret_cast<const char*>(chunker.Data()), chunker.FillBytes());
}

TEST(Mp3Chunker, ChunkIsCompletedAcrossBlocks) {
  Mp3Chunker chunker(8);
  Recorder recorder;
  EXPECT_TRUE(Feed(chunker, "abcde", recorder));
  EXPECT_TRUE(recorder.chunks.empty());
  EXPECT_TRUE(Feed(chunker, "fghijkl", recorder));
  EXPECT_EQ(recorder.chunks, (std::vector<std::string>{"abcdefgh"}));
  EXPECT_EQ(Pending(chunker), "ijkl");
}

TEST(Mp3Chunker, BlockThatExactlyFillsTheSpaceIsEncodedAtOnce) {
  Mp3Chunker chunker(8);
  Recorder recorder;
  Feed(chunker, "abc", recorder);
  Feed(chunker, "defgh", recorder);
  EXPECT_EQ(recorder.chunks, (std::vector<std::string>{"abcdefgh"}));
  EXPECT_EQ(chunker.FillBytes(), 0u);
}

TEST(Mp3Chunker, LongBlockGivesSeveralChunksInOrder) {
  Mp3Chunker chunker(8);
  Recorder recorder;
  Feed(chunker, "ab", recorder);
  Feed(chunker, "cdefghijklmnopqrstu", recorder);
  EXPECT_EQ(recorder.chunks, (std::vector<std::string>{"abcdefgh", "ijklmnop"}));
  EXPECT_EQ(Pending(chunker), "qrstu");
}

TEST(Mp3Chunker, EncoderFailureStopsTheBlock) {
  Mp3Chunker chunker(8);
  Recorder recorder;
  recorder.answer = false;
  EXPECT_FALSE(Feed(chunker, "abcdefghijklmnopqrstuvwxyz", recorder));
  EXPECT_EQ(recorder.chunks.size(), 1u);
}

}  // namespace
