// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the export dialog's skin; see export_skin.h.
#include "export/widgets/export_skin.h"

#include <QFont>
#include <QPainter>

namespace {

const QColor kPanel(50, 50, 50);
const QColor kLight(190, 190, 190);
const QColor kMid(110, 110, 110);
const QColor kDark(20, 20, 20);

// A one-pixel bevel: light top and left edges, dark bottom and right, or the
// other way round for a sunken panel. Right and bottom are exclusive.
void Bevel(QPainter& painter, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
  painter.setPen(topLeft);
  painter.drawLine(r.left(), r.top(), r.right() - 1, r.top());
  painter.drawLine(r.left(), r.top(), r.left(), r.bottom() - 1);
  painter.setPen(bottomRight);
  painter.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
  painter.drawLine(r.right(), r.top(), r.right(), r.bottom());
}

}  // namespace

QPixmap MakeExportSkin() {
  return MakeDialogSkin(kExportSkinWidth, kExportSkinHeight, "Export to");
}

QPixmap MakeDialogSkin(int width, int height, const char* title) {
  QPixmap skin(width, height);
  skin.fill(kPanel);
  QPainter painter(&skin);

  // Outer frame, two pixels deep.
  Bevel(painter, QRect(0, 0, width, height), kLight, kDark);
  Bevel(painter, QRect(1, 1, width - 2, height - 2), kMid, QColor(35, 35, 35));

  // Title strip with a groove under it.
  painter.fillRect(QRect(2, 2, width - 4, 17), QColor(64, 64, 64));
  painter.setPen(kDark);
  painter.drawLine(2, 19, width - 3, 19);
  painter.setPen(kMid);
  painter.drawLine(2, 20, width - 3, 20);

  QFont font("Arial");
  font.setPixelSize(11);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRect(8, 2, width - 40, 17), Qt::AlignLeft | Qt::AlignVCenter, title);

  // Close cross over the close area (x 221..231 of 240, y below 20).
  const double cross = width - 17.5;
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(kLight, 1.6));
  painter.drawLine(QPointF(cross, 6.5), QPointF(cross + 7, 13.5));
  painter.drawLine(QPointF(cross + 7, 6.5), QPointF(cross, 13.5));
  painter.setRenderHint(QPainter::Antialiasing, false);

  // Sunken inner panel behind the controls.
  Bevel(painter, QRect(8, 23, width - 16, height - 31), kDark, kMid);
  return skin;
}
