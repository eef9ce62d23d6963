// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs snipola-cli's command table with captured output and error streams.
#include <sstream>
#include <string>

#include "cli/cli_command.h"

struct CliRun {
  int exitCode;
  std::string out;
  std::string err;
};

inline CliRun RunCliCaptured(const CliArgs& args) {
  std::ostringstream out, err;
  const int exitCode = RunCli(args, out, err);
  return {exitCode, out.str(), err.str()};
}
