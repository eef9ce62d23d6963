// The SDL wave-out device on SDL's disk driver, where the played bytes land
// in a file: written headers come out in order and byte for byte, every header
// comes back exactly once with its own completion, Reset hands back all that
// is queued, and a device that cannot be opened says so.
#include "audio/sdl_wave_out.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <vector>

#include "audio/wom_done_event.h"
#include "support/core_application.h"
#include "support/played_audio.h"
#include "support/test_files.h"

namespace {

// Collects the completions the device posts.
class CompletionSink : public QObject {
 public:
  std::vector<WaveHeader*> returned;
  std::vector<WaveOut*> devices;

  bool event(QEvent* event) override {
    if (event->type() != MM_WOM_DONE) return QObject::event(event);
    const auto* done = static_cast<WomDoneEvent*>(event);
    returned.push_back(done->header());
    devices.push_back(done->device());
    return true;
  }
};

// Points SDL at its disk driver writing to `file`, `delayMs` between callbacks.
void UseDiskDriver(const std::string& file, int delayMs) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", std::to_string(delayMs).c_str(), 1);
}

// Bytes that are never zero, so that silence around them stands out.
std::vector<uint8_t> Ramp(size_t bytes, uint8_t seed) {
  std::vector<uint8_t> data(bytes);
  for (size_t i = 0; i < bytes; ++i) data[i] = static_cast<uint8_t>((seed + i * 7 + (i >> 8)) | 1);
  return data;
}

class SdlWaveOutTest : public ::testing::Test {
 protected:
  void SetUp() override { EnsureCoreApplication(); }
  void TearDown() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }

  TempDir dir;
  CompletionSink sink;
};

TEST_F(SdlWaveOutTest, WrittenHeadersPlayInOrderAndEachComesBackOnce) {
  const std::string output = dir.File("played.raw");
  UseDiskDriver(output, 1);
  std::vector<std::vector<uint8_t>> blocks = {Ramp(8192, 1), Ramp(0, 0), Ramp(4100, 9),
                                              Ramp(8192, 5)};
  std::vector<WaveHeader> headers(blocks.size());
  {
    SdlWaveOut device;
    ASSERT_TRUE(device.Open(Pcm16Format(44100, 2), &sink));
    for (size_t i = 0; i < blocks.size(); ++i) {
      headers[i].data = blocks[i].data();
      headers[i].lengthBytes = static_cast<uint32_t>(blocks[i].size());
      ASSERT_TRUE(device.Prepare(headers[i]));
      ASSERT_TRUE(device.Write(headers[i]));
    }
    ASSERT_TRUE(WaitUntil([&] { return sink.returned.size() >= blocks.size(); }, 10000));
    device.Close();
    QCoreApplication::sendPostedEvents();
  }

  ASSERT_EQ(sink.returned.size(), blocks.size());
  for (size_t i = 0; i < blocks.size(); ++i) {
    EXPECT_EQ(sink.returned[i], &headers[i]);
    EXPECT_TRUE(headers[i].Has(WaveHeader::kDone));
    EXPECT_FALSE(headers[i].Has(WaveHeader::kInQueue));
  }
  std::vector<uint8_t> expected;
  for (const auto& block : blocks) expected.insert(expected.end(), block.begin(), block.end());
  // Silence may surround the blocks, and fall between them should this
  // thread have been held up between two writes.
  const std::vector<uint8_t> played = ReadFileBytes(output);
  const PlayedMatch match = MatchPlayed(played, expected);
  EXPECT_EQ(match.expectedBytes, expected.size());
  EXPECT_TRUE(SilentFrom(played, match.playedEnd)) << "something played after the last block";
}

TEST_F(SdlWaveOutTest, ResetHandsEveryQueuedHeaderBackWithItsOwnCompletion) {
  // A slow device: about a callback's worth of audio every 100 ms.
  UseDiskDriver(dir.File("played.raw"), 100);
  std::vector<uint8_t> block = Ramp(8192, 3);
  std::vector<WaveHeader> headers(20);
  SdlWaveOut device;
  ASSERT_TRUE(device.Open(Pcm16Format(44100, 2), &sink));
  for (auto& header : headers) {
    header.data = block.data();
    header.lengthBytes = 8192;
    device.Prepare(header);
    ASSERT_TRUE(device.Write(header));
  }

  device.Reset();
  QCoreApplication::sendPostedEvents();

  // All 20 came back by the time Reset returned, each once, in order.
  ASSERT_EQ(sink.returned.size(), headers.size());
  for (size_t i = 0; i < headers.size(); ++i) {
    EXPECT_EQ(sink.returned[i], &headers[i]);
    EXPECT_EQ(sink.devices[i], &device);
    EXPECT_TRUE(headers[i].Has(WaveHeader::kDone));
  }
  // Nothing is left to come back later.
  device.Close();
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(sink.returned.size(), headers.size());
  EXPECT_EQ(WomDoneEvent::PooledInUse(), 0);
}

TEST_F(SdlWaveOutTest, HeaderRulesAreEnforced) {
  UseDiskDriver(dir.File("played.raw"), 100);
  // Far longer than the device plays in this test (4096 bytes per 100 ms), so
  // the header is certainly still queued when it is written a second time.
  std::vector<uint8_t> block = Ramp(1 << 20, 1);
  WaveHeader header;
  header.data = block.data();
  header.lengthBytes = static_cast<uint32_t>(block.size());
  SdlWaveOut device;
  EXPECT_FALSE(device.Write(header)) << "closed device";
  ASSERT_TRUE(device.Open(Pcm16Format(8000, 1), &sink));
  EXPECT_FALSE(device.Write(header)) << "not prepared";
  ASSERT_TRUE(device.Prepare(header));
  ASSERT_TRUE(device.Write(header));
  EXPECT_FALSE(device.Write(header)) << "queued twice";
  EXPECT_FALSE(device.Unprepare(header)) << "unprepared while queued";
  EXPECT_FALSE(device.Prepare(header)) << "prepared while queued";
  device.Reset();
  EXPECT_TRUE(device.Unprepare(header));
  EXPECT_FALSE(header.Has(WaveHeader::kPrepared));
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(sink.returned, std::vector<WaveHeader*>{&header});
}

TEST_F(SdlWaveOutTest, OpenFailsWithoutAnOutputDevice) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  SdlWaveOut device;
  EXPECT_FALSE(device.Open(Pcm16Format(44100, 2), &sink));
  EXPECT_FALSE(device.IsOpen());
}

TEST(WomDoneEventPool, HandsOutSixtyFourEventsThenNoneAndRefillsOnDelete) {
  std::vector<WomDoneEvent*> events;
  while (WomDoneEvent* event = WomDoneEvent::CreateFromPool(nullptr, nullptr)) {
    events.push_back(event);
    ASSERT_LE(events.size(), 64u);
  }
  EXPECT_EQ(events.size(), 64u);
  EXPECT_EQ(WomDoneEvent::PooledInUse(), 64);
  // Past the pool the UI thread's Create falls back to the heap.
  WomDoneEvent* extra = WomDoneEvent::Create(nullptr, nullptr);
  ASSERT_NE(extra, nullptr);
  delete extra;
  EXPECT_EQ(WomDoneEvent::PooledInUse(), 64);
  delete events.back();
  events.pop_back();
  EXPECT_EQ(WomDoneEvent::PooledInUse(), 63);
  WomDoneEvent* again = WomDoneEvent::CreateFromPool(nullptr, nullptr);
  EXPECT_NE(again, nullptr);
  events.push_back(again);
  for (WomDoneEvent* event : events) delete event;
  EXPECT_EQ(WomDoneEvent::PooledInUse(), 0);
}

}  // namespace
