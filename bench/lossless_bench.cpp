// SPDX-License-Identifier: GPL-3.0-or-later
// Lossless export speed and memory: an 8-minute lossless cut of a 10-minute
// 128 kbit/s MP3 against copying the same number of bytes, both in the same
// run, and the cut's allocations on a 1-minute and a 10-minute file.
//
// BM_LosslessCutVersusCopy times, per iteration, the cut through the export
// pipeline and two copies of as many bytes as the cut wrote: through the
// same temporary-file-then-rename output (with its sync to disk) and a plain
// read/write copy as cp makes it (no sync). It reports the milliseconds of
// each and the ratios; the target is a ratio of at most 3.
// BM_LosslessCutAllocations reports the heap allocations of one cut of the
// middle of a 1-minute and of a 10-minute file, and the growth of the
// process's peak resident memory while cutting: neither grows with the file.
//
//   lossless_bench [benchmark flags]   inputs in $SNIPOLA_BENCH_DIR (made
//                                      there if missing, else in /tmp)
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "audio/mp3io.h"
#include "export/export_pipeline.h"
#include "export/output_file.h"
#include "long_files.h"
#include "support/allocation_counter.h"
#include "support/mp3_maker.h"
#include "support/scripted_dialogs.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRate = 44100;

std::string Input(int minutes) {
  const char* dir = std::getenv("SNIPOLA_BENCH_DIR");
  const fs::path folder = dir ? fs::path(dir) : fs::temp_directory_path() / "snipola-bench";
  fs::create_directories(folder);
  const fs::path path = folder / ("lossless-" + std::to_string(minutes) + "min.mp3");
  if (!fs::exists(path)) {
    Mp3MakerOptions options;
    options.bitrateKbps = 128;
    WriteLongMp3File(path.string(), uint64_t{60} * minutes * kRate, kRate, 2, options, MusicSignal);
  }
  return path.string();
}

class NoHost : public ExportHost {
 public:
  void SetProgress(int) override {}
  void SetTimeText(const std::string&) override {}
  void ProcessMessages() override {}
};

// The source's description, as the program holds it from opening the file.
AudioFileInfo Probe(const std::string& input) {
  ScriptedDialogs dialogs;
  AudioFileInfo info;
  GetAudioFileInfo(input, info, dialogs);
  return info;
}

bool Cut(const std::string& input, const AudioFileInfo& info, int32_t beginMs, int32_t endMs,
         const std::string& output) {
  ScriptedDialogs dialogs;
  ExportJob job;
  job.FileInfo = info;
  job.SourceFileName = input;
  job.OutFileName = output;
  job.BeginSample = SampleOfMs(info, beginMs);
  job.EndSample = SampleOfMs(info, endMs);
  job.Lossless = true;
  NoHost host;
  StreamExportSource source;
  return RunExport(job, host, dialogs, source);
}

// Copies the first `bytes` bytes of `input`, through OutputFile or plainly.
bool Copy(const std::string& input, uint64_t bytes, const std::string& output, bool throughOutput) {
  const int in = ::open(input.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  std::vector<char> buffer(1 << 20);
  OutputFile file;
  const int out = throughOutput ? -1 : ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  bool ok = throughOutput ? file.Create(output) : out >= 0;
  while (ok && bytes > 0) {
    const ssize_t got = ::read(in, buffer.data(), std::min<uint64_t>(bytes, buffer.size()));
    if (got <= 0) break;
    ok = throughOutput ? file.Write(buffer.data(), static_cast<size_t>(got))
                       : ::write(out, buffer.data(), static_cast<size_t>(got)) == got;
    bytes -= static_cast<uint64_t>(got);
  }
  ::close(in);
  if (!throughOutput) return ::close(out) == 0 && ok;
  return ok && file.Commit();
}

double MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

void BM_LosslessCutVersusCopy(benchmark::State& state) {
  const std::string input = Input(10);
  const std::string cutPath = input + ".cut.mp3";
  const std::string copyPath = input + ".copy";
  const AudioFileInfo info = Probe(input);
  double cutMs = 0, syncedCopyMs = 0, plainCopyMs = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    if (!Cut(input, info, 60000, 540000, cutPath)) state.SkipWithError("cut failed");
    cutMs += MsSince(start);
    const uint64_t bytes = fs::file_size(cutPath);
    start = std::chrono::steady_clock::now();
    if (!Copy(input, bytes, copyPath, true)) state.SkipWithError("copy failed");
    syncedCopyMs += MsSince(start);
    start = std::chrono::steady_clock::now();
    if (!Copy(input, bytes, copyPath, false)) state.SkipWithError("copy failed");
    plainCopyMs += MsSince(start);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["cut_ms"] = cutMs / n;
  state.counters["synced_copy_ms"] = syncedCopyMs / n;
  state.counters["plain_copy_ms"] = plainCopyMs / n;
  state.counters["ratio_to_synced_copy"] = cutMs / syncedCopyMs;
  state.counters["ratio_to_plain_copy"] = cutMs / plainCopyMs;
  fs::remove(cutPath);
  fs::remove(copyPath);
}

// The process's peak resident memory in KiB (VmHWM).
long PeakResidentKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

void BM_LosslessCutAllocations(benchmark::State& state) {
  const int minutes = static_cast<int>(state.range(0));
  const std::string input = Input(minutes);
  const std::string cutPath = input + ".cut.mp3";
  const int32_t lengthMs = minutes * 60000;
  const AudioFileInfo info = Probe(input);
  uint64_t allocations = 0;
  const long peakBefore = PeakResidentKiB();
  for (auto _ : state) {
    const uint64_t before = ProcessAllocations();
    if (!Cut(input, info, lengthMs / 10, lengthMs - lengthMs / 10, cutPath)) {
      state.SkipWithError("cut failed");
    }
    allocations += ProcessAllocations() - before;
  }
  state.counters["allocations_per_cut"] =
      static_cast<double>(allocations) / static_cast<double>(state.iterations());
  state.counters["peak_rss_growth_kib"] = static_cast<double>(PeakResidentKiB() - peakBefore);
  fs::remove(cutPath);
}

// The 1-minute file first, so that its peak is the baseline the 10-minute
// file could only raise.
BENCHMARK(BM_LosslessCutAllocations)->Arg(1)->Arg(10)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LosslessCutVersusCopy)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
