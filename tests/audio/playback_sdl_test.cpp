// Playback end to end: the engine, the stream reader and the SDL device on
// SDL's disk driver, whose output file holds exactly the bytes the device
// played. The played audio must be the file's PCM from the start position to
// the end position, byte for byte, with at most silence before and after;
// CurPos must end at the end position; and SDL's audio thread must not
// allocate while it plays.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "audio/mp3io.h"
#include "audio/playback_engine.h"
#include "audio/sdl_wave_out.h"
#include "support/allocation_counter.h"
#include "support/core_application.h"
#include "support/mp3_maker.h"
#include "support/played_audio.h"
#include "support/recording_playback_host.h"
#include "support/test_files.h"

namespace {

// Allocations made by threads other than this (the UI) thread.
uint64_t OtherThreadAllocations() { return ProcessAllocations() - ThreadAllocations(); }

// Notes, at every returned buffer, how many allocations other threads have
// made so far.
class CountingHost : public RecordingPlaybackHost {
 public:
  std::vector<uint64_t> otherThreadAllocationsAtFeed;
  void SpectrumFeed(const uint8_t* data, uint32_t sizeBytes) override {
    RecordingPlaybackHost::SpectrumFeed(data, sizeBytes);
    if (otherThreadAllocationsAtFeed.size() < otherThreadAllocationsAtFeed.capacity()) {
      otherThreadAllocationsAtFeed.push_back(OtherThreadAllocations());
    }
  }
};

// Qt's queue of posted events grows when more events wait in it than ever
// before, and the audio thread's post would then count as its allocation. A
// running program has long used it for its own events; give the test's queue
// the same head start, room for all sixteen completions and more.
void WarmPostedEventQueue() {
  QObject receiver;
  for (int i = 0; i < 64; ++i) QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
  QCoreApplication::sendPostedEvents();
}

// Checks that `played` is `expected`, byte for byte, with only silence
// around it (and inside it, where this thread was late with a refill on a
// busy machine and the device ran dry for a moment).
void ExpectPlayedExactly(const std::vector<uint8_t>& played, const std::vector<uint8_t>& expected) {
  const PlayedMatch match = MatchPlayed(played, expected);
  EXPECT_EQ(match.expectedBytes, expected.size())
      << "first difference at byte " << match.expectedBytes << " of " << expected.size();
  EXPECT_TRUE(SilentFrom(played, match.playedEnd)) << "something played after the end";
}

class PlaybackSdlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureCoreApplication();
    WarmPostedEventQueue();
    output = dir.File("played.raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    // The disk driver takes 1024 frames every 2 ms, over ten times real
    // time; the 16 queued buffers give the UI thread some 60 ms to refill.
    setenv("SDL_DISKAUDIODELAY", "2", 1);
    engine = std::make_unique<PlaybackEngine>(host, std::make_unique<SdlWaveOut>());
  }
  void TearDown() override {
    engine.reset();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }

  TempDir dir;
  std::string output;
  CountingHost host;
  std::unique_ptr<PlaybackEngine> engine;
};

TEST_F(PlaybackSdlTest, WavPieceReachesTheDeviceByteForByte) {
  const int rate = 44100;
  const std::vector<int16_t> samples = MakeTestSignal(5 * rate, 2, rate);
  host.fileName = dir.File("clip.wav");
  WriteWavFile(host.fileName, rate, 2, samples);
  host.info = {AudioFileInfo::kTypeWav, rate, 2, 1411, 5000};
  host.otherThreadAllocationsAtFeed.reserve(1000);

  engine->StartPlayback(host.fileName, host.info, 1000, 4000);
  ASSERT_TRUE(engine->Playing());
  ASSERT_TRUE(WaitUntil([&] { return !engine->Playing(); }, 30000));

  EXPECT_EQ(host.curPos, 4000);
  EXPECT_FALSE(engine->ReachedSourceEnd());
  const auto* bytes = reinterpret_cast<const uint8_t*>(samples.data());
  ExpectPlayedExactly(ReadFileBytes(output), {bytes + 1 * rate * 4, bytes + 4 * rate * 4});

  // 3 s are 65 buffers (the last one cut). Past the first few (SDL's thread
  // starting, the output file's first write) the audio thread allocates
  // nothing.
  const auto& counts = host.otherThreadAllocationsAtFeed;
  ASSERT_EQ(counts.size(), 65u);
  EXPECT_EQ(counts.back() - counts[8], 0u)
      << "allocations off the UI thread while playing ("
      << (CountsMalloc() ? "malloc and new" : "new") << " counted)";
}

TEST_F(PlaybackSdlTest, Mp3PieceReachesTheDeviceAsTheDecoderDeliversIt) {
  const int rate = 44100;
  host.fileName = dir.File("clip.mp3");
  ASSERT_TRUE(WriteMp3File(host.fileName, MakeTestSignal(5 * rate, 2, rate), rate, 2));
  ASSERT_TRUE(GetAudioFileInfo(host.fileName, host.info, host.dialogs));
  ASSERT_EQ(host.info.LengthMs, 5000);
  // The reference: the whole file as the stream reader decodes it from 0.
  std::vector<uint8_t> decoded;
  ASSERT_TRUE(OpenAudioStream(host.fileName, host.info, 0));
  uint8_t* block = nullptr;
  uint32_t blockBytes = 0;
  while (ReadAudioBlock(host.info, block, blockBytes)) {
    decoded.insert(decoded.end(), block, block + blockBytes);
  }
  CloseAudioStream(host.info);
  ASSERT_EQ(decoded.size(), 5u * rate * 4);

  engine->StartPlayback(host.fileName, host.info, 1250, 3700);
  ASSERT_TRUE(engine->Playing());
  ASSERT_TRUE(WaitUntil([&] { return !engine->Playing(); }, 30000));

  EXPECT_EQ(host.curPos, 3700);
  // 1250 ms is frame 55125 (55125 x 4 bytes); 3700 ms is frame 163170.
  ExpectPlayedExactly(ReadFileBytes(output),
                      {decoded.begin() + 55125 * 4, decoded.begin() + 163170 * 4});
}

TEST_F(PlaybackSdlTest, StopInTheMiddleLeavesThePositionAtThePlayedBuffers) {
  const int rate = 22050;
  const std::vector<int16_t> samples = MakeTestSignal(20 * rate, 1, rate);
  host.fileName = dir.File("clip.wav");
  WriteWavFile(host.fileName, rate, 1, samples);
  host.info = {AudioFileInfo::kTypeWav, rate, 1, 352, 20000};

  engine->StartPlayback(host.fileName, host.info, 0, 20000);
  ASSERT_TRUE(WaitUntil([&] { return host.feeds >= 20; }, 30000));
  engine->StopPlayback();

  EXPECT_FALSE(engine->Playing());
  EXPECT_EQ(engine->PendingBuffers(), 0);
  const int32_t pausedAt = host.curPos;
  EXPECT_GT(pausedAt, 0);
  EXPECT_LT(pausedAt, 20000);
  // What the device played is the file from 0 on, at least up to the
  // position the last finished buffer reported: the reset cuts into a buffer
  // after that.
  const std::vector<uint8_t> played = ReadFileBytes(output);
  const auto* bytes = reinterpret_cast<const uint8_t*>(samples.data());
  const PlayedMatch match = MatchPlayed(played, {bytes, bytes + samples.size() * 2});
  // CurPos is the finished buffers' frames in milliseconds rounded to the
  // nearest, so those buffers hold the frames of at least half a millisecond
  // less (a position rounded up would ask for frames the device never got
  // when the reset came right at the end of a buffer).
  const auto finishedFrames = static_cast<size_t>((pausedAt - 0.5) * rate / 1000.0);
  EXPECT_GE(match.expectedBytes, finishedFrames * 2) << "paused at " << pausedAt << " ms";
}

TEST_F(PlaybackSdlTest, NoOutputDeviceShowsTheDeviceError) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  host.fileName = dir.File("clip.wav");
  WriteWavFile(host.fileName, 8000, 1, MakeTestSignal(8000, 1, 8000));
  host.info = {AudioFileInfo::kTypeWav, 8000, 1, 128, 1000};

  engine->StartPlayback(host.fileName, host.info, 0, 1000);

  EXPECT_FALSE(engine->Playing());
  ASSERT_EQ(host.dialogs.messages.size(), 1u);
  EXPECT_EQ(host.dialogs.messages[0].text, "Can't open wave out device");
  EXPECT_EQ(host.dialogs.messages[0].caption, "Error");
  EXPECT_EQ(host.dialogs.messages[0].icon, MessageIcon::Error);
}

}  // namespace
