// SPDX-License-Identifier: GPL-3.0-or-later
// Loading and saving the two display settings in set.ini; see settings.h.
#include "app/settings.h"

#include <unistd.h>

#include <QStandardPaths>
#include <cstdlib>
#include <filesystem>

#include "app/ini_file.h"
#include "base/application_error.h"
#include "base/dialogs.h"

namespace {

bool ReadFlag(const std::string& iniPath, const char* key, bool defaultValue) {
  const auto text = ReadIniValue(iniPath, kSettingsSection, key);
  if (!text) {
    return defaultValue;
  }
  const auto number = ParseIniInteger(*text);
  return number ? *number != 0 : defaultValue;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  return (std::filesystem::path(dir) / name).string();
}

}  // namespace

std::optional<int32_t> ParseIniInteger(const std::string& text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i++] == '-';
  }
  const bool hex =
      text.size() - i > 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X');
  if (hex) {
    i += 2;
  }
  if (i == text.size()) {
    return std::nullopt;
  }
  const int64_t base = hex ? 16 : 10;
  // Decimal values must fit a signed 32-bit integer; hexadecimal ones any
  // 32-bit pattern (0xFFFFFFFF is -1).
  const int64_t limit = hex ? 0xFFFFFFFFLL : (negative ? 0x80000000LL : 0x7FFFFFFFLL);
  int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    int digit = -1;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    }
    if (hex && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    }
    if (hex && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    }
    if (digit < 0) {
      return std::nullopt;
    }
    magnitude = magnitude * base + digit;
    if (magnitude > limit) {
      return std::nullopt;
    }
  }
  const auto bits = static_cast<uint32_t>(negative ? -magnitude : magnitude);
  return static_cast<int32_t>(bits);
}

std::string SettingsFilePath(const std::string& executableDir) {
  const char* overrideDir = std::getenv("SNIPOLA_CONFIG_DIR");
  if (overrideDir && *overrideDir) {
    return JoinPath(overrideDir, kSettingsFileName);
  }
  // An installed program (share/snipola/ beside its bin folder) never writes
  // into its bin folder, even when run by a user who may (root in /usr/bin).
  std::error_code error;
  const bool installed = std::filesystem::is_directory(
      std::filesystem::path(executableDir) / ".." / "share" / "snipola", error);
  if (!executableDir.empty() && !installed && ::access(executableDir.c_str(), W_OK) == 0) {
    return JoinPath(executableDir, kSettingsFileName);
  }
  const QString configHome =
      QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return JoinPath(JoinPath(configHome.toStdString(), "Snipola"), kSettingsFileName);
}

DisplaySettings LoadSettings(const std::string& iniPath) {
  const DisplaySettings defaults;
  DisplaySettings settings;
  settings.UseSecond = ReadFlag(iniPath, kPresentWithSecondKey, defaults.UseSecond);
  settings.ShowSpec = ReadFlag(iniPath, kShowSpecKey, defaults.ShowSpec);
  settings.ShowWave = ReadFlag(iniPath, kShowWaveKey, defaults.ShowWave);
  return settings;
}

std::string LoadLastFolder(const std::string& iniPath) {
  return ReadIniValue(iniPath, kSettingsSection, kLastFolderKey).value_or("");
}

bool SaveSettings(const std::string& iniPath, const DisplaySettings& settings, Dialogs& dialogs,
                  const std::string& lastFolder) {
  // The per-user folder may not exist yet on a first run.
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(iniPath).parent_path(), ignored);
  std::vector<std::pair<std::string, std::string>> values = {
      {kPresentWithSecondKey, settings.UseSecond ? "1" : "0"},
      {kShowSpecKey, settings.ShowSpec ? "1" : "0"},
      {kShowWaveKey, settings.ShowWave ? "1" : "0"}};
  if (!lastFolder.empty()) values.emplace_back(kLastFolderKey, lastFolder);
  const bool written = WriteIniValues(iniPath, kSettingsSection, values);
  if (!written) {
    ShowApplicationError(dialogs, "Unable to write to " + iniPath);
  }
  return written;
}
