// The export dialog's rules as plain logic; see export_options.h.
#include "export/export_options.h"

#include <limits>

#include "base/file_extension.h"

std::string CannotCreateFileText(const std::string& path) { return "Cannot create file " + path; }
std::string UnableToWriteText(const std::string& path) { return "Unable to write to " + path; }
std::string NotValidIntegerText(const std::string& text) {
  return "'" + text + "' is not a valid integer value";
}

std::vector<std::string> BitrateItems(const AudioFileInfo& info) {
  std::vector<std::string> items;
  if (info.FileType == AudioFileInfo::kTypeMp3) items.emplace_back(kAsOriginItem);
  for (const char* kbps : {"32", "40", "56", "64", "80", "96", "112", "128", "160"}) {
    items.emplace_back(kbps);
  }
  if (info.SampleRate == 44100) {
    for (const char* kbps : {"192", "224", "256", "320"}) items.emplace_back(kbps);
  }
  return items;
}

int InitialBitrateIndex(const AudioFileInfo& info) {
  return info.FileType == AudioFileInfo::kTypeMp3 ? 0 : 7;
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
