// SPDX-License-Identifier: GPL-3.0-or-later
// Benchmarks of the background scan on a 60-minute MP3 joined with `cat`
// from six encodes (CBR and VBR parts, each with its own Info tag), the kind
// of file that needs a full decode to be trusted:
//
//   - OpenToInteractive/1: what the UI thread does to open it (the window's
//     model probing the headers and starting the scan worker), until the
//     window can take the next event; target 100 ms. Its yardstick is
//     FullScan, the decode of the whole file that opening cost before the
//     scan moved to a worker. OpenToInteractive/10: the same for a 10-hour
//     file (the hour joined ten times); target 300 ms;
//   - FullScan/0 against MpegT (`mpg123 -t` of the same file) in the same
//     run; target 0.7 of it on two cores. FullScan/0 decodes in parts side by
//     side, one a core; FullScan/1 in one part, on one thread, for comparison;
//   - SeekAnywhere: a reader with the finished scan seeking to positions
//     spread over the hour until its first block is ready; target 50 ms
//     (counter longest_ms). Its yardstick SeekFromFirstSample is the seek to
//     40:00 without the scan's restart points: a decode from the first sample;
//   - LongestUiGap: the longest gap between two ticks of a 1 ms timer on the
//     UI thread's event loop while the window's scan runs; target 50 ms.
//
// The parts are encoded once (LAME at its fastest quality) into bench-cache/
// next to this executable and reused by later runs, as is the 10-hour file.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/main_scan.h"
#include "app/main_window_model.h"
#include "audio/mp3io.h"
#include "audio/mpg123_decoder.h"
#include "long_files.h"
#include "support/scripted_dialogs.h"

namespace fs = std::filesystem;

namespace {

std::string Joined60() {
  const fs::path dir = fs::canonical("/proc/self/exe").parent_path() / "bench-cache";
  fs::create_directories(dir);
  const fs::path path = dir / "joined-6x10min.mp3";
  if (fs::exists(path)) return path.string();
  std::fprintf(stderr, "encoding the parts of %s, once...\n", path.c_str());
  const Mp3MakerOptions kinds[] = {{.bitrateKbps = 128, .quality = 9},
                                   {.vbr = true, .vbrQuality = 5, .quality = 9}};
  std::ofstream joined(path.string() + ".part", std::ios::binary);
  for (int part = 0; part < 6; ++part) {
    const fs::path piece = dir / ("part" + std::to_string(part) + ".mp3");
    const uint64_t offset = static_cast<uint64_t>(part) * 600 * kBenchRate;
    if (!WriteLongMp3File(piece.string(), 600ull * kBenchRate, kBenchRate, 2, kinds[part % 2],
                          [offset](uint64_t first, uint32_t count, int16_t* out) {
                            MusicSignal(first + offset, count, out);
                          })) {
      std::fprintf(stderr, "cannot encode %s\n", piece.c_str());
      std::exit(1);
    }
    joined << std::ifstream(piece, std::ios::binary).rdbuf();
    fs::remove(piece);
  }
  joined.close();
  fs::rename(path.string() + ".part", path);
  return path.string();
}

// The hour joined `hours` times: a file of 6 x hours encodes.
std::string JoinedHours(int hours) {
  const std::string hour = Joined60();
  if (hours == 1) return hour;
  const std::string path = hour.substr(0, hour.size() - 4) + "-x" + std::to_string(hours) + ".mp3";
  if (fs::exists(path)) return path;
  {
    std::ofstream joined(path + ".part", std::ios::binary);
    for (int i = 0; i < hours; ++i) joined << std::ifstream(hour, std::ios::binary).rdbuf();
  }
  fs::rename(path + ".part", path);
  return path;
}

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "scan_bench";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

void BM_OpenToInteractive(benchmark::State& state) {
  const std::string path = JoinedHours(static_cast<int>(state.range(0)));
  App();
  ScriptedDialogs dialogs;
  MainWindowModel model(dialogs);
  model.SetFileProbe(&GetAudioFileInfo);
  MainScan scan(model);
  for (auto _ : state) {
    model.LoadFile(path);
    state.PauseTiming();
    scan.StopScan();
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["estimate_ms"] = model.FileInfo.LengthMs;
}

void BM_FullScan(benchmark::State& state) {
  const std::string path = Joined60();
  Mpg123Decoder::ScanControl control;
  control.parts = static_cast<int>(state.range(0));
  int64_t frames = 0;
  for (auto _ : state) {
    Mpg123Decoder decoder;
    if (!decoder.Open(path) || !decoder.Scan(control)) return state.SkipWithError("scan failed");
    frames = decoder.Facts().lengthFrames;
  }
  state.counters["length_ms"] = static_cast<double>(frames) * 1000.0 / kBenchRate;
}

void BM_MpegT(benchmark::State& state) {
  const std::string command = "mpg123 -q -t '" + Joined60() + "'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) return state.SkipWithError("mpg123 -t failed");
  }
}

void BM_SeekAnywhere(benchmark::State& state) {
  const std::string path = Joined60();
  // Scanned once for every run of this function, which the library repeats
  // while it settles the iteration count.
  static Mpg123Decoder scanner;
  if (!scanner.Facts().exact && (!scanner.Open(path) || !scanner.Scan())) {
    return state.SkipWithError("scan failed");
  }
  Mpg123Decoder reader;
  reader.Open(path);
  reader.UseScan(scanner.Index());
  const int64_t length = scanner.Facts().lengthFrames;
  std::vector<uint8_t> block(8192);
  uint64_t step = 0;
  double longestMs = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const int64_t target = static_cast<int64_t>((step++ * 2654435761u) % 1000) * length / 1000;
    size_t produced = 0;
    if (!reader.SeekToFrame(target) ||
        reader.Decode(block.data(), block.size(), produced) != Mpg123Decoder::DecodeStatus::Block) {
      return state.SkipWithError("seek failed");
    }
    longestMs = std::max(
        longestMs,
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  state.counters["longest_ms"] = longestMs;
}

void BM_SeekFromFirstSample(benchmark::State& state) {
  const std::string path = Joined60();
  Mpg123Decoder reader;
  reader.Open(path);
  // Everything decoded, but no restart point recorded.
  auto bare = std::make_shared<Mp3ScanIndex>();
  bare->SetFrameIndex({}, 0, false);
  bare->SetDecodedFrames(int64_t{3600} * kBenchRate);
  reader.UseScan(bare);
  std::vector<uint8_t> block(8192);
  for (auto _ : state) {
    size_t produced = 0;
    if (!reader.SeekToFrame(int64_t{2400} * kBenchRate) ||
        reader.Decode(block.data(), block.size(), produced) != Mpg123Decoder::DecodeStatus::Block) {
      return state.SkipWithError("seek failed");
    }
  }
}

void BM_LongestUiGap(benchmark::State& state) {
  const std::string path = Joined60();
  App();
  ScriptedDialogs dialogs;
  MainWindowModel model(dialogs);
  model.SetFileProbe(&GetAudioFileInfo);
  MainScan scan(model);
  double longestMs = 0;
  for (auto _ : state) {
    QElapsedTimer sinceTick;
    QTimer ticks;
    ticks.setInterval(1);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
      longestMs = std::max(longestMs, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
      sinceTick.restart();
      if (!model.Scanning()) QCoreApplication::quit();
    });
    ticks.start();
    sinceTick.start();
    model.LoadFile(path);
    QCoreApplication::exec();
  }
  state.counters["longest_gap_ms"] = longestMs;
  state.counters["length_ms"] = model.FileInfo.LengthMs;
}

}  // namespace

BENCHMARK(BM_OpenToInteractive)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MpegT)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FullScan)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SeekAnywhere)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SeekFromFirstSample)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_LongestUiGap)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
