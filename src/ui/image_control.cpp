// SPDX-License-Identifier: GPL-3.0-or-later
// ImageControl's painting and mouse reports; see image_control.h.
#include "ui/image_control.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>

ImageControl::ImageControl(QWidget* parent) : QWidget(parent) {}

void ImageControl::SetPicture(const QPixmap& picture, bool stretch) {
  picture_ = picture;
  stretch_ = stretch;
  if (!stretch_) {
    resize(picture_.deviceIndependentSize().toSize());
  }
  update();
}

void ImageControl::paintEvent(QPaintEvent*) {
  if (picture_.isNull()) {
    return;
  }
  QPainter painter(this);
  if (stretch_) {
    painter.drawPixmap(rect(), picture_);
  } else {
    painter.drawPixmap(0, 0, picture_);
  }
}

void ImageControl::mousePressEvent(QMouseEvent* event) {
  emit MouseDown(event->position().toPoint(), event->globalPosition().toPoint(), event->button());
}

void ImageControl::mouseMoveEvent(QMouseEvent* event) {
  emit MouseMove(event->position().toPoint(), event->globalPosition().toPoint());
}

void ImageControl::mouseReleaseEvent(QMouseEvent* event) {
  emit MouseUp(event->position().toPoint(), event->globalPosition().toPoint(), event->button());
}

void ImageControl::contextMenuEvent(QContextMenuEvent* event) {
  emit ContextMenu(event->globalPos());
  event->accept();
}
