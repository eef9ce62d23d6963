// SPDX-License-Identifier: GPL-3.0-or-later
// MainWindowModel's commands and the display state they leave; see main_window_model.h.
#include "app/main_window_model.h"

#include <algorithm>

#include "app/key_table.h"
#include "app/label_text.h"
#include "audio/quiet_point.h"
#include "base/dialogs.h"
#include "spectrum/led.h"

namespace {

constexpr const char* kOpenFilter = "Mp3/Wav File|*.mp3;*.wav";

}  // namespace

MainWindowModel::MainWindowModel(Dialogs& dialogs)
    : TrackMin(kTrackBarLeft),
      TrackMax(kTrackBarLeft + kTrackBarWidth - kTrackButtonWidth),
      dialogs_(dialogs) {}

void MainWindowModel::SetPlayback(PlaybackHooks* playback) {
  playback_ = playback ? playback : &noPlayback_;
}

void MainWindowModel::Changed() {
  if (view_) {
    view_->DisplayChanged();
  }
}

void MainWindowModel::ApplySettings(const DisplaySettings& settings) {
  UseSecond = settings.UseSecond;
  ShowSpec = settings.ShowSpec;
  SetUseSecondChecked(UseSecond);
  SetShowSpecChecked(ShowSpec);
  display_.Representwithsecond1Checked = UseSecond;
  display_.ShowSpectrumanalyzer1Checked = ShowSpec;
  ShowWave = settings.ShowWave;
  display_.ShowWaveform1Checked = ShowWave;
  // The analysis keeps its own copy of the switch: a hidden analyzer costs no
  // analysis from the first played buffer on.
  SetShowAnalyzerFlag(ShowSpec);
  Changed();
}

// ---------------------------------------------------------------------------
// Display updates

void MainWindowModel::ShowPosition() {
  const int32_t length = LengthMs();
  if (DraggingHandle || length == 0) {
    return;
  }
  CurPos = ClampToLength(CurPos, length);
  display_.lbCurPos = PositionText(kCurPosPrefix, CurPos, UseSecond);
  display_.TrackButtonLeft = HandleLeftForPosition(CurPos, length, TrackMin, TrackMax);
  Changed();
}

std::string MainWindowModel::MarkedLengthText() const {
  const int64_t markedMs = static_cast<int64_t>(MarkEnd) - MarkBegin;
  return PositionText(kLengthPrefix, markedMs > 0 ? markedMs : 0, UseSecond);
}

void MainWindowModel::ShowSelection() {
  display_.lbLenExport = MarkedLengthText();
  if (MarkEnd <= MarkBegin || LengthMs() == 0) {
    // The bar keeps its left edge and only loses its width. Without a file
    // (marks taken from a position typed before opening one) the marks have
    // no place on the track: the pixel formulas would divide by the length.
    display_.selectionWidth = 0;
  } else {
    const auto bar =
        SelectionBarFor(MarkBegin, MarkEnd, LengthMs(), TrackMin, TrackMax, kTrackButtonWidth);
    display_.selectionLeft = bar.left;
    display_.selectionWidth = bar.width;
  }
  display_.splitPointXs.clear();
  if (LengthMs() > 0) {
    for (const SampleIndex point : splitPoints_) {
      display_.splitPointXs.push_back(
          HandleLeftForPosition(MsOfSample(FileInfo, point), LengthMs(), TrackMin, TrackMax) +
          kTrackButtonWidth / 2);
    }
  }
  Changed();
}

void MainWindowModel::PositionFromHandle() {
  const int32_t length = LengthMs();
  if (length == 0) {
    display_.lbCurPos = PositionText(kCurPosPrefix, 0, UseSecond);
  } else {
    CurPos = PositionForHandleLeft(display_.TrackButtonLeft, length, TrackMin, TrackMax);
    display_.lbCurPos = PositionText(kCurPosPrefix, CurPos, UseSecond);
  }
  Changed();
}

// ---------------------------------------------------------------------------
// Mark and jump commands

void MainWindowModel::tbMarkbeginClick() {
  MarkBegin = CurPos;
  display_.lbBeginPos = PositionText(kBeginPosPrefix, MarkBegin, UseSecond);
  ShowSelection();
}

void MainWindowModel::tbMarkendClick() {
  MarkEnd = CurPos;
  display_.lbEndPos = PositionText(kEndPosPrefix, MarkEnd, UseSecond);
  ShowSelection();
}

void MainWindowModel::tbMarkallClick() {
  MarkBegin = 0;
  MarkEnd = LengthMs();
  display_.lbBeginPos = PositionText(kBeginPosPrefix, MarkBegin, UseSecond);
  display_.lbEndPos = PositionText(kEndPosPrefix, MarkEnd, UseSecond);
  ShowSelection();
}

void MainWindowModel::SetMarks(int32_t beginMs, int32_t endMs) {
  MarkBegin = ClampToLength(beginMs, LengthMs());
  MarkEnd = std::max(ClampToLength(endMs, LengthMs()), MarkBegin);
  display_.lbBeginPos = PositionText(kBeginPosPrefix, MarkBegin, UseSecond);
  display_.lbEndPos = PositionText(kEndPosPrefix, MarkEnd, UseSecond);
  ShowSelection();
}

void MainWindowModel::QuietBeginClick() {
  if (FileName.empty()) return;
  const int32_t quiet = QuietestPointNear(FileName, FileInfo, scan_, MarkBegin);
  MarkBegin = MarkBegin <= MarkEnd ? std::min(quiet, MarkEnd) : quiet;
  display_.lbBeginPos = PositionText(kBeginPosPrefix, MarkBegin, UseSecond);
  ShowSelection();
}

void MainWindowModel::QuietEndClick() {
  if (FileName.empty()) return;
  const int32_t quiet = QuietestPointNear(FileName, FileInfo, scan_, MarkEnd);
  MarkEnd = MarkBegin <= MarkEnd ? std::max(quiet, MarkBegin) : quiet;
  display_.lbEndPos = PositionText(kEndPosPrefix, MarkEnd, UseSecond);
  ShowSelection();
}

void MainWindowModel::tbJumpBeginClick() {
  CurPos = 0;
  ShowPosition();
  if (Playing()) {
    StartPlayback(static_cast<uint32_t>(CurPos));
  }
}

void MainWindowModel::tbJumpmarkbeginClick() {
  CurPos = MarkBegin;
  ShowPosition();
  if (Playing()) {
    StartPlayback(static_cast<uint32_t>(CurPos));
  }
}

void MainWindowModel::tbJumpendClick() {
  if (Playing()) {
    StopPlayback();
  }
  CurPos = LengthMs();
  ShowPosition();
}

void MainWindowModel::tbJumpmarkendClick() {
  if (Playing()) {
    StopPlayback();
  }
  CurPos = MarkEnd;
  ShowPosition();
}

void MainWindowModel::ShowWaveform1Click() {
  ShowWave = !ShowWave;
  display_.ShowWaveform1Checked = ShowWave;
  if (view_) {
    view_->SetWaveVisible(ShowWave);
  }
  Changed();
}

void MainWindowModel::SeekFromOverview(int32_t positionMs) {
  CurPos = ClampToLength(positionMs, LengthMs());
  ShowPosition();
  if (Playing()) {
    StartPlayback(static_cast<uint32_t>(CurPos));
  }
}

void MainWindowModel::Nudge(int32_t deltaMs) {
  // 64 bits: a position typed near the 32-bit limit plus a nudge must clamp,
  // not wrap.
  CurPos = ClampToLength(static_cast<int64_t>(CurPos) + deltaMs, LengthMs());
  ShowPosition();
  if (Playing()) {
    PositionFromHandle();
    StartPlayback(static_cast<uint32_t>(CurPos));
  }
}

// ---------------------------------------------------------------------------
// Play commands

void MainWindowModel::tbPlayClick() {
  PlayEndMs = LengthMs();
  // The display follows with the first returned buffer.
  if (CurPos == LengthMs()) {
    CurPos = 0;
  }
  StartPlayback(static_cast<uint32_t>(CurPos));
}

void MainWindowModel::tbPauseClick() {
  if (Playing()) {
    StopPlayback();
  } else {
    tbPlayClick();
  }
}

void MainWindowModel::tbStopClick() {
  if (!Playing()) {
    return;
  }
  StopPlayback();
  CurPos = 0;
  ShowPosition();
}

void MainWindowModel::tbPlayselectedClick() {
  if (MarkEnd <= MarkBegin) {
    return;
  }
  PlayEndMs = MarkEnd;
  if (CurPos >= MarkEnd || CurPos < MarkBegin) {
    CurPos = MarkBegin;
  }
  ShowPosition();
  StartPlayback(static_cast<uint32_t>(CurPos));
}

void MainWindowModel::HearBeginClick() {
  if (MarkEnd <= MarkBegin) return;
  HearRange(MarkBegin, static_cast<int32_t>(std::min<int64_t>(
                           static_cast<int64_t>(MarkBegin) + kPreviewMs, MarkEnd)));
}

void MainWindowModel::HearEndClick() {
  if (MarkEnd <= MarkBegin) return;
  HearRange(static_cast<int32_t>(
                std::max<int64_t>(static_cast<int64_t>(MarkEnd) - kPreviewMs, MarkBegin)),
            MarkEnd);
}

void MainWindowModel::HearRange(int32_t startMs, int32_t endMs) {
  PlayEndMs = endMs;
  CurPos = startMs;
  ShowPosition();
  StartPlayback(static_cast<uint32_t>(CurPos));
}

void MainWindowModel::HearJoinClick() {
  if (FileName.empty() || MarkEnd < MarkBegin) return;
  const int32_t before =
      static_cast<int32_t>(std::max<int64_t>(static_cast<int64_t>(MarkBegin) - kPreviewMs, 0));
  const int32_t after = static_cast<int32_t>(
      std::min<int64_t>(static_cast<int64_t>(MarkEnd) + kPreviewMs, LengthMs()));
  // Both pieces must lie where the scan has passed; the second starts later.
  if (RefuseUnscanned(MarkEnd)) return;
  PlayEndMs = after;
  CurPos = before;
  ShowPosition();
  playback_->StartJoinedPlayback(FileName, FileInfo, static_cast<uint32_t>(before), MarkBegin,
                                 static_cast<uint32_t>(MarkEnd), after);
}

void MainWindowModel::PlayedTo(int32_t positionMs) {
  CurPos = positionMs;
  ShowPosition();
}

// ---------------------------------------------------------------------------
// Files and export

void MainWindowModel::tbOpenFileClick() {
  if (!CanOpenFiles()) {
    return;
  }
  const auto chosen = dialogs_.OpenFileName(kOpenFilter);
  if (!chosen) {
    return;
  }
  LoadFile(*chosen);
}

void MainWindowModel::OpenDroppedFiles(const std::vector<std::string>& paths) {
  if (paths.empty()) {
    return;
  }
  LoadFile(paths.front());
}

void MainWindowModel::OpenCommandLineFile(const std::vector<std::string>& arguments) {
  if (arguments.empty()) {
    return;
  }
  LoadFile(arguments.front());
}

bool MainWindowModel::LoadFile(const std::string& fileName) {
  if (!CanOpenFiles()) {
    return false;
  }
  // The probe of an MP3 needs the decoder's single stream, which a running
  // playback holds.
  if (Playing()) {
    StopPlayback();
  }
  // Probed into a record of its own: a file that cannot be opened must not
  // replace the one whose labels are shown, which playback and export go on
  // working on.
  AudioFileInfo probed;
  if (!probe_(fileName, probed, dialogs_)) {
    return false;
  }
  FileName = fileName;
  FileInfo = probed;
  ++FileSerial;
  splitPoints_.clear();
  // The scan of the previous file ends here; an MP3 is measured anew.
  if (scanner_ != nullptr) scanner_->StopScan();
  scanning_ = scanner_ != nullptr && FileInfo.FileType == AudioFileInfo::kTypeMp3;
  scanPercent_ = 0;
  scannedMs_ = 0;
  scan_ = scanning_ ? scanner_->StartScan(FileName, FileSerial) : nullptr;
  playback_->SetScan(scan_);
  ShowFileLabels();
  CurPos = 0;
  ShowPosition();
  if (LengthMs() == 0 && !DraggingHandle) {
    // ShowPosition leaves the display alone without a length (an accepted WAV
    // whose data chunk is empty); the label and the handle must not go on
    // showing the previous file's position.
    display_.lbCurPos = PositionText(kCurPosPrefix, CurPos, UseSecond);
    display_.TrackButtonLeft = TrackMin;
    Changed();
  }
  tbMarkendClick();
  tbMarkbeginClick();
  return true;
}

void MainWindowModel::ShowFileLabels() {
  display_.lbFileName = FileNameText(FileName);
  display_.lbFileType =
      FileInfo.FileType == AudioFileInfo::kTypeMp3 ? "File Type : MP3" : "File Type : WAV";
  display_.lbBitrate = "Bitrate : " + std::to_string(FileInfo.Bitrate) + " kbps";
  display_.lbChannel = FileInfo.Channels == 2 ? "Channels : Stereo" : "Channels : Mono";
  display_.lbSample = "Sample Rate : " + std::to_string(FileInfo.SampleRate);
  display_.lbLength = LengthLabelText();
}

std::string MainWindowModel::LengthLabelText() const {
  return scanning_ ? "Length : scanning " + std::to_string(scanPercent_) + " %"
                   : FileLengthText(FileInfo.LengthMs, UseSecond);
}

void MainWindowModel::StartPlayback(uint32_t startMs) {
  if (RefuseUnscanned(startMs)) return;
  playback_->StartPlayback(FileName, FileInfo, startMs, PlayEndMs);
}

bool MainWindowModel::RefuseUnscanned(int64_t startMs) {
  if (scanning_ && startMs > scannedMs_) {
    dialogs_.ShowMessage("The file is still being scanned (" + std::to_string(scanPercent_) +
                             " %): playback can start up to " +
                             PositionText("", scannedMs_, UseSecond) +
                             " now, and anywhere when the scan ends.",
                         kApplicationTitle, MessageIcon::None);
    return true;
  }
  return false;
}

void MainWindowModel::ScanProgress(uint32_t serial, int percent, int32_t knownMs) {
  if (!scanning_ || serial != FileSerial) return;
  scanPercent_ = std::clamp(percent, 0, 99);
  scannedMs_ = std::clamp(knownMs, 0, LengthMs());
  display_.lbLength = LengthLabelText();
  Changed();
}

void MainWindowModel::ScanFinished(uint32_t serial, bool measured, int32_t lengthMs,
                                   int32_t bitrateKbps, int64_t lengthFrames) {
  if (!scanning_ || serial != FileSerial) return;
  scanning_ = false;
  scannedMs_ = measured ? lengthMs : LengthMs();
  if (measured) {
    const bool playsToEnd = PlayEndMs == FileInfo.LengthMs;
    // An end mark at the estimated end marks the end of the file, as the
    // export takes it.
    const bool marksToEnd = MarkEnd >= FileInfo.LengthMs;
    FileInfo.LengthMs = lengthMs;
    FileInfo.LengthFrames = SampleIndex(lengthFrames);
    FileInfo.Bitrate = bitrateKbps;
    // The next Play goes to the exact end; the running one plays on as it
    // was started.
    if (playsToEnd) PlayEndMs = lengthMs;
    MarkBegin = std::min(MarkBegin, lengthMs);
    MarkEnd = marksToEnd ? lengthMs : std::min(MarkEnd, lengthMs);
    CurPos = std::min(CurPos, lengthMs);
  }
  ShowFileLabels();
  RenderUnitLabels();
  ShowPosition();
  ShowSelection();
}

void MainWindowModel::tbExportClick() {
  // Crossed marks (a negative length typed, an end marked before the begin)
  // are a piece the user may believe is there: say why nothing opens.
  if (!FileName.empty() && MarkEnd < MarkBegin) {
    dialogs_.ShowMessage(kEndBeforeBeginMessage, kApplicationTitle, MessageIcon::None);
    return;
  }
  if (export_) {
    export_();
  }
}

void MainWindowModel::SplitClick() {
  if (FileName.empty()) return;
  if (scanning_) {
    dialogs_.ShowMessage(kSplitWhileScanningMessage, kApplicationTitle, MessageIcon::None);
    return;
  }
  if (FileInfo.LengthFrames > SampleIndex(0) && split_) split_();
}

void MainWindowModel::SetSplitPoints(std::vector<SampleIndex> points) {
  splitPoints_ = std::move(points);
  ShowSelection();
}

// ---------------------------------------------------------------------------
// Keyboard

void MainWindowModel::WMKeyDown(int virtualKey) {
  const KeyAction action = KeyActionForVirtualKey(virtualKey);
  switch (action.command) {
    case KeyCommand::None:
      break;
    case KeyCommand::Pause:
      tbPauseClick();
      break;
    case KeyCommand::Nudge:
      Nudge(action.nudgeMs);
      break;
    case KeyCommand::JumpMarkBegin:
      tbJumpmarkbeginClick();
      break;
    case KeyCommand::JumpMarkEnd:
      tbJumpmarkendClick();
      break;
    case KeyCommand::MarkBegin:
      tbMarkbeginClick();
      break;
    case KeyCommand::MarkEnd:
      tbMarkendClick();
      break;
    case KeyCommand::MarkAll:
      tbMarkallClick();
      break;
    case KeyCommand::Export:
      tbExportClick();
      break;
    case KeyCommand::OpenFile:
      tbOpenFileClick();
      break;
    case KeyCommand::ToggleWave:
      ShowWaveform1Click();
      break;
    case KeyCommand::HearBegin:
      HearBeginClick();
      break;
    case KeyCommand::HearEnd:
      HearEndClick();
      break;
    case KeyCommand::HearJoin:
      HearJoinClick();
      break;
    case KeyCommand::QuietBegin:
      QuietBeginClick();
      break;
    case KeyCommand::QuietEnd:
      QuietEndClick();
      break;
    case KeyCommand::Split:
      SplitClick();
      break;
  }
}

// ---------------------------------------------------------------------------
// Seek handle drag

void MainWindowModel::imTrackButtonMouseDown(int screenX) {
  DraggingHandle = true;
  DragStartX = screenX;
  DragStartLeft = display_.TrackButtonLeft;
}

void MainWindowModel::imTrackButtonMouseMove(int screenX) {
  if (!DraggingHandle) {
    return;
  }
  const int64_t left = static_cast<int64_t>(DragStartLeft) + screenX - DragStartX;
  display_.TrackButtonLeft =
      static_cast<int>(left < TrackMin ? TrackMin : (left > TrackMax ? TrackMax : left));
  PositionFromHandle();
}

void MainWindowModel::imTrackBarMouseDown(int barX, int screenX) {
  DraggingHandle = true;
  DragStartX = screenX;
  DragStartLeft = kTrackBarLeft + barX - kTrackButtonWidth / 2;
  imTrackButtonMouseMove(screenX);
}

void MainWindowModel::imTrackButtonMouseUp() {
  DraggingHandle = false;
  if (Playing()) {
    PositionFromHandle();
    StartPlayback(static_cast<uint32_t>(CurPos));
  }
}

// ---------------------------------------------------------------------------
// Unit switch and analyzer toggle

void MainWindowModel::SetUseSecondChecked(bool checked) {
  if (display_.cbUseSecondChecked == checked) {
    return;
  }
  display_.cbUseSecondChecked = checked;
  cbUseSecondClick();
}

void MainWindowModel::cbUseSecondClick() {
  UseSecond = display_.cbUseSecondChecked;
  display_.Representwithsecond1Checked = UseSecond;
  if (view_ && view_->WindowVisible()) {
    view_->FocusGroupBox1();
  }
  RenderUnitLabels();
  Changed();
}

void MainWindowModel::RenderUnitLabels() {
  display_.lbLength = LengthLabelText();
  display_.lbCurPos = PositionText(kCurPosPrefix, CurPos, UseSecond);
  display_.lbBeginPos = PositionText(kBeginPosPrefix, MarkBegin, UseSecond);
  display_.lbEndPos = PositionText(kEndPosPrefix, MarkEnd, UseSecond);
  display_.lbLenExport = MarkedLengthText();
}

void MainWindowModel::Representwithsecond1Click() {
  SetUseSecondChecked(!display_.cbUseSecondChecked);
  cbUseSecondClick();
}

void MainWindowModel::SetShowSpecChecked(bool checked) {
  if (display_.cbShowSpecChecked == checked) {
    return;
  }
  display_.cbShowSpecChecked = checked;
  cbShowSpecClick();
  Changed();
}

void MainWindowModel::cbShowSpecClick() {
  // Before the analyzer window exists (during start-up) the click changes
  // nothing but the check box itself.
  if (!view_ || !view_->AnalyzerExists()) {
    return;
  }
  view_->SetAnalyzerVisible(display_.cbShowSpecChecked);
  ShowSpec = display_.cbShowSpecChecked;
  SetShowAnalyzerFlag(ShowSpec);
  display_.ShowSpectrumanalyzer1Checked = ShowSpec;
  Changed();
}

void MainWindowModel::ShowSpectrumanalyzer1Click() {
  SetShowSpecChecked(!display_.cbShowSpecChecked);
  cbShowSpecClick();
}

// ---------------------------------------------------------------------------
// Value entry

void MainWindowModel::RefuseInput() {
  dialogs_.ShowMessage(kNumbersOnlyMessage, kApplicationTitle, MessageIcon::None);
}

std::optional<int64_t> MainWindowModel::AskValueMs(EntryField field, int64_t defaultMs) {
  const std::string defaultText = EntryDefaultText(defaultMs, UseSecond);
  const auto text = dialogs_.InputQuery(kInputCaption, EntryPrompt(field, UseSecond), defaultText);
  // Confirming the offered text changes nothing: in seconds mode it is the
  // value cut to whole seconds, which would move the value.
  if (!text || *text == defaultText) {
    return std::nullopt;
  }
  const auto valueMs = ParseEnteredValueMs(*text, UseSecond);
  if (!valueMs) {
    RefuseInput();
  }
  return valueMs;
}

void MainWindowModel::lbCurPosClick() {
  const auto valueMs = AskValueMs(EntryField::CurrentPosition, CurPos);
  if (!valueMs) {
    return;
  }
  // A position is held in 32 bits; a number of seconds whose milliseconds do
  // not fit is refused like any other number out of range.
  if (*valueMs < INT32_MIN || *valueMs > INT32_MAX) {
    RefuseInput();
    return;
  }
  CurPos = static_cast<int32_t>(*valueMs);
  ShowPosition();
  Changed();
}

void MainWindowModel::lbBeginPosClick() {
  const auto valueMs = AskValueMs(EntryField::MarkBegin, MarkBegin);
  if (!valueMs) {
    return;
  }
  MarkBegin = ClampToLength(*valueMs, LengthMs());
  display_.lbBeginPos = PositionText(kBeginPosPrefix, MarkBegin, UseSecond);
  ShowSelection();
}

void MainWindowModel::lbEndPosClick() {
  const auto valueMs = AskValueMs(EntryField::MarkEnd, MarkEnd);
  if (!valueMs) {
    return;
  }
  MarkEnd = ClampToLength(*valueMs, LengthMs());
  display_.lbEndPos = PositionText(kEndPosPrefix, MarkEnd, UseSecond);
  ShowSelection();
}

void MainWindowModel::lbLenExportClick() {
  const int64_t markedMs = static_cast<int64_t>(MarkEnd) - MarkBegin;
  const auto valueMs = AskValueMs(EntryField::MarkLength, markedMs > 0 ? markedMs : 0);
  if (!valueMs) {
    return;
  }
  MarkEnd = ClampToLength(MarkBegin + *valueMs, LengthMs());
  display_.lbEndPos = PositionText(kEndPosPrefix, MarkEnd, UseSecond);
  ShowSelection();
}
