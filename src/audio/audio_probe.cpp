// SPDX-License-Identifier: GPL-3.0-or-later
// The probe GetAudioFileInfo: decides from the extension whether a file is
// MP3 or WAV, describes it in an AudioFileInfo, and shows its own message
// (caption "Error", OK, no icon) when the file cannot be used.
//
// The probe writes only into the record it is given and keeps no file open
// when it returns. A failed probe leaves that record partly filled (see the
// table in mp3io.h), so a caller that must keep the description of the file
// it already has probes into a temporary record and adopts it on success.
// Each branch reads the file through a reader of its own, so it disturbs no
// open stream. The MP3 branch reads the headers only: its length is the
// estimate they give (Mpg123Decoder::Open), which a scan makes exact.
#include <algorithm>
#include <cstdint>
#include <string>

#include "base/rounding.h"
#include "audio/mpg123_decoder.h"
#include "audio/mp3io.h"
#include "audio/riff_reader.h"
#include "audio/wav_layout.h"
#include "base/dialogs.h"
#include "base/file_extension.h"

namespace {

constexpr const char* kWrongTypeText = "We can only accept mp3 and wav file";
constexpr const char* kMp3OpenErrorText = "Error while open mp3 file";
constexpr const char* kWavOpenErrorText = "Error while open wav file";
constexpr const char* kFileErrorText = "File Error !";

void ShowFileError(Dialogs& dialogs, const char* text) {
  dialogs.ShowMessage(text, kErrorCaption, MessageIcon::None);
}

bool GetMp3FileInfo(const std::string& fileName, AudioFileInfo& info, Dialogs& dialogs) {
  info = AudioFileInfo{};
  Mpg123Decoder decoder;
  if (!decoder.Open(fileName)) {
    ShowFileError(dialogs, kMp3OpenErrorText);
    return false;
  }
  const Mp3StreamFacts& facts = decoder.Facts();
  info.SampleRate = facts.sampleRate;
  info.Channels = facts.channels;
  info.Bitrate = facts.bitrateKbps;
  info.LengthMs = facts.lengthMs;
  info.LengthFrames = SampleIndex(facts.lengthFrames);
  return true;
}

bool GetWavFileInfo(const std::string& fileName, AudioFileInfo& info, Dialogs& dialogs) {
  info = AudioFileInfo{};
  RiffReader reader;
  WavLayout layout;
  switch (OpenWavLayout(fileName, reader, layout)) {
    case WavOpenResult::CannotOpen:
      ShowFileError(dialogs, kWavOpenErrorText);
      return false;
    case WavOpenResult::Malformed:
      ShowFileError(dialogs, kFileErrorText);
      return false;
    case WavOpenResult::Ok:
      break;
  }
  reader.Close();
  info.SampleRate = static_cast<int32_t>(layout.samplesPerSec);
  info.Channels = layout.channels;
  // The byte rate in 32 bits, as the format chunk would store it, in kbit/s
  // of 1024 bits.
  const uint32_t bytesPerSec = layout.samplesPerSec * layout.channels * 2u;
  info.Bitrate = static_cast<int32_t>(bytesPerSec / 128u);
  const int64_t lengthMs = RoundHalfEven(static_cast<double>(layout.dataBytes) /
                                         layout.samplesPerSec / layout.channels / 2.0 * 1000.0);
  // Only absurd rates (a few Hz over gigabytes) exceed the 32-bit field.
  info.LengthMs = static_cast<int32_t>(std::min<int64_t>(lengthMs, INT32_MAX));
  // Whole frames only: a torn last frame is never read as a sample.
  info.LengthFrames = SampleIndex(layout.dataBytes / (int64_t{layout.channels} * 2));
  // MP3 frames in a WAVE form are no PCM, whatever bits per sample they claim.
  if (!layout.HoldsPcm16()) {
    ShowFileError(dialogs, kFileErrorText);
    return false;
  }
  return true;
}

}  // namespace

bool GetAudioFileInfo(const std::string& fileName, AudioFileInfo& info, Dialogs& dialogs) {
  const std::string extension = LowerCaseExtension(fileName);
  if (extension == ".mp3") {
    const bool usable = GetMp3FileInfo(fileName, info, dialogs);
    info.FileType = AudioFileInfo::kTypeMp3;
    return usable;
  }
  if (extension == ".wav") {
    const bool usable = GetWavFileInfo(fileName, info, dialogs);
    info.FileType = AudioFileInfo::kTypeWav;
    return usable;
  }
  ShowFileError(dialogs, kWrongTypeText);
  return false;
}
