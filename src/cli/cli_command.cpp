// The command table of snipola-cli and its dispatcher: help, usage errors,
// and handing each command its own arguments.
#include "cli/cli_command.h"

#include <iomanip>
#include <string_view>

#include "audio/mp3io.h"
#include "audio/refusal_reason.h"
#include "base/version.h"
#include "cli/cli_cut.h"
#include "cli/cli_info.h"
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
    {"info", "FILE", "describe an MP3 or WAV file (five lines, see below)", &RunInfoCommand},
    {"cut", "IN -o OUT", "cut a piece out of an MP3 or WAV file (cut --help)", &RunCutCommand},
};

void PrintHelp(std::ostream& out) {
  out << "usage: snipola-cli COMMAND [ARGUMENTS]\n"
         "       snipola-cli --help | --version\n"
         "\n"
         "Inspects and cuts MP3 and WAV files.\n"
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
