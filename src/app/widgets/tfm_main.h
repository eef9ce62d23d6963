// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TfmMain: the main window. A borderless 400 x 210 window covered by its skin
// picture Image1, with the file information (GroupBox1), the positions, marks
// and display toggles (GroupBox2), the image buttons, the track with its seek
// handle and selection bar, and the popup menu PopupMenu1. It renders the
// MainWindowModel it owns and forwards every command to it; the skin's title
// strip drags the window and carries the caption glyphs (about, help,
// minimize, close). The analyzer window fmLed stays docked above it, the
// waveform window (Wave()) docked below it.
//
// Lifecycle: the constructor runs FormCreate (install record, settings, check
// boxes), the first show runs FormShow (analyzer visibility, command-line
// file) and centres the window on the desktop, closing runs FormClose (stop
// playback), the destructor runs FormDestroy (save settings).
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/caption_areas.h"
#include "app/main_window_model.h"
#include "ui/skinned_window.h"

class ClickLabel;
class ImageControl;
class MainPlayback;
class MainScan;
class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class TTransparentButton;
class TfmWave;
class WaveOut;
class WaveformModel;

class TfmMain : public QWidget, public MainWindowView {
  Q_OBJECT
 public:
  struct Options {
    QString executablePath;  // full path of the running program
    QString settingsPath;    // full path of set.ini
    QStringList arguments;   // command-line arguments after the program name
    QString helpFile;        // the HTML manual Help opens; empty when none was found
  };

  TfmMain(Dialogs& dialogs, Options options, QWidget* parent = nullptr);
  ~TfmMain() override;

  MainWindowModel& Model() { return model_; }
  QMenu* PopupMenu1() const { return popupMenu1_; }
  // The waveform window and what it shows; both live as long as this window.
  TfmWave* Wave() const { return fmWave_; }
  WaveformModel& WaveModel() { return *waveModel_; }

  // Plays through `device` from now on (the SDL device in the program, a
  // scripted one in tests): the window owns the playback engine and plugs it
  // into its model; returned buffers feed the analyzer and stopping clears
  // fmLed. Null until plugged.
  void PlugPlayback(std::unique_ptr<WaveOut> device);
  MainPlayback* Playback() const { return playback_.get(); }
  // Opened MP3s are measured by a background scan from now on.
  void PlugScan();

  // How the export dialog is run for tbExportClick: RunExportDialog unless a
  // test puts its own in (a real modal dialog would wait for a user).
  using ExportDialogRunner = std::function<bool(
      QWidget* mainWindow, const std::string& fileName, const AudioFileInfo& fileInfo,
      int32_t markBeginMs, int32_t markEndMs, Dialogs& dialogs,
      const std::function<void()>& stopPlayback, std::shared_ptr<Mp3ScanIndex> scan)>;
  void SetExportDialogRunner(ExportDialogRunner runner) { exportDialog_ = std::move(runner); }
  // How the split dialog is run for K: RunSplitDialog unless a test puts its own in.
  using SplitDialogRunner = std::function<bool(
      QWidget* mainWindow, const std::string& fileName, const AudioFileInfo& fileInfo,
      Dialogs& dialogs, const std::function<void(std::vector<SampleIndex>)>& showPoints,
      std::shared_ptr<Mp3ScanIndex> scan)>;
  void SetSplitDialogRunner(SplitDialogRunner runner) { splitDialog_ = std::move(runner); }

  // How the about box is run: RunAboutBox unless a test puts its own in.
  void SetAboutCommand(std::function<void()> command) { aboutCommand_ = std::move(command); }
  // How files are handed to the desktop (tests record instead of launching).
  void SetShellOpen(std::function<bool(const QString&)> open) { shellOpen_ = std::move(open); }

  // Window-level commands of the menu and the caption glyphs.
  void About1Click();
  void Help1Click();
  void Minimize1Click();
  void Exit1Click();
  // SIGTERM, SIGINT or SIGHUP: every other window of the program is closed
  // first (a running export is cancelled at its next block: no file is
  // left, the target stays as it was), then the main window.
  void Terminate();

  // MainWindowView
  void DisplayChanged() override;
  bool WindowVisible() const override;
  void FocusGroupBox1() override;
  bool AnalyzerExists() const override;
  void SetAnalyzerVisible(bool visible) override;
  void SetWaveVisible(bool visible) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildControls();
  void BuildButtons();
  void BuildPopupMenu();
  void BuildAdvancedMenu();
  void PressPtomovecurrentposition10000millisecondsmore1Click(const QAction* item);
  void FormCreate();
  void FormShow();
  void FormClose();
  void FormDestroy();
  void tbExportClick();
  void SplitClick();
  void WMMove();
  void BuildWave();
  void FollowModelInWave();
  void CentreOnDesktop();

  int ScreenTop() const;  // the top of the screen's area for windows
  void Image1MouseDown(QPoint local, QPoint global);
  void Image1MouseMove(QPoint global);
  void Image1MouseUp(QPoint local);
  void RunCaption(CaptionArea area);

  Dialogs& dialogs_;
  Options options_;
  MainWindowModel model_;
  SkinnedWindow skin_;
  bool shownOnce_ = false;
  bool closed_ = false;
  std::function<void()> aboutCommand_;
  std::function<bool(const QString&)> shellOpen_;
  std::unique_ptr<MainPlayback> playback_;
  std::unique_ptr<MainScan> scan_;
  ExportDialogRunner exportDialog_;
  SplitDialogRunner splitDialog_;
  std::unique_ptr<WaveformModel> waveModel_;
  TfmWave* fmWave_ = nullptr;  // a separate window, deleted before waveModel_
  uint32_t waveFileSerial_ = 0;

  // Controls, owned by the window through Qt's parent ownership.
  ImageControl* Image1 = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QLabel* lbFileName = nullptr;
  QLabel* lbFileType = nullptr;
  QLabel* lbBitrate = nullptr;
  QLabel* lbChannel = nullptr;
  QLabel* lbSample = nullptr;
  QLabel* lbLength = nullptr;
  ClickLabel* lbCurPos = nullptr;
  ClickLabel* lbBeginPos = nullptr;
  ClickLabel* lbEndPos = nullptr;
  ClickLabel* lbLenExport = nullptr;
  QCheckBox* cbUseSecond = nullptr;
  QCheckBox* cbShowSpec = nullptr;
  ImageControl* imTrackBar = nullptr;
  ImageControl* imTrackButton = nullptr;
  ImageControl* imSelection = nullptr;
  QWidget* imSplitPoints = nullptr;  // the split points on the selection bar's row
  QMenu* popupMenu1_ = nullptr;
  QAction* Representwithsecond1 = nullptr;
  QAction* ShowSpectrumanalyzer1 = nullptr;
  QAction* ShowWaveform1 = nullptr;
};

// The program's main window; null before it is created and after it is gone.
extern TfmMain* fmMain;
