// SPDX-License-Identifier: GPL-3.0-or-later
// ImageList1's 14 faces cut from the compiled-in strip; see image_list.h.
#include "ui/image_list.h"

#include <QImage>

// The faces are one strip of 14 faces of 20 x 20 pixels in the compiled-in
// resources. The strip is kept as a QImage, which (unlike a QPixmap) may
// outlive the application object at exit.
QPixmap ImageListFace(int index) {
  static QImage strip;
  if (strip.isNull()) {
    strip.load(QStringLiteral(":/skin/image_list.png"));
  }
  if (index < 0 || index >= kImageListCount || strip.isNull()) {
    return {};
  }
  return QPixmap::fromImage(
      strip.copy(index * kImageListFaceSize, 0, kImageListFaceSize, kImageListFaceSize));
}
