// SPDX-License-Identifier: GPL-3.0-or-later
// The export dialog's rules as plain logic; see export_options.h.
#include "export/export_options.h"

#include <cstring>
#include <filesystem>
#include <limits>

#include "base/file_extension.h"
#include "export/lame_encoder.h"

std::string CannotCreateFileText(const std::string& path, int errorNumber) {
  return "Cannot create file " + path + ": " + std::strerror(errorNumber);
}
std::string UnableToWriteText(const std::string& path) { return "Unable to write to " + path; }

std::string SuggestedExportName(const std::string& sourceFileName, bool mp3) {
  const std::filesystem::path source(sourceFileName);
  return source.stem().string() + (mp3 ? " (piece).mp3" : " (piece).wav");
}
std::string NotValidIntegerText(const std::string& text) {
  return "'" + text + "' is not a valid integer value";
}

std::vector<std::string> BitrateItems(const AudioFileInfo& info) {
  std::vector<std::string> items;
  if (info.FileType == AudioFileInfo::kTypeMp3) items.emplace_back(kAsOriginItem);
  std::vector<uint32_t> offered = {32, 40, 56, 64, 80, 96, 112, 128, 160};
  if (info.SampleRate == 44100) offered.insert(offered.end(), {192, 224, 256, 320});
  for (uint32_t kbps : offered) {
    if (EncoderHonoursBitrate(info.SampleRate, info.Channels, kbps)) {
      items.push_back(std::to_string(kbps));
    }
  }
  return items;
}

std::string Mp3RateProblem(const AudioFileInfo& info) {
  for (const std::string& item : BitrateItems(info)) {
    if (item != kAsOriginItem) return {};
  }
  const std::string rate = std::to_string(info.SampleRate) + " Hz";
  if (info.SampleRate > 48000 || info.SampleRate < 8000) {
    return rate + " cannot be encoded as MP3: MP3 holds 8000 to 48000 Hz";
  }
  return rate + " is not an MP3 sample rate: 8000 11025 12000 16000 22050 24000 32000 44100 48000";
}

int InitialBitrateIndex(const AudioFileInfo& info) {
  if (info.FileType == AudioFileInfo::kTypeMp3) return 0;
  // "128", or the highest bitrate below it that the source's rate carries.
  const std::vector<std::string> items = BitrateItems(info);
  int index = -1;
  for (size_t i = 0; i < items.size(); ++i) {
    const auto kbps = FadeSecondsOf(items[i]);
    if (kbps && *kbps <= 128) index = static_cast<int>(i);
  }
  return index;
}

uint32_t BitrateOfItem(const AudioFileInfo& info, int index, const std::string& itemText) {
  if (info.FileType == AudioFileInfo::kTypeMp3 && index == 0) {
    return static_cast<uint32_t>(info.Bitrate);
  }
  const auto value = FadeSecondsOf(itemText);
  return value ? static_cast<uint32_t>(*value) : 0;
}

bool FadeTextIsDigitsOnly(const std::string& text) {
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::optional<int32_t> FadeSecondsOf(const std::string& text) {
  if (text.empty() || !FadeTextIsDigitsOnly(text)) return std::nullopt;
  int64_t value = 0;
  for (char c : text) {
    value = value * 10 + (c - '0');
    if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
  }
  return static_cast<int32_t>(value);
}

std::string WithDefaultExtension(const std::string& fileName, bool mp3) {
  if (!FileExtension(fileName).empty()) return fileName;
  return fileName + (mp3 ? ".mp3" : ".wav");
}

std::vector<std::string> DialogBitrateItems(const AudioFileInfo& info) {
  std::vector<std::string> items = BitrateItems(info);
  if (info.FileType == AudioFileInfo::kTypeMp3) items.insert(items.begin() + 1, kLosslessItem);
  return items;
}

bool IsLosslessItem(const AudioFileInfo& info, int index) {
  return info.FileType == AudioFileInfo::kTypeMp3 && index == 1;
}
