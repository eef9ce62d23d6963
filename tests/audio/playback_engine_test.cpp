// The playback engine driven buffer by buffer through the scripted device:
// queueing, refill and retirement, the position arithmetic, the commands,
// stopping, and the failure paths (device refused, stream empty, device that
// never hands its buffers back). The audio comes from real WAV files read by
// the program's own stream reader.
#include "audio/playback_engine.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>

#include "support/allocation_counter.h"
#include "support/core_application.h"
#include "audio/mp3io.h"
#include "support/fake_wave_out.h"
#include "support/mp3_maker.h"
#include "support/recording_playback_host.h"
#include "support/test_files.h"

namespace {

constexpr uint32_t kBlock = PlaybackEngine::kBufferBytes;

// How many descriptors of this process refer to `path`: a stream left open
// keeps its file open.
int OpenDescriptorsTo(const std::string& path) {
  namespace fs = std::filesystem;
  const fs::path target = fs::weakly_canonical(path);
  int count = 0;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd", error)) {
    std::error_code linkError;
    const fs::path linked = fs::read_symlink(entry.path(), linkError);
    if (!linkError && linked == target) ++count;
  }
  return count;
}

class PlaybackEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureCoreApplication();
    auto fake = std::make_unique<FakeWaveOut>();
    device = fake.get();
    engine = std::make_unique<PlaybackEngine>(host, std::move(fake));
  }

  // Writes a WAV of `frames` test-signal frames and opens it in the host.
  // `lengthMs` is what the host believes the length is (by default the true
  // length, truncated to whole milliseconds).
  void OpenWav(int rate, int channels, uint32_t frames, int32_t lengthMs = -1) {
    samples = MakeTestSignal(frames, channels, rate);
    host.fileName = dir.File("clip.wav");
    WriteWavFile(host.fileName, rate, channels, samples);
    host.info.FileType = AudioFileInfo::kTypeWav;
    host.info.SampleRate = rate;
    host.info.Channels = channels;
    host.info.Bitrate = rate * channels * 16 / 1000;
    host.info.LengthMs =
        lengthMs >= 0 ? lengthMs : static_cast<int32_t>(uint64_t{frames} * 1000 / rate);
  }

  // The file's PCM bytes of frames [firstFrame, endFrame).
  std::vector<uint8_t> Pcm(uint64_t firstFrame, uint64_t endFrame) const {
    const size_t channels = static_cast<size_t>(host.info.Channels);
    const auto* bytes = reinterpret_cast<const uint8_t*>(samples.data());
    return {bytes + firstFrame * channels * 2, bytes + endFrame * channels * 2};
  }

  int OpenStreams() const { return OpenDescriptorsTo(host.fileName); }

  TempDir dir;
  RecordingPlaybackHost host;
  FakeWaveOut* device = nullptr;
  std::unique_ptr<PlaybackEngine> engine;
  std::vector<int16_t> samples;
};

TEST_F(PlaybackEngineTest, PlaySelectedQueuesSixteenBlocksAndEndsExactlyAtTheMarkEnd) {
  OpenWav(44100, 2, 3 * 44100);
  host.markBegin = 1000;
  host.markEnd = 2000;

  engine->tbPlayselectedClick();

  EXPECT_EQ(host.curPos, 1000);
  EXPECT_TRUE(engine->Playing());
  EXPECT_EQ(engine->PlayEndMs(), 2000);
  EXPECT_EQ(engine->SamplesPlayed(), 44100u);
  EXPECT_EQ(engine->SamplesToPlay(), 44100u);
  EXPECT_EQ(engine->PendingBuffers(), 16);
  EXPECT_EQ(device->writtenLengths.size(), 16u);
  EXPECT_EQ(device->format.channels, 2);
  EXPECT_EQ(device->format.samplesPerSec, 44100u);
  EXPECT_EQ(device->format.avgBytesPerSec, 176400u);
  EXPECT_EQ(device->format.blockAlign, 4);
  EXPECT_EQ(device->format.bitsPerSample, 16);

  device->PlayAll();

  std::vector<uint32_t> expectedLengths(21, kBlock);
  expectedLengths.push_back(4368);
  EXPECT_EQ(device->writtenLengths, expectedLengths);
  EXPECT_TRUE(device->playedBytes == Pcm(44100, 88200));
  EXPECT_EQ(host.curPos, 2000);
  EXPECT_FALSE(engine->Playing());
  EXPECT_FALSE(engine->ReachedSourceEnd());
  EXPECT_EQ(engine->PendingBuffers(), 0);
  EXPECT_FALSE(device->IsOpen());
  EXPECT_EQ(host.feeds, 22);
  EXPECT_EQ(host.fedBytes, 21u * kBlock + 4368u);
  EXPECT_EQ(host.clearDisplayCalls, 1);
  EXPECT_EQ(OpenStreams(), 0);
}

TEST_F(PlaybackEngineTest, PositionMovesOncePerReturnedBufferByThePlayedFrames) {
  OpenWav(44100, 2, 3 * 44100);
  engine->tbPlayClick();
  device->PlayNext();
  device->PlayNext();
  device->PlayNext();
  // 2048 frames a block: 46.44, 92.88, 139.32 ms.
  EXPECT_EQ(host.shownPositions, (std::vector<int32_t>{46, 93, 139}));
  EXPECT_EQ(engine->SamplesPlayed(), 3u * 2048u);
  EXPECT_EQ(device->writtenLengths.size(), 19u);
}

struct SelectedStart {
  int32_t curPos;
  int32_t expectedStartMs;
};

class PlaySelectedStartTest : public PlaybackEngineTest,
                              public ::testing::WithParamInterface<SelectedStart> {};

TEST_P(PlaySelectedStartTest, StartsInsideTheMarksOrAtTheMarkBegin) {
  OpenWav(44100, 2, 3 * 44100);
  host.markBegin = 1000;
  host.markEnd = 2000;
  host.curPos = GetParam().curPos;

  engine->tbPlayselectedClick();

  EXPECT_EQ(host.curPos, GetParam().expectedStartMs);
  EXPECT_EQ(engine->SamplesPlayed(), uint64_t(GetParam().expectedStartMs) * 441 / 10);
  device->PlayNext();
  const uint64_t firstFrame = uint64_t(GetParam().expectedStartMs) * 441 / 10;
  EXPECT_TRUE(device->playedBytes == Pcm(firstFrame, std::min<uint64_t>(firstFrame + 2048, 88200)));
}

INSTANTIATE_TEST_SUITE_P(Marks1000To2000, PlaySelectedStartTest,
                         ::testing::Values(SelectedStart{1500, 1500}, SelectedStart{1000, 1000},
                                           SelectedStart{1990, 1990}, SelectedStart{2000, 1000},
                                           SelectedStart{2500, 1000}, SelectedStart{500, 1000},
                                           SelectedStart{0, 1000}));

TEST_F(PlaybackEngineTest, PlaySelectedWithEmptyOrCrossedMarksDoesNothing) {
  OpenWav(44100, 2, 44100);
  host.curPos = 300;
  for (const auto& [begin, end] : {std::pair{500, 500}, std::pair{900, 400}}) {
    host.markBegin = begin;
    host.markEnd = end;
    engine->tbPlayselectedClick();
    EXPECT_FALSE(engine->Playing());
    EXPECT_EQ(device->opens, 0);
    EXPECT_EQ(host.curPos, 300);
    EXPECT_EQ(host.showPositionCalls, 0);
  }
}

TEST_F(PlaybackEngineTest, StartFramesAndFramesToPlayRoundHalvesToEven) {
  OpenWav(22050, 1, 22050);
  // 10 ms is 220.5 frames and the 30 ms to play are 661.5 frames.
  host.markBegin = 10;
  host.markEnd = 40;
  engine->tbPlayselectedClick();
  EXPECT_EQ(engine->SamplesPlayed(), 220u);
  EXPECT_EQ(engine->SamplesToPlay(), 662u);
  device->PlayAll();
  EXPECT_EQ(device->writtenLengths, (std::vector<uint32_t>{662 * 2}));
  EXPECT_TRUE(device->playedBytes == Pcm(220, 220 + 662));
  // 882 frames are 40 ms.
  EXPECT_EQ(host.curPos, 40);
}

TEST_F(PlaybackEngineTest, PlayAtTheEndRestartsFromTheBeginning) {
  OpenWav(44100, 2, 2 * 44100);
  host.curPos = host.info.LengthMs;

  engine->tbPlayClick();

  EXPECT_EQ(host.curPos, 0);
  EXPECT_EQ(engine->PlayEndMs(), 2000);
  EXPECT_EQ(engine->SamplesPlayed(), 0u);
  device->PlayNext();
  EXPECT_TRUE(device->playedBytes == Pcm(0, 2048));
}

TEST_F(PlaybackEngineTest, PieceShorterThanTheRingIsQueuedWholeAndClosesOnItsLastBuffer) {
  OpenWav(44100, 2, 44100);
  host.markBegin = 100;
  host.markEnd = 300;  // 8820 frames: four blocks and 628 frames
  engine->tbPlayselectedClick();
  EXPECT_EQ(device->writtenLengths, (std::vector<uint32_t>{kBlock, kBlock, kBlock, kBlock, 2512}));
  EXPECT_TRUE(engine->StopFeeding());
  EXPECT_EQ(engine->PendingBuffers(), 5);
  for (int i = 0; i < 4; ++i) device->PlayNext();
  EXPECT_TRUE(engine->Playing());
  EXPECT_TRUE(device->IsOpen());
  device->PlayNext();
  EXPECT_FALSE(engine->Playing());
  EXPECT_FALSE(device->IsOpen());
  EXPECT_EQ(host.curPos, 300);
  EXPECT_EQ(device->writtenLengths.size(), 5u);
}

TEST_F(PlaybackEngineTest, PauseKeepsThePositionAndPauseAgainResumesToTheEndOfTheFile) {
  OpenWav(44100, 2, 3 * 44100);
  host.markBegin = 1000;
  host.markEnd = 2000;
  engine->tbPlayselectedClick();
  for (int i = 0; i < 5; ++i) device->PlayNext();
  const uint64_t playedFrames = 44100 + 5 * 2048;  // 1232.2 ms

  engine->tbPauseClick();

  EXPECT_FALSE(engine->Playing());
  EXPECT_EQ(device->resets, 1);
  EXPECT_FALSE(device->IsOpen());
  EXPECT_EQ(host.curPos, 1232);
  EXPECT_EQ(host.feeds, 5 + 16);  // the buffers handed back unplayed reach the analyzer too
  EXPECT_GE(host.clearDisplayCalls, 1);
  EXPECT_EQ(OpenStreams(), 0);
  EXPECT_EQ(engine->SamplesPlayed(), playedFrames + 16 * 2048);

  device->playedBytes.clear();
  engine->tbPauseClick();

  EXPECT_TRUE(engine->Playing());
  EXPECT_EQ(engine->PlayEndMs(), 3000);
  EXPECT_EQ(engine->SamplesPlayed(), 54331u);  // 1232 ms
  device->PlayAll();
  EXPECT_TRUE(device->playedBytes == Pcm(54331, 3 * 44100));
  EXPECT_EQ(host.curPos, 3000);
}

TEST_F(PlaybackEngineTest, StopWhilePlayingRewindsAfterTheDeviceHandedEverythingBack) {
  OpenWav(44100, 2, 3 * 44100);
  engine->tbPlayClick();
  device->PlayNext();
  device->PlayNext();
  const size_t shownBefore = host.shownPositions.size();

  engine->tbStopClick();

  EXPECT_FALSE(engine->Playing());
  EXPECT_EQ(device->resets, 1);
  EXPECT_EQ(device->closes, 1);
  EXPECT_EQ(engine->PendingBuffers(), 0);
  EXPECT_EQ(host.feeds, 2 + 16);
  EXPECT_GE(host.clearDisplayCalls, 1);
  EXPECT_EQ(host.curPos, 0);
  // While draining the position did not move; then Stop showed 0.
  EXPECT_EQ(host.shownPositions.size(), shownBefore + 1);
  EXPECT_EQ(host.shownPositions.back(), 0);
  EXPECT_EQ(OpenStreams(), 0);
}

TEST_F(PlaybackEngineTest, StopWhileNotPlayingChangesNothing) {
  OpenWav(44100, 2, 44100);
  host.curPos = 1234;
  engine->tbStopClick();
  EXPECT_EQ(host.curPos, 1234);
  EXPECT_EQ(host.showPositionCalls, 0);
  EXPECT_EQ(device->resets, 0);
  EXPECT_EQ(device->opens, 0);
}

TEST_F(PlaybackEngineTest, StartAtOrPastThePlayEndLeavesTheRunningPlaybackAlone) {
  OpenWav(44100, 2, 3 * 44100);
  host.markBegin = 1000;
  host.markEnd = 2000;
  engine->tbPlayselectedClick();
  device->PlayNext();

  engine->StartPlayback(2000);
  engine->StartPlayback(2500);

  EXPECT_TRUE(engine->Playing());
  EXPECT_EQ(device->resets, 0);
  EXPECT_EQ(device->opens, 1);
  device->PlayAll();
  EXPECT_TRUE(device->playedBytes == Pcm(44100, 88200));
  EXPECT_EQ(host.curPos, 2000);
}

TEST_F(PlaybackEngineTest, StartWhilePlayingRestartsAtTheNewPosition) {
  // What a jump, a nudge or the drop of a dragged handle does while playing.
  OpenWav(44100, 2, 3 * 44100);
  engine->tbPlayClick();
  device->PlayNext();
  device->PlayNext();

  engine->StartPlayback(500);

  EXPECT_TRUE(engine->Playing());
  EXPECT_EQ(device->resets, 1);
  EXPECT_EQ(device->opens, 2);
  EXPECT_EQ(host.curPos, 93);  // the old run's last finished buffer; the drain did not move it
  EXPECT_EQ(engine->SamplesPlayed(), 22050u);
  EXPECT_EQ(engine->PendingBuffers(), 16);
  device->playedBytes.clear();
  device->PlayAll();
  EXPECT_TRUE(device->playedBytes == Pcm(22050, 3 * 44100));
  EXPECT_EQ(host.curPos, 3000);
  EXPECT_EQ(OpenStreams(), 0);
}

TEST_F(PlaybackEngineTest, StartWithoutAFileIsIgnored) {
  host.info.LengthMs = 5000;
  host.info.SampleRate = 44100;
  host.info.Channels = 2;
  engine->tbPlayClick();
  EXPECT_FALSE(engine->Playing());
  EXPECT_EQ(device->opens, 0);
  EXPECT_TRUE(host.dialogs.messages.empty());
}

TEST_F(PlaybackEngineTest, StreamEndingBeforeThePlayEndSnapsThePositionToIt) {
  // The file holds 8004 frames (1000.5 ms) but is believed to last 1200 ms,
  // as with an MP3 whose decoder delivers less than its length promised.
  OpenWav(8000, 1, 8004, 1200);
  engine->tbPlayClick();
  EXPECT_EQ(device->writtenLengths, (std::vector<uint32_t>{kBlock, 8004 * 2 - kBlock}));
  EXPECT_FALSE(engine->StopFeeding());

  device->PlayAll();

  EXPECT_TRUE(engine->ReachedSourceEnd());
  EXPECT_FALSE(engine->Playing());
  EXPECT_FALSE(device->IsOpen());
  // 4096 frames = 512 ms; 8004 frames = 1000.5 ms, a half that goes to the
  // even neighbour; then the snap to the end.
  EXPECT_EQ(host.shownPositions, (std::vector<int32_t>{512, 1000, 1200}));
  EXPECT_EQ(host.curPos, 1200);
  EXPECT_TRUE(device->playedBytes == Pcm(0, 8004));
  EXPECT_EQ(OpenStreams(), 0);
}

TEST_F(PlaybackEngineTest, Mp3DeliveringLessThanItsLengthEndsAtTheLength) {
  host.fileName = dir.File("clip.mp3");
  ASSERT_TRUE(WriteMp3File(host.fileName, MakeTestSignal(44100, 2, 44100), 44100, 2));
  ASSERT_TRUE(GetAudioFileInfo(host.fileName, host.info, host.dialogs));
  ASSERT_EQ(host.info.LengthMs, 1000);
  host.info.LengthMs = 1400;  // the length promised more than the decoder gives

  engine->tbPlayClick();
  device->PlayAll();

  EXPECT_TRUE(engine->ReachedSourceEnd());
  EXPECT_FALSE(engine->Playing());
  EXPECT_EQ(device->playedBytes.size(), 44100u * 4);
  EXPECT_EQ(host.shownPositions.end()[-2], 1000);  // the last buffer played
  EXPECT_EQ(host.curPos, 1400);
}

TEST_F(PlaybackEngineTest, RefusedDeviceShowsTheErrorOnceAndLeavesNothingOpen) {
  OpenWav(44100, 2, 2 * 44100);
  device->refuseOpen = true;
  host.curPos = host.info.LengthMs;

  engine->tbPlayClick();

  ASSERT_EQ(host.dialogs.messages.size(), 1u);
  EXPECT_EQ(host.dialogs.messages[0].text, "Can't open wave out device");
  EXPECT_EQ(host.dialogs.messages[0].caption, "Error");
  EXPECT_EQ(host.dialogs.messages[0].icon, MessageIcon::Error);
  EXPECT_FALSE(engine->Playing());
  EXPECT_EQ(host.curPos, 0);  // Play rewound it before trying
  EXPECT_EQ(OpenStreams(), 0);
  EXPECT_TRUE(device->writtenLengths.empty());

  engine->tbStopClick();
  EXPECT_EQ(host.dialogs.messages.size(), 1u);
  EXPECT_EQ(device->resets, 0);
}

struct EmptyStart {
  const char* name;
  bool fileMissing;
  int32_t curPos;
};

class EmptyPrefillTest : public PlaybackEngineTest,
                         public ::testing::WithParamInterface<EmptyStart> {};

TEST_P(EmptyPrefillTest, NothingQueuedEndsThePlaybackAtThePlayEnd) {
  // The file holds one second but is believed to last three.
  OpenWav(44100, 2, 44100, 3000);
  if (GetParam().fileMissing) std::filesystem::remove(host.fileName);
  host.curPos = GetParam().curPos;

  engine->tbPlayClick();

  EXPECT_FALSE(engine->Playing());
  EXPECT_EQ(engine->PendingBuffers(), 0);
  EXPECT_FALSE(device->IsOpen());
  EXPECT_EQ(device->closes, 1);
  EXPECT_EQ(host.curPos, 3000);
  EXPECT_EQ(host.shownPositions, (std::vector<int32_t>{3000}));
  EXPECT_TRUE(host.dialogs.messages.empty());
  EXPECT_EQ(OpenStreams(), 0);

  // Pause now starts again instead of stopping a playback that never was.
  engine->tbPauseClick();
  EXPECT_EQ(device->resets, 0);
  EXPECT_EQ(device->opens, 2);
}

INSTANTIATE_TEST_SUITE_P(Cases, EmptyPrefillTest,
                         ::testing::Values(EmptyStart{"StartPastTheAudio", false, 2000},
                                           EmptyStart{"FileGone", true, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlaybackEngineTest, StopGivesUpOnADeviceThatNeverHandsItsBuffersBack) {
  OpenWav(44100, 2, 3 * 44100);
  engine->SetDrainTimeoutMs(100);
  engine->tbPlayClick();
  device->PlayNext();
  device->stallOnReset = true;

  QElapsedTimer elapsed;
  elapsed.start();
  engine->tbStopClick();

  EXPECT_GE(elapsed.elapsed(), 100);  // it did wait for late completions
  EXPECT_FALSE(engine->Playing());
  EXPECT_FALSE(engine->Draining());
  EXPECT_EQ(engine->PendingBuffers(), 0);
  EXPECT_FALSE(device->IsOpen());
  EXPECT_EQ(host.curPos, 0);
  EXPECT_GE(host.clearDisplayCalls, 1);
  EXPECT_EQ(OpenStreams(), 0);

  // The buffers are usable again: the next playback runs normally.
  device->stallOnReset = false;
  device->playedBytes.clear();
  host.curPos = 2000;
  engine->tbPlayClick();
  EXPECT_EQ(engine->PendingBuffers(), 16);
  device->PlayAll();
  EXPECT_TRUE(device->playedBytes == Pcm(88200, 3 * 44100));
  EXPECT_EQ(host.curPos, 3000);
}

TEST_F(PlaybackEngineTest, StopWaitsForCompletionsThatArriveLate) {
  OpenWav(44100, 2, 3 * 44100);
  engine->SetDrainTimeoutMs(10000);
  engine->tbPlayClick();
  device->stallOnReset = true;
  // The device hands the buffers back a little after the reset, from the
  // event loop that StopPlayback runs while it waits.
  QTimer::singleShot(20, engine.get(), [this] {
    device->stallOnReset = false;
    device->Reset();
  });

  engine->tbStopClick();

  EXPECT_FALSE(engine->Playing());
  EXPECT_EQ(host.feeds, 16);  // every buffer came back through the handler
  EXPECT_EQ(device->closes, 1);
  EXPECT_EQ(host.curPos, 0);
}

TEST_F(PlaybackEngineTest, CompletionForAHeaderStillQueuedIsIgnored) {
  OpenWav(44100, 2, 3 * 44100);
  engine->tbPlayClick();
  auto* queued = const_cast<WaveHeader*>(device->QueuedHeader(0));
  engine->MMWomDone(device, queued);
  EXPECT_EQ(host.feeds, 0);
  EXPECT_EQ(engine->PendingBuffers(), 16);
  EXPECT_EQ(engine->SamplesPlayed(), 0u);
}

TEST_F(PlaybackEngineTest, HandlingAReturnedBufferAllocatesNothing) {
  OpenWav(44100, 2, 60 * 44100);
  host.recordPositions = false;
  device->writtenLengths.reserve(1000);
  device->playedBytes.reserve(1000 * kBlock);
  engine->tbPlayClick();
  for (int i = 0; i < 20; ++i) device->PlayNext();  // warm up Qt's event queue

  uint64_t allocations = 0;
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(device->FinishNext());
    const uint64_t before = ThreadAllocations();
    device->Deliver();
    allocations += ThreadAllocations() - before;
  }

  EXPECT_EQ(allocations, 0u) << (CountsMalloc() ? "malloc and new counted" : "new counted");
  EXPECT_TRUE(engine->Playing());
  EXPECT_EQ(host.feeds, 220);
}

}  // namespace
