// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Files the tests make for themselves: a fresh temporary folder per test,
// WAV and text files, and the file record the probe would give.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/audio_file_info.h"

// A folder that is emptied when created and removed when destroyed. By
// default it lies under the build tree ($SNIPOLA_TEST_TMP); tests that run a
// child process as another user ask for one in the system temp folder, whose
// every ancestor that user can traverse (a build tree may lie under /root).
class TempDir {
 public:
  enum class Where { BuildTree, SystemTemp };
  explicit TempDir(Where where = Where::BuildTree);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// A deterministic test signal: interleaved 16-bit samples, frames x channels, a mix of two sines
// per channel with a little pseudo-random noise, so that cross-correlation has a single clear peak.
std::vector<int16_t> MakeTestSignal(uint32_t frames, int channels, int sampleRate,
                                    uint32_t seed = 1);

// A canonical 16-bit PCM WAV (16-byte fmt chunk) holding `samples`.
void WriteWavFile(const std::string& path, int sampleRate, int channels,
                  const std::vector<int16_t>& samples);
// Whole files read as bytes, written and read as text; the entries a folder holds.
std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
std::string ReadText(const std::string& path);
size_t FilesIn(const std::filesystem::path& folder);
// The record of an audio file with the fields given.
AudioFileInfo MakeInfo(int32_t type, int32_t rate, int32_t channels, int32_t lengthMs = 0,
                       int32_t bitrate = 0);
