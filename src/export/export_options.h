// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The choices of the export dialog as plain logic, shared by the dialog and by
// `snipola-cli cut`: the bitrate list, the fade boxes' checks, the extension a
// bare file name gets, and the texts of the export's messages.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/audio_file_info.h"

inline constexpr const char* kAsOriginItem = "As Origin";
inline constexpr const char* kLosslessItem = "Lossless";
inline constexpr const char* kMp3Filter = "Mp3 File(*.mp3)|*.mp3";
inline constexpr const char* kWavFilter = "Wav File(*.wav)|*.wav";

inline constexpr const char* kFadeBoxError =
    "Please input number in the fade-in and fade-out second editbox.";
inline constexpr const char* kOriginFileError = "Can't overwrite the origin file";
inline constexpr const char* kCantAccessFile = "Can't Access file ";
inline constexpr const char* kEncoderStartError = "Can't start the MP3 encoder";

// "Cannot create file %s: " and the system's reason for errorNumber
// ("Permission denied", "No such file or directory", "No space left on device").
std::string CannotCreateFileText(const std::string& path, int errorNumber);
std::string UnableToWriteText(const std::string& path);    // "Unable to write to %s"
std::string NotValidIntegerText(const std::string& text);  // "'%s' is not a valid integer value"

// The name the save dialog offers: the source's name without its folder and
// extension, then " (piece)" and the chosen format's extension
// ("/music/song.MP3", WAV -> "song (piece).wav").
std::string SuggestedExportName(const std::string& sourceFileName, bool mp3);

// The bitrate items offered for a source: "As Origin" for an MP3 source, then
// 32 to 160 kbit/s, and 192 to 320 only at exactly 44100 Hz, each only when
// the encoder writes the source's rate and channels at that bitrate (8000 to
// 12000 Hz carry at most 64; a rate MP3 cannot hold carries none).
std::vector<std::string> BitrateItems(const AudioFileInfo& info);

// Why no bitrate can be offered for the source, in a few words ("96000 Hz
// cannot be encoded as MP3: ..."); empty when some can.
std::string Mp3RateProblem(const AudioFileInfo& info);

// The item selected at first: "As Origin" for an MP3 source, else "128", or
// the highest offered bitrate below it; -1 when nothing is offered.
int InitialBitrateIndex(const AudioFileInfo& info);

// The bitrate an item stands for: the source's own for "As Origin" (index 0
// of an MP3 source), otherwise the item's number.
uint32_t BitrateOfItem(const AudioFileInfo& info, int index, const std::string& itemText);

// A fade box passes when it holds nothing but the digits 0 to 9 (an empty box
// passes here and fails in the conversion).
bool FadeTextIsDigitsOnly(const std::string& text);

// The box as a signed 32-bit decimal; nothing when empty, not all digits, or
// too large.
std::optional<int32_t> FadeSecondsOf(const std::string& text);

// `fileName` with ".mp3" or ".wav" appended when its last path component holds
// no ".". An extension the user typed stays, whatever it is.
std::string WithDefaultExtension(const std::string& fileName, bool mp3);

// The export dialog's list: BitrateItems, with "Lossless" (copy the source's
// frames, see lossless_export.h) after "As Origin" for an MP3 source.
std::vector<std::string> DialogBitrateItems(const AudioFileInfo& info);

// True when item `index` of the dialog's list is "Lossless".
bool IsLosslessItem(const AudioFileInfo& info, int index);
