// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's export command ("Cut out", "Export selected ..."): opens
// a fresh export dialog for the opened file and the marked piece and runs it
// modally.
#include <functional>
#include <memory>
#include <string>

#include "audio/audio_file_info.h"
#include "audio/mp3_scan_index.h"

class QWidget;
class Dialogs;

// Does nothing when no file is open (fileName empty) or when markEndMs is not
// greater than markBeginMs. Otherwise calls stopPlayback (the main window
// stops a running playback there), creates the dialog without an owner,
// copies the file's record, the marks and the path into it, places it centred
// over `mainWindow`, runs it modally and destroys it. True when an export
// finished. `scan`: the source's scan, which an export waits for.
bool RunExportDialog(QWidget* mainWindow, const std::string& fileName,
                     const AudioFileInfo& fileInfo, int32_t markBeginMs, int32_t markEndMs,
                     Dialogs& dialogs, const std::function<void()>& stopPlayback,
                     std::shared_ptr<Mp3ScanIndex> scan = nullptr);
