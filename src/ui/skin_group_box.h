// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SkinGroupBox: a group box drawn to match the skin: filled with RGB(50, 50,
// 50), an etched frame (a dark line with a light line beside it) that starts
// half a text line below the top, and its caption in silver at the top left,
// cut into the frame. Drawn by hand so that it looks the same under every
// widget style.
#include <QGroupBox>

class SkinGroupBox : public QGroupBox {
  Q_OBJECT
 public:
  static const QColor kFill;
  static const QColor kText;

  SkinGroupBox(const QString& title, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};
