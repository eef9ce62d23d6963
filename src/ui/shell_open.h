// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Opens a file or a web address with the desktop's default program, the way a
// double click in the file manager would.
#include <QString>

// `target` is a local path or an http(s) address. False when no program
// could be started for it (a desktop without an opener).
bool ShellOpen(const QString& target);
