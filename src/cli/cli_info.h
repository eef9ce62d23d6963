// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// snipola-cli info FILE: prints what the probe learned about FILE, one
// "key: value" line each for type (MP3 or WAV), sample_rate, channels,
// bitrate_kbps and length_ms. A file the probe refuses gets the probe's
// message on the error stream and exit code 1.
#include "cli/cli_command.h"

int RunInfoCommand(const CliArgs& args, std::ostream& out, std::ostream& err);
