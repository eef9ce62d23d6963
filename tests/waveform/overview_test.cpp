// The overview of real files through WaveformModel: silent then loud halves,
// a file replacing a running overview, damaged files that show what can be
// read, and real-time playback of an MP3 with no gap while overviews decode it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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
constexpr int kColumns = 100;

// Stereo frames: silence for `silentFrames`, then a loud 441 Hz tone.
std::vector<int16_t> HalfSilent(int frames, int silentFrames) {
  std::vector<int16_t> samples(2 * static_cast<size_t>(frames), 0);
  for (int frame = silentFrames; frame < frames; ++frame) {
    samples[2 * frame] = samples[2 * frame + 1] =
        static_cast<int16_t>(30000 * std::sin(frame * 2 * M_PI / 100));
  }
  return samples;
}

class OverviewTest : public ::testing::Test {
 protected:
  OverviewTest() : model(kColumns, 50) {
    EnsureCoreApplication();
    model.SetActive(true);
  }

  void Open(const std::string& path, const AudioFileInfo& info) {
    model.OpenFile(path, info);
    ASSERT_TRUE(WaitUntil([&] { return !model.OverviewRunning(); }, 20000));
  }

  int Filled() const {
    return static_cast<int>(std::count_if(model.Overview().begin(), model.Overview().end(),
                                          [](const ColumnPeak& peak) { return peak.filled; }));
  }

  TempDir dir;
  ScriptedDialogs dialogs;
  WaveformModel model;
};

TEST_F(OverviewTest, SilentHalfIsFlatLoudHalfIsTallAnotherFileReplacesIt) {
  const std::string mp3 = dir.File("half.mp3");
  ASSERT_TRUE(WriteMp3File(mp3, HalfSilent(4 * kRate, 2 * kRate), kRate, 2));
  AudioFileInfo info;
  ASSERT_TRUE(GetAudioFileInfo(mp3, info, dialogs));
  // A long WAV of loud test signal first, replaced at once.
  const std::string wav = dir.File("long.wav");
  WriteWavFile(wav, kRate, 2, MakeTestSignal(60 * kRate, 2, kRate));
  model.OpenFile(wav, {AudioFileInfo::kTypeWav, kRate, 2, 1411, 60000});
  Open(mp3, info);

  ASSERT_EQ(Filled(), kColumns);
  for (int column = 0; column < kColumns; ++column) {
    const ColumnPeak& peak = model.Overview()[column];
    EXPECT_TRUE(column >= 48 || peak.max - peak.min <= 200) << "flat " << column;
    EXPECT_TRUE(column <= 52 || (peak.max > 20000 && peak.min < -20000)) << "tall " << column;
  }
}

TEST_F(OverviewTest, DamagedFilesShowWhatCanBeRead) {
  const std::string whole = dir.File("whole.mp3");
  ASSERT_TRUE(WriteMp3File(whole, HalfSilent(4 * kRate, 0), kRate, 2));
  AudioFileInfo info;
  ASSERT_TRUE(GetAudioFileInfo(whole, info, dialogs));
  // The same file cut off after 60 % of its bytes, opened with the whole
  // file's description, as when it is truncated after being opened.
  std::vector<uint8_t> bytes = ReadFileBytes(whole);
  bytes.resize(bytes.size() * 6 / 10);
  const std::string cut = dir.File("cut.mp3");
  std::ofstream(cut, std::ios::binary).write(reinterpret_cast<char*>(bytes.data()), bytes.size());
  Open(cut, info);
  EXPECT_GT(Filled(), 40);
  EXPECT_LT(Filled(), 70);
  EXPECT_GT(model.Overview()[10].max, 20000);

  const std::string garbage = dir.File("garbage.mp3");
  std::ofstream(garbage, std::ios::binary) << std::string(100000, '\x5a');
  Open(garbage, info);
  EXPECT_EQ(Filled(), 0);
}

TEST(OverviewPlaybackTest, PlaybackSendsThePcmWithoutGapsWhileTheOverviewRuns) {
  EnsureCoreApplication();
  TempDir dir;
  const std::string output = dir.File("played.raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "23", 1);  // 1024 frames at 44.1 kHz: real time
  const int rate = 44100;
  RecordingPlaybackHost host;
  host.fileName = dir.File("clip.mp3");
  ASSERT_TRUE(WriteMp3File(host.fileName, MakeTestSignal(30 * rate, 2, rate), rate, 2));
  ASSERT_TRUE(GetAudioFileInfo(host.fileName, host.info, host.dialogs));

  auto engine = std::make_unique<PlaybackEngine>(host, std::make_unique<SdlWaveOut>());
  std::unique_ptr<OverviewJob> job;
  int jobs = 0;
  const auto restartJob = [&] {
    job = std::make_unique<OverviewJob>(host.fileName, host.info, 384, 2, OverviewJob::Deliver());
    ++jobs;
  };
  restartJob();
  engine->StartPlayback(host.fileName, host.info, 2000, 5000);
  ASSERT_TRUE(engine->Playing());
  ASSERT_TRUE(WaitUntil(
      [&] {
        if (job->Finished()) restartJob();
        return !engine->Playing();
      },
      30000));
  engine.reset();
  job.reset();
  setenv("SDL_AUDIODRIVER", "dummy", 1);

  EXPECT_GE(jobs, 2) << "the overview ran all along";
  // The reference: the piece as the program's stream decodes it alone.
  std::vector<uint8_t> expected;
  ASSERT_TRUE(OpenAudioStream(host.fileName, host.info, 2000));
  uint8_t* block = nullptr;
  uint32_t bytes = 0;
  while (expected.size() < 3u * rate * 4 && ReadAudioBlock(host.info, block, bytes))
    expected.insert(expected.end(), block, block + bytes);
  CloseAudioStream(host.info);
  expected.resize(3u * rate * 4);
  const PlayedMatch match = MatchPlayed(ReadFileBytes(output), expected);
  EXPECT_EQ(match.expectedBytes, expected.size());
  EXPECT_EQ(match.dropouts, 0);
}

}  // namespace
