// SPDX-License-Identifier: GPL-3.0-or-later
// Export speed: the three jobs the peers are measured against by
// scripts/bench-export (MP3 from a 10-minute WAV, 8 minutes cut from a
// 10-minute MP3 to MP3, 8 minutes cut from a 10-minute WAV to WAV), each
// through the same pipeline the dialog and the command line run.
//
//   export_bench --make-inputs DIR   writes the input files into DIR and exits
//   export_bench [benchmark flags]   runs the benchmarks on inputs in
//                                    $SNIPOLA_BENCH_DIR (made there if missing)
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numbers>

#include "audio/mp3io.h"
#include "export/export_pipeline.h"
#include "long_files.h"
#include "support/mp3_maker.h"
#include "support/scripted_dialogs.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRate = 44100;

void MakeInputs(const fs::path& dir) {
  fs::create_directories(dir);
  const uint64_t minute = 60ull * kRate;
  if (!fs::exists(dir / "ten.wav"))
    WriteLongWav((dir / "ten.wav").string(), 10 * minute, MusicSignal);
  if (!fs::exists(dir / "one.wav")) WriteLongWav((dir / "one.wav").string(), minute, MusicSignal);
  if (!fs::exists(dir / "sixty.wav"))
    WriteLongWav((dir / "sixty.wav").string(), 60 * minute, MusicSignal);
  if (!fs::exists(dir / "ten.mp3")) {
    Mp3MakerOptions options;
    options.bitrateKbps = 128;
    options.quality = 2;
    WriteLongMp3File((dir / "ten.mp3").string(), 10 * minute, kRate, 2, options, MusicSignal);
  }
}

fs::path InputDir() {
  const char* dir = std::getenv("SNIPOLA_BENCH_DIR");
  const fs::path path = dir ? fs::path(dir) : fs::temp_directory_path() / "snipola-bench";
  MakeInputs(path);
  return path;
}

class NoHost : public ExportHost {
 public:
  void SetProgress(int) override {}
  void SetTimeText(const std::string&) override {}
  void ProcessMessages() override {}
};

void RunExportBenchmark(benchmark::State& state, const std::string& input, int32_t beginMs,
                        int32_t endMs, ExportRoute route) {
  const fs::path dir = InputDir();
  ScriptedDialogs dialogs;
  AudioFileInfo info;
  if (!GetAudioFileInfo((dir / input).string(), info, dialogs)) {
    state.SkipWithError("input cannot be probed");
    return;
  }
  ExportJob job;
  job.FileInfo = info;
  job.BeginSample = SampleOfMs(info, beginMs);
  job.EndSample = SampleOfMs(info, endMs);
  job.SourceFileName = (dir / input).string();
  job.OutFileName =
      (dir / (route == ExportRoute::Mp3 ? "bench-out.mp3" : "bench-out.wav")).string();
  job.Route = route;
  job.BitrateKbps = 128;
  NoHost host;
  StreamExportSource source;
  for (auto _ : state) {
    if (!RunExport(job, host, dialogs, source)) state.SkipWithError("export failed");
  }
  fs::remove(job.OutFileName);
}

void BM_Mp3FromTenMinuteWav(benchmark::State& state) {
  RunExportBenchmark(state, "ten.wav", 0, 600000, ExportRoute::Mp3);
}
void BM_Mp3CutEightMinutesFromMp3(benchmark::State& state) {
  RunExportBenchmark(state, "ten.mp3", 60000, 540000, ExportRoute::Mp3);
}
void BM_WavCutEightMinutesFromWav(benchmark::State& state) {
  RunExportBenchmark(state, "ten.wav", 60000, 540000, ExportRoute::Wav);
}

BENCHMARK(BM_Mp3FromTenMinuteWav)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_Mp3CutEightMinutesFromMp3)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_WavCutEightMinutesFromWav)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--make-inputs") == 0) {
    MakeInputs(argv[2]);
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
