// The export pipeline over sources in memory: cutting, fading, progress and
// time text, the MP3 stream's length, and every failure leaving the target as
// it was with no file left behind.
#include "export/export_pipeline.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "export/export_options.h"
#include "export/lame_encoder.h"
#include "export/wav_writer.h"
#include "support/export_fakes.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace fs = std::filesystem;

namespace {

AudioFileInfo Info(int type, int rate, int channels, int lengthMs, int bitrate = 128) {
  AudioFileInfo info;
  info.FileType = type;
  info.SampleRate = rate;
  info.Channels = channels;
  info.LengthMs = lengthMs;
  info.Bitrate = bitrate;
  return info;
}

ExportJob Job(const AudioFileInfo& info, int32_t begin, int32_t end, const std::string& out,
              ExportRoute route) {
  ExportJob job;
  job.FileInfo = info;
  job.MarkBegin = begin;
  job.MarkEnd = end;
  job.SourceFileName = "memory.wav";
  job.OutFileName = out;
  job.Route = route;
  return job;
}

std::vector<int16_t> WavSamples(const std::string& path) {
  const auto bytes = ReadFileBytes(path);
  EXPECT_GE(bytes.size(), kWavHeaderBytes);
  std::vector<int16_t> samples((bytes.size() - kWavHeaderBytes) / 2);
  std::memcpy(samples.data(), bytes.data() + kWavHeaderBytes, samples.size() * 2);
  return samples;
}

size_t FilesIn(const fs::path& folder) {
  return static_cast<size_t>(
      std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// The samples the Info tag of an exported MP3 says it holds: frames x 1152
// (MPEG-1) less the encoder delay and the padding.
int64_t InfoTagSamples(const std::vector<uint8_t>& mp3) {
  const std::string head(mp3.begin(), mp3.begin() + std::min<size_t>(mp3.size(), 64));
  const size_t at = head.find("Info");
  if (at == std::string::npos) return -1;
  const auto be32 = [&](size_t o) {
    return static_cast<int64_t>(mp3[o]) << 24 | mp3[o + 1] << 16 | mp3[o + 2] << 8 | mp3[o + 3];
  };
  const int64_t frames = be32(at + 8);
  const size_t lame = at + 141;
  const int64_t delay = mp3[lame] << 4 | mp3[lame + 1] >> 4;
  const int64_t padding = (mp3[lame + 1] & 0x0F) << 8 | mp3[lame + 2];
  return frames * 1152 - delay - padding;
}

class ExportPipeline : public ::testing::Test {
 protected:
  TempDir dir;
  RecordingHost host;
  ScriptedDialogs dialogs;
};

TEST_F(ExportPipeline, WavExportHoldsExactlyTheMarkedFrames) {
  const auto signal = MakeTestSignal(44100 * 3, 2, 44100);
  MemoryExportSource source(signal, 2, 44100, 1000);  // blocks of 250 frames
  const std::string out = dir.File("cut.wav");
  const auto info = Info(AudioFileInfo::kTypeWav, 44100, 2, 3000);
  ASSERT_TRUE(ExportWAV(Job(info, 1005, 2010, out, ExportRoute::Wav), host, dialogs, source));
  const auto samples = WavSamples(out);
  const size_t first = 44320 * 2;         // 1005 ms
  ASSERT_EQ(samples.size(), 44320u * 2);  // 1005 ms long as well
  EXPECT_TRUE(std::equal(samples.begin(), samples.end(), signal.begin() + first));
  EXPECT_EQ(source.openedAtMs, std::vector<uint32_t>{1005});
  EXPECT_EQ(source.closes, 1);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(FilesIn(dir.path()), 1u);
}

TEST_F(ExportPipeline, UnmarkedExportFadesEachPieceOnItsOwn) {
  const int rate = 8000;
  const std::vector<int16_t> signal(rate * 10, 1000);
  MemoryExportSource source(signal, 1, rate, 998);
  const std::string out = dir.File("rest.wav");
  ExportJob job =
      Job(Info(AudioFileInfo::kTypeWav, rate, 1, 10000), 3000, 6000, out, ExportRoute::Wav);
  job.ExportUnmarked = true;
  job.FadeIn = job.FadeOut = true;
  job.FadeInSeconds = 1;
  job.FadeOutSeconds = 2;
  ASSERT_TRUE(ExportWAV(job, host, dialogs, source));
  const auto samples = WavSamples(out);
  ASSERT_EQ(samples.size(), 7u * rate);
  const size_t seam = 3 * rate;  // first frame of the second piece
  for (size_t start : {size_t{0}, seam}) {
    EXPECT_EQ(samples[start], 0) << start;               // fade-in starts silent
    EXPECT_EQ(samples[start + rate / 4], 250) << start;  // a quarter in
    EXPECT_EQ(samples[start + rate], 1000) << start;     // full gain after one second
  }
  // Fade-out of 2 s = 16000 frames: the last frame of each piece is 1000/16000.
  EXPECT_EQ(samples[seam - 1], 0);                // 0.0625 rounds to 0
  EXPECT_EQ(samples[seam - 1 - rate / 2], 250);   // 4001/16000 x 1000 = 250.06
  EXPECT_EQ(samples[seam - 2 * rate], 1000);      // the frame at P - F is unchanged
  EXPECT_EQ(samples[seam - 2 * rate + 1], 1000);  // 15999/16000 x 1000 = 999.94
  EXPECT_EQ(samples.back(), 0);
  EXPECT_EQ(samples[samples.size() - 2 * rate], 1000);
  EXPECT_EQ(source.openedAtMs, (std::vector<uint32_t>{0, 6000}));
}

TEST_F(ExportPipeline, ProgressRisesToOneHundredAndMessagesRunAfterEveryBlock) {
  const std::vector<int16_t> signal(8000 * 4, 5);
  MemoryExportSource source(signal, 1, 8000, 16000);  // one second a block
  ExportJob job = Job(Info(AudioFileInfo::kTypeWav, 8000, 1, 4000), 1000, 3000, dir.File("p.wav"),
                      ExportRoute::Wav);
  job.ExportUnmarked = true;
  ASSERT_TRUE(ExportWAV(job, host, dialogs, source));
  ASSERT_FALSE(host.progress.empty());
  EXPECT_TRUE(std::is_sorted(host.progress.begin(), host.progress.end()));
  EXPECT_EQ(host.progress.back(), 100);
  EXPECT_EQ(host.progress.front(), 50);  // the first piece is one block: half the total
  EXPECT_EQ(host.pumps, static_cast<int>(host.progress.size()));
  EXPECT_EQ(host.pumps, source.reads);
}

TEST_F(ExportPipeline, TimeTextFollowsTheClockInTheRoutesWords) {
  const std::vector<int16_t> signal(8000 * 8, 5);
  MemoryExportSource source(signal, 1, 8000, 8000);  // 4000 frames a block
  ExportJob job = Job(Info(AudioFileInfo::kTypeWav, 8000, 1, 8000), 0, 8000, dir.File("t.wav"),
                      ExportRoute::Wav);
  host.tickStepMs = 1000;
  job.StartTick = 0;
  ASSERT_TRUE(ExportWAV(job, host, dialogs, source));
  ASSERT_FALSE(host.timeTexts.empty());
  // The clock reads 0 s after the first block, 1 s after the second: 8000 of
  // 64000 frames done in 1 s make 8 s in all.
  EXPECT_EQ(host.timeTexts.front(), "Used 00:00:01, Left 00:00:07");
  EXPECT_EQ(host.timeTexts.back(), "Used 00:00:15, Left 00:00:00");
}

TEST_F(ExportPipeline, ASourceThatEndsBeforeTheFileLengthFailsTheExport) {
  // 8000 Hz mono of 1000 ms: {source frames (0: endless empty blocks), mark
  // end, exported}. The length's rounding allows 4 frames short.
  for (auto [frames, endMs, exported] : {std::tuple{8000, 1000, true},
                                         {7996, 1000, true},
                                         {8000, 1500, true},
                                         {7000, 1000, false},
                                         {0, 1000, false}}) {
    MemoryExportSource source(std::vector<int16_t>(frames, 3), 1, 8000);
    source.endlessEmptyBlocks = frames == 0;
    dialogs.messages.clear();
    EXPECT_EQ(ExportWAV(Job(Info(AudioFileInfo::kTypeWav, 8000, 1, 1000), 0, endMs,
                            dir.File("s.wav"), ExportRoute::Wav),
                        host, dialogs, source),
              exported)
        << frames;
    EXPECT_EQ(dialogs.LastMessageText(), exported ? "" : "Cannot read file memory.wav.");
    EXPECT_EQ(FilesIn(dir.path()), exported ? 1u : 0u);
    fs::remove(dir.File("s.wav"));
  }
}

TEST_F(ExportPipeline, UnmarkedFromTheStartOpensAndClosesAnEmptyFirstPiece) {
  const std::vector<int16_t> signal(8000 * 2, 9);
  MemoryExportSource source(signal, 1, 8000, 16000);
  ExportJob job = Job(Info(AudioFileInfo::kTypeWav, 8000, 1, 2000), 0, 1000, dir.File("u.wav"),
                      ExportRoute::Wav);
  job.ExportUnmarked = true;
  ASSERT_TRUE(ExportWAV(job, host, dialogs, source));
  EXPECT_EQ(source.openedAtMs, (std::vector<uint32_t>{0, 1000}));
  EXPECT_EQ(source.closes, 2);
  EXPECT_EQ(source.reads, 1);
  EXPECT_EQ(WavSamples(dir.File("u.wav")).size(), 8000u);
}

TEST_F(ExportPipeline, MarksSpanningTheFileGiveEmptyOutputsAndNoProgress) {
  MemoryExportSource source(std::vector<int16_t>(44100 * 2, 1), 2, 44100);
  ExportJob job = Job(Info(AudioFileInfo::kTypeWav, 44100, 2, 1000), 0, 1000, dir.File("e.wav"),
                      ExportRoute::Wav);
  job.ExportUnmarked = true;
  ASSERT_TRUE(ExportWAV(job, host, dialogs, source));
  EXPECT_EQ(ReadFileBytes(dir.File("e.wav")).size(), kWavHeaderBytes);
  job.Route = ExportRoute::Mp3;
  job.OutFileName = dir.File("e.mp3");
  ASSERT_TRUE(ExportMP3(job, host, dialogs, source));
  EXPECT_EQ(InfoTagSamples(ReadFileBytes(dir.File("e.mp3"))), 0);
  EXPECT_TRUE(host.progress.empty());
  EXPECT_EQ(source.reads, 0);
}

TEST_F(ExportPipeline, Mp3StreamHoldsExactlyTheMarkedSamples) {
  const auto signal = MakeTestSignal(44100 * 3, 2, 44100);
  MemoryExportSource source(signal, 2, 44100, 3000);
  const std::string out = dir.File("cut.mp3");
  ExportJob job =
      Job(Info(AudioFileInfo::kTypeWav, 44100, 2, 3000), 250, 2777, out, ExportRoute::Mp3);
  ASSERT_TRUE(ExportMP3(job, host, dialogs, source));
  EXPECT_EQ(InfoTagSamples(ReadFileBytes(out)), 111441);  // 2527 ms, 111440.7 frames
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ExportPipeline, Mp3ChunkCarriesAcrossTheTwoPiecesOfAnUnmarkedExport) {
  const auto signal = MakeTestSignal(22050 * 3, 1, 22050);
  MemoryExportSource source(signal, 1, 22050, 1234);
  const std::string out = dir.File("rest.mp3");
  ExportJob job =
      Job(Info(AudioFileInfo::kTypeWav, 22050, 1, 3000), 333, 2500, out, ExportRoute::Mp3);
  job.ExportUnmarked = true;
  job.BitrateKbps = 64;
  ASSERT_TRUE(ExportMP3(job, host, dialogs, source));
  // 333 ms -> 7342.65 -> 7343 frames; 500 ms -> 11025 frames. MPEG-2 frames
  // hold 576 samples, so read the tag with that frame size.
  const auto mp3 = ReadFileBytes(out);
  const int64_t at = InfoTagSamples(mp3);
  ASSERT_GE(at, 0);
  const std::string head(mp3.begin(), mp3.begin() + 64);
  const size_t tag = head.find("Info");
  const int64_t frames = static_cast<int64_t>(mp3[tag + 8]) << 24 | mp3[tag + 9] << 16 |
                         mp3[tag + 10] << 8 | mp3[tag + 11];
  EXPECT_EQ(at - frames * 1152 + frames * 576, 7343 + 11025);
}

TEST_F(ExportPipeline, EncoderThatRefusesTheSourceIsReportedAndCreatesNothing) {
  MemoryExportSource source(std::vector<int16_t>(1000, 1), 2, 96000);
  const std::string out = dir.File("x.mp3");
  ExportJob job = Job(Info(AudioFileInfo::kTypeWav, 96000, 2, 1000), 0, 500, out, ExportRoute::Mp3);
  EXPECT_FALSE(ExportMP3(job, host, dialogs, source));
  EXPECT_EQ(dialogs.LastMessageText(), "Can't start the MP3 encoder.");
  EXPECT_EQ(dialogs.messages.back().caption, "Snipola");
  EXPECT_EQ(FilesIn(dir.path()), 0u);
}

TEST_F(ExportPipeline, UnreadableSourceIsReportedAndLeavesNoFile) {
  MemoryExportSource source({}, 2, 44100);
  source.failOpen = true;
  const std::string out = dir.File("x.wav");
  EXPECT_FALSE(
      ExportWAV(Job(Info(AudioFileInfo::kTypeWav, 44100, 2, 1000), 0, 500, out, ExportRoute::Wav),
                host, dialogs, source));
  EXPECT_EQ(dialogs.LastMessageText(), "Cannot read file memory.wav.");
  EXPECT_EQ(FilesIn(dir.path()), 0u);
}

class ExportFailure : public ::testing::TestWithParam<ExportRoute> {
 protected:
  TempDir dir;
  RecordingHost host;
  ScriptedDialogs dialogs;
  std::string Extension() const { return GetParam() == ExportRoute::Mp3 ? ".mp3" : ".wav"; }
};

TEST_P(ExportFailure, FullDiskKeepsTheOldTargetAndLeavesNoPartialFile) {
  const std::string out = dir.File("old" + Extension());
  WriteWavFile(out, 8000, 1, std::vector<int16_t>(100, 42));
  const auto before = ReadFileBytes(out);
  MemoryExportSource source(MakeTestSignal(44100 * 20, 2, 44100), 2, 44100);
  bool ok;
  {
    FileSizeLimit limit(40 * 1024);
    ok = RunExport(Job(Info(AudioFileInfo::kTypeWav, 44100, 2, 20000), 0, 20000, out, GetParam()),
                   host, dialogs, source);
  }
  EXPECT_FALSE(ok);
  EXPECT_EQ(dialogs.LastMessageText(), "Unable to write to " + out + ".");
  EXPECT_EQ(ReadFileBytes(out), before);
  EXPECT_EQ(FilesIn(dir.path()), 1u);
  EXPECT_EQ(source.closes, 1);
}

TEST_P(ExportFailure, UnwritableFolderKeepsTheOldTargetAndSaysSo) {
  const TempDir shared(TempDir::Where::SystemTemp);
  const fs::path folder = shared.path() / "locked";
  fs::create_directory(folder);
  const std::string out = (folder / ("old" + Extension())).string();
  WriteWavFile(out, 8000, 1, std::vector<int16_t>(100, 42));
  const auto before = ReadFileBytes(out);
  ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
  fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const ExportRoute route = GetParam();
  const int result = RunInChild(
      [&] {
        ScriptedDialogs childDialogs;
        RecordingHost childHost;
        MemoryExportSource source(std::vector<int16_t>(8000, 1), 1, 8000);
        if (!CheckExportTarget(out, "memory.wav", childDialogs)) return 2;
        const bool ok =
            RunExport(Job(Info(AudioFileInfo::kTypeWav, 8000, 1, 1000), 0, 1000, out, route),
                      childHost, childDialogs, source);
        return !ok && childDialogs.LastMessageText() == "Cannot create file " + out + "." ? 0 : 1;
      },
      true);
  // Checked before the export: the existing target cannot be replaced.
  EXPECT_EQ(result, 2);
  const int created = RunInChild(
      [&] {
        ScriptedDialogs childDialogs;
        RecordingHost childHost;
        MemoryExportSource source(std::vector<int16_t>(8000, 1), 1, 8000);
        const bool ok =
            RunExport(Job(Info(AudioFileInfo::kTypeWav, 8000, 1, 1000), 0, 1000, out, route),
                      childHost, childDialogs, source);
        return !ok && childDialogs.LastMessageText() == "Cannot create file " + out + "." ? 0 : 1;
      },
      true);
  EXPECT_EQ(created, 0);
  EXPECT_EQ(ReadFileBytes(out), before);
  EXPECT_EQ(FilesIn(folder), 1u);
}

INSTANTIATE_TEST_SUITE_P(Routes, ExportFailure,
                         ::testing::Values(ExportRoute::Mp3, ExportRoute::Wav),
                         [](const auto& info) {
                           return std::string(info.param == ExportRoute::Mp3 ? "Mp3" : "Wav");
                         });

TEST(CheckExportTarget, RefusesTheSourceUnderAnySpelling) {
  TempDir dir;
  const std::string source = dir.File("song.wav");
  WriteWavFile(source, 8000, 1, std::vector<int16_t>(10, 1));
  fs::create_symlink(source, dir.path() / "link.wav");
  const fs::path cwd = fs::current_path();
  for (const std::string& spelling :
       {source, dir.File("link.wav"), dir.File("./song.wav"), std::string("song.wav")}) {
    ScriptedDialogs dialogs;
    fs::current_path(dir.path());
    const bool allowed = CheckExportTarget(spelling, source, dialogs);
    fs::current_path(cwd);
    EXPECT_FALSE(allowed) << spelling;
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Can't overwrite the origin file");
    EXPECT_EQ(dialogs.messages[0].caption, "Error");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
  }
  EXPECT_EQ(ReadFileBytes(source).size(), 46u - 2u + 20u);
}

TEST(CheckExportTarget, AcceptsANewFileAndRefusesATargetThatCannotBeReplaced) {
  TempDir dir;
  ScriptedDialogs dialogs;
  EXPECT_TRUE(CheckExportTarget(dir.File("new.mp3"), dir.File("song.wav"), dialogs));
  fs::create_directory(dir.path() / "folder.mp3");
  EXPECT_FALSE(CheckExportTarget(dir.File("folder.mp3"), dir.File("song.wav"), dialogs));
  EXPECT_EQ(dialogs.LastMessageText(), "Can't Access file " + dir.File("folder.mp3"));
}

}  // namespace
