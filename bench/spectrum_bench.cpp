// SPDX-License-Identifier: GPL-3.0-or-later
// The cost of the spectrum analysis per 8192-byte block: the two 2048-point
// transforms and the band levels alone, the analyzer picture alone, and one
// whole AnalyzeBlock with the picture and its copy to a shown analyzer window
// (on the offscreen platform unless QT_QPA_PLATFORM says otherwise). Target:
// one whole block in at most 250 us, so that 21 blocks a second take under 1 %
// of a core. Every run also reports the allocations per block, counted from
// operator new; the analysis itself (feed, transforms, levels, picture) must
// make none.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstring>
#include <memory>

#include "spectrum/fourier.h"
#include "spectrum/led.h"
#include "spectrum/widgets/led_picture.h"
#include "spectrum/widgets/tfm_led.h"
#include "support/allocation_counter.h"
#include "support/spectrum_blocks.h"
#include "support/test_files.h"

namespace {

// A block of music-like stereo audio (two sines and noise per channel).
void FillBlockWithSignal() {
  const std::vector<uint8_t> bytes = PcmBytes(MakeTestSignal(kSpectrumPairs, 2, 44100));
  std::memcpy(SpectrumBuffer.data(), bytes.data(), kSpectrumBlockBytes);
}

void ReportAllocations(benchmark::State& state, uint64_t before) {
  state.counters["allocs_per_block"] = benchmark::Counter(
      static_cast<double>(ProcessAllocations() - before), benchmark::Counter::kAvgIterations);
}

void BM_ForwardFft2048(benchmark::State& state) {
  FillBlockWithSignal();
  AnalyzeBlock();  // fills the transform inputs
  for (auto _ : state) {
    ForwardFft(kSpectrumPairs, LeftRealIn.data(), LeftImagIn.data(), LeftRealOut.data(),
               LeftImagOut.data());
    benchmark::DoNotOptimize(LeftRealOut.data());
  }
}
BENCHMARK(BM_ForwardFft2048)->Unit(benchmark::kMicrosecond);

void BM_AnalyzeBlockWithoutDisplay(benchmark::State& state) {
  SetLedDisplay(nullptr);
  FillBlockWithSignal();
  const uint64_t before = ProcessAllocations();
  for (auto _ : state) AnalyzeBlock();
  ReportAllocations(state, before);
}
BENCHMARK(BM_AnalyzeBlockWithoutDisplay)->Unit(benchmark::kMicrosecond);

void BM_PictureWithFullBars(benchmark::State& state) {
  LedPicture picture(MakeLedBackground());
  const uint64_t before = ProcessAllocations();
  for (auto _ : state) {
    picture.DrawLedGrid();
    for (int band = 0; band < kSpectrumBands; ++band) picture.PaintBar(band, kBarMaxHeightPx);
    benchmark::DoNotOptimize(picture.image().constBits());
  }
  ReportAllocations(state, before);
}
BENCHMARK(BM_PictureWithFullBars)->Unit(benchmark::kMicrosecond);

// One whole block as playback drives it: analysis, picture, copy to the window.
void BM_AnalyzeBlockWithWindow(benchmark::State& state) {
  auto window = std::make_unique<TfmLed>();
  window->show();
  QApplication::processEvents();
  FillBlockWithSignal();
  AnalyzeBlock();
  const uint64_t before = ProcessAllocations();
  for (auto _ : state) AnalyzeBlock();
  ReportAllocations(state, before);
  window.reset();
}
BENCHMARK(BM_AnalyzeBlockWithWindow)->Unit(benchmark::kMicrosecond);

// The same block, but with the window hidden: everything except the copy to
// the screen, which Qt skips for a hidden window.
void BM_AnalyzeBlockWithHiddenWindow(benchmark::State& state) {
  auto window = std::make_unique<TfmLed>();
  FillBlockWithSignal();
  AnalyzeBlock();
  const uint64_t before = ProcessAllocations();
  for (auto _ : state) AnalyzeBlock();
  ReportAllocations(state, before);
  window.reset();
}
BENCHMARK(BM_AnalyzeBlockWithHiddenWindow)->Unit(benchmark::kMicrosecond);

// Playback-sized feeds of 8192 bytes, each completing one block.
void BM_SpectrumFeedWithWindow(benchmark::State& state) {
  auto window = std::make_unique<TfmLed>();
  window->show();
  QApplication::processEvents();
  SetShowAnalyzerFlag(true);
  const std::vector<uint8_t> block = PcmBytes(MakeTestSignal(kSpectrumPairs, 2, 44100));
  const uint64_t before = ProcessAllocations();
  for (auto _ : state) SpectrumFeed(block.data(), kSpectrumBlockBytes);
  ReportAllocations(state, before);
  window.reset();
}
BENCHMARK(BM_SpectrumFeedWithWindow)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
