// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/test_files.h"

#include "base/rounding.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <random>

#include "support/riff_bytes.h"

namespace fs = std::filesystem;

TempDir::TempDir(Where where) {
  const char* base = std::getenv("SNIPOLA_TEST_TMP");
  const bool buildTree = base && where == Where::BuildTree;
  const fs::path root = buildTree ? fs::path(base) : fs::temp_directory_path() / "snipola-tests";
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "tmp";
  std::replace(name.begin(), name.end(), '/', '_');
  // The system temp folder is shared by every build tree on the machine: the
  // process id keeps two runs of the same test apart.
  path_ = root / (buildTree ? name : name + "." + std::to_string(::getpid()));
  fs::remove_all(path_);
  fs::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

std::vector<int16_t> MakeTestSignal(uint32_t frames, int channels, int sampleRate, uint32_t seed) {
  std::vector<int16_t> samples(static_cast<size_t>(frames) * channels);
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> noise(-1.0, 1.0);
  const double twoPi = 2.0 * std::numbers::pi;
  for (uint32_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    for (int c = 0; c < channels; ++c) {
      const double v = 0.35 * std::sin(twoPi * (220.0 + 110.0 * c) * t) +
                       0.25 * std::sin(twoPi * (1375.0 + 37.0 * c) * t + c) + 0.05 * noise(random);
      samples[static_cast<size_t>(i) * channels + c] =
          static_cast<int16_t>(std::lround(v * 32767.0));
    }
  }
  return samples;
}

void WriteWavFile(const std::string& path, int sampleRate, int channels,
                  const std::vector<int16_t>& samples) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(samples.data());  // little-endian host
  const Bytes data(bytes, bytes + samples.size() * 2);
  const WavFormatFields format{1, static_cast<uint16_t>(channels),
                               static_cast<uint32_t>(sampleRate), 16, 16};
  WriteBytesToFile(path, RiffWaveBytes({FormatChunkBytes(format), RiffChunkBytes("data", data)}));
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string ReadText(const std::string& path) {
  const auto bytes = ReadFileBytes(path);
  return {bytes.begin(), bytes.end()};
}

size_t FilesIn(const fs::path& folder) {
  return static_cast<size_t>(
      std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

AudioFileInfo MakeInfo(int32_t type, int32_t rate, int32_t channels, int32_t lengthMs,
                       int32_t bitrate) {
  // The exact length as the probe of a file of whole milliseconds finds it.
  return {type, rate, channels, bitrate, lengthMs,
          SampleIndex(MsToFrames(lengthMs, rate > 0 ? rate : 1))};
}
