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
#include "support/mp3_maker.h"
#include "support/scripted_dialogs.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRate = 44100;

// Music-like test PCM without repeating blocks: two drifting tones and noise.
void Signal(uint64_t firstFrame, uint32_t frameCount, int16_t* out) {
  uint32_t noise = static_cast<uint32_t>(firstFrame * 2654435761u);
  for (uint32_t i = 0; i < frameCount; ++i) {
    const double t = static_cast<double>(firstFrame + i) / kRate;
    const double tone = 0.3 * std::sin(2 * std::numbers::pi * (220 + 20 * std::sin(t * 0.5)) * t) +
                        0.2 * std::sin(2 * std::numbers::pi * 1375 * t);
    for (int c = 0; c < 2; ++c) {
      noise = noise * 1664525u + 1013904223u;
      const double n = 0.05 * (static_cast<double>(noise >> 8) / 8388608.0 - 1.0);
      out[2 * i + c] = static_cast<int16_t>(std::lround((tone + n) * 30000));
    }
  }
}

void PutLe(std::ofstream& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void WriteLongWav(const std::string& path, uint64_t frames) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const uint32_t dataBytes = static_cast<uint32_t>(frames * 4);
  out.write("RIFF", 4);
  PutLe(out, 36 + dataBytes, 4);
  out.write("WAVEfmt ", 8);
  PutLe(out, 16, 4);
  PutLe(out, 1, 2);
  PutLe(out, 2, 2);
  PutLe(out, kRate, 4);
  PutLe(out, kRate * 4, 4);
  PutLe(out, 4, 2);
  PutLe(out, 16, 2);
  out.write("data", 4);
  PutLe(out, dataBytes, 4);
  std::vector<int16_t> chunk(2 * 65536);
  for (uint64_t done = 0; done < frames;) {
    const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(65536, frames - done));
    Signal(done, count, chunk.data());
    out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(count) * 4);
    done += count;
  }
}

void MakeInputs(const fs::path& dir) {
  fs::create_directories(dir);
  const uint64_t minute = 60ull * kRate;
  if (!fs::exists(dir / "ten.wav")) WriteLongWav((dir / "ten.wav").string(), 10 * minute);
  if (!fs::exists(dir / "one.wav")) WriteLongWav((dir / "one.wav").string(), minute);
  if (!fs::exists(dir / "sixty.wav")) WriteLongWav((dir / "sixty.wav").string(), 60 * minute);
  if (!fs::exists(dir / "ten.mp3")) {
    Mp3MakerOptions options;
    options.bitrateKbps = 128;
    options.quality = 2;
    WriteLongMp3File((dir / "ten.mp3").string(), 10 * minute, kRate, 2, options, Signal);
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
  job.MarkBegin = beginMs;
  job.MarkEnd = endMs;
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
