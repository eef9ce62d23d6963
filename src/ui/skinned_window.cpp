// SPDX-License-Identifier: GPL-3.0-or-later
// The skinned windows' font, palette and title-strip drag; see skinned_window.h.
#include "ui/skinned_window.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace {

const QColor kPanel(50, 50, 50);
const QColor kWell(34, 34, 34);
const QColor kButton(70, 70, 70);
const QColor kDisabledText(150, 150, 150);

}  // namespace

const QColor SkinnedWindow::kSilverText(192, 192, 192);

SkinnedWindow::SkinnedWindow(QWidget* window, const QColor& text) : window_(window) {
  window_->setFont(Font());
  window_->setPalette(Palette(text));
}

QFont SkinnedWindow::Font() {
  // Arial 8 point at 96 dpi: 11 pixels, not scaled for the screen.
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(11);
  return font;
}

QPalette SkinnedWindow::Palette(const QColor& text) {
  QPalette palette;
  for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    const QColor groupText = group == QPalette::Disabled ? kDisabledText : text;
    palette.setColor(group, QPalette::Window, kPanel);
    palette.setColor(group, QPalette::Base, kWell);
    palette.setColor(group, QPalette::AlternateBase, kPanel);
    palette.setColor(group, QPalette::Button, kButton);
    palette.setColor(group, QPalette::WindowText, groupText);
    palette.setColor(group, QPalette::Text, groupText);
    palette.setColor(group, QPalette::ButtonText, groupText);
  }
  return palette;
}

void SkinnedWindow::Press(QPoint cursor) {
  drag_.Press(cursor, window_->pos());
  systemMoveTried_ = false;
  systemMoving_ = false;
}

void SkinnedWindow::Move(QPoint cursor) {
  if (!drag_.DraggingWindow || systemMoving_) return;
  if (!systemMoveTried_) {
    systemMoveTried_ = true;
    QWindow* handle = window_->windowHandle();
    if (WindowSystemMovesWindows(QGuiApplication::platformName()) && handle &&
        handle->startSystemMove()) {
      systemMoving_ = true;
      return;
    }
  }
  window_->move(drag_.TargetFor(cursor));
}

void SkinnedWindow::Release() {
  drag_.Release();
  systemMoving_ = false;
}
