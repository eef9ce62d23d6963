// SPDX-License-Identifier: GPL-3.0-or-later
// TTransparentButton's painting, hover faces and click; see transparent_button.h.
#include "ui/transparent_button.h"

#include <QKeyEvent>
#include <QPainter>

#include "ui/image_list.h"

TTransparentButton::TTransparentButton(QWidget* parent, int imageIndex, const QString& hint)
    : QAbstractButton(parent), imageIndex_(imageIndex) {
  setToolTip(hint);
  setAccessibleName(hint);
  setFocusPolicy(Qt::TabFocus);
  resize(kImageListFaceSize, kImageListFaceSize);
}

void TTransparentButton::SetImageIndex(int index) {
  imageIndex_ = index;
  update();
}

void TTransparentButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // Held down, the face sinks by one pixel.
  const int offset = isDown() ? 1 : 0;
  painter.drawPixmap(offset, offset, ImageListFace(imageIndex_));
  if (hasFocus()) {
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

void TTransparentButton::keyPressEvent(QKeyEvent* event) {
  // Not the arrows' move to the next button: they are the window's keys.
  if (event->key() == Qt::Key_Space) {
    QAbstractButton::keyPressEvent(event);
  } else {
    event->ignore();
  }
}

void TTransparentButton::enterEvent(QEnterEvent* event) {
  if (hoverImages_) {
    SetImageIndex(imageIndex_ + 1);
  }
  QAbstractButton::enterEvent(event);
}

void TTransparentButton::leaveEvent(QEvent* event) {
  if (hoverImages_) {
    SetImageIndex(imageIndex_ - 1);
  }
  QAbstractButton::leaveEvent(event);
}
