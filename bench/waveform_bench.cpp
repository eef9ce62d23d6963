// SPDX-License-Identifier: GPL-3.0-or-later
// Benchmarks of the waveform window's overview on hour-long files, each
// against its yardstick measured in the same run:
//
// - a 60-minute 128 kbit/s MP3 against `mpg123 -t -q FILE` (a full-rate
//   decode that writes nothing), run as a child process; the overview should
//   need at most 0.7 of its time;
// - a 60-minute 16-bit stereo WAV against `cat FILE > /dev/null` from the
//   page cache; the overview should need at most twice its time.
//
// Counters: the yardstick's seconds, the ratio of wall times, the ratio of
// CPU times (the work, independent of the machine's load), the allocations the job made
// (a handful per batch, none per block) and how far the process's peak
// resident memory grew during the job, which stays at a few megabytes: no
// buffer ever holds more than a block per worker.
//
// - real-time playback of a 30-second MP3 through the playback engine and
//   SDL's disk driver while overview jobs decode the same file over and over:
//   counters give the dropouts (runs of silence inside the played piece, 0
//   expected), the bytes played against the bytes expected and whether the
//   played PCM equals the file's decoded PCM; a gap or a mismatch fails the
//   benchmark.
//
// The hour-long files are made once into bench-cache/ next to this executable.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "audio/mp3io.h"
#include "audio/playback_engine.h"
#include "audio/sdl_wave_out.h"
#include "long_files.h"
#include "support/allocation_counter.h"
#include "support/core_application.h"
#include "support/mp3_maker.h"
#include "support/played_audio.h"
#include "support/recording_playback_host.h"
#include "support/test_files.h"
#include "waveform/overview_job.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRate = 44100;
constexpr uint64_t kFrames60Min = uint64_t{60} * 60 * kRate;
constexpr int kColumns = 384;

// Speech-like material: a tone whose loudness swells and falls every few
// seconds, with some noise, so the overview has a shape and LAME real work.
void MakeFrames(uint64_t firstFrame, uint32_t frameCount, int16_t* out) {
  uint32_t noise = static_cast<uint32_t>(firstFrame * 2654435761u + 7);
  for (uint32_t i = 0; i < frameCount; ++i) {
    const double t = static_cast<double>(firstFrame + i) / kRate;
    const double loudness = 0.5 + 0.45 * std::sin(2 * std::numbers::pi * t / 5.0);
    noise = noise * 1664525u + 1013904223u;
    const double n = (static_cast<double>(noise >> 8) / 8388608.0 - 1.0) * 0.05;
    for (int c = 0; c < 2; ++c) {
      const double v = loudness * 0.6 * std::sin(2 * std::numbers::pi * (220.0 + 110 * c) * t) + n;
      out[2 * i + c] = static_cast<int16_t>(std::lround(v * 32767.0));
    }
  }
}

fs::path CacheDir() {
  const fs::path dir = fs::canonical("/proc/self/exe").parent_path() / "bench-cache";
  fs::create_directories(dir);
  return dir;
}

std::string Mp3File() {
  const fs::path path = CacheDir() / "wave-cbr128-60min.mp3";
  if (!fs::exists(path)) {
    std::fprintf(stderr, "encoding %s once...\n", path.c_str());
    const fs::path partial = path.string() + ".part";
    if (!WriteLongMp3File(partial, kFrames60Min, kRate, 2, {.bitrateKbps = 128, .quality = 9},
                          MakeFrames)) {
      std::fprintf(stderr, "cannot encode %s\n", path.c_str());
      std::exit(1);
    }
    fs::rename(partial, path);
  }
  return path.string();
}

std::string WavFile() {
  const fs::path path = CacheDir() / "wave-60min.wav";
  if (!fs::exists(path)) {
    std::fprintf(stderr, "writing %s once...\n", path.c_str());
    const fs::path partial = path.string() + ".part";
    if (!WriteLongWav(partial.string(), kFrames60Min, MakeFrames)) std::exit(1);
    fs::rename(partial, path);
  }
  return path.string();
}

// CPU seconds (user and system) of this process or of its finished children.
double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  const auto seconds = [](timeval t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double SecondsOf(const std::string& command) {
  const auto start = std::chrono::steady_clock::now();
  const int status = std::system(command.c_str());
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return status == 0 ? seconds : -1.0;
}

long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
  }
  return 0;
}

// Runs the overview once per iteration and the yardstick `command` once per
// iteration too, alternating, so both see the same machine load.
void Overview(benchmark::State& state, const std::string& path, AudioFileInfo info,
              const std::string& command, double limit) {
  double overviewSeconds = 0;
  double yardstickSeconds = 0;
  double overviewCpu = 0;
  double yardstickCpu = 0;
  uint64_t allocations = 0;
  long rssGrowthKb = 0;
  for (auto _ : state) {
    const long rssBefore = StatusKb("VmRSS:");
    const uint64_t allocationsBefore = ProcessAllocations();
    std::atomic<int> filled{0};
    const double cpuBefore = CpuSeconds(RUSAGE_SELF);
    const auto start = std::chrono::steady_clock::now();
    OverviewJob job(path, info, kColumns, OverviewJob::DefaultThreads(),
                    [&](int, std::vector<ColumnPeak> peaks) {
                      for (const ColumnPeak& peak : peaks) filled += peak.filled ? 1 : 0;
                    });
    job.Wait();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    overviewSeconds += seconds;
    overviewCpu += CpuSeconds(RUSAGE_SELF) - cpuBefore;
    allocations = ProcessAllocations() - allocationsBefore;
    rssGrowthKb = std::max(rssGrowthKb, StatusKb("VmHWM:") - rssBefore);
    if (filled != kColumns) state.SkipWithError("overview incomplete");
    const double childCpuBefore = CpuSeconds(RUSAGE_CHILDREN);
    const double yardstick = SecondsOf(command);
    yardstickCpu += CpuSeconds(RUSAGE_CHILDREN) - childCpuBefore;
    if (yardstick < 0) state.SkipWithError(("yardstick failed: " + command).c_str());
    yardstickSeconds += yardstick;
  }
  const double ratio = overviewSeconds / yardstickSeconds;
  state.counters["yardstick_s"] = yardstickSeconds / static_cast<double>(state.iterations());
  state.counters["ratio"] = ratio;
  state.counters["ratio_limit"] = limit;
  // The work itself, whatever else the machine is doing: CPU seconds of the
  // overview's workers over those of the yardstick.
  state.counters["cpu_ratio"] = overviewCpu / yardstickCpu;
  state.counters["threads"] = OverviewJob::DefaultThreads();
  state.counters["allocations"] = static_cast<double>(allocations);
  state.counters["peak_rss_growth_kB"] = static_cast<double>(rssGrowthKb);
  state.SetLabel(ratio <= limit ? "within limit" : "OVER LIMIT");
}

void BM_OverviewMp3_60min_vs_mpg123(benchmark::State& state) {
  const std::string path = Mp3File();
  Overview(state, path,
           {AudioFileInfo::kTypeMp3, kRate, 2, 128, 3600000, SampleIndex(int64_t{3600} * kRate)},
           "mpg123 -q -t '" + path + "' >/dev/null 2>&1", 0.7);
}

void BM_OverviewWav_60min_vs_cat(benchmark::State& state) {
  const std::string path = WavFile();
  SecondsOf("cat '" + path + "' > /dev/null");  // into the page cache
  Overview(state, path,
           {AudioFileInfo::kTypeWav, kRate, 2, 1411, 3600000, SampleIndex(int64_t{3600} * kRate)},
           "cat '" + path + "' > /dev/null", 2.0);
}

// Plays 2 s to 12 s of a 30-second MP3 at real time into SDL's disk driver
// while overview jobs, restarted whenever one finishes, decode the same file
// on their own threads; then compares the captured bytes with the file's PCM.
void BM_PlaybackBesideOverview(benchmark::State& state) {
  constexpr uint32_t kStartMs = 2000;
  constexpr uint32_t kEndMs = 12000;
  EnsureCoreApplication();
  TempDir dir(TempDir::Where::SystemTemp);
  const std::string output = dir.File("played.raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "23", 1);  // 1024 frames at 44.1 kHz: real time
  RecordingPlaybackHost host;
  host.fileName = CachedMp3(kRate, 2, 30 * kRate).path;
  if (!GetAudioFileInfo(host.fileName, host.info, host.dialogs)) {
    state.SkipWithError("cannot read the test MP3");
    return;
  }
  const std::vector<int16_t> decoded = DecodeMp3File(host.fileName);
  const auto* pcm = reinterpret_cast<const uint8_t*>(decoded.data());
  const std::vector<uint8_t> expected(pcm + uint64_t{kStartMs} * kRate / 1000 * 4,
                                      pcm + uint64_t{kEndMs} * kRate / 1000 * 4);
  int jobs = 0;
  bool finished = true;
  for (auto _ : state) {
    auto engine = std::make_unique<PlaybackEngine>(host, std::make_unique<SdlWaveOut>());
    std::unique_ptr<OverviewJob> job;
    engine->StartPlayback(host.fileName, host.info, kStartMs, kEndMs);
    finished = engine->Playing() &&
               WaitUntil(
                   [&] {
                     if (!job || job->Finished()) {
                       job = std::make_unique<OverviewJob>(host.fileName, host.info, kColumns,
                                                           OverviewJob::DefaultThreads(),
                                                           [](int, std::vector<ColumnPeak>) {});
                       ++jobs;
                     }
                     return !engine->Playing();
                   },
                   2 * (kEndMs - kStartMs) + 5000);
    engine.reset();
    job.reset();
  }
  const std::vector<uint8_t> played = ReadFileBytes(output);
  const PlayedMatch match = MatchPlayed(played, expected);
  const bool equal = match.expectedBytes == expected.size() && SilentFrom(played, match.playedEnd);
  state.counters["dropouts"] = match.dropouts;
  state.counters["played_bytes"] = static_cast<double>(match.expectedBytes);
  state.counters["expected_bytes"] = static_cast<double>(expected.size());
  state.counters["pcm_equal"] = equal ? 1 : 0;
  state.counters["overview_jobs"] = jobs;
  if (!finished) {
    state.SkipWithError("playback did not start or did not end in time");
  } else if (match.dropouts != 0) {
    state.SkipWithError("GAP: silence inside the played piece");
  } else if (!equal) {
    state.SkipWithError("MISMATCH: the played PCM differs from the file's decoded PCM");
  } else if (jobs < 2) {
    state.SkipWithError("the overview did not run beside the whole playback");
  }
}

}  // namespace

BENCHMARK(BM_PlaybackBesideOverview)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_OverviewMp3_60min_vs_mpg123)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_OverviewWav_60min_vs_cat)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

BENCHMARK_MAIN();
