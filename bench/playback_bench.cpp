// SPDX-License-Identifier: GPL-3.0-or-later
// Playback figures: the time to handle one returned buffer (MMWomDone with
// its refill, analyzer aside) for WAV and MP3 sources, the start latency from
// Play to the first buffer written to the device, and the heap allocations
// per handled buffer. The device is a loopback that hands buffers back on
// demand, so only the engine and the stream reader are measured.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <numbers>

#include "audio/mp3io.h"
#include "audio/playback_engine.h"
#include "audio/wom_done_event.h"
#include "support/allocation_counter.h"
#include "support/core_application.h"
#include "support/mp3_maker.h"
#include "support/recording_playback_host.h"
#include "support/test_files.h"

namespace {

using Clock = std::chrono::steady_clock;

// A device that queues headers and hands the head back when asked; it notes
// when the first header of each opening was written.
class LoopbackDevice final : public WaveOut {
 public:
  Clock::time_point firstWrite;
  bool wroteSinceOpen = false;

  bool Open(const WaveFormat&, QObject* target) override {
    target_ = target;
    wroteSinceOpen = false;
    return true;
  }
  bool Write(WaveHeader& header) override {
    if (!wroteSinceOpen) {
      firstWrite = Clock::now();
      wroteSinceOpen = true;
    }
    header.flags.fetch_or(WaveHeader::kInQueue);
    ring_[(head_ + count_++) % ring_.size()] = &header;
    return true;
  }
  void Reset() override {
    while (WaveHeader* header = TakeHead()) {
      QCoreApplication::postEvent(target_, WomDoneEvent::Create(this, header));
    }
  }
  void Close() override {
    while (TakeHead() != nullptr) {
    }
  }
  // The head header, marked as handed back; nullptr when none is queued.
  WaveHeader* TakeHead() {
    if (count_ == 0) return nullptr;
    WaveHeader* header = ring_[head_];
    head_ = (head_ + 1) % ring_.size();
    --count_;
    header->flags.fetch_and(~WaveHeader::kInQueue);
    header->flags.fetch_or(WaveHeader::kDone);
    return header;
  }

 private:
  QObject* target_ = nullptr;
  std::array<WaveHeader*, kMaxQueuedHeaders> ring_{};
  size_t head_ = 0;
  size_t count_ = 0;
};

struct Rig {
  Rig() {
    EnsureCoreApplication();
    auto loopback = std::make_unique<LoopbackDevice>();
    device = loopback.get();
    engine = std::make_unique<PlaybackEngine>(host, std::move(loopback));
    host.recordPositions = false;
  }
  TempDir dir;
  RecordingPlaybackHost host;
  LoopbackDevice* device = nullptr;
  std::unique_ptr<PlaybackEngine> engine;
};

// Hands buffers back one at a time and times MMWomDone, restarting at 0
// whenever the file has played out.
void RunCompletionLoop(benchmark::State& state, Rig& rig) {
  const auto play = [&rig] {
    rig.engine->StartPlayback(rig.host.fileName, rig.host.info, 0, rig.host.info.LengthMs);
  };
  play();
  uint64_t handled = 0;
  uint64_t allocations = 0;
  for (auto _ : state) {
    WaveHeader* header = rig.device->TakeHead();
    if (header == nullptr) {
      state.PauseTiming();
      play();
      header = rig.device->TakeHead();
      state.ResumeTiming();
    }
    const uint64_t before = ThreadAllocations();
    rig.engine->MMWomDone(rig.device, header);
    allocations += ThreadAllocations() - before;
    ++handled;
  }
  rig.engine->StopPlayback();
  state.counters["allocs_per_block"] =
      benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(handled));
  state.counters["malloc_counted"] = CountsMalloc() ? 1 : 0;
}

void BM_MMWomDoneWav(benchmark::State& state) {
  Rig rig;
  const int rate = 44100;
  rig.host.fileName = rig.dir.File("bench.wav");
  WriteWavFile(rig.host.fileName, rate, 2, MakeTestSignal(120 * rate, 2, rate));
  rig.host.info = {AudioFileInfo::kTypeWav, rate, 2, 1411, 120000, SampleIndex(120 * rate)};
  RunCompletionLoop(state, rig);
}
BENCHMARK(BM_MMWomDoneWav)->Unit(benchmark::kMicrosecond);

void BM_MMWomDoneMp3(benchmark::State& state) {
  Rig rig;
  const int rate = 44100;
  rig.host.fileName = rig.dir.File("bench.mp3");
  if (!WriteMp3File(rig.host.fileName, MakeTestSignal(120 * rate, 2, rate), rate, 2) ||
      !GetAudioFileInfo(rig.host.fileName, rig.host.info, rig.host.dialogs)) {
    state.SkipWithError("could not make the MP3");
    return;
  }
  RunCompletionLoop(state, rig);
}
BENCHMARK(BM_MMWomDoneMp3)->Unit(benchmark::kMicrosecond);

// A 60-minute 128 kbit/s stereo MP3, made once and kept between runs (the
// encoding takes a while) under $SNIPOLA_TEST_TMP or the system temp folder.
std::string HourLongMp3() {
  namespace fs = std::filesystem;
  const char* base = std::getenv("SNIPOLA_TEST_TMP");
  const fs::path folder = (base ? fs::path(base) : fs::temp_directory_path()) / "snipola-bench";
  fs::create_directories(folder);
  const std::string path = (folder / "hour-44100-stereo-128.mp3").string();
  if (fs::exists(path) && fs::file_size(path) > 50'000'000) return path;
  const int rate = 44100;
  const auto source = [rate](uint64_t firstFrame, uint32_t frameCount, int16_t* out) {
    for (uint32_t i = 0; i < frameCount; ++i) {
      const double t = static_cast<double>(firstFrame + i) / rate;
      const double left = 0.3 * std::sin(2 * std::numbers::pi * 220.0 * t) +
                          0.2 * std::sin(2 * std::numbers::pi * 1375.0 * t);
      const double right = 0.3 * std::sin(2 * std::numbers::pi * 330.0 * t) +
                           0.2 * std::sin(2 * std::numbers::pi * 1412.0 * t + 1.0);
      out[2 * i] = static_cast<int16_t>(std::lround(left * 32767.0));
      out[2 * i + 1] = static_cast<int16_t>(std::lround(right * 32767.0));
    }
  };
  const std::string partial = path + ".part";
  if (!WriteLongMp3File(partial, uint64_t{3600} * rate, rate, 2, Mp3MakerOptions{}, source)) {
    return {};
  }
  fs::rename(partial, path);
  return path;
}

// From Play at 59:00 to the first buffer written to the device: opening the
// stream (the decoder seeks with the index the probe's scan left), the first
// decode, the copy and the write. The file has been probed, as the window does
// when it opens a file.
void BM_StartLatencyMp3At59Minutes(benchmark::State& state) {
  Rig rig;
  rig.host.fileName = HourLongMp3();
  if (rig.host.fileName.empty() ||
      !GetAudioFileInfo(rig.host.fileName, rig.host.info, rig.host.dialogs)) {
    state.SkipWithError("could not make the hour-long MP3");
    return;
  }
  double prefillMsTotal = 0;
  for (auto _ : state) {
    const Clock::time_point pressed = Clock::now();
    rig.engine->StartPlayback(rig.host.fileName, rig.host.info, 59 * 60 * 1000,
                              rig.host.info.LengthMs);
    const Clock::time_point firstWrite = rig.device->firstWrite;
    const Clock::time_point prefilled = Clock::now();
    rig.engine->StopPlayback();
    state.SetIterationTime(std::chrono::duration<double>(firstWrite - pressed).count());
    prefillMsTotal += std::chrono::duration<double, std::milli>(prefilled - pressed).count();
  }
  // The whole start: all 16 blocks decoded and queued.
  state.counters["prefill_ms"] =
      benchmark::Counter(prefillMsTotal, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_StartLatencyMp3At59Minutes)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
