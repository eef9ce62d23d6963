// The probe GetAudioFileInfo: decides from the extension whether a file is
// MP3 or WAV, describes it in an AudioFileInfo, and shows its own message
// (caption "Error", OK, no icon) when the file cannot be used.
//
// The probe writes only into the record it is given and keeps no file open
// when it returns. A failed probe leaves that record partly filled (see the
// table in mp3io.h), so a caller that must keep the description of the file
// it already has probes into a temporary record and adopts it on success.
// The WAV branch reads the file through its own RiffReader, so it does not
// disturb an open stream; the MP3 branch uses the decoder's single stream.
#include <algorithm>
#include <cstdint>
#include <string>

#include "base/rounding.h"
#include "audio/mp3_decoder.h"
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
  if (SB_InitMP3(fileName.c_str(), SampleIndex(0)) != 0) {
    ShowFileError(dialogs, kMp3OpenErrorText);
    return false;
  }
  const Mp3FrameInfo frame = GetMp3FrameInfo();
  SB_ExitMP3();
  info.SampleRate = frame.sampleRate;
  info.Channels = frame.channels;
  info.Bitrate = frame.bitrateKbps;
  info.LengthMs = frame.lengthMs;
  info.LengthFrames = frame.lengthFrames;
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
  if (layout.bitsPerSample != 16 || layout.formatTag == kWavFormatMp3) {
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
