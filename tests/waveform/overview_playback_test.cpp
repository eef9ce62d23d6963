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
  std::vector<uint8_t> decoded;
  ASSERT_TRUE(OpenAudioStream(host.fileName, host.info, 0));
  uint8_t* block = nullptr;
  uint32_t blockBytes = 0;
  while (ReadAudioBlock(host.info, block, blockBytes)) {
    decoded.insert(decoded.end(), block, block + blockBytes);
  }
  CloseAudioStream(host.info);
  host.markBegin = 2000;
  host.markEnd = 5000;

  auto engine = std::make_unique<PlaybackEngine>(host, std::make_unique<SdlWaveOut>());
  std::unique_ptr<OverviewJob> job;
  int jobs = 0;
  const auto restartJob = [&] {
    job = std::make_unique<OverviewJob>(host.fileName, host.info, 384,
                                        OverviewJob::DefaultThreads(),
                                        [](int, std::vector<ColumnPeak>) {});
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
  const std::vector<uint8_t> expected(decoded.begin() + 2000 * 441 / 10 * 4,
                                      decoded.begin() + 5000 * 441 / 10 * 4);
  const PlayedMatch match = MatchPlayed(ReadFileBytes(output), expected);
  EXPECT_EQ(match.expectedBytes, expected.size());
  EXPECT_EQ(match.dropouts, 0);
}

}  // namespace
