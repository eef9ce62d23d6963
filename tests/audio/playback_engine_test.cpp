// SPDX-License-Identifier: GPL-3.0-or-later
// The playback engine driven buffer by buffer through the scripted device, on real WAV files:
// queueing, refill, the position arithmetic, stopping, and the failure paths (device refused,
// stream empty or short, buffers never back).
#include "audio/playback_engine.h"

#include <gtest/gtest.h>

#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "support/allocation_counter.h"
#include "support/core_application.h"
#include "support/fake_wave_out.h"
#include "support/recording_playback_host.h"
#include "support/test_files.h"

namespace {

constexpr uint32_t kBlock = PlaybackEngine::kBufferBytes;

class PlaybackEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureCoreApplication();
    auto fake = std::make_unique<FakeWaveOut>();
    device = fake.get();
    engine = std::make_unique<PlaybackEngine>(host, std::move(fake));
  }
  // A WAV of `frames` frames whose record claims `lengthMs` (default: the truth).
  void OpenWav(int rate, int channels, uint32_t frames, int32_t lengthMs = -1) {
    samples = MakeTestSignal(frames, channels, rate);
    host.fileName = dir.File("clip.wav");
    WriteWavFile(host.fileName, rate, channels, samples);
    host.info = {AudioFileInfo::kTypeWav, rate, channels, rate * channels * 16 / 1000,
                 lengthMs >= 0 ? lengthMs : static_cast<int32_t>(uint64_t{frames} * 1000 / rate),
                 SampleIndex(lengthMs >= 0 ? int64_t{lengthMs} * rate / 1000 : frames)};
  }
  void Play(uint32_t startMs, int32_t endMs) {
    engine->StartPlayback(host.fileName, host.info, startMs, endMs);
  }
  std::vector<uint8_t> Pcm(uint64_t firstFrame, uint64_t endFrame) const {
    const size_t frameBytes = static_cast<size_t>(host.info.Channels) * 2;
    const auto* bytes = reinterpret_cast<const uint8_t*>(samples.data());
    return {bytes + firstFrame * frameBytes, bytes + endFrame * frameBytes};
  }
  // How many descriptors refer to the file: a stream left open keeps it open.
  int OpenStreams() const {
    int count = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error))
      count += std::filesystem::read_symlink(entry.path(), error) ==
               std::filesystem::weakly_canonical(host.fileName);
    return count;
  }
  TempDir dir;
  RecordingPlaybackHost host;
  FakeWaveOut* device = nullptr;
  std::unique_ptr<PlaybackEngine> engine;
  std::vector<int16_t> samples;
};

TEST_F(PlaybackEngineTest, APieceQueuesSixteenBlocksAndEndsExactlyAtItsEnd) {
  OpenWav(44100, 2, 3 * 44100);
  Play(1000, 2000);
  EXPECT_EQ(engine->PendingBuffers(), 16);
  EXPECT_EQ(device->format.avgBytesPerSec, 176400u);
  EXPECT_EQ(device->format.blockAlign, 4u);
  device->PlayAll();
  std::vector<uint32_t> expectedLengths(21, kBlock);
  expectedLengths.push_back(4368);
  EXPECT_EQ(device->writtenLengths, expectedLengths);
  EXPECT_TRUE(device->playedBytes == Pcm(44100, 88200));
  // 2048 frames a block: 1046.44 ms rounds to 1046, ...; the last lands on 2000.
  EXPECT_EQ(std::pair(host.shownPositions.front(), host.curPos), std::pair(1046, 2000));
  EXPECT_FALSE(engine->Playing() || engine->ReachedSourceEnd() || device->IsOpen());
  EXPECT_EQ(host.fedBytes, 21u * kBlock + 4368u);
  EXPECT_EQ(OpenStreams(), 0);
}

// A stop resets and closes the device and feeds the returned buffers to the analyzer.
// A joined playback: the first range, then without a gap the second, cut on the file's timeline
// (in the prefill or in a refill); the position jumps from the first range's end into the second.
TEST_F(PlaybackEngineTest, AJoinedPlaybackPlaysBothRangesBackToBack) {
  struct Row {
    uint32_t firstStart;
    int32_t firstEnd;
    uint32_t thenStart;
    int32_t end;
  };
  for (const Row& row : {Row{1000, 3000, 6000, 8000}, Row{100, 150, 6000, 6100},
                         Row{0, 0, 6000, 8000}, Row{1000, 3000, 9000, 9000}}) {
    OpenWav(44100, 2, 10 * 44100);
    host.shownPositions.clear();
    device->playedBytes.clear();
    engine->StartJoinedPlayback(host.fileName, host.info, row.firstStart, row.firstEnd,
                                row.thenStart, row.end);
    device->PlayAll();
    const auto frame = [](int64_t ms) { return static_cast<uint64_t>(ms * 441 / 10); };
    std::vector<uint8_t> expected = Pcm(frame(row.firstStart), frame(row.firstEnd));
    const auto then = Pcm(frame(row.thenStart), frame(std::max<int64_t>(row.end, row.thenStart)));
    expected.insert(expected.end(), then.begin(), then.end());
    EXPECT_TRUE(device->playedBytes == expected) << row.firstStart;
    const bool joined = row.firstStart < static_cast<uint32_t>(row.firstEnd) &&
                        row.thenStart < static_cast<uint32_t>(row.end);
    const auto atJoin =
        std::find(host.shownPositions.begin(), host.shownPositions.end(), row.firstEnd);
    EXPECT_EQ(joined, atJoin + 1 < host.shownPositions.end() && atJoin[1] > row.firstEnd &&
                          atJoin[1] - static_cast<int32_t>(row.thenStart) <= 47);
    const bool playsThen = row.end > static_cast<int32_t>(row.thenStart);
    EXPECT_EQ(host.curPos, playsThen ? row.end : row.firstEnd);
    EXPECT_FALSE(engine->Playing() || device->IsOpen() || OpenStreams());
  }
}

TEST_F(PlaybackEngineTest, StopDrainsWithoutMovingThePositionAndAStartRestarts) {
  OpenWav(44100, 2, 3 * 44100);
  Play(0, 3000);
  device->PlayNext();
  device->PlayNext();
  Play(500, 3000);
  EXPECT_EQ(device->resets, 1);
  EXPECT_EQ(device->closes, 1);
  EXPECT_EQ(host.feeds, 2 + 16);
  EXPECT_GE(host.clearDisplayCalls, 1);
  EXPECT_EQ(host.shownPositions, (std::vector<int32_t>{46, 93}));
  EXPECT_EQ(engine->SamplesPlayed(), 22050u);
  device->playedBytes.clear();
  device->PlayNext();
  engine->StopPlayback();
  engine->StopPlayback();
  EXPECT_EQ(device->resets, 2);
  EXPECT_EQ(engine->SamplesPlayed(), 22050u + 17 * 2048);
  EXPECT_EQ(host.curPos, 546);
  EXPECT_TRUE(device->playedBytes == Pcm(22050, 22050 + 2048));
  EXPECT_EQ(OpenStreams(), 0);
}

// A refusing device: its error once, nothing open; no file, 3 channels or at the end: ignored.
TEST_F(PlaybackEngineTest, StartsThatCannotPlayAreIgnoredOrReported) {
  OpenWav(44100, 2, 3 * 44100);
  device->refuseOpen = true;
  Play(0, 2000);
  ASSERT_EQ(host.dialogs.messages.size(), 1u);
  EXPECT_EQ(host.dialogs.messages[0].text, "Can't open wave out device");
  EXPECT_FALSE(engine->Playing() || OpenStreams());
  device->refuseOpen = false;
  device->opens = 0;
  host.dialogs.messages.clear();
  engine->StartPlayback("", host.info, 0, 3000);
  engine->StartPlayback(host.fileName, MakeInfo(AudioFileInfo::kTypeWav, 44100, 3, 3000), 0, 3000);
  EXPECT_EQ(device->opens, 0);
  Play(1000, 2000);
  device->PlayNext();
  Play(2000, 2000);
  Play(2500, 2000);
  EXPECT_EQ(device->resets, 0);
  EXPECT_EQ(device->opens, 1);
  device->PlayAll();
  EXPECT_TRUE(device->playedBytes == Pcm(44100, 88200));
  EXPECT_EQ(host.curPos, 2000);
}

TEST_F(PlaybackEngineTest, AStreamEndingEarlySnapsThePositionToTheEnd) {
  OpenWav(8000, 1, 8004, 1200);  // 1000.5 ms of audio
  Play(0, 1200);
  EXPECT_EQ(device->writtenLengths, (std::vector<uint32_t>{kBlock, 8004 * 2 - kBlock}));
  EXPECT_FALSE(engine->StopFeeding());
  device->PlayAll();
  EXPECT_TRUE(engine->ReachedSourceEnd() && !device->IsOpen());
  // 4096 frames = 512 ms; 8004 frames = 1000.5 ms, the half to even; the snap.
  EXPECT_EQ(host.shownPositions, (std::vector<int32_t>{512, 1000, 1200}));
  EXPECT_TRUE(device->playedBytes == Pcm(0, 8004));
  EXPECT_EQ(OpenStreams(), 0);
}

// Nothing queued (a start past the audio, a file gone): it ends at once at the end.
TEST_F(PlaybackEngineTest, NothingQueuedEndsThePlaybackAtTheEnd) {
  for (const bool fileGone : {false, true}) {
    OpenWav(44100, 2, 44100, 3000);
    if (fileGone) std::filesystem::remove(host.fileName);
    host.shownPositions.clear();
    Play(fileGone ? 0 : 2000, 3000);
    EXPECT_FALSE(engine->Playing() || device->IsOpen());
    EXPECT_EQ(engine->PendingBuffers(), 0);
    EXPECT_EQ(OpenStreams(), 0);
    EXPECT_EQ(host.shownPositions, (std::vector<int32_t>{3000}));
  }
  EXPECT_EQ(device->closes, 2);
}

TEST_F(PlaybackEngineTest, StopGivesUpOnADeviceThatNeverHandsItsBuffersBack) {
  OpenWav(44100, 2, 3 * 44100);
  engine->SetDrainTimeoutMs(100);
  Play(0, 3000);
  device->PlayNext();
  device->stallOnReset = true;
  engine->StopPlayback();
  EXPECT_FALSE(engine->Playing() || engine->Draining() || device->IsOpen());
  EXPECT_EQ(engine->PendingBuffers(), 0);
  EXPECT_EQ(OpenStreams(), 0);
  // The buffers are usable again: the next playback runs normally.
  device->stallOnReset = false;
  Play(2000, 3000);
  device->PlayAll();
  EXPECT_EQ(host.curPos, 3000);
}

TEST_F(PlaybackEngineTest, StopWaitsForCompletionsThatArriveLateAndIgnoresStrayOnes) {
  OpenWav(44100, 2, 3 * 44100);
  engine->SetDrainTimeoutMs(10000);
  Play(0, 3000);
  engine->MMWomDone(device, const_cast<WaveHeader*>(device->QueuedHeader(0)));  // still queued
  EXPECT_EQ(host.feeds, 0);
  device->stallOnReset = true;
  QTimer::singleShot(20, engine.get(), [this] {
    device->stallOnReset = false;
    device->Reset();
  });
  engine->StopPlayback();
  EXPECT_TRUE(!engine->Playing() && device->closes == 1);
  EXPECT_EQ(host.feeds, 16);  // every buffer came back through the handler, once
}

TEST_F(PlaybackEngineTest, HandlingAReturnedBufferAllocatesNothing) {
  OpenWav(44100, 2, 60 * 44100);
  host.recordPositions = false;
  device->writtenLengths.reserve(1000);
  device->playedBytes.reserve(1000 * kBlock);
  Play(0, 60000);
  for (int i = 0; i < 20; ++i) device->PlayNext();  // warm up Qt's event queue
  uint64_t allocations = 0;
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(device->FinishNext());
    const uint64_t before = ThreadAllocations();
    device->Deliver();
    allocations += ThreadAllocations() - before;
  }
  EXPECT_EQ(allocations, 0u) << (CountsMalloc() ? "malloc and new counted" : "new counted");
  EXPECT_EQ(host.feeds, 220);
}

}  // namespace
