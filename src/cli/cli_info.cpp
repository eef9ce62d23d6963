// SPDX-License-Identifier: GPL-3.0-or-later
// The info command of snipola-cli over the probe and the scan.
#include "cli/cli_info.h"

#include "audio/mp3io.h"

int RunInfoCommand(const CliArgs& args, std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    out << "usage: snipola-cli info [--fast] FILE\n"
           "Prints type, sample_rate, channels, bitrate_kbps and length_ms of an MP3 or WAV "
           "file.\n"
           "An MP3 is scanned in full for its exact length (progress on a terminal); with\n"
           "--fast its headers' estimate comes at once, as length_ms_estimate.\n";
    return kCliOk;
  }
  const bool fast = args.size() == 2 && args[0] == "--fast";
  if (args.size() != (fast ? 2u : 1u) || args.back().empty()) {
    err << "usage: snipola-cli info [--fast] FILE\n";
    return kCliUsageError;
  }
  const std::string& fileName = args.back();
  AudioFileInfo info;
  if (!ProbeForCli(fileName, info, err)) return kCliFileError;
  std::shared_ptr<Mp3ScanIndex> scan;
  if (!fast && !MeasureForCli(fileName, info, scan, err, ErrIsTerminal(err))) {
    return kCliFileError;
  }
  // Only an MP3's length is ever an estimate: a WAV's is its data chunk's.
  const bool estimate = fast && info.FileType == AudioFileInfo::kTypeMp3;
  out << "type: " << (info.FileType == AudioFileInfo::kTypeMp3 ? "MP3" : "WAV") << '\n'
      << "sample_rate: " << info.SampleRate << '\n'
      << "channels: " << info.Channels << '\n'
      << "bitrate_kbps: " << info.Bitrate << '\n'
      << (estimate ? "length_ms_estimate: " : "length_ms: ") << info.LengthMs << '\n';
  return kCliOk;
}
