// SPDX-License-Identifier: GPL-3.0-or-later
// TfmMain's controls, menu and handlers, forwarding every command to the model; see tfm_main.h.
#include "app/widgets/tfm_main.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <iterator>

#include "app/analyzer_dock.h"
#include "app/caption_areas.h"
#include "app/help_file.h"
#include "app/install_record.h"
#include "app/key_table.h"
#include "app/label_text.h"
#include "app/main_playback.h"
#include "app/main_scan.h"
#include "app/settings.h"
#include "app/widgets/tfm_about.h"
#include "audio/wave_out.h"
#include "base/dialogs.h"
#include "export/widgets/export_command.h"
#include "spectrum/widgets/tfm_led.h"
#include "split/widgets/tfm_split.h"
#include "ui/click_label.h"
#include "ui/image_control.h"
#include "ui/shell_open.h"
#include "ui/skin_accessibility.h"
#include "ui/skin_group_box.h"
#include "ui/skin_pictures.h"
#include "ui/transparent_button.h"
#include "waveform/waveform_model.h"
#include "waveform/widgets/tfm_wave.h"

TfmMain* fmMain = nullptr;

namespace {

constexpr int kWindowWidth = 400;
constexpr int kWindowHeight = 210;

// A command reached by an image button and by its twin in the popup menu.
struct CommandRow {
  const char* button;  // the image button: name, place, hint, face of ImageList1
  int left;
  int top;
  int height;
  const char* hint;
  int imageIndex;
  const char* menuItem;  // the popup menu item: name and caption
  const char* caption;
  const char* separatorBefore;  // name of the menu separator above the item, if any
  void (MainWindowModel::*command)();
  KeyCommand key;  // the key that runs the command too, shown with the hint
};

// In the order of the buttons from left to right, which is also the order of
// their items in the popup menu. The "Advanced" submenu goes before the last.
const CommandRow kCommands[] = {
    {"tbOpenFile", 17, 56, 17, "Open File", 0, "OpenFile1", "Open file ...", nullptr,
     &MainWindowModel::tbOpenFileClick, KeyCommand::OpenFile},
    {"tbJumpBegin", 65, 53, 20, "Go to begin", 1, "Jumptobegin1", "Jump to begin", "N1",
     &MainWindowModel::tbJumpBeginClick, KeyCommand::None},
    {"tbPlay", 89, 53, 20, "Play", 2, "Play1", "Play", nullptr, &MainWindowModel::tbPlayClick,
     KeyCommand::Pause},
    {"tbPause", 113, 53, 20, "Pause", 3, "Pause1", "Pause", nullptr, &MainWindowModel::tbPauseClick,
     KeyCommand::Pause},
    {"tbStop", 137, 53, 20, "Stop", 4, "Stop1", "Stop", nullptr, &MainWindowModel::tbStopClick,
     KeyCommand::None},
    {"tbJumpend", 161, 53, 20, "Go to end", 5, "JumptoEnd1", "Jump to end", nullptr,
     &MainWindowModel::tbJumpendClick, KeyCommand::None},
    {"tbMarkbegin", 201, 53, 20, "Mark as begin", 6, "Markasbegin1", "Mark as begin", "N2",
     &MainWindowModel::tbMarkbeginClick, KeyCommand::MarkBegin},
    {"tbMarkend", 225, 53, 20, "Mark as end", 7, "Markasend1", "Mark as end", nullptr,
     &MainWindowModel::tbMarkendClick, KeyCommand::MarkEnd},
    {"tbMarkall", 249, 53, 20, "Mark all", 8, "MarkAll1", "Select all", nullptr,
     &MainWindowModel::tbMarkallClick, KeyCommand::MarkAll},
    {"tbJumpmarkbegin", 273, 53, 20, "Go to mark begin", 1, "Jumptomarkbegin1",
     "Jump to mark begin", nullptr, &MainWindowModel::tbJumpmarkbeginClick,
     KeyCommand::JumpMarkBegin},
    {"tbPlayselected", 297, 53, 20, "Play mark", 2, "Playmarked1", "Play selected", nullptr,
     &MainWindowModel::tbPlayselectedClick, KeyCommand::None},
    {"tbJumpmarkend", 321, 53, 20, "Go to mark end", 5, "Jumptomarkend1", "Jump to mark end",
     nullptr, &MainWindowModel::tbJumpmarkendClick, KeyCommand::JumpMarkEnd},
    {"tbExport", 361, 53, 20, "Cut out", 9, "Exportselected1", "Export selected ...", "N3",
     &MainWindowModel::tbExportClick, KeyCommand::Export},
};

QString Text(const std::string& text) { return QString::fromStdString(text); }

// `text` followed by the name of the key that runs `key` in `pattern`
// (" (%1)" for a tool tip, "\t%1" for a menu item); `text` alone without one.
QString WithKey(const char* text, KeyCommand key, const char* pattern) {
  const char* name = KeyNameForCommand(key);
  return name ? text + QString::fromLatin1(pattern).arg(QLatin1String(name)) : QString(text);
}

template <typename Label>
Label* MakeLabel(QWidget* parent, const char* name, QRect geometry, const char* text) {
  auto* label = new Label(parent);
  label->setObjectName(name);
  label->setGeometry(geometry);
  // File names are shown as they are, even when they look like markup.
  label->setTextFormat(Qt::PlainText);
  label->setText(text);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  return label;
}

// Shows or hides a docked window. A window manager that minimised it along
// with the main window (its transient parent) leaves it marked minimised;
// shown so, it would be mapped minimised, and a window manager that
// minimises a transient's whole family would take the main window straight
// back down, on every later restore too.
void SetDockedVisible(QWidget& docked, bool visible) {
  if (visible) {
    docked.setWindowState(docked.windowState() & ~Qt::WindowMinimized);
  }
  docked.setVisible(visible);
}

// Short ticks across the selection bar's row where a split would cut.
class SplitPointTicks : public QWidget {
 public:
  SplitPointTicks(QWidget* parent, const MainDisplay& display)
      : QWidget(parent), display_(display) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(QColor(255, 196, 64));
    for (const int x : display_.splitPointXs) {
      painter.drawLine(x - this->x(), 0, x - this->x(), height() - 1);
    }
  }

 private:
  const MainDisplay& display_;
};

}  // namespace

TfmMain::TfmMain(Dialogs& dialogs, Options options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      dialogs_(dialogs),
      options_(std::move(options)),
      model_(dialogs),
      skin_(this),
      aboutCommand_([this] { RunAboutBox(this, [this](const QString& at) { shellOpen_(at); }); }),
      shellOpen_(&ShellOpen),
      exportDialog_(&RunExportDialog),
      splitDialog_(&RunSplitDialog) {
  setObjectName("fmMain");
  setWindowTitle(kApplicationTitle);
  setFixedSize(kWindowWidth, kWindowHeight);
  // The keys work with the window itself focused, which Tab passes by.
  setFocusPolicy(Qt::ClickFocus);
  InstallSkinAccessibility();
  BuildWave();
  BuildControls();
  model_.SetView(this);
  model_.SetExportCommand([this] { tbExportClick(); });
  model_.SetSplitCommand([this] { SplitClick(); });
  FormCreate();
}

TfmMain::~TfmMain() {
  FormDestroy();
  // The waveform window draws from its model; the model's destructor stops
  // the overview workers.
  delete fmWave_;
  fmWave_ = nullptr;
  waveModel_.reset();
  // The engine and the scan go before the model they work on.
  scan_.reset();
  playback_.reset();
  model_.SetView(nullptr);
  if (fmMain == this) {
    fmMain = nullptr;
  }
}

void TfmMain::PlugPlayback(std::unique_ptr<WaveOut> device) {
  playback_.reset();
  playback_ = std::make_unique<MainPlayback>(model_, dialogs_, std::move(device), [] {
    if (fmLed) {
      fmLed->ClearDisplay();
    }
  });
}

void TfmMain::PlugScan() {
  scan_.reset();
  scan_ = std::make_unique<MainScan>(model_);
}

// ---------------------------------------------------------------------------
// Controls

void TfmMain::BuildControls() {
  Image1 = new ImageControl(this);
  Image1->setObjectName("Image1");
  Image1->SetPicture(MainSkinPicture());
  Image1->move(0, 0);
  connect(Image1, &ImageControl::MouseDown, this,
          [this](QPoint local, QPoint global, Qt::MouseButton) { Image1MouseDown(local, global); });
  connect(Image1, &ImageControl::MouseMove, this,
          [this](QPoint, QPoint global) { Image1MouseMove(global); });
  connect(Image1, &ImageControl::MouseUp, this,
          [this](QPoint local, QPoint, Qt::MouseButton) { Image1MouseUp(local); });
  connect(Image1, &ImageControl::ContextMenu, this,
          [this](QPoint global) { popupMenu1_->popup(global); });

  GroupBox1 = new SkinGroupBox(" Origin File Info ", this);
  GroupBox1->setObjectName("GroupBox1");
  GroupBox1->setGeometry(16, 76, 177, 121);
  GroupBox2 = new SkinGroupBox(" Export Piece Info ", this);
  GroupBox2->setObjectName("GroupBox2");
  GroupBox2->setGeometry(208, 76, 177, 121);

  const MainDisplay& d = model_.Display();
  lbFileName = MakeLabel<QLabel>(GroupBox1, "lbFileName", {16, 19, 137, 14}, "");
  lbFileType = MakeLabel<QLabel>(GroupBox1, "lbFileType", {16, 35, 137, 14}, "");
  lbBitrate = MakeLabel<QLabel>(GroupBox1, "lbBitrate", {16, 51, 137, 14}, "");
  lbChannel = MakeLabel<QLabel>(GroupBox1, "lbChannel", {16, 67, 137, 14}, "");
  lbSample = MakeLabel<QLabel>(GroupBox1, "lbSample", {16, 83, 137, 14}, "");
  lbLength = MakeLabel<QLabel>(GroupBox1, "lbLength", {16, 99, 137, 14}, "");
  lbCurPos = MakeLabel<ClickLabel>(GroupBox2, "lbCurPos", {16, 16, 137, 14}, "");
  lbBeginPos = MakeLabel<ClickLabel>(GroupBox2, "lbBeginPos", {16, 32, 137, 14}, "");
  lbEndPos = MakeLabel<ClickLabel>(GroupBox2, "lbEndPos", {16, 48, 137, 14}, "");
  lbLenExport = MakeLabel<ClickLabel>(GroupBox2, "lbLenExport", {16, 64, 137, 14}, "");
  connect(lbCurPos, &ClickLabel::Clicked, this, [this] { model_.lbCurPosClick(); });
  connect(lbBeginPos, &ClickLabel::Clicked, this, [this] { model_.lbBeginPosClick(); });
  connect(lbEndPos, &ClickLabel::Clicked, this, [this] { model_.lbEndPosClick(); });
  connect(lbLenExport, &ClickLabel::Clicked, this, [this] { model_.lbLenExportClick(); });

  // The check boxes are drawn in the Fusion style whatever the desktop's
  // style is, so that they sit on the dark panel like the rest of the skin.
  auto* checkStyle = QStyleFactory::create(QStringLiteral("Fusion"));
  if (checkStyle) {
    checkStyle->setParent(this);
  }
  cbUseSecond = new QCheckBox("Represent with second", GroupBox2);
  cbUseSecond->setObjectName("cbUseSecond");
  cbUseSecond->setGeometry(16, 80, 153, 17);
  cbShowSpec = new QCheckBox("Show Spectrum analyzer", GroupBox2);
  cbShowSpec->setObjectName("cbShowSpec");
  cbShowSpec->setGeometry(16, 96, 153, 17);
  for (QCheckBox* box : {cbUseSecond, cbShowSpec}) {
    box->setFocusPolicy(Qt::TabFocus);  // a click leaves the focus where the keys work
    if (checkStyle) {
      box->setStyle(checkStyle);
    }
  }
  cbUseSecond->setChecked(d.cbUseSecondChecked);
  cbShowSpec->setChecked(d.cbShowSpecChecked);
  connect(cbUseSecond, &QCheckBox::toggled, this,
          [this](bool checked) { model_.SetUseSecondChecked(checked); });
  connect(cbShowSpec, &QCheckBox::toggled, this,
          [this](bool checked) { model_.SetShowSpecChecked(checked); });

  imTrackBar = new ImageControl(this);
  imTrackBar->setObjectName("imTrackBar");
  imTrackBar->SetPicture(TrackBarPicture());
  imTrackBar->setGeometry(kTrackBarLeft, kTrackBarTop, kTrackBarWidth, kTrackBarHeight);
  imTrackBar->setToolTip("Click or drag to seek");
  connect(imTrackBar, &ImageControl::MouseDown, this,
          [this](QPoint local, QPoint global, Qt::MouseButton button) {
            if (button == Qt::LeftButton) model_.imTrackBarMouseDown(local.x(), global.x());
          });
  connect(imTrackBar, &ImageControl::MouseMove, this,
          [this](QPoint, QPoint global) { model_.imTrackButtonMouseMove(global.x()); });
  connect(imTrackBar, &ImageControl::MouseUp, this,
          [this](QPoint, QPoint, Qt::MouseButton) { model_.imTrackButtonMouseUp(); });

  imSplitPoints = new SplitPointTicks(this, d);
  imSplitPoints->setObjectName("imSplitPoints");
  imSplitPoints->setGeometry(kTrackBarLeft, kSelectionTop - 4, kTrackBarWidth,
                             kSelectionHeight + 6);

  imSelection = new ImageControl(this);
  imSelection->setObjectName("imSelection");
  imSelection->SetPicture(SelectionPicture(), true);
  imSelection->setGeometry(d.selectionLeft, kSelectionTop, d.selectionWidth, kSelectionHeight);

  imTrackButton = new ImageControl(this);
  imTrackButton->setObjectName("imTrackButton");
  imTrackButton->SetPicture(TrackButtonPicture());
  imTrackButton->setGeometry(d.TrackButtonLeft, kTrackBarTop, kTrackButtonWidth,
                             kTrackButtonHeight);
  imTrackButton->setToolTip("Drag to seek");
  connect(imTrackButton, &ImageControl::MouseDown, this,
          [this](QPoint, QPoint global, Qt::MouseButton) {
            model_.imTrackButtonMouseDown(global.x());
          });
  connect(imTrackButton, &ImageControl::MouseMove, this,
          [this](QPoint, QPoint global) { model_.imTrackButtonMouseMove(global.x()); });
  connect(imTrackButton, &ImageControl::MouseUp, this,
          [this](QPoint, QPoint, Qt::MouseButton) { model_.imTrackButtonMouseUp(); });

  const std::pair<CaptionArea, const char*> kGlyphs[] = {{CaptionArea::About, "About"},
                                                         {CaptionArea::Help, "Help"},
                                                         {CaptionArea::Minimize, "Minimize"},
                                                         {CaptionArea::Close, "Close"}};
  for (const auto& [area, name] : kGlyphs) {
    const QRect place(CaptionAreaLeft(area, width()), 0, 9, kTitleStripHeight);
    auto* glyph = new CaptionGlyph(this, QString::fromLatin1(name), place);
    glyph->setObjectName(QStringLiteral("glyph") + QString::fromLatin1(name));
    connect(glyph, &QAbstractButton::clicked, this, [this, area = area] { RunCaption(area); });
  }
  BuildButtons();
  BuildPopupMenu();
  // Tab runs through the buttons from left to right, then the value lines
  // and the check boxes; the keys keep their meaning on each of them.
  QWidget* previous = findChild<QWidget*>(kCommands[std::size(kCommands) - 1].button);
  for (QWidget* next : std::initializer_list<QWidget*>{lbCurPos, lbBeginPos, lbEndPos, lbLenExport,
                                                       cbUseSecond, cbShowSpec}) {
    next->installEventFilter(this);
    setTabOrder(previous, next);
    previous = next;
  }
  DisplayChanged();
}

void TfmMain::BuildButtons() {
  QWidget* previous = nullptr;
  for (const CommandRow& row : kCommands) {
    auto* button = new TTransparentButton(this, row.imageIndex, row.hint);
    button->setObjectName(row.button);
    button->setGeometry(row.left, row.top, 20, row.height);
    button->setToolTip(WithKey(row.hint, row.key, " (%1)"));
    button->installEventFilter(this);
    if (previous) setTabOrder(previous, button);
    previous = button;
    const auto command = row.command;
    connect(button, &QAbstractButton::clicked, this, [this, command] { (model_.*command)(); });
  }
}

void TfmMain::BuildPopupMenu() {
  popupMenu1_ = new QMenu(this);
  popupMenu1_->setObjectName("PopupMenu1");
  // A menu is a window of its own, which the window's palette does not reach.
  popupMenu1_->setPalette(SkinnedWindow::Palette());
  const auto add = [this](QMenu* menu, const char* name, const QString& caption, auto handler) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, handler);
    return action;
  };
  const auto separator = [](QMenu* menu, const char* name) {
    menu->addSeparator()->setObjectName(name);
  };
  MainWindowModel& m = model_;
  QMenu* menu = popupMenu1_;
  for (const CommandRow& row : kCommands) {
    if (&row == &kCommands[std::size(kCommands) - 1]) {
      BuildAdvancedMenu();
    }
    if (row.separatorBefore) {
      separator(menu, row.separatorBefore);
    }
    const auto command = row.command;
    add(menu, row.menuItem, WithKey(row.caption, row.key, "\t%1"),
        [&m, command] { (m.*command)(); });
  }
  add(menu, "Splitintopieces1", WithKey("Split into pieces ...", KeyCommand::Split, "\t%1"),
      [&m] { m.SplitClick(); });
  // The previews of the cut and the moves to the quiet have keys and menu
  // items, no buttons.
  struct PreviewItem {
    const char* name;
    const char* caption;
    void (MainWindowModel::*command)();
    KeyCommand key;
  };
  static constexpr PreviewItem kPreviews[] = {
      {"Hearthebegin1", "Hear the begin", &MainWindowModel::HearBeginClick, KeyCommand::HearBegin},
      {"Heartheend1", "Hear the end", &MainWindowModel::HearEndClick, KeyCommand::HearEnd},
      {"Hearthejoin1", "Hear the join", &MainWindowModel::HearJoinClick, KeyCommand::HearJoin},
      {"Begintothequiet1", "Move begin to the quiet", &MainWindowModel::QuietBeginClick,
       KeyCommand::QuietBegin},
      {"Endtothequiet1", "Move end to the quiet", &MainWindowModel::QuietEndClick,
       KeyCommand::QuietEnd},
  };
  separator(menu, "N9");
  for (const PreviewItem& item : kPreviews) {
    const auto command = item.command;
    add(menu, item.name, WithKey(item.caption, item.key, "\t%1"),
        [&m, command] { (m.*command)(); });
  }
  separator(menu, "N4");
  Representwithsecond1 = add(menu, "Representwithsecond1", "Represent with second",
                             [&m] { m.Representwithsecond1Click(); });
  ShowSpectrumanalyzer1 = add(menu, "ShowSpectrumanalyzer1", "Show spectrum analyzer",
                              [&m] { m.ShowSpectrumanalyzer1Click(); });
  Representwithsecond1->setCheckable(true);
  ShowSpectrumanalyzer1->setCheckable(true);
  ShowWaveform1 =
      add(menu, "ShowWaveform1", WithKey("Show waveform", KeyCommand::ToggleWave, "\t%1"),
          [&m] { m.ShowWaveform1Click(); });
  ShowWaveform1->setCheckable(true);
  separator(menu, "N5");
  add(menu, "About1", "About ...", [this] { About1Click(); });
  add(menu, "Help1", "Help ...", [this] { Help1Click(); });
  separator(menu, "N6");
  add(menu, "Minimize1", "Minimize", [this] { Minimize1Click(); });
  add(menu, "Exit1", "Exit", [this] { Exit1Click(); });
}

void TfmMain::BuildAdvancedMenu() {
  struct EntryItem {
    const char* name;
    const char* caption;
    void (MainWindowModel::*command)();
  };
  static constexpr EntryItem kEntryItems[] = {
      {"SetCurrentPosition1", "Set Current Position using Entering Value",
       &MainWindowModel::lbCurPosClick},
      {"SetMarkBeginPosition1", "Set Mark-Begin Position using Entering Value",
       &MainWindowModel::lbBeginPosClick},
      {"SetMarkEndPosition1", "Set Mark-End Position using Entering Value",
       &MainWindowModel::lbEndPosClick},
      {"SetMarkLengthusingEnteringValue1", "Set Mark-Length using Entering Value",
       &MainWindowModel::lbLenExportClick},
  };
  struct NudgeItem {
    const char* name;
    const char* caption;
  };
  // In the order of their tags 0..9, which name the keys Q W E R T Y U I O P.
  static constexpr NudgeItem kNudgeItems[] = {
      {"movecurrentposition10000millisecondsless1",
       "Press Q - to move current position 10,000 milliseconds less"},
      {"movecurrentposition1000millisecondsless1",
       "Press W - to move current position 1,000 milliseconds less"},
      {"PressEtomovecurrentposition100millisecondsless1",
       "Press E - to move current position 100 milliseconds less"},
      {"PressRtomovecurrentposition10millisecondsless1",
       "Press R - to move current position 10 milliseconds less"},
      {"PressTtomovecurrentposition1millisecondsless1",
       "Press T - to move current position 1 milliseconds less"},
      {"PressYtomovecurrentposition1millisecondsmore1",
       "Press Y - to move current position 1 milliseconds more"},
      {"PressUtomovecurrentposition10millisecondsmore1",
       "Press U - to move current position 10 milliseconds more"},
      {"PressItomovecurrentposition100millisecondsmore1",
       "Press I - to move current position 100 milliseconds more"},
      {"PressOtomovecurrentposition1000millisecondsmore1",
       "Press O - to move current position 1,000 milliseconds more"},
      {"PressPtomovecurrentposition10000millisecondsmore1",
       "Press P - to move current position 10,000 milliseconds more"},
  };

  QMenu* advanced = popupMenu1_->addMenu("Advanced");
  advanced->setObjectName("Advanced1");
  advanced->setPalette(SkinnedWindow::Palette());
  advanced->menuAction()->setObjectName("Advanced1");
  for (const EntryItem& item : kEntryItems) {
    QAction* action = advanced->addAction(item.caption);
    action->setObjectName(item.name);
    const auto command = item.command;
    connect(action, &QAction::triggered, this, [this, command] { (model_.*command)(); });
  }
  for (int tag = 0; tag < 10; ++tag) {
    if (tag == 0 || tag == 5) {
      advanced->addSeparator()->setObjectName(tag == 0 ? "N7" : "N8");
    }
    QAction* action = advanced->addAction(kNudgeItems[tag].caption);
    action->setObjectName(kNudgeItems[tag].name);
    action->setData(tag);
    connect(action, &QAction::triggered, this,
            [this, action] { PressPtomovecurrentposition10000millisecondsmore1Click(action); });
  }
}

void TfmMain::PressPtomovecurrentposition10000millisecondsmore1Click(const QAction* item) {
  // The ten nudge items share this handler: each item's tag names its key,
  // so menu and keyboard act alike.
  model_.WMKeyDown(VirtualKeyForNudgeTag(item->data().toInt()));
}

// ---------------------------------------------------------------------------
// Rendering the model

void TfmMain::DisplayChanged() {
  const MainDisplay& d = model_.Display();
  lbFileType->setText(Text(d.lbFileType));
  lbBitrate->setText(Text(d.lbBitrate));
  lbChannel->setText(Text(d.lbChannel));
  lbSample->setText(Text(d.lbSample));
  lbLength->setText(Text(d.lbLength));
  lbCurPos->setText(Text(d.lbCurPos));
  lbBeginPos->setText(Text(d.lbBeginPos));
  lbEndPos->setText(Text(d.lbEndPos));
  lbLenExport->setText(Text(d.lbLenExport));
  {
    // Setting the boxes from the model must not feed back into the model.
    const QSignalBlocker blockUnit(cbUseSecond);
    const QSignalBlocker blockSpec(cbShowSpec);
    cbUseSecond->setChecked(d.cbUseSecondChecked);
    cbShowSpec->setChecked(d.cbShowSpecChecked);
  }
  if (Representwithsecond1) {
    Representwithsecond1->setChecked(d.Representwithsecond1Checked);
  }
  if (ShowSpectrumanalyzer1) {
    ShowSpectrumanalyzer1->setChecked(d.ShowSpectrumanalyzer1Checked);
  }
  if (ShowWaveform1) {
    ShowWaveform1->setChecked(d.ShowWaveform1Checked);
  }
  // A long name is cut short with "…"; the whole path is its tool tip.
  lbFileName->setText(lbFileName->fontMetrics().elidedText(Text(d.lbFileName), Qt::ElideRight,
                                                           lbFileName->width()));
  lbFileName->setToolTip(Text(model_.FileName));
  setWindowTitle(Text(WindowTitleText(model_.FileName)));
  SetAccessibleSlider(*imTrackBar, QStringLiteral("Position"), model_.CurPos,
                      model_.FileInfo.LengthMs);
  FollowModelInWave();
  imTrackButton->move(d.TrackButtonLeft, kTrackBarTop);
  imSelection->setGeometry(d.selectionLeft, kSelectionTop, d.selectionWidth, kSelectionHeight);
  imSplitPoints->update();
}

bool TfmMain::WindowVisible() const { return isVisible(); }

void TfmMain::FocusGroupBox1() { GroupBox1->setFocus(Qt::OtherFocusReason); }

bool TfmMain::AnalyzerExists() const { return fmLed != nullptr; }

void TfmMain::BuildWave() {
  waveModel_ = std::make_unique<WaveformModel>(TfmWave::kStripWidth, TfmWave::kStripWidth);
  fmWave_ = new TfmWave(*waveModel_, this);
  fmWave_->SetOverviewClick([this](int32_t positionMs) { model_.SeekFromOverview(positionMs); });
  fmWave_->SetMarksDrag(
      [this](int32_t beginMs, int32_t endMs) { model_.SetMarks(beginMs, endMs); });
}

void TfmMain::FollowModelInWave() {
  if (model_.FileSerial != waveFileSerial_) {
    waveFileSerial_ = model_.FileSerial;
    waveModel_->OpenFile(model_.FileName, model_.FileInfo, model_.Scan());
  }
  waveModel_->SetPosition(model_.CurPos);
  waveModel_->SetMarks(model_.MarkBegin, model_.MarkEnd);
  waveModel_->SetSplitPoints(model_.SplitPoints());
}

void TfmMain::SetWaveVisible(bool visible) {
  WMMove();
  SetDockedVisible(*fmWave_, visible);
  WMMove();  // an analyzer docked below follows the waveform
}

void TfmMain::SetAnalyzerVisible(bool visible) {
  if (fmLed) {
    SetDockedVisible(*fmLed, visible);
  }
}

// ---------------------------------------------------------------------------
// Lifecycle

void TfmMain::FormCreate() {
  WriteInstallPath(options_.executablePath.toStdString());
  setAcceptDrops(true);
  const std::string settingsPath = options_.settingsPath.toStdString();
  model_.ApplySettings(LoadSettings(settingsPath));
  if (const std::string folder = LoadLastFolder(settingsPath); !folder.empty()) {
    dialogs_.SetFolder(folder);
  }
}

void TfmMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shownOnce_) {
    return;
  }
  shownOnce_ = true;
  // Centred first, so that the docked windows appear in their places.
  CentreOnDesktop();
  FormShow();
  setFocus(Qt::ActiveWindowFocusReason);
}

void TfmMain::FormShow() {
  if (fmLed) {
    SetDockedVisible(*fmLed, model_.ShowSpec);
  }
  SetDockedVisible(*fmWave_, model_.ShowWave);
  std::vector<std::string> arguments;
  for (const QString& argument : options_.arguments) {
    arguments.push_back(argument.toStdString());
  }
  // Once the window is on screen: a refusal's message then opens over it.
  QTimer::singleShot(0, this, [this, arguments] { model_.OpenCommandLineFile(arguments); });
}

void TfmMain::CentreOnDesktop() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen) {
    const QRect desktop = screen->geometry();
    move(desktop.left() + (desktop.width() - width()) / 2,
         desktop.top() + (desktop.height() - height()) / 2);
  }
  // Also when the window was already there and no move event follows.
  WMMove();
}

void TfmMain::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

void TfmMain::FormClose() {
  model_.tbStopClick();
  // A scan still running ends now, not when the program has saved its
  // settings.
  scan_.reset();
}

void TfmMain::FormDestroy() {
  setAcceptDrops(false);
  SaveSettings(options_.settingsPath.toStdString(),
               {model_.UseSecond, model_.ShowSpec, model_.ShowWave}, dialogs_, dialogs_.Folder());
}

// ---------------------------------------------------------------------------
// Docking, minimising, keys, drops

void TfmMain::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  WMMove();
}

int TfmMain::ScreenTop() const {
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry().top() : 0;
}

void TfmMain::WMMove() {
  // The waveform window hangs under the main window, left edges aligned.
  fmWave_->move(x(), y() + height());
  if (!fmLed) {
    return;
  }
  const DockPosition dock = DockedAnalyzerPosition(
      x(), y(), width(), fmLed->width(), fmLed->height(), ScreenTop(),
      fmWave_->isVisible() ? fmWave_->geometry().bottom() + 1 : y() + height());
  fmLed->move(dock.left, dock.top);
}

void TfmMain::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange) {
    return;
  }
  const auto* change = static_cast<QWindowStateChangeEvent*>(event);
  const bool wasMinimized = change->oldState() & Qt::WindowMinimized;
  if (wasMinimized == isMinimized()) {
    return;
  }
  // However the window was minimised (Minimize, the taskbar, a window
  // manager's key), the analyzer and the waveform go with it; coming back
  // brings them back as the settings say.
  SetDockedVisible(*fmWave_, !isMinimized() && model_.ShowWave);
  if (fmLed) {
    SetDockedVisible(*fmLed, !isMinimized() && model_.ShowSpec);
  }
}

bool TfmMain::eventFilter(QObject* watched, QEvent* event) {
  // On a focused control Tab moves on and Space presses it; every other key
  // is the window's.
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab && key->key() != Qt::Key_Space) {
      key->accept();
      keyPressEvent(key);
      if (key->isAccepted()) return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TfmMain::keyPressEvent(QKeyEvent* event) {
  // The menu key and Shift+F10 open the popup menu over the window.
  if (event->key() == Qt::Key_Menu ||
      (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
    popupMenu1_->popup(mapToGlobal(QPoint(width() / 4, height() / 3)));
    return;
  }
  // Alt combinations are system keys, not commands.
  if (event->modifiers() & Qt::AltModifier) {
    QWidget::keyPressEvent(event);
    return;
  }
  const int virtualKey = VirtualKeyFromQtKey(event->key());
  if (KeyActionForVirtualKey(virtualKey).command == KeyCommand::None) {
    QWidget::keyPressEvent(event);
    return;
  }
  model_.WMKeyDown(virtualKey);
}

void TfmMain::dragEnterEvent(QDragEnterEvent* event) {
  if (!model_.CanOpenFiles() || !event->mimeData()->hasUrls()) {
    return;
  }
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) {
      event->setDropAction(Qt::CopyAction);
      event->accept();
      return;
    }
  }
}

void TfmMain::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) {
      paths.push_back(url.toLocalFile().toStdString());
    }
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
  model_.OpenDroppedFiles(paths);
}

// ---------------------------------------------------------------------------
// Window commands

void TfmMain::tbExportClick() {
  // The dialog gets copies: the marks and the file may change under it only
  // after it has closed. Playback is stopped (and rewound) first. An MP3's
  // scan goes with it: the export waits for one still running, and reads
  // by a finished one instead of measuring the file again.
  exportDialog_(
      this, model_.FileName, model_.FileInfo, model_.MarkBegin, model_.MarkEnd, dialogs_,
      [this] { model_.tbStopClick(); }, model_.Scan());
}

void TfmMain::SplitClick() {
  // Playback stops first, as for an export; the dialog's points are drawn on
  // the selection bar and the waveform while it is open.
  model_.tbStopClick();
  splitDialog_(
      this, model_.FileName, model_.FileInfo, dialogs_,
      [this](std::vector<SampleIndex> points) { model_.SetSplitPoints(std::move(points)); },
      model_.Scan());
}

void TfmMain::About1Click() {
  if (aboutCommand_) {
    aboutCommand_();
  }
}

void TfmMain::Help1Click() {
  // Without a manual there is nothing to open, and nothing to say about it.
  if (!options_.helpFile.isEmpty() && !shellOpen_(options_.helpFile)) {
    dialogs_.ShowMessage(NoHelpOpenerText(options_.helpFile.toStdString()), kApplicationTitle,
                         MessageIcon::None);
  }
}

void TfmMain::Minimize1Click() {
  if (fmLed) {
    fmLed->hide();
  }
  fmWave_->hide();
  showMinimized();
}

void TfmMain::Exit1Click() { close(); }

void TfmMain::Terminate() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window != this && window->isVisible()) window->close();
  }
  close();
}

// ---------------------------------------------------------------------------
// The skin: dragging by the title strip and the caption glyphs

void TfmMain::Image1MouseDown(QPoint local, QPoint global) {
  // Every press in the strip drags, the caption glyphs included: they act
  // on the release.
  if (local.y() < kTitleStripHeight) skin_.Press(global);
}

void TfmMain::Image1MouseMove(QPoint global) { skin_.Move(global); }

void TfmMain::Image1MouseUp(QPoint local) {
  skin_.Release();
  RunCaption(MainCaptionAreaAt(local.x(), local.y(), width()));
}

void TfmMain::RunCaption(CaptionArea area) {
  switch (area) {
    case CaptionArea::About:
      About1Click();
      break;
    case CaptionArea::Help:
      Help1Click();
      break;
    case CaptionArea::Minimize:
      Minimize1Click();
      break;
    case CaptionArea::Close:
      close();
      break;
    case CaptionArea::None:
      break;
  }
}
