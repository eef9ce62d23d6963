// The export dialog's image buttons; see image_button.h.
#include "export/widgets/image_button.h"

#include <QPainter>

#include "ui/image_list.h"

ImageButton::ImageButton(QWidget* parent) : QAbstractButton(parent) {
  setFocusPolicy(Qt::NoFocus);
  setFixedSize(kImageListFaceSize, kImageListFaceSize);
}

void ImageButton::setImageIndex(int index) {
  if (index == imageIndex_) return;
  imageIndex_ = index;
  update();
}

void ImageButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, ImageListFace(imageIndex_));
}

void ImageButton::enterEvent(QEnterEvent* event) {
  QAbstractButton::enterEvent(event);
  emit mouseEnter();
}

void ImageButton::leaveEvent(QEvent* event) {
  QAbstractButton::leaveEvent(event);
  emit mouseExit();
}
