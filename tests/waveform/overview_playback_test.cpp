// Playback while the overview is computed: SDL's disk driver, paced at real
// time, records what the device played while overview jobs decode the same
// MP3 over and over on their own threads. Every byte of the piece must come
// out in order with no run of silence inside it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "audio/mp3io.h"
#include "audio/playback_engine.h"
#include "audio/sdl_wave_out.h"
#include "support/core_application.h"
#include "support/mp3_maker.h"
#include "support/played_audio.h"
#include "support/recording_playback_host.h"
#include "support/test_files.h"
#include "waveform/overview_job.h"

namespace {

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
  host.markBegin = 2000;
  host.markEnd = 5000;

  auto engine = std::make_unique<PlaybackEngine>(host, std::make_unique<SdlWaveOut>());
  std::unique_ptr<OverviewJob> job;
  int jobs = 0;
  const auto restartJob = [&] {
    job = std::make_unique<OverviewJob>(host.fileName, host.info, 384, 2, OverviewJob::Deliver());
    ++jobs;
  };
  restartJob();
  engine->tbPlayselectedClick();
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
