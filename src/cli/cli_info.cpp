// The info command of snipola-cli over the probe.
#include "cli/cli_info.h"

#include "audio/mp3io.h"

int RunInfoCommand(const CliArgs& args, std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    out << "usage: snipola-cli info FILE\n"
           "Prints type, sample_rate, channels, bitrate_kbps and length_ms of an MP3 or WAV "
           "file.\n";
    return kCliOk;
  }
  if (args.size() != 1 || args[0].empty()) {
    err << "usage: snipola-cli info FILE\n";
    return kCliUsageError;
  }
  AudioFileInfo info;
  if (!ProbeForCli(args[0], info, err)) return kCliFileError;
  out << "type: " << (info.FileType == AudioFileInfo::kTypeMp3 ? "MP3" : "WAV") << '\n'
      << "sample_rate: " << info.SampleRate << '\n'
      << "channels: " << info.Channels << '\n'
      << "bitrate_kbps: " << info.Bitrate << '\n'
      << "length_ms: " << info.LengthMs << '\n';
  return kCliOk;
}
