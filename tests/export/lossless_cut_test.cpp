// SPDX-License-Identifier: GPL-3.0-or-later
// Lossless cuts at frame edges, a sample off them, first and last samples, after damage and in
// joined files: libmpg123 (and ffmpeg) decode them to exactly the source's samples over the piece;
// copied frames and tags keep their bytes (but the ID3v2 length). Plan: lossless_plan.h. Below:
// the bitrate tables, the Info/LAME tag read back field by field, the ID3v2 length frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/rounding.h"
#include "export/lossless_cut.h"
#include "export/lossless_tags.h"
#include "export/output_file.h"
#include "support/mp3_maker.h"
#include "support/riff_bytes.h"
#include "support/test_files.h"

namespace {

using Pcm = std::vector<int16_t>;

struct Source {  // skip: where gapless sample 0 lies in the decoded frames (576 + 529 with a tag)
  const char* name;
  int rate, channels;
  Mp3MakerOptions options;
  int64_t skip;
  int holeAt = 0;       // 4 KiB taken out at this byte
  bool joined = false;  // the file twice, as `cat a.mp3 a.mp3` joins it
};

const Source kCbr128{
    "cbr128", 44100, 2, {.quality = 7, .id3v2Bytes = 300, .id3v1 = true, .apeTag = true}, 1105};
const Source kCbr32{"cbr32", 44100, 2, {.bitrateKbps = 32, .infoTag = false}, 0};
const Source kCbr320{"cbr320", 44100, 2, {.bitrateKbps = 320}, 1105};
const Source kVbr{"vbr", 44100, 2, {.vbr = true, .id3v2Bytes = 70000}, 1105};
const Source kVbrUntagged{"vbr-untagged", 44100, 2, {.vbr = true, .infoTag = false}, 0};
const Source kMpeg2Stereo{"mpeg2-stereo", 24000, 2, {.bitrateKbps = 64}, 1105};
// Frames of 104 bytes (these two and kCbr32) leave no room for LAME's tag.
const Source kMpeg2Mono{"mpeg2-mono", 22050, 1, {.bitrateKbps = 32, .infoTag = false}, 0};
const Source kMpeg25Mono{"mpeg25-mono", 11025, 1, {.bitrateKbps = 16, .infoTag = false}, 0};
const Source kHole{"hole", 44100, 2, {}, 1105, 16000};
// Three seconds twice: the decoder ends the first part at its tag's end, plays the second Info
// frame as silence and the second part whole (lame_tag.h).
const Source kJoined{"joined", 44100, 2, {.id3v1 = true}, 1105, 0, true};

// begin = beginFrame x samples per frame - skip + beginDelta; end (exclusive) likewise or -1.
struct Row {
  const Source* source;
  int64_t beginFrame, beginDelta, endFrame, endDelta;
  int mpg123Tolerance = 0;  // the largest difference libmpg123 may make
  LosslessCutError error = LosslessCutError::None;
};

const Row kRows[] = {
    {&kCbr128, 0, 1105, 30, 0},   // from the first sample
    {&kCbr128, 40, 0, -1, 0},     // at a frame edge, to the last sample
    {&kCbr128, 40, -1, 77, 1},    // one sample before an edge, to one after
    {&kCbr32, 60, 0, 90, 0},      // a deep bit reservoir: the lead frame carries it
    {&kCbr320, 3, 17, 50, 3},     // high bitrate, arbitrary samples
    {&kVbr, 1, 0, 2, 100},        // within the first frames
    {&kVbrUntagged, 0, 0, 5, 0},  // untagged: the decoder's own delay is part of the timeline
    // Mono and MPEG-2/2.5: libmpg123 keeps the source's phase for about half the begin
    // frames (lossless_plan.h); one row per family takes a frame where the phase is lost.
    {&kMpeg2Stereo, 42, -1, -1, 0},
    {&kMpeg2Mono, 49, 0, 90, 0, 1},
    {&kMpeg25Mono, 44, 0, 55, 0},
    {&kHole, 80, 7, 100, 0},     // after damage: the decoder's count of frames across it
    {&kJoined, 150, 3, 170, 9},  // inside the second part
    {&kJoined, 0, 1105, -1, 0},  // the whole file: the first part's end dropped as before
    {&kJoined, 100, 5, -1, 0},   // across the join to the end
    // Across the join to the middle of the second part: no tag can drop both that padding and
    // the rest of the last frame.
    {&kJoined, 100, 0, 119, 0, 0, LosslessCutError::AcrossJoin},
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
  auto in = ReadFileBytes(sourcePath);
  if (source.joined) in.insert(in.end(), in.begin(), in.end());
  in.erase(in.begin() + source.holeAt, in.begin() + source.holeAt + (source.holeAt ? 4096 : 0));
  WriteBytesToFile(sourcePath, in);
  const Pcm whole = DecodeMp3File(sourcePath);
  const int spf = source.rate >= 32000 ? 1152 : 576;
  const int64_t length = static_cast<int64_t>(whole.size()) / source.channels;
  const int64_t begin = row.beginFrame * spf - source.skip + row.beginDelta;
  const int64_t end = row.endFrame < 0 ? length : row.endFrame * spf - source.skip + row.endDelta;
  const std::string outPath = dir.File("cut.mp3");
  OutputFile output;
  ASSERT_TRUE(output.Create(outPath));
  const LosslessCutResult result = CutLosslessly(sourcePath, begin, end - begin, output, {});
  ASSERT_EQ(result.error, row.error);
  if (row.error != LosslessCutError::None) return;
  ASSERT_TRUE(output.Commit());
  const int difference =
      MaxDifference(DecodeMp3File(outPath), whole, begin, end - begin, source.channels);
  EXPECT_TRUE(difference >= 0 && difference <= row.mpg123Tolerance) << difference;
  EXPECT_EQ(LosslessCutSamples(outPath), end - begin);  // the export's check after every cut
  const auto out = ReadFileBytes(outPath);
  ASSERT_LE(result.copiedOutputOffset + result.copiedBytes, out.size());
  // (A joined file's copy passes over the first part's ID3v1 tag and silences the second Info.)
  EXPECT_TRUE(source.joined ||
              std::equal(in.begin() + result.copiedSourceOffset,
                         in.begin() + result.copiedSourceOffset + result.copiedBytes,
                         out.begin() + result.copiedOutputOffset));
  // The tags: ID3v2 as it was but for the length frame, what follows the audio as it was.
  std::vector<uint8_t> id3v2(in.begin(), in.begin() + source.options.id3v2Bytes);
  if (!id3v2.empty()) {
    const std::string ms = std::to_string(RoundHalfEven((end - begin) * 1000.0 / source.rate));
    const std::string digits = std::string(8 - ms.size(), '0') + ms;
    std::copy(digits.begin(), digits.end(), id3v2.begin() + 10 + 23 + 11);
  }
  EXPECT_TRUE(std::equal(id3v2.begin(), id3v2.end(), out.begin()));
  const auto ape =
      std::search(in.begin(), in.end(), std::begin("APETAGEX"), std::end("APETAGEX") - 1);
  const size_t tail = ape != in.end() ? in.end() - ape : source.options.id3v1 ? 128 : 0;
  EXPECT_TRUE(std::equal(in.end() - tail, in.end(), out.end() - tail));
  // ffmpeg drops its start skip at a packet that also ends the piece; it counts joins and damage
  // otherwise than libmpg123, whose timeline the program shows.
  if (haveFfmpeg && end - begin > 2 * spf && !source.joined && source.holeAt == 0) {
    const Pcm ffCut = DecodeWithFfmpeg(outPath), ffWhole = DecodeWithFfmpeg(sourcePath);
    EXPECT_EQ(MaxDifference(ffCut, ffWhole, begin, end - begin, source.channels), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Sources, LosslessCut, ::testing::ValuesIn(kRows));

// Every layer III bitrate index, MPEG-1 (44100 Hz) and MPEG-2 (22050 Hz), from the header's bits.
TEST(Mp3FrameHeader, BitrateTables) {
  const int mpeg1[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
  const int mpeg2[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
  for (uint32_t index = 1; index < 15; ++index) {
    const auto one = Mp3FrameHeader::Parse(0xFFFB0000u | index << 12);
    const auto two = Mp3FrameHeader::Parse(0xFFF30000u | index << 12);
    ASSERT_TRUE(one && two);
    EXPECT_EQ(std::pair(one->BitrateKbps(), two->BitrateKbps()),
              std::pair(mpeg1[index - 1], mpeg2[index - 1]));
  }
}

// A written tag read back: every field, for a stream of 16 MiB or more, and a VBRI header.
TEST(LameTag, ReadsBackEveryFieldWritten) {
  const struct {
    uint32_t audioHeader;  // MPEG-1 stereo, MPEG-2 mono
    bool xing;
    uint32_t frames, streamBytes;
    int delay, padding;
  } rows[] = {{0xFFFB9000u, true, 70000, 0x01234567u, 4095, 1},
              {0xFFF390C0u, false, 3, 600, 0, 4095}};
  for (const auto& row : rows) {
    const Mp3FrameHeader like = *Mp3FrameHeader::Parse(row.audioHeader);
    InfoFrameContent content{.header = like.MadeWithBitrate(*InfoFrameBitrateIndex(like)),
                             .xing = row.xing,
                             .frames = row.frames,
                             .streamBytes = row.streamBytes,
                             .quality = 77,
                             .lame = {{'L', 'A', 'M', 'E', '3', '.', '9', '9', 'r'},
                                      0x13,
                                      195,
                                      0x2A,
                                      128,
                                      0x55,
                                      0x66,
                                      0x0102},
                             .encoderDelay = row.delay,
                             .encoderPadding = row.padding,
                             .musicCrc = 0xBEEF};
    for (size_t i = 0; i < 100; ++i) content.seekTable[i] = static_cast<uint8_t>(2 * i + 1);
    const std::vector<uint8_t> frame = MakeInfoFrame(content);
    const auto tag = ParseInfoTag(content.header, frame.data(), frame.size());
    ASSERT_TRUE(tag && tag->lame);
    EXPECT_EQ(std::tuple(tag->xing, tag->frames, tag->bytes, tag->seekTable, tag->quality),
              std::tuple(row.xing, row.frames, row.streamBytes, content.seekTable, 77u));
    EXPECT_EQ(*tag->lame, content.lame);
    EXPECT_EQ(std::tuple(tag->encoderDelay, tag->encoderPadding, tag->musicBytes, tag->musicCrc,
                         tag->tagCrcOk),
              std::tuple(row.delay, row.padding, row.streamBytes, 0xBEEF, true));
  }
  // Fraunhofer's VBRI header, 32 bytes after the header: a header frame with its frame count.
  std::vector<uint8_t> vbri(417, 0);
  Mp3FrameHeader::Parse(0xFFFB9000u)->Write(vbri.data());
  const uint8_t fields[] = {'V', 'B', 'R', 'I', 0, 1, 0x04, 0x5F, 0,
                            75,  0,   1,   0,   0, 0, 0,    0x30, 0x39};
  std::copy(std::begin(fields), std::end(fields), vbri.begin() + 36);
  const auto tag = ParseInfoTag(*Mp3FrameHeader::Parse(0xFFFB9000u), vbri.data(), vbri.size());
  ASSERT_TRUE(tag);
  EXPECT_EQ(std::tuple(tag->frames, tag->bytes, tag->lame.has_value()),
            std::tuple(std::optional<uint32_t>(12345), std::optional<uint32_t>(65536), false));
}

// An ID3v2 length frame set to 250 ms: its digits written over, zero-padded (ISO-8859-1 in 2.3,
// UTF-16 in 2.4); removed when it has too few; left alone in a tag unsynchronised as a whole.
TEST(LosslessTags, Id3v2LengthFrameGetsThePiecesLength) {
  const auto tag = [](char version, char flags, std::string body) {  // '.' stands for a 0 byte
    std::string bytes = "ID3" + std::string{version, '.', flags, '.', '.', '.', '('};
    if (!body.empty())
      bytes += "TLEN..." + std::string(1, static_cast<char>(body.size())) + ".." + body;
    bytes.resize(50, '.');
    std::replace(bytes.begin(), bytes.end(), '.', '\0');
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
  };
  const std::string bom = "\x01\xFF\xFE";  // UTF-16, little-endian
  const std::pair<std::vector<uint8_t>, std::vector<uint8_t>> rows[] = {
      {tag(3, 0, ".99999"), tag(3, 0, ".00250")},
      {tag(4, 0, bom + "9.9.9.9."), tag(4, 0, bom + "0.2.5.0.")},
      {tag(3, 0, ".99"), tag(3, 0, "")},
      {tag(3, '\x80', ".99"), tag(3, '\x80', ".99")}};
  for (auto [in, out] : rows) EXPECT_EQ((SetId3v2Length(in, 250), in), out);
}

}  // namespace
