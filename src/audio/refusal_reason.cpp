// SPDX-License-Identifier: GPL-3.0-or-later
// The reasons behind the probe's refusals; see refusal_reason.h. The checks
// follow the probe's own order: the extension, opening the file, then the WAV
// header or the MP3 decoder.
#include "audio/refusal_reason.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "audio/mpg123_decoder.h"
#include "audio/riff_reader.h"
#include "audio/wav_layout.h"
#include "base/file_extension.h"

namespace {

constexpr const char* kOnly16BitPcm = "only 16-bit PCM WAV files can be read";

// Why the file cannot be read at all; empty when it can.
std::string OpenProblem(const std::string& fileName) {
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::strerror(errno);
  struct stat status {};
  const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
  ::close(fd);
  return regular ? std::string() : "not a regular file";
}

// "µ-law" for the format tags whose samples are no plain integers.
std::string EncodingName(uint16_t formatTag) {
  switch (formatTag) {
    case 3:
      return " float";
    case 6:
      return " A-law";
    case 7:
      return " \u00b5-law";
    case 2:
      return " ADPCM";
    case 0x11:
      return " IMA ADPCM";
    default:
      return "";
  }
}

std::string WavProblemText(const std::string& fileName) {
  RiffReader reader;
  WavLayout layout;
  if (OpenWavLayout(fileName, reader, layout) == WavOpenResult::Ok) {
    // MP3 frames in a WAVE form say 0 bits (or any) per sample.
    if (layout.formatTag == kWavFormatMp3) {
      return std::string("MP3 data inside a WAV file: ") + kOnly16BitPcm;
    }
    if (layout.HoldsPcm16()) return {};
    return std::to_string(layout.bitsPerSample) + "-bit" + EncodingName(layout.formatTag) +
           " samples: " + kOnly16BitPcm;
  }
  switch (layout.problem) {
    case WavProblem::NotWave:
      return "no RIFF WAVE header";
    case WavProblem::NoFormat:
      return "no complete format chunk";
    case WavProblem::NoData:
      return "no data chunk";
    case WavProblem::BadFormat:
      if (layout.channels < 1 || layout.channels > 2) {
        return std::to_string(layout.channels) +
               " channels: only mono and stereo files can be read";
      }
      return "a sample rate of " + std::to_string(layout.samplesPerSec) + " Hz";
    case WavProblem::None:
      break;
  }
  return {};
}

}  // namespace

std::string ProbeRefusalReason(const std::string& fileName) {
  const std::string extension = LowerCaseExtension(fileName);
  if (extension != ".mp3" && extension != ".wav") {
    return "only files named .mp3 or .wav can be read";
  }
  if (std::string problem = OpenProblem(fileName); !problem.empty()) return problem;
  if (extension == ".wav") return WavProblemText(fileName);
  if (Mpg123Decoder decoder; !decoder.Open(fileName)) return "no MPEG audio frames found";
  return {};
}
