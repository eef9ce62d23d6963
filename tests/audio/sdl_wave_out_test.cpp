// SPDX-License-Identifier: GPL-3.0-or-later
// The SDL wave-out device on SDL's disk driver, where the played bytes land in a file: the
// header rules, Reset handing back all that is queued, and a playback end to end (engine,
// stream reader, device) that plays the piece byte for byte without allocating on SDL's thread.
#include "audio/sdl_wave_out.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <cstring>
#include <memory>

#include "audio/playback_engine.h"
#include "audio/wom_done_event.h"
#include "support/allocation_counter.h"
#include "support/core_application.h"
#include "support/played_audio.h"
#include "support/recording_playback_host.h"
#include "support/test_files.h"

namespace {

class CompletionSink : public QObject {
 public:
  std::vector<WaveHeader*> returned;
  std::vector<WaveOut*> devices;
  bool event(QEvent* event) override {
    if (event->type() != MM_WOM_DONE) return QObject::event(event);
    returned.push_back(static_cast<WomDoneEvent*>(event)->header());
    devices.push_back(static_cast<WomDoneEvent*>(event)->device());
    return true;
  }
};

// Notes at every returned buffer the allocations made by threads other than this one.
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

class SdlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureCoreApplication();
    // Grow Qt's posted-event queue now, or its growth counts as the audio thread's.
    QObject receiver;
    for (int i = 0; i < 64; ++i) QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents();
    UseDiskDriver(2);
  }
  void TearDown() override {
    engine.reset();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }
  // SDL's disk driver writes to `output`, `delayMs` between callbacks.
  void UseDiskDriver(int delayMs) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", std::to_string(delayMs).c_str(), 1);
  }
  TempDir dir;
  std::string output = dir.File("played.raw");
  CompletionSink sink;
  CountingHost host;
  std::unique_ptr<PlaybackEngine> engine;
};

// A slow device (a callback's worth every 100 ms) keeps the headers queued: Reset hands
// every one back, in order, each with its own completion, before it returns.
TEST_F(SdlTest, HeaderRulesHoldAndResetHandsEveryQueuedHeaderBack) {
  std::vector<uint8_t> block(8192, 1);
  std::vector<WaveHeader> headers(20);
  for (WaveHeader& header : headers) header.data = block.data(), header.lengthBytes = 8192;
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  SdlWaveOut device;
  EXPECT_FALSE(device.Open(Pcm16Format(44100, 2), &sink) || device.IsOpen());
  EXPECT_FALSE(device.Write(headers[0])) << "closed device";
  UseDiskDriver(100);
  ASSERT_TRUE(device.Open(Pcm16Format(44100, 2), &sink));
  EXPECT_FALSE(device.Write(headers[0])) << "not prepared";
  for (auto& header : headers) {
    ASSERT_TRUE(device.Prepare(header));
    ASSERT_TRUE(device.Write(header));
  }
  EXPECT_FALSE(device.Write(headers[19]) || device.Unprepare(headers[19]) ||
               device.Prepare(headers[19]));
  device.Reset();
  EXPECT_TRUE(device.Unprepare(headers[19]));
  EXPECT_FALSE(headers[19].Has(WaveHeader::kPrepared));
  QCoreApplication::sendPostedEvents();
  ASSERT_EQ(sink.returned.size(), headers.size());
  for (size_t i = 0; i < headers.size(); ++i) {
    EXPECT_EQ(sink.returned[i], &headers[i]);
    EXPECT_EQ(sink.devices[i], &device);
    EXPECT_TRUE(headers[i].Has(WaveHeader::kDone));
  }
  device.Close();  // nothing is left to come back later
  QCoreApplication::sendPostedEvents();
  EXPECT_TRUE(sink.returned.size() == headers.size() && WomDoneEvent::PooledInUse() == 0);
}

TEST_F(SdlTest, AWavPieceReachesTheDeviceByteForByteWithoutAudioThreadAllocations) {
  const std::vector<int16_t> samples = MakeTestSignal(5 * 44100, 2, 44100);
  host.fileName = dir.File("clip.wav");
  WriteWavFile(host.fileName, 44100, 2, samples);
  host.info = {AudioFileInfo::kTypeWav, 44100, 2, 1411, 5000, SampleIndex(5 * 44100)};
  host.otherThreadAllocations.reserve(1000);
  engine = std::make_unique<PlaybackEngine>(host, std::make_unique<SdlWaveOut>());
  engine->StartPlayback(host.fileName, host.info, 1000, 4000);
  ASSERT_TRUE(WaitUntil([&] { return !engine->Playing(); }, 30000));
  EXPECT_EQ(host.curPos, 4000);
  // Byte for byte with only silence around it (and inside, where a refill came late).
  const auto* bytes = reinterpret_cast<const uint8_t*>(samples.data());
  const std::vector<uint8_t> expected(bytes + 44100 * 4, bytes + 4 * 44100 * 4),
      played = ReadFileBytes(output);
  const PlayedMatch match = MatchPlayed(played, expected);
  EXPECT_EQ(match.expectedBytes, expected.size()) << "first difference";
  EXPECT_TRUE(SilentFrom(played, match.playedEnd)) << "something played after the end";
  // 3 s are 65 buffers; past the first few (SDL's start, the file's first write) no allocation.
  const auto& counts = host.otherThreadAllocations;
  ASSERT_EQ(counts.size(), 65u);
  EXPECT_EQ(counts.back() - counts[8], 0u) << (CountsMalloc() ? "malloc and new" : "new");
}

// The join of "Hear the join" through the device: [1000, 2000) ms then at once [3000, 4000) ms.
TEST_F(SdlTest, AJoinedPlaybackReachesTheDeviceAsOnePiece) {
  const std::vector<int16_t> samples = MakeTestSignal(5 * 44100, 2, 44100);
  host.fileName = dir.File("clip.wav");
  WriteWavFile(host.fileName, 44100, 2, samples);
  host.info = {AudioFileInfo::kTypeWav, 44100, 2, 1411, 5000, SampleIndex(5 * 44100)};
  engine = std::make_unique<PlaybackEngine>(host, std::make_unique<SdlWaveOut>());
  engine->StartJoinedPlayback(host.fileName, host.info, 1000, 2000, 3000, 4000);
  ASSERT_TRUE(WaitUntil([&] { return !engine->Playing(); }, 30000));
  EXPECT_EQ(host.curPos, 4000);
  const auto* bytes = reinterpret_cast<const uint8_t*>(samples.data());
  std::vector<uint8_t> expected(2 * 44100 * 4);
  std::memcpy(expected.data(), bytes + 44100 * 4, 44100 * 4);
  std::memcpy(expected.data() + 44100 * 4, bytes + 3 * 44100 * 4, 44100 * 4);
  const std::vector<uint8_t> played = ReadFileBytes(output);
  const PlayedMatch match = MatchPlayed(played, expected);
  EXPECT_EQ(match.expectedBytes, expected.size()) << "first difference";
  EXPECT_TRUE(SilentFrom(played, match.playedEnd)) << "something played after the end";
}

}  // namespace
