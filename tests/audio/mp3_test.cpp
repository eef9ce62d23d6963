// SPDX-License-Identifier: GPL-3.0-or-later
// MP3 files from the decoder over libmpg123 up to the probe and the stream, on
// MP3s encoded from known PCM, and on damaged, cut-short, joined and odd MP3s
// whose length and every start agree with the program's own full decode.
#include <gtest/gtest.h>

#include <atomic>
#include <algorithm>
#include <cstring>
#include <future>
#include <limits>
#include <utility>

#include "audio/mp3_decoder.h"
#include "audio/mp3_part_scan.h"
#include "audio/mp3io.h"
#include "audio/mp3_scanner.h"
#include "audio/mpg123_decoder.h"
#include "base/rounding.h"
#include "support/mp3_maker.h"
#include "support/pcm_compare.h"
#include "support/riff_bytes.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace {

std::vector<int16_t> DecodeToEnd() {
  std::vector<int16_t> out;
  uint8_t buffer[8192];
  uint32_t sizeBytes = 0;
  while (SB_decodeMP3(buffer, &sizeBytes) == 0) {
    const auto* samples = reinterpret_cast<const int16_t*>(buffer);
    out.insert(out.end(), samples, samples + sizeBytes / 2);
  }
  return out;
}
std::vector<int16_t> DecodeFrom(const std::string& path, int64_t startFrame) {
  EXPECT_EQ(SB_InitMP3(path.c_str(), SampleIndex(startFrame)), 0);
  return DecodeToEnd();
}

// MPEG-1, 2 and 2.5, CBR and VBR.
struct Encoding {
  const char* name;
  int rate;
  int channels;
  Mp3MakerOptions options;
};

class Mp3Format : public ::testing::TestWithParam<Encoding> {};

TEST_P(Mp3Format, GivesTheFormatTheExactLengthAndPcmInPlaceFromAnyStart) {
  const Encoding& e = GetParam();
  const uint32_t frames = static_cast<uint32_t>(e.rate * 3 + 123);
  const EncodedMp3& mp3 = CachedMp3(e.rate, e.channels, frames, e.options);
  ASSERT_EQ(SB_InitMP3(mp3.path.c_str(), SampleIndex(0)), 0);
  const Mp3FrameInfo info = GetMp3FrameInfo();
  EXPECT_EQ(info.lengthFrames, SampleIndex(frames));
  EXPECT_EQ(std::vector({info.sampleRate, info.channels, info.lengthMs}),
            std::vector({e.rate, e.channels, static_cast<int32_t>(FramesToMs(frames, e.rate))}));
  EXPECT_EQ(info.bitrateKbps, e.options.vbr ? info.bitrateKbps : e.options.bitrateKbps);
  EXPECT_EQ(DecodeToEnd().size(), mp3.pcm.size());
  for (int32_t startMs : {1, 1001, 2500}) {
    const int64_t startFrame = MsToFrames(startMs, e.rate);
    const std::vector<int16_t> decoded = DecodeFrom(mp3.path, startFrame);
    ASSERT_EQ(static_cast<int64_t>(decoded.size()), (frames - startFrame) * e.channels) << startMs;
    const int window = e.rate / 10;
    EXPECT_EQ(BestLagFrames(decoded, mp3.pcm, e.channels, startFrame, window, e.rate / 200), 0);
    EXPECT_GT(SnrDb(decoded, mp3.pcm, e.channels, startFrame, window), 6.0) << startMs;
  }
  SB_ExitMP3();
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, Mp3Format,
    ::testing::Values(Encoding{"Mpeg1Stereo44100Cbr128", 44100, 2, {.bitrateKbps = 128}},
                      Encoding{"Mpeg2Stereo24000Vbr", 24000, 2, {.vbr = true}},
                      Encoding{"Mpeg25Stereo8000Cbr24", 8000, 2, {.bitrateKbps = 24}}),
    [](const auto& info) { return std::string(info.param.name); });

struct Part {  // kbps 0: the average bitrate
  int rate = 0, channels = 0, kbps = 0;
};
// One part of 6 s, or two of 3 s; `zeroBytes` zeros at a frame header or a hole of `holeBytes` in
// the middle, `cutBytes` cut off the end (zeros added when negative); `otherEncoder` leaves the
// Info tag's VBR method unknown.
struct OddFile {
  const char* name;
  Part first, second;
  int kbps = 0;
  Mp3MakerOptions options = {};
  int zeroBytes = 0, holeBytes = 0, cutBytes = 0;
  bool otherEncoder = false;
};

std::vector<uint8_t> Encode(const TempDir& dir, Part part, int seconds, Mp3MakerOptions options) {
  std::vector<int16_t> pcm = MakeTestSignal(part.rate * seconds, part.channels, part.rate);
  if (options.vbr) std::fill_n(pcm.begin(), pcm.size() / 2, 0);  // frames differ widely
  options.bitrateKbps = part.kbps;
  EXPECT_TRUE(WriteMp3File(dir.File("a.mp3"), pcm, part.rate, part.channels, options));
  return ReadFileBytes(dir.File("a.mp3"));
}

class OddMp3Test : public ::testing::TestWithParam<OddFile> {};

TEST_P(OddMp3Test, LengthStartsAndBitrateAgreeWithTheWholeFile) {
  const OddFile& file = GetParam();
  TempDir dir;
  std::vector<uint8_t> mp3 = Encode(dir, file.first, file.second.rate > 0 ? 3 : 6, file.options);
  if (file.second.rate > 0) {
    const std::vector<uint8_t> second = Encode(dir, file.second, 3, {});
    mp3.insert(mp3.end(), second.begin(), second.end());
  }
  const double averageKbps = static_cast<double>(mp3.size()) * 8 / 6000;
  size_t middle = mp3.size() / 2;
  while (file.zeroBytes > 0 && (mp3[middle] != 0xFF || mp3[middle + 1] < 0xE0)) ++middle;
  std::fill_n(mp3.begin() + middle, file.zeroBytes, 0);
  mp3.erase(mp3.begin() + middle, mp3.begin() + middle + file.holeBytes);
  mp3.resize(mp3.size() - file.cutBytes, 0);
  if (file.otherEncoder) mp3[std::string(mp3.begin(), mp3.begin() + 99).find("Info") + 129] = 0;
  const std::string path = dir.File("odd.mp3");
  WriteBytesToFile(path, mp3);
  const std::vector<int16_t> full = DecodeFrom(path, 0);
  const int rate = file.first.rate;
  const int64_t frames = static_cast<int64_t>(full.size()) / file.first.channels;
  const Mp3FrameInfo info = GetMp3FrameInfo();
  EXPECT_EQ(
      std::vector({info.sampleRate, info.channels, info.lengthMs}),
      std::vector({rate, file.first.channels, static_cast<int32_t>(FramesToMs(frames, rate))}));
  EXPECT_EQ(info.lengthFrames, SampleIndex(frames));
  EXPECT_GT(frames, rate * 56 / 10);  // a 4 KiB hole takes a quarter second
  EXPECT_NEAR(info.bitrateKbps, file.kbps > 0 ? file.kbps : averageKbps, file.kbps > 0 ? 0 : 2);
  for (int32_t startMs : {700, 2900, 3100, 4400, 5500}) {
    const auto start = full.begin() + MsToFrames(startMs, rate) * file.first.channels;
    const std::vector<int16_t> piece = DecodeFrom(path, MsToFrames(startMs, rate));
    ASSERT_EQ(piece.size(), static_cast<size_t>(full.end() - start)) << startMs;
    // After a jump the library may round a sample differently, by one step.
    EXPECT_TRUE(std::equal(piece.begin(), piece.end(), start, [](int a, int b) {
      return std::abs(a - b) <= 1;
    })) << startMs;
  }
  SB_ExitMP3();
}

const Part kStereo{44100, 2, 128};
INSTANTIATE_TEST_SUITE_P(
    Files, OddMp3Test,
    ::testing::Values(OddFile{"ZeroedFrameHeader", kStereo, {}, 128, {}, 4},
                      OddFile{"Hole", kStereo, {}, 128, {}, 0, 4096},
                      OddFile{"CutShortInAFrame", kStereo, {}, 128, {}, 0, 0, 1000},
                      OddFile{"TrailingZeros", kStereo, {}, 0, {.vbr = true}, 0, 0, -8192},
                      OddFile{"JoinedRateChange", kStereo, {48000, 2, 128}},
                      OddFile{"VbrWithoutInfoTag", kStereo, {}, 0, {.vbr = true, .infoTag = false}},
                      OddFile{"FreeFormat", {44100, 2, 200}, {}, 0, {.freeFormat = true}},
                      OddFile{"OtherEncodersCbr", {44100, 2, 192}, {}, 192, {}, 0, 0, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

class Mp3 : public ::testing::Test {
 protected:
  void TearDown() override { SB_ExitMP3(); }
  TempDir dir_;
  ScriptedDialogs dialogs_;
};

// Short files, so that tags miscounted as audio would show.
TEST_F(Mp3, TagsAroundTheAudioChangeNothing) {
  const EncodedMp3& plain = CachedMp3(44100, 2, 22050, {.vbr = true});
  const EncodedMp3& tagged =
      CachedMp3(44100, 2, 22050,
                {.vbr = true, .id3v2Bytes = 5000, .id3v1 = true, .apeTag = true, .zeroBytes = 4096});
  const std::vector<int16_t> plainPcm = DecodeFrom(plain.path, 4410);
  const Mp3FrameInfo plainInfo = GetMp3FrameInfo();
  EXPECT_EQ(DecodeFrom(tagged.path, 4410), plainPcm);
  EXPECT_EQ(std::pair(GetMp3FrameInfo().lengthMs, GetMp3FrameInfo().bitrateKbps),
            std::pair(plainInfo.lengthMs, plainInfo.bitrateKbps));
}

TEST_F(Mp3, ProbeDescribesAnMp3AndReportsOneTheDecoderRefuses) {
  const EncodedMp3& song = CachedMp3(44100, 2, 44100 * 2 + 500);
  AudioFileInfo info;
  ASSERT_TRUE(GetAudioFileInfo(song.path, info, dialogs_));
  AudioFileInfo expected = MakeInfo(AudioFileInfo::kTypeMp3, 44100, 2, 2011, 128);
  expected.LengthFrames = SampleIndex(44100 * 2 + 500);
  EXPECT_EQ(info, expected);
  EXPECT_TRUE(dialogs_.messages.empty());
  WriteText(dir_.File("broken.MP3"), "this is no audio");
  AudioFileInfo candidate = info;  // the record kept from before still reads its whole file
  EXPECT_FALSE(GetAudioFileInfo(dir_.File("broken.MP3"), candidate, dialogs_));
  EXPECT_EQ(dialogs_.messages.size(), 1u);  // its text: cli_reason_test
  EXPECT_EQ(candidate, MakeInfo(AudioFileInfo::kTypeMp3, 0, 0));
  ASSERT_TRUE(OpenAudioStream(song.path, info, SampleIndex(0)));
  uint8_t* data = nullptr;
  uint32_t bytes = 0, total = 0;
  while (ReadAudioBlock(info, data, bytes)) total += bytes;
  CloseAudioStream(info);
  EXPECT_EQ(total, song.pcm.size() * 2);
}

// A VBRI tag frame (a silent frame to a decoder that does not know the tag)
// before the frames of a file without an Info tag: the same samples, and the
// tag's count is the estimate.
TEST_F(Mp3, AVbriFrameIsNoAudio) {
  const EncodedMp3& plain = CachedMp3(44100, 2, 44100, {.infoTag = false});
  std::vector<uint8_t> bytes = ReadFileBytes(plain.path);
  std::vector<uint8_t> vbri(417, 0);  // 128 kbit/s at 44.1 kHz without padding
  std::copy_n(bytes.begin(), 4, vbri.begin());
  vbri[2] &= 0xfd;
  std::memcpy(vbri.data() + 36, "VBRI\0\1", 6);
  vbri[36 + 17] = 39;  // frames announced
  bytes.insert(bytes.begin(), vbri.begin(), vbri.end());
  WriteBytesToFile(dir_.File("vbri.mp3"), bytes);
  AudioFileInfo info;
  ASSERT_TRUE(GetAudioFileInfo(dir_.File("vbri.mp3"), info, dialogs_));
  EXPECT_EQ(info.LengthMs, FramesToMs(39 * 1152, 44100));
  EXPECT_EQ(DecodeFrom(dir_.File("vbri.mp3"), 0), DecodeFrom(plain.path, 0));
  EXPECT_EQ(DecodeFrom(dir_.File("vbri.mp3"), 500), DecodeFrom(plain.path, 500));
}

// Two encodes joined: a stopped scan measures nothing, a reader by a scan
// still running seeks only as far as it has decoded, and by the finished scan
// anywhere, exactly.
TEST_F(Mp3, ReadersSeekAsFarAsTheScanHasPassed) {
  const EncodedMp3& part = CachedMp3(44100, 2, 44100 * 2);
  std::vector<uint8_t> bytes = ReadFileBytes(part.path);
  bytes.insert(bytes.end(), bytes.begin(), bytes.end());
  const std::string path = dir_.File("joined.mp3");
  WriteBytesToFile(path, bytes);
  const std::vector<int16_t> full = DecodeFrom(path, 0);
  Mpg123Decoder scanner;
  ASSERT_TRUE(scanner.Open(path));
  std::atomic<bool> stop{true};
  Mpg123Decoder::ScanControl control;
  control.stop = &stop;
  EXPECT_FALSE(scanner.Scan(control));
  EXPECT_FALSE(scanner.Facts().exact);
  stop = false;
  double lastFraction = 0;
  control.progress = [&](double fraction) { lastFraction = fraction; };
  ASSERT_TRUE(scanner.Scan(control));
  EXPECT_EQ(lastFraction, 1.0);
  EXPECT_EQ(scanner.Facts().lengthFrames * 2, static_cast<int64_t>(full.size()));

  Mp3ScanIndex trusted;  // a header pass that trusts the library's arithmetic knows every position
  trusted.SetFrameIndex({}, 0, true);
  EXPECT_EQ(trusted.KnownFrames(), std::numeric_limits<int64_t>::max());
  auto running = std::make_shared<Mp3ScanIndex>();
  running->SetFrameIndex({}, 0, false);
  running->SetDecodedFrames(100000);
  Mpg123Decoder reader;
  ASSERT_TRUE(reader.Open(path));
  reader.UseScan(running);
  EXPECT_FALSE(reader.SeekToFrame(100001));
  const auto decodeAt = [&](int64_t frame) {
    std::vector<int16_t> out(2000);
    size_t bytesOut = 0;
    EXPECT_TRUE(reader.SeekToFrame(frame)) << frame;
    reader.Decode(reinterpret_cast<uint8_t*>(out.data()), out.size() * 2, bytesOut);
    out.resize(bytesOut / 2);
    return out;
  };
  EXPECT_EQ(decodeAt(100000), std::vector(full.begin() + 200000, full.begin() + 202000));
  reader.UseScan(scanner.Index());
  EXPECT_EQ(reader.Facts().lengthFrames, scanner.Facts().lengthFrames);
  EXPECT_EQ(decodeAt(170000), std::vector(full.begin() + 340000, full.begin() + 342000));
}

// Parts decoded side by side join into what one decode gives: the same length and the same
// checkpoints. Three encodes joined, a zeroed frame header in the second, the last at another
// rate (resampled: no part joins there, the decoder before it goes on), cut into parts of
// about 16 MPEG frames.
TEST_F(Mp3, PartsDecodedSideBySideJoinIntoTheOneDecode) {
  std::vector<uint8_t> bytes = Encode(dir_, kStereo, 3, {});
  const std::vector<uint8_t> other = Encode(dir_, {48000, 2, 128}, 1, {});
  std::vector<uint8_t> second = Encode(dir_, kStereo, 3, {.vbr = true});
  std::fill_n(second.begin() + static_cast<ptrdiff_t>(second.size() / 2), 4, 0);
  bytes.insert(bytes.end(), second.begin(), second.end());
  bytes.insert(bytes.end(), other.begin(), other.end());
  const std::string path = dir_.File("parts.mp3");
  WriteBytesToFile(path, bytes);
  Mpg123Decoder decoder;
  Mpg123Decoder::ScanControl control;
  control.parts = 1;
  ASSERT_TRUE(decoder.Open(path) && decoder.Scan(control));
  EXPECT_EQ(decoder.Facts().lengthFrames * 2, static_cast<int64_t>(DecodeFrom(path, 0).size()));
  Mp3PartScan::Plan plan;
  plan.path = path;
  decoder.Index()->FrameIndex(plan.offsets, plan.step);
  plan.mpegFrames = static_cast<off_t>(plan.offsets.size()) * plan.step;
  Mp3ScanIndex index;
  std::vector<double> shares;
  control.parts = 16;
  control.minPartMpegFrames = 16;
  Mp3PartScan parts(plan, control, index, [&](double share) { shares.push_back(share); });
  EXPECT_EQ(parts.Count(), decoder.Facts().lengthFrames);
  EXPECT_GT(parts.Joins(), 5);
  EXPECT_LT(parts.Joins(), 14);
  EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()) && shares.back() == 1.0);
  EXPECT_EQ(index.KnownFrames(), decoder.Facts().lengthFrames);
  int checkpoints = 0;
  for (int64_t frame = 0; frame < decoder.Facts().lengthFrames; frame += 1000) {
    const auto point = index.CheckpointAtOrBefore(frame);
    EXPECT_EQ(point, decoder.Index()->CheckpointAtOrBefore(frame)) << frame;
    checkpoints += point && point->frame > frame - 1000;
  }
  EXPECT_GE(checkpoints, 3);
}

// The scan's worker on a file of 48 joined encodes (over a megabyte, so that it reports on
// the way): stopped at its first report past the header pass (the parts decoding) it ends
// without facts and calls nothing more; a whole run reports a rising share up to 1 and
// finishes with the decoder's exact facts.
TEST_F(Mp3, TheScanWorkerStopsAtOnceOrFinishesWithTheExactFacts) {
  const std::vector<uint8_t> part = ReadFileBytes(CachedMp3(44100, 2, 44100 * 2).path);
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 48; ++i) bytes.insert(bytes.end(), part.begin(), part.end());
  const std::string path = dir_.File("joined48.mp3");
  WriteBytesToFile(path, bytes);
  Mpg123Decoder decoder;
  ASSERT_TRUE(decoder.Open(path) && decoder.Scan());
  std::promise<void> reported;
  std::promise<void> stopped;
  int finishedCalls = 0;
  auto early = std::make_unique<Mp3Scanner>(
      path, [&, first = true](double share, int64_t) mutable {
        if (share > 0.05 && std::exchange(first, false)) {
          reported.set_value(), stopped.get_future().wait();
        }
      },
      [&](auto) { ++finishedCalls; });
  reported.get_future().wait();
  early->Stop();
  stopped.set_value();
  const std::shared_ptr<Mp3ScanIndex> stoppedIndex = early->Index();
  early.reset();
  EXPECT_EQ(finishedCalls, 0);
  EXPECT_TRUE(stoppedIndex->Ended());
  EXPECT_FALSE(stoppedIndex->FinishedFacts().has_value());

  std::vector<double> shares;
  std::promise<std::optional<Mp3StreamFacts>> finished;
  Mp3Scanner whole(
      path, [&](double fraction, int64_t) { shares.push_back(fraction); },
      [&](std::optional<Mp3StreamFacts> facts) { finished.set_value(facts); });
  const std::optional<Mp3StreamFacts> facts = finished.get_future().get();
  ASSERT_TRUE(facts.has_value());
  EXPECT_EQ(facts->lengthFrames, decoder.Facts().lengthFrames);
  EXPECT_TRUE(facts->exact);
  EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
  EXPECT_GT(shares.size(), 2u);
  EXPECT_EQ(shares.back(), 1.0);
  EXPECT_EQ(whole.Index()->Progress(), 1.0);
}

}  // namespace
