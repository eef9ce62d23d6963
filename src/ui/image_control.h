// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ImageControl: a picture on a window that reports the mouse (the skin
// picture, the seek handle). It shows its pixmap at its own size, or
// stretched to its size when `stretch` is set, and emits the pointer's
// position in its own and in screen coordinates. While a button is held Qt
// keeps sending the moves and the release here even when the pointer leaves
// the picture (an implicit capture), which drags rely on.
#include <QPixmap>
#include <QPoint>
#include <QWidget>

class ImageControl : public QWidget {
  Q_OBJECT
 public:
  explicit ImageControl(QWidget* parent = nullptr);

  void SetPicture(const QPixmap& picture, bool stretch = false);
  const QPixmap& Picture() const { return picture_; }

 signals:
  void MouseDown(QPoint local, QPoint global, Qt::MouseButton button);
  void MouseMove(QPoint local, QPoint global);
  void MouseUp(QPoint local, QPoint global, Qt::MouseButton button);
  void ContextMenu(QPoint global);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QPixmap picture_;
  bool stretch_ = false;
};
