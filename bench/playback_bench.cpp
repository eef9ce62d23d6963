// Playback figures: the time to handle one returned buffer (MMWomDone with
// its refill, analyzer aside) for WAV and MP3 sources, the start latency from
// Play to the first buffer written to the device, and the heap allocations
// per handled buffer. The device is a loopback that hands buffers back on
// demand, so only the engine and the stream reader are measured.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <array>
#include <chrono>
#include <memory>

#include "audio/playback_engine.h"
#include "audio/wom_done_event.h"
#include "support/allocation_counter.h"
#include "support/core_application.h"
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
  rig.host.curPos = 0;
  rig.engine->tbPlayClick();
  uint64_t handled = 0;
  uint64_t allocations = 0;
  for (auto _ : state) {
    WaveHeader* header = rig.device->TakeHead();
    if (header == nullptr) {
      state.PauseTiming();
      rig.host.curPos = 0;
      rig.engine->tbPlayClick();
      header = rig.device->TakeHead();
      state.ResumeTiming();
    }
    const uint64_t before = ThreadAllocations();
    rig.engine->MMWomDone(rig.device, header);
    allocations += ThreadAllocations() - before;
    ++handled;
  }
  rig.engine->tbStopClick();
  state.counters["allocs_per_block"] =
      benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(handled));
  state.counters["malloc_counted"] = CountsMalloc() ? 1 : 0;
}

void BM_MMWomDoneWav(benchmark::State& state) {
  Rig rig;
  const int rate = 44100;
  rig.host.fileName = rig.dir.File("bench.wav");
  WriteWavFile(rig.host.fileName, rate, 2, MakeTestSignal(120 * rate, 2, rate));
  rig.host.info = {AudioFileInfo::kTypeWav, rate, 2, 1411, 120000};
  RunCompletionLoop(state, rig);
}
BENCHMARK(BM_MMWomDoneWav)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
