// The overview of real files through WaveformModel: a file replacing a running
// overview, damaged files that show what can be read, and real-time playback
// of an MP3 with no gap while overviews decode it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "audio/mp3io.h"
#include "audio/playback_engine.h"
#include "audio/sdl_wave_out.h"
#include "support/core_application.h"
#include "support/mp3_maker.h"
#include "support/played_audio.h"
#include "support/recording_playback_host.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"
#include "waveform/waveform_model.h"

namespace {

constexpr int kRate = 44100;

// A damaged MP3 replaces a running overview of a long WAV: none of the WAV's
// columns may land in it, and the readable part is shown.
TEST(OverviewTest, DamagedFilesShowWhatCanBeReadAndReplaceARunningOverview) {
  EnsureCoreApplication();
  TempDir dir;
  ScriptedDialogs dialogs;
  WaveformModel model(100, 50);
  model.SetActive(true);
  const auto open = [&](const std::string& path, const AudioFileInfo& info) {
    model.OpenFile(path, info);
    EXPECT_TRUE(WaitUntil([&] { return !model.OverviewRunning(); }, 20000));
    return std::count_if(model.Overview().begin(), model.Overview().end(),
                         [](const ColumnPeak& peak) { return peak.filled; });
  };
  const std::string whole = dir.File("whole.mp3");
  ASSERT_TRUE(WriteMp3File(whole, MakeTestSignal(4 * kRate, 2, kRate), kRate, 2));
  AudioFileInfo info;
  ASSERT_TRUE(GetAudioFileInfo(whole, info, dialogs));
  // Cut off after 60 % of its bytes, as when truncated after being opened.
  std::vector<uint8_t> bytes = ReadFileBytes(whole);
  const std::string cut = dir.File("cut.mp3");
  std::ofstream(cut, std::ios::binary)
      .write(reinterpret_cast<char*>(bytes.data()), bytes.size() * 6 / 10);
  const std::string wav = dir.File("long.wav");
  WriteWavFile(wav, kRate, 2, MakeTestSignal(60 * kRate, 2, kRate));
  model.OpenFile(wav, {AudioFileInfo::kTypeWav, kRate, 2, 1411, 60000});
  const auto filled = open(cut, info);
  EXPECT_GT(filled, 40);
  EXPECT_LT(filled, 70);
  EXPECT_GT(model.Overview()[10].max, 15000);
  const std::string garbage = dir.File("garbage.mp3");
  std::ofstream(garbage, std::ios::binary) << std::string(100000, '\x5a');
  EXPECT_EQ(open(garbage, info), 0);
}

// The overview's workers decode the file on their own: real-time playback of
// the same MP3 meanwhile plays its PCM exactly, with no gap.
TEST(OverviewPlaybackTest, PlaybackSendsThePcmWithoutGapsWhileTheOverviewRuns) {
  EnsureCoreApplication();
  TempDir dir;
  const std::string output = dir.File("played.raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "23", 1);  // 1024 frames at 44.1 kHz: real time
  RecordingPlaybackHost host;
  host.fileName = dir.File("clip.mp3");
  ASSERT_TRUE(WriteMp3File(host.fileName, MakeTestSignal(30 * kRate, 2, kRate), kRate, 2));
  ASSERT_TRUE(GetAudioFileInfo(host.fileName, host.info, host.dialogs));
  auto engine = std::make_unique<PlaybackEngine>(host, std::make_unique<SdlWaveOut>());
  std::unique_ptr<OverviewJob> job;
  int jobs = 0;
  engine->StartPlayback(host.fileName, host.info, 2000, 5000);
  ASSERT_TRUE(WaitUntil(
      [&] {
        if (!job || job->Finished()) {
          job = std::make_unique<OverviewJob>(host.fileName, host.info, 384, 2, nullptr);
          ++jobs;
        }
        return !engine->Playing();
      },
      30000));
  engine.reset();
  job.reset();
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_GE(jobs, 2) << "the overview ran all along";
  std::vector<uint8_t> expected;
  ASSERT_TRUE(OpenAudioStream(host.fileName, host.info, 2000));
  uint8_t* block = nullptr;
  uint32_t bytes = 0;
  while (expected.size() < 3u * kRate * 4 && ReadAudioBlock(host.info, block, bytes))
    expected.insert(expected.end(), block, block + bytes);
  CloseAudioStream(host.info);
  expected.resize(3u * kRate * 4);
  const PlayedMatch match = MatchPlayed(ReadFileBytes(output), expected);
  EXPECT_EQ(match.expectedBytes, expected.size());
  EXPECT_EQ(match.dropouts, 0);
}

}  // namespace
