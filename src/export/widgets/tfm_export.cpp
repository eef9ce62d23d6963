// SPDX-License-Identifier: GPL-3.0-or-later
// The export dialog's controls and handlers; see tfm_export.h.
#include "export/widgets/tfm_export.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QRadioButton>
#include <QShowEvent>

#include "base/application_error.h"
#include "base/dialogs.h"
#include "base/tick_count.h"
#include "export/export_options.h"
#include "export/scan_wait.h"
#include "export/widgets/export_skin.h"
#include "ui/transparent_button.h"

namespace {

constexpr int kGoImage = 10;
constexpr int kCancelImage = 12;

}  // namespace

Tfmexport::Tfmexport(Dialogs& dialogs, ExportSource* source, QWidget* parent)
    // On top like the always-on-top analyzer, so that it never covers the dialog.
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      dialogs_(dialogs),
      source_(source ? source : &streamSource_),
      skin_(this, Qt::white) {
  setFixedSize(kExportSkinWidth, kExportSkinHeight);
  setAccessibleName("Export");

  Image1 = new QLabel(this);
  Image1->setObjectName("Image1");
  Image1->setGeometry(0, 0, kExportSkinWidth, kExportSkinHeight);
  Image1->setPixmap(MakeExportSkin());
  Image1->installEventFilter(this);

  rbmp3 = new QRadioButton("MP3 with bitrate", this);
  rbmp3->setObjectName("rbmp3");
  rbmp3->setGeometry(20, 28, 101, 17);
  rbmp3->setToolTip("Export as MP3");

  cbBitrate = new QComboBox(this);
  cbBitrate->setObjectName("cbBitrate");
  cbBitrate->setEditable(false);
  cbBitrate->setGeometry(128, 26, 73, 22);
  cbBitrate->setToolTip("Change MP3 Bitrate");

  rbwav = new QRadioButton("WAV", this);
  rbwav->setObjectName("rbwav");
  rbwav->setGeometry(20, 47, 101, 17);
  rbwav->setToolTip("Export as WAV");

  GroupBox1 = new QGroupBox("Option", this);
  GroupBox1->setObjectName("GroupBox1");
  GroupBox1->setGeometry(16, 72, 209, 81);

  cbExportUnmarked = new QCheckBox("Export unmarked", GroupBox1);
  cbExportUnmarked->setObjectName("cbExportUnmarked");
  cbExportUnmarked->setGeometry(13, 18, 123, 17);

  cbfadein = new QCheckBox("Fade  in  first ", GroupBox1);
  cbfadein->setObjectName("cbfadein");
  cbfadein->setGeometry(13, 39, 84, 17);

  Edit1 = new QLineEdit("1", GroupBox1);
  Edit1->setObjectName("Edit1");
  Edit1->setGeometry(103, 33, 25, 22);
  Edit1->setAccessibleName("Fade-in seconds");

  Label1 = new QLabel("seconds", GroupBox1);
  Label1->setObjectName("Label1");
  Label1->setGeometry(135, 40, 42, 14);

  cbfadeout = new QCheckBox("Fade out last", GroupBox1);
  cbfadeout->setObjectName("cbfadeout");
  cbfadeout->setGeometry(13, 59, 84, 17);

  Edit2 = new QLineEdit("1", GroupBox1);
  Edit2->setObjectName("Edit2");
  Edit2->setGeometry(103, 55, 25, 22);
  Edit2->setAccessibleName("Fade-out seconds");

  Label2 = new QLabel("seconds", GroupBox1);
  Label2->setObjectName("Label2");
  Label2->setGeometry(135, 60, 42, 14);

  progressbar = new QProgressBar(this);
  progressbar->setObjectName("progressbar");
  progressbar->setGeometry(16, 159, 209, 12);
  progressbar->setRange(0, 100);
  progressbar->setTextVisible(false);
  progressbar->hide();

  // Both buttons show the next face of the list while the pointer is over them.
  tbok = new TTransparentButton(this, kGoImage, "Go");
  tbok->setObjectName("tbok");
  tbok->setGeometry(169, 165, 20, 20);
  tbok->SetHoverImages(true);

  tbcancel = new TTransparentButton(this, kCancelImage, "Cancel");
  tbcancel->setObjectName("tbcancel");
  tbcancel->setGeometry(201, 165, 20, 20);
  tbcancel->SetHoverImages(true);

  lbTime = new QLabel(this);
  lbTime->setObjectName("lbTime");
  lbTime->setGeometry(16, 174, 209, 14);
  // The time text overlaps the lower half of Go and Cancel (it takes their
  // place while exporting); it must not swallow clicks meant for them.
  lbTime->setAttribute(Qt::WA_TransparentForMouseEvents);

  connect(cbExportUnmarked, &QCheckBox::clicked, this, [this] { cbExportUnmarkedClick(); });
  connect(tbok, &QAbstractButton::clicked, this, [this] { tbokClick(); });
  connect(tbcancel, &QAbstractButton::clicked, this, [this] { tbcancelClick(); });
  connect(cbBitrate, &QComboBox::currentIndexChanged, this, [this] { ShowLosslessOptions(); });
  connect(rbmp3, &QRadioButton::toggled, this, [this] { ShowLosslessOptions(); });

  // FormCreate.
  lbTime->setText(QString());
}

Tfmexport::~Tfmexport() = default;

void Tfmexport::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // A spontaneous show is the window system mapping the window again (after
  // minimising, or switching desktops back): the dialog was open all along,
  // and resetting it there would undo the user's choices or, while an export
  // runs, hide its progress bar.
  if (!event->spontaneous()) FormShow();
}

void Tfmexport::FormShow() {
  progressbar->setValue(0);
  progressbar->hide();
  cbBitrate->clear();
  for (const std::string& item : DialogBitrateItems(FileInfo)) {
    cbBitrate->addItem(QString::fromStdString(item));
  }
  cbBitrate->setCurrentIndex(InitialBitrateIndex(FileInfo));
  rbmp3->setChecked(true);
  ShowLosslessOptions();
}

bool Tfmexport::LosslessChosen() const {
  return rbmp3->isChecked() && IsLosslessItem(FileInfo, cbBitrate->currentIndex());
}

void Tfmexport::ShowLosslessOptions() {
  // A lossless export copies the marked piece as it is: no fades, no
  // unmarked part.
  const bool lossless = LosslessChosen();
  for (QCheckBox* box : {cbExportUnmarked, cbfadein, cbfadeout}) {
    if (lossless) box->setChecked(false);
    box->setEnabled(!lossless);
  }
  Edit1->setEnabled(!lossless);
  Edit2->setEnabled(!lossless);
}

void Tfmexport::cbExportUnmarkedClick() {
  cbfadein->setChecked(false);
  cbfadeout->setChecked(false);
}

// While exporting, ✕, Esc, the close cross and a close from outside (the
// window manager, a termination signal) all ask the export to stop; the
// export then ends at its next block and the dialog is ready again.
void Tfmexport::tbcancelClick() { close(); }

void Tfmexport::reject() {
  if (Exporting) {
    cancelRequested_ = true;
    return;
  }
  QDialog::reject();
}

void Tfmexport::closeEvent(QCloseEvent* event) {
  if (Exporting) {
    cancelRequested_ = true;
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void Tfmexport::Image1MouseDown(int x, int y, const QPoint& globalPos) {
  if (y >= SkinnedWindow::kTitleStripHeight) return;
  if (x > width() - 20 && x < width() - 8) {
    close();
    return;
  }
  skin_.Press(globalPos);
}

void Tfmexport::Image1MouseMove(const QPoint& globalPos) { skin_.Move(globalPos); }

void Tfmexport::Image1MouseUp() { skin_.Release(); }

void Tfmexport::keyPressEvent(QKeyEvent* event) {
  // Enter is Go wherever the focus is (a focused button takes Space); Esc
  // stays with the dialog, which cancels.
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      !(event->modifiers() & ~Qt::KeypadModifier)) {
    if (tbok->isVisible()) tbokClick();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool Tfmexport::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Image1) {
    switch (event->type()) {
      case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        Image1MouseDown(at.x(), at.y(), mouse->globalPosition().toPoint());
        return true;
      }
      case QEvent::MouseMove:
        Image1MouseMove(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        return true;
      case QEvent::MouseButtonRelease:
        Image1MouseUp();
        return true;
      default:
        break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void Tfmexport::ShowExportLook() {
  progressbar->show();
  tbok->hide();
  // ✕ (Cancel) stays: it stops the export.
  GroupBox1->setEnabled(false);
}

void Tfmexport::ShowReadyLook() {
  progressbar->hide();
  progressbar->setValue(0);
  lbTime->clear();
  tbok->show();
  GroupBox1->setEnabled(true);
  ShowLosslessOptions();
}

void Tfmexport::tbokClick() {
  if (Exporting) return;
  const std::string fadeInText = Edit1->text().toStdString();
  const std::string fadeOutText = Edit2->text().toStdString();
  if (!FadeTextIsDigitsOnly(fadeInText) || !FadeTextIsDigitsOnly(fadeOutText)) {
    dialogs_.ShowMessage(kFadeBoxError, kErrorCaption, MessageIcon::Error);
    return;
  }
  const auto fadeIn = FadeSecondsOf(fadeInText);
  if (!fadeIn) {
    ShowApplicationError(dialogs_, NotValidIntegerText(fadeInText));
    return;
  }
  const auto fadeOut = FadeSecondsOf(fadeOutText);
  if (!fadeOut) {
    ShowApplicationError(dialogs_, NotValidIntegerText(fadeOutText));
    return;
  }
  FadeInSeconds = *fadeIn;
  FadeOutSeconds = *fadeOut;

  ExportJob job;
  job.FileInfo = FileInfo;
  job.BeginSample = SampleOfMs(FileInfo, MarkBegin);
  job.EndSample = SampleOfMs(FileInfo, MarkEnd);
  job.ExportUnmarked = cbExportUnmarked->isChecked();
  // Refused before a target is asked for: the dialog stays fresh.
  if (RefuseEmptyExport(job, dialogs_)) return;

  const bool mp3 = rbmp3->isChecked();
  const auto chosen = dialogs_.SaveFileName(mp3 ? kMp3Filter : kWavFilter,
                                            SuggestedExportName(SourceFileName, mp3));
  if (!chosen) return;
  // The target is checked (and an existing one replaced only when the user
  // says so) while the dialog still offers its choices: a refusal leaves it
  // ready for another try.
  OutFileName = WithDefaultExtension(*chosen, mp3);
  if (!CheckExportTarget(OutFileName, SourceFileName, dialogs_, ExistingTarget::Ask)) return;

  ShowExportLook();
  StartTick = TickCountMs();

  job.SourceFileName = SourceFileName;
  job.OutFileName = OutFileName;
  job.Route = mp3 ? ExportRoute::Mp3 : ExportRoute::Wav;
  job.BitrateKbps =
      BitrateOfItem(FileInfo, cbBitrate->currentIndex(), cbBitrate->currentText().toStdString());
  job.Lossless = mp3 && LosslessChosen();
  job.FadeIn = cbfadein->isChecked();
  job.FadeInSeconds = FadeInSeconds;
  job.FadeOut = cbfadeout->isChecked();
  job.FadeOutSeconds = FadeOutSeconds;
  job.StartTick = StartTick;

  Exporting = true;
  cancelRequested_ = false;
  if (Scan) {
    if (!WaitForExactLength(job, *Scan, *this, dialogs_)) {
      Exporting = false;
      ShowReadyLook();
      return;
    }
    if (source_ == &streamSource_) streamSource_.UseScan(Scan);
  }
  const bool finished = RunExport(job, *this, dialogs_, *source_);
  Exporting = false;
  // A failed or cancelled export has said what there is to say (or the
  // user asked for it): the dialog is ready for another try.
  if (finished) {
    accept();
  } else {
    ShowReadyLook();
  }
}

bool Tfmexport::CancelRequested() { return cancelRequested_; }

void Tfmexport::SetProgress(int percent) { progressbar->setValue(percent); }

void Tfmexport::SetTimeText(const std::string& text) {
  lbTime->setText(QString::fromStdString(text));
}

void Tfmexport::ProcessMessages() { QCoreApplication::processEvents(); }
