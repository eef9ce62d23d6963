// SPDX-License-Identifier: GPL-3.0-or-later
// Finds the user manual among the program's data files.
#include "app/help_file.h"

#include "base/data_files.h"

std::string HelpFilePath() { return FindDataFile(kHelpFileRelative).string(); }
