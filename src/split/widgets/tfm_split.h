// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TfmSplit: the modal "Split into pieces" dialog, in the export dialog's
// skin. From the top: where the split points come from (times typed, a piece
// every so long, equal parts, a CUE sheet, or the silences with their
// settings and "Find silences"), a status line, the pieces with begin, end,
// length and an editable title, the output as in the export dialog (MP3 at a
// bitrate, "Lossless" for an MP3 source, or WAV; fades), the target folder
// and the name template, then Go and Cancel (✕). While the split runs one
// progress bar shows the whole, with "Piece 3 of 12" and the time text under
// it; Cancel, Esc and closing the window stop it between blocks, and the
// folder stays as it was.
//
// The dialog renders a SplitModel and forwards every change to it; the points
// it makes go to `showPoints` (the main window draws them). Questions and
// errors go through the Dialogs seam. UI thread only; while the split runs,
// events are processed after every block, so the handlers test Splitting.
#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "split/split_export.h"
#include "split/split_model.h"
#include "ui/skinned_window.h"

class ClickLabel;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QRadioButton;
class QTableWidget;
class Dialogs;
class TTransparentButton;

class TfmSplit : public QDialog, private SplitHost {
  Q_OBJECT

 public:
  using ShowPoints = std::function<void(std::vector<SampleIndex> points)>;
  // Writes the pieces: RunSplit unless a test puts its own in.
  using Runner = std::function<bool(const SplitJob& job, SplitHost& host, Dialogs& dialogs)>;

  TfmSplit(Dialogs& dialogs, const std::string& fileName, const AudioFileInfo& info,
           std::shared_ptr<Mp3ScanIndex> scan, ShowPoints showPoints, QWidget* parent = nullptr);
  ~TfmSplit() override;

  SplitModel& Model() { return model_; }
  void SetRunner(Runner runner) { runner_ = std::move(runner); }
  bool Splitting = false;

  static constexpr int kWidth = 480;
  static constexpr int kHeight = 470;

  // Controls, named as the export dialog names its own where they match.
  QRadioButton* rbTimes;
  QLineEdit* edTimes;
  QRadioButton* rbEvery;
  QLineEdit* edEvery;
  QRadioButton* rbParts;
  QLineEdit* edParts;
  QRadioButton* rbCue;
  QLineEdit* edCue;
  ClickLabel* lbCueBrowse;
  QRadioButton* rbSilence;
  QLineEdit* edThreshold;
  QLineEdit* edMinSilence;
  QLineEdit* edCutAt;
  QLineEdit* edMinPiece;
  QCheckBox* cbTrim;
  ClickLabel* lbFind;
  QLabel* lbStatus;
  QTableWidget* twPieces;
  QRadioButton* rbmp3;
  QComboBox* cbBitrate;
  QRadioButton* rbwav;
  QCheckBox* cbfadein;
  QLineEdit* Edit1;
  QCheckBox* cbfadeout;
  QLineEdit* Edit2;
  QLineEdit* edFolder;
  ClickLabel* lbFolderBrowse;
  QLineEdit* edTemplate;
  QProgressBar* progressbar;
  QLabel* lbPiece;
  QLabel* lbTime;
  TTransparentButton* tbok;
  TTransparentButton* tbcancel;

  void tbokClick();

 public slots:
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildSource();
  void BuildOutput();
  // The controls' texts and choices into the model.
  void TakeControls();
  void Remake();
  void Render();
  void ShowLosslessOptions();
  void ShowSplitLook(bool splitting);

  // SplitHost.
  void SetProgress(int percent) override;
  void SetTimeText(const std::string& text) override;
  void SetPiece(int number, int count, int percent) override;
  void ProcessMessages() override;
  bool CancelRequested() override;

  Dialogs& dialogs_;
  SplitModel model_;
  ShowPoints showPoints_;
  Runner runner_;
  SkinnedWindow skin_;
  QLabel* image_;
  bool cancelRequested_ = false;
  bool rendering_ = false;
};

// The main window's split command: creates the dialog for the opened file
// without an owner, centred over `mainWindow`, runs it modally and frees it.
// True when a split finished. Points go to `showPoints` while it is open,
// and an empty list when it closes.
bool RunSplitDialog(QWidget* mainWindow, const std::string& fileName, const AudioFileInfo& info,
                    Dialogs& dialogs, const TfmSplit::ShowPoints& showPoints,
                    std::shared_ptr<Mp3ScanIndex> scan);
