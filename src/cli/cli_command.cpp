// SPDX-License-Identifier: GPL-3.0-or-later
// The command table of snipola-cli and its dispatcher: help, usage errors,
// and handing each command its own arguments.
#include "cli/cli_command.h"

#include <unistd.h>

#include <cmath>
#include <iomanip>
#include <iostream>
#include <string_view>

#include "audio/mp3io.h"
#include "audio/mpg123_decoder.h"
#include "audio/refusal_reason.h"
#include "base/version.h"
#include "cli/cli_cut.h"
#include "cli/cli_info.h"
#include "cli/cli_split.h"
#include "cli/stderr_dialogs.h"

namespace {

struct CliCommand {
  std::string_view name;
  std::string_view arguments;  // shown after the name in the help
  std::string_view summary;
  // Null for a command this build does not carry yet.
  int (*run)(const CliArgs& args, std::ostream& out, std::ostream& err);
};

constexpr CliCommand kCommands[] = {
    {"info", "[--fast] FILE", "describe an MP3 or WAV file (five lines, see below)",
     &RunInfoCommand},
    {"cut", "IN -o OUT", "cut a piece out of an MP3 or WAV file (cut --help)", &RunCutCommand},
    {"split", "IN -d DIR", "split a file into pieces (split --help)", &RunSplitCommand},
};

void PrintHelp(std::ostream& out) {
  out << "usage: snipola-cli COMMAND [ARGUMENTS]\n"
         "       snipola-cli --help | --version\n"
         "\n"
         "Inspects, cuts and splits MP3 and WAV files.\n"
         "\n"
         "commands:\n";
  for (const CliCommand& command : kCommands) {
    const std::string call = std::string(command.name) + " " + std::string(command.arguments);
    out << "  " << std::left << std::setw(15) << call << command.summary << '\n';
  }
  out << "\n"
         "info prints exactly five lines:\n"
         "  type: MP3 or WAV\n"
         "  sample_rate: <Hz>\n"
         "  channels: <1 or 2>\n"
         "  bitrate_kbps: <kbit/s; the average for VBR MP3>\n"
         "  length_ms: <milliseconds>\n"
         "An MP3's length and bitrate are measured by a full scan; info --fast prints\n"
         "the estimate of its headers at once, as length_ms_estimate.\n"
         "\n"
         "exit status: 0 done, 1 the file could not be used (the program's message and\n"
         "the reason go to standard error, one line each), 2 a usage error.\n";
}

}  // namespace

bool ProbeForCli(const std::string& fileName, AudioFileInfo& info, std::ostream& err) {
  StderrDialogs dialogs(err);
  if (GetAudioFileInfo(fileName, info, dialogs)) return true;
  const std::string reason = ProbeRefusalReason(fileName);
  if (!reason.empty()) err << reason << '\n';
  return false;
}

bool ErrIsTerminal(const std::ostream& err) {
  return &err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
}

bool MeasureForCli(const std::string& fileName, AudioFileInfo& info,
                   std::shared_ptr<Mp3ScanIndex>& scan, std::ostream& err, bool showProgress) {
  if (info.FileType != AudioFileInfo::kTypeMp3) return true;
  Mpg123Decoder decoder;
  Mpg123Decoder::ScanControl control;
  int shownPercent = -1;
  if (showProgress) {
    control.progress = [&](double fraction) {
      const int percent = static_cast<int>(std::floor(fraction * 100.0));
      if (percent == shownPercent) return;
      shownPercent = percent;
      err << "\rscanning " << percent << " %" << std::flush;
    };
  }
  const bool measured = decoder.Open(fileName) && decoder.Scan(control);
  if (shownPercent >= 0) err << "\r\033[K" << std::flush;  // the line goes again
  const Mp3StreamFacts& facts = decoder.Facts();
  if (!measured || facts.sampleRate != info.SampleRate || facts.channels != info.Channels) {
    err << "Error while open mp3 file\nthe file could not be decoded to its end\n";
    return false;
  }
  info.LengthMs = facts.lengthMs;
  info.LengthFrames = SampleIndex(facts.lengthFrames);
  info.Bitrate = facts.bitrateKbps;
  scan = decoder.Index();
  return true;
}

int RunCli(const CliArgs& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    PrintHelp(err);
    return kCliUsageError;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintHelp(out);
    return kCliOk;
  }
  if (args[0] == "--version") {
    out << "snipola-cli " << kSnipolaVersion << '\n' << kSnipolaLicense << '\n';
    return kCliOk;
  }
  for (const CliCommand& command : kCommands) {
    if (args[0] != command.name) continue;
    if (command.run == nullptr) {
      err << "snipola-cli: the " << command.name << " command is not part of this build\n";
      return kCliUsageError;
    }
    return command.run(CliArgs(args.begin() + 1, args.end()), out, err);
  }
  err << "snipola-cli: unknown command '" << args[0] << "' (see snipola-cli --help)\n";
  return kCliUsageError;
}
