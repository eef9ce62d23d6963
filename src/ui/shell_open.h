#pragma once
// Opens a file or a web address with the desktop's default program, the way a
// double click in the file manager would. The result is deliberately not
// reported: a missing help file or no program for web addresses is no error
// of ours.
#include <QString>

// `target` is a local path or an http(s) address.
void ShellOpen(const QString& target);
