// Lossless cuts of LAME-made sources at frame edges, a sample off them, first and last samples:
// libmpg123 (and ffmpeg, if installed) decode them to exactly the source's samples over the
// piece; the copied frames are the source's bytes. The cut's plan: lossless_plan.h.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "export/lossless_cut.h"
#include "export/output_file.h"
#include "support/mp3_maker.h"
#include "support/test_files.h"

namespace {

using Pcm = std::vector<int16_t>;

struct Source {  // skip: where gapless sample 0 lies in the decoded frames (576 + 529 with a tag)
  const char* name;
  int rate, channels;
  Mp3MakerOptions options;
  int64_t skip;
};

const Source kCbr128{"cbr128", 44100, 2, {.quality = 7, .id3v2Bytes = 300, .id3v1 = true}, 1105};
const Source kCbr32{"cbr32", 44100, 2, {.bitrateKbps = 32, .infoTag = false}, 0};
const Source kCbr320{"cbr320", 44100, 2, {.bitrateKbps = 320}, 1105};
const Source kVbr{"vbr", 44100, 2, {.vbr = true, .id3v2Bytes = 1000}, 1105};
const Source kVbrUntagged{"vbr-untagged", 44100, 2, {.vbr = true, .infoTag = false}, 0};
const Source kMpeg2Stereo{"mpeg2-stereo", 24000, 2, {.bitrateKbps = 64}, 1105};
// Frames of 104 bytes (these two and kCbr32) leave no room for LAME's tag.
const Source kMpeg2Mono{"mpeg2-mono", 22050, 1, {.bitrateKbps = 32, .infoTag = false}, 0};
const Source kMpeg25Mono{"mpeg25-mono", 11025, 1, {.bitrateKbps = 16, .infoTag = false}, 0};

// begin = beginFrame x samples per frame - skip + beginDelta; end (exclusive) likewise or -1.
struct Row {
  const Source* source;
  int64_t beginFrame, beginDelta, endFrame, endDelta;
  int mpg123Tolerance = 0;  // the largest difference libmpg123 may make
};

const Row kRows[] = {
    {&kCbr128, 0, 1105, 30, 0},  // from the first sample
    {&kCbr128, 40, 0, -1, 0},    // at a frame edge, to the last sample
    {&kCbr128, 40, -1, 77, 1},   // one sample before an edge, to one after
    {&kCbr32, 60, 0, 90, 0},     // a deep bit reservoir: the lead frame carries it
    {&kCbr320, 3, 17, 50, 3},    // high bitrate, arbitrary samples
    {&kVbr, 1, 0, 2, 100},  // within the first frames
    {&kVbrUntagged, 0, 0, 5, 0},  // untagged: the decoder's own delay is part of the timeline
    // Mono and MPEG-2/2.5: libmpg123 keeps the source's phase for about half the begin
    // frames (lossless_plan.h); one row per family takes a frame where the phase is lost.
    {&kMpeg2Stereo, 42, -1, -1, 0},
    {&kMpeg2Mono, 49, 0, 90, 0, 1},
    {&kMpeg25Mono, 44, 0, 55, 0},
};

Pcm DecodeWithFfmpeg(const std::string& path) {
  Pcm pcm(1 << 22);
  std::FILE* pipe = ::popen(("ffmpeg -v error -i '" + path + "' -f s16le -").c_str(), "r");
  pcm.resize(pipe ? std::fread(pcm.data(), 2, pcm.size(), pipe) : 0);
  return pipe && ::pclose(pipe) == 0 ? pcm : Pcm{};
}

// The largest difference of `cut` from `whole` at frame `begin` on; -1 when not `frames` long.
int MaxDifference(const Pcm& cut, const Pcm& whole, int64_t begin, int64_t frames, int channels) {
  const auto from = whole.begin() + begin * channels;
  if (std::ssize(cut) != frames * channels || from + frames * channels > whole.end()) return -1;
  int largest = 0;
  for (size_t i = 0; i < cut.size(); ++i) largest = std::max(largest, std::abs(cut[i] - from[i]));
  return largest;
}

class LosslessCut : public ::testing::TestWithParam<Row> {};

TEST_P(LosslessCut, DecodesToExactlyThePiece) {
  static const TempDir dir(TempDir::Where::SystemTemp);
  static const bool haveFfmpeg = std::system("command -v ffmpeg >/dev/null 2>&1") == 0;
  const Row& row = GetParam();
  const Source& source = *row.source;
  const std::string sourcePath = dir.File(std::string(source.name) + ".mp3");
  ASSERT_TRUE(WriteMp3File(sourcePath,
                           MakeTestSignal(source.rate * 3, source.channels, source.rate),
                           source.rate, source.channels, source.options));
  const Pcm whole = DecodeMp3File(sourcePath);
  const int spf = source.rate >= 32000 ? 1152 : 576;
  const int64_t length = static_cast<int64_t>(whole.size()) / source.channels;
  const int64_t begin = row.beginFrame * spf - source.skip + row.beginDelta;
  const int64_t end = row.endFrame < 0 ? length : row.endFrame * spf - source.skip + row.endDelta;
  const std::string outPath = dir.File("cut.mp3");
  OutputFile output;
  ASSERT_TRUE(output.Create(outPath));
  const LosslessCutResult result = CutLosslessly(sourcePath, begin, end - begin, output, {});
  ASSERT_EQ(result.error, LosslessCutError::None);
  ASSERT_TRUE(output.Commit());
  const int difference =
      MaxDifference(DecodeMp3File(outPath), whole, begin, end - begin, source.channels);
  EXPECT_TRUE(difference >= 0 && difference <= row.mpg123Tolerance) << difference;
  const auto in = ReadFileBytes(sourcePath), out = ReadFileBytes(outPath);
  ASSERT_LE(result.copiedOutputOffset + result.copiedBytes, out.size());
  EXPECT_TRUE(std::equal(in.begin() + result.copiedSourceOffset,
                         in.begin() + result.copiedSourceOffset + result.copiedBytes,
                         out.begin() + result.copiedOutputOffset));
  // ffmpeg drops its start skip at a packet that also ends the piece.
  if (haveFfmpeg && end - begin > 2 * spf) {
    const Pcm ffCut = DecodeWithFfmpeg(outPath), ffWhole = DecodeWithFfmpeg(sourcePath);
    EXPECT_EQ(MaxDifference(ffCut, ffWhole, begin, end - begin, source.channels), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Sources, LosslessCut, ::testing::ValuesIn(kRows));

}  // namespace
