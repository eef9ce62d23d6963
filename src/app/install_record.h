// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The install record: the full path of the running executable, kept as the
// value "Path" of the system-wide settings of organisation "Varnell",
// application "Snipola" (on Linux a file under the first folder of
// $XDG_CONFIG_DIRS, normally /etc/xdg/Varnell/Snipola.conf). Nothing in the
// program reads it back; it is there for installers and other tools.
#include <string>

// Writes the record. Every failure (typically: no right to write system
// files) is ignored without a message.
void WriteInstallPath(const std::string& executablePath);
