// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The commands of snipola-cli. Each command is a function that takes its own
// arguments (the words after the command name) and the two output streams,
// and returns the process exit code: 0 done, 1 the file could not be used or
// written, 2 a usage error. RunCli picks the command from the table in
// cli_command.cpp; a new command is one more row there.
#include <memory>
#include <ostream>
#include <string>
#include <vector>

using CliArgs = std::vector<std::string>;

inline constexpr int kCliOk = 0;
inline constexpr int kCliFileError = 1;
inline constexpr int kCliUsageError = 2;

struct AudioFileInfo;
class Mp3ScanIndex;

// The probe as the commands run it: the program's message on the first line
// of `err` and, when the probe refuses the file, the reason on a second.
bool ProbeForCli(const std::string& fileName, AudioFileInfo& info, std::ostream& err);

// Measures a probed MP3 in full, so that its length and bitrate are exact,
// and hands back the scan for the readers that follow; a WAV is exact
// already. With showProgress, "scanning N %" goes to `err` as the scan goes
// on, on one line. False (with a message) when the file cannot be decoded.
bool MeasureForCli(const std::string& fileName, AudioFileInfo& info,
                   std::shared_ptr<Mp3ScanIndex>& scan, std::ostream& err, bool showProgress);

// Standard error is a terminal and `err` writes to it.
bool ErrIsTerminal(const std::ostream& err);

// Runs snipola-cli with the words after the program name.
int RunCli(const CliArgs& args, std::ostream& out, std::ostream& err);
