// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The display settings of the main window and their file set.ini: section
// "Set", keys "PresentWithSecond" (seconds display, default on), "ShowSpec"
// (analyzer window shown, default off) and "ShowWave" (waveform window shown,
// default off), stored as "1"/"0", and "LastFolder" (where the open and save
// dialogs start, written once a file was chosen). A flag's value
// is read as an integer, decimal or hexadecimal with a "0x" prefix; any
// non-zero integer means true, and text that is no integer gives the default.
//
// Where the file lives: next to the executable when that folder is writable
// (a build tree, a portable copy) and is not the bin folder of an installed
// tree (one with share/snipola/ beside it), otherwise $XDG_CONFIG_HOME/Snipola/;
// the environment variable SNIPOLA_CONFIG_DIR overrides both.
#include <cstdint>
#include <optional>
#include <string>

class Dialogs;

struct DisplaySettings {
  bool UseSecond = true;
  bool ShowSpec = false;
  bool ShowWave = false;

  bool operator==(const DisplaySettings&) const = default;
};

inline constexpr const char* kSettingsFileName = "set.ini";
inline constexpr const char* kSettingsSection = "Set";
inline constexpr const char* kPresentWithSecondKey = "PresentWithSecond";
inline constexpr const char* kShowSpecKey = "ShowSpec";
inline constexpr const char* kShowWaveKey = "ShowWave";
inline constexpr const char* kLastFolderKey = "LastFolder";

// "42", "-7", "0x1F" (any letter case); nullopt for anything else or for a
// number outside 32 bits (hexadecimal takes any 32-bit pattern).
std::optional<int32_t> ParseIniInteger(const std::string& text);

// The full path of set.ini for an executable in executableDir.
std::string SettingsFilePath(const std::string& executableDir);

// The settings in the file, with the defaults for whatever is missing or
// unreadable. Never shows a message.
DisplaySettings LoadSettings(const std::string& iniPath);
// The LastFolder key's value; empty when missing (the dialogs' own choice).
std::string LoadLastFolder(const std::string& iniPath);

// Writes the keys, LastFolder only when `lastFolder` is not empty. On failure shows "Unable to
// write to <path>" (caption the application title, error icon) and returns false; the file is left
// as it was.
bool SaveSettings(const std::string& iniPath, const DisplaySettings& settings, Dialogs& dialogs,
                  const std::string& lastFolder = {});
