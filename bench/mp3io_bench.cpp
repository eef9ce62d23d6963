// SPDX-License-Identifier: GPL-3.0-or-later
// Benchmarks of the audio input on long MP3 files: the probe of a 60-minute
// CBR file and of a 60-minute VBR file with an ID3v2 tag, opening the stream
// at 59:00 until the first block is ready, and the reader's block throughput
// against plain mpg123_read into a buffer of the same size.
//
// The files are encoded once (LAME at its fastest quality) into
// bench-cache/ next to this executable and reused by later runs. Timings are
// with the files in the page cache, as they are right after a file manager or
// the open dialog touched them.
#include <benchmark/benchmark.h>
#include <mpg123.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>

#include "audio/mp3io.h"
#include "support/mp3_maker.h"
#include "base/dialogs.h"

namespace fs = std::filesystem;

namespace {

class SilentDialogs : public Dialogs {
 public:
  void ShowMessage(const std::string& text, const std::string&, MessageIcon) override {
    std::fprintf(stderr, "probe message: %s\n", text.c_str());
  }
  std::optional<std::string> InputQuery(const std::string&, const std::string&,
                                        const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> OpenFileName(const std::string&) override { return std::nullopt; }
  std::optional<std::string> SaveFileName(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  bool Confirm(const std::string&, const std::string&) override { return false; }
};

constexpr int kRate = 44100;

// Music-like material that changes over time, so VBR frames really vary:
// a slow chord sweep with bursts of noise every few seconds.
void MakeFrames(uint64_t firstFrame, uint32_t frameCount, int16_t* out) {
  uint32_t noise = static_cast<uint32_t>(firstFrame * 2654435761u + 1);
  for (uint32_t i = 0; i < frameCount; ++i) {
    const double t = static_cast<double>(firstFrame + i) / kRate;
    const double base = 110.0 * std::pow(2.0, std::fmod(std::floor(t / 4.0), 12.0) / 12.0);
    noise = noise * 1664525u + 1013904223u;
    const double burst = std::fmod(t, 7.0) < 1.5 ? 0.15 : 0.01;
    const double n = (static_cast<double>(noise >> 8) / 8388608.0 - 1.0) * burst;
    for (int c = 0; c < 2; ++c) {
      const double v = 0.25 * std::sin(2 * std::numbers::pi * base * (1 + 0.5 * c) * t) +
                       0.15 * std::sin(2 * std::numbers::pi * base * 2.52 * t) + n;
      out[2 * i + c] = static_cast<int16_t>(std::lround(v * 32767.0));
    }
  }
}

// The file `name` in the cache, encoded for `minutes` minutes if missing.
std::string CachedMp3(const std::string& name, int minutes, const Mp3MakerOptions& options) {
  const fs::path dir = fs::canonical("/proc/self/exe").parent_path() / "bench-cache";
  fs::create_directories(dir);
  const fs::path path = dir / name;
  if (fs::exists(path)) return path.string();
  std::fprintf(stderr, "encoding %s (%d min), once...\n", name.c_str(), minutes);
  const fs::path partial = dir / (name + ".part");
  if (!WriteLongMp3File(partial.string(), static_cast<uint64_t>(minutes) * 60 * kRate, kRate, 2,
                        options, MakeFrames)) {
    std::fprintf(stderr, "cannot encode %s\n", name.c_str());
    std::exit(1);
  }
  fs::rename(partial, path);
  return path.string();
}

std::string Cbr60() {
  return CachedMp3("cbr128-60min.mp3", 60, {.bitrateKbps = 128, .quality = 9});
}
std::string Vbr60() {
  return CachedMp3("vbr-id3v2-60min.mp3", 60,
                   {.vbr = true, .vbrQuality = 5, .quality = 9, .id3v2Bytes = 64 * 1024});
}
std::string Cbr10() {
  return CachedMp3("cbr128-10min.mp3", 10, {.bitrateKbps = 128, .quality = 9});
}

// Gives the file a new modification time, so the decoder treats it as a file
// it has never scanned.
void Touch(const std::string& path) {
  const fs::file_time_type now = fs::last_write_time(path) + std::chrono::milliseconds(1);
  fs::last_write_time(path, now);
}

void ProbeFresh(benchmark::State& state, const std::string& path) {
  SilentDialogs dialogs;
  AudioFileInfo info;
  for (auto _ : state) {
    state.PauseTiming();
    Touch(path);
    state.ResumeTiming();
    if (!GetAudioFileInfo(path, info, dialogs)) state.SkipWithError("probe failed");
  }
  state.counters["length_ms"] = info.LengthMs;
  state.counters["kbps"] = info.Bitrate;
}

void BM_ProbeCbr128_60min(benchmark::State& state) { ProbeFresh(state, Cbr60()); }
void BM_ProbeVbrId3v2_60min(benchmark::State& state) { ProbeFresh(state, Vbr60()); }

// Opening at 59:00 until the first block is ready. As in the program, the
// file was probed when it was opened; `fresh` also makes the stream scan
// the file (a file that changed since its probe).
void OpenAt59(benchmark::State& state, bool fresh) {
  const std::string path = Cbr60();
  SilentDialogs dialogs;
  AudioFileInfo info;
  if (!GetAudioFileInfo(path, info, dialogs)) return state.SkipWithError("probe failed");
  for (auto _ : state) {
    if (fresh) {
      state.PauseTiming();
      Touch(path);
      state.ResumeTiming();
    }
    OpenAudioStream(path, info, SampleOfMs(info, 59 * 60 * 1000));
    uint8_t* data = nullptr;
    uint32_t sizeBytes = 0;
    if (!ReadAudioBlock(info, data, sizeBytes)) state.SkipWithError("no block");
    benchmark::DoNotOptimize(data);
    state.PauseTiming();
    CloseAudioStream(info);
    state.ResumeTiming();
  }
}

void BM_OpenAt59minUntilFirstBlock(benchmark::State& state) { OpenAt59(state, false); }
void BM_OpenAt59minUntilFirstBlockUnscanned(benchmark::State& state) { OpenAt59(state, true); }

void BM_ReaderBlocks(benchmark::State& state) {
  const std::string path = Cbr10();
  SilentDialogs dialogs;
  AudioFileInfo info;
  if (!GetAudioFileInfo(path, info, dialogs)) return state.SkipWithError("probe failed");
  int64_t blocks = 0;
  for (auto _ : state) {
    OpenAudioStream(path, info, SampleIndex(0));
    uint8_t* data = nullptr;
    uint32_t sizeBytes = 0;
    while (ReadAudioBlock(info, data, sizeBytes)) ++blocks;
    CloseAudioStream(info);
  }
  state.SetItemsProcessed(blocks);
}

// Not a timing: checks once that the probe's length of the 60-minute VBR
// file is the length a full decode through the reader produces.
void BM_VbrProbeLengthEqualsFullDecode(benchmark::State& state) {
  const std::string path = Vbr60();
  SilentDialogs dialogs;
  AudioFileInfo info;
  if (!GetAudioFileInfo(path, info, dialogs)) return state.SkipWithError("probe failed");
  int64_t frames = 0;
  for (auto _ : state) {
    OpenAudioStream(path, info, SampleIndex(0));
    uint8_t* data = nullptr;
    uint32_t sizeBytes = 0;
    while (ReadAudioBlock(info, data, sizeBytes)) frames += sizeBytes / (2 * info.Channels);
    CloseAudioStream(info);
  }
  const double decodedMs = static_cast<double>(frames) / info.SampleRate * 1000.0;
  state.counters["probe_length_ms"] = info.LengthMs;
  state.counters["decoded_length_ms"] = std::nearbyint(decodedMs);
  if (std::nearbyint(decodedMs) != info.LengthMs) state.SkipWithError("lengths differ");
}

// The peer: libmpg123 alone, same output format, same 8192-byte buffer.
void BM_PlainMpg123Read(benchmark::State& state) {
  const std::string path = Cbr10();
  int64_t blocks = 0;
  uint8_t buffer[kAudioBlockBytes];
  for (auto _ : state) {
    mpg123_handle* handle = mpg123_new(nullptr, nullptr);
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_format_none(handle);
    mpg123_format(handle, kRate, MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open(handle, path.c_str()) != MPG123_OK) state.SkipWithError("open failed");
    size_t done = 0;
    for (;;) {
      const int result = mpg123_read(handle, buffer, sizeof buffer, &done);
      if (done > 0) ++blocks;
      if (result != MPG123_OK && result != MPG123_NEW_FORMAT) break;
    }
    mpg123_close(handle);
    mpg123_delete(handle);
  }
  state.SetItemsProcessed(blocks);
}

}  // namespace

BENCHMARK(BM_ProbeCbr128_60min)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ProbeVbrId3v2_60min)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenAt59minUntilFirstBlock)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_OpenAt59minUntilFirstBlockUnscanned)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_VbrProbeLengthEqualsFullDecode)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ReaderBlocks)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_PlainMpg123Read)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

BENCHMARK_MAIN();
