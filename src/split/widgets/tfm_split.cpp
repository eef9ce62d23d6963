// SPDX-License-Identifier: GPL-3.0-or-later
// The split dialog's controls and handlers; see tfm_split.h.
#include "split/widgets/tfm_split.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QRadioButton>
#include <QTableWidget>

#include "base/dialogs.h"
#include "base/tick_count.h"
#include "export/widgets/export_skin.h"
#include "ui/click_label.h"
#include "ui/skin_accessibility.h"
#include "ui/skin_group_box.h"
#include "ui/transparent_button.h"

namespace {

constexpr int kGoImage = 10;
constexpr int kCancelImage = 12;
constexpr int kTitleColumn = 4;

QString Text(const std::string& text) { return QString::fromStdString(text); }

QLabel* MakeLabel(QWidget* parent, const QRect& at, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(at);
  return label;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QRect& at, const std::string& text,
                    const char* accessibleName) {
  auto* edit = new QLineEdit(Text(text), parent);
  edit->setObjectName(name);
  edit->setGeometry(at);
  edit->setAccessibleName(accessibleName);
  return edit;
}

QRadioButton* MakeRadio(QWidget* parent, const char* name, const QRect& at, const char* text) {
  auto* radio = new QRadioButton(text, parent);
  radio->setObjectName(name);
  radio->setGeometry(at);
  return radio;
}

ClickLabel* MakeButton(QWidget* parent, const char* name, const QRect& at, const char* text,
                       const char* accessibleName) {
  auto* button = new ClickLabel(parent);
  button->setObjectName(name);
  button->setGeometry(at);
  button->setText(text);
  button->setAlignment(Qt::AlignCenter);
  button->setFrameStyle(QFrame::Box | QFrame::Plain);
  button->setAccessibleName(accessibleName);
  return button;
}

}  // namespace

TfmSplit::TfmSplit(Dialogs& dialogs, const std::string& fileName, const AudioFileInfo& info,
                   std::shared_ptr<Mp3ScanIndex> scan, ShowPoints showPoints, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      dialogs_(dialogs),
      model_(fileName, info, std::move(scan)),
      showPoints_(std::move(showPoints)),
      runner_(&RunSplit),
      skin_(this, Qt::white) {
  setFixedSize(kWidth, kHeight);
  setAccessibleName("Split into pieces");
  InstallSkinAccessibility();
  image_ = new QLabel(this);
  image_->setObjectName("Image1");
  image_->setGeometry(0, 0, kWidth, kHeight);
  image_->setPixmap(MakeDialogSkin(kWidth, kHeight, "Split into pieces"));
  image_->installEventFilter(this);
  BuildSource();
  BuildOutput();
  connect(&model_, &SplitModel::Changed, this, [this] { Render(); });
  Remake();
}

TfmSplit::~TfmSplit() = default;

void TfmSplit::BuildSource() {
  auto* group = new SkinGroupBox(" Split points ", this);
  group->setObjectName("GroupBox1");
  group->setGeometry(16, 26, 448, 136);
  const SplitModel& m = model_;
  rbTimes = MakeRadio(group, "rbTimes", {12, 18, 96, 17}, "At times");
  edTimes = MakeEdit(group, "edTimes", {110, 16, 326, 20}, m.TimesText, "Split times");
  edTimes->setPlaceholderText("1:30, 3:02.5, 1:04:10");
  rbEvery = MakeRadio(group, "rbEvery", {12, 40, 96, 17}, "Every");
  edEvery = MakeEdit(group, "edEvery", {110, 38, 80, 20}, m.EveryText, "Piece length");
  rbParts = MakeRadio(group, "rbParts", {220, 40, 80, 17}, "In parts");
  edParts = MakeEdit(group, "edParts", {300, 38, 50, 20}, m.PartsText, "Number of parts");
  rbCue = MakeRadio(group, "rbCue", {12, 62, 96, 17}, "CUE sheet");
  edCue = MakeEdit(group, "edCue", {110, 60, 290, 20}, m.CueFileName, "CUE sheet file");
  lbCueBrowse = MakeButton(group, "lbCueBrowse", {406, 60, 30, 20}, "...", "Choose CUE sheet");
  rbSilence = MakeRadio(group, "rbSilence", {12, 84, 110, 17}, "In the silences");
  cbTrim = new QCheckBox("Trim the silence off", group);
  cbTrim->setObjectName("cbTrim");
  cbTrim->setGeometry(130, 84, 150, 17);
  lbFind = MakeButton(group, "lbFind", {336, 82, 100, 20}, "Find silences", "Find silences");
  struct Field {
    QLineEdit** edit;
    const char* name;
    const char* label;
    const char* unit;
    const std::string* text;
  } fields[] = {
      {&edThreshold, "edThreshold", "Below", "dB", &m.ThresholdText},
      {&edMinSilence, "edMinSilence", "for", "s", &m.MinSilenceText},
      {&edCutAt, "edCutAt", "cut at", "", &m.CutAtText},
      {&edMinPiece, "edMinPiece", "pieces", "s", &m.MinPieceText},
  };
  const char* names[] = {"Threshold dBFS", "Minimum silence seconds", "Cut position",
                         "Minimum piece seconds"};
  int x = 30;
  for (size_t i = 0; i < std::size(fields); ++i) {
    MakeLabel(group, {x, 108, 40, 20}, fields[i].label);
    *fields[i].edit =
        MakeEdit(group, fields[i].name, {x + 40, 106, 40, 20}, *fields[i].text, names[i]);
    MakeLabel(group, {x + 84, 108, 18, 20}, fields[i].unit);
    x += 104;
  }
  rbTimes->setChecked(true);

  const std::pair<QRadioButton*, SplitSource> radios[] = {{rbTimes, SplitSource::Times},
                                                          {rbEvery, SplitSource::Every},
                                                          {rbParts, SplitSource::Parts},
                                                          {rbCue, SplitSource::Cue},
                                                          {rbSilence, SplitSource::Silence}};
  for (const auto& [radio, source] : radios) {
    connect(radio, &QRadioButton::toggled, this, [this, source](bool on) {
      if (!on) return;
      model_.Source = source;
      Remake();
    });
  }
  // A typed source makes its pieces at once; the silences only on request.
  // Typing into a source's box chooses that source.
  for (const auto& [edit, radio] :
       {std::pair{edTimes, rbTimes}, {edEvery, rbEvery}, {edParts, rbParts}, {edCue, rbCue}}) {
    connect(edit, &QLineEdit::textEdited, this, [this, radio = radio] {
      if (radio->isChecked()) Remake();
      radio->setChecked(true);
    });
  }
  connect(lbFind, &ClickLabel::Clicked, this, [this] {
    if (rbSilence->isChecked()) Remake();
    rbSilence->setChecked(true);
  });
  connect(lbCueBrowse, &ClickLabel::Clicked, this, [this] {
    if (const auto chosen = dialogs_.OpenFileName(kCueFilter)) {
      edCue->setText(Text(*chosen));
      if (rbCue->isChecked()) Remake();
      rbCue->setChecked(true);
    }
  });

  lbStatus = MakeLabel(this, {16, 166, 448, 16}, "");
  lbStatus->setObjectName("lbStatus");
  lbStatus->setTextFormat(Qt::PlainText);
  twPieces = new QTableWidget(0, 5, this);
  twPieces->setObjectName("twPieces");
  twPieces->setAccessibleName("Pieces");
  twPieces->setGeometry(16, 184, 448, 126);
  twPieces->setHorizontalHeaderLabels({"#", "Begin", "End", "Length", "Title"});
  twPieces->verticalHeader()->hide();
  twPieces->horizontalHeader()->setStretchLastSection(true);
  for (const auto& [column, width] : {std::pair{0, 34}, {1, 84}, {2, 84}, {3, 84}}) {
    twPieces->setColumnWidth(column, width);
  }
  connect(twPieces, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (rendering_ || item->column() != kTitleColumn) return;
    model_.SetTitle(static_cast<size_t>(item->row()), item->text().toStdString());
    edTemplate->setPlaceholderText(Text(model_.TemplateShown()));
  });
}

void TfmSplit::BuildOutput() {
  auto* group = new SkinGroupBox(" Output ", this);
  group->setObjectName("GroupBox2");
  group->setGeometry(16, 316, 448, 64);
  rbmp3 = MakeRadio(group, "rbmp3", {12, 18, 110, 17}, "MP3 with bitrate");
  cbBitrate = new QComboBox(group);
  cbBitrate->setObjectName("cbBitrate");
  cbBitrate->setGeometry(124, 16, 90, 22);
  cbBitrate->setAccessibleName("MP3 bitrate");
  for (const std::string& item : model_.BitrateItems()) cbBitrate->addItem(Text(item));
  cbBitrate->setCurrentIndex(model_.BitrateIndex);
  rbwav = MakeRadio(group, "rbwav", {236, 18, 80, 17}, "WAV");
  (model_.Mp3 ? rbmp3 : rbwav)->setChecked(true);
  cbfadein = new QCheckBox("Fade in first", group);
  cbfadein->setObjectName("cbfadein");
  cbfadein->setGeometry(12, 40, 90, 17);
  Edit1 = MakeEdit(group, "Edit1", {104, 38, 30, 20}, model_.FadeInText, "Fade-in seconds");
  MakeLabel(group, {140, 40, 50, 17}, "seconds");
  cbfadeout = new QCheckBox("Fade out last", group);
  cbfadeout->setObjectName("cbfadeout");
  cbfadeout->setGeometry(236, 40, 90, 17);
  Edit2 = MakeEdit(group, "Edit2", {328, 38, 30, 20}, model_.FadeOutText, "Fade-out seconds");
  MakeLabel(group, {364, 40, 50, 17}, "seconds");
  connect(cbBitrate, &QComboBox::currentIndexChanged, this, [this] { ShowLosslessOptions(); });
  connect(rbmp3, &QRadioButton::toggled, this, [this] { ShowLosslessOptions(); });

  MakeLabel(this, {16, 388, 60, 20}, "Folder");
  edFolder = MakeEdit(this, "edFolder", {80, 386, 348, 20}, model_.Folder, "Target folder");
  lbFolderBrowse = MakeButton(this, "lbFolderBrowse", {434, 386, 30, 20}, "...", "Choose folder");
  connect(lbFolderBrowse, &ClickLabel::Clicked, this, [this] {
    if (const auto chosen = dialogs_.FolderName()) edFolder->setText(Text(*chosen));
  });
  MakeLabel(this, {16, 412, 60, 20}, "Names");
  edTemplate =
      MakeEdit(this, "edTemplate", {80, 410, 250, 20}, model_.NameTemplate, "File name template");
  edTemplate->setToolTip("{n} {n:02} {title} {artist} {album} {stem}");

  progressbar = new QProgressBar(this);
  progressbar->setObjectName("progressbar");
  progressbar->setGeometry(16, 438, 380, 12);
  progressbar->setRange(0, 100);
  progressbar->setTextVisible(false);
  lbPiece = MakeLabel(this, {16, 450, 120, 14}, "");
  lbPiece->setObjectName("lbPiece");
  lbTime = MakeLabel(this, {140, 450, 256, 14}, "");
  lbTime->setObjectName("lbTime");
  tbok = new TTransparentButton(this, kGoImage, "Go");
  tbok->setObjectName("tbok");
  tbok->setGeometry(410, 436, 20, 20);
  tbok->SetHoverImages(true);
  tbcancel = new TTransparentButton(this, kCancelImage, "Cancel");
  tbcancel->setObjectName("tbcancel");
  tbcancel->setGeometry(442, 436, 20, 20);
  tbcancel->SetHoverImages(true);
  connect(tbok, &QAbstractButton::clicked, this, [this] { tbokClick(); });
  connect(tbcancel, &QAbstractButton::clicked, this, [this] { close(); });
  ShowSplitLook(false);
  ShowLosslessOptions();
}

void TfmSplit::TakeControls() {
  SplitModel& m = model_;
  m.TimesText = edTimes->text().toStdString();
  m.EveryText = edEvery->text().toStdString();
  m.PartsText = edParts->text().toStdString();
  m.CueFileName = edCue->text().toStdString();
  m.ThresholdText = edThreshold->text().toStdString();
  m.MinSilenceText = edMinSilence->text().toStdString();
  m.CutAtText = edCutAt->text().toStdString();
  m.MinPieceText = edMinPiece->text().toStdString();
  m.Trim = cbTrim->isChecked();
  m.Mp3 = rbmp3->isChecked();
  m.BitrateIndex = cbBitrate->currentIndex();
  m.FadeIn = cbfadein->isChecked();
  m.FadeInText = Edit1->text().toStdString();
  m.FadeOut = cbfadeout->isChecked();
  m.FadeOutText = Edit2->text().toStdString();
  m.Folder = edFolder->text().toStdString();
  m.NameTemplate = edTemplate->text().toStdString();
}

void TfmSplit::Remake() {
  if (Splitting) return;
  TakeControls();
  model_.MakePieces();
}

void TfmSplit::Render() {
  rendering_ = true;
  lbStatus->setText(Text(model_.Status()));
  const SplitSheet& sheet = model_.Sheet();
  const AudioFileInfo& info = model_.Info();
  twPieces->setRowCount(static_cast<int>(sheet.Pieces.size()));
  for (size_t i = 0; i < sheet.Pieces.size(); ++i) {
    const SplitPiece& piece = sheet.Pieces[i];
    const std::string cells[] = {std::to_string(i + 1), PieceTimeText(info, piece.Begin),
                                 PieceTimeText(info, piece.End), PieceLengthText(info, piece),
                                 piece.Title};
    for (int column = 0; column < 5; ++column) {
      auto* item = new QTableWidgetItem(Text(cells[column]));
      if (column != kTitleColumn) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
      twPieces->setItem(static_cast<int>(i), column, item);
    }
  }
  edTemplate->setPlaceholderText(Text(model_.TemplateShown()));
  rendering_ = false;
  if (showPoints_) showPoints_(model_.Points());
}

void TfmSplit::ShowLosslessOptions() {
  model_.Mp3 = rbmp3->isChecked();
  model_.BitrateIndex = cbBitrate->currentIndex();
  const bool lossless = model_.LosslessChosen();
  for (QCheckBox* box : {cbfadein, cbfadeout}) {
    if (lossless) box->setChecked(false);
    box->setEnabled(!lossless);
  }
  Edit1->setEnabled(!lossless);
  Edit2->setEnabled(!lossless);
}

void TfmSplit::ShowSplitLook(bool splitting) {
  progressbar->setVisible(splitting);
  progressbar->setValue(0);
  lbPiece->clear();
  lbTime->clear();
  tbok->setVisible(!splitting);
  // ✕ (Cancel) stays: it stops the split.
  for (QWidget* child : findChildren<SkinGroupBox*>()) child->setEnabled(!splitting);
  for (QWidget* control :
       {static_cast<QWidget*>(twPieces), static_cast<QWidget*>(edFolder),
        static_cast<QWidget*>(lbFolderBrowse), static_cast<QWidget*>(edTemplate)}) {
    control->setEnabled(!splitting);
  }
  if (!splitting) ShowLosslessOptions();
}

void TfmSplit::tbokClick() {
  if (Splitting) return;
  TakeControls();
  std::string problem;
  std::optional<SplitJob> job = model_.Job(problem);
  if (!job) {
    dialogs_.ShowMessage(problem, kErrorCaption, MessageIcon::Error);
    return;
  }
  job->StartTick = TickCountMs();
  ShowSplitLook(true);
  Splitting = true;
  cancelRequested_ = false;
  const bool finished = runner_(*job, *this, dialogs_);
  Splitting = false;
  // A failed or cancelled split has said what there is to say: the dialog is
  // ready for another try.
  if (finished) {
    accept();
  } else {
    ShowSplitLook(false);
  }
}

void TfmSplit::reject() {
  if (Splitting) {
    cancelRequested_ = true;
    return;
  }
  QDialog::reject();
}

void TfmSplit::closeEvent(QCloseEvent* event) {
  if (Splitting) {
    cancelRequested_ = true;
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void TfmSplit::keyPressEvent(QKeyEvent* event) {
  // Enter is Go wherever the focus is, except while a title is edited; Esc
  // stays with the dialog, which cancels.
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      !(event->modifiers() & ~Qt::KeypadModifier)) {
    if (tbok->isVisible()) tbokClick();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool TfmSplit::eventFilter(QObject* watched, QEvent* event) {
  if (watched == image_) {
    // Only the mouse events below are QMouseEvents; the cast waits for the type.
    const auto mouse = [event] { return static_cast<QMouseEvent*>(event); };
    switch (event->type()) {
      case QEvent::MouseButtonPress: {
        const QPoint at = mouse()->position().toPoint();
        if (at.y() >= SkinnedWindow::kTitleStripHeight) return true;
        if (at.x() > width() - 20 && at.x() < width() - 8) {
          close();
        } else {
          skin_.Press(mouse()->globalPosition().toPoint());
        }
        return true;
      }
      case QEvent::MouseMove:
        skin_.Move(mouse()->globalPosition().toPoint());
        return true;
      case QEvent::MouseButtonRelease:
        skin_.Release();
        return true;
      default:
        break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TfmSplit::SetProgress(int percent) { progressbar->setValue(percent); }

void TfmSplit::SetTimeText(const std::string& text) { lbTime->setText(Text(text)); }

void TfmSplit::SetPiece(int number, int count, int) {
  lbPiece->setText(Text(SplitModel::PieceText(number, count)));
}

void TfmSplit::ProcessMessages() { QCoreApplication::processEvents(); }

bool TfmSplit::CancelRequested() { return cancelRequested_; }

bool RunSplitDialog(QWidget* mainWindow, const std::string& fileName, const AudioFileInfo& info,
                    Dialogs& dialogs, const TfmSplit::ShowPoints& showPoints,
                    std::shared_ptr<Mp3ScanIndex> scan) {
  auto dialog = std::make_unique<TfmSplit>(dialogs, fileName, info, std::move(scan), showPoints);
  dialog->setWindowModality(Qt::ApplicationModal);
  if (mainWindow) {
    dialog->move(mainWindow->frameGeometry().center() - dialog->rect().center());
  }
  const bool finished = dialog->exec() == QDialog::Accepted;
  if (showPoints) showPoints({});
  return finished;
}
