// SPDX-License-Identifier: GPL-3.0-or-later
// Split speed, each against its yardstick in the same run, on a 60-minute
// 128 kbit/s MP3 with 2 s of silence every 3 minutes:
//
//   BM_SplitLosslessVersusCut   20 lossless pieces (RunSplit) against one
//                               lossless cut of the whole file; target
//                               ratio <= 1.5
//   BM_SilenceVersusMpg123      silence detection (SilenceFinder, two
//                               workers) against `mpg123 -t`; target <= 0.7
//   BM_SplitEncodedVersusLame   20 pieces re-encoded at 128 kbit/s against
//                               `lame --mp3input` of the whole file at the
//                               export's settings; target <= 0.6
//
// Wall times in ms per iteration and the ratios are reported as counters.
//
//   split_bench [benchmark flags]   input in $SNIPOLA_BENCH_DIR (made there
//                                   if missing, else in /tmp)
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "audio/mp3io.h"
#include "export/export_pipeline.h"
#include "long_files.h"
#include "split/silence_finder.h"
#include "split/split_export.h"
#include "support/mp3_maker.h"
#include "support/scripted_dialogs.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMinutes = 60;

fs::path Folder() {
  const char* dir = std::getenv("SNIPOLA_BENCH_DIR");
  const fs::path folder = dir ? fs::path(dir) : fs::temp_directory_path() / "snipola-bench";
  fs::create_directories(folder);
  return folder;
}

// Music with 2 s of digital silence every 3 minutes.
void GappedMusic(uint64_t firstFrame, uint32_t frameCount, int16_t* out) {
  MusicSignal(firstFrame, frameCount, out);
  for (uint32_t i = 0; i < frameCount; ++i) {
    if ((firstFrame + i) % (180 * kBenchRate) >= 178 * kBenchRate) out[2 * i] = out[2 * i + 1] = 0;
  }
}

std::string Input() {
  const fs::path path = Folder() / "split-60min.mp3";
  if (!fs::exists(path)) {
    Mp3MakerOptions options;
    options.bitrateKbps = 128;
    WriteLongMp3File(path.string(), uint64_t{60} * kMinutes * kBenchRate, kBenchRate, 2, options,
                     GappedMusic);
  }
  return path.string();
}

class NoHost : public SplitHost {
 public:
  void SetProgress(int) override {}
  void SetTimeText(const std::string&) override {}
  void ProcessMessages() override {}
};

struct Source {
  std::string path = Input();
  AudioFileInfo info;
  Source() {
    ScriptedDialogs dialogs;
    GetAudioFileInfo(path, info, dialogs);
  }
};

double MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

double Timed(const std::function<bool()>& run, benchmark::State& state) {
  const auto start = std::chrono::steady_clock::now();
  if (!run()) state.SkipWithError("run failed");
  return MsSince(start);
}

bool Split(const Source& source, bool lossless, const fs::path& folder) {
  fs::remove_all(folder);
  fs::create_directories(folder);
  SplitJob job;
  job.FileInfo = source.info;
  job.SourceFileName = source.path;
  job.Lossless = lossless;
  job.BitrateKbps = 128;
  job.Folder = folder.string();
  job.Existing = ExistingTarget::Replace;
  job.Sheet.Pieces = PiecesOfParts(source.info, 20).Pieces;
  ScriptedDialogs dialogs;
  NoHost host;
  return RunSplit(job, host, dialogs);
}

void Report(benchmark::State& state, const char* ours, double oursMs, const char* theirs,
            double theirsMs) {
  const double n = static_cast<double>(state.iterations());
  state.counters[ours] = oursMs / n;
  state.counters[theirs] = theirsMs / n;
  state.counters["ratio"] = oursMs / theirsMs;
}

void BM_SplitLosslessVersusCut(benchmark::State& state) {
  const Source source;
  const fs::path folder = Folder() / "split-pieces";
  double splitMs = 0, cutMs = 0;
  for (auto _ : state) {
    splitMs += Timed([&] { return Split(source, true, folder); }, state);
    cutMs += Timed(
        [&] {
          ExportJob job;
          job.FileInfo = source.info;
          job.SourceFileName = source.path;
          job.OutFileName = (Folder() / "split-whole.mp3").string();
          job.EndSample = source.info.LengthFrames;
          job.Lossless = true;
          ScriptedDialogs dialogs;
          NoHost host;
          StreamExportSource stream;
          return RunExport(job, host, dialogs, stream);
        },
        state);
  }
  Report(state, "split_ms", splitMs, "whole_cut_ms", cutMs);
  fs::remove_all(folder);
  fs::remove(Folder() / "split-whole.mp3");
}

void BM_SilenceVersusMpg123(benchmark::State& state) {
  const Source source;
  double findMs = 0, mpg123Ms = 0;
  size_t silences = 0;
  for (auto _ : state) {
    findMs += Timed(
        [&] {
          SilenceResult result;
          SilenceFinder finder(source.path, source.info, {}, 2,
                               [&](SilenceResult r) { result = std::move(r); });
          finder.Wait();
          silences = result.Silences.size();
          return result.Pieces.Ok();
        },
        state);
    mpg123Ms += Timed(
        [&] { return std::system(("mpg123 -q -t '" + source.path + "'").c_str()) == 0; }, state);
  }
  Report(state, "silence_ms", findMs, "mpg123_t_ms", mpg123Ms);
  state.counters["silences"] = static_cast<double>(silences);
}

void BM_SplitEncodedVersusLame(benchmark::State& state) {
  const Source source;
  const fs::path folder = Folder() / "split-pieces";
  const std::string lameOut = (Folder() / "split-lame.mp3").string();
  double splitMs = 0, lameMs = 0;
  for (auto _ : state) {
    splitMs += Timed([&] { return Split(source, false, folder); }, state);
    lameMs += Timed(
        [&] {
          return std::system(("lame --quiet -b 128 --cbr -q 2 -m s --mp3input '" + source.path +
                              "' '" + lameOut + "'")
                                 .c_str()) == 0;
        },
        state);
  }
  Report(state, "split_ms", splitMs, "lame_ms", lameMs);
  fs::remove_all(folder);
  fs::remove(lameOut);
}

}  // namespace

BENCHMARK(BM_SplitLosslessVersusCut)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_SilenceVersusMpg123)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_SplitEncodedVersusLame)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK_MAIN();
