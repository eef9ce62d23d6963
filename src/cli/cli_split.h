// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// snipola-cli split IN -d DIR (--at T,T,... | --every T | --parts N | --cue FILE
// | --silence [...]) [options]: one long file into its pieces, written to DIR
// all or nothing (split/split_export.h).
//
// The output options are those of cut (--lossless, --bitrate, --format,
// --fade-in/--fade-out per piece, --jobs: pieces written at once); the format
// defaults to the source's own. --name takes the file-name template,
// --overwrite lets existing pieces be replaced (otherwise they are refused
// before anything is written), --no-tags and --tag KEY=VALUE edit the tags.
// --dry-run prints the pieces (number, begin, end, length, title, file name)
// and writes nothing. Exit codes as cut: 0 done, 1 failure, 2 usage error,
// 128 + the signal when SIGINT, SIGTERM or SIGHUP ends it (DIR as it was).
#include <ostream>

#include "cli/cli_command.h"

int RunSplitCommand(const CliArgs& args, std::ostream& out, std::ostream& err);
int RunSplitCommand(const CliArgs& args, std::ostream& out, std::ostream& err, bool showProgress);
