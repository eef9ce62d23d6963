#include "ui/image_list.h"

#include <QPainter>

// Placeholder faces until the skin pictures are drawn: a numbered grey tile.
QPixmap ImageListFace(int index) {
  if (index < 0 || index >= kImageListCount) return {};
  QPixmap face(kImageListFaceSize, kImageListFaceSize);
  face.fill(QColor(90, 90, 90));
  QPainter painter(&face);
  painter.setPen(Qt::white);
  painter.drawText(face.rect(), Qt::AlignCenter, QString::number(index));
  return face;
}
