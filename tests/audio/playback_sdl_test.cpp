// Playback end to end: the engine, the stream reader and the SDL device on
// SDL's disk driver, whose output file holds exactly the bytes the device
// played: the file's PCM from the start to the end position, byte for byte,
// with at most silence around it; CurPos ends at the end position; and SDL's
// audio thread does not allocate while it plays.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
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

// Notes at every returned buffer how many allocations other threads than this
// (the UI) thread have made so far.
class CountingHost : public RecordingPlaybackHost {
 public:
  std::vector<uint64_t> otherThreadAllocations;
  void SpectrumFeed(const uint8_t* data, uint32_t sizeBytes) override {
    RecordingPlaybackHost::SpectrumFeed(data, sizeBytes);
    if (otherThreadAllocations.size() < otherThreadAllocations.capacity()) {
      otherThreadAllocations.push_back(ProcessAllocations() - ThreadAllocations());
    }
  }
};

class PlaybackSdlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureCoreApplication();
    // Qt's posted-event queue grows when more events wait than ever before, and
    // the audio thread's post would count as its allocation: give it the head
    // start a running program has.
    QObject receiver;
    for (int i = 0; i < 64; ++i) QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents();
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    // 1024 frames every 2 ms, over ten times real time; the 16 queued buffers
    // give the UI thread some 60 ms to refill.
    setenv("SDL_DISKAUDIODELAY", "2", 1);
    engine = std::make_unique<PlaybackEngine>(host, std::make_unique<SdlWaveOut>());
  }
  void TearDown() override {
    engine.reset();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }
  // Plays [startMs, endMs) to its end.
  void PlayToTheEnd(uint32_t startMs, int32_t endMs) {
    engine->StartPlayback(host.fileName, host.info, startMs, endMs);
    ASSERT_TRUE(engine->Playing());
    ASSERT_TRUE(WaitUntil([&] { return !engine->Playing(); }, 30000));
    EXPECT_EQ(host.curPos, endMs);
  }
  // The device played `expected` byte for byte with only silence around it
  // (and inside, where the UI thread was late with a refill on a busy machine).
  void ExpectPlayed(const std::vector<uint8_t>& expected) {
    const std::vector<uint8_t> played = ReadFileBytes(output);
    const PlayedMatch match = MatchPlayed(played, expected);
    EXPECT_EQ(match.expectedBytes, expected.size()) << "first difference";
    EXPECT_TRUE(SilentFrom(played, match.playedEnd)) << "something played after the end";
  }
  TempDir dir;
  std::string output = dir.File("played.raw");
  CountingHost host;
  std::unique_ptr<PlaybackEngine> engine;
};

TEST_F(PlaybackSdlTest, AWavPieceReachesTheDeviceByteForByteWithoutAudioThreadAllocations) {
  const std::vector<int16_t> samples = MakeTestSignal(5 * 44100, 2, 44100);
  host.fileName = dir.File("clip.wav");
  WriteWavFile(host.fileName, 44100, 2, samples);
  host.info = {AudioFileInfo::kTypeWav, 44100, 2, 1411, 5000};
  host.otherThreadAllocations.reserve(1000);
  PlayToTheEnd(1000, 4000);
  const auto* bytes = reinterpret_cast<const uint8_t*>(samples.data());
  ExpectPlayed({bytes + 44100 * 4, bytes + 4 * 44100 * 4});
  // 3 s are 65 buffers. Past the first few (SDL's thread starting, the output
  // file's first write) the audio thread allocates nothing.
  const auto& counts = host.otherThreadAllocations;
  ASSERT_EQ(counts.size(), 65u);
  EXPECT_EQ(counts.back() - counts[8], 0u) << (CountsMalloc() ? "malloc and new" : "new");
}

TEST_F(PlaybackSdlTest, AnMp3PieceReachesTheDeviceAsTheDecoderDeliversIt) {
  host.fileName = dir.File("clip.mp3");
  ASSERT_TRUE(WriteMp3File(host.fileName, MakeTestSignal(5 * 44100, 2, 44100), 44100, 2));
  ASSERT_TRUE(GetAudioFileInfo(host.fileName, host.info, host.dialogs));
  // The reference: the whole file as the stream reader decodes it from 0.
  std::vector<uint8_t> decoded;
  ASSERT_TRUE(OpenAudioStream(host.fileName, host.info, 0));
  uint8_t* block = nullptr;
  uint32_t blockBytes = 0;
  while (ReadAudioBlock(host.info, block, blockBytes))
    decoded.insert(decoded.end(), block, block + blockBytes);
  CloseAudioStream(host.info);
  ASSERT_EQ(decoded.size(), 5u * 44100 * 4);
  PlayToTheEnd(1250, 3700);  // frames 55125 to 163170
  ExpectPlayed({decoded.begin() + 55125 * 4, decoded.begin() + 163170 * 4});
}

TEST_F(PlaybackSdlTest, AStopLeavesThePositionAtThePlayedBuffers) {
  const std::vector<int16_t> samples = MakeTestSignal(20 * 22050, 1, 22050);
  host.fileName = dir.File("clip.wav");
  WriteWavFile(host.fileName, 22050, 1, samples);
  host.info = {AudioFileInfo::kTypeWav, 22050, 1, 352, 20000};
  engine->StartPlayback(host.fileName, host.info, 0, 20000);
  ASSERT_TRUE(WaitUntil([&] { return host.feeds >= 20; }, 30000));
  engine->StopPlayback();
  EXPECT_EQ(engine->PendingBuffers(), 0);
  const int32_t pausedAt = host.curPos;
  ASSERT_GT(pausedAt, 0);
  ASSERT_LT(pausedAt, 20000);
  // The device played the file from 0 on, at least up to the position the
  // last finished buffer reported, which is rounded to the nearest ms: its
  // frames may be half a millisecond fewer.
  const auto* bytes = reinterpret_cast<const uint8_t*>(samples.data());
  const PlayedMatch match = MatchPlayed(ReadFileBytes(output), {bytes, bytes + samples.size() * 2});
  EXPECT_GE(match.expectedBytes, static_cast<size_t>((pausedAt - 0.5) * 22050 / 1000.0) * 2);
}

}  // namespace
