// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop program's file probe: GetAudioFileInfo, whose refusal also says
// which file was refused and why. The probe's own message ("Error while open
// mp3 file") is followed by a line with the file's name and the reason
// ("song.mp3: No such file or directory"), in one box: a file named on the
// command line or dropped from elsewhere is otherwise hard to tell apart.
#include <string>

#include "audio/audio_file_info.h"

class Dialogs;

bool ProbeNamingRefusal(const std::string& fileName, AudioFileInfo& info, Dialogs& dialogs);
