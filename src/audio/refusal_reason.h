// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Why the probe refused a file, in a few words: the program's own messages
// ("File Error !", "Error while open wav file") stay as they are for the
// window; the command-line tool prints this reason on a second line, so a
// user learns what to convert ("8-bit samples", "6 channels").
#include <string>

// The reason GetAudioFileInfo refuses `fileName`; empty when it would not.
// Reads the file again (it must not run while an MP3 stream is open, as the
// probe itself).
std::string ProbeRefusalReason(const std::string& fileName);
