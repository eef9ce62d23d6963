// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Tfmexport: the modal export dialog. The user picks MP3 at a bitrate or WAV,
// the marked piece or everything outside it, and optional fades of whole
// seconds; Go checks the fade boxes, asks for the target file through the
// save dialog, checks the target and runs the export pipeline, showing its
// progress and time text. A finished export closes the dialog (Accepted); a
// failed one shows its message and returns the dialog to its choices. While
// an export runs, Cancel (✕), Esc and closing the window stop it: nothing is
// written and an existing target stays as it was.
//
// With an MP3 source the bitrate list offers "Lossless" after "As Origin"
// (lossless_export.h); while it is chosen the fade and "Export unmarked"
// boxes are unchecked and disabled.
//
// The dialog renders state and forwards commands: the rules (bitrate list,
// fade box checks, extension, target checks) live in export_options.h and
// export_pipeline.h. Everything runs on the UI thread; while an export runs,
// events are processed after every block, so the handlers test Exporting.
#include <QDialog>
#include <QPoint>
#include <memory>
#include <string>

#include "audio/audio_file_info.h"
#include "audio/mp3_scan_index.h"
#include "export/export_pipeline.h"
#include "ui/skinned_window.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QRadioButton;
class Dialogs;
class TTransparentButton;

class Tfmexport : public QDialog, private ExportHost {
  Q_OBJECT

 public:
  // `source` defaults to the program's stream reader.
  explicit Tfmexport(Dialogs& dialogs, ExportSource* source = nullptr, QWidget* parent = nullptr);
  ~Tfmexport() override;

  // Export state, copied in by the main window before the dialog is shown.
  AudioFileInfo FileInfo;
  int32_t MarkBegin = 0;
  int32_t MarkEnd = 0;
  std::string SourceFileName;
  // The source's scan, running or finished (null for a WAV): Go waits for
  // it in the progress display and exports on the exact length.
  std::shared_ptr<Mp3ScanIndex> Scan;
  // Settled by Go.
  std::string OutFileName;
  int32_t FadeInSeconds = 0;
  int32_t FadeOutSeconds = 0;
  bool Exporting = false;
  uint32_t StartTick = 0;

  // Controls, named as the rest of the program refers to them.
  QLabel* Image1;
  QRadioButton* rbmp3;
  QComboBox* cbBitrate;
  QRadioButton* rbwav;
  QGroupBox* GroupBox1;
  QCheckBox* cbExportUnmarked;
  QCheckBox* cbfadein;
  QLineEdit* Edit1;
  QLabel* Label1;
  QCheckBox* cbfadeout;
  QLineEdit* Edit2;
  QLabel* Label2;
  QProgressBar* progressbar;
  TTransparentButton* tbok;
  TTransparentButton* tbcancel;
  QLabel* lbTime;

  // Handlers.
  void FormShow();
  void cbExportUnmarkedClick();
  void tbokClick();
  void tbcancelClick();
  void Image1MouseDown(int x, int y, const QPoint& globalPos);
  void Image1MouseMove(const QPoint& globalPos);
  void Image1MouseUp();

 public slots:
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowExportLook();
  // Back from the export look after a failed or cancelled export.
  void ShowReadyLook();
  // "Lossless" is chosen: MP3 with that bitrate item.
  bool LosslessChosen() const;
  // Disables (and unchecks) fades and "Export unmarked" while "Lossless" is
  // chosen, enables them otherwise.
  void ShowLosslessOptions();

  // ExportHost.
  void SetProgress(int percent) override;
  void SetTimeText(const std::string& text) override;
  void ProcessMessages() override;
  bool CancelRequested() override;

  Dialogs& dialogs_;
  ExportSource* source_;
  StreamExportSource streamSource_;
  SkinnedWindow skin_;
  bool cancelRequested_ = false;
};
