// The SDL wave-out device on SDL's disk driver, where the played bytes land
// in a file: headers play in order byte for byte and each comes back once
// with its own completion, Reset hands back all that is queued, the header
// rules hold, and the completion pool. Then a playback end to end (engine,
// stream reader, device): the file's PCM from the start to the end position,
// byte for byte, with at most silence around it, CurPos at the end position,
// and no allocation on SDL's audio thread while it plays.
#include "audio/sdl_wave_out.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <memory>

#include "audio/playback_engine.h"
#include "audio/wom_done_event.h"
#include "support/allocation_counter.h"
#include "support/core_application.h"
#include "support/played_audio.h"
#include "support/recording_playback_host.h"
#include "support/test_files.h"

namespace {

// Collects the completions the device posts.
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

// Notes at every returned buffer how many allocations threads other than
// this (the UI) thread have made so far.
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
    // Qt's posted-event queue grows when more events wait than ever before,
    // and the audio thread's post would count as its allocation: give it the
    // head start a running program has.
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
  // The device played `expected` byte for byte with only silence around it
  // (and inside, where the UI thread was late with a refill on a busy machine).
  void ExpectPlayed(const std::vector<uint8_t>& expected) {
    const std::vector<uint8_t> played = ReadFileBytes(output);
    const PlayedMatch match = MatchPlayed(played, expected);
    EXPECT_EQ(match.expectedBytes, expected.size()) << "first difference";
    EXPECT_TRUE(SilentFrom(played, match.playedEnd)) << "something played after the end";
  }
  // Plays [startMs, endMs) of the host's file to its end through an engine.
  void PlayToTheEnd(uint32_t startMs, int32_t endMs) {
    engine = std::make_unique<PlaybackEngine>(host, std::make_unique<SdlWaveOut>());
    engine->StartPlayback(host.fileName, host.info, startMs, endMs);
    ASSERT_TRUE(engine->Playing());
    ASSERT_TRUE(WaitUntil([&] { return !engine->Playing(); }, 30000));
    EXPECT_EQ(host.curPos, endMs);
  }
  static void PointAt(WaveHeader& header, std::vector<uint8_t>& block) {
    header.data = block.data();
    header.lengthBytes = static_cast<uint32_t>(block.size());
  }
  // Bytes that are never zero, so that silence around them stands out.
  static std::vector<uint8_t> Ramp(size_t bytes, uint8_t seed) {
    std::vector<uint8_t> data(bytes);
    for (size_t i = 0; i < bytes; ++i)
      data[i] = static_cast<uint8_t>((seed + i * 7 + (i >> 8)) | 1);
    return data;
  }
  TempDir dir;
  std::string output = dir.File("played.raw");
  CompletionSink sink;
  CountingHost host;
  std::unique_ptr<PlaybackEngine> engine;
};

TEST_F(SdlTest, WrittenHeadersPlayInOrderAndEachComesBackOnce) {
  std::vector<std::vector<uint8_t>> blocks = {Ramp(8192, 1), Ramp(0, 0), Ramp(4100, 9),
                                              Ramp(8192, 5)};
  std::vector<WaveHeader> headers(blocks.size());
  for (size_t i = 0; i < blocks.size(); ++i) PointAt(headers[i], blocks[i]);
  {
    SdlWaveOut device;
    ASSERT_TRUE(device.Open(Pcm16Format(44100, 2), &sink));
    for (WaveHeader& header : headers) {
      ASSERT_TRUE(device.Prepare(header));
      ASSERT_TRUE(device.Write(header));
    }
    ASSERT_TRUE(WaitUntil([&] { return sink.returned.size() >= blocks.size(); }, 10000));
    device.Close();
    QCoreApplication::sendPostedEvents();
  }
  ASSERT_EQ(sink.returned.size(), blocks.size());
  std::vector<uint8_t> expected;
  for (size_t i = 0; i < blocks.size(); ++i) {
    EXPECT_EQ(sink.returned[i], &headers[i]);
    EXPECT_TRUE(headers[i].Has(WaveHeader::kDone));
    EXPECT_FALSE(headers[i].Has(WaveHeader::kInQueue));
    expected.insert(expected.end(), blocks[i].begin(), blocks[i].end());
  }
  ExpectPlayed(expected);
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  SdlWaveOut missing;
  EXPECT_FALSE(missing.Open(Pcm16Format(44100, 2), &sink));
  EXPECT_FALSE(missing.IsOpen());
}

// A slow device (about a callback's worth of audio every 100 ms) keeps the
// headers queued: the header rules hold, and Reset hands every one back, in
// order, each with its own completion, before it returns.
TEST_F(SdlTest, HeaderRulesHoldAndResetHandsEveryQueuedHeaderBack) {
  UseDiskDriver(100);
  std::vector<uint8_t> block = Ramp(8192, 3);
  std::vector<WaveHeader> headers(20);
  for (WaveHeader& header : headers) PointAt(header, block);
  SdlWaveOut device;
  EXPECT_FALSE(device.Write(headers[0])) << "closed device";
  ASSERT_TRUE(device.Open(Pcm16Format(44100, 2), &sink));
  EXPECT_FALSE(device.Write(headers[0])) << "not prepared";
  for (auto& header : headers) {
    ASSERT_TRUE(device.Prepare(header));
    ASSERT_TRUE(device.Write(header));
  }
  EXPECT_FALSE(device.Write(headers[19])) << "queued twice";
  EXPECT_FALSE(device.Unprepare(headers[19])) << "unprepared while queued";
  EXPECT_FALSE(device.Prepare(headers[19])) << "prepared while queued";
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
  EXPECT_EQ(sink.returned.size(), headers.size());
  EXPECT_EQ(WomDoneEvent::PooledInUse(), 0);
}

TEST(WomDoneEventPool, HandsOutSixtyFourEventsThenNoneAndRefillsOnDelete) {
  std::vector<WomDoneEvent*> events;
  while (WomDoneEvent* event = WomDoneEvent::CreateFromPool(nullptr, nullptr)) {
    events.push_back(event);
    ASSERT_LE(events.size(), 64u);
  }
  EXPECT_EQ(events.size(), 64u);
  delete WomDoneEvent::Create(nullptr, nullptr);  // past the pool: from the heap
  EXPECT_EQ(WomDoneEvent::PooledInUse(), 64);
  delete events.back();
  EXPECT_EQ(WomDoneEvent::PooledInUse(), 63);
  events.back() = WomDoneEvent::CreateFromPool(nullptr, nullptr);
  EXPECT_NE(events.back(), nullptr);
  for (WomDoneEvent* event : events) delete event;
  EXPECT_EQ(WomDoneEvent::PooledInUse(), 0);
}

TEST_F(SdlTest, AWavPieceReachesTheDeviceByteForByteWithoutAudioThreadAllocations) {
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

}  // namespace
