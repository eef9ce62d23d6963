// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// snipola-cli cut IN -o OUT [options]: the export dialog's job on the command
// line, run through the same export pipeline.
//
// The marks are --begin (default 0) and --end (default the file's length),
// clamped into the file as typed marks are; --unmarked exports everything
// outside them. The format comes from OUT's extension (.mp3 or .wav, any
// letter case) unless --format names it. --bitrate takes exactly the values
// the dialog offers for the source ("origin" for an MP3 source's own bitrate;
// the default there, 128 otherwise). --fade-in/--fade-out take whole seconds.
// A progress bar with elapsed and remaining time goes to the error stream when
// it is a terminal. Exit codes: 0 done, 1 failure (one line with the dialog's
// message), 2 usage error, 128 + the signal when SIGINT, SIGTERM or SIGHUP
// ends it (the temporary file removed).
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "cli/cli_command.h"

// The command as the dispatcher runs it; shows a progress bar when the error
// stream is the process's standard error and that is a terminal.
int RunCutCommand(const CliArgs& args, std::ostream& out, std::ostream& err);

// The same with the progress bar switched on or off explicitly.
int RunCutCommand(const CliArgs& args, std::ostream& out, std::ostream& err, bool showProgress);
