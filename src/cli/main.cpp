// SPDX-License-Identifier: GPL-3.0-or-later
// Program entry of snipola-cli: hands the arguments to the command table.
#include <iostream>

#include "cli/cli_command.h"

int main(int argc, char** argv) {
  const CliArgs args(argv + 1, argv + argc);
  return RunCli(args, std::cout, std::cerr);
}
