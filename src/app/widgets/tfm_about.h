// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TfmAbout: the about box. A borderless 240 x 120 modal window covered by its
// picture Image1 (product name, version, the program's web address) and the
// image button TransparentButton3 ("Go", faces 10/11), which closes it. A
// press in the title strip's close area closes it at once; a press elsewhere
// in the strip drags it; a press on the web address hands the address to the
// desktop's opener and leaves the box open; the pointer is a hand over the
// address and the arrow elsewhere. What each area does is in
// app/about_areas.h.
//
// The main window opens it through RunAboutBox, which makes a fresh box for
// every request, so nothing (not even where it was dragged) outlives one
// showing. UI thread only.
#include <QDialog>
#include <QString>
#include <functional>

#include "ui/skinned_window.h"

class ImageControl;
class TTransparentButton;

class TfmAbout : public QDialog {
  Q_OBJECT
 public:
  using ShellOpener = std::function<void(const QString&)>;

  // `shellOpen` receives the web address on a press in the link area.
  explicit TfmAbout(ShellOpener shellOpen, QWidget* parent = nullptr);

  ImageControl* Image1 = nullptr;
  TTransparentButton* TransparentButton3 = nullptr;

  void Image1MouseDown(QPoint local, QPoint global);
  void Image1MouseMove(QPoint local, QPoint global);
  void Image1MouseUp();
  void TransparentButton3Click();

 private:
  ShellOpener shellOpen_;
  SkinnedWindow skin_;
};

// The open about box while RunAboutBox shows it; null otherwise.
extern TfmAbout* fmAbout;

// Creates a new about box without an owner, centres it over `mainWindow`
// (when given), shows it modally and frees it when it closes.
void RunAboutBox(QWidget* mainWindow, const TfmAbout::ShellOpener& shellOpen);
