// SPDX-License-Identifier: GPL-3.0-or-later
// The about box's controls and handlers; see tfm_about.h.
#include "app/widgets/tfm_about.h"

#include <memory>

#include "app/about_areas.h"
#include "ui/image_control.h"
#include "ui/skin_pictures.h"
#include "ui/transparent_button.h"

TfmAbout* fmAbout = nullptr;

namespace {

constexpr int kGoImage = 10;

}  // namespace

TfmAbout::TfmAbout(ShellOpener shellOpen, QWidget* parent)
    // On top like the always-on-top analyzer, so that it never covers the dialog.
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      shellOpen_(std::move(shellOpen)),
      skin_(this) {
  setObjectName("fmAbout");
  setWindowTitle("About");
  setFixedSize(kAboutWidth, kAboutHeight);

  Image1 = new ImageControl(this);
  Image1->setObjectName("Image1");
  Image1->SetPicture(AboutSkinPicture());
  Image1->setGeometry(0, 0, kAboutWidth, kAboutHeight);
  // Moves without a button held too, for the hand over the web address.
  Image1->setMouseTracking(true);
  connect(Image1, &ImageControl::MouseDown, this,
          [this](QPoint local, QPoint global, Qt::MouseButton) { Image1MouseDown(local, global); });
  connect(Image1, &ImageControl::MouseMove, this,
          [this](QPoint local, QPoint global) { Image1MouseMove(local, global); });
  connect(Image1, &ImageControl::MouseUp, this,
          [this](QPoint, QPoint, Qt::MouseButton) { Image1MouseUp(); });

  TransparentButton3 = new TTransparentButton(this, kGoImage, "Go");
  TransparentButton3->setObjectName("TransparentButton3");
  TransparentButton3->setGeometry(193, 85, 20, 20);
  TransparentButton3->SetHoverImages(true);
  connect(TransparentButton3, &QAbstractButton::clicked, this,
          [this] { TransparentButton3Click(); });
}

void TfmAbout::Image1MouseDown(QPoint local, QPoint global) {
  switch (AboutAreaAt(local.x(), local.y(), width())) {
    case AboutArea::Close:
      close();
      break;
    case AboutArea::TitleStrip:
      skin_.Press(global);
      break;
    case AboutArea::Link:
      // Whether anything could open it is not ours to report; the box stays.
      if (shellOpen_) shellOpen_(QString::fromLatin1(kAboutWebAddress));
      break;
    case AboutArea::None:
      break;
  }
}

void TfmAbout::Image1MouseMove(QPoint local, QPoint global) {
  skin_.Move(global);
  const bool overLink = AboutAreaAt(local.x(), local.y(), width()) == AboutArea::Link;
  setCursor(overLink ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TfmAbout::Image1MouseUp() { skin_.Release(); }

void TfmAbout::TransparentButton3Click() { close(); }

void RunAboutBox(QWidget* mainWindow, const TfmAbout::ShellOpener& shellOpen) {
  // No owner: modal to the whole application and freed here when it closes.
  auto box = std::make_unique<TfmAbout>(shellOpen);
  box->setWindowModality(Qt::ApplicationModal);
  if (mainWindow) {
    const QRect over = mainWindow->frameGeometry();
    box->move(over.left() + (over.width() - box->width()) / 2,
              over.top() + (over.height() - box->height()) / 2);
  }
  fmAbout = box.get();
  box->exec();
  fmAbout = nullptr;
}
