// SPDX-License-Identifier: GPL-3.0-or-later
// SkinGroupBox's painting of fill, etched frame and caption; see skin_group_box.h.
#include "ui/skin_group_box.h"

#include <QPainter>

const QColor SkinGroupBox::kFill(50, 50, 50);
const QColor SkinGroupBox::kText(192, 192, 192);

SkinGroupBox::SkinGroupBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) {
  setFocusPolicy(Qt::NoFocus);
}

void SkinGroupBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kFill);
  const QFontMetrics metrics(font());
  const int frameTop = metrics.height() / 2;
  const QRect frame = rect().adjusted(0, frameTop, -1, -1);
  // Etched frame: dark outer line, light inner line offset by one pixel.
  painter.setPen(QColor(24, 24, 24));
  painter.drawRect(frame.adjusted(0, 0, -1, -1));
  painter.setPen(QColor(104, 104, 104));
  painter.drawRect(frame.adjusted(1, 1, 0, 0));
  const QString caption = title();
  const QRect captionRect(8, 0, metrics.horizontalAdvance(caption), metrics.height());
  painter.fillRect(captionRect, kFill);
  painter.setPen(kText);
  painter.drawText(captionRect, Qt::AlignLeft | Qt::AlignVCenter, caption);
}
